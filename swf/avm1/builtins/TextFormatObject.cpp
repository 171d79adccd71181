#include "swf/avm1/builtins/TextFormatObject.h"

#include "swf/avm1/ArrayObject.h"
#include "swf/avm1/Vm.h"

#include <cmath>

namespace swf::avm1::builtins {

namespace {

int indexOf(Vm& vm, const Value& v) {
    const double d = vm.toInteger(v);
    return int(std::clamp(d, -1.0, 2147483647.0));
}

const char* alignName(text::Align a) {
    switch (a) {
    case text::Align::Right:
        return "right";
    case text::Align::Center:
        return "center";
    case text::Align::Justify:
        return "justify";
    case text::Align::Left:
        break;
    }
    return "left";
}

} // namespace

// A TextFormat object with the fields the range shares; the others stay null.
Value formatObject(Vm& vm, const text::PartialTextFormat& f) {
    const Value tf =
        vm.construct(vm.getMember(Value(vm.global()), QStringLiteral("TextFormat")), {});
    if (!tf.object())
        return tf;
    const auto set = [&](const char* name, const Value& v) {
        vm.setMember(tf, QLatin1String(name), v);
    };
    if (f.font)
        set("font", Value(*f.font));
    if (f.size)
        set("size", Value(*f.size));
    if (f.color)
        set("color", Value(double(*f.color & 0xFFFFFF)));
    if (f.bold)
        set("bold", Value(*f.bold));
    if (f.italic)
        set("italic", Value(*f.italic));
    if (f.underline)
        set("underline", Value(*f.underline));
    if (f.url)
        set("url", Value(*f.url));
    if (f.target)
        set("target", Value(*f.target));
    if (f.align)
        set("align", Value(QLatin1String(alignName(*f.align))));
    if (f.leftMargin)
        set("leftMargin", Value(*f.leftMargin));
    if (f.rightMargin)
        set("rightMargin", Value(*f.rightMargin));
    if (f.indent)
        set("indent", Value(*f.indent));
    if (f.blockIndent)
        set("blockIndent", Value(*f.blockIndent));
    if (f.leading)
        set("leading", Value(*f.leading));
    if (f.bullet)
        set("bullet", Value(*f.bullet));
    if (f.kerning)
        set("kerning", Value(*f.kerning));
    if (f.letterSpacing)
        set("letterSpacing", Value(*f.letterSpacing));
    if (f.tabStops) {
        std::vector<Value> stops;
        for (int s : *f.tabStops)
            stops.emplace_back(double(s));
        set("tabStops", Value(static_cast<Object*>(vm.newArray(std::move(stops)))));
    }
    return tf;
}

// What a TextFormat object (or any object with such fields) sets; null fields set nothing.
text::PartialTextFormat partialOf(Vm& vm, const Value& tf) {
    text::PartialTextFormat f;
    if (!tf.object())
        return f;
    const auto get = [&](const char* name) { return vm.getMember(tf, QLatin1String(name)); };
    const auto number = [&](const char* name, std::optional<double>& out) {
        const Value v = get(name);
        if (!v.isNullish() && std::isfinite(vm.toNumber(v)))
            out = vm.toNumber(v);
    };
    const auto flag = [&](const char* name, std::optional<bool>& out) {
        const Value v = get(name);
        if (!v.isNullish())
            out = vm.toBoolean(v);
    };
    const auto string = [&](const char* name, std::optional<QString>& out) {
        const Value v = get(name);
        if (!v.isNullish())
            out = vm.toString(v);
    };
    string("font", f.font);
    number("size", f.size);
    if (const Value c = get("color"); !c.isNullish())
        f.color = 0xFF000000u | (static_cast<uint32_t>(vm.toInt32(c)) & 0xFFFFFFu);
    flag("bold", f.bold);
    flag("italic", f.italic);
    flag("underline", f.underline);
    string("url", f.url);
    string("target", f.target);
    if (const Value a = get("align"); !a.isNullish()) {
        const QString s = vm.toString(a).toLower();
        if (s == QLatin1String("left"))
            f.align = text::Align::Left;
        else if (s == QLatin1String("right"))
            f.align = text::Align::Right;
        else if (s == QLatin1String("center"))
            f.align = text::Align::Center;
        else if (s == QLatin1String("justify"))
            f.align = text::Align::Justify;
    }
    number("leftMargin", f.leftMargin);
    number("rightMargin", f.rightMargin);
    number("indent", f.indent);
    number("blockIndent", f.blockIndent);
    number("leading", f.leading);
    flag("bullet", f.bullet);
    flag("kerning", f.kerning);
    number("letterSpacing", f.letterSpacing);
    if (auto* stops = dynamic_cast<ArrayObject*>(get("tabStops").object())) {
        std::vector<int> list;
        for (const Value& v : stops->elements())
            if (list.size() < 1024)
                list.push_back(indexOf(vm, v));
        f.tabStops = std::move(list);
    }
    return f;
}

} // namespace swf::avm1::builtins
