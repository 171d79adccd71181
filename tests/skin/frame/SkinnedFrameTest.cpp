// The skinned frame on a real window: the skin's form object sized to the window, the client
// rectangle and shape it gives, zones for moving and sizing, moving and sizing by hand, the
// caption buttons under the mouse, and the system menu.

#include "FrameFixture.h"

#include <QTimer>

#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinPopupMenu.h"
#include "skin/controls/TSeSkinStatusBar.h"

using namespace frametest;
using skin::FrameZone;
using skin::TSeAction;
using skin::TSeSystemButton;
using skin::TSeWindowState;

TEST(SkinnedFrame, AMissingToolWindowObjectFallsBackToTheFormObject) {
    FrameWindow f;
    ASSERT_TRUE(f.frame->isSkinned());
    EXPECT_EQ(f.frame->SkinObject(), QStringLiteral("ToolWindow"));
    EXPECT_EQ(QString::fromStdString(f.frame->skinTree()->name()), QStringLiteral("Form"));
    // The tree is as large as the window, and the client part gives the client rectangle.
    EXPECT_EQ(f.frame->skinTree()->boundsRect(), QRect(0, 0, 400, 300));
    const QRect client(kLeft, kTop, 400 - kLeft - kRight, 300 - kTop - kBottom);
    EXPECT_EQ(f.frame->clientRect(), client);
    EXPECT_EQ(f.client->geometry(), client);
    // Larger: the caption buttons follow the right edge.
    const QPoint close = f.centreOf(TSeAction::sbaClose);
    f.window->resize(500, 320);
    QApplication::processEvents();
    EXPECT_EQ(f.centreOf(TSeAction::sbaClose), close + QPoint(100, 0));
    EXPECT_EQ(f.client->geometry(), QRect(kLeft, kTop, 500 - kLeft - kRight, 320 - kTop - kBottom));
}

TEST(SkinnedFrame, WithoutASkinTheFrameIsPlainAndStillLaysTheClientOut) {
    FrameWindow f(false);
    EXPECT_FALSE(f.frame->isSkinned());
    const QRect client = f.frame->clientRect();
    EXPECT_GT(client.top(), 0);
    EXPECT_EQ(f.client->geometry(), client);
    EXPECT_EQ(f.frame->zoneAt(QPoint(200, 2)), FrameZone::Top);
    EXPECT_EQ(f.frame->zoneAt(QPoint(200, client.top() - 5)), FrameZone::Caption);
    EXPECT_EQ(f.frame->zoneAt(QPoint(1, 150)), FrameZone::Left);
    EXPECT_EQ(f.frame->zoneAt(QPoint(398, 298)), FrameZone::BottomRight);
    EXPECT_EQ(f.frame->zoneAt(client.center()), FrameZone::Client);
    // Its own caption buttons work the same way: the close button closes.
    const QPoint closeAt(400 - 4 - 2 - 8, 4 + client.top() / 2 - 2);
    ASSERT_EQ(f.frame->zoneAt(closeAt), FrameZone::Button);
    press(f.window.get(), closeAt);
    release(f.window.get(), closeAt);
    EXPECT_FALSE(f.window->isVisible());
}

TEST(SkinnedFrame, TheSkinDrawsTheCaptionAndButtonsAndShapesTheWindow) {
    FrameWindow f;
    const QImage shot = f.grab();
    const QRgb clientColour = shot.pixel(f.frame->clientRect().center());
    // Caption strip and borders are the skin's, not the client's colour.
    EXPECT_NE(shot.pixel(200, 10), clientColour);
    EXPECT_NE(shot.pixel(1, 150), clientColour);
    EXPECT_NE(shot.pixel(200, 297), clientColour);
    // The window's shape is the tree's region: the client and the frame parts.
    EXPECT_FALSE(f.window->mask().isEmpty());
    EXPECT_TRUE(f.window->mask().contains(f.frame->clientRect()));
    // The title carries the caption: changing it changes the caption's pixels.
    f.window->setWindowTitle(QStringLiteral("Another, much longer title for the caption"));
    QApplication::processEvents();
    EXPECT_NE(f.grab().copy(30, 0, 200, kTop), shot.copy(30, 0, 200, kTop));
}

