// Static text (DefineText, DefineText2) drawn from the fonts of the movie: records with their
// own fonts, heights, colours and offsets, through the text's matrix, the placement's colour
// transform and masks.

#include "tests/swf/text/TextTestSupport.h"

using namespace texttest;
using testsupport::FontSpec;
using testsupport::PlaceSpec;
using testsupport::SwfWriter;
using testsupport::TextRecordSpec;

namespace {

// A 200x100 movie with a box font (id 1, glyphs for "AB") and a text (id 2) of the records.
SwfWriter movieWithText(const std::vector<TextRecordSpec>& records, int textVersion = 1,
                        QTransform matrix = {}) {
    SwfWriter w(200, 100, 12);
    w.setBackgroundColor(Qt::white);
    w.defineFont2(1, FontSpec::boxes(QStringLiteral("AB")));
    w.defineText(2, QRect(0, -400, 4000, 2000), matrix, records, textVersion);
    return w;
}

TextRecordSpec record(std::optional<uint16_t> font, int height, std::optional<QColor> colour,
                      std::optional<int> x, std::optional<int> y,
                      std::vector<std::pair<uint32_t, int>> glyphs) {
    TextRecordSpec r;
    r.fontId = font;
    r.height = height;
    r.color = colour;
    r.x = x;
    r.y = y;
    r.glyphs = std::move(glyphs);
    return r;
}

} // namespace

TEST(StaticText, RecordsDrawTheirGlyphsWhereTheySayInTheirColours) {
    // 20px glyphs (400 twips): a box 400/1024 of the height wide and 0.7 of it tall.
    auto w = movieWithText({
        record(1, 400, QColor(Qt::red), 200, 600, {{0, 400}, {1, 400}}),
        // The second record keeps the font and moves down; its colour changes.
        record(std::nullopt, 0, QColor(Qt::blue), 200, 1400, {{0, 400}}),
    });
    w.placeObject2(1, 2);
    w.showFrame();
    swf::Player p(load(w.finish()), swf::Player::withoutScripts());
    const QImage img = render(p, 200, 100);
    // Glyph boxes run from x 10 to about 17.8 and 30 to 37.8, y 30-14 to 30.
    EXPECT_EQ(img.pixelColor(13, 25), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(33, 25), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(25, 25), QColor(Qt::white)) << "between the glyphs";
    EXPECT_EQ(img.pixelColor(13, 12), QColor(Qt::white)) << "above the ink";
    EXPECT_EQ(img.pixelColor(13, 65), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(33, 65), QColor(Qt::white)) << "one glyph only";
}

TEST(StaticText, ARecordWithoutAnXOffsetGoesOnWhereTheLastEnded) {
    auto w = movieWithText({
        record(1, 400, QColor(Qt::red), 0, 600, {{0, 800}}),
        record(std::nullopt, 0, QColor(Qt::blue), std::nullopt, std::nullopt, {{1, 400}}),
    });
    w.placeObject2(1, 2);
    w.showFrame();
    swf::Player p(load(w.finish()), swf::Player::withoutScripts());
    const QImage img = render(p, 200, 100);
    EXPECT_EQ(img.pixelColor(3, 25), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(43, 25), QColor(Qt::blue));
}

TEST(StaticText, AlphaOfDefineText2AndThePlacementsTransformsApply) {
    auto w = movieWithText({record(1, 800, QColor(0, 0, 255, 128), 200, 1200, {{0, 800}})}, 2,
                           QTransform::fromScale(2, 1));
    PlaceSpec place;
    place.depth = 1;
    place.characterId = 2;
    place.matrix = QTransform::fromTranslate(400, 0);
    place.colorTransform = std::array<int, 8>{256, 256, 256, 256, 255, 0, 0, 0};
    w.placeObject(place);
    w.showFrame();
    swf::Player p(load(w.finish()), swf::Player::withoutScripts());
    const QImage img = render(p, 200, 100);
    // x: (10 + 0..15.6) * 2 + 20 = 40..71; the red addition over half-transparent blue on white.
    const QColor c = img.pixelColor(60, 50);
    EXPECT_NEAR(c.red(), 255, 3);
    EXPECT_NEAR(c.blue(), 255, 3);
    EXPECT_NEAR(c.green(), 127, 4);
    EXPECT_EQ(img.pixelColor(80, 50), QColor(Qt::white)) << "the matrix doubled the width only";
}

TEST(StaticText, TextAsAMaskShowsOnlyWhereItsGlyphsAre) {
    SwfWriter w(200, 100, 12);
    w.setBackgroundColor(Qt::white);
    w.defineFont2(1, FontSpec::boxes(QStringLiteral("A")));
    w.defineText(2, QRect(0, -400, 4000, 2000), {},
                 {record(1, 800, QColor(Qt::black), 200, 1200, {{0, 800}})});
    w.defineRectShape(3, QRect(0, 0, 200, 100), Qt::green);
    PlaceSpec mask;
    mask.depth = 1;
    mask.characterId = 2;
    mask.clipDepth = 2;
    w.placeObject(mask);
    w.placeObject2(2, 3);
    w.showFrame();
    swf::Player p(load(w.finish()), swf::Player::withoutScripts());
    const QImage img = render(p, 200, 100);
    EXPECT_EQ(img.pixelColor(15, 50), QColor(Qt::green));
    EXPECT_EQ(img.pixelColor(50, 50), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(15, 70), QColor(Qt::white)) << "below the baseline";
}

TEST(StaticText, GlyphIndicesPastTheFontAndMissingFontsDrawNothing) {
    auto w = movieWithText({record(9, 400, QColor(Qt::red), 200, 600, {{0, 400}}),
                            record(1, 400, QColor(Qt::red), 200, 1400, {{7, 400}})});
    w.placeObject2(1, 2);
    w.showFrame();
    swf::Player p(load(w.finish()), swf::Player::withoutScripts());
    const QImage img = render(p, 200, 100);
    EXPECT_EQ(countColour(img, img.rect(), Qt::red), 0);
}
