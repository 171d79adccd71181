#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace skin {

// Enumerations of the skin objects, stored in streams by their identifiers. The ordinal order
// is part of the format, so never reorder them.
enum class TSeAlign : std::uint8_t {
    saNone,
    saLeft,
    saMostLeft,
    saTop,
    saMostTop,
    saRight,
    saMostRight,
    saBottom,
    saMostBottom,
    saClient,
    saTopLeft,
    saTopRight,
    saBottomLeft,
    saBottomRight,
    saCenter,
    saText
};

enum class TSeKind : std::uint8_t {
    skNone,
    skForm,
    skCaption,
    skTitle,
    skTop,
    skLeft,
    skRight,
    skBottom,
    skTopLeft,
    skTopRight,
    skBottomLeft,
    skBottomRight,
    skSysButton,
    skClient,
    skMenuBar,
    skMenuBarItem,
    skMenuBarItemText,
    skPopupMenu,
    skPopupMenuItem,
    skPopupMenuItemText,
    skItemText,
    skTranparent
};

enum class TSeTextAlign : std::uint8_t {
    taTopLeft,
    taTopCenter,
    taTopRight,
    taLeft,
    taCenter,
    taRight,
    taBottomLeft,
    taBottomCenter,
    taBottomRight
};

enum class TSeTextEffect : std::uint8_t { teNone, teShadow };

enum class TscTileStyle : std::uint8_t { tsTile, tsStretch, tsCenter };

enum class TSeAction : std::uint8_t {
    sbaNone,
    sbaClose,
    sbaHelp,
    sbaMinimize,
    sbaMaximize,
    sbaRestore,
    sbaRollUp,
    sbaRollDown,
    sbaTray,
    sbaSysMenu,
    sbaRollPanel,
    sbaCustom
};

enum class TSeRollKind : std::uint8_t { rkLeft, rkTop, rkRight, rkBottom };

// The caption buttons a window offers; system buttons hide themselves when theirs is missing.
enum class TSeBorderIcon : std::uint8_t {
    kbiClose = 1,
    kbiSystemMenu = 2,
    kbiMinimize = 4,
    kbiMaximize = 8,
    kbiHelp = 16,
    kbiRollup = 32,
    kbiTray = 64
};
using TSeBorderIcons = std::uint8_t;
constexpr TSeBorderIcons kAllBorderIcons = 0x7F;

// The object state passed down a tree while drawing.
namespace state {
constexpr std::uint8_t Normal = 0;
constexpr std::uint8_t Maximized = 2;
constexpr std::uint8_t Minimized = 3;
constexpr std::uint8_t RolledUp = 4;
constexpr std::uint8_t Hot = 5;
constexpr std::uint8_t Pressed = 6;
constexpr std::uint8_t Focused = 7;
constexpr std::uint8_t Disabled = 8;
} // namespace state

// ASCII-only case folding: names and identifiers in skins are compared this way, and it is
// on the load path, so no locale lookups.
constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}
constexpr bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}
constexpr bool lessIgnoreCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char x = asciiLower(a[i]), y = asciiLower(b[i]);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

// Identifier tables, indexed by ordinal.
std::string_view enumName(TSeAlign v);
std::string_view enumName(TSeKind v);
std::string_view enumName(TSeTextAlign v);
std::string_view enumName(TSeTextEffect v);
std::string_view enumName(TscTileStyle v);
std::string_view enumName(TSeAction v);
std::string_view enumName(TSeRollKind v);

// Looks an identifier up in the table of E, ignoring case as the stream reader always has.
template <typename E> std::optional<E> enumFromName(std::string_view name);

} // namespace skin
