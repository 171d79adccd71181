// The main window wears the skinned frame: the skin's form object for its missing
// "ToolWindow", the caption buttons of its border icons, and full screen taking the frame away
// and giving it back.

#include "AppFixture.h"
#include "app/DockPanel.h"
#include "app/TForm2.h"
#include "skin/model/TSeSystemButton.h"

#include "app/LayoutCommands.h"
#include "skin/controls/TSeSkinForm.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinMenuBar.h"
#include "skin/model/TSeSkinObject.h"
#include <QTimer>

using namespace apptest;

namespace {
using MainFrame = AppTest;
} // namespace

TEST_F(MainFrame, TheWindowWearsTheSkinsFormFrame) {
    skin::TSeSkinForm* frame = form->SeSkinForm1;
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isSkinned());
    EXPECT_EQ(frame->SkinObject(), QStringLiteral("ToolWindow"));
    EXPECT_EQ(QString::fromStdString(frame->skinTree()->name()), QStringLiteral("Form"));
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    using Icon = skin::TSeBorderIcon;
    const skin::TSeBorderIcons icons = frame->BorderIcons();
    for (Icon on : {Icon::kbiClose, Icon::kbiSystemMenu, Icon::kbiMinimize, Icon::kbiMaximize,
                    Icon::kbiRollup, Icon::kbiTray})
        EXPECT_TRUE(icons & skin::TSeBorderIcons(on)) << int(on);
    EXPECT_FALSE(icons & skin::TSeBorderIcons(Icon::kbiHelp));
    EXPECT_EQ(frame->MenuBar, static_cast<QWidget*>(form->SeSkinMenuBar1));
    // The title shows the window's caption; the client area holds the menu bar at its top.
    EXPECT_EQ(frame->partOfKind(skin::TSeKind::skTitle)->text(), form->windowTitle());
    EXPECT_EQ(form->SeSkinMenuBar1->pos(), frame->clientRect().topLeft());
}

TEST_F(MainFrame, FullScreenTakesTheFrameAwayAndGivesItBack) {
    skin::TSeSkinForm* frame = form->SeSkinForm1;
    frame->Maximize();
    form->CustomItem38Click(form->CustomItem38);
    EXPECT_TRUE(form->layoutCommands().isFullScreen());
    EXPECT_TRUE(frame->frameHidden());
    EXPECT_EQ(frame->WindowState(), skin::TSeWindowState::kwsNormal);
    EXPECT_EQ(form->contentsRect(), form->rect());
    form->CustomItem38Click(form->CustomItem38);
    EXPECT_FALSE(form->layoutCommands().isFullScreen());
    EXPECT_FALSE(frame->frameHidden());
    EXPECT_EQ(form->contentsRect(), frame->clientRect());
    EXPECT_EQ(form->SeSkinMenuBar1->pos(), frame->clientRect().topLeft());
    // Still a frameless window wearing our frame, not the window system's.
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST_F(MainFrame, RollingUpHidesThePanelsAndUnrollingKeepsTheirMarks) {
    skin::TSeSkinForm* frame = form->SeSkinForm1;
    const QRect normal = form->geometry();
    frame->Rollup();
    EXPECT_EQ(form->height(), frame->frameHeight());
    EXPECT_TRUE(form->Panel1->isHidden());
    frame->Restore();
    EXPECT_EQ(form->geometry(), normal);
    EXPECT_FALSE(form->Panel1->isHidden());
    EXPECT_FALSE(form->Panel2->isHidden());
    form->Timer3Timer();
    EXPECT_TRUE(form->CustomItem45->Checked());
}

TEST_F(MainFrame, TheAboutWindowWearsTheFrameAndItsCloseButtonEndsTheModalShow) {
    app::TForm2* about = form->Form2;
    skin::TSeSkinForm* frame = about->SeSkinForm1;
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isSkinned());
    EXPECT_EQ(about->contentsRect().size(), QSize(358, 204));
    EXPECT_EQ(about->size(), QSize(358, 204) + form->size() - form->contentsRect().size());
    int result = -1;
    QTimer::singleShot(0, about, [&] {
        QPoint close;
        frame->skinTree()->forEachInTree([&](skin::TSeSkinObject& o) {
            auto* b = dynamic_cast<skin::TSeSystemButton*>(&o);
            if (b && b->Action == skin::TSeAction::sbaClose && b->visible())
                close = b->boundsRect().center();
        });
        QTest::mouseClick(about, Qt::LeftButton, {}, close);
    });
    result = about->exec();
    EXPECT_EQ(result, 2);
    EXPECT_FALSE(about->isVisible());
}
