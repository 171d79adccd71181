// The unskinned progress bar in the desktop theme's look: the style's groove over the whole
// bar and its chunk over exactly the filled part.

#include <QApplication>
#include <QStyle>
#include <gtest/gtest.h>

#include "skin/controls/TSeSkinProgressBar.h"

using namespace skin;

TEST(ThemedProgressBar, TheStyleDrawsGrooveAndChunkOverTheBarRectangle) {
    TSeSkinProgressBar bar;
    bar.resize(140, 16);
    bar.setSmooth(true);
    bar.setThemedLook(TSeThemedLook::Always);
    bar.setPosition(0);
    const QImage empty = bar.grab().toImage();
    bar.setPosition(50);
    const QImage half = bar.grab().toImage();
    const QRect filled = bar.barRect();
    ASSERT_EQ(filled.width(), 68);
    // The chunk lies inside the filled part only.
    int changedInside = 0, changedOutside = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 140; ++x) {
            const bool differs = empty.pixel(x, y) != half.pixel(x, y);
            (filled.contains(x, y) ? changedInside : changedOutside) += differs;
        }
    EXPECT_GT(changedInside, filled.width() * filled.height() / 2);
    EXPECT_EQ(changedOutside, 0);
    // The classic look differs: a sunken frame and the plain highlight.
    bar.setThemedLook(TSeThemedLook::Never);
    const QImage classic = bar.grab().toImage();
    EXPECT_EQ(classic.pixelColor(10, 8), bar.palette().color(QPalette::Highlight));
    EXPECT_NE(classic, half);
    // Automatic follows the desktop: Qt's own Fusion look counts as classic.
    bar.setThemedLook(TSeThemedLook::Automatic);
    EXPECT_EQ(themedLook(TSeThemedLook::Automatic), visualThemesActive());
    if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0) {
        EXPECT_FALSE(visualThemesActive());
    }
}
