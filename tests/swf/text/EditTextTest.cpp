// DefineEditText fields: their flags, the layout of their text (wrapping Latin and Chinese
// lines, alignment, margins, auto-size, scrolling), device fonts and the code page of old
// movies' text.

#include "swf/text/DeviceFonts.h"
#include "tests/swf/text/TextTestSupport.h"

using namespace texttest;
using testsupport::EditTextSpec;
using testsupport::FontSpec;
using testsupport::SwfWriter;

namespace {

// A movie with one edit text (id 2) at depth 1, its font the box font (id 1) of the letters
// given; 20px glyphs that are 7.8px wide and advance 10px.
struct FieldMovie {
    explicit FieldMovie(EditTextSpec spec, int version = 8,
                        const QString& letters = QStringLiteral("abcdefghij xyz"))
        : writer(400, 200, 12, version) {
        writer.setBackgroundColor(Qt::white);
        FontSpec font = FontSpec::boxes(letters);
        font.name = "Boxes";
        writer.defineFont2(1, font);
        if (!spec.fontId)
            spec.fontId = 1;
        spec.fontHeight = 400;
        writer.defineEditText(2, spec);
        writer.placeObject2(1, 2);
        writer.showFrame();
        player =
            std::make_unique<swf::Player>(load(writer.finish()), swf::Player::withoutScripts());
        field = fieldAt(*player, 1);
    }
    SwfWriter writer;
    std::unique_ptr<swf::Player> player;
    swf::TextField* field = nullptr;
};

EditTextSpec embedded(QByteArray text, int widthPx = 200, int heightPx = 100) {
    EditTextSpec s;
    s.bounds = QRect(0, 0, widthPx * 20, heightPx * 20);
    s.useOutlines = true;
    s.initialText = std::move(text);
    s.color = QColor(Qt::black);
    return s;
}

} // namespace

TEST(EditTextFlags, EveryFlagOfTheTagReachesTheField) {
    EditTextSpec s = embedded("abc");
    s.wordWrap = s.multiline = s.password = s.border = s.html = true;
    s.readOnly = true;
    s.noSelect = true;
    s.maxLength = 7;
    s.variableName = "_root.score";
    s.color = QColor(10, 20, 30);
    FieldMovie m(s);
    ASSERT_TRUE(m.field);
    EXPECT_TRUE(m.field->wordWrap());
    EXPECT_TRUE(m.field->multiline());
    EXPECT_TRUE(m.field->password());
    EXPECT_TRUE(m.field->border());
    EXPECT_TRUE(m.field->background()) << "the border flag gives a white background as well";
    EXPECT_TRUE(m.field->html());
    EXPECT_FALSE(m.field->editable());
    EXPECT_FALSE(m.field->selectable());
    EXPECT_TRUE(m.field->embedFonts());
    EXPECT_EQ(m.field->maxChars(), 7);
    EXPECT_EQ(m.field->variable(), QStringLiteral("_root.score"));
    EXPECT_EQ(m.field->defaultTextFormat().size, 20);
    EXPECT_EQ(m.field->defaultTextFormat().font, QStringLiteral("Boxes"));
    EXPECT_EQ(QColor::fromRgba(m.field->defaultTextFormat().color), QColor(10, 20, 30));
    EXPECT_EQ(m.field->text(), QStringLiteral("abc"));

    EditTextSpec input = embedded("");
    FieldMovie n(input);
    EXPECT_TRUE(n.field->editable());
    EXPECT_TRUE(n.field->selectable());
    EXPECT_FALSE(n.field->border());
    EXPECT_EQ(n.field->maxChars(), 0);
}

TEST(EditTextLayout, EmbeddedGlyphsAreDrawnInsideTheGutter) {
    FieldMovie m(embedded("ab"));
    const QImage img = render(*m.player, 400, 200);
    // Baseline at 2px + ascent 16px; glyph ink 14px tall from x 2.
    EXPECT_EQ(img.pixelColor(5, 12), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(15, 12), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(11, 12), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(5, 1), QColor(Qt::white));
    EXPECT_DOUBLE_EQ(m.field->textWidth(), 20) << "the advances of both glyphs";
}

