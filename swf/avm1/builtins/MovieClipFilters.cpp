// MovieClip.filters: the flash.filters objects a movie gives a clip, turned into the filters
// the renderer draws. Reading gives copies, as Flash does, so changing one does nothing until
// the list is assigned again.

#include "swf/avm1/ArrayObject.h"
#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ScriptAccess.h"

#include <cmath>
#include <numbers>

namespace swf::avm1::builtins {

namespace {

constexpr std::size_t kMaxFilters = 64;

bool isA(Vm& vm, const Value& v, const char* cls) {
    const Value ctor =
        vm.getMember(vm.getMember(vm.getMember(Value(vm.global()), QStringLiteral("flash")),
                                  QStringLiteral("filters")),
                     QLatin1String(cls));
    return ctor.object() && vm.instanceOf(v, ctor.object());
}

double finite(Vm& vm, const Value& o, const char* name, double lo, double hi) {
    const double d = num(vm, o, name);
    return std::isfinite(d) ? std::clamp(d, lo, hi) : lo;
}

QColor colorWithAlpha(Vm& vm, const Value& o, const char* color, const char* alpha) {
    const auto rgb = static_cast<uint32_t>(vm.toInt32(field(vm, o, color)));
    QColor c(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
    c.setAlphaF(float(finite(vm, o, alpha, 0, 1)));
    return c;
}

std::vector<double> numbers(Vm& vm, const Value& o, const char* name, std::size_t max) {
    std::vector<double> out;
    if (auto* a = dynamic_cast<ArrayObject*>(field(vm, o, name).object()))
        for (const Value& v : a->elements()) {
            if (out.size() >= max)
                break;
            const double d = vm.toNumber(v);
            out.push_back(std::isfinite(d) ? d : 0);
        }
    return out;
}

// The blur, distance, angle, strength and quality most filters share.
void common(Vm& vm, const Value& o, Filter& f) {
    f.blurX = finite(vm, o, "blurX", 0, 255);
    f.blurY = finite(vm, o, "blurY", 0, 255);
    f.passes = int(finite(vm, o, "quality", 0, 15));
    f.distance = finite(vm, o, "distance", -32768, 32767);
    f.angle = finite(vm, o, "angle", -1e6, 1e6) * std::numbers::pi / 180.0;
    f.strength = finite(vm, o, "strength", 0, 255);
    f.knockout = vm.toBoolean(field(vm, o, "knockout"));
}

void bevelType(Vm& vm, const Value& o, Filter& f) {
    const QString type = vm.toString(field(vm, o, "type"));
    f.inner = type == QLatin1String("inner");
    f.onTop = type == QLatin1String("full");
}

std::optional<Filter> filterOf(Vm& vm, const Value& o) {
    Filter f;
    if (isA(vm, o, "BlurFilter")) {
        f.type = Filter::Type::Blur;
        f.blurX = finite(vm, o, "blurX", 0, 255);
        f.blurY = finite(vm, o, "blurY", 0, 255);
        f.passes = int(finite(vm, o, "quality", 0, 15));
    } else if (isA(vm, o, "DropShadowFilter")) {
        f.type = Filter::Type::DropShadow;
        common(vm, o, f);
        f.color = colorWithAlpha(vm, o, "color", "alpha");
        f.inner = vm.toBoolean(field(vm, o, "inner"));
        f.compositeSource = !vm.toBoolean(field(vm, o, "hideObject"));
    } else if (isA(vm, o, "GlowFilter")) {
        f.type = Filter::Type::Glow;
        common(vm, o, f);
        f.distance = 0;
        f.color = colorWithAlpha(vm, o, "color", "alpha");
        f.inner = vm.toBoolean(field(vm, o, "inner"));
    } else if (isA(vm, o, "BevelFilter")) {
        f.type = Filter::Type::Bevel;
        common(vm, o, f);
        f.highlight = colorWithAlpha(vm, o, "highlightColor", "highlightAlpha");
        f.color = colorWithAlpha(vm, o, "shadowColor", "shadowAlpha");
        bevelType(vm, o, f);
    } else if (isA(vm, o, "GradientGlowFilter") || isA(vm, o, "GradientBevelFilter")) {
        f.type = isA(vm, o, "GradientGlowFilter") ? Filter::Type::GradientGlow
                                                  : Filter::Type::GradientBevel;
        common(vm, o, f);
        bevelType(vm, o, f);
        const auto colors = numbers(vm, o, "colors", 16);
        const auto alphas = numbers(vm, o, "alphas", 16);
        const auto ratios = numbers(vm, o, "ratios", 16);
        for (std::size_t i = 0; i < colors.size() && i < alphas.size() && i < ratios.size(); ++i) {
            const auto rgb = static_cast<uint32_t>(static_cast<int64_t>(colors[i]));
            QColor c(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
            c.setAlphaF(float(std::clamp(alphas[i], 0.0, 1.0)));
            f.gradient.emplace_back(int(std::clamp(ratios[i], 0.0, 255.0)), c);
        }
    } else if (isA(vm, o, "ConvolutionFilter")) {
        f.type = Filter::Type::Convolution;
        f.matrixX = int(finite(vm, o, "matrixX", 0, 15));
        f.matrixY = int(finite(vm, o, "matrixY", 0, 15));
        for (double d : numbers(vm, o, "matrix", std::size_t(f.matrixX * f.matrixY)))
            f.matrix.push_back(float(d));
        f.matrix.resize(std::size_t(f.matrixX * f.matrixY), 0.0f);
        f.divisor = float(finite(vm, o, "divisor", -1e9, 1e9));
        f.bias = float(finite(vm, o, "bias", -1e9, 1e9));
        f.preserveAlpha = vm.toBoolean(field(vm, o, "preserveAlpha"));
        f.clamp = vm.toBoolean(field(vm, o, "clamp"));
        f.defaultColor = colorWithAlpha(vm, o, "color", "alpha");
    } else if (isA(vm, o, "ColorMatrixFilter")) {
        f.type = Filter::Type::ColorMatrix;
        const auto m = numbers(vm, o, "matrix", 20);
        if (m.size() < 20)
            return std::nullopt;
        for (std::size_t i = 0; i < 20; ++i)
            f.colorMatrix[i] = float(m[i]);
    } else {
        return std::nullopt; // not a filter this player draws
    }
    return f;
}

} // namespace

void installMovieClipFilters(Vm& vm) {
    Object* clipProto = vm.protos().movieClip;
    if (!clipProto)
        return;
    const QString kept = QStringLiteral("__filters");
    clipProto->defineAccessor(
        QStringLiteral("filters"), vm.newNative([kept](Vm& vm, CallArgs& c) -> Value {
            ArrayObject* out = vm.newArray();
            if (auto* list = dynamic_cast<ArrayObject*>(vm.getMember(c.thisv, kept).object()))
                for (const Value& f : list->elements())
                    out->push(vm.callMethod(f, QStringLiteral("clone"), {}));
            return Value(static_cast<Object*>(out));
        }),
        vm.newNative([kept](Vm& vm, CallArgs& c) -> Value {
            ClipBridge* clip = clipOf(vm, c.thisv);
            Object* self = c.thisObject();
            if (!clip || !self)
                return Value();
            std::vector<Filter> drawn;
            ArrayObject* copies = vm.newArray();
            if (auto* list = dynamic_cast<ArrayObject*>(c.arg(0).object())) {
                for (const Value& v : list->elements()) {
                    if (drawn.size() >= kMaxFilters)
                        break;
                    if (auto f = filterOf(vm, v)) {
                        drawn.push_back(std::move(*f));
                        copies->push(vm.callMethod(v, QStringLiteral("clone"), {}));
                    }
                }
            }
            self->define(kept, Value(static_cast<Object*>(copies)), propflag::DontEnum);
            clip->setFilters(std::move(drawn));
            return Value();
        }),
        propflag::DontEnum | propflag::DontDelete | propflag::OnlySwf8Up);
}

} // namespace swf::avm1::builtins
