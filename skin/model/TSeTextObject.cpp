#include "skin/model/TSeTextObject.h"

namespace skin {

namespace {
constexpr std::pair<const char*, TSeFont TSeTextObject::*> fonts[] = {
    {"FontHot", &TSeTextObject::FontHot},
    {"FontFocused", &TSeTextObject::FontFocused},
    {"FontPressed", &TSeTextObject::FontPressed},
    {"FontDisabled", &TSeTextObject::FontDisabled},
};
} // namespace

void TSeTextObject::assign(const TSeSkinObject& source) {
    TSeSkinObject::assign(source);
    if (auto* s = dynamic_cast<const TSeTextObject*>(&source)) {
        for (const auto& [n, member] : fonts)
            this->*member = s->*member;
    }
}

bool TSeTextObject::readProperty(std::string_view name, const PropertyValue& v) {
    if (TSeSkinObject::readProperty(name, v))
        return true;
    for (const auto& [n, member] : fonts) {
        const std::string_view prefix(n);
        if (name.size() > prefix.size() + 1 && name.starts_with(prefix) &&
            name[prefix.size()] == '.')
            return (this->*member).readProperty(name.substr(prefix.size() + 1), v, name);
    }
    return false;
}

void TSeTextObject::writeProperties(PropertyList& out) const {
    TSeSkinObject::writeProperties(out);
    for (const auto& [n, member] : fonts)
        (this->*member).writeProperties(n, out);
}

void TSeTextObject::setCharset(int charset) {
    for (const auto& [n, member] : fonts)
        (this->*member).Charset = charset;
    TSeSkinObject::setCharset(charset);
}

TSeFont TSeTextObject::GetFont() const {
    switch (state()) {
    case state::Hot:
        return FontHot;
    case state::Pressed:
        return FontPressed;
    case state::Focused:
        return FontFocused;
    case state::Disabled:
        return FontDisabled;
    default:
        return Font;
    }
}

} // namespace skin
