#include "skin/model/SkinColors.h"

#include <array>
#include <cctype>

#include "skin/model/SkinTypes.h"

namespace skin {

namespace {

struct NamedValue {
    std::string_view name;
    std::uint32_t value;
};

constexpr std::array<NamedValue, 52> colorNames{{
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clScrollBar", 0x80000000},
    {"clBackground", 0x80000001},
    {"clActiveCaption", 0x80000002},
    {"clInactiveCaption", 0x80000003},
    {"clMenu", 0x80000004},
    {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006},
    {"clMenuText", 0x80000007},
    {"clWindowText", 0x80000008},
    {"clCaptionText", 0x80000009},
    {"clActiveBorder", 0x8000000A},
    {"clInactiveBorder", 0x8000000B},
    {"clAppWorkSpace", 0x8000000C},
    {"clHighlight", 0x8000000D},
    {"clHighlightText", 0x8000000E},
    {"clBtnFace", 0x8000000F},
    {"clBtnShadow", 0x80000010},
    {"clGrayText", 0x80000011},
    {"clBtnText", 0x80000012},
    {"clInactiveCaptionText", 0x80000013},
    {"clBtnHighlight", 0x80000014},
    {"cl3DDkShadow", 0x80000015},
    {"cl3DLight", 0x80000016},
    {"clInfoText", 0x80000017},
    {"clInfoBk", 0x80000018},
    {"clHotLight", 0x8000001A},
    {"clGradientActiveCaption", 0x8000001B},
    {"clGradientInactiveCaption", 0x8000001C},
    {"clMenuHighlight", 0x8000001D},
    {"clMenuBar", 0x8000001E},
    {"clNone", 0x1FFFFFFF},
    {"clDefault", 0x20000000},
}};

// The classic scheme, indexed by system colour number.
constexpr std::array<TColor, 31> systemColors{
    rgbColor(212, 208, 200), rgbColor(58, 110, 165),  rgbColor(10, 36, 106),
    rgbColor(128, 128, 128), rgbColor(212, 208, 200), rgbColor(255, 255, 255),
    rgbColor(0, 0, 0),       rgbColor(0, 0, 0),       rgbColor(0, 0, 0),
    rgbColor(255, 255, 255), rgbColor(212, 208, 200), rgbColor(212, 208, 200),
    rgbColor(128, 128, 128), rgbColor(10, 36, 106),   rgbColor(255, 255, 255),
    rgbColor(212, 208, 200), rgbColor(128, 128, 128), rgbColor(128, 128, 128),
    rgbColor(0, 0, 0),       rgbColor(212, 208, 200), rgbColor(255, 255, 255),
    rgbColor(64, 64, 64),    rgbColor(212, 208, 200), rgbColor(0, 0, 0),
    rgbColor(255, 255, 225), rgbColor(0, 0, 0),       rgbColor(0, 0, 128),
    rgbColor(166, 202, 240), rgbColor(192, 192, 192), rgbColor(49, 106, 197),
    rgbColor(236, 233, 216)};

constexpr std::array<NamedValue, 19> charsetNames{{
    {"ANSI_CHARSET", 0},      {"DEFAULT_CHARSET", 1},    {"SYMBOL_CHARSET", 2},
    {"MAC_CHARSET", 77},      {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},
    {"JOHAB_CHARSET", 130},   {"GB2312_CHARSET", 134},   {"CHINESEBIG5_CHARSET", 136},
    {"GREEK_CHARSET", 161},   {"TURKISH_CHARSET", 162},  {"VIETNAMESE_CHARSET", 163},
    {"HEBREW_CHARSET", 177},  {"ARABIC_CHARSET", 178},   {"BALTIC_CHARSET", 186},
    {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222},     {"EASTEUROPE_CHARSET", 238},
    {"OEM_CHARSET", 255},
}};

// The tables above sorted by name, for lookups while a skin loads; the tables themselves keep
// the order in which names are chosen when writing.
template <std::size_t N>
constexpr std::array<NamedValue, N> sortedByName(std::array<NamedValue, N> table) {
    std::sort(table.begin(), table.end(), [](const NamedValue& a, const NamedValue& b) {
        return lessIgnoreCase(a.name, b.name);
    });
    return table;
}
constexpr auto colorsByName = sortedByName(colorNames);
constexpr auto charsetsByName = sortedByName(charsetNames);

template <std::size_t N>
std::optional<std::uint32_t> valueOf(const std::array<NamedValue, N>& sorted,
                                     std::string_view name) {
    const auto it = std::lower_bound(
        sorted.begin(), sorted.end(), name,
        [](const NamedValue& e, std::string_view n) { return lessIgnoreCase(e.name, n); });
    if (it != sorted.end() && equalsIgnoreCase(it->name, name))
        return it->value;
    return std::nullopt;
}

template <std::size_t N>
std::optional<std::string_view> nameOf(const std::array<NamedValue, N>& table,
                                       std::uint32_t value) {
    for (const auto& e : table) {
        if (e.value == value)
            return e.name;
    }
    return std::nullopt;
}

} // namespace

std::optional<TColor> colorFromIdent(std::string_view name) {
    return valueOf(colorsByName, name);
}
std::optional<std::string_view> colorToIdent(TColor color) {
    return nameOf(colorNames, color);
}

TColor resolveColor(TColor color) {
    if (color & 0x80000000u) {
        const auto index = color & 0xFFu;
        return index < systemColors.size() ? systemColors[index] : clBlack;
    }
    if (color == clNone || color == clDefault)
        return clWhite;
    return color & 0x00FFFFFFu;
}

QColor toQColor(TColor color) {
    const TColor c = resolveColor(color);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

std::optional<int> charsetFromIdent(std::string_view name) {
    if (auto v = valueOf(charsetsByName, name))
        return int(*v);
    return std::nullopt;
}

std::optional<std::string_view> charsetToIdent(int charset) {
    return nameOf(charsetNames, std::uint32_t(charset));
}

} // namespace skin
