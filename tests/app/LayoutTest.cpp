// The main window's panels: the start layout, the "界面" toggles and their marks, undocking and
// re-docking the control panel, rolling the playlist panel, resize handling and full screen.

#include "AppFixture.h"
#include "app/DockPanel.h"
#include "app/LayoutCommands.h"
#include "skin/controls/TAlignLayout.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinMenuBar.h"
#include "skin/controls/TSeSkinPanel.h"
#include "skin/controls/TSeSkinSpeedButton.h"
#include "skin/controls/TSeSkinSplitter.h"
#include "skin/controls/TSeSkinToolBar.h"
#include "skin/controls/TSeSkinTrackBar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>

using namespace apptest;

namespace {

class Layout : public AppTest {
protected:
    // Drags the control panel by its own border out of the window, with real mouse events.
    void dragOutControlPanel() {
        app::DockPanel* panel = form->Panel2;
        const QPoint grip(0, panel->height() / 2); // the panel's left border
        QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, grip);
        for (int step = 1; step <= 5; ++step) {
            const QPointF at(grip.x() + 40 * step, grip.y() + 10 * step);
            QMouseEvent move(QEvent::MouseMove, at, panel->mapToGlobal(at), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(panel, &move);
        }
        QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, grip);
    }
    void key(Qt::Key k) { QTest::keyClick(form.get(), k); }
};

} // namespace

TEST_F(Layout, StartsWithTheDesignedPanelTree) {
    EXPECT_EQ(form->size(), QSize(595, 391));
    // The panels fill the client area inside the skinned frame.
    const QRect c = form->contentsRect();
    EXPECT_EQ(c, QRect(4, 22, 595 - 9, 391 - 27));
    EXPECT_EQ(form->SeSkinMenuBar1->geometry(), QRect(c.x(), c.y(), c.width(), 21));
    EXPECT_EQ(form->SeSkinToolBar1->geometry(), QRect(c.x(), c.y() + 21, c.width(), 29));
    EXPECT_EQ(form->SeSkinStatusBar1->geometry(),
              QRect(c.x(), c.y() + c.height() - 22, c.width(), 22));
    EXPECT_EQ(form->Panel2->geometry(), QRect(c.x(), c.y() + 50, 181, c.height() - 50 - 22));
    EXPECT_EQ(form->SeSkinSplitter1->geometry(),
              QRect(c.x() + 181, c.y() + 50, 4, c.height() - 50 - 22));
    EXPECT_EQ(form->Panel1->geometry(),
              QRect(c.x() + 185, c.y() + 50, c.width() - 185, c.height() - 50 - 22));
    EXPECT_EQ(form->ShockwaveFlash1().widget()->geometry(), form->Panel1->contentsRect());
    EXPECT_EQ(form->SeSkinSplitter1->MinSize(), 1);
    EXPECT_EQ(form->Panel2->toolTip(), QStringLiteral("可以拖放"));

    const QStringList captions = {QStringLiteral("打开文件"), QStringLiteral("Internet播放"),
                                  QStringLiteral("格式转换"), QStringLiteral("网络下载"),
                                  QStringLiteral("抓取图片")};
    ASSERT_EQ(form->SeSkinToolBar1->ButtonCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(form->SeSkinToolBar1->Buttons(i)->Caption(), captions[i]);
        EXPECT_EQ(form->SeSkinToolBar1->Buttons(i)->size(), QSize(91, 25));
    }

    // Panels and their marks agree: the sound and colour panels are hidden.
    EXPECT_TRUE(form->CustomItem39->Checked());
    for (skin::TSeSkinItem* on :
         {form->CustomItem41, form->CustomItem45, form->CustomItem40, form->CustomItem44})
        EXPECT_TRUE(on->Checked()) << on->Caption().toStdString();
    EXPECT_FALSE(form->CustomItem42->Checked());
    EXPECT_FALSE(form->CustomItem43->Checked());
    EXPECT_TRUE(form->SeSkinPanel4->isHidden());
    EXPECT_TRUE(form->SeSkinPanel3->isHidden());
    EXPECT_EQ(form->SeSkinPanel5->Caption(), QStringLiteral("  播放列表"));
    EXPECT_EQ(form->SeSkinPanel4->Caption(), QStringLiteral(" 音频控制区"));
    EXPECT_EQ(form->SeSkinPanel1->Caption(), QStringLiteral("  进度区"));
    EXPECT_EQ(form->SeSkinPanel3->Caption(), QStringLiteral("  视频控制区_背景色"));
    EXPECT_EQ(form->SeSkinPanel1->height(), 53);
    EXPECT_TRUE(form->SeSkinPanel4->Rolled());
    EXPECT_TRUE(form->SeSkinPanel3->Rolled());
    EXPECT_EQ(form->SeSkinPanel4->NormalHeight(), 214);
    EXPECT_EQ(form->SeSkinPanel3->NormalHeight(), 158);
    // The progress panel sits at the bottom, the playlist fills the rest.
    const QRect inside = form->Panel2->contentsRect();
    EXPECT_EQ(form->SeSkinPanel1->geometry().bottom(), inside.bottom());
    EXPECT_EQ(form->SeSkinPanel5->geometry(),
              QRect(inside.left(), inside.top(), inside.width(), inside.height() - 53));
    EXPECT_EQ(form->Timer3.interval(), 1000);
    EXPECT_TRUE(form->Timer3.isActive());
    EXPECT_FALSE(form->Timer4.isActive());
}

