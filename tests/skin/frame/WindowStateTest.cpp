// The frame's window states and their transitions with the restore rectangle, the tray, the
// close veto and modal result, and the state applied by a posted message when loading ends.

#include "FrameFixture.h"

#include <QDialog>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWhatsThis>

using namespace frametest;
using skin::TSeWindowState;

namespace {
const QRect kNormal(100, 80, 400, 300);
const QRect kWork(0, 0, 800, 560);
const QRect kScreen(0, 0, 800, 600);
} // namespace

TEST(WindowState, MaximizingTakesTheWorkAreaOrTheWholeScreenWhenOnTop) {
    FrameWindow f;
    f.frame->Maximize();
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsMaximized);
    EXPECT_EQ(f.window->geometry(), kWork);
    EXPECT_EQ(f.frame->restoreRect(), kNormal);
    // The client follows the new size.
    EXPECT_EQ(f.client->geometry(), f.frame->clientRect());
    f.frame->Maximize(); // again: restores
    EXPECT_EQ(f.window->geometry(), kNormal);
    f.frame->setStayOnTop(true);
    f.frame->Maximize();
    EXPECT_EQ(f.window->geometry(), kScreen);
    // The window's largest size still limits it.
    f.frame->Restore();
    f.window->setMaximumSize(500, 400);
    f.frame->Maximize();
    EXPECT_EQ(f.window->geometry(), QRect(0, 0, 500, 400));
}

TEST(WindowState, RollingUpLeavesTheCaptionAndBottomBorderAndComesBackWhole) {
    FrameWindow f;
    // The window's layout would keep a window this tall for its control, and has not yet
    // been told so when the window rolls up.
    f.client->setMinimumHeight(120);
    f.frame->Rollup();
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsRollup);
    EXPECT_EQ(f.frame->frameHeight(), kTop + kBottom);
    EXPECT_EQ(f.window->geometry(), QRect(kNormal.topLeft(), QSize(400, kTop + kBottom)));
    // The controls step out of sight, so nothing covers the caption.
    EXPECT_TRUE(f.client->isHidden());
    f.frame->Restore();
    EXPECT_EQ(f.window->geometry(), kNormal);
    EXPECT_FALSE(f.client->isHidden());
    EXPECT_EQ(f.client->geometry(), f.frame->clientRect());
    // A rolled window that was moved comes back where it now is.
    f.frame->Rollup();
    f.window->move(150, 90);
    f.frame->Rollup(); // again: restores
    EXPECT_EQ(f.window->geometry(), QRect(150, 90, 400, 300));
}

TEST(WindowState, AFixedSizeWindowRollsUpToo) {
    FrameWindow f;
    f.window->setFixedSize(400, 300);
    f.frame->Rollup();
    EXPECT_EQ(f.window->height(), kTop + kBottom);
    f.frame->Restore();
    EXPECT_EQ(f.window->size(), QSize(400, 300));
    EXPECT_EQ(f.window->minimumSize(), QSize(400, 300));
}

TEST(WindowState, MaximizedRolledAndBackKeepsTheRestoreRectangle) {
    FrameWindow f;
    f.frame->Maximize();
    f.frame->Rollup();
    EXPECT_EQ(f.window->geometry(), QRect(kWork.topLeft(), QSize(kWork.width(), kTop + kBottom)));
    EXPECT_EQ(f.frame->restoreRect(), kNormal);
    f.frame->Restore(); // maximized again
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsMaximized);
    EXPECT_EQ(f.window->geometry(), kWork);
    f.frame->Restore();
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsNormal);
    EXPECT_EQ(f.window->geometry(), kNormal);
    // Rolled, then maximized: restoring rolls it up again at its old place.
    f.frame->Rollup();
    f.frame->Maximize();
    f.frame->Restore();
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsRollup);
    EXPECT_EQ(f.window->geometry(), QRect(kNormal.topLeft(), QSize(400, kTop + kBottom)));
}