TEST(SkinnedFrame, PartsGiveTheZonesAndDraggingRulesApply) {
    FrameWindow f;
    EXPECT_EQ(f.frame->zoneAt(QPoint(150, 10)), FrameZone::Caption);
    EXPECT_EQ(f.frame->zoneAt(QPoint(1, 150)), FrameZone::Left);
    EXPECT_EQ(f.frame->zoneAt(QPoint(397, 150)), FrameZone::Right);
    EXPECT_EQ(f.frame->zoneAt(QPoint(200, 297)), FrameZone::Bottom);
    EXPECT_EQ(f.frame->zoneAt(f.centreOf(TSeAction::sbaClose)), FrameZone::Button);
    EXPECT_EQ(f.frame->zoneAt(QPoint(200, 150)), FrameZone::Client);
    f.frame->Dragging.Moveable = false;
    EXPECT_EQ(f.frame->zoneAt(QPoint(150, 10)), FrameZone::Client);
    f.frame->Dragging.Moveable = true;
    f.frame->Dragging.Sizeable = false;
    EXPECT_EQ(f.frame->zoneAt(QPoint(1, 150)), FrameZone::Client);
    f.frame->Dragging.Sizeable = true;
    // A maximized window neither moves nor sizes.
    f.frame->Maximize();
    EXPECT_EQ(f.frame->zoneAt(QPoint(150, 10)), FrameZone::Client);
    EXPECT_EQ(f.frame->zoneAt(QPoint(1, 150)), FrameZone::Client);
    EXPECT_EQ(f.frame->rawZoneAt(QPoint(1, 150)), FrameZone::Left);
}

TEST(SkinnedFrame, TheCaptionMovesTheWindowAndTheEdgesSizeIt) {
    FrameWindow f;
    QWidget* w = f.window.get();
    f.frame->Gravitation.Enabled = false;
    press(w, QPoint(150, 10));
    dragTo(w, QPoint(180, 30));
    release(w, QPoint(180, 30));
    EXPECT_EQ(w->pos(), QPoint(130, 100));
    // The right edge widens, the left edge keeps the right edge still.
    press(w, QPoint(397, 150));
    dragTo(w, QPoint(437, 150));
    release(w, QPoint(437, 150));
    EXPECT_EQ(w->geometry(), QRect(130, 100, 440, 300));
    w->setMinimumSize(200, 150);
    press(w, QPoint(1, 150));
    dragTo(w, QPoint(400, 150));
    release(w, QPoint(400, 150));
    EXPECT_EQ(w->geometry(), QRect(130 + 440 - 200, 100, 200, 300));
}

TEST(SkinnedFrame, MovingNearTheWorkAreaEdgeSnapsToIt) {
    FrameWindow f;
    QWidget* w = f.window.get();
    w->move(100, 80);
    press(w, QPoint(150, 10));
    dragTo(w, QPoint(150 - 90, 10 - 70)); // to (10, 10): within 20 of the top-left corner
    release(w, QPoint(60, -60));
    const QRect area = w->screen()->availableGeometry();
    EXPECT_EQ(w->pos(), area.topLeft());
}

