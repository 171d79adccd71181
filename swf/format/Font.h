#pragma once

// DefineFont, DefineFont2 and DefineFont3 with what DefineFontInfo(2), DefineFontName and
// DefineFontAlignZones add to them. Glyph outlines are built once, through the same edge
// linking as shapes, in the font's own EM square: 1024 units for DefineFont and DefineFont2,
// 20480 for DefineFont3. The EM square's y axis points down with the baseline at 0.

#include "swf/format/Character.h"
#include "swf/format/Reader.h"
#include "swf/format/Result.h"

#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace swf {

class MovieBudget;

struct Glyph {
    QPainterPath outline; // EM units
    char32_t code = 0;    // the character the glyph shows, as Unicode; 0 when unknown
    double advance = 0;   // EM units; 0 when the font has no layout
    QRectF bounds;        // EM units, from the layout when there is one
};

// One alignment zone per glyph (DefineFontAlignZones): where the strokes of a glyph sit, so
// small text can snap them to whole pixels.
struct AlignZone {
    std::optional<std::pair<float, float>> x; // position, range; EM units
    std::optional<std::pair<float, float>> y;
};

class FontCharacter final : public Character {
public:
    explicit FontCharacter(uint16_t id) : Character(id, Kind::Font) {}
    std::shared_ptr<FontCharacter> copy() const;

    // Units per EM square.
    double emSize() const { return emSize_; }
    const QString& name() const { return name_; }
    bool bold() const { return bold_; }
    bool italic() const { return italic_; }
    bool smallText() const { return smallText_; }
    bool shiftJis() const { return shiftJis_; }
    bool ansi() const { return ansi_; }
    int language() const { return language_; }
    // Ascent, descent and leading came with the font (DefineFont2/3 with layout).
    bool hasLayout() const { return hasLayout_; }
    double ascent() const { return ascent_; } // EM units
    double descent() const { return descent_; }
    double leading() const { return leading_; }
    const QString& copyright() const { return copyright_; }
    // 0 none, 1 thin, 2 medium, 3 thick (DefineFontAlignZones' hint).
    int alignZoneHint() const { return zoneHint_; }
    const std::vector<AlignZone>& alignZones() const { return zones_; }

    const std::vector<Glyph>& glyphs() const { return glyphs_; }
    // The glyph index showing a character; nullopt when the font has none.
    std::optional<int> glyphFor(char32_t c) const;
    // Kerning between two characters, EM units.
    double kerning(char32_t left, char32_t right) const;

    // The font's ascent in EM units, worked out from the outlines when the font has no layout.
    double effectiveAscent() const;
    double effectiveDescent() const;

private:
    friend Result<std::shared_ptr<FontCharacter>> parseFontTag(uint16_t, Reader&, int,
                                                               MovieBudget*);
    friend Result<std::shared_ptr<FontCharacter>> applyFontInfo(const FontCharacter&, uint16_t,
                                                                Reader&, int);
    friend Result<std::shared_ptr<FontCharacter>> applyFontName(const FontCharacter&, Reader&);
    friend Result<std::shared_ptr<FontCharacter>> applyAlignZones(const FontCharacter&, Reader&);
    void indexCodes();

    double emSize_ = 1024;
    QString name_;
    QString copyright_;
    bool bold_ = false, italic_ = false, smallText_ = false, shiftJis_ = false, ansi_ = false;
    int language_ = 0;
    bool hasLayout_ = false;
    double ascent_ = 0, descent_ = 0, leading_ = 0;
    int zoneHint_ = 0;
    std::vector<Glyph> glyphs_;
    std::vector<AlignZone> zones_;
    std::map<char32_t, int> byCode_;
    std::map<std::pair<char32_t, char32_t>, double> kerning_;
};

// DefineFont (10), DefineFont2 (48) or DefineFont3 (75). Glyph edges are charged to budget.
Result<std::shared_ptr<FontCharacter>> parseFontTag(uint16_t code, Reader& r, int swfVersion,
                                                    MovieBudget* budget);
// DefineFontInfo (13) or DefineFontInfo2 (62) read past the font id, applied to a copy.
Result<std::shared_ptr<FontCharacter>> applyFontInfo(const FontCharacter& font, uint16_t code,
                                                     Reader& r, int swfVersion);
// DefineFontName (88) past the font id.
Result<std::shared_ptr<FontCharacter>> applyFontName(const FontCharacter& font, Reader& r);
// DefineFontAlignZones (73) past the font id.
Result<std::shared_ptr<FontCharacter>> applyAlignZones(const FontCharacter& font, Reader& r);

} // namespace swf