TEST(WindowState, GoingToTheTrayHidesTheWindowBehindAnIconAndComesBack) {
    FrameWindow f;
    f.frame->setMinimizeApplication(false);
    const QString longCaption(100, QChar(u'播'));
    f.frame->setCaption(longCaption);
    f.frame->MinimizeToTray();
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsTray);
    EXPECT_FALSE(f.window->isVisible());
    ASSERT_NE(f.frame->trayIcon(), nullptr);
    EXPECT_EQ(f.frame->trayIcon()->toolTip(), longCaption.left(63));
    // The icon's click brings it back as it was.
    emit f.frame->trayIcon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsNormal);
    EXPECT_TRUE(f.window->isVisible());
    EXPECT_EQ(f.frame->trayIcon(), nullptr);
    EXPECT_EQ(f.window->geometry(), kNormal);
    // From the tray a maximized window comes back maximized.
    f.frame->Maximize();
    f.frame->MinimizeToTray();
    f.frame->MinimizeToTray(); // again: restores
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsMaximized);
    EXPECT_EQ(f.window->geometry(), kWork);
    f.frame->Restore();
    EXPECT_EQ(f.window->geometry(), kNormal);
}

TEST(WindowState, ATooltipNeverEndsInHalfACharacter) {
    FrameWindow f;
    f.frame->setMinimizeApplication(false);
    // 62 plain characters then one outside the basic plane: a pair of UTF-16 units.
    f.frame->setCaption(QString(62, QChar(u'a')) + QString::fromUcs4(U"\U0001F600") + "tail");
    f.frame->MinimizeToTray();
    EXPECT_EQ(f.frame->trayToolTip(), QString(62, QChar(u'a')));
    f.frame->Restore();
}

TEST(WindowState, WithoutANotificationAreaTheTrayMinimizesInstead) {
    FrameWindow f;
    f.frame->trayAvailable = [] { return false; };
    f.frame->setMinimizeApplication(false);
    f.frame->MinimizeToTray();
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsMinimized);
    EXPECT_TRUE(f.window->isVisible());
    EXPECT_EQ(f.frame->trayIcon(), nullptr);
}

TEST(WindowState, MinimizingTheWindowAloneShrinksItToTheBottomLeft) {
    FrameWindow f;
    f.frame->setMinimizeApplication(false);
    f.frame->Minimize();
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsMinimized);
    EXPECT_EQ(f.window->geometry(),
              QRect(0, kWork.height() - (kTop + kBottom), 160, kTop + kBottom));
    f.frame->Minimize(); // again: restores
    EXPECT_EQ(f.window->geometry(), kNormal);
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsNormal);
}

TEST(WindowState, MinimizingTheApplicationFollowsTheWindowSystem) {
    FrameWindow f;
    f.frame->Maximize();
    f.frame->Minimize();
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsMinimized);
    EXPECT_TRUE(f.window->isMinimized());
    f.frame->Restore();
    EXPECT_FALSE(f.window->isMinimized());
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsMaximized);
    // Minimized and restored by the window system (a task bar): the frame follows.
    f.frame->Restore();
    f.window->showMinimized();
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsMinimized);
    f.window->showNormal();
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsNormal);
}

TEST(WindowState, AnEventCanVetoEveryAction) {
    FrameWindow f;
    int asked = 0;
    auto veto = [&](QObject*, bool& allow) {
        ++asked;
        allow = false;
    };
    f.frame->OnMaximize = veto;
    f.frame->OnMinimize = veto;
    f.frame->OnRollup = veto;
    f.frame->OnMinToTray = veto;
    f.frame->OnClose = veto;
    f.frame->Maximize();
    f.frame->Minimize();
    f.frame->Rollup();
    f.frame->MinimizeToTray();
    f.frame->Close();
    EXPECT_EQ(asked, 5);
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsNormal);
    EXPECT_EQ(f.window->geometry(), kNormal);
    EXPECT_TRUE(f.window->isVisible());
}

