// The Flash 8 drawing effects of a clip as script sets them: blendMode, cacheAsBitmap,
// opaqueBackground and scrollRect. Each reads back what the clip draws with, so a value the
// clip cannot take (an unknown blend mode, a rectangle that is not finite) leaves it as it was.

#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ScriptAccess.h"

#include <cmath>

namespace swf::avm1::builtins {

namespace {

constexpr const char* kBlendNames[] = {"normal", "layer",      "multiply", "screen",   "lighten",
                                       "darken", "difference", "add",      "subtract", "invert",
                                       "alpha",  "erase",      "overlay",  "hardlight"};

int blendModeOf(Vm& vm, const Value& v) {
    if (v.isString()) {
        for (int i = 0; i < 14; ++i)
            if (v.string() == QLatin1String(kBlendNames[i]))
                return i + 1;
        return 0;
    }
    const double n = vm.toNumber(v);
    return std::isfinite(n) && n >= 1 && n <= 14 ? static_cast<int>(n) : 0;
}

// Each effect is an accessor of MovieClip.prototype seen by Flash 8 movies and later.
void effect(Vm& vm, Object* proto, const char* name, NativeFunction::Fn get,
            NativeFunction::Fn set) {
    proto->defineAccessor(QLatin1String(name), vm.newNative(std::move(get)),
                          vm.newNative(std::move(set)),
                          propflag::DontEnum | propflag::DontDelete | propflag::OnlySwf8Up);
}

} // namespace

void installMovieClipEffects(Vm& vm) {
    Object* proto = vm.protos().movieClip;
    if (!proto)
        return;
    effect(
        vm, proto, "blendMode",
        [](Vm& vm, CallArgs& c) -> Value {
            ClipBridge* clip = clipOf(vm, c.thisv);
            if (!clip)
                return Value();
            const int mode = clip->blendMode();
            return Value(QLatin1String(kBlendNames[mode >= 1 && mode <= 14 ? mode - 1 : 0]));
        },
        [](Vm& vm, CallArgs& c) -> Value {
            if (ClipBridge* clip = clipOf(vm, c.thisv))
                if (const int mode = blendModeOf(vm, c.arg(0)))
                    clip->setBlendMode(mode);
            return Value();
        });
    effect(
        vm, proto, "cacheAsBitmap",
        [](Vm& vm, CallArgs& c) -> Value {
            ClipBridge* clip = clipOf(vm, c.thisv);
            return clip ? Value(clip->cacheAsBitmap()) : Value();
        },
        [](Vm& vm, CallArgs& c) -> Value {
            if (ClipBridge* clip = clipOf(vm, c.thisv))
                clip->setCacheAsBitmap(vm.toBoolean(c.arg(0)));
            return Value();
        });
    effect(
        vm, proto, "opaqueBackground",
        [](Vm& vm, CallArgs& c) -> Value {
            ClipBridge* clip = clipOf(vm, c.thisv);
            const auto rgb = clip ? clip->opaqueBackground() : std::nullopt;
            return rgb ? Value(static_cast<double>(*rgb)) : Value();
        },
        [](Vm& vm, CallArgs& c) -> Value {
            ClipBridge* clip = clipOf(vm, c.thisv);
            if (!clip)
                return Value();
            // undefined and null take the background away; anything else is a colour.
            if (c.arg(0).isNullish())
                clip->setOpaqueBackground(std::nullopt);
            else
                clip->setOpaqueBackground(static_cast<QRgb>(vm.toUint32(c.arg(0)) & 0xFFFFFF));
            return Value();
        });
    effect(
        vm, proto, "scrollRect",
        [](Vm& vm, CallArgs& c) -> Value {
            ClipBridge* clip = clipOf(vm, c.thisv);
            const auto r = clip ? clip->scrollRect() : std::nullopt;
            if (!r)
                return Value();
            return construct(vm, "flash.geom", "Rectangle",
                             {Value(r->x()), Value(r->y()), Value(r->width()), Value(r->height())});
        },
        [](Vm& vm, CallArgs& c) -> Value {
            ClipBridge* clip = clipOf(vm, c.thisv);
            if (!clip)
                return Value();
            // Any object with x, y, width and height will do; anything else removes it.
            if (!c.arg(0).isObject()) {
                clip->setScrollRect(std::nullopt);
                return Value();
            }
            const double x = num(vm, c.arg(0), "x"), y = num(vm, c.arg(0), "y");
            const double w = num(vm, c.arg(0), "width"), h = num(vm, c.arg(0), "height");
            if (std::isfinite(x) && std::isfinite(y) && std::isfinite(w) && std::isfinite(h) &&
                std::fabs(x) < 1e7 && std::fabs(y) < 1e7 && w >= 0 && h >= 0 && w < 1e7 && h < 1e7)
                clip->setScrollRect(QRectF(x, y, w, h));
            return Value();
        });
}

} // namespace swf::avm1::builtins
