#include "skin/model/SkinTypes.h"

#include <cctype>

namespace skin {

namespace {

constexpr std::array<std::string_view, 16> alignNames{
    "saNone",       "saLeft",        "saMostLeft",   "saTop",    "saMostTop", "saRight",
    "saMostRight",  "saBottom",      "saMostBottom", "saClient", "saTopLeft", "saTopRight",
    "saBottomLeft", "saBottomRight", "saCenter",     "saText"};
constexpr std::array<std::string_view, 22> kindNames{"skNone",
                                                     "skForm",
                                                     "skCaption",
                                                     "skTitle",
                                                     "skTop",
                                                     "skLeft",
                                                     "skRight",
                                                     "skBottom",
                                                     "skTopLeft",
                                                     "skTopRight",
                                                     "skBottomLeft",
                                                     "skBottomRight",
                                                     "skSysButton",
                                                     "skClient",
                                                     "skMenuBar",
                                                     "skMenuBarItem",
                                                     "skMenuBarItemText",
                                                     "skPopupMenu",
                                                     "skPopupMenuItem",
                                                     "skPopupMenuItemText",
                                                     "skItemText",
                                                     "skTranparent"};
constexpr std::array<std::string_view, 9> textAlignNames{
    "taTopLeft", "taTopCenter",  "taTopRight",     "taLeft",       "taCenter",
    "taRight",   "taBottomLeft", "taBottomCenter", "taBottomRight"};
constexpr std::array<std::string_view, 2> textEffectNames{"teNone", "teShadow"};
constexpr std::array<std::string_view, 3> tileStyleNames{"tsTile", "tsStretch", "tsCenter"};
constexpr std::array<std::string_view, 12> actionNames{
    "sbaNone",   "sbaClose",    "sbaHelp", "sbaMinimize", "sbaMaximize",  "sbaRestore",
    "sbaRollUp", "sbaRollDown", "sbaTray", "sbaSysMenu",  "sbaRollPanel", "sbaCustom"};
constexpr std::array<std::string_view, 4> rollKindNames{"rkLeft", "rkTop", "rkRight", "rkBottom"};

template <typename E, std::size_t N>
std::string_view nameOf(const std::array<std::string_view, N>& table, E v) {
    const auto i = static_cast<std::size_t>(v);
    return i < N ? table[i] : std::string_view{};
}

template <typename E, std::size_t N>
std::optional<E> lookup(const std::array<std::string_view, N>& table, std::string_view name) {
    for (std::size_t i = 0; i < N; ++i) {
        if (equalsIgnoreCase(table[i], name))
            return static_cast<E>(i);
    }
    return std::nullopt;
}

} // namespace

std::string_view enumName(TSeAlign v) {
    return nameOf(alignNames, v);
}
std::string_view enumName(TSeKind v) {
    return nameOf(kindNames, v);
}
std::string_view enumName(TSeTextAlign v) {
    return nameOf(textAlignNames, v);
}
std::string_view enumName(TSeTextEffect v) {
    return nameOf(textEffectNames, v);
}
std::string_view enumName(TscTileStyle v) {
    return nameOf(tileStyleNames, v);
}
std::string_view enumName(TSeAction v) {
    return nameOf(actionNames, v);
}
std::string_view enumName(TSeRollKind v) {
    return nameOf(rollKindNames, v);
}

template <> std::optional<TSeAlign> enumFromName<TSeAlign>(std::string_view n) {
    return lookup<TSeAlign>(alignNames, n);
}
template <> std::optional<TSeKind> enumFromName<TSeKind>(std::string_view n) {
    return lookup<TSeKind>(kindNames, n);
}
template <> std::optional<TSeTextAlign> enumFromName<TSeTextAlign>(std::string_view n) {
    return lookup<TSeTextAlign>(textAlignNames, n);
}
template <> std::optional<TSeTextEffect> enumFromName<TSeTextEffect>(std::string_view n) {
    return lookup<TSeTextEffect>(textEffectNames, n);
}
template <> std::optional<TscTileStyle> enumFromName<TscTileStyle>(std::string_view n) {
    return lookup<TscTileStyle>(tileStyleNames, n);
}
template <> std::optional<TSeAction> enumFromName<TSeAction>(std::string_view n) {
    return lookup<TSeAction>(actionNames, n);
}
template <> std::optional<TSeRollKind> enumFromName<TSeRollKind>(std::string_view n) {
    return lookup<TSeRollKind>(rollKindNames, n);
}

} // namespace skin
