#include "swf/avm1/NumberFormat.h"
#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace swf::avm1::builtins {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

QByteArray encodeBytes(Vm& vm, const QString& s) {
    return vm.version() >= 6 ? s.toUtf8() : s.toLatin1();
}

Value escape(Vm& vm, CallArgs& c) {
    const QByteArray bytes = encodeBytes(vm, vm.toString(c.arg(0)));
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const auto b = static_cast<uint8_t>(ch);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9')) {
            out += ch;
        } else {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 15];
        }
    }
    return Value(QString::fromLatin1(out));
}

int hexDigit(QChar c) {
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

Value unescape(Vm& vm, CallArgs& c) {
    if (c.count() == 0)
        return Value();
    const QString s = vm.toString(c.arg(0));
    QByteArray bytes;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == '%') {
            // A "%" always swallows what follows it: two characters when the first is a hex
            // digit (a byte only when both are), otherwise just the one.
            if (i + 1 >= s.size())
                break;
            const int high = hexDigit(s[i + 1]);
            if (high < 0) {
                ++i;
                continue;
            }
            if (i + 2 >= s.size())
                break;
            const int low = hexDigit(s[i + 2]);
            if (low >= 0)
                bytes += static_cast<char>(high * 16 + low);
            i += 2;
        } else if (s[i] == '+') {
            bytes += ' ';
        } else {
            bytes += vm.version() >= 6 ? QString(s[i]).toUtf8() : QString(s[i]).toLatin1();
        }
    }
    return Value(vm.version() >= 6 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes));
}

Value parseIntFn(Vm& vm, CallArgs& c) {
    if (c.count() == 0)
        return Value();
    const QString s = vm.toString(c.arg(0));
    const bool radixGiven = c.count() > 1;
    int radix = radixGiven ? static_cast<int>(vm.toInteger(c.arg(1))) : 0;
    if (radixGiven && (radix < 2 || radix > 36))
        return Value(kNaN);
    auto isSpace = [&](int k) {
        return k < s.size() && (s[k] == ' ' || s[k] == '\t' || s[k] == '\n' || s[k] == '\r');
    };
    auto isHexPrefix = [&](int k) {
        return k + 1 < s.size() && s[k] == '0' && (s[k + 1] == 'x' || s[k + 1] == 'X');
    };
    int i = 0;
    bool negative = false;
    if (isHexPrefix(0)) {
        // "0x" opening the text is hexadecimal unless another radix was asked for, and
        // white space and a sign may follow it.
        i = 2;
        if (!radixGiven)
            radix = 16;
        while (isSpace(i))
            ++i;
        if (i < s.size() && (s[i] == '-' || s[i] == '+'))
            negative = s[i++] == '-';
    } else if (s.size() > 0 && (s[0] == '-' || s[0] == '+') && isHexPrefix(1)) {
        // A sign before "0x" is no number; with a radix given, the sign and the zero are
        // passed over and the "x" is read as a digit of that radix.
        if (!radixGiven)
            return Value(kNaN);
        i = 2;
    } else {
        while (isSpace(i))
            ++i;
        if (i < s.size() && (s[i] == '-' || s[i] == '+'))
            negative = s[i++] == '-';
    }
    if (radix == 0) {
        // A leading zero means octal, when the text starts with it (a sign aside) and
        // everything after it is an octal digit.
        radix = 10;
        if (!isSpace(0) && i + 1 < s.size() && s[i] == '0') {
            bool octal = true;
            for (int k = i; k < s.size(); ++k)
                if (s[k] < '0' || s[k] > '7') {
                    octal = false;
                    break;
                }
            if (octal)
                radix = 8;
        }
    }
    double v = 0;
    bool any = false;
    for (; i < s.size(); ++i) {
        int d = hexDigit(s[i]);
        const ushort u = s[i].unicode();
        if (u >= 'g' && u <= 'z')
            d = u - 'a' + 10;
        else if (u >= 'G' && u <= 'Z')
            d = u - 'A' + 10;
        if (d < 0 || d >= radix)
            break;
        v = v * radix + d;
        any = true;
    }
    if (!any)
        return Value(kNaN);
    return Value(negative ? -v : v);
}

Value parseFloatFn(Vm& vm, CallArgs& c) {
    if (c.count() == 0)
        return Value();
    return Value(leadingNumber(vm.toString(c.arg(0))));
}

// setInterval(function, ms, args...) or setInterval(object, "method", ms, args...).
Value startTimer(Vm& vm, CallArgs& c, bool once) {
    if (c.count() < 2)
        return Value();
    Object* first = c.arg(0).object();
    if (!first)
        return Value();
    std::size_t next = 1;
    QString method;
    // A function is called itself, whatever follows it; any other object needs a method's
    // name, which a number never is.
    if (!first->isFunction()) {
        if (c.arg(1).isNumber())
            return Value();
        method = vm.toString(c.arg(1));
        next = 2;
    }
    // An interval needs its period; a timeout without one fires as soon as it can.
    if (!once && c.arg(next).isUndefined())
        return Value();
    const double ms = vm.toNumber(c.arg(next));
    std::vector<Value> args;
    for (std::size_t i = next + 1; i < c.count(); ++i)
        args.push_back(c.arg(i));
    const int id = vm.addTimer(c.arg(0), method, std::move(args), ms, once);
    return id ? Value(id) : Value();
}

} // namespace

void installGlobals(Vm& vm) {
    Object* g = vm.global();
    vm.defineMethod(g, QStringLiteral("escape"), escape);
    vm.defineMethod(g, QStringLiteral("unescape"), unescape);
    vm.defineMethod(g, QStringLiteral("parseInt"), parseIntFn);
    vm.defineMethod(g, QStringLiteral("parseFloat"), parseFloatFn);
    vm.defineMethod(g, QStringLiteral("isNaN"), [](Vm& vm, CallArgs& c) -> Value {
        return Value(std::isnan(vm.toNumber(c.arg(0))));
    });
    vm.defineMethod(g, QStringLiteral("isFinite"), [](Vm& vm, CallArgs& c) -> Value {
        if (c.count() == 0)
            return Value(false);
        return Value(std::isfinite(vm.toNumber(c.arg(0))));
    });
    vm.defineMethod(g, QStringLiteral("getTimer"),
                    [](Vm& vm, CallArgs&) -> Value { return Value(std::floor(vm.timeMs())); });
    vm.defineMethod(g, QStringLiteral("setInterval"),
                    [](Vm& vm, CallArgs& c) { return startTimer(vm, c, false); });
    vm.defineMethod(g, QStringLiteral("setTimeout"),
                    [](Vm& vm, CallArgs& c) { return startTimer(vm, c, true); });
    auto clear = [](Vm& vm, CallArgs& c) -> Value {
        vm.clearTimer(static_cast<int>(vm.toInteger(c.arg(0))));
        return Value();
    };
    vm.defineMethod(g, QStringLiteral("clearInterval"), clear);
    vm.defineMethod(g, QStringLiteral("clearTimeout"), clear);
    vm.defineMethod(g, QStringLiteral("getVersion"),
                    [](Vm&, CallArgs&) -> Value { return Value(QStringLiteral("LNX 10,0,0,0")); });
    vm.defineMethod(g, QStringLiteral("updateAfterEvent"),
                    [](Vm&, CallArgs&) -> Value { return Value(); });
    g->define(QStringLiteral("NaN"), Value(kNaN), propflag::DontEnum);
    g->define(QStringLiteral("Infinity"), Value(std::numeric_limits<double>::infinity()),
              propflag::DontEnum);
}

} // namespace swf::avm1::builtins
