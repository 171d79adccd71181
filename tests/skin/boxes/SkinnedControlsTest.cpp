// The skinned controls of the boxes and the rest of the family: the states they draw their
// parts in, what they take from the skin, and their default look without one.

#include <QLabel>
#include <QTest>

#include "BoxFixtures.h"
#include "skin/controls/TSeSkinButton.h"
#include "skin/controls/TSeSkinCheckBox.h"
#include "skin/controls/TSeSkinEdit.h"
#include "skin/controls/TSeSkinGroupBox.h"
#include "skin/controls/TSeSkinLabel.h"
#include "skin/controls/TSeSkinSpeedButton.h"
#include "skin/controls/TSeSkinSpinButton.h"
#include "skin/controls/TSeSkinToolBar.h"
#include "skin/model/TSeBitmapObject.h"
#include "skin/model/TSeSkinObject.h"
#include "tests/support/Pixels.h"

using namespace skin;
using namespace boxtest;

namespace {

QImage grab(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A top-level object of one colour with one part of another, added to the engine's skin.
void addObject(TSeSkinEngine& engine, const char* name, const char* partName, QRgb partColour) {
    auto object = std::make_unique<TSeSkinObject>();
    object->setName(name);
    object->Color = clNone;
    object->setStoredBounds(0, 0, 50, 30);
    auto part = std::make_unique<TSeSkinObject>();
    part->setName(partName);
    part->Color = rgbColor(qRed(partColour), qGreen(partColour), qBlue(partColour));
    part->Font.Color = rgbColor(1, 2, 3);
    part->setStoredBounds(0, 0, 50, 30);
    object->addChild(std::move(part));
    engine.source().addObject(std::move(object));
}

} // namespace

TEST(SkinButton, StatesFollowDisabledPressedHotFocusAndTheActiveDefault) {
    QWidget window;
    window.setGeometry(300, 300, 300, 100);
    auto* a = new TSeCustomButton(&window);
    auto* b = new TSeCustomButton(&window);
    a->move(20, 40);
    b->move(120, 40);
    a->setDefault(true);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    b->setFocus();
    QApplication::processEvents();
    // Focus on another button takes the default mark's look away.
    EXPECT_FALSE(a->isActiveDefault());
    EXPECT_EQ(a->skinState(), state::Normal);
    EXPECT_EQ(b->skinState(), state::Focused);
    a->setFocus();
    EXPECT_EQ(a->skinState(), state::Focused);
    EXPECT_EQ(b->skinState(), state::Normal);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(b, &enter);
    EXPECT_EQ(b->skinState(), state::Hot);
    b->setDown(true);
    EXPECT_EQ(b->skinState(), state::Pressed);
    b->setDown(false);
    b->setEnabled(false);
    EXPECT_EQ(b->skinState(), state::Disabled);
}

TEST(SkinButton, EnterGoesToTheDefaultButtonAndEscapeToTheCancelButton) {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* ok = new TSeCustomButton(&window);
    auto* cancel = new TSeCustomButton(&window);
    int oks = 0, cancels = 0;
    QObject::connect(ok, &QAbstractButton::clicked, [&] { ++oks; });
    QObject::connect(cancel, &QAbstractButton::clicked, [&] { ++cancels; });
    ok->setDefault(true);
    cancel->setCancel(true);
    window.show();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(oks, 1);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(cancels, 1);
    // A focused button takes Enter itself.
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Return);
    EXPECT_EQ(oks, 1);
    EXPECT_EQ(cancels, 2);
    // Without the marks, the keys go nowhere.
    ok->setDefault(false);
    cancel->setCancel(false);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(oks, 1);
    EXPECT_EQ(cancels, 2);
}

