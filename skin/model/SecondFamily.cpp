#include "skin/model/SecondFamily.h"

#include "skin/model/PropertyAccess.h"

namespace skin {

using namespace props;

namespace {

bool fontProperty(std::string_view prefix, TSeFont& font, std::string_view name,
                  const PropertyValue& v, bool& handled) {
    if (name.size() > prefix.size() + 1 && name.starts_with(prefix) && name[prefix.size()] == '.') {
        handled = font.readProperty(name.substr(prefix.size() + 1), v, name);
        return true;
    }
    return false;
}

} // namespace

// TSeLinkSkinObject

void TSeLinkSkinObject::assign(const TSeSkinObject& source) {
    TSeSkinObject::assign(source);
    if (auto* s = dynamic_cast<const TSeLinkSkinObject*>(&source))
        LinkControl = s->LinkControl;
}

bool TSeLinkSkinObject::readProperty(std::string_view name, const PropertyValue& v) {
    if (TSeSkinObject::readProperty(name, v))
        return true;
    if (name == "LinkControl") {
        LinkControl = toString(v, name);
        return true;
    }
    return false;
}

void TSeLinkSkinObject::writeProperties(PropertyList& out) const {
    TSeSkinObject::writeProperties(out);
    if (!LinkControl.empty())
        putString(out, "LinkControl", LinkControl);
}

// TSeBitmapSkinObject

void TSeBitmapSkinObject::assign(const TSeSkinObject& source) {
    TSeSkinObject::assign(source);
    if (auto* s = dynamic_cast<const TSeBitmapSkinObject*>(&source)) {
        Bitmap = s->Bitmap;
        TileStyle = s->TileStyle;
    }
}

bool TSeBitmapSkinObject::readProperty(std::string_view name, const PropertyValue& v) {
    if (TSeSkinObject::readProperty(name, v) || readLink("Bitmap", Bitmap, name, v))
        return true;
    if (name == "TileStyle") {
        TileStyle = toEnum<TscTileStyle>(v, name);
        return true;
    }
    return false;
}

void TSeBitmapSkinObject::writeProperties(PropertyList& out) const {
    TSeSkinObject::writeProperties(out);
    writeLink("Bitmap", Bitmap, out);
    if (TileStyle != TscTileStyle::tsTile)
        putEnum(out, "TileStyle", TileStyle);
}

void TSeBitmapSkinObject::afterLoad() {
    Bitmap.resolve(bitmaps());
    for (auto* link : extraLinks())
        link->resolve(bitmaps());
    TSeSkinObject::afterLoad();
}

paint::NinePart TSeBitmapSkinObject::ninePart() const {
    return {MarginLeft, MarginRight, MarginTop, MarginBottom, TileStyle,
            TileStyle,  Masked,      Masked,    Masked};
}

void TSeBitmapSkinObject::draw(QPainter& painter) {
    drawWithBitmap(painter, currentBitmap(), ninePart());
}

QRegion TSeBitmapSkinObject::objectRegion() {
    if (!Masked || Kind == TSeKind::skClient)
        return QRegion(boundsRect());
    return bitmapRegion(currentBitmap(), ninePart());
}

// TSeBitmapBoxObject

void TSeBitmapBoxObject::assign(const TSeSkinObject& source) {
    TSeBitmapSkinObject::assign(source);
    if (auto* s = dynamic_cast<const TSeBitmapBoxObject*>(&source))
        BorderTileStyle = s->BorderTileStyle;
}

bool TSeBitmapBoxObject::readProperty(std::string_view name, const PropertyValue& v) {
    if (TSeBitmapSkinObject::readProperty(name, v))
        return true;
    if (name == "BorderTileStyle") {
        BorderTileStyle = toEnum<TscTileStyle>(v, name);
        return true;
    }
    return false;
}

void TSeBitmapBoxObject::writeProperties(PropertyList& out) const {
    TSeBitmapSkinObject::writeProperties(out);
    if (BorderTileStyle != TscTileStyle::tsTile)
        putEnum(out, "BorderTileStyle", BorderTileStyle);
}

paint::NinePart TSeBitmapBoxObject::ninePart() const {
    auto n = TSeBitmapSkinObject::ninePart();
    n.borderTile = BorderTileStyle;
    return n;
}

// TSeActiveBitmapBoxObject

void TSeActiveBitmapBoxObject::assign(const TSeSkinObject& source) {
    TSeBitmapBoxObject::assign(source);
    if (auto* s = dynamic_cast<const TSeActiveBitmapBoxObject*>(&source))
        FocusedBitmap = s->FocusedBitmap;
}

bool TSeActiveBitmapBoxObject::readProperty(std::string_view name, const PropertyValue& v) {
    return TSeBitmapBoxObject::readProperty(name, v) ||
           readLink("FocusedBitmap", FocusedBitmap, name, v);
}

void TSeActiveBitmapBoxObject::writeProperties(PropertyList& out) const {
    TSeBitmapBoxObject::writeProperties(out);
    writeLink("FocusedBitmap", FocusedBitmap, out);
}

const TSeBitmapLink& TSeActiveBitmapBoxObject::currentBitmap() const {
    const bool lit = active() || state() == state::Focused;
    return lit && FocusedBitmap.usable() ? FocusedBitmap : Bitmap;
}

// TSeButtonBitmapBoxObject

void TSeButtonBitmapBoxObject::assign(const TSeSkinObject& source) {
    TSeBitmapBoxObject::assign(source);
    if (auto* s = dynamic_cast<const TSeButtonBitmapBoxObject*>(&source)) {
        HotBitmap = s->HotBitmap;
        FocusedBitmap = s->FocusedBitmap;
        PressedBitmap = s->PressedBitmap;
        DisabledBitmap = s->DisabledBitmap;
    }
}

bool TSeButtonBitmapBoxObject::readProperty(std::string_view name, const PropertyValue& v) {
    return TSeBitmapBoxObject::readProperty(name, v) || readLink("HotBitmap", HotBitmap, name, v) ||
           readLink("FocusedBitmap", FocusedBitmap, name, v) ||
           readLink("PressedBitmap", PressedBitmap, name, v) ||
           readLink("DisabledBitmap", DisabledBitmap, name, v);
}

void TSeButtonBitmapBoxObject::writeProperties(PropertyList& out) const {
    TSeBitmapBoxObject::writeProperties(out);
    writeLink("HotBitmap", HotBitmap, out);
    writeLink("FocusedBitmap", FocusedBitmap, out);
    writeLink("PressedBitmap", PressedBitmap, out);
    writeLink("DisabledBitmap", DisabledBitmap, out);
}

const TSeBitmapLink& TSeButtonBitmapBoxObject::currentBitmap() const {
    const TSeBitmapLink* link = nullptr;
    switch (state()) {
    case state::Focused:
        link = &FocusedBitmap;
        break;
    case state::Hot:
        link = &HotBitmap;
        break;
    case state::Disabled:
        link = &DisabledBitmap;
        break;
    case state::Pressed:
        link = &PressedBitmap;
        break;
    default:
        break;
    }
    return link && link->usable() ? *link : Bitmap;
}

// TSeFormBitmapSkinObject

void TSeFormBitmapSkinObject::assign(const TSeSkinObject& source) {
    TSeBitmapSkinObject::assign(source);
    if (auto* s = dynamic_cast<const TSeFormBitmapSkinObject*>(&source))
        InactiveBitmap = s->InactiveBitmap;
}

bool TSeFormBitmapSkinObject::readProperty(std::string_view name, const PropertyValue& v) {
    return TSeBitmapSkinObject::readProperty(name, v) ||
           readLink("InactiveBitmap", InactiveBitmap, name, v);
}

void TSeFormBitmapSkinObject::writeProperties(PropertyList& out) const {
    TSeBitmapSkinObject::writeProperties(out);
    writeLink("InactiveBitmap", InactiveBitmap, out);
}

const TSeBitmapLink& TSeFormBitmapSkinObject::currentBitmap() const {
    return !active() && InactiveBitmap.usable() ? InactiveBitmap : Bitmap;
}

// TSeSysButtonSkinObject

void TSeSysButtonSkinObject::assign(const TSeSkinObject& source) {
    TSeBitmapSkinObject::assign(source);
    if (auto* s = dynamic_cast<const TSeSysButtonSkinObject*>(&source)) {
        Action = s->Action;
        BitmapHover = s->BitmapHover;
        BitmapDown = s->BitmapDown;
        RollPanel = s->RollPanel;
    }
}

bool TSeSysButtonSkinObject::readProperty(std::string_view name, const PropertyValue& v) {
    if (TSeBitmapSkinObject::readProperty(name, v) ||
        readLink("BitmapHover", BitmapHover, name, v) ||
        readLink("BitmapDown", BitmapDown, name, v))
        return true;
    if (name == "Action") {
        Action = toEnum<TSeAction>(v, name);
        return true;
    }
    if (name == "RollPanel") {
        // A reference to another component, written as its name.
        if (v.type != PropertyValue::Type::Identifier && v.type != PropertyValue::Type::String)
            invalidValue(name);
        RollPanel = v.text;
        return true;
    }
    return false;
}

void TSeSysButtonSkinObject::writeProperties(PropertyList& out) const {
    TSeBitmapSkinObject::writeProperties(out);
    if (Action != TSeAction::sbaNone)
        putEnum(out, "Action", Action);
    writeLink("BitmapHover", BitmapHover, out);
    writeLink("BitmapDown", BitmapDown, out);
    if (!RollPanel.empty())
        putIdent(out, "RollPanel", RollPanel);
}

const TSeBitmapLink& TSeSysButtonSkinObject::currentBitmap() const {
    if (state() == state::Hot && BitmapHover.usable())
        return BitmapHover;
    if (state() == state::Pressed && BitmapDown.usable())
        return BitmapDown;
    return Bitmap;
}

// TSeActiveSkinObject

void TSeActiveSkinObject::assign(const TSeSkinObject& source) {
    TSeSkinObject::assign(source);
    if (auto* s = dynamic_cast<const TSeActiveSkinObject*>(&source)) {
        ActiveColor = s->ActiveColor;
        ActiveFont = s->ActiveFont;
    }
}

bool TSeActiveSkinObject::readProperty(std::string_view name, const PropertyValue& v) {
    if (TSeSkinObject::readProperty(name, v))
        return true;
    if (name == "ActiveColor") {
        ActiveColor = toColor(v, name);
        return true;
    }
    bool handled = false;
    return fontProperty("ActiveFont", ActiveFont, name, v, handled) && handled;
}

void TSeActiveSkinObject::writeProperties(PropertyList& out) const {
    TSeSkinObject::writeProperties(out);
    if (ActiveColor != clWhite)
        putColor(out, "ActiveColor", ActiveColor);
    ActiveFont.writeProperties("ActiveFont", out);
}

void TSeActiveSkinObject::setCharset(int charset) {
    ActiveFont.Charset = charset;
    TSeSkinObject::setCharset(charset);
}

void TSeActiveSkinObject::shiftHue(int delta) {
    shiftColorHue(ActiveColor, delta);
    shiftColorHue(ActiveFont.Color, delta);
    TSeSkinObject::shiftHue(delta);
}

TSeFont TSeActiveSkinObject::GetFont() const {
    const bool lit =
        active() || state() == state::Hot || state() == state::Pressed || state() == state::Focused;
    return lit ? ActiveFont : Font;
}

TColor TSeActiveSkinObject::currentColor() const {
    const bool lit =
        active() || state() == state::Hot || state() == state::Pressed || state() == state::Focused;
    return lit ? ActiveColor : Color;
}

// TSeColorButtonObject

namespace {
struct StateLook {
    const char* color;
    const char* font;
    TColor TSeColorButtonObject::*colorMember;
    TSeFont TSeColorButtonObject::*fontMember;
};
constexpr StateLook looks[] = {
    {"HotColor", "HotFont", &TSeColorButtonObject::HotColor, &TSeColorButtonObject::HotFont},
    {"PressedColor", "PressedFont", &TSeColorButtonObject::PressedColor,
     &TSeColorButtonObject::PressedFont},
    {"FocusedColor", "FocusedFont", &TSeColorButtonObject::FocusedColor,
     &TSeColorButtonObject::FocusedFont},
    {"DisabledColor", "DisabledFont", &TSeColorButtonObject::DisabledColor,
     &TSeColorButtonObject::DisabledFont},
};

const StateLook* lookFor(std::uint8_t s) {
    switch (s) {
    case state::Hot:
        return &looks[0];
    case state::Pressed:
        return &looks[1];
    case state::Focused:
        return &looks[2];
    case state::Disabled:
        return &looks[3];
    default:
        return nullptr;
    }
}
} // namespace

void TSeColorButtonObject::assign(const TSeSkinObject& source) {
    TSeSkinObject::assign(source);
    if (auto* s = dynamic_cast<const TSeColorButtonObject*>(&source)) {
        for (const auto& l : looks) {
            this->*l.colorMember = s->*l.colorMember;
            this->*l.fontMember = s->*l.fontMember;
        }
    }
}

bool TSeColorButtonObject::readProperty(std::string_view name, const PropertyValue& v) {
    if (TSeSkinObject::readProperty(name, v))
        return true;
    for (const auto& l : looks) {
        if (name == l.color) {
            this->*l.colorMember = toColor(v, name);
            return true;
        }
        bool handled = false;
        if (fontProperty(l.font, this->*l.fontMember, name, v, handled))
            return handled;
    }
    return false;
}

void TSeColorButtonObject::writeProperties(PropertyList& out) const {
    TSeSkinObject::writeProperties(out);
    for (const auto& l : looks) {
        if (this->*l.colorMember != clWhite)
            putColor(out, l.color, this->*l.colorMember);
        (this->*l.fontMember).writeProperties(l.font, out);
    }
}

void TSeColorButtonObject::setCharset(int charset) {
    for (const auto& l : looks)
        (this->*l.fontMember).Charset = charset;
    TSeSkinObject::setCharset(charset);
}

void TSeColorButtonObject::shiftHue(int delta) {
    for (const auto& l : looks) {
        shiftColorHue(this->*l.colorMember, delta);
        shiftColorHue((this->*l.fontMember).Color, delta);
    }
    TSeSkinObject::shiftHue(delta);
}

TSeFont TSeColorButtonObject::GetFont() const {
    const StateLook* l = lookFor(state());
    return l ? this->*l->fontMember : Font;
}

TColor TSeColorButtonObject::currentColor() const {
    const StateLook* l = lookFor(state());
    return l ? this->*l->colorMember : Color;
}

// TSeRollPanelObject

void TSeRollPanelObject::assign(const TSeSkinObject& source) {
    TSeSkinObject::assign(source);
    if (auto* s = dynamic_cast<const TSeRollPanelObject*>(&source)) {
        RollKind = s->RollKind;
        RollValue = s->RollValue;
    }
}

bool TSeRollPanelObject::readProperty(std::string_view name, const PropertyValue& v) {
    if (TSeSkinObject::readProperty(name, v))
        return true;
    if (name == "RollKind")
        RollKind = toEnum<TSeRollKind>(v, name);
    else if (name == "RollValue")
        RollValue = toInt(v, name);
    else
        return false;
    return true;
}

void TSeRollPanelObject::writeProperties(PropertyList& out) const {
    TSeSkinObject::writeProperties(out);
    if (RollKind != TSeRollKind::rkLeft)
        putEnum(out, "RollKind", RollKind);
    if (RollValue != 0)
        putInt(out, "RollValue", RollValue);
}

} // namespace skin
