// Style sheets: the CSS reader's strictness and forgiveness, the conversion of properties into
// formats, and what a sheet does to HTML text and to the field that shows it.

#include "swf/text/StyleSheet.h"
#include "swf/text/HtmlText.h"
#include "tests/swf/text/TextTestSupport.h"

using namespace swf::text;

namespace {

TextFormat base() {
    TextFormat f;
    f.font = QStringLiteral("_sans");
    f.size = 12;
    return f;
}

QString props(const CssProperties& p) {
    QStringList out;
    for (const auto& [name, value] : p)
        out << name + QLatin1Char('=') + QLatin1Char('[') + value + QLatin1Char(']');
    return out.join(QLatin1Char(' '));
}

// The rules a sheet gives, "selector{name=[value] ...}" each, or "FAIL".
QString read(const QString& css) {
    const auto rules = parseCss(css);
    if (!rules)
        return QStringLiteral("FAIL");
    QStringList out;
    for (const auto& [selector, p] : *rules)
        out << selector + QLatin1Char('{') + props(p) + QLatin1Char('}');
    return out.join(QLatin1Char(' '));
}

std::shared_ptr<StyleSheet> sheetOf(const QString& css) {
    auto sheet = std::make_shared<StyleSheet>();
    const auto rules = parseCss(css);
    EXPECT_TRUE(rules.has_value()) << css.toStdString();
    if (rules)
        for (const auto& [selector, p] : *rules)
            sheet->set(selector, cssStyle(p));
    return sheet;
}

} // namespace

TEST(StyleSheetCss, SelectorsAndBlocks) {
    EXPECT_EQ(read(QStringLiteral("a { a: 1; b: 2; }")), QStringLiteral("a{a=[1] b=[2]}"));
    EXPECT_EQ(read(QStringLiteral("a { a: 1; b: 2; } a { a: 0; c:3; }")),
              QStringLiteral("a{a=[0] c=[3]}"))
        << "a later rule for a selector replaces the earlier one";
    EXPECT_EQ(read(QStringLiteral(",a,, ,, c,, { a: 1; }, b, ,,{ b: 2; }")),
              QStringLiteral("a{a=[1]} c{a=[1]} b{b=[2]}"));
    EXPECT_EQ(read(QStringLiteral("a , b  { a: 1; }")), QStringLiteral("a{a=[1]} b{a=[1]}"));
    EXPECT_EQ(read(QStringLiteral("a.b.c-d!#@$ { worked: yes }")),
              QStringLiteral("a.b.c-d!#@${worked=[yes ]}"));
    EXPECT_EQ(read(QStringLiteral("a}{}")), QStringLiteral("a}{}"));
    EXPECT_EQ(read(QString()), QString()) << "an empty sheet is a good one";
    for (const char* bad :
         {"a b { a: 1; }", "a b, c { a: 1; }", "{color:}", "name", "a{name", "a{name}",
          "a { a: 1; b: 2;; }", "a { a: 1; b: 2  ", "a{:", "a{key:", "a{key:value",
          "one { color: blue; }; this isn't valid!", "key {property with space: value; }"})
        EXPECT_EQ(read(QLatin1String(bad)), QStringLiteral("FAIL")) << bad;
}

TEST(StyleSheetCss, NamesValuesAndWhiteSpace) {
    EXPECT_EQ(read(QStringLiteral("a { a: 1   ; }")), QStringLiteral("a{a=[1   ]}"));
    EXPECT_EQ(read(QStringLiteral("key {  property  :   test    value    }")),
              QStringLiteral("key{property  =[test    value    ]}"));
    EXPECT_EQ(read(QStringLiteral("a { a-a: 1; b--b: 2; c-C: 3; d-+: 4; e-: 5; }")),
              QStringLiteral("a{aA=[1] b-b=[2] cC=[3] d+=[4] e-=[5]}"));
    EXPECT_EQ(read(QStringLiteral("a{;;key: value;;other: value;}")),
              QStringLiteral("a{;;key=[value] ;other=[value]}"));
    EXPECT_EQ(read(QStringLiteral("a{name}b{:value}")), QStringLiteral("a{name}b{=[value]}"));
    EXPECT_EQ(read(QStringLiteral("a{:;")), QStringLiteral("a{}")) << "an empty name is dropped";
    EXPECT_EQ(read(QStringLiteral("a{key:;")), QStringLiteral("a{key=[]}"));
    EXPECT_EQ(read(QStringLiteral("a { a: 1; b: 2; ")), QStringLiteral("a{a=[1] b=[2]}"))
        << "a block left open at the end still counts";
}

