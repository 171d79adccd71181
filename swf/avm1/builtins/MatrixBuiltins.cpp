#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ScriptAccess.h"

#include <cmath>

namespace swf::avm1::builtins {

namespace {

struct M {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

M read(Vm& vm, const Value& o) {
    return {num(vm, o, "a"), num(vm, o, "b"),  num(vm, o, "c"),
            num(vm, o, "d"), num(vm, o, "tx"), num(vm, o, "ty")};
}

void write(Vm& vm, const Value& o, const M& m) {
    setField(vm, o, "a", Value(m.a));
    setField(vm, o, "b", Value(m.b));
    setField(vm, o, "c", Value(m.c));
    setField(vm, o, "d", Value(m.d));
    setField(vm, o, "tx", Value(m.tx));
    setField(vm, o, "ty", Value(m.ty));
}

// first, then second: the matrix that applies first's transformation and then second's.
M multiply(const M& m, const M& n) {
    return {m.a * n.a + m.b * n.c, m.a * n.b + m.b * n.d,          m.c * n.a + m.d * n.c,
            m.c * n.b + m.d * n.d, m.tx * n.a + m.ty * n.c + n.tx, m.tx * n.b + m.ty * n.d + n.ty};
}

// A missing translation means none; a missing angle is NaN for createBox, as Flash has it.
double orZero(Vm& vm, const Value& v) {
    return v.isUndefined() ? 0 : vm.toNumber(v);
}

M box(double sx, double sy, double angle, double tx, double ty) {
    const double cs = std::cos(angle);
    const double sn = std::sin(angle);
    return {cs * sx, sn * sy, -sn * sx, cs * sy, tx, ty};
}

} // namespace

void installMatrix(Vm& vm) {
    Object* geom = package(vm, QStringLiteral("flash.geom"));
    Object* proto = vm.newObject();
    vm.defineClass(
        geom, QStringLiteral("Matrix"),
        [](Vm& vm, CallArgs& c) -> Value {
            if (c.count() == 0) {
                write(vm, c.thisv, M{});
                return Value();
            }
            const char* names[] = {"a", "b", "c", "d", "tx", "ty"};
            for (std::size_t i = 0; i < 6; ++i)
                setField(vm, c.thisv, names[i], c.arg(i));
            return Value();
        },
        proto);

    vm.defineMethod(proto, QStringLiteral("clone"), [](Vm& vm, CallArgs& c) -> Value {
        return construct(vm, "flash.geom", "Matrix",
                         {field(vm, c.thisv, "a"), field(vm, c.thisv, "b"), field(vm, c.thisv, "c"),
                          field(vm, c.thisv, "d"), field(vm, c.thisv, "tx"),
                          field(vm, c.thisv, "ty")});
    });
    vm.defineMethod(proto, QStringLiteral("identity"), [](Vm& vm, CallArgs& c) -> Value {
        write(vm, c.thisv, M{});
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("concat"), [](Vm& vm, CallArgs& c) -> Value {
        write(vm, c.thisv, multiply(read(vm, c.thisv), read(vm, c.arg(0))));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("translate"), [](Vm& vm, CallArgs& c) -> Value {
        M m = read(vm, c.thisv);
        m.tx += vm.toNumber(c.arg(0));
        m.ty += vm.toNumber(c.arg(1));
        write(vm, c.thisv, m);
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("scale"), [](Vm& vm, CallArgs& c) -> Value {
        const double sx = vm.toNumber(c.arg(0));
        const double sy = vm.toNumber(c.arg(1));
        write(vm, c.thisv, multiply(read(vm, c.thisv), M{sx, 0, 0, sy, 0, 0}));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("rotate"), [](Vm& vm, CallArgs& c) -> Value {
        const double q = vm.toNumber(c.arg(0));
        write(vm, c.thisv, multiply(read(vm, c.thisv), box(1, 1, q, 0, 0)));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("invert"), [](Vm& vm, CallArgs& c) -> Value {
        const M m = read(vm, c.thisv);
        const double det = m.a * m.d - m.b * m.c;
        // A flattened matrix has no inverse; collapsing to the identity keeps every later
        // use finite instead of spreading infinities through a movie's geometry.
        if (det == 0 || !std::isfinite(det)) {
            write(vm, c.thisv, M{});
            return Value();
        }
        M r{m.d / det, -m.b / det, -m.c / det, m.a / det, 0, 0};
        r.tx = -(r.a * m.tx + r.c * m.ty);
        r.ty = -(r.b * m.tx + r.d * m.ty);
        write(vm, c.thisv, r);
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("createBox"), [](Vm& vm, CallArgs& c) -> Value {
        write(vm, c.thisv,
              box(vm.toNumber(c.arg(0)), vm.toNumber(c.arg(1)), vm.toNumber(c.arg(2)),
                  orZero(vm, c.arg(3)), orZero(vm, c.arg(4))));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("createGradientBox"), [](Vm& vm, CallArgs& c) -> Value {
        // Gradients are defined on a 1638.4-pixel square centred on the origin.
        const double w = vm.toNumber(c.arg(0));
        const double h = vm.toNumber(c.arg(1));
        write(vm, c.thisv,
              box(w / 1638.4, h / 1638.4, orZero(vm, c.arg(2)), orZero(vm, c.arg(3)) + w / 2,
                  orZero(vm, c.arg(4)) + h / 2));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("transformPoint"), [](Vm& vm, CallArgs& c) -> Value {
        const M m = read(vm, c.thisv);
        const double x = num(vm, c.arg(0), "x");
        const double y = num(vm, c.arg(0), "y");
        return construct(vm, "flash.geom", "Point",
                         {Value(m.a * x + m.c * y + m.tx), Value(m.b * x + m.d * y + m.ty)});
    });
    vm.defineMethod(proto, QStringLiteral("deltaTransformPoint"), [](Vm& vm, CallArgs& c) -> Value {
        const M m = read(vm, c.thisv);
        const double x = num(vm, c.arg(0), "x");
        const double y = num(vm, c.arg(0), "y");
        return construct(vm, "flash.geom", "Point",
                         {Value(m.a * x + m.c * y), Value(m.b * x + m.d * y)});
    });
    vm.defineMethod(proto, QStringLiteral("toString"), [](Vm& vm, CallArgs& c) -> Value {
        auto s = [&](const char* n) { return vm.toString(field(vm, c.thisv, n)); };
        return Value(QStringLiteral("(a=%1, b=%2, c=%3, d=%4, tx=%5, ty=%6)")
                         .arg(s("a"), s("b"), s("c"), s("d"), s("tx"), s("ty")));
    });
}

} // namespace swf::avm1::builtins
