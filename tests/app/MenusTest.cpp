// The menu bar and the movie menu: every entry in its order, the inert ones, the hidden
// full-screen entry, the tool bar's buttons and the menu state timer.

#include "AppFixture.h"
#include "app/DockPanel.h"
#include "playlist/FileDialog.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinMenuBar.h"
#include "skin/controls/TSeSkinPopupMenu.h"
#include "skin/controls/TSeSkinSpeedButton.h"

#include <QContextMenuEvent>
#include <QMenu>

using namespace apptest;
using skin::TSeSkinItem;

namespace {

// The entries as an indented outline: "caption" or "caption *" when it has a handler.
void outline(const TSeSkinItem* item, int depth, QStringList& out) {
    for (int i = 0; i < item->Count(); ++i) {
        const TSeSkinItem* e = item->Items(i);
        out << QString(depth * 2, u' ') + e->Caption() +
                   (e->OnClick ? QStringLiteral(" *") : QString());
        outline(e, depth + 1, out);
    }
}

QStringList outline(const TSeSkinItem* root) {
    QStringList out;
    outline(root, 0, out);
    return out;
}

class Menus : public AppTest {};

} // namespace

TEST_F(Menus, TheMenuBarHoldsEveryEntryInOrder) {
    const QStringList expected = {"文件",
                                  "  打开(O) *",
                                  "  打开Internet上文件(I) *",
                                  "  将EXE换成SWF文件(C) *",
                                  "  网络下载．．． *",
                                  "  退出(Esc) *",
                                  "界面",
                                  "  显示工具栏(F2) *",
                                  "  显示主控区(F3) *",
                                  "  显示播放列表(F4) *",
                                  "  显示音频控制区(F5) *",
                                  "  显示视频控制区(F6) *",
                                  "  显示进度控制区(F7) *",
                                  "  控制区归位",
                                  "    左归位(&L) *",
                                  "    右归位(&R) *",
                                  "控制",
                                  "  进度控制",
                                  "    快进(Pd) *",
                                  "    快退(Pu) *",
                                  "    到文件头(H) *",
                                  "    到文件尾(E)",
                                  "    跳转到(J)...",
                                  "  视频控制",
                                  "    放大(↑) *",
                                  "    缩小(↓) *",
                                  "    画面质量",
                                  "      高 *",
                                  "      中 *",
                                  "      低 *",
                                  "  音频控制",
                                  "    音量增大(+)",
                                  "    音量减小(-)",
                                  "  播放控制",
                                  "    单个文件循环 *",
                                  "    随机循环 *",
                                  "帮助",
                                  "  关于(A)... *"};
    EXPECT_EQ(outline(form->SeSkinMenuBar1->Items()), expected);
    ASSERT_EQ(form->SeSkinMenuBar1->actions().size(), 4);
    EXPECT_EQ(form->SeSkinMenuBar1->actions()[3]->text(), QStringLiteral("帮助"));
}

TEST_F(Menus, TheMovieMenuHoldsEveryEntryInOrder) {
    const QStringList expected = {
        "视频控制",        "  放大(↑) *",  "  缩小(↓) *",     "  全屏(F) *",     "  抓图 *",
        "  多画面 *",      "音频控制",     "  增大音量(+) *", "  减小音量(-) *", "进度控制",
        "  快进(Pd) *",    "  快退(Pu) *", "  从头播放(H) *", "  到文件尾(E)",   "  播放/暂停(P) *",
        "  停止播放(S) *", "退出(Esc) *"};
    EXPECT_EQ(outline(form->SeSkinPopupMenu1->Items()), expected);
    EXPECT_FALSE(form->CustomItem38->Visible());
    EXPECT_FALSE(form->CustomItem38->action()->isVisible());
}

TEST_F(Menus, SharedHandlersDoTheSameFromBothMenus) {
    calls.clear();
    TSeSkinItem* popupZoom = form->SeSkinPopupMenu1->Items()->Items(0)->Items(0);
    popupZoom->Click();
    form->CustomItem25->Click();
    ASSERT_EQ(callsOf(flash::DISPID_Zoom).size(), 2u);
    EXPECT_EQ(callsOf(flash::DISPID_Zoom)[0], callsOf(flash::DISPID_Zoom)[1]);
}

TEST_F(Menus, ToolBarButtonsRunTheirCommands) {
    std::vector<QString> seen;
    // The conversion button shares the menu entry's handler: its dialog asks for projectors.
    struct Cancel : playlist::FileDialogProvider {
        QStringList* filters;
        std::optional<QStringList> run(const playlist::FileDialogRequest& r) override {
            *filters << r.filter;
            return std::nullopt;
        }
    } cancel;
    QStringList filters;
    cancel.filters = &filters;
    form->OpenDialog1().setProvider(&cancel);
    form->SaveDialog1().setProvider(&cancel);
    QTest::mouseClick(form->SeSkinSpeedButton3, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseClick(form->SeSkinSpeedButton7, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseClick(form->SeSkinSpeedButton1, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    ASSERT_EQ(filters.size(), 3);
    EXPECT_EQ(filters[0], QStringLiteral(".Exe|*.exe"));
    EXPECT_EQ(filters[1], QStringLiteral(".bmp|*.bmp"));
    EXPECT_EQ(filters[2], QStringLiteral(".swf|*.swf"));
}

TEST_F(Menus, TheMoviePanelOpensTheMovieMenu) {
    const QPoint at(20, 20);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, form->Panel1->mapToGlobal(at));
    QApplication::sendEvent(form->Panel1, &event);
    ASSERT_TRUE(waitFor([&] { return form->SeSkinPopupMenu1->isOpen(); }, 1000));
    EXPECT_EQ(form->SeSkinPopupMenu1->menu()->pos(), form->Panel1->mapToGlobal(at));
    form->SeSkinPopupMenu1->close();
}

TEST_F(Menus, MenuStateTimerKeepsTheDockEntryAndTheF3Mark) {
    EXPECT_FALSE(form->CustomItem54->Enabled());
    form->Panel2->hide();
    form->Timer3Timer();
    EXPECT_FALSE(form->CustomItem45->Checked());
    form->Panel2->show();
    form->Panel2->undock(QPoint(700, 100));
    form->Timer3Timer();
    EXPECT_TRUE(form->CustomItem54->Enabled());
    EXPECT_TRUE(form->CustomItem45->Checked());
    form->CustomItem55->Click();
    form->Timer3Timer();
    EXPECT_FALSE(form->CustomItem54->Enabled());
}
