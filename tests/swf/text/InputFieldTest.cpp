// Input fields on the stage: a click gives them the keyboard, keys type, move the caret and
// select, the clipboard copies and pastes, maxChars and password hold, and a click on a link
// goes where getURL would.

#include "swf/PlayerHost.h"
#include "tests/swf/text/TextTestSupport.h"

#include <QClipboard>
#include <QGuiApplication>

using namespace texttest;
using testsupport::EditTextSpec;
using testsupport::FontSpec;
using testsupport::SwfWriter;

namespace {

class RecordingHost : public swf::PlayerHost {
public:
    void openUrl(const QString& url, const QString& target) override {
        opened.emplace_back(url, target);
    }
    std::vector<std::pair<QString, QString>> opened;
};

// Flash key codes.
constexpr int kBackspace = 8, kEnter = 13, kShift = 16, kControl = 17, kLeft = 37, kRight = 39,
              kHome = 36, kEnd = 35, kDelete = 46;

struct InputMovie {
    explicit InputMovie(EditTextSpec spec) {
        player = std::make_unique<swf::Player>(
            load(oneFieldMovie(spec, QStringLiteral("abcdefghijklmnopqrstuvwxyz 中文"))),
            swf::Player::withoutScripts(), &host);
        field = fieldAt(*player, 1);
        stage = player->stage();
    }
    void click(double xPx, double yPx) {
        stage->mouseDown(QPointF(xPx * 20, yPx * 20));
        stage->mouseUp(QPointF(xPx * 20, yPx * 20));
    }
    void type(const QString& s) {
        for (QChar c : s) {
            const int code = c.isLetter() && c.unicode() < 128 ? c.toUpper().unicode() : 0;
            stage->keyDown(code, c.unicode());
            stage->keyUp(code, c.unicode());
        }
    }
    void key(int code, bool shift = false, bool control = false) {
        if (shift)
            stage->keyDown(kShift, 0);
        if (control)
            stage->keyDown(kControl, 0);
        stage->keyDown(code, 0);
        stage->keyUp(code, 0);
        if (control)
            stage->keyUp(kControl, 0);
        if (shift)
            stage->keyUp(kShift, 0);
    }
    RecordingHost host;
    std::unique_ptr<swf::Player> player;
    swf::TextField* field = nullptr;
    swf::Stage* stage = nullptr;
};

EditTextSpec input(QByteArray text = {}) {
    EditTextSpec s;
    if (!text.isNull())
        s.initialText = std::move(text);
    return s;
}

} // namespace

TEST(InputField, AClickGivesTheKeyboardAndKeysType) {
    InputMovie m(input());
    ASSERT_TRUE(m.field);
    int changes = 0;
    m.field->setChangeHandler([&] { ++changes; });
    m.type(QStringLiteral("ab"));
    EXPECT_EQ(m.field->text(), QString()) << "nothing types before the field has focus";
    m.click(50, 10);
    EXPECT_EQ(m.stage->focus(), m.field);
    m.type(QStringLiteral("hello 中文"));
    EXPECT_EQ(m.field->text(), QStringLiteral("hello 中文"));
    EXPECT_EQ(changes, 8);
    EXPECT_EQ(m.field->caretIndex(), 8);
    const QImage img = render(*m.player, 400, 200);
    EXPECT_GT(countColour(img, QRect(0, 0, 200, 30), Qt::black), 7 * 8 * 14 / 2)
        << "the typed glyphs are drawn";
    m.click(300, 150);
    EXPECT_EQ(m.stage->focus(), nullptr) << "a click elsewhere takes the keyboard away";
}

TEST(InputField, CaretKeysBackspaceDeleteAndSelection) {
    InputMovie m(input("abcdef"));
    m.click(150, 10); // past the end
    EXPECT_EQ(m.field->caretIndex(), 6);
    m.key(kLeft);
    m.key(kLeft);
    m.key(kBackspace);
    EXPECT_EQ(m.field->text(), QStringLiteral("abcef"));
    m.key(kDelete);
    EXPECT_EQ(m.field->text(), QStringLiteral("abcf"));
    m.key(kHome);
    EXPECT_EQ(m.field->caretIndex(), 0);
    m.key(kRight, true);
    m.key(kRight, true);
    EXPECT_EQ(m.field->selectionBegin(), 0);
    EXPECT_EQ(m.field->selectionEnd(), 2);
    m.type(QStringLiteral("x"));
    EXPECT_EQ(m.field->text(), QStringLiteral("xcf")) << "typing replaces the selection";
    m.key(kEnd);
    m.key(kEnter);
    EXPECT_EQ(m.field->text(), QStringLiteral("xcf")) << "a one-line field takes no Enter";
}

TEST(InputField, EnterStartsANewLineInAMultilineField) {
    EditTextSpec s = input("ab");
    s.multiline = true;
    InputMovie m(s);
    m.click(150, 10);
    m.key(kEnter);
    m.type(QStringLiteral("c"));
    EXPECT_EQ(m.field->text(), QStringLiteral("ab\rc"));
    EXPECT_EQ(m.field->lineCount(), 2);
}

