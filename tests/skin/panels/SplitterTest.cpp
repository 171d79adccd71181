// The splitter between an edge-aligned control and the rest: drag sizes, the minimum and the
// snap to zero, finding a collapsed control again, Escape, vetoes and inert alignments.

#include "skin/controls/TAlignLayout.h"
#include "skin/controls/TSeSkinSplitter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

using skin::TAlign;
using skin::TAlignLayout;
using skin::TSeSkinSplitter;

namespace {

class Splitter : public ::testing::Test {
protected:
    void SetUp() override {
        host.resize(595, 300);
        layout = new TAlignLayout(&host);
        side = new QWidget(&host);
        side->resize(181, 10);
        layout->addControl(side, TAlign::alLeft);
        splitter = new TSeSkinSplitter(&host);
        splitter->resize(4, 10);
        splitter->setMinSize(1);
        layout->addControl(splitter, TAlign::alLeft);
        rest = new QWidget(&host);
        layout->addControl(rest, TAlign::alClient);
        host.show();
    }

    void move(int x, int y = 10) {
        QMouseEvent e(QEvent::MouseMove, QPointF(x, y), splitter->mapToGlobal(QPointF(x, y)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(splitter, &e);
    }
    void drag(int dx) {
        QTest::mousePress(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(1, 10));
        move(1 + dx);
        QTest::mouseRelease(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(1 + dx, 10));
    }

    QWidget host;
    TAlignLayout* layout = nullptr;
    QWidget* side = nullptr;
    TSeSkinSplitter* splitter = nullptr;
    QWidget* rest = nullptr;
};

} // namespace

TEST_F(Splitter, DraggingResizesTheControlBesideIt) {
    EXPECT_EQ(splitter->findControl(), side);
    EXPECT_EQ(splitter->cursor().shape(), Qt::SplitHCursor);
    int moved = 0;
    splitter->OnMoved = [&](QObject*) { ++moved; };
    QTest::mousePress(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(1, 10));
    EXPECT_TRUE(splitter->isDragging());
    move(51);
    // The line shows the new edge; the control keeps its size until the release.
    EXPECT_TRUE(splitter->isLineVisible());
    EXPECT_EQ(splitter->lineRect().x(), 181 + 50);
    EXPECT_EQ(side->width(), 181);
    QTest::mouseRelease(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(51, 10));
    EXPECT_FALSE(splitter->isLineVisible());
    EXPECT_EQ(side->width(), 231);
    EXPECT_EQ(splitter->x(), 231);
    EXPECT_EQ(rest->geometry(), QRect(235, 0, 595 - 235, 300));
    EXPECT_GE(moved, 1);
}

TEST_F(Splitter, SizeIsHeldBelowTheRoomLeftForTheOthers) {
    drag(2000);
    // Client width less MinSize less the aligned widths, plus the control's own width.
    EXPECT_EQ(side->width(), 595 - 1 - (181 + 4) + 181);
}

TEST_F(Splitter, SmallSizesSnapToZeroAndTheCollapsedControlIsFoundAgain) {
    drag(-180); // would leave 1 pixel: at MinSize it snaps away
    EXPECT_EQ(side->width(), 0);
    EXPECT_EQ(splitter->x(), 0);
    EXPECT_EQ(splitter->findControl(), side);
    drag(120);
    EXPECT_EQ(side->width(), 120);
}

TEST_F(Splitter, WithoutAutoSnapTheMinimumHolds) {
    splitter->setAutoSnap(false);
    splitter->setMinSize(30);
    drag(-500);
    EXPECT_EQ(side->width(), 30);
}

TEST_F(Splitter, EscapeEndsTheDragAndKeepsTheSize) {
    int moved = 0;
    splitter->OnMoved = [&](QObject*) { ++moved; };
    // Escape must not reach anyone else while it cancels the drag.
    int escapesSeen = 0;
    struct Watch : QObject {
        int* seen;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::KeyPress &&
                static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape)
                ++*seen;
            return false;
        }
    } watch;
    watch.seen = &escapesSeen;
    rest->installEventFilter(&watch);
    rest->setFocusPolicy(Qt::StrongFocus);
    rest->setFocus();
    QTest::mousePress(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(1, 10));
    move(80);
    ASSERT_TRUE(splitter->isLineVisible());
    QTest::keyClick(rest, Qt::Key_Escape);
    EXPECT_FALSE(splitter->isDragging());
    EXPECT_FALSE(splitter->isLineVisible());
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(escapesSeen, 0);
    QTest::mouseRelease(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(80, 10));
    EXPECT_EQ(side->width(), 181);
    // Other keys pass while a drag runs; Escape passes again afterwards.
    QTest::keyClick(rest, Qt::Key_Escape);
    EXPECT_EQ(escapesSeen, 1);
}

