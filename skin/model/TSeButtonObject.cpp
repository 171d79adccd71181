#include "skin/model/TSeButtonObject.h"

#include "skin/model/PropertyAccess.h"

namespace skin {

void TSeButtonObject::assign(const TSeSkinObject& source) {
    TSeBitmapObject::assign(source);
    if (auto* s = dynamic_cast<const TSeButtonObject*>(&source)) {
        BitmapHot = s->BitmapHot;
        BitmapFocused = s->BitmapFocused;
        BitmapPressed = s->BitmapPressed;
        BitmapDisabled = s->BitmapDisabled;
    }
}

bool TSeButtonObject::readProperty(std::string_view name, const PropertyValue& v) {
    using props::readLink;
    return TSeBitmapObject::readProperty(name, v) || readLink("BitmapHot", BitmapHot, name, v) ||
           readLink("BitmapFocused", BitmapFocused, name, v) ||
           readLink("BitmapPressed", BitmapPressed, name, v) ||
           readLink("BitmapDisabled", BitmapDisabled, name, v);
}

void TSeButtonObject::writeProperties(PropertyList& out) const {
    TSeBitmapObject::writeProperties(out);
    props::writeLink("BitmapHot", BitmapHot, out);
    props::writeLink("BitmapFocused", BitmapFocused, out);
    props::writeLink("BitmapPressed", BitmapPressed, out);
    props::writeLink("BitmapDisabled", BitmapDisabled, out);
}

void TSeButtonObject::afterLoad() {
    for (auto* link : {&BitmapHot, &BitmapFocused, &BitmapPressed, &BitmapDisabled})
        link->resolve(bitmaps());
    TSeBitmapObject::afterLoad();
}

const TSeBitmapLink& TSeButtonObject::currentBitmap() const {
    const TSeBitmapLink* link = nullptr;
    switch (state()) {
    case state::Focused:
        link = &BitmapFocused;
        break;
    case state::Hot:
        link = &BitmapHot;
        break;
    case state::Disabled:
        link = &BitmapDisabled;
        break;
    case state::Pressed:
        link = &BitmapPressed;
        break;
    default:
        break;
    }
    return link && link->usable() ? *link : Bitmap;
}

} // namespace skin
