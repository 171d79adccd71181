// The font tags read from movies the test writer made: outlines in their EM squares, code
// tables, metrics, kerning, the tags that amend a font, and damaged fonts.

#include "swf/format/EditText.h"
#include "swf/format/Font.h"
#include "swf/format/Text.h"
#include "tests/swf/text/TextTestSupport.h"

using namespace texttest;
using testsupport::FontSpec;
using testsupport::GlyphSpec;
using testsupport::SwfWriter;

namespace {

const swf::FontCharacter* fontIn(const swf::Movie& m, uint16_t id) {
    const swf::Character* c = m.character(id);
    return c && c->kind() == swf::Character::Kind::Font ? static_cast<const swf::FontCharacter*>(c)
                                                        : nullptr;
}

FontSpec twoGlyphs() {
    FontSpec f;
    f.name = "Two";
    f.bold = true;
    f.ascent = 900;
    f.descent = 200;
    f.leading = 50;
    GlyphSpec a;
    a.code = u'A';
    a.contours = {QPolygon({QPoint(0, -700), QPoint(500, -700), QPoint(500, 0), QPoint(0, 0)})};
    a.advance = 600;
    GlyphSpec o; // a ring: outer square and a hole
    o.code = u'中';
    o.contours = {
        QPolygon({QPoint(0, -800), QPoint(800, -800), QPoint(800, 0), QPoint(0, 0)}),
        QPolygon({QPoint(200, -600), QPoint(200, -200), QPoint(600, -200), QPoint(600, -600)})};
    o.advance = 1000;
    f.glyphs = {a, o};
    f.kerning = {{u'A', u'中', -30}};
    return f;
}

} // namespace

TEST(FontTags, DefineFont2And3KeepOutlinesCodesMetricsAndKerning) {
    for (int version : {2, 3}) {
        SwfWriter w(100, 100, 12);
        w.defineFont2(5, twoGlyphs(), version);
        w.showFrame();
        auto movie = load(w.finish());
        const swf::FontCharacter* f = fontIn(*movie, 5);
        ASSERT_TRUE(f) << version;
        EXPECT_EQ(f->emSize(), version == 3 ? 20480 : 1024);
        EXPECT_EQ(f->name(), QStringLiteral("Two"));
        EXPECT_TRUE(f->bold());
        EXPECT_FALSE(f->italic());
        ASSERT_EQ(f->glyphs().size(), 2u);
        EXPECT_EQ(f->glyphFor(U'中'), 1);
        EXPECT_FALSE(f->glyphFor(U'B'));
        EXPECT_EQ(f->glyphs()[0].advance, 600);
        EXPECT_EQ(f->ascent(), 900);
        EXPECT_EQ(f->descent(), 200);
        EXPECT_EQ(f->leading(), 50);
        EXPECT_EQ(f->kerning(U'A', U'中'), -30);
        EXPECT_EQ(f->kerning(U'中', U'A'), 0);
        EXPECT_EQ(f->glyphs()[0].outline.boundingRect(), QRectF(0, -700, 500, 700));
        // The hole of the ring is not filled.
        const QPainterPath& ring = f->glyphs()[1].outline;
        EXPECT_TRUE(ring.contains(QPointF(100, -400)));
        EXPECT_FALSE(ring.contains(QPointF(400, -400)));
    }
}

TEST(FontTags, DefineFontTakesItsCodesAndNameFromFontInfo) {
    for (int infoVersion : {1, 2}) {
        SwfWriter w(100, 100, 12, 6);
        FontSpec f = twoGlyphs();
        f.name = "宋体";
        w.defineFont1(3, f);
        f.bold = false;
        f.italic = true;
        w.defineFontInfo(3, f, infoVersion);
        w.showFrame();
        auto movie = load(w.finish());
        const swf::FontCharacter* font = fontIn(*movie, 3);
        ASSERT_TRUE(font);
        EXPECT_EQ(font->emSize(), 1024);
        EXPECT_EQ(font->name(), QStringLiteral("宋体"));
        EXPECT_TRUE(font->italic());
        EXPECT_FALSE(font->hasLayout());
        EXPECT_EQ(font->glyphFor(U'A'), 0);
        EXPECT_EQ(font->glyphFor(U'中'), 1);
        EXPECT_GT(font->glyphs()[1].outline.elementCount(), 8);
    }
}

