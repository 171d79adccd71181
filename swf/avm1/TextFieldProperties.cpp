#include "swf/avm1/TextFieldProperties.h"

#include "swf/avm1/Avm1Host.h"
#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/StyleSheetBuiltins.h"
#include "swf/display/MovieClip.h"
#include "swf/display/TextField.h"

#include <cmath>

namespace swf::avm1 {

namespace {

enum class Prop {
    Text,
    HtmlText,
    Html,
    Variable,
    Border,
    BorderColor,
    Background,
    BackgroundColor,
    TextColor,
    Selectable,
    Type,
    Length,
    WordWrap,
    Multiline,
    Password,
    EmbedFonts,
    AutoSize,
    CondenseWhite,
    Restrict,
    MaxChars,
    TextWidth,
    TextHeight,
    Scroll,
    MaxScroll,
    BottomScroll,
    HScroll,
    MaxHScroll,
    StyleSheet,
    MouseWheelEnabled,
    None
};

Prop propOf(const QString& name) {
    static const struct {
        const char* name;
        Prop prop;
    } table[] = {
        {"text", Prop::Text},
        {"htmlText", Prop::HtmlText},
        {"html", Prop::Html},
        {"variable", Prop::Variable},
        {"border", Prop::Border},
        {"borderColor", Prop::BorderColor},
        {"background", Prop::Background},
        {"backgroundColor", Prop::BackgroundColor},
        {"textColor", Prop::TextColor},
        {"selectable", Prop::Selectable},
        {"type", Prop::Type},
        {"length", Prop::Length},
        {"wordWrap", Prop::WordWrap},
        {"multiline", Prop::Multiline},
        {"password", Prop::Password},
        {"embedFonts", Prop::EmbedFonts},
        {"autoSize", Prop::AutoSize},
        {"condenseWhite", Prop::CondenseWhite},
        {"restrict", Prop::Restrict},
        {"maxChars", Prop::MaxChars},
        {"textWidth", Prop::TextWidth},
        {"textHeight", Prop::TextHeight},
        {"scroll", Prop::Scroll},
        {"maxscroll", Prop::MaxScroll},
        {"bottomScroll", Prop::BottomScroll},
        {"hscroll", Prop::HScroll},
        {"maxhscroll", Prop::MaxHScroll},
        {"styleSheet", Prop::StyleSheet},
        {"mouseWheelEnabled", Prop::MouseWheelEnabled},
    };
    for (const auto& e : table)
        if (name.compare(QLatin1String(e.name), Qt::CaseInsensitive) == 0)
            return e.prop;
    return Prop::None;
}

double rgb(QColor c) {
    return double((c.red() << 16) | (c.green() << 8) | c.blue());
}

QColor colorOf(Vm& vm, const Value& v) {
    const uint32_t n = static_cast<uint32_t>(vm.toInt32(v));
    return QColor(int((n >> 16) & 0xFF), int((n >> 8) & 0xFF), int(n & 0xFF));
}

int wholeOf(Vm& vm, const Value& v) {
    const double d = vm.toNumber(v);
    return std::isfinite(d) ? int(std::clamp(d, -2147483648.0, 2147483647.0)) : 0;
}

QString autoSizeName(TextField::AutoSize a) {
    switch (a) {
    case TextField::AutoSize::Left:
        return QStringLiteral("left");
    case TextField::AutoSize::Center:
        return QStringLiteral("center");
    case TextField::AutoSize::Right:
        return QStringLiteral("right");
    case TextField::AutoSize::None:
        break;
    }
    return QStringLiteral("none");
}

// true means left and false none; the names otherwise; anything else leaves it as it was.
std::optional<TextField::AutoSize> autoSizeOf(Vm& vm, const Value& v) {
    if (v.isBoolean())
        return v.boolean() ? TextField::AutoSize::Left : TextField::AutoSize::None;
    const QString s = vm.toString(v).toLower();
    if (s == QLatin1String("left"))
        return TextField::AutoSize::Left;
    if (s == QLatin1String("center"))
        return TextField::AutoSize::Center;
    if (s == QLatin1String("right"))
        return TextField::AutoSize::Right;
    if (s == QLatin1String("none"))
        return TextField::AutoSize::None;
    return std::nullopt;
}

} // namespace

bool readTextProperty(Vm& vm, TextField& field, const QString& name, Value& out) {
    (void)vm;
    switch (propOf(name)) {
    case Prop::Text:
        out = Value(field.text());
        return true;
    case Prop::HtmlText:
        out = Value(field.htmlText());
        return true;
    case Prop::Html:
        out = Value(field.html());
        return true;
    case Prop::Variable:
        // A field with no variable says null, not an empty name.
        out = field.variable().isEmpty() ? Value::null() : Value(field.variable());
        return true;
    case Prop::Border:
        out = Value(field.border());
        return true;
    case Prop::BorderColor:
        out = Value(rgb(field.borderColor()));
        return true;
    case Prop::Background:
        out = Value(field.background());
        return true;
    case Prop::BackgroundColor:
        out = Value(rgb(field.backgroundColor()));
        return true;
    case Prop::TextColor:
        out = Value(double(field.defaultTextFormat().color & 0xFFFFFF));
        return true;
    case Prop::Selectable:
        out = Value(field.selectable());
        return true;
    case Prop::Type:
        out = Value(field.editable() ? QStringLiteral("input") : QStringLiteral("dynamic"));
        return true;
    case Prop::Length:
        out = Value(double(field.length()));
        return true;
    case Prop::WordWrap:
        out = Value(field.wordWrap());
        return true;
    case Prop::Multiline:
        out = Value(field.multiline());
        return true;
    case Prop::Password:
        out = Value(field.password());
        return true;
    case Prop::EmbedFonts:
        out = Value(field.embedFonts());
        return true;
    case Prop::AutoSize:
        out = Value(autoSizeName(field.autoSize()));
        return true;
    case Prop::CondenseWhite:
        out = Value(field.condenseWhite());
        return true;
    case Prop::Restrict:
        out = field.restrict().isEmpty() ? Value::null() : Value(field.restrict());
        return true;
    case Prop::MaxChars:
        out = field.maxChars() ? Value(double(field.maxChars())) : Value::null();
        return true;
    case Prop::TextWidth:
        out = Value(field.textWidth());
        return true;
    case Prop::TextHeight:
        out = Value(field.textHeight());
        return true;
    case Prop::Scroll:
        out = Value(double(field.scroll()));
        return true;
    case Prop::MaxScroll:
        out = Value(double(field.maxScroll()));
        return true;
    case Prop::BottomScroll:
        out = Value(double(field.bottomScroll()));
        return true;
    case Prop::HScroll:
        out = Value(double(field.hscroll()));
        return true;
    case Prop::MaxHScroll:
        out = Value(double(field.maxHScroll()));
        return true;
    case Prop::MouseWheelEnabled:
        out = Value(field.mouseWheelEnabled());
        return true;
    case Prop::StyleSheet: // the object itself is kept as an ordinary property
    case Prop::None:
        break;
    }
    return false;
}

bool writeTextProperty(Avm1Host& host, TextField& field, const QString& name, const Value& v) {
    Vm& vm = host.vm();
    switch (propOf(name)) {
    case Prop::Text:
        field.setText(vm.toString(v));
        return true;
    case Prop::HtmlText:
        field.setHtmlText(vm.toString(v));
        return true;
    case Prop::Html:
        field.setHtml(vm.toBoolean(v));
        return true;
    case Prop::Variable:
        field.setVariable(v.isUndefined() || v.isNull() ? QString() : vm.toString(v));
        host.textFieldJoined(field);
        return true;
    case Prop::Border:
        field.setBorder(vm.toBoolean(v));
        return true;
    case Prop::BorderColor:
        field.setBorderColor(colorOf(vm, v));
        return true;
    case Prop::Background:
        field.setBackground(vm.toBoolean(v));
        return true;
    case Prop::BackgroundColor:
        field.setBackgroundColor(colorOf(vm, v));
        return true;
    case Prop::TextColor: {
        // The whole text and what is typed from now on take the colour.
        text::PartialTextFormat f;
        f.color = colorOf(vm, v).rgb();
        field.setTextFormat(-1, -1, f);
        field.setDefaultTextFormat(f);
        return true;
    }
    case Prop::Selectable:
        field.setSelectable(vm.toBoolean(v));
        return true;
    case Prop::Type: {
        // Only the two known words change the field; anything else is ignored.
        const QString type = vm.toString(v);
        if (type.compare(QLatin1String("input"), Qt::CaseInsensitive) == 0)
            field.setEditable(true);
        else if (type.compare(QLatin1String("dynamic"), Qt::CaseInsensitive) == 0)
            field.setEditable(false);
        return true;
    }
    case Prop::WordWrap:
        field.setWordWrap(vm.toBoolean(v));
        return true;
    case Prop::Multiline:
        field.setMultiline(vm.toBoolean(v));
        return true;
    case Prop::Password:
        field.setPassword(vm.toBoolean(v));
        return true;
    case Prop::EmbedFonts:
        field.setEmbedFonts(vm.toBoolean(v));
        return true;
    case Prop::AutoSize:
        if (const auto a = autoSizeOf(vm, v))
            field.setAutoSize(*a);
        return true;
    case Prop::CondenseWhite:
        field.setCondenseWhite(vm.toBoolean(v));
        return true;
    case Prop::Restrict:
        field.setRestrict(v.isNullish() ? QString() : vm.toString(v));
        return true;
    case Prop::MaxChars:
        field.setMaxChars(v.isNullish() ? 0 : wholeOf(vm, v));
        return true;
    case Prop::Scroll:
        field.setScroll(wholeOf(vm, v));
        return true;
    case Prop::HScroll:
        field.setHScroll(wholeOf(vm, v));
        return true;
    case Prop::StyleSheet:
        field.setStyleSheet(builtins::styleSheetFor(vm, v));
        return false; // and kept as an ordinary property, for script to read back
    case Prop::MouseWheelEnabled:
        field.setMouseWheelEnabled(vm.toBoolean(v));
        return true;
    case Prop::Length:
    case Prop::TextWidth:
    case Prop::TextHeight:
    case Prop::MaxScroll:
    case Prop::BottomScroll:
    case Prop::MaxHScroll:
        return true; // read-only
    case Prop::None:
        break;
    }
    return false;
}

void callLinkFunction(Avm1Host& host, TextField& field, const QString& function,
                      const QString& argument) {
    MovieClip* parent = field.parent();
    if (!parent || function.isEmpty())
        return;
    Vm& vm = host.vm();
    const Value scope(host.objectOf(*parent));
    vm.runTopLevel([&] {
        // "fn", "_root.menu.fn", "/menu:fn": the object the function is found on, then it.
        Value holder = scope;
        QString name = function;
        const qsizetype cut = std::max(function.lastIndexOf(QLatin1Char('.')),
                                       function.lastIndexOf(QLatin1Char(':')));
        if (cut >= 0) {
            holder = vm.resolveTarget(scope, function.left(cut));
            name = function.mid(cut + 1);
        }
        const Value fn = vm.getMember(holder, name);
        if (!fn.object() || !fn.object()->isFunction())
            return;
        const Value arg(argument);
        vm.call(fn, holder, {&arg, 1});
    });
}

void watchScrolling(Avm1Host& host, TextField& field) {
    if (field.staticText())
        return;
    Vm& vm = host.vm();
    if (vm.version() >= 6) {
        // Each field broadcasts its own events and is its first listener, as though
        // AsBroadcaster.initialize(field) and field.addListener(field) had run.
        Object* self = host.objectOf(field);
        if (self && !self->findOwn(QStringLiteral("_listeners"))) {
            self->define(QStringLiteral("_listeners"),
                         Value(static_cast<Object*>(vm.newArray({Value(self)}))),
                         propflag::DontEnum);
            const Value broadcaster =
                vm.getMember(Value(vm.global()), QStringLiteral("AsBroadcaster"));
            for (const char* name : {"broadcastMessage", "addListener", "removeListener"}) {
                const Value fn = vm.getMember(broadcaster, QLatin1String(name));
                if (fn.object())
                    self->define(QLatin1String(name), fn, propflag::DontEnum);
            }
        }
    }
    std::weak_ptr<DisplayObject> weak = field.shared_from_this();
    field.setScrollHandler([&host, weak] {
        auto object = weak.lock();
        if (!object || object->removed())
            return;
        Vm& vm = host.vm();
        const Value self(host.objectOf(*object));
        vm.runTopLevel([&] {
            // The field hears it as its own first listener; without listeners, directly.
            auto* list = dynamic_cast<ArrayObject*>(
                vm.getMember(self, QStringLiteral("_listeners")).object());
            if (!list) {
                vm.callMethod(self, QStringLiteral("onScroller"), {&self, 1});
                return;
            }
            const std::vector<Value> targets = list->elements();
            for (const Value& t : targets)
                vm.callMethod(t, QStringLiteral("onScroller"), {&self, 1});
        });
    });
}

} // namespace swf::avm1
