// The HTML subset of text fields: what each tag does to the formats, entities, damaged markup,
// and the htmlText that comes back.

#include "swf/text/HtmlText.h"
#include "tests/swf/text/TextTestSupport.h"

using swf::text::Align;
using swf::text::FormattedText;
using swf::text::parseHtml;
using swf::text::TextFormat;

namespace {

TextFormat base() {
    TextFormat f;
    f.font = QStringLiteral("_sans");
    f.size = 12;
    return f;
}

} // namespace

TEST(HtmlText, CharacterTagsSetTheirFormatsUntilTheyClose) {
    const FormattedText t = parseHtml(
        QStringLiteral("a<b>b<i>c</i></b><u>d</u><font face=\"_serif\" size='20' color=#FF0000>e"
                       "<font size=\"+4\">f</font></font>g"),
        base());
    EXPECT_EQ(t.text(), QStringLiteral("abcdefg"));
    EXPECT_FALSE(t.formatAt(0).bold);
    EXPECT_TRUE(t.formatAt(1).bold);
    EXPECT_FALSE(t.formatAt(1).italic);
    EXPECT_TRUE(t.formatAt(2).bold && t.formatAt(2).italic);
    EXPECT_TRUE(t.formatAt(3).underline);
    EXPECT_FALSE(t.formatAt(3).bold);
    EXPECT_EQ(t.formatAt(4).font, QStringLiteral("_serif"));
    EXPECT_EQ(t.formatAt(4).size, 20);
    EXPECT_EQ(t.formatAt(4).color, 0xffff0000u);
    EXPECT_EQ(t.formatAt(5).size, 24) << "a relative size adds to the one around it";
    EXPECT_EQ(t.formatAt(6), base());
}

TEST(HtmlText, ParagraphsBreaksListsAndTextFormat) {
    const FormattedText t =
        parseHtml(QStringLiteral("<p align=\"center\">one</p><p align='right'>two<br>three</p>"
                                 "<li>item</li><textformat leftmargin=\"5\" indent='3' "
                                 "blockindent=\"7\" leading=\"4\" tabstops=\"10,20\">x"
                                 "</textformat>"),
                  base());
    EXPECT_EQ(t.text(), QStringLiteral("one\rtwo\rthree\ritem\rx"));
    EXPECT_EQ(t.formatAt(0).align, Align::Center);
    EXPECT_EQ(t.formatAt(4).align, Align::Right);
    EXPECT_EQ(t.formatAt(8).align, Align::Right) << "a <br> stays in the paragraph";
    EXPECT_TRUE(t.formatAt(14).bullet);
    const TextFormat& x = t.formatAt(19);
    EXPECT_EQ(x.leftMargin, 5);
    EXPECT_EQ(x.indent, 3);
    EXPECT_EQ(x.blockIndent, 7);
    EXPECT_EQ(x.leading, 4);
    EXPECT_EQ(x.tabStops, (std::vector<int>{10, 20}));
    EXPECT_FALSE(x.bullet);
}

TEST(HtmlText, LinksCarryTheirTargets) {
    const FormattedText t = parseHtml(
        QStringLiteral("go <a href=\"http://example.com/?a=1&amp;b=2\" target=\"_blank\">here</a>"),
        base());
    EXPECT_TRUE(t.formatAt(0).url.isEmpty());
    EXPECT_EQ(t.formatAt(3).url, QStringLiteral("http://example.com/?a=1&b=2"));
    EXPECT_EQ(t.formatAt(3).target, QStringLiteral("_blank"));
}

TEST(HtmlText, EntitiesAreDecodedAndUnknownOnesKept) {
    const FormattedText t = parseHtml(
        QStringLiteral("&lt;&gt;&amp;&quot;&apos;&nbsp;&#20013;&#x6587;&bogus;&#0;"), base());
    EXPECT_EQ(t.text(), QString::fromUtf8("<>&\"'\u00a0中文&bogus;&#0;"));
}

TEST(HtmlText, DamagedAndUnknownMarkupKeepsTheText) {
    EXPECT_EQ(parseHtml(QStringLiteral("<blink>a</blink><span class='x'>b</span>c</b></i>"), base())
                  .text(),
              QStringLiteral("abc"));
    EXPECT_EQ(parseHtml(QStringLiteral("ab<font color"), base()).text(), QStringLiteral("ab"));
    EXPECT_EQ(parseHtml(QStringLiteral("<!-- note -->x"), base()).text(), QStringLiteral("x"));
    // Deep nesting costs nothing but time.
    QString deep;
    for (int i = 0; i < 5000; ++i)
        deep += QStringLiteral("<b>");
    deep += QStringLiteral("z");
    const FormattedText t = parseHtml(deep, base());
    EXPECT_EQ(t.text(), QStringLiteral("z"));
    EXPECT_TRUE(t.formatAt(0).bold);
}

TEST(HtmlText, CondenseWhiteFoldsRunsOfSpaceAndLineEnds) {
    swf::text::HtmlOptions o;
    o.condenseWhite = true;
    EXPECT_EQ(parseHtml(QStringLiteral("a   b\n\n c<br>d"), base(), o).text(),
              QStringLiteral("a b c\rd"));
    EXPECT_EQ(parseHtml(QStringLiteral("a\nb"), base()).text(), QStringLiteral("a\rb"));
}