TEST(EditTextLayout, WordWrapBreaksAtSpacesAndKeepsLongWordsWhole) {
    // 10px a letter: "abc def" is 70px; a 60px field (56px inside the gutter) wraps it.
    EditTextSpec s = embedded("abc def ghij", 60);
    s.wordWrap = s.multiline = true;
    FieldMovie m(s);
    const auto& lines = m.field->layout().lines;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(m.field->text().mid(lines[0].start, lines[0].end - lines[0].start),
              QStringLiteral("abc "));
    EXPECT_EQ(lines[1].start, 4);
    EXPECT_EQ(lines[2].start, 8);
    EXPECT_EQ(m.field->lineCount(), 3);
    EXPECT_NEAR(m.field->textHeight(), 3 * 20, 0.1);

    s.wordWrap = false;
    FieldMovie single(s);
    EXPECT_EQ(single.field->layout().lines.size(), 1u) << "no wrapping without the flag";
}

TEST(EditTextLayout, ChineseLinesBreakBetweenAnyTwoCharacters) {
    const QString chinese = QStringLiteral("我们都是中国人，你好");
    EditTextSpec s = embedded(chinese.toUtf8(), 44); // 40px inside: four characters a line
    s.wordWrap = s.multiline = true;
    FieldMovie m(s, 8, chinese);
    const auto& lines = m.field->layout().lines;
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0].end - lines[0].start, 4);
    // The comma may not start a line: it stays with the character before it.
    for (const auto& line : lines)
        EXPECT_NE(m.field->text()[line.start], QChar(0xff0c));
}

TEST(EditTextLayout, AlignmentMarginsAndIndentMoveTheLines) {
    EditTextSpec s = embedded("ab", 200);
    s.align = 1; // right
    FieldMovie right(s);
    // 200px less the 2px gutter: the line ends at 198px.
    EXPECT_NEAR(right.field->layout().lines[0].left / 20 + right.field->textWidth(), 198, 0.01);
    s.align = 2;
    FieldMovie centre(s);
    EXPECT_NEAR(centre.field->layout().lines[0].left / 20,
                2 + (196 - centre.field->textWidth()) / 2, 0.01);
    s.align = 0;
    s.leftMargin = 200; // 10px
    s.indent = 100;     // 5px, the first line of each paragraph only
    s.multiline = s.wordWrap = true;
    s.bounds = QRect(0, 0, 40 * 20, 2000); // room for two letters a line
    s.initialText = "ab ab";
    FieldMovie margins(s);
    const auto& lines = margins.field->layout().lines;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_DOUBLE_EQ(lines[0].left, (2 + 10 + 5) * 20);
    EXPECT_DOUBLE_EQ(lines[1].left, (2 + 10) * 20);
}

TEST(EditTextLayout, LeadingAddsSpaceBetweenLines) {
    EditTextSpec s = embedded("ab\rab\rab");
    s.multiline = true;
    s.align = 0;
    s.leading = 100; // 5px
    FieldMovie m(s);
    const auto& lines = m.field->layout().lines;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NEAR(lines[1].top - lines[0].top, (20 + 5) * 20, 1);
    EXPECT_NEAR(m.field->textHeight(), 3 * 20 + 2 * 5, 0.1) << "no leading after the last line";
}

TEST(EditTextLayout, AutoSizeFitsTheFieldToItsText) {
    EditTextSpec s = embedded("abcdef", 300, 100);
    s.autoSize = true;
    FieldMovie m(s);
    const QRectF r = m.field->rect();
    EXPECT_NEAR(r.width(), (std::ceil(m.field->textWidth()) + 4) * 20, 0.01);
    EXPECT_NEAR(r.height(), (20 + 4) * 20, 0.01);
    EXPECT_EQ(r.left(), 0);

    m.field->setAutoSize(swf::TextField::AutoSize::Right);
    m.field->setRect(QRectF(0, 0, 6000, 2000));
    EXPECT_NEAR(m.field->rect().right(), 6000, 0.01) << "right auto-size keeps the right edge";
    m.field->setAutoSize(swf::TextField::AutoSize::Center);
    m.field->setRect(QRectF(0, 0, 6000, 2000));
    EXPECT_NEAR(m.field->rect().center().x(), 3000, 0.01);
}

