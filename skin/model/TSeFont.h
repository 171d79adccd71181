#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <QFont>

#include "skin/model/PropertyValue.h"
#include "skin/model/SkinColors.h"

namespace skin {

// A font as skins describe it. Kept as plain data so that skins can be read and written
// without a GUI application; toQFont() is only called while drawing.
struct TSeFont {
    enum Style : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
    enum class Pitch : std::uint8_t { fpDefault, fpVariable, fpFixed };

    int Charset{1};
    TColor Color{clWindowText};
    int Height{-11};
    std::string Name{"Tahoma"};
    Pitch FontPitch{Pitch::fpDefault};
    std::uint8_t StyleBits{0};

    // Applies "Font.X" sub-properties; `sub` is the part after the dot. False when unknown.
    bool readProperty(std::string_view sub, const PropertyValue& v, std::string_view fullName);
    void writeProperties(const std::string& prefix, PropertyList& out) const;

    QFont toQFont() const;
    QColor color() const { return toQColor(Color); }

    bool operator==(const TSeFont&) const = default;
};

} // namespace skin
