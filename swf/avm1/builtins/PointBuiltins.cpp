#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ScriptAccess.h"

#include <cmath>

namespace swf::avm1::builtins {

namespace {

Value newPoint(Vm& vm, const Value& x, const Value& y) {
    return construct(vm, "flash.geom", "Point", {x, y});
}

Value times(Vm& vm, const Value& a, double f) {
    return Value(vm.toNumber(a) * f);
}

Value minus(Vm& vm, const Value& a, const Value& b) {
    return Value(vm.toNumber(a) - vm.toNumber(b));
}

} // namespace

void installPoint(Vm& vm) {
    Object* geom = package(vm, QStringLiteral("flash.geom"));
    Object* proto = vm.newObject();
    NativeFunction* ctor = vm.defineClass(
        geom, QStringLiteral("Point"),
        [](Vm& vm, CallArgs& c) -> Value {
            // No arguments means the origin; anything given is kept as it came, even a
            // missing y, which a movie then sees as undefined.
            if (c.count() == 0) {
                setField(vm, c.thisv, "x", Value(0));
                setField(vm, c.thisv, "y", Value(0));
            } else {
                setField(vm, c.thisv, "x", c.arg(0));
                setField(vm, c.thisv, "y", c.arg(1));
            }
            return Value();
        },
        proto);

    defineAccessor(vm, proto, "length", [](Vm& vm, CallArgs& c) -> Value {
        const double x = num(vm, c.thisv, "x");
        const double y = num(vm, c.thisv, "y");
        return Value(std::sqrt(x * x + y * y));
    });
    vm.defineMethod(proto, QStringLiteral("add"), [](Vm& vm, CallArgs& c) -> Value {
        return newPoint(vm, vm.add(field(vm, c.thisv, "x"), field(vm, c.arg(0), "x")),
                        vm.add(field(vm, c.thisv, "y"), field(vm, c.arg(0), "y")));
    });
    vm.defineMethod(proto, QStringLiteral("subtract"), [](Vm& vm, CallArgs& c) -> Value {
        return newPoint(vm, minus(vm, field(vm, c.thisv, "x"), field(vm, c.arg(0), "x")),
                        minus(vm, field(vm, c.thisv, "y"), field(vm, c.arg(0), "y")));
    });
    vm.defineMethod(proto, QStringLiteral("equals"), [ctor](Vm& vm, CallArgs& c) -> Value {
        if (!vm.instanceOf(c.arg(0), ctor))
            return Value(false);
        return Value(vm.equals(field(vm, c.thisv, "x"), field(vm, c.arg(0), "x")) &&
                     vm.equals(field(vm, c.thisv, "y"), field(vm, c.arg(0), "y")));
    });
    vm.defineMethod(proto, QStringLiteral("clone"), [](Vm& vm, CallArgs& c) -> Value {
        return newPoint(vm, field(vm, c.thisv, "x"), field(vm, c.thisv, "y"));
    });
    vm.defineMethod(proto, QStringLiteral("offset"), [](Vm& vm, CallArgs& c) -> Value {
        setField(vm, c.thisv, "x", vm.add(field(vm, c.thisv, "x"), c.arg(0)));
        setField(vm, c.thisv, "y", vm.add(field(vm, c.thisv, "y"), c.arg(1)));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("normalize"), [](Vm& vm, CallArgs& c) -> Value {
        const Value x = field(vm, c.thisv, "x");
        const Value y = field(vm, c.thisv, "y");
        // Fields that are not numbers are left alone rather than turned into NaN.
        if (!x.isNumber() || !y.isNumber())
            return Value();
        const double length = std::sqrt(x.number() * x.number() + y.number() * y.number());
        if (length > 0) {
            const double f = vm.toNumber(c.arg(0)) / length;
            setField(vm, c.thisv, "x", times(vm, x, f));
            setField(vm, c.thisv, "y", times(vm, y, f));
        }
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("toString"), [](Vm& vm, CallArgs& c) -> Value {
        return Value(QStringLiteral("(x=") + vm.toString(field(vm, c.thisv, "x")) +
                     QStringLiteral(", y=") + vm.toString(field(vm, c.thisv, "y")) +
                     QLatin1Char(')'));
    });

    vm.defineMethod(ctor, QStringLiteral("distance"), [](Vm& vm, CallArgs& c) -> Value {
        // Through the first point's own subtract, so a plain object gives undefined as in
        // Flash.
        const Value b = c.arg(1);
        const Value diff = vm.callMethod(c.arg(0), QStringLiteral("subtract"), {&b, 1});
        return field(vm, diff, "length");
    });
    vm.defineMethod(ctor, QStringLiteral("interpolate"), [](Vm& vm, CallArgs& c) -> Value {
        const Value a = c.arg(0);
        const Value b = c.arg(1);
        const double f = vm.toNumber(c.arg(2));
        auto mix = [&](const char* n) {
            return Value(num(vm, b, n) + f * (num(vm, a, n) - num(vm, b, n)));
        };
        return newPoint(vm, mix("x"), mix("y"));
    });
    vm.defineMethod(ctor, QStringLiteral("polar"), [](Vm& vm, CallArgs& c) -> Value {
        const double length = vm.toNumber(c.arg(0));
        const double angle = vm.toNumber(c.arg(1));
        return newPoint(vm, Value(length * std::cos(angle)), Value(length * std::sin(angle)));
    });
}

} // namespace swf::avm1::builtins