TEST(EditTextLayout, ScrollingShowsLaterLinesAndStopsAtTheLast) {
    // 10 lines of 20px in a 64px field: three lines fit (60px inside the gutter).
    EditTextSpec s = embedded("a\rb\rc\rd\re\rf\rg\rh\ri\rj", 100, 64);
    s.multiline = true;
    FieldMovie m(s);
    EXPECT_EQ(m.field->scroll(), 1);
    EXPECT_EQ(m.field->maxScroll(), 8);
    EXPECT_EQ(m.field->bottomScroll(), 3);
    m.field->setScroll(5);
    EXPECT_EQ(m.field->scroll(), 5);
    EXPECT_EQ(m.field->bottomScroll(), 7);
    m.field->setScroll(50);
    EXPECT_EQ(m.field->scroll(), 8);
    m.field->setScroll(-3);
    EXPECT_EQ(m.field->scroll(), 1);
    EXPECT_EQ(m.field->maxHScroll(), 0);

    m.field->setScroll(2);
    const QImage img = render(*m.player, 400, 200);
    // The first visible line is now "b" (glyph index 1 of the font "abcdefghij xyz" ... all boxes),
    // and nothing is drawn outside the field.
    EXPECT_EQ(countColour(img, QRect(0, 64, 400, 136), Qt::black), 0);
    EXPECT_GT(countColour(img, QRect(0, 0, 100, 64), Qt::black), 100);
}

TEST(EditTextLayout, HScrollMovesAOneLineFieldAcross) {
    EditTextSpec s = embedded("abcdefghijabcdefghij", 50, 30);
    FieldMovie m(s);
    EXPECT_GT(m.field->maxHScroll(), 100);
    m.field->setHScroll(30);
    EXPECT_EQ(m.field->hscroll(), 30);
    EXPECT_DOUBLE_EQ(m.field->scrollOffset().x(), 600);
    m.field->setHScroll(100000);
    EXPECT_EQ(m.field->hscroll(), m.field->maxHScroll());
}

TEST(EditTextLayout, PasswordFieldsShowStars) {
    EditTextSpec s = embedded("abc");
    s.password = true;
    FieldMovie m(s, 8, QStringLiteral("abc*"));
    EXPECT_EQ(m.field->text(), QStringLiteral("abc")) << "the text itself is kept";
    const auto& glyphs = m.field->layout().lines[0].glyphs;
    ASSERT_EQ(glyphs.size(), 3u);
    for (const auto& g : glyphs)
        EXPECT_EQ(g.glyph, 3u) << "every character is drawn with the star's glyph";
}

TEST(EditTextLayout, CharactersAnEmbeddedFontLacksAreLeftOut) {
    FieldMovie m(embedded("aQb"), 8, QStringLiteral("ab"));
    EXPECT_EQ(m.field->layout().lines[0].glyphs.size(), 2u);
    EXPECT_EQ(m.field->layout().lines[0].glyphs[1].charIndex, 2);
}

TEST(EditTextEncoding, ChineseTextOfAnSwf5MovieIsReadAsGbk) {
    // "中文" in code page 936.
    const QByteArray gbk("\xd6\xd0\xce\xc4");
    EditTextSpec s = embedded(gbk);
    FieldMovie m(s, 5, QStringLiteral("中文"));
    EXPECT_EQ(m.field->text(), QStringLiteral("中文"));
    EXPECT_EQ(m.field->layout().lines[0].glyphs.size(), 2u);
    // The same bytes in an SWF 6 movie are (broken) UTF-8, not GBK.
    FieldMovie six(s, 6, QStringLiteral("中文"));
    EXPECT_NE(six.field->text(), QStringLiteral("中文"));
    // Latin text of old movies is code page 1252.
    EditTextSpec latin = embedded("caf\xe9");
    FieldMovie five(latin, 5);
    EXPECT_EQ(five.field->text(), QStringLiteral("café"));
}

