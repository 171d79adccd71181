#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include <QColor>

namespace skin {

// A colour as skins store it: 0x00BBGGRR, or 0x80000000 + index of a system colour, or one of
// the two special values below.
using TColor = std::uint32_t;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clWhite = 0x00FFFFFF;
constexpr TColor clBlack = 0x00000000;
constexpr TColor clWindowText = 0x80000008;
constexpr TColor clBtnFace = 0x8000000F;

constexpr TColor rgbColor(int r, int g, int b) {
    return TColor(r & 0xFF) | TColor(g & 0xFF) << 8 | TColor(b & 0xFF) << 16;
}

std::optional<TColor> colorFromIdent(std::string_view name);
std::optional<std::string_view> colorToIdent(TColor color);

// A system colour resolved to its value (the classic Windows scheme, which skins were made
// against); any other colour is returned unchanged. clNone and clDefault resolve to white.
TColor resolveColor(TColor color);
QColor toQColor(TColor color);

std::optional<int> charsetFromIdent(std::string_view name);
std::optional<std::string_view> charsetToIdent(int charset);

} // namespace skin
