// The MovieClip methods that make, move, measure and draw in the display tree.

#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

#include <cmath>
#include <numbers>

namespace swf::avm1::builtins {

namespace {

Value clipValue(Vm& vm, ClipBridge* c) {
    return c ? Value(static_cast<Object*>(vm.clipObject(c))) : Value();
}

// A depth argument that Flash would accept: a finite number, wrapped to 32 bits as its
// integers are (so 2^32 is depth 0).
std::optional<int> depthArg(Vm& vm, const Value& v) {
    const double d = vm.toNumber(v);
    if (!std::isfinite(d))
        return std::nullopt;
    return vm.toInt32(Value(d));
}

void copyInit(Vm& vm, Object* target, const Value& init) {
    Object* from = init.object();
    if (!from || !target)
        return;
    for (const QString& name : vm.enumerate(from))
        vm.setMember(Value(target), name, vm.getMember(init, name));
}

QColor colorArg(Vm& vm, const Value& rgb, const Value& alpha) {
    const uint32_t c = vm.toUint32(rgb);
    double a = alpha.isUndefined() ? 100 : vm.toNumber(alpha);
    if (std::isnan(a))
        a = 0;
    a = std::clamp(a, 0.0, 100.0);
    return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, static_cast<int>(a * 2.55 + 0.5));
}

Object* rectObject(Vm& vm, const QRectF& twips) {
    Object* o = vm.newObject();
    o->define(QStringLiteral("xMin"), Value(twips.left() / 20));
    o->define(QStringLiteral("xMax"), Value(twips.right() / 20));
    o->define(QStringLiteral("yMin"), Value(twips.top() / 20));
    o->define(QStringLiteral("yMax"), Value(twips.bottom() / 20));
    return o;
}

// The gradient matrix as movies give it: {matrixType: "box", x, y, w, h, r} or {a ... ty},
// pixels; answered in twips.
QTransform gradientMatrix(Vm& vm, const Value& m) {
    auto num = [&](const char* name) { return vm.toNumber(vm.getMember(m, QLatin1String(name))); };
    if (vm.toString(vm.getMember(m, QStringLiteral("matrixType"))) == QLatin1String("box")) {
        const double w = num("w"), h = num("h"), r = num("r");
        const double x = num("x"), y = num("y");
        const double sx = w / 1638.4, sy = h / 1638.4;
        return QTransform(std::cos(r) * sx, std::sin(r) * sy, -std::sin(r) * sx, std::cos(r) * sy,
                          (x + w / 2) * 20, (y + h / 2) * 20);
    }
    QTransform t(num("a"), num("b"), num("c"), num("d"), num("tx") * 20, num("ty") * 20);
    if (!t.isInvertible())
        return QTransform();
    return t;
}

std::vector<Value> arrayItems(const Value& v) {
    if (auto* a = dynamic_cast<ArrayObject*>(v.object()))
        return a->elements();
    return {};
}

} // namespace

