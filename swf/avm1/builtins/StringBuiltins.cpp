#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1::builtins {

namespace {

QString thisString(Vm& vm, CallArgs& c) {
    if (c.thisv.isString())
        return c.thisv.string();
    if (Object* o = c.thisObject(); o && o->hasPrimitive())
        return vm.toString(o->primitive());
    return vm.toString(c.thisv);
}

int clampInt(double v, int lo, int hi) {
    if (std::isnan(v))
        return lo;
    return static_cast<int>(std::max<double>(lo, std::min<double>(hi, v)));
}

// Positions and counts wrap to 32 bits, as everywhere Flash takes an integer.
int intArg(Vm& vm, const Value& v) {
    return vm.toInt32(v);
}

// Case changes go character by character: Flash never turns one character into two.
template <typename Map> QString mapCase(const QString& s, Map map) {
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            const char32_t mapped = map(QChar::surrogateToUcs4(c, s[i + 1]));
            const char16_t pair[2] = {QChar::highSurrogate(mapped), QChar::lowSurrogate(mapped)};
            out.append(reinterpret_cast<const QChar*>(pair), 2);
            ++i;
        } else {
            out += QChar(static_cast<char16_t>(map(c.unicode())));
        }
    }
    return out;
}

Value split(Vm& vm, CallArgs& c) {
    const QString s = thisString(vm, c);
    ArrayObject* out = vm.newArray();
    // Flash 5 splits at commas when no separator is given; later versions answer the
    // whole string, whatever limit was asked for.
    const bool noSeparator = c.arg(0).isUndefined();
    if (noSeparator && vm.version() >= 6) {
        out->push(Value(s));
        return Value(static_cast<Object*>(out));
    }
    double limit = ArrayObject::kMaxLength;
    if (!c.arg(1).isUndefined()) {
        limit = std::min<double>(vm.toInt32(c.arg(1)), ArrayObject::kMaxLength);
        if (limit <= 0)
            return Value(static_cast<Object*>(out));
    }
    const QString sep = noSeparator ? QStringLiteral(",") : vm.toString(c.arg(0));
    if (sep.isEmpty()) {
        // SWF 5 and earlier answer the whole string; later versions split into characters.
        if (vm.version() < 6) {
            out->push(Value(s));
        } else {
            for (int i = 0; i < s.size() && out->length() < limit; ++i)
                out->push(Value(QString(s[i])));
        }
        return Value(static_cast<Object*>(out));
    }
    int start = 0;
    while (out->length() < limit) {
        const int at = s.indexOf(sep, start);
        if (at < 0) {
            out->push(Value(s.mid(start)));
            break;
        }
        out->push(Value(s.mid(start, at - start)));
        start = at + sep.size();
    }
    return Value(static_cast<Object*>(out));
}

} // namespace

