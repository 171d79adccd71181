#include "skin/controls/TSeSkinStatusBar.h"

#include <gtest/gtest.h>

using skin::TSeSkinStatusBar;

TEST(StatusBar, SameTextCostsNoRepaint) {
    TSeSkinStatusBar bar;
    bar.Panels().Add().setWidth(100);
    bar.Panels()[0].setText(QStringLiteral("已停止"));
    const int before = bar.repaintRequests();
    bar.Panels()[0].setText(QStringLiteral("已停止"));
    EXPECT_EQ(bar.repaintRequests(), before);
    bar.Panels()[0].setText(QStringLiteral("已装载：42 %"));
    EXPECT_EQ(bar.repaintRequests(), before + 1);
    EXPECT_EQ(bar.Panels()[0].Text(), QStringLiteral("已装载：42 %"));
}

TEST(StatusBar, WidthIsNeverNegativeNorAboveTheMaximum) {
    TSeSkinStatusBar bar;
    auto& panel = bar.Panels().Add();
    panel.setWidth(-20);
    EXPECT_EQ(panel.Width(), 0);
    panel.setMaxWidth(300);
    panel.setWidth(500);
    EXPECT_EQ(panel.Width(), 300);
}

TEST(StatusBar, PanelsAreLaidOutLeftToRight) {
    TSeSkinStatusBar bar;
    for (int w : {100, 500, 50})
        bar.Panels().Add().setWidth(w);
    bar.resize(700, 20);
    EXPECT_EQ(bar.panelRect(0), QRect(0, 0, 100, 20));
    EXPECT_EQ(bar.panelRect(1), QRect(100, 0, 500, 20));
    EXPECT_EQ(bar.panelRect(2), QRect(600, 0, 50, 20));
}
