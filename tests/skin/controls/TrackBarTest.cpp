#include "skin/controls/TSeSkinTrackBar.h"

#include <QTest>
#include <gtest/gtest.h>

using skin::TSeSkinTrackBar;

namespace {

struct ChangeCounter {
    int changes = 0;
    std::vector<int> positions;
    void attach(TSeSkinTrackBar& bar) {
        bar.OnChange = [this, &bar](QObject* sender) {
            EXPECT_EQ(sender, &bar);
            ++changes;
            positions.push_back(bar.Position());
        };
    }
};

} // namespace

TEST(TrackBar, PositionIsClampedAndEveryChangeIsReportedOnce) {
    TSeSkinTrackBar bar;
    ChangeCounter counter;
    counter.attach(bar);
    EXPECT_EQ(bar.Position(), 3); // a new bar starts at 3 within 0..10
    bar.setPosition(3);
    EXPECT_EQ(counter.changes, 0);
    bar.setPosition(25);
    EXPECT_EQ(bar.Position(), 10);
    bar.setPosition(-4);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(counter.positions, (std::vector<int>{10, 0}));
}

TEST(TrackBar, ClampingToTheSameValueStillRaisesChange) {
    TSeSkinTrackBar bar;
    bar.setPosition(10);
    ChangeCounter counter;
    counter.attach(bar);
    bar.setPosition(11); // differs from 10, clamps back to 10
    EXPECT_EQ(bar.Position(), 10);
    EXPECT_EQ(counter.changes, 1);
}

TEST(TrackBar, MaxIsIgnoredWhenEqualOrNotAboveMinAndPullsPositionDown) {
    TSeSkinTrackBar bar;
    bar.setMin(0);
    bar.setMax(255);
    bar.setPosition(200);
    bar.setMax(0);
    EXPECT_EQ(bar.Max(), 255);
    bar.setMax(-5);
    EXPECT_EQ(bar.Max(), 255);
    ChangeCounter counter;
    counter.attach(bar);
    bar.setMax(100);
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Position(), 100);
    EXPECT_EQ(counter.changes, 1);
    bar.setMax(100);
    EXPECT_EQ(counter.changes, 1);
    bar.setMin(100); // not below Max: ignored
    EXPECT_EQ(bar.Min(), 0);
    bar.setMin(50);
    bar.setPosition(50);
    bar.setMin(60);
    EXPECT_EQ(bar.Position(), 60);
}

TEST(TrackBar, PixelMappingSnapsToFrequency) {
    TSeSkinTrackBar bar;
    bar.resize(150, 45);
    bar.setMax(100);
    bar.setFrequency(5);
    // Find pixels that compute raw values 13 and 12 and check the snapping rule.
    const int usable = 150 - 2 * TSeSkinTrackBar::kEndMargin - TSeSkinTrackBar::kThumbLength;
    auto pixelFor = [&](int value) {
        return TSeSkinTrackBar::kEndMargin + TSeSkinTrackBar::kThumbLength / 2 +
               static_cast<int>(std::lround(value * usable / 100.0));
    };
    EXPECT_EQ(bar.pixelToPosition(pixelFor(13)), 15);
    EXPECT_EQ(bar.pixelToPosition(pixelFor(12)), 10);
    EXPECT_EQ(bar.pixelToPosition(-50), 0);
    EXPECT_EQ(bar.pixelToPosition(10'000), 100);
}

TEST(TrackBar, DraggingToTheFarEndGivesExactlyMax) {
    TSeSkinTrackBar bar;
    bar.resize(150, 45);
    bar.setMax(255);
    bar.setPosition(0);
    bar.show();
    const QPoint thumb(bar.positionToPixel(0), 20);
    QTest::mousePress(&bar, Qt::LeftButton, {}, thumb);
    ASSERT_TRUE(bar.isDragging());
    QTest::mouseMove(&bar, QPoint(400, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(400, 20), bar.mapToGlobal(QPointF(400, 20)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&bar, &move);
    EXPECT_EQ(bar.Position(), 255);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(400, 20));
    EXPECT_FALSE(bar.isDragging());
}

TEST(TrackBar, PressBesideTheThumbPagesTowardsTheCursor) {
    TSeSkinTrackBar bar;
    bar.resize(150, 45);
    bar.setPosition(5);
    bar.show();
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(bar.positionToPixel(10), 20));
    EXPECT_EQ(bar.Position(), 7);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(bar.positionToPixel(0), 20));
    EXPECT_EQ(bar.Position(), 5);
}

TEST(TrackBar, KeysMoveByLineAndPage) {
    TSeSkinTrackBar bar;
    bar.setPosition(5);
    QTest::keyClick(&bar, Qt::Key_PageDown);
    EXPECT_EQ(bar.Position(), 7);
    QTest::keyClick(&bar, Qt::Key_Left);
    EXPECT_EQ(bar.Position(), 6);
    QTest::keyClick(&bar, Qt::Key_End);
    EXPECT_EQ(bar.Position(), 10);
    QTest::keyClick(&bar, Qt::Key_Home);
    EXPECT_EQ(bar.Position(), 0);
    QTest::keyClick(&bar, Qt::Key_Up);
    EXPECT_EQ(bar.Position(), 0);
}

TEST(TrackBar, MouseEventsReachTheHandlers) {
    TSeSkinTrackBar bar;
    bar.resize(150, 45);
    bar.show();
    int downs = 0, moves = 0, ups = 0;
    bar.OnMouseDown = [&](auto...) { ++downs; };
    bar.OnMouseMove = [&](auto...) { ++moves; };
    bar.OnMouseUp = [&](auto...) { ++ups; };
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(70, 20));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(70, 20));
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);
    QMouseEvent move(QEvent::MouseMove, QPointF(30, 20), bar.mapToGlobal(QPointF(30, 20)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&bar, &move);
    EXPECT_EQ(moves, 1);
}
