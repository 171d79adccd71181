#include "swf/avm1/NumberFormat.h"
#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace swf::avm1::builtins {

namespace {

Value unbox(const CallArgs& c) {
    if (Object* o = c.thisObject(); o && o->hasPrimitive())
        return o->primitive();
    return c.thisv;
}

} // namespace

void installNumber(Vm& vm) {
    Object* proto = vm.heap().make<Object>(vm.protos().object);
    proto->setPrimitive(Value(0));
    vm.protos().number = proto;
    NativeFunction* ctor = vm.defineClass(
        vm.global(), QStringLiteral("Number"),
        [](Vm& vm, CallArgs& c) -> Value {
            const double n = c.count() ? vm.toNumber(c.arg(0)) : 0;
            if (c.construct) {
                if (Object* o = c.thisObject())
                    o->setPrimitive(Value(n));
                return c.thisv;
            }
            return Value(n);
        },
        proto);
    ctor->define(QStringLiteral("MAX_VALUE"), Value(DBL_MAX), propflag::DontEnum);
    ctor->define(QStringLiteral("MIN_VALUE"), Value(std::numeric_limits<double>::denorm_min()),
                 propflag::DontEnum);
    ctor->define(QStringLiteral("NaN"), Value(std::nan("")), propflag::DontEnum);
    ctor->define(QStringLiteral("NEGATIVE_INFINITY"),
                 Value(-std::numeric_limits<double>::infinity()), propflag::DontEnum);
    ctor->define(QStringLiteral("POSITIVE_INFINITY"),
                 Value(std::numeric_limits<double>::infinity()), propflag::DontEnum);
    vm.defineMethod(proto, QStringLiteral("toString"), [](Vm& vm, CallArgs& c) -> Value {
        const Value v = unbox(c);
        const double n = vm.toNumber(v);
        const int radix = c.arg(0).isUndefined() ? 10 : static_cast<int>(vm.toInteger(c.arg(0)));
        return Value(numberToRadixString(n, radix));
    });
    vm.defineMethod(proto, QStringLiteral("valueOf"),
                    [](Vm& vm, CallArgs& c) -> Value { return Value(vm.toNumber(unbox(c))); });
}

void installBoolean(Vm& vm) {
    Object* proto = vm.heap().make<Object>(vm.protos().object);
    proto->setPrimitive(Value(false));
    vm.protos().boolean = proto;
    vm.defineClass(
        vm.global(), QStringLiteral("Boolean"),
        [](Vm& vm, CallArgs& c) -> Value {
            const bool b = c.count() ? vm.toBoolean(c.arg(0)) : false;
            if (c.construct) {
                if (Object* o = c.thisObject())
                    o->setPrimitive(Value(b));
                return c.thisv;
            }
            // Boolean() with nothing to convert gives nothing, unlike new Boolean().
            return c.count() ? Value(b) : Value();
        },
        proto);
    vm.defineMethod(proto, QStringLiteral("toString"), [](Vm& vm, CallArgs& c) -> Value {
        return Value(vm.toBoolean(unbox(c)) ? QStringLiteral("true") : QStringLiteral("false"));
    });
    vm.defineMethod(proto, QStringLiteral("valueOf"),
                    [](Vm& vm, CallArgs& c) -> Value { return Value(vm.toBoolean(unbox(c))); });
}

} // namespace swf::avm1::builtins
