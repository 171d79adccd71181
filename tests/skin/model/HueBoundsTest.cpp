// Hue offsets of any int value: reduced to one turn, never overflowing, whatever the start.
#include <gtest/gtest.h>

#include <climits>

#include "skin/model/HueShift.h"
#include "skin/model/SkinColors.h"
#include "skin/model/TSeSkinObject.h"
#include "skin/model/TSeSkinSource.h"

using namespace skin;

TEST(HueBounds, OffsetsBeyondOneTurnActLikeTheirRemainder) {
    EXPECT_EQ(reduceHueDelta(INT_MAX), 127);
    EXPECT_EQ(reduceHueDelta(INT_MIN), -128);
    EXPECT_EQ(reduceHueDelta(254), 254);
    EXPECT_EQ(reduceHueDelta(-254), -254);
    EXPECT_EQ(reduceHueDelta(255), 0);
    EXPECT_EQ(reduceHueDelta(static_cast<long long>(INT_MIN) - INT_MAX), 0);

    const Rgb colours[] = {{255, 0, 0}, {12, 200, 99}, {250, 250, 10}, {3, 4, 250}};
    for (const Rgb c : colours) {
        EXPECT_EQ(shiftHue(c, INT_MAX), shiftHue(c, 127));
        EXPECT_EQ(shiftHue(c, INT_MIN), shiftHue(c, -128));
        EXPECT_EQ(shiftHue(c, INT_MAX - 254), shiftHue(c, INT_MAX % 255 - 254 + 255));
        EXPECT_EQ(shiftHue(c, 255 * 1000 + 10), shiftHue(c, 10));
        EXPECT_EQ(shiftHue(c, -255 * 1000 - 10), shiftHue(c, -10));
    }
    EXPECT_EQ(shiftPixelHue(0xFF00FF00, INT_MAX), shiftPixelHue(0xFF00FF00, 127));
    EXPECT_EQ(shiftPixelHue(kKeyPixel, INT_MIN), kKeyPixel);
}

TEST(HueBounds, TheFirstWrapOfANearlyFullTurnStillLandsOnTheCircle) {
    // Red sits at step 0, so -254 takes it to 1 (one wrap by 255) and 254 to 254.
    EXPECT_EQ(shiftHue({255, 0, 0}, -254), shiftHue({255, 0, 0}, 1));
    // Step 255 of a hue just below full red plus 254 wraps once to 254.
    const Rgb nearlyRed = shiftHue({255, 0, 0}, 254);
    EXPECT_EQ(shiftHue(nearlyRed, 254), shiftHue({255, 0, 0}, 253));
}

TEST(HueBounds, TheSourceGoesBetweenTheExtremesWithoutOverflow) {
    TSeSkinSource s;
    auto b = std::make_unique<TSeBitmap>("p", 2, 1);
    b->setPixel(0, 0, 0xFFFF0000);
    b->setPixel(1, 0, kKeyPixel);
    s.addBitmap(std::move(b));
    auto o = std::make_unique<TSeSkinObject>();
    o->Color = rgbColor(255, 0, 0);
    TSeSkinObject& obj = s.addObject(std::move(o));

    s.setHue(INT_MAX);
    const std::uint32_t atMax = s.bitmaps()[0]->pixel(0, 0);
    EXPECT_EQ(atMax, shiftPixelHue(0xFFFF0000, 127));
    const Rgb red127 = shiftHue(Rgb{255, 0, 0}, 127);
    EXPECT_EQ(obj.Color, rgbColor(red127.r, red127.g, red127.b));
    EXPECT_EQ(s.appliedHue(), INT_MAX);

    // INT_MIN - INT_MAX does not fit an int; it is a whole number of turns, so nothing moves.
    s.setHue(INT_MIN);
    EXPECT_EQ(s.appliedHue(), INT_MIN);
    EXPECT_EQ(s.requestedHue(), INT_MIN);
    EXPECT_EQ(s.bitmaps()[0]->pixel(0, 0), atMax);
    EXPECT_EQ(s.bitmaps()[0]->pixel(1, 0), kKeyPixel);

    // 0 - INT_MIN does not fit either: 2^31 is 128 past a whole number of turns.
    s.setHue(0);
    EXPECT_EQ(s.bitmaps()[0]->pixel(0, 0), shiftPixelHue(atMax, 128));
    EXPECT_EQ(s.appliedHue(), 0);
}