TEST_F(Layout, F5TwiceShowsAndHidesTheSoundPanelWithItsMark) {
    key(Qt::Key_F5);
    EXPECT_TRUE(form->CustomItem42->Checked());
    EXPECT_FALSE(form->SeSkinPanel4->isHidden());
    // Shown rolled, stacked above the progress panel.
    EXPECT_EQ(form->SeSkinPanel4->height(), 22);
    EXPECT_EQ(form->SeSkinPanel4->geometry().bottom() + 1, form->SeSkinPanel1->y());
    key(Qt::Key_F5);
    EXPECT_FALSE(form->CustomItem42->Checked());
    EXPECT_TRUE(form->SeSkinPanel4->isHidden());
}

TEST_F(Layout, EachToggleFollowsItsMark) {
    struct Toggle {
        Qt::Key key;
        skin::TSeSkinItem* item;
        QWidget* part;
    };
    for (const Toggle& t : {Toggle{Qt::Key_F2, form->CustomItem41, form->SeSkinToolBar1},
                            Toggle{Qt::Key_F3, form->CustomItem45, form->Panel2},
                            Toggle{Qt::Key_F4, form->CustomItem40, form->SeSkinPanel5},
                            Toggle{Qt::Key_F6, form->CustomItem43, form->SeSkinPanel3},
                            Toggle{Qt::Key_F7, form->CustomItem44, form->SeSkinPanel1}}) {
        const bool before = t.item->Checked();
        key(t.key);
        EXPECT_EQ(t.item->Checked(), !before);
        EXPECT_EQ(t.part->isHidden(), before);
        // A mark out of step with its part: the toggle follows the mark.
        t.item->setChecked(!t.item->Checked());
        key(t.key);
        EXPECT_EQ(t.item->Checked(), !before);
        EXPECT_EQ(t.part->isHidden(), before);
    }
    // Hiding the tool bar moves the panels up.
    EXPECT_TRUE(form->SeSkinToolBar1->isHidden());
    EXPECT_EQ(form->Panel1->y(), form->contentsRect().y() + 21);
}

TEST_F(Layout, HidingTheControlPanelGivesTheMovieTheRoom) {
    key(Qt::Key_F3);
    EXPECT_TRUE(form->Panel2->isHidden());
    EXPECT_EQ(form->Panel1->x(), form->contentsRect().x() + 4);
    form->Timer3Timer();
    EXPECT_FALSE(form->CustomItem45->Checked());
}

TEST_F(Layout, LeftRedockWhileDockedChangesNothing) {
    const QRect panel = form->Panel2->geometry();
    const QRect splitter = form->SeSkinSplitter1->geometry();
    key(Qt::Key_L);
    EXPECT_EQ(form->Panel2->parentWidget(), form.get());
    EXPECT_EQ(form->Panel2->geometry(), panel);
    EXPECT_EQ(form->SeSkinSplitter1->geometry(), splitter);
    // Docked at the right, "左归位" leaves it there too.
    dragOutControlPanel();
    form->CustomItem56->Click();
    const QRect right = form->Panel2->geometry();
    form->CustomItem55->Click();
    EXPECT_EQ(form->Panel2->geometry(), right);
}

TEST_F(Layout, DraggingTheControlPanelOutMakesItFloat) {
    EXPECT_FALSE(form->CustomItem54->Enabled());
    dragOutControlPanel();
    app::DockPanel* panel = form->Panel2;
    ASSERT_TRUE(panel->isFloating());
    EXPECT_NE(panel->window(), form.get());
    EXPECT_TRUE(panel->window()->isVisible());
    const QRect c = form->contentsRect();
    EXPECT_EQ(panel->size(), QSize(181, c.height() - 50 - 22));
    // The movie panel takes the room at once; the menu follows within a second.
    EXPECT_EQ(form->SeSkinSplitter1->x(), c.x());
    EXPECT_EQ(form->Panel1->x(), c.x() + 4);
    ASSERT_TRUE(waitFor([&] { return form->CustomItem54->Enabled(); }, 1500));
    // Closing the floating window hides the panel; F3's mark follows the next second.
    panel->window()->close();
    EXPECT_TRUE(panel->isHidden());
    ASSERT_TRUE(waitFor([&] { return !form->CustomItem45->Checked(); }, 1500));
    key(Qt::Key_F3);
    EXPECT_FALSE(panel->isHidden());
    EXPECT_TRUE(panel->window()->isVisible());
}