TEST(HtmlText, HtmlTextComesBackInFlashsForm) {
    const FormattedText t = parseHtml(
        QStringLiteral("<p align=\"center\"><b>Hi</b> <a href=\"u\">x&lt;</a></p>"), base());
    EXPECT_EQ(
        swf::text::toHtml(t),
        QStringLiteral("<P ALIGN=\"CENTER\"><FONT FACE=\"_sans\" SIZE=\"12\" COLOR=\"#000000\" "
                       "LETTERSPACING=\"0\" KERNING=\"0\"><B>Hi</B></FONT><FONT FACE=\"_sans\" "
                       "SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\"> </FONT>"
                       "<FONT FACE=\"_sans\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" "
                       "KERNING=\"0\"><A HREF=\"u\" TARGET=\"\">x&lt;</A></FONT></P>"));
    // Parsing what came back gives the same text and formats.
    const FormattedText again = parseHtml(swf::text::toHtml(t), base());
    EXPECT_EQ(again.text(), t.text());
    for (int i = 0; i < t.length(); ++i)
        EXPECT_EQ(again.formatAt(i), t.formatAt(i)) << i;
}

TEST(HtmlText, FieldsParseTheirInitialHtmlAndLayItOutWithTheFormats) {
    testsupport::EditTextSpec s;
    s.bounds = QRect(0, 0, 4000, 2000);
    s.html = true;
    s.multiline = true;
    s.color = QColor(Qt::black);
    s.initialText = "<p align=\"right\"><font size=\"40\">ab</font></p><p>ab</p>";
    s.useOutlines = true;
    s.fontId = 1;
    testsupport::SwfWriter w(400, 200, 12);
    testsupport::FontSpec font = testsupport::FontSpec::boxes(QStringLiteral("ab"));
    w.defineFont2(1, font);
    w.defineEditText(2, s);
    w.placeObject2(1, 2);
    w.showFrame();
    swf::Player p(texttest::load(w.finish()), swf::Player::withoutScripts());
    swf::TextField* f = texttest::fieldAt(p, 1);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->text(), QStringLiteral("ab\rab"));
    const auto& lines = f->layout().lines;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_GT(lines[0].ascent, lines[1].ascent * 1.9) << "the big line is twice as tall";
    EXPECT_NEAR(lines[0].left + lines[0].width, 198 * 20, 1) << "right aligned";
    EXPECT_DOUBLE_EQ(lines[1].left, 40);
    EXPECT_TRUE(f->htmlText().startsWith(QStringLiteral("<P ALIGN=\"RIGHT\"><FONT FACE=\"Boxes\" "
                                                        "SIZE=\"40\"")));
}

TEST(TextFormats, SetAndGetFormatsOfRangesAndParagraphs) {
    swf::text::FormattedText t;
    t.append(QStringLiteral("abc\rdef"), base());
    swf::text::PartialTextFormat bold;
    bold.bold = true;
    bold.align = Align::Center;
    t.applyFormat(1, 2, bold);
    EXPECT_FALSE(t.formatAt(0).bold);
    EXPECT_TRUE(t.formatAt(1).bold);
    EXPECT_EQ(t.formatAt(0).align, Align::Center) << "paragraph formats go to the paragraph";
    EXPECT_EQ(t.formatAt(4).align, Align::Left);
    const auto mixed = t.formatOf(0, 3);
    EXPECT_FALSE(mixed.bold) << "the range does not share a value";
    EXPECT_EQ(mixed.size, 12);
    EXPECT_EQ(mixed.align, Align::Center);
}

TEST(TextFormats, ThousandsOfFormatsAndWildNumbersStayWorkable) {
    swf::text::FormattedText t;
    TextFormat f = base();
    for (int i = 0; i < 3000; ++i) {
        f.color = 0xff000000u | static_cast<QRgb>(i);
        t.append(QStringLiteral("x"), f);
    }
    swf::text::PartialTextFormat wild;
    wild.size = 1e300;
    wild.leftMargin = std::nan("");
    wild.indent = -1e12;
    t.applyFormat(0, 3000, wild);
    EXPECT_EQ(t.formatAt(2999).size, 2000);
    EXPECT_EQ(t.formatAt(0).leftMargin, 0);
    EXPECT_EQ(t.formatAt(0).indent, -100000);
    EXPECT_EQ(t.formatAt(10).color, 0xff00000au) << "what was not set stays";
    // Past the table's room every further format shares the last one, without slowing down.
    for (int i = 3000; i < 20000; ++i) {
        f.color = 0xff000000u | static_cast<QRgb>(i);
        t.append(QStringLiteral("y"), f);
    }
    EXPECT_EQ(t.length(), 20000);
    EXPECT_EQ(t.formatAt(10).color, 0xff00000au) << "early formats survive the table filling";
    t.replace(0, 19000, QString(), base());
    t.append(QStringLiteral("z"), base());
    EXPECT_EQ(t.formatAt(t.length() - 1), base().sanitized()) << "room again once text went";
}
