// The track bar drawn through a skin engine (its parts, the thumb's states and the thumb size
// the skin gives), its default look's ticks and highlighted interval, and bad values that
// must neither crash nor overflow.

#include "skin/controls/TSeSkinTrackBar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <climits>
#include <gtest/gtest.h>
#include <memory>

#include "skin/engine/TSeSkinEngine.h"
#include "tests/skin/progressbar/ControlSkins.h"

using namespace controlskins;
using skin::TIntervalHighlight;
using skin::TSePerformance;
using skin::TSeSkinEngine;
using skin::TSeSkinTrackBar;
using skin::TTickMark;
using skin::TTrackBarOrientation;

namespace {

class SkinnedTrackBar : public ::testing::Test {
protected:
    SkinnedTrackBar() {
        plainBar = new TSeSkinTrackBar(&plain.widget);
        bar = new TSeSkinTrackBar(&host.widget);
        for (TSeSkinTrackBar* b : {plainBar, bar}) {
            b->setGeometry(10, 10, 150, 45);
            b->setFocusPolicy(Qt::NoFocus); // the focus look is not what these tests compare
        }
        plain.widget.show();
        host.widget.show();
    }
    void skinWith(const ControlSkinOptions& o = {}) {
        bar->setSkinEngine(&engine);
        engine.setSkinFile(writeControlSkin(dir, QStringLiteral("t%1.kskn").arg(++files), o));
    }
    void moveTo(QPoint p, Qt::MouseButtons held = Qt::NoButton) {
        QMouseEvent e(QEvent::MouseMove, QPointF(p), bar->mapToGlobal(QPointF(p)), Qt::NoButton,
                      held, Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &e);
    }
    QRgb thumbPixel() { return host.at(bar, bar->thumbRect().center()); }
    QTemporaryDir dir;
    int files = 0;
    TSeSkinEngine engine;
    Host plain, host;
    TSeSkinTrackBar* plainBar;
    TSeSkinTrackBar* bar;
};

} // namespace

TEST_F(SkinnedTrackBar, ANewBarHasItsDefaults) {
    TSeSkinTrackBar fresh;
    EXPECT_EQ(fresh.size(), QSize(150, 45));
    EXPECT_EQ(fresh.SkinObject(), "TrackBar");
    EXPECT_EQ(fresh.Performance(), TSePerformance::kspDoubleBuffer);
    EXPECT_EQ(fresh.Version(), "3.2.0");
    EXPECT_EQ(fresh.TickMarks(), TTickMark::tmBottomRight);
    EXPECT_EQ(fresh.IntervalHighlightType(), TIntervalHighlight::htNone);
    EXPECT_TRUE(fresh.TabStop());
    EXPECT_EQ(fresh.Frequency(), 1);
    EXPECT_EQ(fresh.thumbLength(), TSeSkinTrackBar::kThumbLength);
    EXPECT_FALSE(fresh.isSkinned());
}

TEST_F(SkinnedTrackBar, WithoutItsObjectItLooksUnskinnedUntilASkinWithOneIsSet) {
    // As in the player: an engine whose skin has no "TrackBar".
    skinWith({.trackBar = false});
    EXPECT_FALSE(bar->isSkinned());
    EXPECT_EQ(plain.area(plainBar), host.area(bar));

    skinWith();
    ASSERT_TRUE(bar->isSkinned());
    EXPECT_EQ(host.at(bar, 0, 0), kTrackFrameRgb & 0xFFFFFF);
    const QRect track = bar->trackRect();
    EXPECT_EQ(track.height(), kTrackThickness);
    EXPECT_EQ(host.at(bar, track.right(), track.center().y()), kTrackRgb & 0xFFFFFF);
    EXPECT_EQ(thumbPixel(), rgb(sqThumb));

    skinWith({.trackBar = false});
    EXPECT_FALSE(bar->isSkinned());
    EXPECT_EQ(plain.area(plainBar), host.area(bar));
}

