#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ScriptAccess.h"

#include <cmath>

namespace swf::avm1::builtins {

namespace {

// How a filter field takes a value a script assigns: the clamping and rounding Flash applies
// so a filter can always be drawn.
enum class Kind {
    Number,   // kept as given
    Blur,     // 0..255
    Strength, // 0..255
    Quality,  // whole number 0..15
    Alpha,    // 0..1 in steps of 1/255, as the channel stores it
    Color,    // 24-bit RGB
    Angle,    // degrees, wrapped to one turn
    Bool,
    BevelType, // "inner", "outer" or "full"
    Colors,    // array of 24-bit colours
    Alphas,    // array of alphas
    Ratios,    // array of 0..255
    Matrix20,  // ColorMatrixFilter's 20 numbers
    NumberArray,
    Mode, // displacement edge mode
    Object,
};

struct FieldSpec {
    const char* name;
    Kind kind;
    double number = 0;
    const char* text = nullptr;
};

struct FilterSpec {
    const char* name;
    std::vector<FieldSpec> fields;
    // The order a for..in lists the properties in, as Flash lists them.
    std::vector<const char*> listed;
};

double clampTo(double v, double lo, double hi) {
    if (std::isnan(v))
        return lo;
    return std::min(hi, std::max(lo, v));
}

Value arrayOf(Vm& vm, const Value& v, Kind kind) {
    std::vector<Value> out;
    if (auto* a = dynamic_cast<ArrayObject*>(v.object())) {
        const std::size_t n = std::min<std::size_t>(a->elements().size(), 1024);
        for (std::size_t i = 0; i < n; ++i) {
            const double x = vm.toNumber(a->elements()[i]);
            switch (kind) {
            case Kind::Colors:
                out.emplace_back(static_cast<double>(vm.toUint32(Value(x)) & 0xFFFFFF));
                break;
            case Kind::Alphas:
                out.emplace_back(clampTo(x, 0, 1));
                break;
            case Kind::Ratios:
                out.emplace_back(clampTo(x, 0, 255));
                break;
            default:
                out.emplace_back(x);
            }
        }
    }
    return Value(static_cast<Object*>(vm.newArray(std::move(out))));
}

Value normalise(Vm& vm, Kind kind, const Value& v, const Value& old) {
    switch (kind) {
    case Kind::Number:
        return Value(vm.toNumber(v));
    case Kind::Blur:
    case Kind::Strength:
        return Value(clampTo(vm.toNumber(v), 0, 255));
    case Kind::Quality:
        return Value(clampTo(std::trunc(vm.toNumber(v)), 0, 15));
    case Kind::Alpha:
        return Value(std::trunc(clampTo(vm.toNumber(v), 0, 1) * 255) / 255);
    case Kind::Color:
        return Value(static_cast<double>(vm.toUint32(v) & 0xFFFFFF));
    case Kind::Angle: {
        const double a = vm.toNumber(v);
        return Value(std::isfinite(a) ? std::fmod(a, 360.0) : 0.0);
    }
    case Kind::Bool:
        return Value(vm.toBoolean(v));
    case Kind::BevelType: {
        const QString t = vm.toString(v);
        if (t == QLatin1String("inner") || t == QLatin1String("outer"))
            return Value(t);
        return Value(QStringLiteral("full"));
    }
    case Kind::Mode: {
        const QString t = vm.toString(v);
        for (const char* m : {"wrap", "clamp", "ignore", "color"})
            if (t == QLatin1String(m))
                return Value(t);
        return Value(QStringLiteral("wrap"));
    }
    case Kind::Matrix20: {
        // Assigning nothing keeps the old matrix; anything else gives 20 entries, missing
        // ones as NaN.
        if (v.isNullish())
            return old;
        std::vector<Value> out(20, Value(std::nan("")));
        if (auto* a = dynamic_cast<ArrayObject*>(v.object()))
            for (std::size_t i = 0; i < 20 && i < a->elements().size(); ++i)
                out[i] = Value(vm.toNumber(a->elements()[i]));
        return Value(static_cast<Object*>(vm.newArray(std::move(out))));
    }
    case Kind::Colors:
    case Kind::Alphas:
    case Kind::Ratios:
    case Kind::NumberArray:
        return arrayOf(vm, v, kind);
    case Kind::Object:
        return v;
    }
    return v;
}

Value initial(Vm& vm, const FieldSpec& f) {
    switch (f.kind) {
    case Kind::Bool:
        return Value(f.number != 0);
    case Kind::BevelType:
    case Kind::Mode:
        return Value(QLatin1String(f.text));
    case Kind::Matrix20: {
        std::vector<Value> id(20, Value(0));
        for (int i : {0, 6, 12, 18})
            id[static_cast<std::size_t>(i)] = Value(1);
        return Value(static_cast<Object*>(vm.newArray(std::move(id))));
    }
    case Kind::Colors:
    case Kind::Alphas:
    case Kind::Ratios:
    case Kind::NumberArray:
        return Value(static_cast<Object*>(vm.newArray()));
    case Kind::Object:
        if (f.text)
            return construct(vm, "flash.geom", f.text, {});
        return Value::null();
    default:
        return Value(f.number);
    }
}

// Field values live in hidden slots; the accessors on the prototype are what script sees.
QString slot(const char* name) {
    return QStringLiteral("_f_") + QLatin1String(name);
}

// Arrays handed out are copies, so changing one does not change the filter behind its back.
Value copyOut(Vm& vm, const Value& v) {
    if (auto* a = dynamic_cast<ArrayObject*>(v.object()))
        return Value(static_cast<Object*>(vm.newArray(a->elements())));
    return v;
}

const std::vector<FilterSpec>& specs() {
    static const std::vector<FilterSpec> all = {
        {"BlurFilter",
         {{"blurX", Kind::Blur, 4}, {"blurY", Kind::Blur, 4}, {"quality", Kind::Quality, 1}},
         {"blurX", "blurY", "quality"}},
        {"DropShadowFilter",
         {{"distance", Kind::Number, 4},
          {"angle", Kind::Angle, 45},
          {"color", Kind::Color, 0},
          {"alpha", Kind::Alpha, 1},
          {"blurX", Kind::Blur, 4},
          {"blurY", Kind::Blur, 4},
          {"strength", Kind::Strength, 1},
          {"quality", Kind::Quality, 1},
          {"inner", Kind::Bool, 0},
          {"knockout", Kind::Bool, 0},
          {"hideObject", Kind::Bool, 0}},
         {"distance", "angle", "color", "alpha", "quality", "inner", "knockout", "blurX", "blurY",
          "strength", "hideObject"}},
        {"GlowFilter",
         {{"color", Kind::Color, 0xFF0000},
          {"alpha", Kind::Alpha, 1},
          {"blurX", Kind::Blur, 6},
          {"blurY", Kind::Blur, 6},
          {"strength", Kind::Strength, 2},
          {"quality", Kind::Quality, 1},
          {"inner", Kind::Bool, 0},
          {"knockout", Kind::Bool, 0}},
         {"color", "alpha", "quality", "inner", "knockout", "blurX", "blurY", "strength"}},
        {"BevelFilter",
         {{"distance", Kind::Number, 4},
          {"angle", Kind::Angle, 45},
          {"highlightColor", Kind::Color, 0xFFFFFF},
          {"highlightAlpha", Kind::Alpha, 1},
          {"shadowColor", Kind::Color, 0},
          {"shadowAlpha", Kind::Alpha, 1},
          {"blurX", Kind::Blur, 4},
          {"blurY", Kind::Blur, 4},
          {"strength", Kind::Strength, 1},
          {"quality", Kind::Quality, 1},
          {"type", Kind::BevelType, 0, "inner"},
          {"knockout", Kind::Bool, 0}},
         {"distance", "angle", "highlightColor", "highlightAlpha", "shadowColor", "shadowAlpha",
          "quality", "strength", "knockout", "blurX", "blurY", "type"}},
        {"GradientGlowFilter",
         {{"distance", Kind::Number, 4},
          {"angle", Kind::Angle, 45},
          {"colors", Kind::Colors},
          {"alphas", Kind::Alphas},
          {"ratios", Kind::Ratios},
          {"blurX", Kind::Blur, 4},
          {"blurY", Kind::Blur, 4},
          {"strength", Kind::Strength, 1},
          {"quality", Kind::Quality, 1},
          {"type", Kind::BevelType, 0, "inner"},
          {"knockout", Kind::Bool, 0}},
         {"distance", "angle", "colors", "alphas", "ratios", "blurX", "blurY", "quality",
          "strength", "knockout", "type"}},
        {"GradientBevelFilter",
         {{"distance", Kind::Number, 4},
          {"angle", Kind::Angle, 45},
          {"colors", Kind::Colors},
          {"alphas", Kind::Alphas},
          {"ratios", Kind::Ratios},
          {"blurX", Kind::Blur, 4},
          {"blurY", Kind::Blur, 4},
          {"strength", Kind::Strength, 1},
          {"quality", Kind::Quality, 1},
          {"type", Kind::BevelType, 0, "inner"},
          {"knockout", Kind::Bool, 0}},
         {"distance", "angle", "colors", "alphas", "ratios", "blurX", "blurY", "quality",
          "strength", "knockout", "type"}},
        {"ConvolutionFilter",
         {{"matrixX", Kind::Number, 0},
          {"matrixY", Kind::Number, 0},
          {"matrix", Kind::NumberArray},
          {"divisor", Kind::Number, 1},
          {"bias", Kind::Number, 0},
          {"preserveAlpha", Kind::Bool, 1},
          {"clamp", Kind::Bool, 1},
          {"color", Kind::Color, 0},
          {"alpha", Kind::Alpha, 0}},
         {"matrixX", "matrixY", "matrix", "divisor", "bias", "preserveAlpha", "clamp", "color",
          "alpha"}},
        {"ColorMatrixFilter", {{"matrix", Kind::Matrix20}}, {"matrix"}},
        {"DisplacementMapFilter",
         {{"mapBitmap", Kind::Object},
          {"mapPoint", Kind::Object, 0, "Point"},
          {"componentX", Kind::Number, 0},
          {"componentY", Kind::Number, 0},
          {"scaleX", Kind::Number, 0},
          {"scaleY", Kind::Number, 0},
          {"mode", Kind::Mode, 0, "wrap"},
          {"color", Kind::Color, 0},
          {"alpha", Kind::Alpha, 0}},
         {"mapBitmap", "mapPoint", "componentX", "componentY", "scaleX", "scaleY", "mode", "color",
          "alpha"}},
    };
    return all;
}

// ConvolutionFilter keeps matrixX by matrixY entries, at most 15 by 15.
void fitConvolution(Vm& vm, const Value& self) {
    const double mx = clampTo(std::trunc(vm.toNumber(vm.getMember(self, slot("matrixX")))), 0, 15);
    const double my = clampTo(std::trunc(vm.toNumber(vm.getMember(self, slot("matrixY")))), 0, 15);
    vm.setMember(self, slot("matrixX"), Value(mx));
    vm.setMember(self, slot("matrixY"), Value(my));
    auto* m = dynamic_cast<ArrayObject*>(vm.getMember(self, slot("matrix")).object());
    if (m)
        m->elements().resize(static_cast<std::size_t>(mx * my), Value(0));
}

} // namespace

void installFilters(Vm& vm) {
    Object* filters = package(vm, QStringLiteral("flash.filters"));
    Object* baseProto = vm.newObject();
    vm.defineClass(
        filters, QStringLiteral("BitmapFilter"), [](Vm&, CallArgs&) { return Value(); }, baseProto);
    vm.defineMethod(baseProto, QStringLiteral("clone"), [](Vm&, CallArgs&) { return Value(); });

    for (const FilterSpec& spec : specs()) {
        Object* proto = vm.heap().make<Object>(baseProto);
        const FilterSpec* sp = &spec;
        NativeFunction* ctor = vm.defineClass(
            filters, QLatin1String(spec.name),
            [sp](Vm& vm, CallArgs& c) -> Value {
                if (!c.thisObject())
                    return Value();
                for (std::size_t i = 0; i < sp->fields.size(); ++i) {
                    const FieldSpec& f = sp->fields[i];
                    const Value start = initial(vm, f);
                    const Value given = c.arg(i);
                    const Value v = (i < c.count() && !given.isUndefined())
                                        ? normalise(vm, f.kind, given, start)
                                        : start;
                    c.thisObject()->define(slot(f.name), v, propflag::DontEnum);
                }
                if (QLatin1String(sp->name) == QLatin1String("ConvolutionFilter"))
                    fitConvolution(vm, c.thisv);
                return Value();
            },
            proto);
        vm.defineMethod(
            proto, QStringLiteral("clone"),
            [sp, ctor](Vm& vm, CallArgs& c) -> Value {
                std::vector<Value> args;
                for (const FieldSpec& f : sp->fields)
                    args.push_back(vm.getMember(c.thisv, QLatin1String(f.name)));
                return vm.construct(Value(static_cast<Object*>(ctor)), args);
            },
            0);
        // for..in lists the newest property first, so they are made in reverse.
        for (auto it = spec.listed.rbegin(); it != spec.listed.rend(); ++it) {
            const FieldSpec* f = nullptr;
            for (const FieldSpec& field : spec.fields)
                if (QLatin1String(field.name) == QLatin1String(*it))
                    f = &field;
            Q_ASSERT(f);
            NativeFunction* get = vm.newNative([f](Vm& vm, CallArgs& c) -> Value {
                return copyOut(vm, vm.getMember(c.thisv, slot(f->name)));
            });
            NativeFunction* set = vm.newNative([f, sp](Vm& vm, CallArgs& c) -> Value {
                Object* o = c.thisObject();
                if (!o)
                    return Value();
                const Value old = vm.getMember(c.thisv, slot(f->name));
                o->define(slot(f->name), normalise(vm, f->kind, c.arg(0), old), propflag::DontEnum);
                if (QLatin1String(sp->name) == QLatin1String("ConvolutionFilter"))
                    fitConvolution(vm, c.thisv);
                return Value();
            });
            proto->defineAccessor(QLatin1String(f->name), get, set);
        }
    }
}

} // namespace swf::avm1::builtins
