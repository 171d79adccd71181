#include "ScriptFixture.h"

namespace quarvel::test {
namespace {

class BitmapDataTest : public ScriptFixture {
protected:
    Value bitmap(std::vector<Value> args) {
        return make("flash.display.BitmapData", std::move(args));
    }
    Value rect(int x, int y, int w, int h) {
        return make("flash.geom.Rectangle", {Value(x), Value(y), Value(w), Value(h)});
    }
    Value point(int x, int y) { return make("flash.geom.Point", {Value(x), Value(y)}); }
    double px32(const Value& b, int x, int y) {
        return num(call(b, "getPixel32", {Value(x), Value(y)}));
    }
};

TEST_F(BitmapDataTest, SizeAndDefaults) {
    const Value b = bitmap({Value(10), Value(20), Value(false)});
    EXPECT_EQ(num(get(b, "width")), 10);
    EXPECT_EQ(num(get(b, "height")), 20);
    EXPECT_FALSE(get(b, "transparent").boolean());
    EXPECT_EQ(str(get(b, "rectangle")), "(x=0, y=0, w=10, h=20)");
    EXPECT_EQ(px32(b, 0, 0), -1) << "white unless told otherwise";
    set(b, "width", Value(100));
    EXPECT_EQ(num(get(b, "width")), 10);
}

TEST_F(BitmapDataTest, RefusedSizesMakeNoPixels) {
    for (auto [w, h] : {std::pair{0, 10}, {2881, 10}, {10, 2881}, {-5, -5}}) {
        const Value b = bitmap({Value(w), Value(h)});
        EXPECT_EQ(num(get(b, "width")), -1) << w << "x" << h;
        call(b, "fillRect", {rect(0, 0, 5, 5), Value(0)});
        call(b, "noise", {Value(1)});
    }
    EXPECT_EQ(num(get(bitmap({Value(2880), Value(2880)}), "width")), 2880);
    Vm ten(10, &host);
    auto sized = [&](int w, int h) {
        const Value ctor = ten.getMember(
            ten.getMember(ten.getMember(Value(ten.global()), "flash"), "display"), "BitmapData");
        const std::vector<Value> args{Value(w), Value(h)};
        return ten.toNumber(ten.getMember(ten.construct(ctor, args), "width"));
    };
    EXPECT_EQ(sized(8191, 2), 8191);
    EXPECT_EQ(sized(8192, 2), -1);
    EXPECT_EQ(sized(8191, 8191), -1) << "over the pixel count";
}

TEST_F(BitmapDataTest, PixelsReadBackAsFlashStoresThem) {
    const Value b = bitmap({Value(4), Value(4), Value(true), Value(0)});
    call(b, "setPixel32", {Value(0), Value(0), Value(0x80ffffffu * 1.0)});
    EXPECT_EQ(px32(b, 0, 0), -2130706433);
    call(b, "setPixel", {Value(0), Value(0), Value(0xBBBBBB)});
    EXPECT_EQ(px32(b, 0, 0), -2135180357) << "setPixel keeps the alpha";
    EXPECT_EQ(num(call(b, "getPixel", {Value(0), Value(0)})), 0xBBBBBB);
    call(b, "setPixel32", {Value(1), Value(0), Value(0x00ffffff)});
    EXPECT_EQ(px32(b, 1, 0), 0) << "a fully transparent pixel has no colour";
    EXPECT_EQ(px32(b, 100, 100), 0);
    call(b, "setPixel32", {Value(-1), Value(2), Value(1)}); // ignored, outside

    const Value opaque = bitmap({Value(2), Value(2), Value(false)});
    call(opaque, "setPixel32", {Value(0), Value(0), Value(0x00ffffff)});
    EXPECT_EQ(px32(opaque, 0, 0), -1) << "opaque pictures ignore alpha";
}

TEST_F(BitmapDataTest, FillCopyAndClone) {
    const Value a = bitmap({Value(4), Value(4), Value(true), Value(0xFF000000u * 1.0)});
    call(a, "fillRect", {rect(1, 1, 2, 2), Value(0xFF121212u * 1.0)});
    call(a, "fillRect", {rect(-10, -10, 100, 1), Value(0xFFFFFFFFu * 1.0)}); // clipped
    EXPECT_EQ(px32(a, 1, 1), -15592942);
    EXPECT_EQ(px32(a, 3, 3), static_cast<int32_t>(0xFF000000u));
    const Value b = bitmap({Value(4), Value(4), Value(true), Value(0)});
    call(b, "copyPixels", {a, rect(1, 1, 2, 2), point(2, 2)});
    EXPECT_EQ(px32(b, 2, 2), -15592942);
    EXPECT_EQ(px32(b, 3, 3), -15592942);
    EXPECT_EQ(px32(b, 1, 1), 0);
    // Onto itself, overlapping: the source is read as it was.
    call(a, "copyPixels", {a, rect(0, 0, 4, 4), point(1, 0)});
    EXPECT_EQ(px32(a, 2, 1), -15592942);
    EXPECT_EQ(px32(a, 1, 1), static_cast<int32_t>(0xFF000000u));

    const Value copy = call(a, "clone");
    call(a, "fillRect", {get(a, "rectangle"), Value(0)});
    EXPECT_EQ(px32(copy, 2, 1), -15592942) << "a clone has its own pixels";
    call(copy, "dispose");
    EXPECT_EQ(num(get(copy, "width")), -1);
    EXPECT_EQ(num(call(copy, "getPixel", {Value(0), Value(0)})), -1);
}

TEST_F(BitmapDataTest, FloodFillStaysInsideItsRegion) {
    const Value b = bitmap({Value(300), Value(300), Value(false), Value(0xFFFFFFFFu * 1.0)});
    call(b, "fillRect", {rect(100, 0, 1, 300), Value(0xFF000000u * 1.0)});
    call(b, "floodFill", {Value(5), Value(5), Value(0xFFFF0000u * 1.0)});
    EXPECT_EQ(num(call(b, "getPixel", {Value(99), Value(299)})), 0xFF0000);
    EXPECT_EQ(num(call(b, "getPixel", {Value(100), Value(5)})), 0);
    EXPECT_EQ(num(call(b, "getPixel", {Value(200), Value(5)})), 0xFFFFFF);
    // A fill whose colour reads back as the old one must end.
    const Value t = bitmap({Value(50), Value(50), Value(true), Value(0)});
    call(t, "floodFill", {Value(0), Value(0), Value(0x00FF0000)});
}

TEST_F(BitmapDataTest, NoiseIsRepeatableAndRespectsRange) {
    const Value a = bitmap({Value(16), Value(16)});
    const Value b = bitmap({Value(16), Value(16)});
    call(a, "noise", {Value(42), Value(10), Value(20), Value(7), Value(true)});
    call(b, "noise", {Value(42), Value(10), Value(20), Value(7), Value(true)});
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const auto p = static_cast<uint32_t>(static_cast<int32_t>(px32(a, x, y)));
            ASSERT_EQ(p, static_cast<uint32_t>(static_cast<int32_t>(px32(b, x, y))));
            const int r = (p >> 16) & 255;
            ASSERT_GE(r, 10);
            ASSERT_LE(r, 20);
            ASSERT_EQ(r, (p >> 8) & 255) << "grey";
            ASSERT_EQ(p >> 24, 255u);
        }
}

TEST_F(BitmapDataTest, ColorTransformOnARegion) {
    const Value b = bitmap({Value(2), Value(1), Value(false), Value(0xFF808080u * 1.0)});
    const Value ct = make("flash.geom.ColorTransform", {Value(0.5), Value(1), Value(1), Value(1),
                                                        Value(0), Value(10), Value(0), Value(0)});
    call(b, "colorTransform", {rect(0, 0, 1, 1), ct});
    EXPECT_EQ(num(call(b, "getPixel", {Value(0), Value(0)})), 0x408A80);
    EXPECT_EQ(num(call(b, "getPixel", {Value(1), Value(0)})), 0x808080);
}

} // namespace
} // namespace quarvel::test