void installMovieClipDisplay(Vm& vm, Object* proto) {
    auto method = [&](const char* name, NativeFunction::Fn fn) {
        vm.defineMethod(proto, QLatin1String(name), std::move(fn));
    };
    method("attachMovie", [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = clipOf(vm, c.thisv);
        if (!clip || c.count() < 3)
            return Value();
        const QString id = vm.toString(c.arg(0));
        const QString name = vm.toString(c.arg(1));
        const auto depth = depthArg(vm, c.arg(2));
        if (!depth)
            return Value();
        ClipBridge* made = clip->attachMovie(id, name, *depth);
        const Value v = clipValue(vm, made);
        copyInit(vm, v.object(), c.arg(3));
        return v;
    });
    method("createEmptyMovieClip", [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = clipOf(vm, c.thisv);
        if (!clip || c.count() < 2)
            return Value();
        const QString name = vm.toString(c.arg(0));
        const auto depth = depthArg(vm, c.arg(1));
        if (!depth)
            return Value();
        return clipValue(vm, clip->createEmptyMovieClip(name, *depth));
    });
    method("createTextField", [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = clipOf(vm, c.thisv);
        const auto depth = depthArg(vm, c.arg(1));
        if (!clip || !depth || c.count() < 6)
            return Value();
        const QRectF r(vm.toNumber(c.arg(2)), vm.toNumber(c.arg(3)), vm.toNumber(c.arg(4)),
                       vm.toNumber(c.arg(5)));
        if (!std::isfinite(r.x()) || !std::isfinite(r.y()) || !std::isfinite(r.width()) ||
            !std::isfinite(r.height()))
            return Value();
        return clipValue(vm, clip->createTextField(vm.toString(c.arg(0)), *depth, r));
    });
    method("getDepth", [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = clipOf(vm, c.thisv);
        return clip ? Value(clip->depth()) : Value();
    });
    method("getNextHighestDepth", [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = clipOf(vm, c.thisv);
        return clip ? Value(clip->nextHighestDepth()) : Value();
    });
    method("swapDepths", [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = clipOf(vm, c.thisv);
        if (!clip)
            return Value();
        // Text may be the path of the clip to trade places with, from this clip.
        Value with = c.arg(0);
        if (with.isString())
            if (const Value found = vm.resolveTarget(c.thisv, with.string()); clipOf(vm, found))
                with = found;
        if (ClipBridge* other = clipOf(vm, with))
            clip->swapDepthsWith(other);
        else if (!c.arg(0).isObject() && !c.arg(0).isUndefined())
            // Any other value is a depth, wrapped to 32 bits (NaN is depth 0).
            clip->swapDepths(vm.toInt32(c.arg(0)));
        return Value();
    });
    auto boundsMethod = [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = clipOf(vm, c.thisv);
        if (!clip)
            return Value();
        ClipBridge* space = c.count() ? clipOf(vm, c.arg(0)) : clip;
        if (c.count() && !space)
            return Value();
        const auto r = clip->bounds(space);
        if (!r)
            return Value();
        return Value(rectObject(vm, *r));
    };
    method("getBounds", boundsMethod);
    method("getRect", boundsMethod);
    auto convert = [](bool toGlobal) {
        return [toGlobal](Vm& vm, CallArgs& c) -> Value {
            ClipBridge* clip = clipOf(vm, c.thisv);
            Object* pt = c.arg(0).object();
            if (!clip || !pt)
                return Value();
            const QPointF in(vm.toNumber(vm.getMember(c.arg(0), QStringLiteral("x"))) * 20,
                             vm.toNumber(vm.getMember(c.arg(0), QStringLiteral("y"))) * 20);
            if (!std::isfinite(in.x()) || !std::isfinite(in.y()))
                return Value();
            const QPointF out = toGlobal ? clip->localToGlobal(in) : clip->globalToLocal(in);
            vm.setMember(c.arg(0), QStringLiteral("x"), Value(out.x() / 20));
            vm.setMember(c.arg(0), QStringLiteral("y"), Value(out.y() / 20));
            return Value();
        };
    };
    method("localToGlobal", convert(true));
    method("globalToLocal", convert(false));
    method("hitTest", [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = clipOf(vm, c.thisv);
        if (!clip)
            return Value();
        if (c.count() >= 2) {
            const QPointF p(vm.toNumber(c.arg(0)) * 20, vm.toNumber(c.arg(1)) * 20);
            if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
                return Value(false);
            return Value(clip->hitTestPoint(p, vm.toBoolean(c.arg(2))));
        }
        ClipBridge* other = clipOf(vm, c.arg(0));
        if (!other && c.arg(0).isString())
            other = clipOf(vm, vm.resolveTarget(c.thisv, c.arg(0).string()));
        return Value(other && clip->hitTestObject(other));
    });
    method("setMask", [](Vm& vm, CallArgs& c) -> Value {
        if (ClipBridge* clip = clipOf(vm, c.thisv))
            clip->setMask(clipOf(vm, c.arg(0)));
        return Value(true);
    });
    method("getBytesLoaded", [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = clipOf(vm, c.thisv);
        return clip ? Value(clip->bytesLoaded()) : Value();
    });
    method("getBytesTotal", [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = clipOf(vm, c.thisv);
        return clip ? Value(clip->bytesTotal()) : Value();
    });

    // The drawing API.
    method("lineStyle", [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = clipOf(vm, c.thisv);
        if (!clip)
            return Value();
        const double width = vm.toNumber(c.arg(0));
        if (c.count() == 0 || c.arg(0).isUndefined() || std::isnan(width)) {
            clip->lineStyle(std::nullopt);
            return Value();
        }
        ClipBridge::LineStyle style;
        style.width = std::clamp(width, 0.0, 255.0) * 20;
        style.color = colorArg(vm, c.arg(1), c.arg(2));
        style.pixelHinting = vm.toBoolean(c.arg(3));
        style.scaleMode = c.arg(4).isUndefined() ? QStringLiteral("normal") : vm.toString(c.arg(4));
        style.caps = c.arg(5).isUndefined() ? QStringLiteral("round") : vm.toString(c.arg(5));
        style.joints = c.arg(6).isUndefined() ? QStringLiteral("round") : vm.toString(c.arg(6));
        style.miterLimit =
            c.arg(7).isUndefined() ? 3 : std::clamp(vm.toNumber(c.arg(7)), 1.0, 255.0);
        clip->lineStyle(style);
        return Value();
    });
    method("beginFill", [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = clipOf(vm, c.thisv);
        if (!clip)
            return Value();
        if (c.count() == 0 || c.arg(0).isUndefined())
            clip->endFill();
        else
            clip->beginFill(colorArg(vm, c.arg(0), c.arg(1)));
        return Value();
    });
    method("beginGradientFill", [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = clipOf(vm, c.thisv);
        if (!clip || c.count() < 5)
            return Value();
        const QString type = vm.toString(c.arg(0));
        if (type != QLatin1String("linear") && type != QLatin1String("radial"))
            return Value();
        const auto colors = arrayItems(c.arg(1));
        const auto alphas = arrayItems(c.arg(2));
        const auto ratios = arrayItems(c.arg(3));
        const std::size_t n =
            std::min({colors.size(), alphas.size(), ratios.size(), std::size_t(15)});
        if (n == 0 || !c.arg(4).isObject())
            return Value();
        ClipBridge::GradientFill fill;
        fill.radial = type == QLatin1String("radial");
        for (std::size_t i = 0; i < n; ++i) {
            const double ratio = std::clamp(vm.toNumber(ratios[i]), 0.0, 255.0);
            fill.stops.emplace_back(std::isnan(ratio) ? 0 : static_cast<int>(ratio),
                                    colorArg(vm, colors[i], alphas[i]));
        }
        fill.matrix = gradientMatrix(vm, c.arg(4));
        const QString spread = vm.toString(c.arg(5));
        fill.spread =
            spread == QLatin1String("reflect") ? 1 : (spread == QLatin1String("repeat") ? 2 : 0);
        fill.interpolation = vm.toString(c.arg(6)) == QLatin1String("linearRGB") ? 1 : 0;
        fill.focalPoint = c.arg(7).isUndefined() ? 0 : std::clamp(vm.toNumber(c.arg(7)), -1.0, 1.0);
        clip->beginGradientFill(fill);
        return Value();
    });
    auto coords = [](Vm& vm, CallArgs& c, int n, double* out) {
        for (int i = 0; i < n; ++i) {
            out[i] = vm.toNumber(c.arg(i)) * 20;
            if (!std::isfinite(out[i]))
                return false;
        }
        return true;
    };
    method("moveTo", [coords](Vm& vm, CallArgs& c) -> Value {
        double p[2];
        if (ClipBridge* clip = clipOf(vm, c.thisv); clip && coords(vm, c, 2, p))
            clip->moveTo(p[0], p[1]);
        return Value();
    });
    method("lineTo", [coords](Vm& vm, CallArgs& c) -> Value {
        double p[2];
        if (ClipBridge* clip = clipOf(vm, c.thisv); clip && coords(vm, c, 2, p))
            clip->lineTo(p[0], p[1]);
        return Value();
    });
    method("curveTo", [coords](Vm& vm, CallArgs& c) -> Value {
        double p[4];
        if (ClipBridge* clip = clipOf(vm, c.thisv); clip && coords(vm, c, 4, p))
            clip->curveTo(p[0], p[1], p[2], p[3]);
        return Value();
    });
    method("endFill", [](Vm& vm, CallArgs& c) -> Value {
        if (ClipBridge* clip = clipOf(vm, c.thisv))
            clip->endFill();
        return Value();
    });
    method("clear", [](Vm& vm, CallArgs& c) -> Value {
        if (ClipBridge* clip = clipOf(vm, c.thisv))
            clip->clearDrawing();
        return Value();
    });
}

} // namespace swf::avm1::builtins
