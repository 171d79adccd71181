// The splitter drawn through a skin engine, its default and bevelled looks, its cursor, and
// resizing controls on the far edges of a parent without a layout.

#include "skin/controls/TAlignLayout.h"
#include "skin/controls/TSeSkinSplitter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "skin/engine/TSeSkinEngine.h"
#include "tests/skin/progressbar/ControlSkins.h"

using namespace controlskins;
using skin::TAlign;
using skin::TAlignLayout;
using skin::TResizeStyle;
using skin::TSeSkinEngine;
using skin::TSeSkinSplitter;

namespace {

class SkinnedSplitter : public ::testing::Test {
protected:
    SkinnedSplitter() {
        for (Host* h : {&plain, &host}) {
            auto* layout = new TAlignLayout(&h->widget);
            auto* side = new QWidget(&h->widget);
            side->resize(100, 10);
            layout->addControl(side, TAlign::alLeft);
            auto* s = new TSeSkinSplitter(&h->widget);
            s->resize(6, 10);
            s->setMinSize(1);
            layout->addControl(s, TAlign::alLeft);
            layout->addControl(new QWidget(&h->widget), TAlign::alClient);
            (h == &plain ? plainSplitter : splitter) = s;
            if (h == &host)
                this->side = side;
            h->widget.show();
        }
    }
    void skinWith(const ControlSkinOptions& o = {}) {
        splitter->setSkinEngine(&engine);
        engine.setSkinFile(writeControlSkin(dir, QStringLiteral("p%1.kskn").arg(++files), o));
    }
    QTemporaryDir dir;
    int files = 0;
    TSeSkinEngine engine;
    Host plain, host;
    TSeSkinSplitter* plainSplitter = nullptr;
    TSeSkinSplitter* splitter = nullptr;
    QWidget* side = nullptr;
};

void drag(TSeSkinSplitter* s, int fromX, int toX) {
    QTest::mousePress(s, Qt::LeftButton, {}, QPoint(fromX, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(toX, 5), s->mapToGlobal(QPointF(toX, 5)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s, &move);
    QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(toX, 5));
}

} // namespace

TEST_F(SkinnedSplitter, ANewSplitterHasItsDefaults) {
    TSeSkinSplitter fresh;
    EXPECT_EQ(fresh.SkinObject(), "Splitter");
    EXPECT_EQ(fresh.Version(), "3.2.0");
    EXPECT_FALSE(fresh.Transparent());
    EXPECT_EQ(fresh.width(), 3);
    EXPECT_EQ(fresh.MinSize(), 30);
    EXPECT_TRUE(fresh.AutoSnap());
    EXPECT_FALSE(fresh.Beveled());
    EXPECT_EQ(fresh.ResizeStyle(), TResizeStyle::rsPattern);
    EXPECT_EQ(fresh.Align(), TAlign::alLeft);
    EXPECT_EQ(fresh.cursor().shape(), Qt::SplitHCursor);
}

TEST_F(SkinnedSplitter, WithoutItsObjectItLooksUnskinnedUntilASkinWithOneIsSet) {
    int paints = 0;
    splitter->OnPaint = [&](QObject* sender) {
        EXPECT_EQ(sender, splitter);
        ++paints;
    };
    // As in the player: the engine's skin has no "Splitter".
    skinWith({.splitter = false});
    EXPECT_FALSE(splitter->isSkinned());
    EXPECT_EQ(plain.area(plainSplitter), host.area(splitter));
    EXPECT_GT(paints, 0);

    skinWith();
    ASSERT_TRUE(splitter->isSkinned());
    const QRect all = splitter->rect();
    for (QPoint p : {all.topLeft(), all.bottomRight(), all.center()})
        EXPECT_EQ(host.at(splitter, p), kSplitterRgb & 0xFFFFFF);

    // Dragging works as before.
    drag(splitter, 2, 42);
    EXPECT_EQ(side->width(), 140);

    skinWith({.splitter = false});
    EXPECT_FALSE(splitter->isSkinned());
    EXPECT_EQ(plain.area(plainSplitter), host.area(splitter));
}

TEST_F(SkinnedSplitter, ABevelledSplitterFramesItselfInLightAndShadow) {
    const QRgb face = host.at(splitter, 3, 5);
    EXPECT_EQ(face, splitter->palette().color(QPalette::Button).rgb() & 0xFFFFFF);
    splitter->setBeveled(true);
    // Raised: a light frame one pixel right and down (columns 2 and 5 of 6), a shadow frame
    // one pixel left and up over it (columns 0 and 3).
    const QRgb light = splitter->palette().color(QPalette::Light).rgb() & 0xFFFFFF;
    const QRgb dark = splitter->palette().color(QPalette::Dark).rgb() & 0xFFFFFF;
    EXPECT_EQ(host.at(splitter, 5, 5), light);
    EXPECT_EQ(host.at(splitter, 2, 5), light);
    EXPECT_EQ(host.at(splitter, 0, 5), dark);
    EXPECT_EQ(host.at(splitter, 3, 5), dark);
    EXPECT_EQ(host.at(splitter, 4, 5), face);
}

TEST_F(SkinnedSplitter, TheSplittingCursorFollowsTheAlignmentButAChosenCursorStays) {
    splitter->setAlign(TAlign::alTop);
    EXPECT_EQ(splitter->cursor().shape(), Qt::SplitVCursor);
    splitter->setAlign(TAlign::alRight);
    EXPECT_EQ(splitter->cursor().shape(), Qt::SplitHCursor);
    splitter->setCursor(Qt::PointingHandCursor);
    splitter->setAlign(TAlign::alBottom);
    EXPECT_EQ(splitter->cursor().shape(), Qt::PointingHandCursor);
}

TEST(SplitterWithoutLayout, ControlsOnTheFarEdgesKeepThatEdgeWhenResized) {
    QWidget parent;
    parent.resize(300, 200);
    auto* right = new QWidget(&parent);
    right->setGeometry(200, 0, 100, 200);
    skin::setAlign(right, TAlign::alRight);
    auto* splitter = new TSeSkinSplitter(&parent);
    splitter->setGeometry(196, 0, 4, 200);
    splitter->setAlign(TAlign::alRight);
    splitter->setMinSize(10);
    parent.show();
    // Dragging left by 30 pixels widens the control at the right towards the splitter.
    drag(splitter, 2, -28);
    EXPECT_EQ(right->geometry(), QRect(170, 0, 130, 200));

    auto* bottom = new QWidget(&parent);
    bottom->setGeometry(0, 150, 300, 50);
    skin::setAlign(bottom, TAlign::alBottom);
    auto* across = new TSeSkinSplitter(&parent);
    across->setGeometry(0, 146, 300, 4);
    across->setAlign(TAlign::alBottom);
    across->setMinSize(10);
    right->hide();
    splitter->hide();
    bottom->show();
    across->show();
    QTest::mousePress(across, Qt::LeftButton, {}, QPoint(5, 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 22), across->mapToGlobal(QPointF(5, 22)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(across, &move);
    QTest::mouseRelease(across, Qt::LeftButton, {}, QPoint(5, 22));
    EXPECT_EQ(bottom->geometry(), QRect(0, 170, 300, 30));
}

TEST_F(SkinnedSplitter, AnEngineThatGoesAwayLeavesTheDefaultLook) {
    auto owned = std::make_unique<TSeSkinEngine>();
    splitter->setSkinEngine(owned.get());
    owned->setSkinFile(writeControlSkin(dir, QStringLiteral("gone.kskn")));
    ASSERT_TRUE(splitter->isSkinned());
    owned.reset();
    EXPECT_FALSE(splitter->isSkinned());
    EXPECT_EQ(plain.area(plainSplitter), host.area(splitter));
}
