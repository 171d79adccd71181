#include "skin/model/TSeBitmapObject.h"

#include "skin/model/PropertyAccess.h"

namespace skin {

void TSeBitmapObject::assign(const TSeSkinObject& source) {
    TSeSkinObject::assign(source);
    if (auto* s = dynamic_cast<const TSeBitmapObject*>(&source)) {
        Bitmap = s->Bitmap;
        BorderTileStyle = s->BorderTileStyle;
        MaskedBorder = s->MaskedBorder;
        MaskedAngles = s->MaskedAngles;
        TileStyle = s->TileStyle;
    }
}

bool TSeBitmapObject::readProperty(std::string_view name, const PropertyValue& v) {
    using namespace props;
    if (TSeSkinObject::readProperty(name, v) || readLink("Bitmap", Bitmap, name, v))
        return true;
    if (name == "BorderTileStyle")
        BorderTileStyle = toEnum<TscTileStyle>(v, name);
    else if (name == "MaskedBorder")
        MaskedBorder = toBool(v, name);
    else if (name == "MaskedAngles")
        MaskedAngles = toBool(v, name);
    else if (name == "TileStyle")
        TileStyle = toEnum<TscTileStyle>(v, name);
    else
        return false;
    return true;
}

void TSeBitmapObject::writeProperties(PropertyList& out) const {
    using namespace props;
    TSeSkinObject::writeProperties(out);
    writeLink("Bitmap", Bitmap, out);
    if (BorderTileStyle != TscTileStyle::tsTile)
        putEnum(out, "BorderTileStyle", BorderTileStyle);
    if (!MaskedBorder)
        putBool(out, "MaskedBorder", false);
    if (!MaskedAngles)
        putBool(out, "MaskedAngles", false);
    if (TileStyle != TscTileStyle::tsTile)
        putEnum(out, "TileStyle", TileStyle);
}

void TSeBitmapObject::afterLoad() {
    Bitmap.resolve(bitmaps());
    TSeSkinObject::afterLoad();
}

paint::NinePart TSeBitmapObject::ninePart() const {
    return {MarginLeft,      MarginRight, MarginTop,    MarginBottom, TileStyle,
            BorderTileStyle, Masked,      MaskedBorder, MaskedAngles};
}

void TSeBitmapObject::draw(QPainter& painter) {
    drawWithBitmap(painter, currentBitmap(), ninePart());
}

QRegion TSeBitmapObject::objectRegion() {
    if (!Masked || Kind == TSeKind::skClient)
        return QRegion(boundsRect());
    return bitmapRegion(currentBitmap(), ninePart());
}

} // namespace skin
