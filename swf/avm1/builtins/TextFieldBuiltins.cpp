// The TextField class: the methods of text fields (their properties live on the fields, see
// TextFieldProperties), and TextFormat objects read from and written to a field's text.

#include "swf/avm1/ArrayObject.h"
#include "swf/avm1/DisplayClip.h"
#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"
#include "swf/display/TextField.h"

#include <QFontDatabase>
#include <cmath>

namespace swf::avm1::builtins {

namespace {

ClipBridge* fieldBridge(Vm& vm, const Value& v) {
    auto* o = dynamic_cast<MovieClipObject*>(v.object());
    ClipBridge* clip = o ? o->clip(vm) : nullptr;
    return clip && clip->isTextField() ? clip : nullptr;
}

TextField* fieldOf(Vm& vm, const Value& v) {
    auto* d = dynamic_cast<DisplayClip*>(fieldBridge(vm, v));
    return d ? d->object().asTextField() : nullptr;
}

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

} // namespace

void installTextField(Vm& vm) {
    Object* proto = vm.newObject();
    vm.protos().textField = proto;
    Object* ctor = vm.defineClass(
        vm.global(), QStringLiteral("TextField"), [](Vm&, CallArgs& c) -> Value { return c.thisv; },
        proto);
    vm.defineMethod(proto, QStringLiteral("getDepth"), [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* field = fieldBridge(vm, c.thisv);
        return field ? Value(field->depth()) : Value();
    });
    vm.defineMethod(proto, QStringLiteral("removeTextField"), [](Vm& vm, CallArgs& c) -> Value {
        // Only what script made can be taken away by script, as with clips.
        if (ClipBridge* field = fieldBridge(vm, c.thisv); field && field->depth() >= 0)
            field->remove();
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("replaceSel"), [](Vm& vm, CallArgs& c) -> Value {
        if (TextField* f = fieldOf(vm, c.thisv); f && c.count() > 0)
            f->replaceSel(vm.toString(c.arg(0)));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("replaceText"), [](Vm& vm, CallArgs& c) -> Value {
        TextField* f = fieldOf(vm, c.thisv);
        if (!f || c.count() < 3)
            return Value();
        const int begin = indexOf(vm, c.arg(0)), end = indexOf(vm, c.arg(1));
        if (begin < 0 || end < begin)
            return Value();
        f->replaceText(std::min(begin, f->length()), std::min(end, f->length()),
                       vm.toString(c.arg(2)));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("getTextFormat"), [](Vm& vm, CallArgs& c) -> Value {
        TextField* f = fieldOf(vm, c.thisv);
        if (!f)
            return Value();
        int begin = 0, end = f->length();
        if (c.count() >= 1) {
            begin = indexOf(vm, c.arg(0));
            end = c.count() >= 2 ? indexOf(vm, c.arg(1)) : begin + 1;
        }
        return formatObject(vm, f->textFormat(begin, end));
    });
    vm.defineMethod(proto, QStringLiteral("setTextFormat"), [](Vm& vm, CallArgs& c) -> Value {
        TextField* f = fieldOf(vm, c.thisv);
        if (!f || c.count() == 0)
            return Value();
        // (format), (index, format) or (begin, end, format): the format comes last.
        const Value format = c.arg(c.count() - 1);
        int begin = -1, end = -1;
        if (c.count() == 2) {
            begin = indexOf(vm, c.arg(0));
            end = begin + 1;
        } else if (c.count() >= 3) {
            begin = indexOf(vm, c.arg(0));
            end = indexOf(vm, c.arg(1));
        }
        f->setTextFormat(begin, end, partialOf(vm, format));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("getNewTextFormat"), [](Vm& vm, CallArgs& c) -> Value {
        TextField* f = fieldOf(vm, c.thisv);
        return f ? formatObject(vm, text::PartialTextFormat::from(f->defaultTextFormat()))
                 : Value();
    });
    vm.defineMethod(proto, QStringLiteral("setNewTextFormat"), [](Vm& vm, CallArgs& c) -> Value {
        if (TextField* f = fieldOf(vm, c.thisv))
            f->setDefaultTextFormat(partialOf(vm, c.arg(0)));
        return Value();
    });
    vm.defineMethod(ctor, QStringLiteral("getFontList"), [](Vm& vm, CallArgs&) -> Value {
        std::vector<Value> names;
        for (const QString& family : QFontDatabase::families())
            names.emplace_back(family);
        return Value(static_cast<Object*>(vm.newArray(std::move(names))));
    });
    // Text fields became objects in Flash 6; replaceText came with Flash 8.
    for (const char* name : {"getDepth", "removeTextField", "replaceSel", "getTextFormat",
                             "setTextFormat", "getNewTextFormat", "setNewTextFormat"})
        proto->findOwn(QLatin1String(name))->flags |= propflag::OnlySwf6Up;
    proto->findOwn(QStringLiteral("replaceText"))->flags |= propflag::OnlySwf8Up;
    // Each field keeps its own listeners (for onChanged and onScroller), made on first use;
    // adding and removing them is AsBroadcaster's.
    for (const char* name : {"addListener", "removeListener"}) {
        const QString method = QLatin1String(name);
        vm.defineMethod(proto, method, [method](Vm& vm, CallArgs& c) -> Value {
            Object* o = c.thisObject();
            if (!o)
                return Value(false);
            if (!o->findOwn(QStringLiteral("_listeners")))
                o->define(QStringLiteral("_listeners"), Value(static_cast<Object*>(vm.newArray())),
                          propflag::DontEnum);
            const Value broadcaster =
                vm.getMember(Value(vm.global()), QStringLiteral("AsBroadcaster"));
            return vm.call(vm.getMember(broadcaster, method), c.thisv, c.args);
        });
    }
}

} // namespace swf::avm1::builtins