TEST(DeviceFonts, FlashNamesAndChineseFacesMapToInstalledFonts) {
    swf::text::DeviceFonts fonts;
    const QString sans = fonts.familyFor(QStringLiteral("_sans"));
    EXPECT_FALSE(sans.isEmpty());
    EXPECT_TRUE(swf::text::DeviceFonts::candidates(QStringLiteral("_typewriter"))
                    .contains(QStringLiteral("DejaVu Sans Mono")));
    for (const char* name :
         {"宋体", "黑体", "楷体_GB2312", "微软雅黑", "仿宋_GB2312", "SimSun", "Microsoft YaHei"}) {
        auto face = fonts.face(QString::fromUtf8(name), false, false);
        ASSERT_TRUE(face) << name;
        EXPECT_TRUE(face->glyphFor(U'中'))
            << name << " resolved to " << face->family().toStdString();
    }
    // A face that is not installed falls back by the script of its name.
    auto missing = fonts.face(QStringLiteral("No Such Face 123"), false, false);
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->glyphFor(U'A'));
    auto chinese = fonts.face(QStringLiteral("方正没有的字体"), false, false);
    ASSERT_TRUE(chinese);
    EXPECT_TRUE(chinese->glyphFor(U'中'));
    // Characters a Latin face lacks come from a face that has them.
    auto fallback = fonts.fallbackFor(U'汉', false, false);
    ASSERT_TRUE(fallback);
    EXPECT_TRUE(fallback->glyphFor(U'汉'));
}

TEST(DeviceFonts, DeviceTextIsDrawnAndMixedScriptsFallBack) {
    EditTextSpec s;
    s.bounds = QRect(0, 0, 4000, 2000);
    s.initialText = QStringLiteral("Hello 你好").toUtf8();
    s.color = QColor(Qt::black);
    SwfWriter w(400, 200, 12);
    w.setBackgroundColor(Qt::white);
    FontSpec font;
    font.name = "_sans";
    font.layout = false;
    w.defineFont2(1, font);
    s.fontId = 1;
    s.fontHeight = 400;
    w.defineEditText(2, s);
    w.placeObject2(1, 2);
    w.showFrame();
    swf::Player p(load(w.finish()), swf::Player::withoutScripts());
    swf::TextField* field = fieldAt(p, 1);
    ASSERT_TRUE(field);
    const auto& glyphs = field->layout().lines.at(0).glyphs;
    EXPECT_EQ(glyphs.size(), 8u);
    EXPECT_NE(glyphs.back().face, glyphs.front().face) << "the Chinese came from another face";
    EXPECT_GT(field->textWidth(), 60);
    const QImage img = render(p, 400, 200);
    EXPECT_GT(countColour(img, QRect(0, 0, 200, 30), Qt::black), 30);
}

