#include "skin/model/TSeActiveObject.h"

#include "skin/model/HueShift.h"
#include "skin/model/PropertyAccess.h"

namespace skin {

void TSeActiveObject::assign(const TSeSkinObject& source) {
    TSeSkinObject::assign(source);
    if (auto* s = dynamic_cast<const TSeActiveObject*>(&source)) {
        ActiveColor = s->ActiveColor;
        ActiveFont = s->ActiveFont;
    }
}

bool TSeActiveObject::readProperty(std::string_view name, const PropertyValue& v) {
    if (TSeSkinObject::readProperty(name, v))
        return true;
    if (name == "ActiveColor") {
        ActiveColor = props::toColor(v, name);
        return true;
    }
    if (name.starts_with("ActiveFont."))
        return ActiveFont.readProperty(name.substr(11), v, name);
    return false;
}

void TSeActiveObject::writeProperties(PropertyList& out) const {
    TSeSkinObject::writeProperties(out);
    if (ActiveColor != clWhite)
        props::putColor(out, "ActiveColor", ActiveColor);
    ActiveFont.writeProperties("ActiveFont", out);
}

bool TSeActiveObject::lit() const {
    return active() || state() == state::Hot || state() == state::Pressed ||
           state() == state::Focused;
}

TSeFont TSeActiveObject::GetFont() const {
    return lit() ? ActiveFont : Font;
}
TColor TSeActiveObject::currentColor() const {
    return lit() ? ActiveColor : Color;
}

void TSeActiveObject::setCharset(int charset) {
    ActiveFont.Charset = charset;
    TSeSkinObject::setCharset(charset);
}

void TSeActiveObject::shiftHue(int delta) {
    shiftColorHue(ActiveColor, delta);
    shiftColorHue(ActiveFont.Color, delta);
    TSeSkinObject::shiftHue(delta);
}

} // namespace skin