void installString(Vm& vm) {
    Object* proto = vm.heap().make<Object>(vm.protos().object);
    proto->setPrimitive(Value(QString()));
    vm.protos().string = proto;
    NativeFunction* ctor = vm.defineClass(
        vm.global(), QStringLiteral("String"),
        [](Vm& vm, CallArgs& c) -> Value {
            const QString s = c.count() ? vm.toString(c.arg(0)) : QString();
            if (c.construct) {
                if (Object* o = c.thisObject()) {
                    o->setPrimitive(Value(s));
                    o->define(QStringLiteral("length"), Value(static_cast<double>(s.size())),
                              propflag::DontEnum);
                }
                return c.thisv;
            }
            return Value(s);
        },
        proto);
    vm.defineMethod(ctor, QStringLiteral("fromCharCode"), [](Vm& vm, CallArgs& c) -> Value {
        QString s;
        for (const Value& v : c.args) {
            const uint32_t code = vm.toUint32(v) & 0xFFFF;
            if (code == 0)
                break;
            s += QChar(static_cast<char16_t>(code));
        }
        return Value(s);
    });
    vm.defineMethod(proto, QStringLiteral("toString"),
                    [](Vm& vm, CallArgs& c) -> Value { return Value(thisString(vm, c)); });
    vm.defineMethod(proto, QStringLiteral("valueOf"),
                    [](Vm& vm, CallArgs& c) -> Value { return Value(thisString(vm, c)); });
    vm.defineMethod(proto, QStringLiteral("charAt"), [](Vm& vm, CallArgs& c) -> Value {
        const QString s = thisString(vm, c);
        const int i = intArg(vm, c.arg(0));
        if (i < 0 || i >= s.size())
            return Value(QString());
        return Value(QString(s[i]));
    });
    vm.defineMethod(proto, QStringLiteral("charCodeAt"), [](Vm& vm, CallArgs& c) -> Value {
        const QString s = thisString(vm, c);
        const int i = intArg(vm, c.arg(0));
        if (i < 0)
            return Value(std::nan(""));
        if (i >= s.size())
            return vm.version() < 6 ? Value(0) : Value(std::nan(""));
        return Value(static_cast<double>(s[i].unicode()));
    });
    vm.defineMethod(proto, QStringLiteral("concat"), [](Vm& vm, CallArgs& c) -> Value {
        QString s = thisString(vm, c);
        for (const Value& v : c.args)
            s += vm.toString(v);
        return Value(vm.clipString(s));
    });
    vm.defineMethod(proto, QStringLiteral("indexOf"), [](Vm& vm, CallArgs& c) -> Value {
        if (c.count() == 0)
            return Value();
        const QString s = thisString(vm, c);
        const int from = c.count() > 1 ? std::max(0, intArg(vm, c.arg(1))) : 0;
        if (from > s.size())
            return Value(-1);
        return Value(static_cast<double>(s.indexOf(vm.toString(c.arg(0)), from)));
    });
    vm.defineMethod(proto, QStringLiteral("lastIndexOf"), [](Vm& vm, CallArgs& c) -> Value {
        if (c.count() == 0)
            return Value();
        const QString s = thisString(vm, c);
        int from = static_cast<int>(s.size());
        if (!c.arg(1).isUndefined()) {
            from = intArg(vm, c.arg(1));
            if (from < 0)
                return Value(-1);
            from = std::min(from, static_cast<int>(s.size()));
        }
        return Value(static_cast<double>(s.lastIndexOf(vm.toString(c.arg(0)), from)));
    });
    vm.defineMethod(proto, QStringLiteral("slice"), [](Vm& vm, CallArgs& c) -> Value {
        if (c.count() == 0)
            return Value(); // no start given is no slice at all, not the whole string
        const QString s = thisString(vm, c);
        const int len = s.size();
        double a = c.arg(0).isUndefined() ? 0 : intArg(vm, c.arg(0));
        double b = c.arg(1).isUndefined() ? len : intArg(vm, c.arg(1));
        if (a < 0)
            a += len;
        if (b < 0)
            b += len;
        const int start = clampInt(a, 0, len), end = clampInt(b, 0, len);
        return Value(end > start ? s.mid(start, end - start) : QString());
    });
    vm.defineMethod(proto, QStringLiteral("substring"), [](Vm& vm, CallArgs& c) -> Value {
        if (c.count() == 0)
            return Value();
        const QString s = thisString(vm, c);
        const int len = s.size();
        int a = clampInt(intArg(vm, c.arg(0)), 0, len);
        int b = c.arg(1).isUndefined() ? len : clampInt(intArg(vm, c.arg(1)), 0, len);
        if (a > b)
            std::swap(a, b);
        return Value(s.mid(a, b - a));
    });
    vm.defineMethod(proto, QStringLiteral("substr"), [](Vm& vm, CallArgs& c) -> Value {
        if (c.count() == 0)
            return Value();
        const QString s = thisString(vm, c);
        const int len = s.size();
        double a = intArg(vm, c.arg(0));
        if (a < 0)
            a += len;
        const int start = clampInt(a, 0, len);
        double n = c.arg(1).isUndefined() ? len - start : intArg(vm, c.arg(1));
        if (n < 0) {
            // A negative count is the length less that many, and gives nothing when that
            // would reach the end of the string.
            n += len;
            if (start + n >= len)
                return Value(QString());
        }
        const int count = clampInt(n, 0, len - start);
        return Value(s.mid(start, count));
    });
    vm.defineMethod(proto, QStringLiteral("split"), split);
    vm.defineMethod(proto, QStringLiteral("toLowerCase"), [](Vm& vm, CallArgs& c) -> Value {
        return Value(mapCase(thisString(vm, c), [](char32_t u) { return QChar::toLower(u); }));
    });
    vm.defineMethod(proto, QStringLiteral("toUpperCase"), [](Vm& vm, CallArgs& c) -> Value {
        return Value(mapCase(thisString(vm, c), [](char32_t u) { return QChar::toUpper(u); }));
    });
}

} // namespace swf::avm1::builtins
