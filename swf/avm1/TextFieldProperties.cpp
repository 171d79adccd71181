#include "swf/avm1/TextFieldProperties.h"

#include "swf/avm1/Avm1Host.h"
#include "swf/avm1/Vm.h"
#include "swf/display/TextField.h"

namespace swf::avm1 {

namespace {

enum class Prop {
    Text,
    HtmlText,
    Variable,
    Border,
    BorderColor,
    Background,
    BackgroundColor,
    Selectable,
    Type,
    Length,
    None
};

Prop propOf(const QString& name) {
    static const struct {
        const char* name;
        Prop prop;
    } table[] = {
        {"text", Prop::Text},
        {"htmlText", Prop::HtmlText},
        {"variable", Prop::Variable},
        {"border", Prop::Border},
        {"borderColor", Prop::BorderColor},
        {"background", Prop::Background},
        {"backgroundColor", Prop::BackgroundColor},
        {"selectable", Prop::Selectable},
        {"type", Prop::Type},
        {"length", Prop::Length},
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

} // namespace

bool readTextProperty(Vm& vm, TextField& field, const QString& name, Value& out) {
    (void)vm;
    switch (propOf(name)) {
    case Prop::Text:
        out = Value(field.text());
        return true;
    case Prop::HtmlText:
        out = Value(field.htmlText().isEmpty() ? field.text() : field.htmlText());
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
    case Prop::Selectable:
        out = Value(field.selectable());
        return true;
    case Prop::Type:
        out = Value(field.editable() ? QStringLiteral("input") : QStringLiteral("dynamic"));
        return true;
    case Prop::Length:
        out = Value(double(field.text().size()));
        return true;
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
    case Prop::Length:
        return true; // read-only
    case Prop::None:
        break;
    }
    return false;
}

} // namespace swf::avm1