TEST(SkinnedFrame, TheStatusBarGripSizesTheWindowAsItsBottomRightCorner) {
    FrameWindow f(true, false);
    auto* bar = new skin::TSeSkinStatusBar(f.client);
    bar->setGeometry(0, f.client->height() - 22, f.client->width(), 22);
    bar->show();
    f.frame->loaded();
    QApplication::processEvents();
    const QRect grip = bar->gripRect();
    ASSERT_FALSE(grip.isEmpty());
    const QPoint inWindow = bar->mapTo(f.window.get(), grip.center());
    EXPECT_EQ(f.frame->zoneAt(inWindow), FrameZone::BottomRight);
    const QSize before = f.window->size();
    press(bar, grip.center());
    dragTo(bar, grip.center() + QPoint(30, 20));
    release(bar, grip.center() + QPoint(30, 20));
    EXPECT_EQ(f.window->size(), before + QSize(30, 20));
}

TEST(SkinnedFrame, ACaptionButtonActsOnlyWhenReleasedOverIt) {
    FrameWindow f;
    QWidget* w = f.window.get();
    const QPoint close = f.centreOf(TSeAction::sbaClose);
    const QPoint title(150, 10);
    hoverTo(w, close);
    EXPECT_EQ(f.button(TSeAction::sbaClose)->buttonState(), TSeSystemButton::ButtonState::Hot);
    press(w, close);
    EXPECT_EQ(f.button(TSeAction::sbaClose)->buttonState(), TSeSystemButton::ButtonState::Pressed);
    const QImage pressedLook = f.grab().copy(QRect(close - QPoint(8, 8), QSize(16, 16)));
    // Off the button with the mouse held: it no longer looks pressed.
    dragTo(w, title);
    EXPECT_EQ(f.button(TSeAction::sbaClose)->buttonState(), TSeSystemButton::ButtonState::Normal);
    EXPECT_NE(f.grab().copy(QRect(close - QPoint(8, 8), QSize(16, 16))), pressedLook);
    // Back on it: pressed again.
    dragTo(w, close);
    EXPECT_EQ(f.button(TSeAction::sbaClose)->buttonState(), TSeSystemButton::ButtonState::Pressed);
    EXPECT_EQ(f.grab().copy(QRect(close - QPoint(8, 8), QSize(16, 16))), pressedLook);
    // Off again and released elsewhere: nothing happens.
    dragTo(w, title);
    release(w, title);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(f.frame->pressedPart(), nullptr);
    // A whole click closes.
    press(w, close);
    release(w, close);
    EXPECT_FALSE(w->isVisible());
}

TEST(SkinnedFrame, TheHoverTimerFollowsTheCursorWhileTheWindowIsActive) {
    FrameWindow f;
    QPoint cursor = f.window->mapToGlobal(f.centreOf(TSeAction::sbaMaximize));
    f.frame->cursorPos = [&cursor] { return cursor; };
    f.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return f.button(TSeAction::sbaMaximize)->buttonState() ==
                   TSeSystemButton::ButtonState::Hot;
        },
        1000));
    EXPECT_EQ(f.frame->hoveredPart(), f.button(TSeAction::sbaMaximize));
    cursor = f.window->mapToGlobal(QPoint(-50, -50));
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.frame->hoveredPart() == nullptr; }, 1000));
    EXPECT_EQ(f.button(TSeAction::sbaMaximize)->buttonState(),
              TSeSystemButton::ButtonState::Normal);
}

TEST(SkinnedFrame, ButtonsOfTheWindowStateAndBorderIconsShow) {
    FrameWindow f;
    EXPECT_NE(f.button(TSeAction::sbaMaximize), nullptr);
    EXPECT_EQ(f.button(TSeAction::sbaRestore), nullptr);
    f.frame->Maximize();
    EXPECT_EQ(f.button(TSeAction::sbaMaximize), nullptr);
    EXPECT_NE(f.button(TSeAction::sbaRestore), nullptr);
    f.frame->setBorderIcons(skin::TSeBorderIcons(skin::TSeBorderIcon::kbiClose));
    EXPECT_EQ(f.button(TSeAction::sbaRestore), nullptr);
    EXPECT_EQ(f.button(TSeAction::sbaTray), nullptr);
    EXPECT_NE(f.button(TSeAction::sbaClose), nullptr);
}

