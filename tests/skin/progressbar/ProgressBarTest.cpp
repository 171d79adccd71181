#include "skin/controls/TSeSkinProgressBar.h"

#include <QEvent>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

using skin::TSeBarOrientation;
using skin::TSeSkinProgressBar;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// A bar whose content is 100 x 10 pixels (the border takes 2 on every side).
void makeHundredByTen(TSeSkinProgressBar& bar) {
    bar.resize(104, 14);
}

} // namespace

TEST(ProgressBar, DefaultsOfANewBar) {
    TSeSkinProgressBar bar;
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(bar.Orientation(), TSeBarOrientation::kboHorizontal);
    EXPECT_TRUE(bar.ShowBorder());
    EXPECT_EQ(bar.BorderWidth(), 0);
    EXPECT_FALSE(bar.Smooth());
    EXPECT_TRUE(bar.Transparent());
    EXPECT_EQ(bar.SkinObject(), "ProgressBar");
    EXPECT_EQ(bar.size(), QSize(140, 16));
}

TEST(ProgressBar, FractionAndPositionOutsideTheRange) {
    TSeSkinProgressBar bar;
    EXPECT_FLOAT_EQ(bar.fraction(50), 0.5f);
    EXPECT_FLOAT_EQ(bar.fraction(100), 1.0f);
    EXPECT_EQ(bar.fraction(101), 0.0f);
    EXPECT_EQ(bar.fraction(-1), 0.0f);
    bar.setPosition(150);
    EXPECT_EQ(bar.Position(), 150);
    EXPECT_TRUE(bar.barRect().isEmpty());
    bar.setMax(0);
    for (int v : {-5, 0, 5})
        EXPECT_EQ(bar.fraction(v), 0.0f);
    bar.setMin(-10);
    bar.setMax(10);
    EXPECT_EQ(bar.fraction(5), 0.0f);
    // The download sets a maximum of 0 for a body of unknown length.
    bar.setMin(0);
    bar.setMax(0);
    bar.setPosition(12345);
    EXPECT_TRUE(bar.barRect().isEmpty());
    EXPECT_TRUE(bar.blockRects().isEmpty());
}

TEST(ProgressBar, RepaintsAtOnceOnlyWhenTheFractionChanges) {
    TSeSkinProgressBar bar;
    bar.setSmooth(true);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    QCoreApplication::processEvents();
    bar.setPosition(10);
    PaintCounter counter(bar);
    bar.setPosition(10);
    EXPECT_EQ(counter.paints, 0);
    bar.setPosition(11);
    EXPECT_EQ(counter.paints, 1); // painted synchronously, no event loop needed
    bar.setPosition(500);
    EXPECT_EQ(counter.paints, 2); // 0.11 -> empty
    bar.setPosition(600);
    EXPECT_EQ(counter.paints, 2); // still empty: nothing to repaint
    EXPECT_EQ(bar.Position(), 600);
}

TEST(ProgressBar, BlocksOfTheNonSmoothBar) {
    TSeSkinProgressBar bar;
    makeHundredByTen(bar);
    ASSERT_EQ(bar.contentRect(), QRect(2, 2, 100, 10));
    bar.setPosition(50);
    const auto blocks = bar.blockRects();
    ASSERT_EQ(blocks.size(), 7); // blocks 0 to 6 of 12 whole ones, 6 wide at a pitch of 8
    for (int i = 0; i < blocks.size(); ++i)
        EXPECT_EQ(blocks[i], QRect(2 + 8 * i, 2, 6, 10)) << i;

    bar.setMax(1000);
    bar.setPosition(9); // below 1 %
    EXPECT_TRUE(bar.blockRects().isEmpty());

    bar.setMax(100);
    bar.setPosition(100);
    const auto full = bar.blockRects();
    ASSERT_EQ(full.size(), 13);
    EXPECT_EQ(full.last(), QRect(98, 2, 4, 10)); // clipped to the content

    bar.setOrientation(TSeBarOrientation::kboVertical);
    bar.resize(14, 104);
    bar.setPosition(50);
    const auto vertical = bar.blockRects();
    ASSERT_EQ(vertical.size(), 7);
    EXPECT_EQ(vertical.first(), QRect(2, 96, 10, 6)); // from the bottom edge up
}

TEST(ProgressBar, SmoothBarGeometryRoundsHalvesToEven) {
    TSeSkinProgressBar bar;
    makeHundredByTen(bar);
    bar.setSmooth(true);
    bar.setPosition(50);
    EXPECT_EQ(bar.barRect(), QRect(2, 2, 50, 10));
    bar.setMax(8);
    bar.setPosition(1); // 12.5 px rounds to 12
    EXPECT_EQ(bar.barRect().width(), 12);
    bar.setPosition(3); // 37.5 px rounds to 38
    EXPECT_EQ(bar.barRect().width(), 38);
    bar.setShowBorder(false);
    bar.setBorderWidth(3);
    EXPECT_EQ(bar.contentRect(), QRect(3, 3, 98, 8));
    bar.setOrientation(TSeBarOrientation::kboVertical);
    bar.resize(20, 100);
    bar.setMax(100);
    bar.setPosition(25);
    EXPECT_EQ(bar.barRect(), QRect(3, 73, 14, 24));
}

TEST(ProgressBar, DrawsTheBarInTheHighlightColourOverTheBackground) {
    TSeSkinProgressBar bar;
    makeHundredByTen(bar);
    bar.setColor(QColor(200, 200, 200));
    QPalette palette = bar.palette();
    palette.setColor(QPalette::Highlight, QColor(0, 0, 255));
    bar.setPalette(palette);
    bar.setPosition(50);
    QImage image = bar.grab().toImage();
    EXPECT_EQ(image.pixelColor(4, 6), QColor(0, 0, 255));      // inside block 0
    EXPECT_EQ(image.pixelColor(8, 6), QColor(200, 200, 200));  // the gap after it
    EXPECT_EQ(image.pixelColor(80, 6), QColor(200, 200, 200)); // beyond the last block
    bar.setSmooth(true);
    image = bar.grab().toImage();
    EXPECT_EQ(image.pixelColor(8, 6), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(60, 6), QColor(200, 200, 200));
}
