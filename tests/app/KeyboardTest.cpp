// The window's keyboard table: every key clicks its menu entry whatever Shift, Ctrl and Alt
// say, and the key still reaches the focused control.

#include "AppFixture.h"
#include "app/KeyboardPreview.h"
#include "app/LayoutCommands.h"
#include "playlist/TDropFilelistbox1.h"
#include "skin/controls/TSeSkinItem.h"

#include <QKeyEvent>
#include <QLineEdit>

using namespace apptest;

namespace {

struct KeyCase {
    Qt::Key key;
    Qt::KeyboardModifiers extra; // keypad keys carry the keypad modifier
    QString caption;             // the entry the key clicks
};

std::vector<KeyCase> table() {
    return {
        {Qt::Key_PageUp, {}, QStringLiteral("快退(Pu)")},
        {Qt::Key_PageDown, {}, QStringLiteral("快进(Pd)")},
        {Qt::Key_Up, {}, QStringLiteral("放大(↑)")},
        {Qt::Key_Down, {}, QStringLiteral("缩小(↓)")},
        {Qt::Key_E, {}, QStringLiteral("到文件尾(E)")},
        {Qt::Key_H, {}, QStringLiteral("到文件头(H)")},
        {Qt::Key_L, {}, QStringLiteral("左归位(&L)")},
        {Qt::Key_R, {}, QStringLiteral("右归位(&R)")},
        {Qt::Key_Plus, Qt::KeypadModifier, QStringLiteral("增大音量(+)")},
        {Qt::Key_Minus, Qt::KeypadModifier, QStringLiteral("减小音量(-)")},
        {Qt::Key_F2, {}, QStringLiteral("显示工具栏(F2)")},
        {Qt::Key_F3, {}, QStringLiteral("显示主控区(F3)")},
        {Qt::Key_F4, {}, QStringLiteral("显示播放列表(F4)")},
        {Qt::Key_F5, {}, QStringLiteral("显示音频控制区(F5)")},
        {Qt::Key_F6, {}, QStringLiteral("显示视频控制区(F6)")},
        {Qt::Key_F7, {}, QStringLiteral("显示进度控制区(F7)")},
        {Qt::Key_F12, {}, QStringLiteral("抓图")},
        {Qt::Key_Equal, {}, QStringLiteral("增大音量(+)")},
        {Qt::Key_Plus, {}, QStringLiteral("增大音量(+)")},
        {Qt::Key_Minus, {}, QStringLiteral("减小音量(-)")},
        {Qt::Key_Underscore, {}, QStringLiteral("减小音量(-)")},
    };
}

class Keyboard : public AppTest {
protected:
    // Replaces the handlers of every entry the table names with counters.
    void countClicks() {
        for (const app::KeyBinding& b : form->keyTable()) {
            b.item->OnClick = [this, item = b.item](QObject* sender) {
                EXPECT_EQ(sender, item);
                clicked.push_back(item->Caption());
            };
        }
    }
    QStringList clicked;
};

} // namespace

TEST_F(Keyboard, EveryKeyClicksItsEntryWithAnyModifier) {
    countClicks();
    auto* edit = new QLineEdit(form.get());
    edit->show();
    edit->setFocus();
    for (Qt::KeyboardModifiers mods :
         {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ShiftModifier),
          Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::AltModifier)}) {
        for (const KeyCase& k : table()) {
            clicked.clear();
            QTest::keyClick(edit, k.key, mods | k.extra);
            EXPECT_EQ(clicked, QStringList{k.caption})
                << "key " << QKeySequence(k.key).toString().toStdString() << " modifiers "
                << int(mods);
        }
    }
}

TEST_F(Keyboard, TheKeyStillReachesTheFocusedControl) {
    countClicks();
    auto* edit = new QLineEdit(form.get());
    edit->show();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("hel"));
    EXPECT_EQ(edit->text(), QStringLiteral("hel"));
    // H and E and L each clicked once: the key is seen once, not again by each parent.
    EXPECT_EQ(clicked, (QStringList{QStringLiteral("到文件头(H)"), QStringLiteral("到文件尾(E)"),
                                    QStringLiteral("左归位(&L)")}));
}

TEST_F(Keyboard, OtherLettersAndKeysDoNothing) {
    countClicks();
    for (Qt::Key key : {Qt::Key_O, Qt::Key_I, Qt::Key_C, Qt::Key_A, Qt::Key_J, Qt::Key_P, Qt::Key_S,
                        Qt::Key_F, Qt::Key_F1, Qt::Key_F8, Qt::Key_Left, Qt::Key_Home})
        QTest::keyClick(form.get(), key);
    EXPECT_TRUE(clicked.isEmpty());
}

TEST_F(Keyboard, KeysInOtherWindowsAreNotTheMainWindows) {
    countClicks();
    QLineEdit other;
    other.show();
    QTest::keyClick(&other, Qt::Key_H);
    EXPECT_TRUE(clicked.isEmpty());
}

TEST_F(Keyboard, VirtualKeyCodes) {
    auto code = [](Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        QKeyEvent e(QEvent::KeyPress, key, mods);
        return app::virtualKeyCode(e);
    };
    EXPECT_EQ(code(Qt::Key_Escape), 0x1B);
    EXPECT_EQ(code(Qt::Key_PageUp), 0x21);
    EXPECT_EQ(code(Qt::Key_PageDown), 0x22);
    EXPECT_EQ(code(Qt::Key_Up), 0x26);
    EXPECT_EQ(code(Qt::Key_Down), 0x28);
    EXPECT_EQ(code(Qt::Key_E), 0x45);
    EXPECT_EQ(code(Qt::Key_Plus, Qt::KeypadModifier), 0x6B);
    EXPECT_EQ(code(Qt::Key_Minus, Qt::KeypadModifier), 0x6D);
    EXPECT_EQ(code(Qt::Key_F2), 0x71);
    EXPECT_EQ(code(Qt::Key_F12), 0x7B);
    EXPECT_EQ(code(Qt::Key_Equal), 0xBB);
    EXPECT_EQ(code(Qt::Key_Underscore, Qt::ShiftModifier), 0xBD);
}

TEST_F(Keyboard, EscapeClosesTheWindowSavesTheListAndThenDestroysTheControl) {
    ASSERT_TRUE(form->isVisible());
    form->DropFilelistbox11->addLine(QStringLiteral("/movies/a.swf"));
    form->ShockwaveFlash1().SetFocus();
    QTest::keyClick(form->ShockwaveFlash1().widget(), Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(testsupport::readFile(settingsFile()).contains("/movies/a.swf"));
    ASSERT_TRUE(waitFor([&] { return form->ShockwaveFlash1().isDestroyed(); }));
}