TEST_F(Layout, RightRedockPutsTheSplitterBetweenPanelAndMovie) {
    dragOutControlPanel();
    ASSERT_TRUE(form->Panel2->isFloating());
    key(Qt::Key_R);
    EXPECT_EQ(form->Panel2->parentWidget(), form.get());
    EXPECT_FALSE(form->Panel2->isFloating());
    EXPECT_FALSE(form->Panel2->isHidden());
    const QRect c = form->contentsRect();
    const int right = c.x() + c.width(), top = c.y() + 50, height = c.height() - 50 - 22;
    EXPECT_EQ(form->Panel2->geometry(), QRect(right - 181, top, 181, height));
    EXPECT_EQ(form->SeSkinSplitter1->geometry(), QRect(right - 185, top, 4, height));
    EXPECT_EQ(form->Panel1->geometry(), QRect(c.x(), top, c.width() - 185, height));
    EXPECT_EQ(skin::alignOf(form->SeSkinSplitter1), skin::TAlign::alRight);
    form->Timer3Timer();
    EXPECT_FALSE(form->CustomItem54->Enabled());

    // The splitter resizes the panel at the right.
    skin::TSeSkinSplitter* s = form->SeSkinSplitter1;
    QTest::mousePress(s, Qt::LeftButton, Qt::NoModifier, QPoint(2, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(-48, 100), s->mapToGlobal(QPointF(-48, 100)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s, &move);
    QTest::mouseRelease(s, Qt::LeftButton, Qt::NoModifier, QPoint(-48, 100));
    EXPECT_EQ(form->Panel2->width(), 231);
    EXPECT_EQ(form->Panel1->width(), c.width() - 231 - 4);

    // And back to the left.
    dragOutControlPanel();
    key(Qt::Key_L);
    EXPECT_EQ(form->Panel2->x(), c.x());
    EXPECT_EQ(form->SeSkinSplitter1->x(), c.x() + 231);
    EXPECT_EQ(form->Panel1->x(), c.x() + 235);
}

TEST_F(Layout, RollingThePlaylistStacksItAtTheBottomAndUnrollingFillsAgain) {
    skin::TSeSkinPanel* list = form->SeSkinPanel5;
    const QRect filled = list->geometry();
    QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier, list->buttonRect().center());
    EXPECT_TRUE(list->Rolled());
    EXPECT_EQ(list->height(), 22);
    EXPECT_EQ(skin::alignOf(list), skin::TAlign::alBottom);
    // Directly on top of the progress panel, the other bottom panel.
    EXPECT_EQ(list->geometry().bottom() + 1, form->SeSkinPanel1->y());
    QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier, list->buttonRect().center());
    EXPECT_FALSE(list->Rolled());
    EXPECT_EQ(skin::alignOf(list), skin::TAlign::alClient);
    EXPECT_EQ(list->geometry(), filled);
}

TEST_F(Layout, UnrollingTheSoundPanelGivesItItsHeight) {
    key(Qt::Key_F5);
    skin::TSeSkinPanel* sound = form->SeSkinPanel4;
    QTest::mouseClick(sound, Qt::LeftButton, Qt::NoModifier, sound->buttonRect().center());
    EXPECT_EQ(sound->height(), 214);
    EXPECT_EQ(sound->geometry().bottom() + 1, form->SeSkinPanel1->y());
    // Its bars are inside it and visible.
    EXPECT_TRUE(sound->geometry().contains(QRect(
        form->SeSkinTrackBar3->mapTo(form->Panel2, QPoint(0, 0)), form->SeSkinTrackBar3->size())));
}

TEST_F(Layout, ThirdStatusPanelTakesTheRestOfTheOuterWidth) {
    form->resize(800, 400);
    const int outer = form->frameGeometry().width();
    EXPECT_EQ(form->SeSkinStatusBar1->Panels()[2].Width(), outer - 600);
    // Narrower than the first two: the width goes to 0.
    form->resize(300, 300);
    EXPECT_EQ(form->SeSkinStatusBar1->Panels()[2].Width(), 0);
}

TEST_F(Layout, ResizeGivesTheControlTheFocus) {
    auto* other = new QWidget(form.get());
    other->setFocusPolicy(Qt::StrongFocus);
    other->show();
    form->activateWindow();
    other->setFocus();
    form->resize(700, 450);
    EXPECT_EQ(QApplication::focusWidget() == other, false);
    EXPECT_EQ(form->focusWidget(), form->ShockwaveFlash1().widget());
}