TEST(StyleSheetCss, PropertiesBecomeFormats) {
    EXPECT_EQ(parseCssColor(QStringLiteral("#FF0000")), 0xffff0000u);
    EXPECT_EQ(parseCssColor(QStringLiteral("#abcabc")), 0xffabcabcu);
    for (const char* bad : {"#FFF", "#FFXXFF", " #FF00FF", "#FF00FF ", "xFF00FF", "white"})
        EXPECT_FALSE(parseCssColor(QLatin1String(bad))) << bad;
    EXPECT_EQ(cssFontFamily(QStringLiteral("mONo")), QStringLiteral("_typewriter"));
    EXPECT_EQ(cssFontFamily(QStringLiteral("SANS-SERIF")), QStringLiteral("_sans"));
    EXPECT_EQ(cssFontFamily(QStringLiteral("serif ")), QStringLiteral("serif "));

    const auto all =
        parseCss(QStringLiteral("p { color: #00FF00; font-family: 'Arial', sans-serif; "
                                "font-size: 18px; font-weight: bold; font-style: italic; "
                                "text-decoration: underline; text-align: center; "
                                "margin-left: 5; margin-right: 6px; text-indent: 7; "
                                "leading: 3; letter-spacing: 1.5; kerning: true; "
                                "display: inline; unknown: 1 }"));
    ASSERT_TRUE(all && all->size() == 1);
    const CssStyle s = cssStyle(all->front().second);
    EXPECT_EQ(s.format.color, 0xff00ff00u);
    EXPECT_EQ(s.format.font, QStringLiteral("Arial"));
    EXPECT_EQ(s.format.size, 18);
    EXPECT_EQ(s.format.bold, true);
    EXPECT_EQ(s.format.italic, true);
    EXPECT_EQ(s.format.underline, true);
    EXPECT_EQ(s.format.align, Align::Center);
    EXPECT_EQ(s.format.leftMargin, 5);
    EXPECT_EQ(s.format.rightMargin, 6);
    EXPECT_EQ(s.format.indent, 7);
    EXPECT_EQ(s.format.leading, 3);
    EXPECT_EQ(s.format.letterSpacing, 1.5);
    EXPECT_EQ(s.format.kerning, true);
    EXPECT_EQ(s.display, Display::Inline);
    const auto vague = parseCss(QStringLiteral("x { font-size: big; color: red }"));
    ASSERT_TRUE(vague && vague->size() == 1);
    const CssStyle none = cssStyle(vague->front().second);
    EXPECT_FALSE(none.format.size) << "values that say nothing leave the format alone";
    EXPECT_FALSE(none.format.color);
}

TEST(StyleSheetHtml, TagsClassesAndLinks) {
    const auto sheet = sheetOf(QStringLiteral(
        "p { color: #0000FF; } .red { color: #FF0000; } .big { font-size: 30 } "
        "a { text-decoration: underline } a:link { color: #00FF00 } b { font-size: 20 }"));
    HtmlOptions o;
    o.styles = sheet.get();
    const FormattedText t = parseHtml(
        QStringLiteral(
            "<p>a<span class=\"red\">b<span class=\"big\">c</span></span>d</p>"
            "<p class=\"red\">e</p><a href=\"x\">f</a><B>g</B><span class=\"RED\">h</span>"),
        base(), o);
    EXPECT_EQ(t.text(), QStringLiteral("abcd\re\rfgh"));
    EXPECT_EQ(t.formatAt(0).color, 0xff0000ffu) << "the tag's own style";
    EXPECT_EQ(t.formatAt(1).color, 0xffff0000u) << "a class inside it";
    EXPECT_EQ(t.formatAt(2).color, 0xffff0000u);
    EXPECT_EQ(t.formatAt(2).size, 30) << "classes nest";
    EXPECT_EQ(t.formatAt(3).color, 0xff0000ffu) << "and end with their tag";
    EXPECT_EQ(t.formatAt(3).size, 12);
    EXPECT_EQ(t.formatAt(5).color, 0xffff0000u) << "class beats tag on one element";
    EXPECT_TRUE(t.formatAt(7).underline);
    EXPECT_EQ(t.formatAt(7).color, 0xff00ff00u) << "a:link styles links";
    EXPECT_EQ(t.formatAt(7).url, QStringLiteral("x"));
    EXPECT_EQ(t.formatAt(8).size, 20) << "tag selectors ignore case";
    EXPECT_TRUE(t.formatAt(8).bold);
    EXPECT_EQ(t.formatAt(9).color, 0xffff0000u) << "class names match in any case";
}

TEST(StyleSheetHtml, DisplayHidesSetsApartOrJoins) {
    const auto sheet = sheetOf(
        QStringLiteral("secret { display: none } title { display: block; font-size: 24 } "
                       "p { display: inline } note { color: #FF0000 } .gone { display: none }"));
    HtmlOptions o;
    o.styles = sheet.get();
    const FormattedText t = parseHtml(
        QStringLiteral("a<secret>hidden<b>too</b><br></secret>b<title>T</title>c<p>d</p><p>e</p>"
                       "<note>n</note><span class=\"gone\">x</span>z"),
        base(), o);
    EXPECT_EQ(t.text(), QStringLiteral("ab\rT\rcdenz"));
    EXPECT_EQ(t.formatAt(3).size, 24);
    EXPECT_EQ(t.formatAt(8).color, 0xffff0000u) << "a styled tag of the movie's own is inline";
    // Without a sheet the same markup keeps every word and Flash's paragraphs.
    EXPECT_EQ(parseHtml(QStringLiteral("a<secret>hidden</secret><p>d</p>"), base()).text(),
              QStringLiteral("ahidden\rd"));
}