TEST_F(Splitter, CanResizeMayVetoOrChangeTheSize) {
    splitter->OnCanResize = [](QObject*, int& size, bool& accept) {
        if (size > 250)
            accept = false;
        else
            size = 100;
    };
    drag(150); // 331: refused, the size stays
    EXPECT_EQ(side->width(), 181);
    drag(20); // 201 becomes 100
    EXPECT_EQ(side->width(), 100);
}

TEST_F(Splitter, UpdateStyleResizesWhileDragging) {
    splitter->setResizeStyle(skin::TResizeStyle::rsUpdate);
    QTest::mousePress(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(1, 10));
    move(21);
    EXPECT_EQ(side->width(), 201);
    EXPECT_FALSE(splitter->isLineVisible());
    QTest::mouseRelease(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(1, 10));
    EXPECT_EQ(side->width(), 201);
}

TEST_F(Splitter, RightAlignedSplitterResizesTheControlAtTheRight) {
    skin::setAlign(side, TAlign::alRight);
    splitter->setAlign(TAlign::alRight);
    EXPECT_EQ(side->geometry(), QRect(595 - 181, 0, 181, 300));
    EXPECT_EQ(splitter->geometry(), QRect(595 - 185, 0, 4, 300));
    EXPECT_EQ(splitter->findControl(), side);
    drag(-40); // dragging left widens the right-hand control
    EXPECT_EQ(side->width(), 221);
    EXPECT_EQ(splitter->x(), 595 - 225);
}

TEST_F(Splitter, ClientOrUnalignedSplittersAreInert) {
    for (TAlign a : {TAlign::alClient, TAlign::alNone}) {
        splitter->setAlign(a);
        splitter->setGeometry(181, 0, 4, 300);
        EXPECT_EQ(splitter->findControl(), nullptr);
        drag(50);
        EXPECT_EQ(side->width(), 181);
        EXPECT_FALSE(splitter->isDragging());
    }
}

TEST_F(Splitter, TopSplitterTakesTheVerticalCursorAndResizesHeights) {
    QWidget box;
    box.resize(200, 300);
    auto* l = new TAlignLayout(&box);
    auto* top = new QWidget(&box);
    top->resize(10, 100);
    l->addControl(top, TAlign::alTop);
    auto* s = new TSeSkinSplitter(&box);
    s->resize(10, 4);
    s->setAlign(TAlign::alTop);
    l->addControl(s, TAlign::alTop);
    box.show();
    EXPECT_EQ(s->cursor().shape(), Qt::SplitVCursor);
    EXPECT_EQ(s->findControl(), top);
    QTest::mousePress(s, Qt::LeftButton, Qt::NoModifier, QPoint(5, 1));
    QMouseEvent e(QEvent::MouseMove, QPointF(5, 31), s->mapToGlobal(QPointF(5, 31)), Qt::NoButton,
                  Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s, &e);
    QTest::mouseRelease(s, Qt::LeftButton, Qt::NoModifier, QPoint(5, 31));
    EXPECT_EQ(top->height(), 130);
    EXPECT_EQ(s->y(), 130);
}