TEST_F(Layout, EscapeLeavesFullScreenAndShowsEveryBar) {
    key(Qt::Key_F2); // the tool bar hidden before
    ASSERT_TRUE(form->SeSkinToolBar1->isHidden());
    EXPECT_FALSE(form->CustomItem38->Visible());
    form->CustomItem38Click(form->CustomItem38);
    EXPECT_TRUE(form->CustomItem38->Checked());
    EXPECT_TRUE(form->layoutCommands().isFullScreen());
    for (QWidget* w :
         {static_cast<QWidget*>(form->Panel2), static_cast<QWidget*>(form->SeSkinMenuBar1),
          static_cast<QWidget*>(form->SeSkinStatusBar1),
          static_cast<QWidget*>(form->SeSkinSplitter1)})
        EXPECT_TRUE(w->isHidden());
    EXPECT_FALSE(form->CustomItem67->Enabled());
    // The movie was stopped and started again.
    std::vector<int> ids;
    for (const Call& c : calls)
        ids.push_back(c.dispId);
    const auto stop = std::find(ids.begin(), ids.end(), flash::DISPID_Stop);
    ASSERT_NE(stop, ids.end());
    EXPECT_NE(std::find(stop, ids.end(), flash::DISPID_Play), ids.end());

    QTest::keyClick(form->ShockwaveFlash1().widget(), Qt::Key_Escape);
    EXPECT_FALSE(form->layoutCommands().isFullScreen());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->ShockwaveFlash1().isDestroyed());
    for (QWidget* w :
         {static_cast<QWidget*>(form->Panel2), static_cast<QWidget*>(form->SeSkinMenuBar1),
          static_cast<QWidget*>(form->SeSkinStatusBar1),
          static_cast<QWidget*>(form->SeSkinSplitter1),
          static_cast<QWidget*>(form->SeSkinToolBar1)})
        EXPECT_FALSE(w->isHidden());
    EXPECT_FALSE(form->CustomItem41->Checked()); // F2 keeps its mark
    EXPECT_FALSE(form->CustomItem38->Checked());
    EXPECT_TRUE(form->CustomItem67->Enabled());
    EXPECT_EQ(form->frameGeometry().size(), QSize(560, 385));
    const QRect desk = form->screen()->availableGeometry();
    EXPECT_EQ(form->frameGeometry().center().x() / 2, desk.center().x() / 2);
}

TEST_F(Layout, FullScreenItemTogglesBackToo) {
    form->CustomItem38Click(form->CustomItem38);
    form->CustomItem38Click(form->CustomItem38);
    EXPECT_FALSE(form->layoutCommands().isFullScreen());
    EXPECT_FALSE(form->Panel2->isHidden());
}

TEST_F(Layout, AFloatingPanelLiesWhollyOnTheMainWindowsScreenUnderItsCaption) {
    const QRect screen = form->screen()->availableGeometry();
    app::DockPanel* panel = form->Panel2;
    panel->undock(screen.topLeft() - QPoint(300, 500));
    ASSERT_TRUE(panel->isFloating());
    QWidget* floating = panel->window();
    EXPECT_EQ(floating->windowTitle(), QStringLiteral("主控区"));
    EXPECT_TRUE(screen.contains(floating->frameGeometry()))
        << floating->frameGeometry().x() << "," << floating->frameGeometry().y();
    EXPECT_EQ(floating->frameGeometry().topLeft(), screen.topLeft());

    // Dragged on past the bottom right corner it stops at the screen's edge.
    const QPoint grip(2, 2);
    QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, grip);
    for (int step = 1; step <= 4; ++step) {
        const QPointF at(grip.x() + 500 * step, grip.y() + 400 * step);
        QMouseEvent move(QEvent::MouseMove, at, panel->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(panel, &move);
    }
    QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, grip);
    EXPECT_TRUE(screen.contains(floating->frameGeometry()));
    EXPECT_EQ(floating->frameGeometry().bottomRight(), screen.bottomRight());
}

TEST_F(Layout, APanelTallerThanTheScreenFloatsShrunkToIt) {
    const QRect screen = form->screen()->availableGeometry();
    form->resize(595, screen.height() + 400);
    ASSERT_GT(form->Panel2->height(), screen.height());
    dragOutControlPanel();
    ASSERT_TRUE(form->Panel2->isFloating());
    const QRect frame = form->Panel2->window()->frameGeometry();
    EXPECT_TRUE(screen.contains(frame));
    EXPECT_EQ(frame.height(), screen.height());
    EXPECT_EQ(form->Panel2->window()->windowTitle(), QStringLiteral("主控区"));
}
