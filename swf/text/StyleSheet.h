#pragma once

// Cascading style sheets for HTML text fields: the CSS reader script's parseCSS uses, the
// conversion of a style's properties into a text format, and the styles a field applies to
// the tags and classes of its HTML.
//
// The reader is as forgiving and as strict as Flash's own: a selector list is names separated
// by commas, a block is "name: value" pairs separated by semicolons, and anything else makes
// the whole sheet fail, leaving what was there before untouched.

#include "swf/text/TextFormat.h"

#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace swf::text {

enum class Display { Block, Inline, None };

// One style's properties as the sheet read them: names already in script form
// ("font-size" reads as "fontSize"), values as written.
using CssProperties = std::vector<std::pair<QString, QString>>;
// Selectors with their properties, in the order the sheet gave them.
using CssRules = std::vector<std::pair<QString, CssProperties>>;

// Reads a style sheet; nothing when it is malformed.
std::optional<CssRules> parseCss(const QString& css);
// "#RRGGBB" and nothing else.
std::optional<QRgb> parseCssColor(const QString& s);
// The generic families CSS names, as Flash's device font names; other names stay as they are.
QString cssFontFamily(const QString& family);

// A style as a field applies it: the formats it sets and how its tag is shown.
struct CssStyle {
    PartialTextFormat format;
    std::optional<Display> display;
};

// What the properties of one style set (color, display, fontFamily, fontSize, fontStyle,
// fontWeight, kerning, leading, letterSpacing, marginLeft, marginRight, textAlign,
// textDecoration, textIndent); the others are ignored.
CssStyle cssStyle(const CssProperties& properties);

// The styles a field uses, by selector: "p", ".class", "a:hover". Shared by the fields that
// use one sheet; a change bumps the generation, and each field formats its text again.
class StyleSheet {
public:
    void clear();
    void set(const QString& selector, CssStyle style);
    const CssStyle* find(const QString& selector) const;
    bool empty() const { return styles_.empty(); }
    // Selectors are matched as Flash matches them: tags and class names in any case, an
    // exact match first.
    const CssStyle* forTag(const QString& tag) const;
    const CssStyle* forClass(const QString& className) const;
    uint64_t generation() const { return generation_; }
    void touch() { ++generation_; }

private:
    std::map<QString, CssStyle> styles_;
    uint64_t generation_ = 1;
};

} // namespace swf::text
