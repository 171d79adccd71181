#pragma once

#include "skin/model/TSeSkinObject.h"

namespace skin {

// Draws with ActiveColor and ActiveFont while its window is active, hot, pressed or focused.
class TSeActiveObject : public TSeSkinObject {
public:
    QUARVEL_SKIN_CLASS(TSeActiveObject)

    TColor ActiveColor{clWhite};
    TSeFont ActiveFont;

    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
    TSeFont GetFont() const override;
    TColor currentColor() const override;
    void setCharset(int charset) override;
    void shiftHue(int delta) override;

private:
    bool lit() const;
};

} // namespace skin
