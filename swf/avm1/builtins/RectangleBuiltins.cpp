#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ScriptAccess.h"

#include <cmath>
#include <limits>

namespace swf::avm1::builtins {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Value newRect(Vm& vm, double x, double y, double w, double h) {
    return construct(vm, "flash.geom", "Rectangle", {Value(x), Value(y), Value(w), Value(h)});
}

Value newPoint(Vm& vm, const Value& x, const Value& y) {
    return construct(vm, "flash.geom", "Point", {x, y});
}

// Math.min and Math.max: NaN wins, unlike std::min.
double minOf(double a, double b) {
    return std::isnan(a) || std::isnan(b) ? kNaN : std::min(a, b);
}
double maxOf(double a, double b) {
    return std::isnan(a) || std::isnan(b) ? kNaN : std::max(a, b);
}

struct Box {
    double x, y, w, h;
    double right() const { return x + w; }
    double bottom() const { return y + h; }
};

Box box(Vm& vm, const Value& o) {
    return {num(vm, o, "x"), num(vm, o, "y"), num(vm, o, "width"), num(vm, o, "height")};
}

void setBox(Vm& vm, const Value& o, const Box& b) {
    setField(vm, o, "x", Value(b.x));
    setField(vm, o, "y", Value(b.y));
    setField(vm, o, "width", Value(b.w));
    setField(vm, o, "height", Value(b.h));
}

// Half-open: the right and bottom edges are outside. Undefined when a coordinate is not a
// number, as Flash answers.
Value containsXY(const Box& r, double x, double y) {
    if (std::isnan(x) || std::isnan(y))
        return Value();
    return Value(x >= r.x && x < r.right() && y >= r.y && y < r.bottom());
}

bool intersect(const Box& a, const Box& b, Box& out) {
    const double l = maxOf(a.x, b.x);
    const double t = maxOf(a.y, b.y);
    const double r = minOf(a.right(), b.right());
    const double btm = minOf(a.bottom(), b.bottom());
    if (!(r > l) || !(btm > t))
        return false;
    out = {l, t, r - l, btm - t};
    return true;
}

} // namespace

