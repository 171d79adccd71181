#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

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

Value split(Vm& vm, CallArgs& c) {
    const QString s = thisString(vm, c);
    ArrayObject* out = vm.newArray();
    double limit = c.arg(1).isUndefined() ? ArrayObject::kMaxLength : vm.toNumber(c.arg(1));
    if (std::isnan(limit) || limit > ArrayObject::kMaxLength)
        limit = ArrayObject::kMaxLength;
    if (limit <= 0 && !c.arg(1).isUndefined())
        return Value(static_cast<Object*>(out));
    if (c.arg(0).isUndefined()) {
        out->push(Value(s));
        return Value(static_cast<Object*>(out));
    }
    const QString sep = vm.toString(c.arg(0));
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
        const double i = vm.toInteger(c.arg(0));
        if (i < 0 || i >= s.size())
            return Value(QString());
        return Value(QString(s[static_cast<int>(i)]));
    });
    vm.defineMethod(proto, QStringLiteral("charCodeAt"), [](Vm& vm, CallArgs& c) -> Value {
        const QString s = thisString(vm, c);
        const double i = vm.toInteger(c.arg(0));
        if (i < 0 || i >= s.size())
            return Value(std::nan(""));
        return Value(static_cast<double>(s[static_cast<int>(i)].unicode()));
    });
    vm.defineMethod(proto, QStringLiteral("concat"), [](Vm& vm, CallArgs& c) -> Value {
        QString s = thisString(vm, c);
        for (const Value& v : c.args)
            s += vm.toString(v);
        return Value(vm.clipString(s));
    });
    vm.defineMethod(proto, QStringLiteral("indexOf"), [](Vm& vm, CallArgs& c) -> Value {
        const QString s = thisString(vm, c);
        const int from = c.count() > 1 ? clampInt(vm.toInteger(c.arg(1)), 0, s.size()) : 0;
        return Value(static_cast<double>(s.indexOf(vm.toString(c.arg(0)), from)));
    });
    vm.defineMethod(proto, QStringLiteral("lastIndexOf"), [](Vm& vm, CallArgs& c) -> Value {
        const QString s = thisString(vm, c);
        const int from = c.count() > 1 ? clampInt(vm.toInteger(c.arg(1)), -1, s.size()) : -1;
        if (from < 0 && c.count() > 1)
            return Value(-1);
        return Value(static_cast<double>(s.lastIndexOf(vm.toString(c.arg(0)), from)));
    });
    vm.defineMethod(proto, QStringLiteral("slice"), [](Vm& vm, CallArgs& c) -> Value {
        if (c.count() == 0)
            return Value(); // no start given is no slice at all, not the whole string
        const QString s = thisString(vm, c);
        const int len = s.size();
        double a = c.arg(0).isUndefined() ? 0 : vm.toInteger(c.arg(0));
        double b = c.arg(1).isUndefined() ? len : vm.toInteger(c.arg(1));
        if (a < 0)
            a += len;
        if (b < 0)
            b += len;
        const int start = clampInt(a, 0, len), end = clampInt(b, 0, len);
        return Value(end > start ? s.mid(start, end - start) : QString());
    });
    vm.defineMethod(proto, QStringLiteral("substring"), [](Vm& vm, CallArgs& c) -> Value {
        const QString s = thisString(vm, c);
        const int len = s.size();
        int a = clampInt(vm.toInteger(c.arg(0)), 0, len);
        int b = c.arg(1).isUndefined() ? len : clampInt(vm.toInteger(c.arg(1)), 0, len);
        if (a > b)
            std::swap(a, b);
        return Value(s.mid(a, b - a));
    });
    vm.defineMethod(proto, QStringLiteral("substr"), [](Vm& vm, CallArgs& c) -> Value {
        const QString s = thisString(vm, c);
        const int len = s.size();
        double a = vm.toInteger(c.arg(0));
        if (a < 0)
            a += len;
        const int start = clampInt(a, 0, len);
        double n = c.arg(1).isUndefined() ? len - start : vm.toInteger(c.arg(1));
        if (n < 0)
            n += len - start; // a negative count counts back from the end
        const int count = clampInt(n, 0, len - start);
        return Value(s.mid(start, count));
    });
    vm.defineMethod(proto, QStringLiteral("split"), split);
    vm.defineMethod(proto, QStringLiteral("toLowerCase"), [](Vm& vm, CallArgs& c) -> Value {
        return Value(thisString(vm, c).toLower());
    });
    vm.defineMethod(proto, QStringLiteral("toUpperCase"), [](Vm& vm, CallArgs& c) -> Value {
        return Value(thisString(vm, c).toUpper());
    });
}

} // namespace swf::avm1::builtins
