// flash.geom.Transform and MovieClip.transform: a clip's matrix and colour transform as
// Matrix and ColorTransform objects. Each read gives a fresh copy; writing one back applies it.

#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ColorTransformObject.h"
#include "swf/avm1/builtins/ScriptAccess.h"

namespace swf::avm1::builtins {

namespace {

constexpr uint32_t kHidden = propflag::DontEnum | propflag::DontDelete;

ClipBridge* clipOfValue(Vm& vm, const Value& v) {
    auto* o = dynamic_cast<MovieClipObject*>(v.object());
    return o ? o->clip(vm) : nullptr;
}

// The clip a Transform was made for (kept in a hidden field).
ClipBridge* clipOfTransform(Vm& vm, CallArgs& c) {
    Object* self = c.thisObject();
    Value clip;
    if (!self || !vm.lookup(self, QStringLiteral("__clip"), clip))
        return nullptr;
    return clipOfValue(vm, clip);
}

Value geomObject(Vm& vm, const char* cls, std::vector<Value> args) {
    const Value ctor =
        vm.getMember(vm.getMember(vm.getMember(Value(vm.global()), QStringLiteral("flash")),
                                  QStringLiteral("geom")),
                     QLatin1String(cls));
    return vm.construct(ctor, args);
}

Value matrixValue(Vm& vm, const QTransform& m) {
    return geomObject(vm, "Matrix",
                      {Value(m.m11()), Value(m.m12()), Value(m.m21()), Value(m.m22()),
                       Value(m.dx()), Value(m.dy())});
}

Value colorValue(Vm& vm, const ClipBridge::ColorValues& cx) {
    std::vector<Value> args;
    for (double v : cx)
        args.emplace_back(v);
    return geomObject(vm, "ColorTransform", std::move(args));
}

// Only an object with all six fields is a matrix; anything less leaves the clip as it is.
void applyMatrix(Vm& vm, ClipBridge* clip, const Value& m) {
    if (!clip || !m.object())
        return;
    double f[6];
    const char* names[6] = {"a", "b", "c", "d", "tx", "ty"};
    for (int i = 0; i < 6; ++i) {
        Value v;
        if (!vm.lookup(m.object(), QLatin1String(names[i]), v))
            return;
        f[i] = vm.toNumber(v);
    }
    clip->setMatrix(QTransform(f[0], f[1], f[2], f[3], f[4], f[5]));
}

void applyColor(ClipBridge* clip, const Value& v) {
    auto* ct = dynamic_cast<ColorTransformObject*>(v.object());
    if (clip && ct)
        clip->setColorTransform(ct->v);
}

Value newTransform(Vm& vm, const Value& clip) {
    return geomObject(vm, "Transform", {clip});
}

void accessor(Vm& vm, Object* on, const char* name, NativeFunction::Fn get,
              NativeFunction::Fn set) {
    on->defineAccessor(QLatin1String(name), vm.newNative(std::move(get)),
                       vm.newNative(std::move(set)), kHidden);
}

} // namespace

void installTransform(Vm& vm) {
    Object* geom = package(vm, QStringLiteral("flash.geom"));
    Object* proto = vm.newObject();
    vm.defineClass(
        geom, QStringLiteral("Transform"),
        [](Vm& vm, CallArgs& c) -> Value {
            Object* self = c.thisObject();
            if (self && c.construct && clipOfValue(vm, c.arg(0)))
                self->define(QStringLiteral("__clip"), c.arg(0), kHidden);
            return Value();
        },
        proto);
    accessor(
        vm, proto, "matrix",
        [](Vm& vm, CallArgs& c) -> Value {
            ClipBridge* clip = clipOfTransform(vm, c);
            return clip ? matrixValue(vm, clip->matrix()) : Value();
        },
        [](Vm& vm, CallArgs& c) -> Value {
            applyMatrix(vm, clipOfTransform(vm, c), c.arg(0));
            return Value();
        });
    accessor(
        vm, proto, "concatenatedMatrix",
        [](Vm& vm, CallArgs& c) -> Value {
            ClipBridge* clip = clipOfTransform(vm, c);
            return clip ? matrixValue(vm, clip->concatenatedMatrix()) : Value();
        },
        [](Vm&, CallArgs&) -> Value { return Value(); });
    accessor(
        vm, proto, "colorTransform",
        [](Vm& vm, CallArgs& c) -> Value {
            ClipBridge* clip = clipOfTransform(vm, c);
            return clip ? colorValue(vm, clip->colorTransform()) : Value();
        },
        [](Vm& vm, CallArgs& c) -> Value {
            applyColor(clipOfTransform(vm, c), c.arg(0));
            return Value();
        });
    accessor(
        vm, proto, "concatenatedColorTransform",
        [](Vm& vm, CallArgs& c) -> Value {
            ClipBridge* clip = clipOfTransform(vm, c);
            if (!clip)
                return Value();
            // Each ancestor's transform applies after the ones below it.
            ClipBridge::ColorValues cx = clip->colorTransform();
            for (ClipBridge* p = clip->parent(); p; p = p->parent()) {
                const ClipBridge::ColorValues outer = p->colorTransform();
                for (std::size_t i = 0; i < 4; ++i) {
                    cx[i + 4] = cx[i + 4] * outer[i] + outer[i + 4];
                    cx[i] *= outer[i];
                }
            }
            return colorValue(vm, cx);
        },
        [](Vm&, CallArgs&) -> Value { return Value(); });

    // MovieClip.transform: a new Transform each time; assigning one copies its parts.
    if (Object* clipProto = vm.protos().movieClip) {
        clipProto->defineAccessor(
            QStringLiteral("transform"), vm.newNative([](Vm& vm, CallArgs& c) -> Value {
                return clipOfValue(vm, c.thisv) ? newTransform(vm, c.thisv) : Value();
            }),
            vm.newNative([](Vm& vm, CallArgs& c) -> Value {
                ClipBridge* clip = clipOfValue(vm, c.thisv);
                const Value t = c.arg(0);
                if (!clip || !t.object())
                    return Value();
                applyMatrix(vm, clip, vm.getMember(t, QStringLiteral("matrix")));
                applyColor(clip, vm.getMember(t, QStringLiteral("colorTransform")));
                return Value();
            }),
            kHidden | propflag::OnlySwf8Up);
    }
}

} // namespace swf::avm1::builtins
