#pragma once

// DefineText and DefineText2: static text as the authoring tool laid it out, a list of records
// that each place glyphs of one font, height and colour along a baseline.

#include "swf/format/Character.h"
#include "swf/format/Reader.h"
#include "swf/format/Result.h"

#include <QColor>
#include <QTransform>
#include <memory>
#include <vector>

namespace swf {

class MovieBudget;

struct TextRecord {
    uint16_t fontId = 0;
    double height = 0; // twips
    QColor color;
    double x = 0; // twips, where the first glyph's origin sits on the baseline
    double y = 0;
    struct Entry {
        uint32_t glyph = 0;
        double advance = 0; // twips
    };
    std::vector<Entry> glyphs;
};

// The anti-aliasing settings of CSMTextSettings for a text or edit text.
struct TextRenderSettings {
    bool advanced = false; // "FlashType" anti-aliasing
    int gridFit = 0;       // 0 none, 1 pixel, 2 subpixel
    float thickness = 0;
    float sharpness = 0;
};

class StaticTextCharacter final : public Character {
public:
    StaticTextCharacter(uint16_t id, QRectF bounds, QTransform matrix,
                        std::vector<TextRecord> records)
        : Character(id, Kind::Text), bounds_(bounds), matrix_(matrix),
          records_(std::move(records)) {}

    QRectF bounds() const { return bounds_; } // twips, in the character's space
    const QTransform& matrix() const { return matrix_; }
    const std::vector<TextRecord>& records() const { return records_; }
    const TextRenderSettings& settings() const { return settings_; }
    std::shared_ptr<StaticTextCharacter> withSettings(const TextRenderSettings& s) const {
        auto c = std::make_shared<StaticTextCharacter>(id(), bounds_, matrix_, records_);
        c->settings_ = s;
        return c;
    }

private:
    QRectF bounds_;
    QTransform matrix_;
    std::vector<TextRecord> records_;
    TextRenderSettings settings_;
};

// DefineText (11) or DefineText2 (33). Glyph entries are charged to budget as records.
Result<std::shared_ptr<StaticTextCharacter>> parseTextTag(uint16_t code, Reader& r,
                                                          MovieBudget* budget);
// CSMTextSettings past the text id.
TextRenderSettings readTextSettings(Reader& r);

} // namespace swf