TEST_F(SkinnedTrackBar, TheSkinsThumbSetsTheThumbAndTheMapping) {
    skinWith();
    ASSERT_EQ(bar->thumbLength(), kThumbLength);
    EXPECT_EQ(bar->thumbRect().size(), QSize(kThumbLength, kThumbThickness));
    // 150 - 2 * 2 - 15 = 131 pixels of travel for 10 steps.
    EXPECT_EQ(bar->positionToPixel(0), 7 + 2);
    EXPECT_EQ(bar->positionToPixel(10), 7 + 2 + 131);
    EXPECT_EQ(bar->pixelToPosition(7 + 2 + 131), 10);
    // Dragging to the far end still gives exactly Max.
    bar->setMax(255);
    bar->setPosition(0);
    QTest::mousePress(bar, Qt::LeftButton, {}, bar->thumbRect().center());
    ASSERT_TRUE(bar->isDragging());
    moveTo(QPoint(400, 20), Qt::LeftButton);
    EXPECT_EQ(bar->Position(), 255);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(400, 20));
}

TEST_F(SkinnedTrackBar, TheThumbShowsHotPressedFocusedAndDisabled) {
    skinWith();
    const QPoint centre = bar->thumbRect().center();
    moveTo(centre);
    ASSERT_TRUE(bar->isThumbHot());
    EXPECT_EQ(thumbPixel(), rgb(sqThumbHot));
    QTest::mousePress(bar, Qt::LeftButton, {}, centre);
    EXPECT_EQ(thumbPixel(), rgb(sqThumbPressed));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, centre);
    EXPECT_EQ(thumbPixel(), rgb(sqThumbHot));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(bar, &leave);
    bar->clearFocus(); // the press took it
    EXPECT_EQ(thumbPixel(), rgb(sqThumb));

    bar->setFocusPolicy(Qt::StrongFocus);
    QApplication::setActiveWindow(&host.widget);
    bar->setFocus();
    ASSERT_TRUE(bar->hasFocus());
    EXPECT_EQ(thumbPixel(), rgb(sqThumbFocused));
    bar->setEnabled(false);
    EXPECT_EQ(thumbPixel(), rgb(sqThumbDisabled));
}

TEST_F(SkinnedTrackBar, VerticalBarsAndTheHighlightedInterval) {
    skinWith();
    bar->setIntervalHighlightType(TIntervalHighlight::htLowInterval);
    bar->setPosition(5);
    const QRect track = bar->trackRect();
    const int at = bar->positionToPixel(5);
    EXPECT_EQ(host.at(bar, track.left() + 1, track.center().y()), kHighlightRgb & 0xFFFFFF);
    EXPECT_EQ(host.at(bar, track.right() - 1, track.center().y()), kTrackRgb & 0xFFFFFF);
    bar->setIntervalHighlightType(TIntervalHighlight::htHighInterval);
    EXPECT_EQ(host.at(bar, track.left() + 1, track.center().y()), kTrackRgb & 0xFFFFFF);
    EXPECT_EQ(host.at(bar, track.right() - 1, track.center().y()), kHighlightRgb & 0xFFFFFF);
    EXPECT_GT(at, track.left());

    bar->setGeometry(10, 10, 45, 150);
    bar->setOrientation(TTrackBarOrientation::toVertical);
    EXPECT_EQ(bar->thumbRect().size(), QSize(kThumbThickness, kThumbLength));
    EXPECT_EQ(bar->trackRect().width(), kTrackThickness);
    EXPECT_EQ(thumbPixel(), rgb(sqThumb));
}

