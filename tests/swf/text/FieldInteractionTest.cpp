// Text fields as the person uses them beyond typing: links that act on release and point
// with the hand, a:hover styles, style sheets on a field, the wheel, the caret kept in view,
// onScroller, resizing by _width/_height, measuring, and device faces made bold or italic.

#include "swf/PlayerHost.h"
#include "swf/text/DeviceFonts.h"
#include "swf/text/StyleSheet.h"
#include "tests/swf/text/TextTestSupport.h"

using namespace texttest;
using testsupport::EditTextSpec;
using testsupport::FontSpec;
using testsupport::SwfWriter;

namespace {

class LinkHost : public swf::PlayerHost {
public:
    void openUrl(const QString& url, const QString& target) override {
        opened.emplace_back(url, target);
    }
    std::vector<std::pair<QString, QString>> opened;
};

// One edit text of the box font (20 px letters, each 400/1024 of the size wide) over a
// 400x200 stage.
struct FieldMovie {
    explicit FieldMovie(EditTextSpec spec) {
        player = std::make_unique<swf::Player>(
            load(oneFieldMovie(spec, QStringLiteral("abcdefghijklmnopqrstuvwxyz 0123"))),
            swf::Player::withoutScripts(), &host);
        field = fieldAt(*player, 1);
        stage = player->stage();
    }
    QPointF at(double xPx, double yPx) const { return QPointF(xPx * 20, yPx * 20); }
    LinkHost host;
    std::unique_ptr<swf::Player> player;
    swf::TextField* field = nullptr;
    swf::Stage* stage = nullptr;
};

EditTextSpec htmlField(QByteArray html) {
    EditTextSpec s;
    s.html = true;
    s.readOnly = true;
    s.initialText = std::move(html);
    return s;
}

std::shared_ptr<swf::text::StyleSheet> sheetOf(const QString& css) {
    auto sheet = std::make_shared<swf::text::StyleSheet>();
    const auto rules = swf::text::parseCss(css);
    if (rules)
        for (const auto& [selector, p] : *rules)
            sheet->set(selector, swf::text::cssStyle(p));
    return sheet;
}

// The colour of the first glyph of a character as laid out.
QRgb laidOutColour(const swf::TextField& f, int charIndex) {
    for (const auto& line : f.layout().lines)
        for (const auto& g : line.glyphs)
            if (g.charIndex == charIndex)
                return g.color;
    return 0;
}

} // namespace

TEST(FieldLinks, ActOnReleaseOverTheLinkThatWasPressed) {
    FieldMovie m(htmlField(
        "<a href=\"http://example.com/a\">abc</a> <a href=\"http://example.com/b\">def</a>"));
    ASSERT_TRUE(m.field);
    m.stage->mouseDown(m.at(12, 10));
    EXPECT_TRUE(m.host.opened.empty()) << "nothing happens on the press";
    m.stage->mouseUp(m.at(12, 10));
    ASSERT_EQ(m.host.opened.size(), 1u);
    EXPECT_EQ(m.host.opened[0].first, QStringLiteral("http://example.com/a"));

    // Pressed on one link, released on the other or off any link: nothing.
    m.stage->mouseDown(m.at(12, 10));
    m.stage->mouseMove(m.at(70, 10));
    m.stage->mouseUp(m.at(70, 10));
    m.stage->mouseDown(m.at(70, 10));
    m.stage->mouseUp(m.at(300, 150));
    m.stage->mouseDown(m.at(300, 150));
    m.stage->mouseUp(m.at(70, 10));
    EXPECT_EQ(m.host.opened.size(), 1u);
    m.stage->mouseDown(m.at(68, 10));
    m.stage->mouseUp(m.at(46, 12));
    ASSERT_EQ(m.host.opened.size(), 2u) << "anywhere on the same link counts";
    EXPECT_EQ(m.host.opened[1].first, QStringLiteral("http://example.com/b"));
}

TEST(FieldLinks, TheHandPointsAtLinksAndHoverStylesShow) {
    FieldMovie m(htmlField("<a href=\"x.html\">abc</a> def"));
    m.field->setStyleSheet(sheetOf(QStringLiteral(
        "a:link { color: #0000FF } a:hover { color: #FF0000 } a:active { color: #00FF00 }")));
    EXPECT_EQ(laidOutColour(*m.field, 0), 0xff0000ffu);
    m.stage->mouseMove(m.at(100, 10)); // "def"
    EXPECT_EQ(m.stage->cursor(), swf::Stage::Cursor::Arrow);
    EXPECT_EQ(laidOutColour(*m.field, 0), 0xff0000ffu);
    m.stage->mouseMove(m.at(12, 10));
    EXPECT_EQ(m.stage->cursor(), swf::Stage::Cursor::Hand);
    EXPECT_EQ(laidOutColour(*m.field, 0), 0xffff0000u) << "a:hover over the link";
    EXPECT_EQ(laidOutColour(*m.field, 2), 0xffff0000u) << "the whole link";
    EXPECT_EQ(laidOutColour(*m.field, 4), 0xff000000u) << "not the text after it";
    m.stage->mouseDown(m.at(12, 10));
    EXPECT_EQ(laidOutColour(*m.field, 0), 0xff00ff00u) << "a:active while pressed";
    m.stage->mouseUp(m.at(12, 10));
    EXPECT_EQ(laidOutColour(*m.field, 0), 0xffff0000u);
    m.stage->mouseLeave();
    EXPECT_EQ(laidOutColour(*m.field, 0), 0xff0000ffu) << "back to a:link when the mouse goes";
    EXPECT_EQ(m.stage->cursor(), swf::Stage::Cursor::Arrow);
}

