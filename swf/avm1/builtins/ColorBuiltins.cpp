// The Color class of Flash 5: a handle on a clip's colour transform through setRGB, getRGB,
// setTransform and getTransform, with percentages for multipliers as Flash 5 showed them.

#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

#include <cmath>

namespace swf::avm1::builtins {

namespace {

constexpr uint32_t kFixed = propflag::DontEnum | propflag::DontDelete | propflag::ReadOnly;

// The clip a Color works on: the target it was made with, a clip or a path from the root,
// looked up each time so that a clip placed again under the same name is found.
ClipBridge* targetOf(Vm& vm, CallArgs& c) {
    Object* self = c.thisObject();
    if (!self)
        return nullptr;
    Value target;
    if (!vm.lookup(self, QStringLiteral("target"), target))
        return nullptr;
    if (target.isString()) {
        ClipBridge* root = vm.root();
        if (!root)
            return nullptr;
        target =
            vm.resolveTarget(Value(static_cast<Object*>(vm.clipObject(root))), target.string());
    }
    auto* clip = dynamic_cast<MovieClipObject*>(target.object());
    return clip ? clip->clip(vm) : nullptr;
}

// Multipliers are kept as 8.8 fixed point, so what comes back is what Flash stored.
double fixedMultiplier(double percent) {
    if (!std::isfinite(percent))
        return 0;
    return std::trunc(std::clamp(percent, -32768.0, 32767.0) * 2.56) / 256.0;
}

double offset(double v) {
    if (!std::isfinite(v))
        return 0;
    return std::trunc(std::clamp(v, -32768.0, 32767.0));
}

} // namespace

void installColor(Vm& vm) {
    Object* proto = vm.newObject();
    vm.defineClass(
        vm.global(), QStringLiteral("Color"),
        [](Vm&, CallArgs& c) -> Value {
            if (Object* self = c.thisObject(); self && c.construct)
                self->define(QStringLiteral("target"), c.arg(0), kFixed);
            return Value();
        },
        proto);
    vm.defineMethod(proto, QStringLiteral("setRGB"), [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = targetOf(vm, c);
        if (!clip || c.count() == 0)
            return Value();
        const auto rgb = static_cast<uint32_t>(vm.toInt32(c.arg(0)));
        ClipBridge::ColorValues cx = clip->colorTransform();
        cx[0] = cx[1] = cx[2] = 0;
        cx[4] = double((rgb >> 16) & 0xFF);
        cx[5] = double((rgb >> 8) & 0xFF);
        cx[6] = double(rgb & 0xFF);
        clip->setColorTransform(cx);
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("getRGB"), [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = targetOf(vm, c);
        if (!clip)
            return Value();
        const ClipBridge::ColorValues cx = clip->colorTransform();
        const auto channel = [&](int i) { return static_cast<int>(cx[std::size_t(i)]) & 0xFF; };
        return Value(double((channel(4) << 16) | (channel(5) << 8) | channel(6)));
    });
    vm.defineMethod(proto, QStringLiteral("setTransform"), [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = targetOf(vm, c);
        Object* spec = c.arg(0).object();
        if (!clip || !spec)
            return Value();
        ClipBridge::ColorValues cx = clip->colorTransform();
        static const char* names[8] = {"ra", "ga", "ba", "aa", "rb", "gb", "bb", "ab"};
        // Only the fields the object has change; the others keep their values.
        for (int i = 0; i < 8; ++i) {
            Value v;
            if (!vm.lookup(spec, QLatin1String(names[i]), v))
                continue;
            const double n = vm.toNumber(v);
            cx[std::size_t(i)] = i < 4 ? fixedMultiplier(n) : offset(n);
        }
        clip->setColorTransform(cx);
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("getTransform"), [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = targetOf(vm, c);
        if (!clip)
            return Value();
        const ClipBridge::ColorValues cx = clip->colorTransform();
        Object* out = vm.newObject();
        static const char* names[8] = {"ra", "rb", "ga", "gb", "ba", "bb", "aa", "ab"};
        static const int fields[8] = {0, 4, 1, 5, 2, 6, 3, 7};
        for (int i = 0; i < 8; ++i) {
            const double v = cx[std::size_t(fields[i])];
            out->define(QLatin1String(names[i]), Value(fields[i] < 4 ? v * 100.0 : v));
        }
        return Value(out);
    });
    for (const char* name : {"setRGB", "getRGB", "setTransform", "getTransform"})
        proto->findOwn(QLatin1String(name))->flags |= kFixed;
}

} // namespace swf::avm1::builtins