TEST(SkinnedFrame, CaptionButtonsRunTheirActions) {
    FrameWindow f;
    QWidget* w = f.window.get();
    const QRect normal = w->geometry();
    QTest::mouseClick(w, Qt::LeftButton, {}, f.centreOf(TSeAction::sbaMaximize));
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsMaximized);
    QTest::mouseClick(w, Qt::LeftButton, {}, f.centreOf(TSeAction::sbaRestore));
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsNormal);
    EXPECT_EQ(w->geometry(), normal);
    QTest::mouseClick(w, Qt::LeftButton, {}, f.centreOf(TSeAction::sbaRollUp));
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsRollup);
    QTest::mouseClick(w, Qt::LeftButton, {}, f.centreOf(TSeAction::sbaRollDown));
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsNormal);
    EXPECT_EQ(w->geometry(), normal);
    // A double click on the caption maximizes and restores.
    doubleClick(w, QPoint(150, 10));
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsMaximized);
    doubleClick(w, QPoint(150, 10));
    EXPECT_EQ(w->geometry(), normal);
}

TEST(SkinnedFrame, DoubleClickingTheSystemMenuIconCloses) {
    FrameWindow f;
    const QPoint icon = f.centreOf(TSeAction::sbaSysMenu);
    ASSERT_EQ(f.frame->zoneAt(icon), FrameZone::Button);
    doubleClick(f.window.get(), icon);
    EXPECT_FALSE(f.window->isVisible());
    // The first click's menu never opens.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    EXPECT_EQ(f.frame->systemMenu(), nullptr);
}

TEST(SkinnedFrame, ASingleClickOnTheIconOpensTheSystemMenuAtTheClientOrigin) {
    FrameWindow f;
    const QPoint icon = f.centreOf(TSeAction::sbaSysMenu);
    QTest::mouseClick(f.window.get(), Qt::LeftButton, {}, icon);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.frame->systemMenu() != nullptr; }, 2000));
    skin::TSeSkinPopupMenu* menu = f.frame->systemMenu();
    EXPECT_TRUE(menu->isOpen());
    EXPECT_EQ(menu->menu()->pos(), f.window->mapToGlobal(f.frame->clientRect().topLeft()));
    // Choosing "Ro&llup" rolls the window up.
    skin::TSeSkinItem* rollup = nullptr;
    for (int i = 0; i < menu->Items()->Count(); ++i)
        if (menu->Items()->Items(i)->Caption() == QStringLiteral("Ro&llup"))
            rollup = menu->Items()->Items(i);
    ASSERT_NE(rollup, nullptr);
    rollup->action()->trigger();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return f.frame->WindowState() == TSeWindowState::kwsRollup; }, 1000));
}

TEST(SkinnedFrame, TheMaximizedWindowsSystemMenuIsBuiltAfresh) {
    FrameWindow f;
    f.frame->Maximize();
    f.frame->ShowSystemMenu();
    skin::TSeSkinPopupMenu* menu = f.frame->systemMenu();
    ASSERT_NE(menu, nullptr);
    QStringList captions;
    for (int i = 0; i < menu->Items()->Count(); ++i)
        captions << menu->Items()->Items(i)->Caption();
    EXPECT_EQ(captions, (QStringList{"&Restore", "Mi&nimize", "Ro&llup", "Minimize to &Tray", "-",
                                     "&Close"}));
    skin::TSeSkinItem* close = menu->Items()->Items(5);
    EXPECT_EQ(close->ShortCut(), QKeySequence(QStringLiteral("Alt+F4")));
    EXPECT_EQ(close->ImageIndex(), 0);
    EXPECT_EQ(menu->Images().size(), 6);
    menu->close();
    // Back to normal, the next menu offers maximizing instead of restoring.
    f.frame->Restore();
    f.frame->ShowSystemMenu();
    EXPECT_EQ(f.frame->systemMenu()->Items()->Items(0)->Caption(), QStringLiteral("Mi&nimize"));
    EXPECT_EQ(f.frame->systemMenu()->Items()->Items(1)->Caption(), QStringLiteral("Ma&ximize"));
    f.frame->systemMenu()->close();
}