TEST(WindowState, TheWindowsOwnCloseQueryCanRefuse) {
    FrameWindow f;
    struct Refuser : QObject {
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Close) {
                e->ignore();
                return true;
            }
            return false;
        }
    } refuser;
    f.window->installEventFilter(&refuser);
    f.frame->Close();
    EXPECT_TRUE(f.window->isVisible());
    f.window->removeEventFilter(&refuser);
    f.frame->Close();
    EXPECT_FALSE(f.window->isVisible());
}

TEST(WindowState, AModalWindowClosesWithTheCancelResultAndDoesNotMinimize) {
    auto engine = std::make_unique<skin::TSeSkinEngine>();
    engine->readSkinStream(testsupport::storedSkinStream(QUARVEL_DEFAULT_SKIN_PATH));
    QDialog dialog;
    auto* frame = new skin::TSeSkinForm(&dialog);
    frame->setSkinEngine(engine.get());
    dialog.resize(300, 200);
    frame->loaded();
    bool minimizedWhileModal = true;
    QTimer::singleShot(0, &dialog, [&] {
        frame->Minimize();
        frame->MinimizeToTray();
        minimizedWhileModal = frame->WindowState() != TSeWindowState::kwsNormal;
        frame->Close();
    });
    EXPECT_EQ(dialog.exec(), 2);
    EXPECT_FALSE(minimizedWhileModal);
}

TEST(WindowState, TheStateSetWhileLoadingIsAppliedByAPostedMessage) {
    FrameWindow f(true, false);
    int created = 0;
    f.frame->OnCreate = [&](QObject*) { ++created; };
    f.frame->setWindowState(TSeWindowState::kwsMaximized);
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsNormal);
    f.frame->loaded();
    EXPECT_EQ(created, 1);
    // Out of sight until the message arrives.
    EXPECT_FALSE(f.window->screen()->geometry().intersects(f.window->geometry()));
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsNormal);
    QApplication::processEvents();
    EXPECT_EQ(f.frame->WindowState(), TSeWindowState::kwsMaximized);
    EXPECT_EQ(f.window->geometry(), kWork);
    EXPECT_EQ(f.frame->restoreRect(), kNormal);
    f.frame->loaded(); // once only
    EXPECT_EQ(created, 1);
    f.frame->setWindowState(TSeWindowState::kwsNormal);
    EXPECT_EQ(f.window->geometry(), kNormal);
}

TEST(WindowState, ANormalWindowStaysWhereItWasPutAtLoad) {
    FrameWindow f(true, false);
    f.frame->loaded();
    EXPECT_EQ(f.window->geometry(), kNormal);
    QApplication::processEvents();
    EXPECT_EQ(f.window->geometry(), kNormal);
}

TEST(WindowState, FullScreenHidesTheFrameAndBringsItBack) {
    FrameWindow f;
    f.frame->setFrameHidden(true);
    EXPECT_EQ(f.client->geometry(), f.window->rect());
    EXPECT_TRUE(f.window->mask().isEmpty());
    EXPECT_EQ(f.frame->zoneAt(QPoint(1, 150)), skin::FrameZone::Client);
    f.frame->setFrameHidden(false);
    EXPECT_EQ(f.client->geometry(), f.frame->clientRect());
    EXPECT_FALSE(f.window->mask().isEmpty());
}

TEST(WindowState, StayingOnTopChangesNeitherPlaceNorVisibility) {
    FrameWindow f;
    f.frame->setStayOnTop(true);
    EXPECT_TRUE(f.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(f.window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(f.window->isVisible());
    EXPECT_EQ(f.window->geometry(), kNormal);
    f.frame->setStayOnTop(false);
    EXPECT_FALSE(f.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(f.window->isVisible());
    // Set before loading ends, it is applied when loading ends.
    FrameWindow g(true, false);
    g.frame->setStayOnTop(true);
    EXPECT_FALSE(g.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    g.frame->loaded();
    EXPECT_TRUE(g.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(WindowState, HelpAsksForContextHelp) {
    FrameWindow f;
    f.frame->Help();
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();
}
