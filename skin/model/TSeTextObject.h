#pragma once

#include "skin/model/TSeSkinObject.h"

namespace skin {

// Text whose font follows the state: hot, pressed, focused, disabled.
class TSeTextObject : public TSeSkinObject {
public:
    QUARVEL_SKIN_CLASS(TSeTextObject)

    TSeFont FontHot;
    TSeFont FontFocused;
    TSeFont FontPressed;
    TSeFont FontDisabled;

    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
    void setCharset(int charset) override;
    TSeFont GetFont() const override;
};

} // namespace skin
