#pragma once

#include "skin/model/TSeSkinObject.h"

namespace skin {

// An object painted from a rectangle of a skin bitmap, as a nine-part image when it has
// margins. Subclasses choose another link for some states through currentBitmap().
class TSeBitmapObject : public TSeSkinObject {
public:
    QUARVEL_SKIN_CLASS(TSeBitmapObject)

    TSeBitmapLink Bitmap;
    TscTileStyle BorderTileStyle{TscTileStyle::tsTile};
    bool MaskedBorder{true};
    bool MaskedAngles{true};
    TscTileStyle TileStyle{TscTileStyle::tsTile};

    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
    void afterLoad() override;
    void draw(QPainter& painter) override;
    QRegion objectRegion() override;

    // The link drawn in the current state.
    virtual const TSeBitmapLink& currentBitmap() const { return Bitmap; }
    paint::NinePart ninePart() const;
};

} // namespace skin