TEST(SkinnedFrame, AHueChangeKeepsTheFrameSkinnedAndLosingTheEngineMakesItPlain) {
    FrameWindow f;
    const QImage before = f.grab();
    f.engine->setDeltaHue(60);
    QApplication::processEvents();
    EXPECT_TRUE(f.frame->isSkinned());
    EXPECT_NE(f.grab(), before);
    // Hover state pointed into the old copy; moving on must not touch it.
    hoverTo(f.window.get(), f.centreOf(TSeAction::sbaClose));
    f.engine.reset();
    EXPECT_FALSE(f.frame->isSkinned());
    hoverTo(f.window.get(), QPoint(150, 10));
    EXPECT_EQ(f.client->geometry(), f.frame->clientRect());
    EXPECT_FALSE(f.grab().isNull());
}

TEST(SkinnedFrame, ACustomButtonReachesTheCustomActionEvent) {
    FrameWindow f;
    TSeSystemButton* close = f.button(TSeAction::sbaClose);
    ASSERT_NE(close, nullptr);
    close->Action = TSeAction::sbaCustom;
    TSeSystemButton* seen = nullptr;
    f.frame->OnCustomAction = [&](skin::TSeSkinForm*, TSeSystemButton& b) { seen = &b; };
    const QPoint at = close->boundsRect().center();
    press(f.window.get(), at);
    release(f.window.get(), at);
    EXPECT_EQ(seen, close);
    EXPECT_TRUE(f.window->isVisible());
}

TEST(SkinnedFrame, EveryBufferPaintsTheSamePicture) {
    FrameWindow f;
    f.window->setWindowTitle(QStringLiteral("Buffers"));
    const QImage plain = f.grab();
    using P = skin::TSeFormPerformance;
    for (P p : {P::ksfpSharedBuffer, P::ksfpPersistentBuffer, P::ksfpDoubleBuffer}) {
        f.frame->setPerformance(p);
        EXPECT_EQ(f.grab(), plain) << int(p);
    }
    // A kept buffer follows a change of state.
    f.frame->setPerformance(P::ksfpPersistentBuffer);
    f.frame->Maximize();
    f.frame->setPerformance(P::ksfpNoBuffer);
    const QImage maximized = f.grab();
    f.frame->setPerformance(P::ksfpPersistentBuffer);
    EXPECT_EQ(f.grab(), maximized);
    // Painting a piece of the client area alone gives the same background there.
    f.frame->setPerformance(P::ksfpNoBuffer);
    f.client->hide();
    const QImage whole = f.grab();
    const QRect inside = f.frame->clientRect().adjusted(10, 10, -10, -10);
    QImage piece(f.window->size(), QImage::Format_RGB32);
    piece.fill(Qt::magenta);
    f.window->render(&piece, inside.topLeft(), QRegion(inside));
    EXPECT_EQ(piece.copy(inside), whole.copy(inside));
    EXPECT_EQ(piece.pixel(2, 2), QColor(Qt::magenta).rgb());
}

TEST(SkinnedFrame, TheCursorShowsWhereTheWindowSizes) {
    FrameWindow f;
    QWidget* w = f.window.get();
    hoverTo(w, QPoint(1, 150));
    EXPECT_EQ(w->cursor().shape(), Qt::SizeHorCursor);
    hoverTo(w, QPoint(200, 297));
    EXPECT_EQ(w->cursor().shape(), Qt::SizeVerCursor);
    // Back over the caption: the window's own cursor again, which its controls inherit.
    hoverTo(w, QPoint(150, 10));
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
    f.frame->Maximize();
    hoverTo(w, QPoint(1, 150));
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
}