TEST_F(SkinnedTrackBar, TicksFollowTickMarksInBothLooks) {
    for (TSeSkinTrackBar* b : {plainBar, bar})
        b->setFrequency(5);
    const QColor dark = bar->palette().color(QPalette::Dark);
    const int first = bar->positionToPixel(0);
    EXPECT_EQ(host.at(bar, first, 44), dark.rgb() & 0xFFFFFF);
    EXPECT_NE(host.at(bar, first, 0), dark.rgb() & 0xFFFFFF);
    bar->setTickMarks(TTickMark::tmTopLeft);
    EXPECT_EQ(host.at(bar, first, 0), dark.rgb() & 0xFFFFFF);
    EXPECT_NE(host.at(bar, first, 44), dark.rgb() & 0xFFFFFF);
    bar->setTickMarks(TTickMark::tmBoth);
    EXPECT_EQ(host.at(bar, first, 0), dark.rgb() & 0xFFFFFF);
    EXPECT_EQ(host.at(bar, first, 44), dark.rgb() & 0xFFFFFF);
    // Three ticks for 0, 5 and 10, none between.
    EXPECT_EQ(host.at(bar, bar->positionToPixel(5), 44), dark.rgb() & 0xFFFFFF);
    EXPECT_NE(host.at(bar, bar->positionToPixel(3), 44), dark.rgb() & 0xFFFFFF);
    bar->setShowTicks(false);
    EXPECT_NE(host.at(bar, first, 44), dark.rgb() & 0xFFFFFF);

    // Skinned: the "Tick" part.
    bar->setShowTicks(true);
    skinWith({.tick = true});
    EXPECT_EQ(host.at(bar, bar->positionToPixel(10), 44), kTickRgb & 0xFFFFFF);
    EXPECT_EQ(host.at(bar, bar->positionToPixel(10), 0), kTickRgb & 0xFFFFFF);
}

TEST_F(SkinnedTrackBar, HugeRangesAndStepsNeitherOverflowNorEscapeTheRange) {
    bar->setMin(INT_MIN);
    bar->setMax(INT_MAX);
    bar->setPageSize(INT_MAX);
    bar->setLineSize(INT_MIN);
    bar->setPosition(INT_MAX - 1);
    QTest::keyClick(bar, Qt::Key_PageDown);
    EXPECT_EQ(bar->Position(), INT_MAX);
    QTest::keyClick(bar, Qt::Key_Right); // a negative line size moves the other way
    EXPECT_EQ(bar->Position(), 0 - 1);
    QTest::keyClick(bar, Qt::Key_Left);
    EXPECT_EQ(bar->Position(), INT_MAX);
    bar->setPosition(INT_MIN);
    QTest::keyClick(bar, Qt::Key_PageUp);
    EXPECT_EQ(bar->Position(), INT_MIN);
    EXPECT_EQ(bar->pixelToPosition(10'000), INT_MAX);
    EXPECT_EQ(bar->pixelToPosition(-10'000), INT_MIN);
    const int middle = bar->positionToPixel(0);
    EXPECT_NEAR(middle, 75, 1);
    bar->setFrequency(0);
    EXPECT_EQ(bar->Frequency(), 1);
    bar->setFrequency(-3);
    EXPECT_EQ(bar->Frequency(), 1);
    // Painting such a bar draws no ticks per value.
    bar->repaint();
}

TEST_F(SkinnedTrackBar, ATinyBarStillMapsIntoItsRange) {
    skinWith();
    bar->resize(4, 4);
    EXPECT_LE(bar->thumbLength(), 4);
    for (int p : {-5, 0, 2, 4, 100}) {
        const int v = bar->pixelToPosition(p);
        EXPECT_GE(v, bar->Min());
        EXPECT_LE(v, bar->Max());
    }
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_GE(bar->Position(), 0);
    EXPECT_LE(bar->Position(), 10);
}

TEST_F(SkinnedTrackBar, AnEngineThatGoesAwayLeavesTheDefaultLook) {
    auto owned = std::make_unique<TSeSkinEngine>();
    bar->setSkinEngine(owned.get());
    owned->setSkinFile(writeControlSkin(dir, QStringLiteral("gone.kskn")));
    ASSERT_TRUE(bar->isSkinned());
    ASSERT_EQ(bar->thumbLength(), kThumbLength);
    owned.reset();
    EXPECT_FALSE(bar->isSkinned());
    EXPECT_EQ(bar->thumbLength(), TSeSkinTrackBar::kThumbLength);
    EXPECT_EQ(plain.area(plainBar), host.area(bar));
}
