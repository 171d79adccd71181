#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ColorTransformObject.h"
#include "swf/avm1/builtins/ScriptAccess.h"

#include <cmath>

namespace swf::avm1::builtins {

namespace {

constexpr const char* kNames[] = {"redMultiplier",   "greenMultiplier", "blueMultiplier",
                                  "alphaMultiplier", "redOffset",       "greenOffset",
                                  "blueOffset",      "alphaOffset"};

ColorTransformObject* self(const CallArgs& c) {
    return dynamic_cast<ColorTransformObject*>(c.thisObject());
}

// An offset as the 8-bit channel value rgb reports: wrapped like Flash's integer conversion.
uint32_t channel(double offset) {
    if (!std::isfinite(offset))
        return 0;
    return static_cast<uint32_t>(
               static_cast<int64_t>(std::fmod(std::trunc(offset), 4294967296.0))) &
           0xff;
}

void enumerableAccessor(Vm& vm, Object* on, const char* name, NativeFunction::Fn get,
                        NativeFunction::Fn set) {
    on->defineAccessor(QLatin1String(name), vm.newNative(std::move(get)),
                       vm.newNative(std::move(set)));
}

} // namespace

void installColorTransform(Vm& vm) {
    Object* geom = package(vm, QStringLiteral("flash.geom"));
    Object* proto = vm.newObject();
    NativeFunction* ctor = vm.defineClass(
        geom, QStringLiteral("ColorTransform"),
        [](Vm& vm, CallArgs& c) -> Value {
            ColorTransformObject* ct = self(c);
            if (!ct)
                return Value();
            for (std::size_t i = 0; i < 8 && i < c.count(); ++i)
                ct->v[i] = vm.toNumber(c.arg(i));
            return Value();
        },
        proto);
    ctor->setAllocator(
        [](Vm& vm, Object* p) -> Object* { return vm.heap().make<ColorTransformObject>(p); });

    // Flash lists these in a for..in (newest first), so they are made in its order and left
    // enumerable.
    for (int i : {3, 0, 1, 2, 7, 4, 5, 6}) {
        enumerableAccessor(
            vm, proto, kNames[i],
            [i](Vm&, CallArgs& c) -> Value {
                ColorTransformObject* ct = self(c);
                return ct ? Value(ct->v[i]) : Value();
            },
            [i](Vm& vm, CallArgs& c) -> Value {
                if (ColorTransformObject* ct = self(c))
                    ct->v[i] = vm.toNumber(c.arg(0));
                return Value();
            });
    }
    enumerableAccessor(
        vm, proto, "rgb",
        [](Vm&, CallArgs& c) -> Value {
            ColorTransformObject* ct = self(c);
            if (!ct)
                return Value();
            using F = ColorTransformObject;
            return Value(static_cast<double>((channel(ct->v[F::RedAdd]) << 16) |
                                             (channel(ct->v[F::GreenAdd]) << 8) |
                                             channel(ct->v[F::BlueAdd])));
        },
        [](Vm& vm, CallArgs& c) -> Value {
            ColorTransformObject* ct = self(c);
            if (!ct)
                return Value();
            // A solid colour: the picture's own red, green and blue no longer count.
            using F = ColorTransformObject;
            const uint32_t rgb = vm.toUint32(c.arg(0));
            ct->v[F::RedMul] = ct->v[F::GreenMul] = ct->v[F::BlueMul] = 0;
            ct->v[F::RedAdd] = (rgb >> 16) & 0xff;
            ct->v[F::GreenAdd] = (rgb >> 8) & 0xff;
            ct->v[F::BlueAdd] = rgb & 0xff;
            return Value();
        });
    vm.defineMethod(
        proto, QStringLiteral("concat"),
        [](Vm&, CallArgs& c) -> Value {
            ColorTransformObject* ct = self(c);
            auto* other = dynamic_cast<ColorTransformObject*>(c.arg(0).object());
            if (ct && other)
                ct->concat(*other);
            return Value();
        },
        0);
    vm.defineMethod(
        proto, QStringLiteral("toString"),
        [](Vm& vm, CallArgs& c) -> Value {
            QString s = QStringLiteral("(");
            for (int i = 0; i < 8; ++i) {
                if (i)
                    s += QStringLiteral(", ");
                s += QLatin1String(kNames[i]) + QLatin1Char('=') +
                     vm.toString(field(vm, c.thisv, kNames[i]));
            }
            return Value(s + QLatin1Char(')'));
        },
        0);
}

} // namespace swf::avm1::builtins