TEST(TextMeasurement, ExtentsAndLineMetricsComeFromTheLayout) {
    EditTextSpec s = embedded("ab\rabc", 200);
    s.multiline = true;
    FieldMovie m(s);
    swf::text::TextFormat f = m.field->defaultTextFormat();
    const auto one = m.field->textExtent(QStringLiteral("abc"), f);
    EXPECT_DOUBLE_EQ(one.width, 30);
    EXPECT_DOUBLE_EQ(one.height, 20);
    EXPECT_DOUBLE_EQ(one.ascent, 16);
    EXPECT_DOUBLE_EQ(one.descent, 4);
    EXPECT_DOUBLE_EQ(one.fieldWidth, 34) << "the two-pixel gutter on either side";
    EXPECT_DOUBLE_EQ(one.fieldHeight, 24);
    f.size = 40;
    EXPECT_DOUBLE_EQ(m.field->textExtent(QStringLiteral("abc"), f).width, 60);
    // Wrapped at a width: "abc abc" in 45px takes two lines.
    f.size = 20;
    const auto wrapped = m.field->textExtent(QStringLiteral("abc abc"), f, 45);
    EXPECT_DOUBLE_EQ(wrapped.height, 40);
    EXPECT_DOUBLE_EQ(wrapped.width, 30);

    ASSERT_EQ(m.field->lineCount(), 2);
    const auto l1 = m.field->lineMetrics(1);
    ASSERT_TRUE(l1);
    EXPECT_DOUBLE_EQ(l1->width, 30);
    EXPECT_DOUBLE_EQ(l1->x, 2);
    EXPECT_DOUBLE_EQ(l1->ascent, 16);
    EXPECT_FALSE(m.field->lineMetrics(2));
    EXPECT_FALSE(m.field->lineMetrics(-1));
    EXPECT_DOUBLE_EQ(m.field->textWidth(), 30);
    EXPECT_DOUBLE_EQ(m.field->textHeight(), 40);
}

TEST(TextMeasurement, ScriptEditsRelayTheFieldOut) {
    FieldMovie m(embedded("ab"));
    EXPECT_DOUBLE_EQ(m.field->textWidth(), 20);
    m.field->setText(QStringLiteral("abcd"));
    EXPECT_DOUBLE_EQ(m.field->textWidth(), 40);
    m.field->replaceText(1, 3, QStringLiteral("x"));
    EXPECT_EQ(m.field->text(), QStringLiteral("axd"));
    swf::text::PartialTextFormat big;
    big.size = 40;
    m.field->setTextFormat(0, 1, big);
    EXPECT_DOUBLE_EQ(m.field->textWidth(), 20 + 10 + 10);
    EXPECT_EQ(m.field->textFormat(0, 1).size, 40);
    EXPECT_FALSE(m.field->textFormat(0, 3).size) << "the range has two sizes";
    m.field->setHtmlText(QStringLiteral("<b>ab</b>"));
    EXPECT_EQ(m.field->text(), QStringLiteral("<b>ab</b>")) << "not an HTML field";
    m.field->setHtml(true);
    m.field->setHtmlText(QStringLiteral("<b>ab</b>"));
    EXPECT_EQ(m.field->text(), QStringLiteral("ab"));
    EXPECT_TRUE(m.field->textFormat(0, 2).bold.value_or(false));
    EXPECT_TRUE(m.field->htmlText().contains(QStringLiteral("<B>ab</B>")));
}

TEST(EditTextLayout, NegativeIndentsOfTheTagCountAsNoneAndHugeOnesPushTheWordAway) {
    EditTextSpec s = embedded("abcd", 100);
    s.multiline = s.wordWrap = true;
    s.align = 0;
    s.indent = 0xff38; // -200 twips as the tag stores it
    FieldMovie negative(s);
    ASSERT_EQ(negative.field->layout().lines.size(), 1u);
    EXPECT_DOUBLE_EQ(negative.field->layout().lines[0].left, 40);
    s.indent = 0x7fff;
    FieldMovie huge(s);
    ASSERT_EQ(huge.field->layout().lines.size(), 1u) << "the word is not split letter by letter";
    EXPECT_GT(huge.field->layout().lines[0].left, 100 * 20);
}

TEST(TextMeasurement, TextWidthAndHeightAreWholePixelsCutDown) {
    FieldMovie m(embedded("abc"));
    swf::text::PartialTextFormat small;
    small.size = 15; // 7.5px advances, lines of 15px less a rounding twip
    m.field->setTextFormat(-1, -1, small);
    EXPECT_DOUBLE_EQ(m.field->layout().textWidth, 22.5);
    EXPECT_DOUBLE_EQ(m.field->textWidth(), 22);
    EXPECT_DOUBLE_EQ(m.field->textHeight(), std::floor(m.field->layout().textHeight));
}
