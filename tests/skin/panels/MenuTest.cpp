// Menus built from menu entries: structure, states kept in step, separators, and the keyboard
// inside an open menu.

#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinMenuBar.h"
#include "skin/controls/TSeSkinPopupMenu.h"

#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

using skin::TSeSkinItem;

namespace {

QStringList texts(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

bool waitVisible(QWidget* w, bool visible) {
    for (int i = 0; i < 100 && w->isVisible() != visible; ++i)
        QTest::qWait(10);
    return w->isVisible() == visible;
}

} // namespace

TEST(MenuBar, ShowsTheRootsEntriesWithTheirSubMenus) {
    QWidget window;
    auto* bar = new skin::TSeSkinMenuBar(&window);
    TSeSkinItem* file = bar->Items()->Add(QStringLiteral("文件"));
    file->Add(QStringLiteral("打开(O)"));
    file->Add(QStringLiteral("-"));
    TSeSkinItem* quit = file->Add(QStringLiteral("退出(Esc)"));
    TSeSkinItem* view = bar->Items()->Add(QStringLiteral("界面"));
    TSeSkinItem* dock = view->Add(QStringLiteral("控制区归位"));
    dock->Add(QStringLiteral("左归位(&L)"));
    bar->rebuild();
    ASSERT_EQ(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions()[0]->text(), QStringLiteral("文件"));
    QMenu* fileMenu = bar->actions()[0]->menu();
    ASSERT_NE(fileMenu, nullptr);
    EXPECT_EQ(texts(fileMenu), (QStringList{QStringLiteral("打开(O)"), QStringLiteral("-"),
                                            QStringLiteral("退出(Esc)")}));
    EXPECT_EQ(bar->sizeHint().height(), 21);

    // States reach the shown menus at once, sub-menus included.
    quit->setEnabled(false);
    EXPECT_FALSE(fileMenu->actions()[2]->isEnabled());
    dock->setEnabled(false);
    EXPECT_FALSE(view->subMenu()->actions()[0]->isEnabled());
    dock->setVisible(false);
    EXPECT_FALSE(view->subMenu()->actions()[0]->isVisible());
    quit->setChecked(true);
    EXPECT_TRUE(fileMenu->actions()[2]->isChecked());
    // Entries added later appear too.
    file->Add(QStringLiteral("网络下载．．．"));
    EXPECT_EQ(fileMenu->actions().size(), 4);
}

TEST(MenuItem, ClickRunsTheHandlerOnlyWhenEnabled) {
    TSeSkinItem root;
    int clicks = 0;
    TSeSkinItem* item = root.Add(QStringLiteral("高"), [&](QObject* sender) {
        EXPECT_EQ(sender, item);
        ++clicks;
    });
    item->Click();
    item->action()->trigger();
    EXPECT_EQ(clicks, 2);
    item->setEnabled(false);
    item->Click();
    EXPECT_EQ(clicks, 2);
    // An entry without handler is inert.
    root.Add(QStringLiteral("到文件尾(E)"))->Click();
}

class OpenMenu : public ::testing::Test {
protected:
    void SetUp() override {
        popup.Items()->Add(QStringLiteral("放大(↑)"), [&](QObject*) { log << "zoom"; });
        popup.Items()->Add(QStringLiteral("-"));
        TSeSkinItem* disabled =
            popup.Items()->Add(QStringLiteral("抓图"), [&](QObject*) { log << "grab"; });
        disabled->setEnabled(false);
        sub = popup.Items()->Add(QStringLiteral("控制区归位"));
        sub->Add(QStringLiteral("左归位(&L)"), [&](QObject*) { log << "left"; });
        sub->Add(QStringLiteral("右归位(&R)"), [&](QObject*) { log << "right"; });
        popup.Popup(100, 100);
        ASSERT_TRUE(waitVisible(popup.menu(), true));
    }

    skin::TSeSkinPopupMenu popup;
    TSeSkinItem* sub = nullptr;
    QStringList log;
};

TEST_F(OpenMenu, EnterPerformsTheSelectedEntry) {
    QTest::keyClick(popup.menu(), Qt::Key_Down);
    EXPECT_EQ(popup.menu()->activeAction()->text(), QStringLiteral("放大(↑)"));
    QTest::keyClick(popup.menu(), Qt::Key_Return);
    EXPECT_EQ(log, QStringList{QStringLiteral("zoom")});
    EXPECT_TRUE(waitVisible(popup.menu(), false));
}

TEST_F(OpenMenu, UpAndDownSkipSeparatorsAndDisabledEntries) {
    QTest::keyClick(popup.menu(), Qt::Key_Down);
    QTest::keyClick(popup.menu(), Qt::Key_Down);
    EXPECT_EQ(popup.menu()->activeAction()->text(), QStringLiteral("控制区归位"));
}

TEST_F(OpenMenu, RightOpensASubMenuEscapeClosesOnlyIt) {
    QTest::keyClick(popup.menu(), Qt::Key_Up);
    ASSERT_EQ(popup.menu()->activeAction()->text(), QStringLiteral("控制区归位"));
    QTest::keyClick(popup.menu(), Qt::Key_Right);
    QMenu* subMenu = sub->subMenu();
    ASSERT_TRUE(waitVisible(subMenu, true));
    QTest::keyClick(subMenu, Qt::Key_Escape);
    EXPECT_TRUE(waitVisible(subMenu, false));
    EXPECT_TRUE(popup.menu()->isVisible());
    QTest::keyClick(popup.menu(), Qt::Key_Escape);
    EXPECT_TRUE(waitVisible(popup.menu(), false));
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(OpenMenu, AcceleratorKeyPerformsItsEntry) {
    QTest::keyClick(popup.menu(), Qt::Key_Up);
    QTest::keyClick(popup.menu(), Qt::Key_Right);
    ASSERT_TRUE(waitVisible(sub->subMenu(), true));
    QTest::keyClick(sub->subMenu(), Qt::Key_R);
    EXPECT_EQ(log, QStringList{QStringLiteral("right")});
    EXPECT_TRUE(waitVisible(popup.menu(), false));
}

TEST_F(OpenMenu, AltOrF10ClosesEveryLevel) {
    for (Qt::Key key : {Qt::Key_Alt, Qt::Key_F10}) {
        if (!popup.menu()->isVisible()) {
            popup.Popup(100, 100);
            ASSERT_TRUE(waitVisible(popup.menu(), true));
        }
        QTest::keyClick(popup.menu(), Qt::Key_Up);
        QTest::keyClick(popup.menu(), Qt::Key_Right);
        ASSERT_TRUE(waitVisible(sub->subMenu(), true));
        QTest::keyClick(sub->subMenu(), key);
        EXPECT_TRUE(waitVisible(sub->subMenu(), false));
        EXPECT_TRUE(waitVisible(popup.menu(), false));
    }
    EXPECT_TRUE(log.isEmpty());
}

TEST(PopupMenu, OnPopupRunsBeforeTheMenuOpens) {
    skin::TSeSkinPopupMenu popup;
    popup.Items()->Add(QStringLiteral("退出(Esc)"));
    bool wasOpen = true;
    popup.OnPopup = [&](QObject*) { wasOpen = popup.isOpen(); };
    popup.Popup(QPoint(10, 10));
    EXPECT_FALSE(wasOpen);
    EXPECT_TRUE(waitVisible(popup.menu(), true));
    popup.close();
}