void installRectangle(Vm& vm) {
    Object* geom = package(vm, QStringLiteral("flash.geom"));
    Object* proto = vm.newObject();
    NativeFunction* ctor = vm.defineClass(
        geom, QStringLiteral("Rectangle"),
        [](Vm& vm, CallArgs& c) -> Value {
            if (c.count() == 0) {
                setBox(vm, c.thisv, {0, 0, 0, 0});
            } else {
                setField(vm, c.thisv, "x", c.arg(0));
                setField(vm, c.thisv, "y", c.arg(1));
                setField(vm, c.thisv, "width", c.arg(2));
                setField(vm, c.thisv, "height", c.arg(3));
            }
            return Value();
        },
        proto);

    // The edges are views of x, y, width and height; moving one edge keeps the opposite one
    // where it was.
    defineAccessor(
        vm, proto, "left", [](Vm& vm, CallArgs& c) { return field(vm, c.thisv, "x"); },
        [](Vm& vm, CallArgs& c) -> Value {
            const Box b = box(vm, c.thisv);
            setField(vm, c.thisv, "width", Value(b.right() - vm.toNumber(c.arg(0))));
            setField(vm, c.thisv, "x", c.arg(0));
            return Value();
        });
    defineAccessor(
        vm, proto, "top", [](Vm& vm, CallArgs& c) { return field(vm, c.thisv, "y"); },
        [](Vm& vm, CallArgs& c) -> Value {
            const Box b = box(vm, c.thisv);
            setField(vm, c.thisv, "height", Value(b.bottom() - vm.toNumber(c.arg(0))));
            setField(vm, c.thisv, "y", c.arg(0));
            return Value();
        });
    defineAccessor(
        vm, proto, "right", [](Vm& vm, CallArgs& c) { return Value(box(vm, c.thisv).right()); },
        [](Vm& vm, CallArgs& c) -> Value {
            setField(vm, c.thisv, "width", Value(vm.toNumber(c.arg(0)) - num(vm, c.thisv, "x")));
            return Value();
        });
    defineAccessor(
        vm, proto, "bottom", [](Vm& vm, CallArgs& c) { return Value(box(vm, c.thisv).bottom()); },
        [](Vm& vm, CallArgs& c) -> Value {
            setField(vm, c.thisv, "height", Value(vm.toNumber(c.arg(0)) - num(vm, c.thisv, "y")));
            return Value();
        });
    defineAccessor(
        vm, proto, "topLeft",
        [](Vm& vm, CallArgs& c) {
            return newPoint(vm, field(vm, c.thisv, "x"), field(vm, c.thisv, "y"));
        },
        [](Vm& vm, CallArgs& c) -> Value {
            const Box b = box(vm, c.thisv);
            const Value px = field(vm, c.arg(0), "x");
            const Value py = field(vm, c.arg(0), "y");
            setField(vm, c.thisv, "width", Value(b.right() - vm.toNumber(px)));
            setField(vm, c.thisv, "height", Value(b.bottom() - vm.toNumber(py)));
            setField(vm, c.thisv, "x", px);
            setField(vm, c.thisv, "y", py);
            return Value();
        });
    defineAccessor(
        vm, proto, "bottomRight",
        [](Vm& vm, CallArgs& c) {
            const Box b = box(vm, c.thisv);
            return newPoint(vm, Value(b.right()), Value(b.bottom()));
        },
        [](Vm& vm, CallArgs& c) -> Value {
            const Box b = box(vm, c.thisv);
            setField(vm, c.thisv, "width", Value(num(vm, c.arg(0), "x") - b.x));
            setField(vm, c.thisv, "height", Value(num(vm, c.arg(0), "y") - b.y));
            return Value();
        });
    defineAccessor(
        vm, proto, "size",
        [](Vm& vm, CallArgs& c) {
            return newPoint(vm, field(vm, c.thisv, "width"), field(vm, c.thisv, "height"));
        },
        [](Vm& vm, CallArgs& c) -> Value {
            setField(vm, c.thisv, "width", field(vm, c.arg(0), "x"));
            setField(vm, c.thisv, "height", field(vm, c.arg(0), "y"));
            return Value();
        });

    vm.defineMethod(proto, QStringLiteral("clone"), [](Vm& vm, CallArgs& c) -> Value {
        return construct(vm, "flash.geom", "Rectangle",
                         {field(vm, c.thisv, "x"), field(vm, c.thisv, "y"),
                          field(vm, c.thisv, "width"), field(vm, c.thisv, "height")});
    });
    vm.defineMethod(proto, QStringLiteral("equals"), [ctor](Vm& vm, CallArgs& c) -> Value {
        if (!vm.instanceOf(c.arg(0), ctor))
            return Value(false);
        for (const char* n : {"x", "y", "width", "height"})
            if (!vm.equals(field(vm, c.thisv, n), field(vm, c.arg(0), n)))
                return Value(false);
        return Value(true);
    });
    vm.defineMethod(proto, QStringLiteral("isEmpty"), [](Vm& vm, CallArgs& c) -> Value {
        const Box b = box(vm, c.thisv);
        return Value(!(b.w > 0) || !(b.h > 0));
    });
    vm.defineMethod(proto, QStringLiteral("setEmpty"), [](Vm& vm, CallArgs& c) -> Value {
        setBox(vm, c.thisv, {0, 0, 0, 0});
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("contains"), [](Vm& vm, CallArgs& c) -> Value {
        return containsXY(box(vm, c.thisv), vm.toNumber(c.arg(0)), vm.toNumber(c.arg(1)));
    });
    vm.defineMethod(proto, QStringLiteral("containsPoint"), [](Vm& vm, CallArgs& c) -> Value {
        return containsXY(box(vm, c.thisv), num(vm, c.arg(0), "x"), num(vm, c.arg(0), "y"));
    });
    vm.defineMethod(proto, QStringLiteral("containsRectangle"), [](Vm& vm, CallArgs& c) -> Value {
        const Box r = box(vm, c.thisv);
        const Box o = box(vm, c.arg(0));
        if (std::isnan(o.x) || std::isnan(o.y) || std::isnan(o.right()) || std::isnan(o.bottom()))
            return Value();
        return Value(o.x >= r.x && o.y >= r.y && o.right() <= r.right() &&
                     o.bottom() <= r.bottom());
    });
    auto inflate = [](Vm& vm, const Value& self, double dx, double dy) {
        Box b = box(vm, self);
        setBox(vm, self, {b.x - dx, b.y - dy, b.w + 2 * dx, b.h + 2 * dy});
    };
    vm.defineMethod(proto, QStringLiteral("inflate"), [inflate](Vm& vm, CallArgs& c) -> Value {
        inflate(vm, c.thisv, vm.toNumber(c.arg(0)), vm.toNumber(c.arg(1)));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("inflatePoint"), [inflate](Vm& vm, CallArgs& c) -> Value {
        inflate(vm, c.thisv, num(vm, c.arg(0), "x"), num(vm, c.arg(0), "y"));
        return Value();
    });
    auto offset = [](Vm& vm, const Value& self, double dx, double dy) {
        setField(vm, self, "x", Value(num(vm, self, "x") + dx));
        setField(vm, self, "y", Value(num(vm, self, "y") + dy));
    };
    vm.defineMethod(proto, QStringLiteral("offset"), [offset](Vm& vm, CallArgs& c) -> Value {
        offset(vm, c.thisv, vm.toNumber(c.arg(0)), vm.toNumber(c.arg(1)));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("offsetPoint"), [offset](Vm& vm, CallArgs& c) -> Value {
        offset(vm, c.thisv, num(vm, c.arg(0), "x"), num(vm, c.arg(0), "y"));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("intersection"), [](Vm& vm, CallArgs& c) -> Value {
        Box out{0, 0, 0, 0};
        if (!intersect(box(vm, c.thisv), box(vm, c.arg(0)), out))
            out = {0, 0, 0, 0};
        return newRect(vm, out.x, out.y, out.w, out.h);
    });
    vm.defineMethod(proto, QStringLiteral("intersects"), [](Vm& vm, CallArgs& c) -> Value {
        Box out{0, 0, 0, 0};
        return Value(intersect(box(vm, c.thisv), box(vm, c.arg(0)), out));
    });
    vm.defineMethod(proto, QStringLiteral("union"), [](Vm& vm, CallArgs& c) -> Value {
        const Box a = box(vm, c.thisv);
        const Box b = box(vm, c.arg(0));
        const double l = minOf(a.x, b.x);
        const double t = minOf(a.y, b.y);
        return newRect(vm, l, t, maxOf(a.right(), b.right()) - l,
                       maxOf(a.bottom(), b.bottom()) - t);
    });
    vm.defineMethod(proto, QStringLiteral("toString"), [](Vm& vm, CallArgs& c) -> Value {
        auto s = [&](const char* n) { return vm.toString(field(vm, c.thisv, n)); };
        return Value(QStringLiteral("(x=%1, y=%2, w=%3, h=%4)")
                         .arg(s("x"), s("y"), s("width"), s("height")));
    });
}

} // namespace swf::avm1::builtins
