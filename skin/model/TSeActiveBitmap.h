#pragma once

#include "skin/model/TSeBitmapObject.h"

namespace skin {

// A bitmap object with a second image for the active, hot and focused looks.
class TSeActiveBitmap : public TSeBitmapObject {
public:
    QUARVEL_SKIN_CLASS(TSeActiveBitmap)

    TSeBitmapLink ActiveBitmap;
    TSeFont ActiveFont;

    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
    void afterLoad() override;
    void setCharset(int charset) override;
    TSeFont GetFont() const override;
    const TSeBitmapLink& currentBitmap() const override;
};

} // namespace skin