TEST(FieldStyleSheet, FormatsHtmlAgainWhenTheSheetChangesAndTakesNoTyping) {
    EditTextSpec s = htmlField("<p class=\"warn\">ab</p>");
    s.readOnly = false;
    FieldMovie m(s);
    const QString source = QStringLiteral("<p class=\"warn\">ab</p><p>cd</p>");
    auto sheet = sheetOf(QStringLiteral(".warn { color: #FF0000; font-size: 30 }"));
    m.field->setStyleSheet(sheet);
    m.field->setHtmlText(source);
    EXPECT_EQ(m.field->htmlText(), source) << "styled HTML reads back as it was written";
    EXPECT_EQ(m.field->text(), QStringLiteral("ab\rcd"));
    EXPECT_EQ(m.field->content().formatAt(0).color, 0xffff0000u);
    EXPECT_EQ(m.field->content().formatAt(0).size, 30);
    EXPECT_EQ(m.field->content().formatAt(3).size, 20);

    // The sheet changes under the field (setStyle from script): it shows the new styles.
    sheet->set(QStringLiteral(".warn"),
               swf::text::cssStyle({{QStringLiteral("color"), QStringLiteral("#00FF00")}}));
    EXPECT_EQ(m.field->content().formatAt(0).color, 0xff00ff00u);
    EXPECT_EQ(m.field->content().formatAt(0).size, 20);

    // An input field with a sheet cannot be typed into; without one it can again.
    m.stage->mouseDown(m.at(10, 10));
    m.stage->mouseUp(m.at(10, 10));
    m.stage->keyDown('X', 'x');
    m.stage->textInput(QStringLiteral("y"));
    EXPECT_EQ(m.field->text(), QStringLiteral("ab\rcd"));
    EXPECT_FALSE(m.field->showsCaret());
    m.field->setStyleSheet(nullptr);
    EXPECT_EQ(m.field->content().formatAt(0).color, 0xff00ff00u)
        << "the text keeps what the sheet made of it";
    m.stage->textInput(QStringLiteral("y"));
    EXPECT_EQ(m.field->length(), 6) << "and takes typing again";

    // Markup given as text to a styled field is read as HTML too.
    m.field->setStyleSheet(sheet);
    m.field->setText(QStringLiteral("<p class=\"warn\">x</p>"));
    EXPECT_EQ(m.field->text(), QStringLiteral("x"));
    EXPECT_EQ(m.field->content().formatAt(0).color, 0xff00ff00u);
}

