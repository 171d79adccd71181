#include "skin/model/TSeActiveBitmap.h"

#include "skin/model/PropertyAccess.h"

namespace skin {

void TSeActiveBitmap::assign(const TSeSkinObject& source) {
    TSeBitmapObject::assign(source);
    if (auto* s = dynamic_cast<const TSeActiveBitmap*>(&source)) {
        ActiveBitmap = s->ActiveBitmap;
        ActiveFont = s->ActiveFont;
    }
}

bool TSeActiveBitmap::readProperty(std::string_view name, const PropertyValue& v) {
    if (TSeBitmapObject::readProperty(name, v) ||
        props::readLink("ActiveBitmap", ActiveBitmap, name, v))
        return true;
    if (name.starts_with("ActiveFont."))
        return ActiveFont.readProperty(name.substr(11), v, name);
    return false;
}

void TSeActiveBitmap::writeProperties(PropertyList& out) const {
    TSeBitmapObject::writeProperties(out);
    props::writeLink("ActiveBitmap", ActiveBitmap, out);
    ActiveFont.writeProperties("ActiveFont", out);
}

void TSeActiveBitmap::afterLoad() {
    ActiveBitmap.resolve(bitmaps());
    TSeBitmapObject::afterLoad();
}

void TSeActiveBitmap::setCharset(int charset) {
    ActiveFont.Charset = charset;
    TSeBitmapObject::setCharset(charset);
}

TSeFont TSeActiveBitmap::GetFont() const {
    return state() == state::Hot || state() == state::Focused ? ActiveFont : Font;
}

const TSeBitmapLink& TSeActiveBitmap::currentBitmap() const {
    const bool lit = active() || state() == state::Hot || state() == state::Focused;
    return lit && ActiveBitmap.usable() ? ActiveBitmap : Bitmap;
}

} // namespace skin
