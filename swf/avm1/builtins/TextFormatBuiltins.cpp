#include "swf/avm1/DisplayClip.h"
#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ScriptAccess.h"
#include "swf/avm1/builtins/TextFormatObject.h"
#include "swf/display/TextField.h"

#include <cmath>

namespace swf::avm1::builtins {

namespace {

// How a TextFormat field takes a value. Every field may also be null, meaning "not set":
// a format applied to text changes only the fields it sets.
enum class Kind { Text, Whole, Color, Flag, Align, Margin, Spacing, Display, Number, Stops };

struct Field {
    const char* name;
    Kind kind;
};

// The constructor's arguments, in order, then the fields only properties reach.
constexpr Field kFields[] = {
    {"font", Kind::Text},         {"size", Kind::Whole},          {"color", Kind::Color},
    {"bold", Kind::Flag},         {"italic", Kind::Flag},         {"underline", Kind::Flag},
    {"url", Kind::Text},          {"target", Kind::Text},         {"align", Kind::Align},
    {"leftMargin", Kind::Margin}, {"rightMargin", Kind::Margin},  {"indent", Kind::Spacing},
    {"leading", Kind::Spacing},   {"blockIndent", Kind::Spacing}, {"bullet", Kind::Flag},
    {"tabStops", Kind::Stops},    {"kerning", Kind::Flag},        {"letterSpacing", Kind::Number},
    {"display", Kind::Display},
};
constexpr std::size_t kConstructorArgs = 13;

QString slot(const char* name) {
    return QStringLiteral("_tf_") + QLatin1String(name);
}

double whole(double d, bool round) {
    if (!std::isfinite(d))
        return d == d ? (d > 0 ? 2147483647.0 : -2147483648.0) : 0;
    // Assignments round halves to even, as Flash does; the constructor truncates.
    d = round ? std::nearbyint(d) : std::trunc(d);
    return std::clamp(d, -2147483648.0, 2147483647.0);
}

// fromScript: a property assignment, which rounds and keeps margins (and, before Flash 8,
// indents) from going negative; the constructor only truncates.
Value convert(Vm& vm, Kind kind, const Value& v, const Value& old, bool fromScript,
              bool isFont = false) {
    // Before Flash 8 assignments truncated like the constructor does.
    const bool rounds = fromScript && vm.version() >= 8;
    if (v.isNullish()) {
        if (kind == Kind::Display)
            return Value(QStringLiteral("block"));
        // Flash ignores clearing the alignment once it was set.
        return kind == Kind::Align && fromScript ? old : Value::null();
    }
    switch (kind) {
    case Kind::Text:
        // Font names are cut to Flash's 64 characters; links keep their length.
        return Value(isFont ? vm.toString(v).left(64) : vm.toString(v));
    case Kind::Whole:
        return Value(whole(vm.toNumber(v), rounds));
    case Kind::Color:
        return Value(static_cast<double>(vm.toUint32(v)));
    case Kind::Flag:
        return Value(vm.toBoolean(v));
    case Kind::Number:
        return Value(vm.toNumber(v));
    case Kind::Margin: {
        const double d = whole(vm.toNumber(v), rounds);
        return Value(fromScript ? std::max(0.0, d) : d);
    }
    case Kind::Spacing: {
        const double d = whole(vm.toNumber(v), rounds);
        return Value(fromScript && vm.version() < 8 ? std::max(0.0, d) : d);
    }
    case Kind::Align: {
        const QString a = vm.toString(v).toLower();
        for (const char* ok : {"left", "center", "right", "justify"})
            if (a == QLatin1String(ok))
                return Value(a);
        // Flash ignores a word it does not know.
        return fromScript ? old : Value::null();
    }
    case Kind::Display: {
        const QString d = vm.toString(v);
        if (d == QLatin1String("inline") || d == QLatin1String("none"))
            return Value(d);
        return Value(QStringLiteral("block"));
    }
    case Kind::Stops: {
        auto* a = dynamic_cast<ArrayObject*>(v.object());
        if (!a)
            return Value::null();
        std::vector<Value> stops;
        for (std::size_t i = 0; i < a->elements().size() && i < 1024; ++i)
            stops.emplace_back(whole(vm.toNumber(a->elements()[i]), rounds));
        return Value(static_cast<Object*>(vm.newArray(std::move(stops))));
    }
    }
    return Value::null();
}

} // namespace

void installTextFormat(Vm& vm) {
    Object* proto = vm.newObject();
    vm.defineClass(
        vm.global(), QStringLiteral("TextFormat"),
        [](Vm& vm, CallArgs& c) -> Value {
            Object* o = c.thisObject();
            if (!o)
                return Value();
            for (std::size_t i = 0; i < std::size(kFields); ++i) {
                const Field& f = kFields[i];
                const Value start =
                    f.kind == Kind::Display ? Value(QStringLiteral("block")) : Value::null();
                const Value v = i < kConstructorArgs && i < c.count()
                                    ? convert(vm, f.kind, c.arg(i), start, false, i == 0)
                                    : start;
                o->define(slot(f.name), v, propflag::DontEnum);
            }
            return Value();
        },
        proto);
    for (const Field& field : kFields) {
        const Field* f = &field;
        NativeFunction* get = vm.newNative([f](Vm& vm, CallArgs& c) -> Value {
            const Value v = vm.getMember(c.thisv, slot(f->name));
            // A copy, so changing the array does not change the format behind its back.
            if (auto* a = dynamic_cast<ArrayObject*>(v.object()))
                return Value(static_cast<Object*>(vm.newArray(a->elements())));
            return v.isUndefined() ? Value::null() : v;
        });
        NativeFunction* set = vm.newNative([f](Vm& vm, CallArgs& c) -> Value {
            if (Object* o = c.thisObject()) {
                const Value old = vm.getMember(c.thisv, slot(f->name));
                o->define(slot(f->name),
                          convert(vm, f->kind, c.arg(0), old, true, f == &kFields[0]),
                          propflag::DontEnum);
            }
            return Value();
        });
        proto->defineAccessor(QLatin1String(f->name), get, set);
    }
    // The size text takes in this format: on one line, or wrapped at a width in pixels.
    vm.defineMethod(proto, QStringLiteral("getTextExtent"), [](Vm& vm, CallArgs& c) -> Value {
        text::TextFormat format;
        partialOf(vm, c.thisv).applyTo(format);
        std::optional<double> wrap;
        if (c.count() >= 2) {
            const double w = vm.toNumber(c.arg(1));
            if (std::isfinite(w) && w > 0)
                wrap = std::min(w, 1e6);
        }
        auto* root = dynamic_cast<DisplayClip*>(vm.root());
        const Movie* movie = root ? root->object().movie() : nullptr;
        const TextField::Extent e =
            TextField::measure(movie, vm.toString(c.arg(0)), format.sanitized(), wrap);
        Object* out = vm.newObject();
        const auto set = [&](const char* name, double v) {
            vm.setMember(Value(out), QLatin1String(name), Value(v));
        };
        set("ascent", e.ascent);
        set("descent", e.descent);
        set("width", e.width);
        set("height", e.height);
        set("textFieldWidth", e.fieldWidth);
        set("textFieldHeight", e.fieldHeight);
        return Value(out);
    });
}

} // namespace swf::avm1::builtins