TEST(InputField, MaxCharsAndReadOnlyHold) {
    EditTextSpec s = input();
    s.maxLength = 3;
    InputMovie m(s);
    m.click(10, 10);
    m.type(QStringLiteral("abcdef"));
    EXPECT_EQ(m.field->text(), QStringLiteral("abc"));

    EditTextSpec r = input("fixed");
    r.readOnly = true;
    InputMovie ro(r);
    ro.click(10, 10);
    EXPECT_EQ(ro.stage->focus(), ro.field) << "read-only text can still be selected";
    ro.type(QStringLiteral("zz"));
    ro.key(kBackspace);
    EXPECT_EQ(ro.field->text(), QStringLiteral("fixed"));
}

TEST(InputField, CopyCutAndPasteGoThroughTheClipboard) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    InputMovie m(input("hello world"));
    m.click(10, 10);
    m.key('A', false, true);
    EXPECT_EQ(m.field->selectionEnd(), 11);
    m.key('C', false, true);
    EXPECT_EQ(clipboard->text(), QStringLiteral("hello world"));
    m.field->setSelection(0, 6);
    m.key('X', false, true);
    EXPECT_EQ(clipboard->text(), QStringLiteral("hello "));
    EXPECT_EQ(m.field->text(), QStringLiteral("world"));
    clipboard->setText(QStringLiteral("one\ntwo"));
    m.key(kEnd);
    m.key('V', false, true);
    EXPECT_EQ(m.field->text(), QStringLiteral("worldone"))
        << "one line of a paste in a one-line field";

    EditTextSpec p = input("secret");
    p.password = true;
    InputMovie pw(p);
    clipboard->setText(QStringLiteral("before"));
    pw.click(10, 10);
    pw.key('A', false, true);
    pw.key('C', false, true);
    EXPECT_EQ(clipboard->text(), QStringLiteral("before")) << "a password never leaves its field";
}

TEST(InputField, ClickingALinkOpensItThroughGetUrl) {
    EditTextSpec s = input("<a href=\"http://example.com/page\" target=\"_blank\">abc</a> def");
    s.html = true;
    s.readOnly = true;
    InputMovie m(s);
    m.click(60, 10); // "def": no link
    EXPECT_TRUE(m.host.opened.empty());
    m.click(12, 10);
    ASSERT_EQ(m.host.opened.size(), 1u);
    EXPECT_EQ(m.host.opened[0].first, QStringLiteral("http://example.com/page"));
    EXPECT_EQ(m.host.opened[0].second, QStringLiteral("_blank"));
    // A script link is not a page: getURL refuses it as it refuses it from script.
    EditTextSpec js = input("<a href=\"javascript:alert(1)\">abc</a>");
    js.html = true;
    InputMovie n(js);
    n.click(12, 10);
    EXPECT_TRUE(n.host.opened.empty());
}

TEST(InputField, MouseSelectionAndReplaceSel) {
    InputMovie m(input("abcdef"));
    m.stage->mouseDown(QPointF(2 * 20, 10 * 20));
    m.stage->mouseMove(QPointF(33 * 20, 10 * 20));
    m.stage->mouseUp(QPointF(33 * 20, 10 * 20));
    EXPECT_EQ(m.field->selectionBegin(), 0);
    EXPECT_EQ(m.field->selectionEnd(), 3);
    m.field->replaceSel(QStringLiteral("XY"));
    EXPECT_EQ(m.field->text(), QStringLiteral("XYdef"));
    EXPECT_EQ(m.field->caretIndex(), 2);
    m.field->setSelection(10, -4);
    EXPECT_EQ(m.field->selectionBegin(), 0);
    EXPECT_EQ(m.field->selectionEnd(), 5);
}

TEST(InputField, RestrictLimitsWhatTypingEnters) {
    InputMovie m(input());
    m.click(10, 10);
    m.field->setRestrict(QStringLiteral("a-c"));
    m.type(QStringLiteral("abcdxa"));
    EXPECT_EQ(m.field->text(), QStringLiteral("abca"));
    m.field->setRestrict(QStringLiteral("^b"));
    m.type(QStringLiteral("bd"));
    EXPECT_EQ(m.field->text(), QStringLiteral("abcad")) << "everything but b";
    m.field->setRestrict(QStringLiteral("a-z^x-z"));
    EXPECT_TRUE(m.field->allowedByRestrict(U'm'));
    EXPECT_FALSE(m.field->allowedByRestrict(U'y'));
    EXPECT_FALSE(m.field->allowedByRestrict(U'5'));
    m.field->setRestrict(QStringLiteral("\\-\\^"));
    EXPECT_TRUE(m.field->allowedByRestrict(U'-'));
    EXPECT_TRUE(m.field->allowedByRestrict(U'^'));
    EXPECT_FALSE(m.field->allowedByRestrict(U'a'));
    m.field->setRestrict(QStringLiteral("0-9"));
    m.stage->textInput(QStringLiteral("1中2"));
    EXPECT_EQ(m.field->text(), QStringLiteral("abcad12")) << "committed text is filtered too";
    m.field->setText(QStringLiteral("xyz"));
    EXPECT_EQ(m.field->text(), QStringLiteral("xyz")) << "script is not held to it";
}