TEST(SkinButton, KindsGiveGlyphsAndTheDefaultMark) {
    TSeCustomButton button;
    for (TBitBtnKind kind :
         {TBitBtnKind::bkOK, TBitBtnKind::bkCancel, TBitBtnKind::bkHelp, TBitBtnKind::bkYes,
          TBitBtnKind::bkNo, TBitBtnKind::bkClose, TBitBtnKind::bkAbort, TBitBtnKind::bkRetry,
          TBitBtnKind::bkIgnore, TBitBtnKind::bkAll}) {
        const QPixmap glyph = buttonGlyph(kind);
        ASSERT_EQ(glyph.size(), QSize(32, 16)) << buttonGlyphName(kind).toStdString();
        const QImage image = glyph.toImage();
        // Both halves hold a picture, and the disabled one is not the normal one.
        EXPECT_NE(image.copy(0, 0, 16, 16), image.copy(16, 0, 16, 16));
        int inked = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                inked += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GT(inked, 10) << buttonGlyphName(kind).toStdString();
        EXPECT_TRUE(buttonGlyphName(kind).startsWith(QStringLiteral("SE_BTN_")));
    }
    // Loaded once and kept.
    EXPECT_EQ(buttonGlyph(TBitBtnKind::bkOK).cacheKey(), buttonGlyph(TBitBtnKind::bkOK).cacheKey());
    EXPECT_TRUE(buttonGlyph(TBitBtnKind::bkCustom).isNull());
    button.setKind(TBitBtnKind::bkNo);
    EXPECT_FALSE(button.Default());
    button.setKind(TBitBtnKind::bkYes);
    EXPECT_TRUE(button.Default());
}

TEST(SkinButton, TheSkinnedFaceFollowsTheState) {
    auto engine = playerSkinEngine();
    QWidget window;
    window.resize(200, 60);
    auto* button = new TSeSkinButton(&window);
    button->setText(QStringLiteral("确定"));
    button->setGeometry(10, 10, 88, 28);
    button->setSkinEngine(engine.get());
    ASSERT_TRUE(button->isSkinned());
    // The player's button face masks its borders and corners, so the parent shows there.
    EXPECT_TRUE(button->Transparent());
    window.show();
    const QImage normal = grab(*button);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(button, &enter);
    ASSERT_EQ(button->skinState(), state::Hot);
    const QImage hot = grab(*button);
    EXPECT_GT(testsupport::differingPixels(normal, hot), 20);
    button->setEnabled(false);
    const QImage disabled = grab(*button);
    EXPECT_GT(testsupport::differingPixels(normal, disabled), 20);
    // Without the engine the desktop's button comes back.
    button->setEnabled(true);
    button->setSkinEngine(nullptr);
    EXPECT_FALSE(button->isSkinned());
}

TEST(SkinEdit, TheFrameIsTheSkinsAndTheTextSitsInsideItsMargins) {
    auto engine = playerSkinEngine();
    QWidget window;
    auto* edit = new TSeSkinEdit(&window);
    EXPECT_TRUE(edit->hasFrame());
    edit->setSkinEngine(engine.get());
    ASSERT_TRUE(edit->isSkinned());
    EXPECT_FALSE(edit->hasFrame());
    EXPECT_EQ(edit->textMargins().left(), 3);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    EXPECT_EQ(edit->skinState(), state::Focused);
    edit->setEnabled(false);
    EXPECT_EQ(edit->skinState(), state::Disabled);
    edit->setSkinEngine(nullptr);
    EXPECT_TRUE(edit->hasFrame());
    EXPECT_EQ(edit->textMargins().left(), 0);
}

TEST(SkinCheckBox, BoxOrCheckPartByStateAndTheWholeControlClicks) {
    auto engine = playerSkinEngine();
    QWidget window;
    window.resize(200, 40);
    auto* box = new TSeSkinCheckBox(&window);
    box->setText(QStringLiteral("再也不问"));
    box->setGeometry(5, 5, 150, 17);
    box->setSkinEngine(engine.get());
    ASSERT_TRUE(box->isSkinned());
    window.show();
    const QImage unchecked = grab(*box);
    // Clicking the caption ticks it as clicking the box does.
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(120, 8));
    EXPECT_TRUE(box->isChecked());
    const QImage checked = grab(*box);
    EXPECT_GT(
        testsupport::differingPixels(unchecked.copy(0, 0, 16, 17), checked.copy(0, 0, 16, 17)), 5);
    // The text area looks the same either way.
    EXPECT_EQ(
        testsupport::differingPixels(unchecked.copy(60, 0, 80, 17), checked.copy(60, 0, 80, 17)),
        0);
}