TEST(FieldScrolling, WheelCaretAndOnScroller) {
    EditTextSpec s;
    s.multiline = true;
    s.bounds = QRect(0, 0, 200 * 20, 50 * 20); // two lines of 20 px
    FieldMovie m(s);
    int told = 0;
    m.field->setScrollHandler([&] { ++told; });
    m.field->setText(QStringLiteral("a\rb\rc\rd\re\rf"));
    ASSERT_EQ(m.field->lineCount(), 6);
    const int maxScroll = m.field->maxScroll();
    EXPECT_GT(maxScroll, 3);

    m.stage->mouseMove(m.at(20, 20));
    m.stage->mouseWheel(m.at(20, 20), -3);
    EXPECT_EQ(m.field->scroll(), 4) << "three lines a notch, towards the end";
    EXPECT_GE(told, 1) << "onScroller hears of it";
    m.stage->mouseWheel(m.at(20, 20), 10);
    EXPECT_EQ(m.field->scroll(), 1);
    const int before = told;
    m.stage->mouseWheel(m.at(20, 20), 1);
    EXPECT_EQ(told, before) << "nothing moved, nothing to tell";
    m.field->setMouseWheelEnabled(false);
    m.stage->mouseWheel(m.at(20, 20), -3);
    EXPECT_EQ(m.field->scroll(), 1);

    // Typing at the end of a long text brings the caret's line into view.
    m.stage->mouseDown(m.at(20, 10));
    m.stage->mouseUp(m.at(20, 10));
    EXPECT_TRUE(m.field->showsCaret()) << "the caret shows at once after a click";
    m.field->setSelection(m.field->length(), m.field->length());
    m.stage->textInput(QStringLiteral("g"));
    EXPECT_EQ(m.field->scroll(), maxScroll);
    EXPECT_EQ(m.field->bottomScroll(), 6);
    m.stage->keyDown(36, 0); // home, on the last line
    m.stage->keyDown(38, 0); // up, past the top of what shows
    m.stage->keyDown(38, 0);
    m.stage->keyDown(38, 0);
    EXPECT_EQ(m.field->scroll(), 3) << "the caret's line is the first shown";

    // Across: a long line in a one-line field follows the caret.
    EditTextSpec one;
    FieldMovie w(one);
    w.stage->mouseDown(w.at(10, 10));
    w.stage->mouseUp(w.at(10, 10));
    w.stage->textInput(QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_GT(w.field->hscroll(), 0);
    EXPECT_LE(w.field->hscroll(), w.field->maxHScroll());
    w.stage->keyDown(36, 0);
    EXPECT_EQ(w.field->hscroll(), 0);
}

TEST(FieldSize, WidthAndHeightResizeAnEditTextInsteadOfStretchingIt) {
    EditTextSpec s;
    s.wordWrap = true;
    s.multiline = true;
    s.initialText = "abcd efgh ijkl";
    FieldMovie m(s);
    const int linesWide = m.field->lineCount();
    m.field->resizeTo(60, std::nullopt);
    EXPECT_DOUBLE_EQ(m.field->width(), 60);
    EXPECT_DOUBLE_EQ(m.field->xScale(), 100) << "not scaled";
    EXPECT_GT(m.field->lineCount(), linesWide) << "the text wraps in the narrower field";
    m.field->resizeTo(std::nullopt, 30);
    EXPECT_DOUBLE_EQ(m.field->height(), 30);
    m.field->setXScale(200);
    m.field->resizeTo(100, std::nullopt);
    EXPECT_DOUBLE_EQ(m.field->width(), 100) << "through the field's scale";
    EXPECT_DOUBLE_EQ(m.field->rect().width(), 50 * 20);
    m.field->resizeTo(-5, std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(m.field->width(), 100) << "nonsense sizes change nothing";
    m.field->resizeTo(std::numeric_limits<double>::infinity(), std::nullopt);
    EXPECT_DOUBLE_EQ(m.field->width(), 0) << "an endless width overflows to none, as in Flash";
}

TEST(FieldMeasure, EmptyTextHasNoSizeAndLongerTextIsWider) {
    FieldMovie m(EditTextSpec{});
    swf::text::TextFormat f;
    f.font = QStringLiteral("_sans");
    f.size = 20;
    const auto empty = swf::TextField::measure(m.field->movie(), QString(), f);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, 0);
    const auto one = swf::TextField::measure(m.field->movie(), QStringLiteral("mm"), f);
    const auto two = swf::TextField::measure(m.field->movie(), QStringLiteral("mmmm"), f);
    EXPECT_GT(one.width, 0);
    EXPECT_GT(two.width, one.width * 1.5);
    EXPECT_EQ(one.fieldWidth, one.width + 4);
    const auto wrapped = swf::TextField::measure(m.field->movie(), QStringLiteral("mm mm mm mm mm"),
                                                 f, one.width + 8);
    EXPECT_GT(wrapped.height, one.height * 3) << "a wrap width breaks the text into lines";
}

TEST(DeviceFaces, MissingBoldAndItalicFacesAreMadeFromTheRegularOne) {
    auto& fonts = swf::text::DeviceFonts::system();
    // WenQuanYi Micro Hei, the Chinese face installed with the player, has no bold or italic.
    const auto regular = fonts.face(QStringLiteral("微软雅黑"), false, false);
    const auto bold = fonts.face(QStringLiteral("微软雅黑"), true, false);
    const auto italic = fonts.face(QStringLiteral("微软雅黑"), false, true);
    if (!regular || !regular->family().contains(QLatin1String("WenQuanYi")))
        GTEST_SKIP() << "the WenQuanYi font is not installed";
    EXPECT_FALSE(regular->fakeBold() || regular->fakeItalic());
    ASSERT_TRUE(bold && italic);
    EXPECT_TRUE(bold->fakeBold());
    EXPECT_TRUE(italic->fakeItalic());
    const uint32_t g = *regular->glyphFor(U'中');
    const QRectF r = regular->outline(g).boundingRect();
    const QRectF b = bold->outline(*bold->glyphFor(U'中')).boundingRect();
    const QRectF i = italic->outline(*italic->glyphFor(U'中')).boundingRect();
    EXPECT_GT(b.width(), r.width() + 10) << "thicker strokes";
    EXPECT_GT(bold->advance(*bold->glyphFor(U'中')), regular->advance(g));
    EXPECT_GT(i.right(), r.right() + 50) << "the top leans right";
    EXPECT_NEAR(i.bottom(), r.bottom(), 1) << "about the baseline";
}
