#pragma once

#include "skin/model/TSeBitmapObject.h"

namespace skin {

// A push button face: one image per state, each falling back to Bitmap when not usable.
class TSeButtonObject : public TSeBitmapObject {
public:
    QUARVEL_SKIN_CLASS(TSeButtonObject)

    TSeBitmapLink BitmapHot;
    TSeBitmapLink BitmapFocused;
    TSeBitmapLink BitmapPressed;
    TSeBitmapLink BitmapDisabled;

    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
    void afterLoad() override;
    const TSeBitmapLink& currentBitmap() const override;
};

} // namespace skin
