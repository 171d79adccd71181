// Edge alignment: the order of the passes, stacking, hidden controls and changes of size.

#include "skin/controls/TAlignLayout.h"

#include <QFrame>
#include <gtest/gtest.h>

using skin::TAlign;
using skin::TAlignLayout;

TEST(AlignLayout, TopAndBottomTakeTheFullWidthLeftAndRightWhatRemains) {
    QFrame host;
    host.setFrameStyle(QFrame::Box | QFrame::Plain);
    host.setLineWidth(1);
    host.resize(595, 391);
    auto* layout = new TAlignLayout(&host);
    auto make = [&](TAlign a, QSize s) {
        auto* w = new QWidget(&host);
        w->resize(s);
        layout->addControl(w, a);
        return w;
    };
    QWidget* menu = make(TAlign::alTop, {10, 21});
    QWidget* tools = make(TAlign::alTop, {10, 29});
    QWidget* status = make(TAlign::alBottom, {10, 22});
    QWidget* left = make(TAlign::alLeft, {181, 10});
    QWidget* split = make(TAlign::alLeft, {4, 10});
    QWidget* client = make(TAlign::alClient, {1, 1});
    host.show();
    // Inside the one-pixel border.
    EXPECT_EQ(menu->geometry(), QRect(1, 1, 593, 21));
    EXPECT_EQ(tools->geometry(), QRect(1, 22, 593, 29));
    EXPECT_EQ(status->geometry(), QRect(1, 391 - 1 - 22, 593, 22));
    EXPECT_EQ(left->geometry(), QRect(1, 51, 181, 391 - 1 - 22 - 51));
    EXPECT_EQ(split->geometry(), QRect(182, 51, 4, left->height()));
    EXPECT_EQ(client->geometry(), QRect(186, 51, 593 - 185, left->height()));

    tools->hide();
    EXPECT_EQ(left->y(), 22);
    tools->show();
    EXPECT_EQ(left->y(), 51);
    // A control that changes its own size moves the others at once.
    left->resize(100, left->height());
    EXPECT_EQ(split->x(), 101);
    EXPECT_EQ(client->x(), 105);
    // Re-aligning moves it to the other edge.
    skin::setAlign(left, TAlign::alRight);
    EXPECT_EQ(left->geometry().right(), 593);
    EXPECT_EQ(split->x(), 1);
    EXPECT_EQ(skin::alignOf(left), TAlign::alRight);
    // Unaligned controls are left where they are.
    skin::setAlign(client, TAlign::alNone);
    client->setGeometry(5, 6, 7, 8);
    host.resize(600, 400);
    EXPECT_EQ(client->geometry(), QRect(5, 6, 7, 8));
}

TEST(AlignLayout, AControlLeavingTheParentLeavesTheLayout) {
    QWidget host;
    host.resize(300, 200);
    auto* layout = new TAlignLayout(&host);
    auto* a = new QWidget(&host);
    a->resize(50, 10);
    layout->addControl(a, TAlign::alLeft);
    auto* b = new QWidget(&host);
    layout->addControl(b, TAlign::alClient);
    host.show();
    EXPECT_EQ(b->x(), 50);
    QWidget other;
    a->setParent(&other);
    EXPECT_EQ(layout->count(), 1);
    layout->realign();
    EXPECT_EQ(b->geometry(), QRect(0, 0, 300, 200));
}