TEST(FontTags, FontNameAlignZonesAndTextSettingsAmendWhatTheyName) {
    SwfWriter w(100, 100, 12);
    w.defineFont2(1, twoGlyphs(), 3);
    w.defineFontName(1, "Pretty Name", "(c) nobody");
    w.defineFontAlignZones(1, 2);
    w.defineFontName(77, "No such font", ""); // about nothing: ignored
    testsupport::EditTextSpec e;
    e.bounds = QRect(0, 0, 1000, 400);
    w.defineEditText(2, e);
    w.csmTextSettings(2, true, 2);
    w.showFrame();
    auto movie = load(w.finish());
    const swf::FontCharacter* f = fontIn(*movie, 1);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->name(), QStringLiteral("Pretty Name"));
    EXPECT_EQ(f->copyright(), QStringLiteral("(c) nobody"));
    EXPECT_EQ(f->alignZoneHint(), 1);
    ASSERT_EQ(f->alignZones().size(), 2u);
    ASSERT_TRUE(f->alignZones()[0].x);
    EXPECT_FLOAT_EQ(f->alignZones()[0].x->second, 1.0f);
    ASSERT_TRUE(f->alignZones()[0].y);
    EXPECT_FLOAT_EQ(f->alignZones()[0].y->second, 0.5f);
    EXPECT_EQ(f->glyphs().size(), 2u) << "amending keeps the glyphs";
    const auto* field = static_cast<const swf::EditTextCharacter*>(movie->character(2));
    ASSERT_TRUE(field);
    EXPECT_TRUE(field->settings().advanced);
    EXPECT_EQ(field->settings().gridFit, 2);
    EXPECT_FLOAT_EQ(field->settings().thickness, 0.5f);
}

TEST(FontTags, CodesOfAnSwf5FontInTheAnsiCodePageAreReadAsGbk) {
    SwfWriter w(100, 100, 12, 5);
    FontSpec f = twoGlyphs();
    f.ansi = true;
    f.glyphs[1].code = 0xd6d0; // "中" in GBK, lead byte high
    w.defineFont2(1, f);
    w.showFrame();
    auto movie = load(w.finish());
    const swf::FontCharacter* font = fontIn(*movie, 1);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->glyphFor(U'中'), 1);
}

TEST(FontTags, ADamagedFontOrTextCostsOnlyItselfNotTheMovie) {
    SwfWriter w(100, 100, 12);
    w.setBackgroundColor(Qt::white);
    QByteArray font;
    font.append(char(1));
    font.append(char(0));
    font.append(char(0x0c)); // wide offsets and codes
    font.append(char(0));
    font.append(char(0)); // no name
    font.append(char(0xff));
    font.append(char(0x7f)); // 32767 glyphs in a few bytes
    w.tag(48, font);
    QByteArray text("\x02\x00\x00\x00", 4); // a text cut off in its bounds
    w.tag(11, text);
    w.tag(37, QByteArray("\x03\x00", 2)); // an edit text of nothing but its id
    w.defineRectShape(4, QRect(0, 0, 10, 10), Qt::red);
    w.placeObject2(1, 4);
    w.showFrame();
    auto movie = load(w.finish());
    ASSERT_TRUE(movie);
    EXPECT_FALSE(movie->character(1));
    EXPECT_TRUE(movie->character(4)) << "what comes after the damage is read";
    swf::Player p(movie, swf::Player::withoutScripts());
    EXPECT_EQ(render(p, 100, 100).pixelColor(5, 5), QColor(Qt::red));
}

TEST(FontTags, StaticTextRecordsAreReadWithTheirState) {
    SwfWriter w(100, 100, 12);
    w.defineFont2(1, twoGlyphs());
    testsupport::TextRecordSpec a;
    a.fontId = 1;
    a.height = 240;
    a.color = QColor(1, 2, 3);
    a.x = 100;
    a.y = 300;
    a.glyphs = {{0, 150}, {1, 200}};
    testsupport::TextRecordSpec b;
    b.y = 600;
    b.glyphs = {{1, 90}};
    w.defineText(2, QRect(0, 0, 2000, 1000), QTransform::fromTranslate(20, 40), {a, b}, 2);
    w.showFrame();
    auto movie = load(w.finish());
    const auto* text = static_cast<const swf::StaticTextCharacter*>(movie->character(2));
    ASSERT_TRUE(text);
    ASSERT_EQ(text->records().size(), 2u);
    const auto& r0 = text->records()[0];
    EXPECT_EQ(r0.fontId, 1);
    EXPECT_EQ(r0.height, 240);
    EXPECT_EQ(r0.color, QColor(1, 2, 3));
    ASSERT_EQ(r0.glyphs.size(), 2u);
    EXPECT_EQ(r0.glyphs[1].glyph, 1u);
    EXPECT_EQ(r0.glyphs[1].advance, 200);
    const auto& r1 = text->records()[1];
    EXPECT_EQ(r1.fontId, 1) << "font, height and colour carry over";
    EXPECT_EQ(r1.height, 240);
    EXPECT_EQ(r1.color, QColor(1, 2, 3));
    EXPECT_EQ(r1.x, 450) << "x goes on from the end of the last record";
    EXPECT_EQ(r1.y, 600);
    EXPECT_EQ(text->matrix(), QTransform::fromTranslate(20, 40));
}