TEST(SkinSpinButton, ClicksOnPressAndRepeatsWhileHeldInside) {
    QWidget window;
    auto* spin = new TSeSkinSpinButton(&window);
    spin->resize(15, 20);
    spin->setRepeatDelay(20);
    spin->setRepeatInterval(10);
    int ups = 0, downs = 0;
    spin->OnUpClick = [&](QObject*) { ++ups; };
    spin->OnDownClick = [&](QObject*) { ++downs; };
    window.show();
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(7, 15));
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 0);
    QTest::mousePress(spin, Qt::LeftButton, {}, QPoint(7, 3));
    EXPECT_EQ(spin->pressedHalf(), TSeSkinSpinButton::Half::Up);
    EXPECT_EQ(spin->skinState(TSeSkinSpinButton::Half::Up), state::Pressed);
    QTest::qWait(120);
    QTest::mouseRelease(spin, Qt::LeftButton, {}, QPoint(7, 3));
    EXPECT_GE(ups, 3);
    const int after = ups;
    QTest::qWait(60);
    EXPECT_EQ(ups, after);
    // Disabled, nothing clicks.
    spin->setEnabled(false);
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(7, 3));
    EXPECT_EQ(ups, after);
    EXPECT_EQ(spin->skinState(TSeSkinSpinButton::Half::Up), state::Disabled);
}

TEST(SkinSpinButton, TheSkinsHalvesAreDrawnInTheirStates) {
    auto engine = playerSkinEngine();
    QWidget window;
    auto* spin = new TSeSkinSpinButton(&window);
    spin->resize(15, 24);
    spin->setSkinEngine(engine.get());
    ASSERT_TRUE(spin->isSkinned());
    window.show();
    const QImage normal = grab(*spin);
    QTest::mousePress(spin, Qt::LeftButton, {}, QPoint(7, 3));
    const QImage pressed = grab(*spin);
    QTest::mouseRelease(spin, Qt::LeftButton, {}, QPoint(7, 3));
    EXPECT_GT(testsupport::differingPixels(normal.copy(0, 0, 15, 12), pressed.copy(0, 0, 15, 12)),
              5);
    EXPECT_EQ(testsupport::differingPixels(normal.copy(0, 12, 15, 12), pressed.copy(0, 12, 15, 12)),
              0);
}

TEST(SkinGroupBox, DefaultLookWithoutTheObjectAndTheSkinsFrameWithIt) {
    auto engine = playerSkinEngine();
    TSeSkinGroupBox group(QStringLiteral("声音"));
    group.resize(120, 80);
    group.setSkinEngine(engine.get());
    // The player's skin has no "GroupBox".
    EXPECT_FALSE(group.isSkinned());
    addObject(*engine, "GroupBox", "Frame", qRgb(10, 200, 30));
    group.setSkinEngine(engine.get());
    ASSERT_TRUE(group.isSkinned());
    group.show();
    const QImage image = grab(group);
    EXPECT_EQ(testsupport::rgb(image.pixel(60, 60)), testsupport::rgb(qRgb(10, 200, 30)));
    // The frame starts half way down the caption.
    EXPECT_NE(testsupport::rgb(image.pixel(60, 0)), testsupport::rgb(qRgb(10, 200, 30)));
    EXPECT_EQ(group.contentsMargins().top(), group.captionRect().height());
}

TEST(SkinLabel, TakesTheSkinsFontColourWhenTheSkinHasALabel) {
    auto engine = playerSkinEngine();
    TSeSkinLabel label;
    label.setText(QStringLiteral("URL:"));
    label.setSkinEngine(engine.get());
    EXPECT_FALSE(label.isSkinned());
    addObject(*engine, "Label", "Text", qRgb(0, 0, 0));
    label.setSkinEngine(engine.get());
    EXPECT_TRUE(label.isSkinned());
    label.fitToText();
    EXPECT_GT(label.width(), 0);
    label.setTransparent(true);
    EXPECT_FALSE(label.autoFillBackground());
}

TEST(SkinToolBar, TheBandIsTheSkinsToolBarAndItsButtonsFollowTheEngine) {
    auto engine = playerSkinEngine();
    TSeSkinToolBar bar;
    bar.resize(200, 30);
    auto* first = bar.addButton(QStringLiteral("打开"), QSize(40, 24));
    const QImage plain = grab(bar);
    bar.setSkinEngine(engine.get());
    ASSERT_TRUE(bar.isSkinned());
    EXPECT_EQ(first->SkinEngine(), engine.get());
    auto* second = bar.addButton(QStringLiteral("播放"), QSize(40, 24));
    EXPECT_EQ(second->SkinEngine(), engine.get());
    const QImage skinned = grab(bar);
    EXPECT_GT(
        testsupport::differingPixels(plain.copy(150, 0, 50, 30), skinned.copy(150, 0, 50, 30)), 50);
}
