// Blend modes and filters: single pixels worked out here by hand or with plain floating-point
// arithmetic, against what the renderer makes of them.

#include "swf/Player.h"
#include "swf/display/MovieClip.h"
#include "swf/display/Stage.h"
#include "swf/format/Filters.h"
#include "swf/format/MovieLoader.h"
#include "swf/format/Reader.h"
#include "swf/render/BlendComposite.h"
#include "swf/render/BoxDivision.h"
#include "swf/render/FilterRenderer.h"
#include "tests/support/SwfWriter.h"
#include "tests/swf/render/TwoSquareSprite.h"

#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

using swf::BlendComposite;
using swf::BlendMode;
using swf::Filter;
using swf::FilterRenderer;
using testsupport::BitWriter;
using testsupport::PlaceSpec;
using testsupport::SwfWriter;

namespace {

::testing::AssertionResult near(QRgb actual, QRgb expected, int tolerance = 1) {
    const int d[] = {qRed(actual) - qRed(expected), qGreen(actual) - qGreen(expected),
                     qBlue(actual) - qBlue(expected), qAlpha(actual) - qAlpha(expected)};
    for (int v : d)
        if (std::abs(v) > tolerance)
            return ::testing::AssertionFailure()
                   << "got " << qRed(actual) << "," << qGreen(actual) << "," << qBlue(actual) << ","
                   << qAlpha(actual) << " expected " << qRed(expected) << "," << qGreen(expected)
                   << "," << qBlue(expected) << "," << qAlpha(expected);
    return ::testing::AssertionSuccess();
}

// The separable blend of the compositing literature on values 0..1, premultiplied in and out.
QRgb reference(QRgb s, QRgb d, double (*b)(double, double)) {
    const double sa = qAlpha(s) / 255.0, da = qAlpha(d) / 255.0;
    const auto ch = [&](int si, int di) {
        const double sc = si / 255.0, dc = di / 255.0;
        const double su = sa > 0 ? sc / sa : 0, du = da > 0 ? dc / da : 0;
        const double v = sc * (1 - da) + dc * (1 - sa) + sa * da * b(du, su);
        return static_cast<int>(std::lround(v * 255));
    };
    const int a = static_cast<int>(std::lround((sa + da - sa * da) * 255));
    return qRgba(ch(qRed(s), qRed(d)), ch(qGreen(s), qGreen(d)), ch(qBlue(s), qBlue(d)), a);
}

} // namespace

TEST(BlendModes, OpaquePixelsFollowEachModesArithmetic) {
    const QRgb s = qRgb(255, 128, 0), d = qRgb(128, 128, 128);
    EXPECT_TRUE(near(BlendComposite::blend(s, d, BlendMode::Multiply), qRgb(128, 64, 0)));
    EXPECT_TRUE(near(BlendComposite::blend(s, d, BlendMode::Screen), qRgb(255, 192, 128)));
    EXPECT_TRUE(near(BlendComposite::blend(s, d, BlendMode::Lighten), qRgb(255, 128, 128)));
    EXPECT_TRUE(near(BlendComposite::blend(s, d, BlendMode::Darken), qRgb(128, 128, 0)));
    EXPECT_TRUE(near(BlendComposite::blend(s, d, BlendMode::Difference), qRgb(127, 0, 128)));
    EXPECT_TRUE(near(BlendComposite::blend(s, d, BlendMode::Add), qRgb(255, 255, 128)));
    EXPECT_TRUE(near(BlendComposite::blend(s, d, BlendMode::Subtract), qRgb(0, 0, 128)));
    EXPECT_TRUE(near(BlendComposite::blend(s, d, BlendMode::Invert), qRgb(127, 127, 127)));
    EXPECT_TRUE(near(BlendComposite::blend(s, d, BlendMode::Normal), s));
    EXPECT_TRUE(near(BlendComposite::blend(s, d, BlendMode::Layer), s));
    // Overlay decides by the destination (just above half here), hard light by the source.
    EXPECT_TRUE(near(BlendComposite::blend(s, d, BlendMode::Overlay), qRgb(255, 129, 1)));
    EXPECT_TRUE(near(BlendComposite::blend(s, d, BlendMode::Hardlight), qRgb(255, 129, 0)));
}

TEST(BlendModes, TranslucentSourcesMatchTheSeparableFormula) {
    const QRgb s = qPremultiply(qRgba(200, 40, 90, 128));
    const QRgb d = qPremultiply(qRgba(60, 220, 150, 200));
    struct Case {
        BlendMode mode;
        double (*b)(double, double); // (destination, source)
    };
    const Case cases[] = {
        {BlendMode::Multiply, [](double dc, double sc) { return dc * sc; }},
        {BlendMode::Screen, [](double dc, double sc) { return dc + sc - dc * sc; }},
        {BlendMode::Lighten, [](double dc, double sc) { return std::max(dc, sc); }},
        {BlendMode::Darken, [](double dc, double sc) { return std::min(dc, sc); }},
        {BlendMode::Difference, [](double dc, double sc) { return std::abs(dc - sc); }},
        {BlendMode::Overlay,
         [](double dc, double sc) {
             return dc <= 0.5 ? 2 * sc * dc : 1 - 2 * (1 - sc) * (1 - dc);
         }},
        {BlendMode::Hardlight,
         [](double dc, double sc) {
             return sc <= 0.5 ? 2 * sc * dc : 1 - 2 * (1 - sc) * (1 - dc);
         }},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(near(BlendComposite::blend(s, d, c.mode), reference(s, d, c.b), 2))
            << "mode " << static_cast<int>(c.mode);
}

TEST(BlendModes, AlphaAndEraseKeepOrCutTheDestination) {
    const QRgb d = qRgb(200, 100, 50);
    const QRgb half = qPremultiply(qRgba(10, 20, 30, 128));
    // Alpha keeps 128/255 of what lies beneath, erase the other 127/255.
    EXPECT_TRUE(near(BlendComposite::blend(half, d, BlendMode::Alpha), qRgba(100, 50, 25, 128)));
    EXPECT_TRUE(near(BlendComposite::blend(half, d, BlendMode::Erase), qRgba(100, 50, 25, 127)));
    // Where alpha's source is empty nothing beneath remains; erase leaves it whole.
    EXPECT_EQ(BlendComposite::blend(0, d, BlendMode::Alpha), 0u);
    EXPECT_EQ(BlendComposite::blend(0, d, BlendMode::Erase), d);
}

TEST(BlendModes, InvertOverAnEmptyLayerIsWhiteAndOverHalfAlphaMixes) {
    // Inside a layer nothing may lie beneath yet: the inverse of nothing shows white.
    EXPECT_TRUE(
        near(BlendComposite::blend(qRgb(10, 20, 30), 0, BlendMode::Invert), qRgb(255, 255, 255)));
    // Half a source over an opaque grey of 200: half of 55 and half of 200.
    EXPECT_TRUE(near(BlendComposite::blend(qPremultiply(qRgba(0, 0, 0, 128)), qRgb(200, 200, 200),
                                           BlendMode::Invert),
                     qRgb(127, 127, 127)));
}

TEST(BlendModes, CompositeRefusesPicturesItCannotWriteAndClipsToTheTarget) {
    QImage layer(4, 4, QImage::Format_ARGB32_Premultiplied);
    layer.fill(qRgb(50, 50, 50));
    QImage indexed(8, 8, QImage::Format_Indexed8);
    EXPECT_FALSE(BlendComposite::composite(indexed, QPoint(0, 0), layer, BlendMode::Add));
    QImage target(8, 8, QImage::Format_RGB32);
    target.fill(qRgb(100, 100, 100));
    // Partly outside on both sides: no write outside the target.
    ASSERT_TRUE(BlendComposite::composite(target, QPoint(6, -2), layer, BlendMode::Add));
    EXPECT_EQ(target.pixel(6, 0), qRgb(150, 150, 150));
    EXPECT_EQ(target.pixel(7, 1), qRgb(150, 150, 150));
    EXPECT_EQ(target.pixel(6, 2), qRgb(100, 100, 100));
    EXPECT_EQ(target.pixel(5, 0), qRgb(100, 100, 100));
}

namespace {

std::shared_ptr<swf::Movie> load(const QByteArray& file) {
    auto r = swf::loadMovie(file);
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().message.toStdString());
    return r.ok() ? r.value() : nullptr;
}

QImage render(SwfWriter& w, int size = 100) {
    swf::Player player(load(w.finish()));
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::magenta);
    QPainter painter(&img);
    swf::RenderOptions o;
    o.quality = swf::RenderQuality::Low;
    player.render(painter, QRectF(0, 0, size, size), o);
    return img;
}

void fixed16(BitWriter& w, double v) {
    w.u32(static_cast<uint32_t>(static_cast<int32_t>(std::lround(v * 65536))));
}

void f32(BitWriter& w, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    w.u32(bits);
}

QByteArray blurFilter(double x, double y, int passes) {
    BitWriter w;
    w.u8(1);
    w.u8(1);
    fixed16(w, x);
    fixed16(w, y);
    w.u8(static_cast<uint8_t>(passes << 3));
    return w.data();
}

// Drop shadow (distance > 0) or glow (distance 0, written as a glow record).
QByteArray shadowFilter(QColor c, double blur, double angle, double distance, double strength,
                        bool inner, bool knockout, bool composite, int passes) {
    BitWriter w;
    w.u8(1);
    const bool glow = distance == 0;
    w.u8(glow ? 2 : 0);
    w.rgba(c);
    fixed16(w, blur);
    fixed16(w, blur);
    if (!glow) {
        fixed16(w, angle);
        fixed16(w, distance);
    }
    w.u16(static_cast<uint16_t>(std::lround(strength * 256)));
    w.u8(static_cast<uint8_t>((inner ? 0x80 : 0) | (knockout ? 0x40 : 0) | (composite ? 0x20 : 0) |
                              passes));
    return w.data();
}

// A 40x40 red square at (30, 30) on white, placed with the filter list given.
QImage filteredSquare(const QByteArray& filters, QColor colour = Qt::red) {
    SwfWriter w(100, 100, 12);
    w.setBackgroundColor(Qt::white);
    w.defineRectShape(1, QRect(0, 0, 40, 40), colour);
    PlaceSpec p;
    p.depth = 1;
    p.characterId = 1;
    p.matrix = QTransform::fromTranslate(600, 600);
    p.filters = filters;
    w.placeObject(p);
    w.showFrame();
    return render(w);
}

} // namespace

TEST(BlendModes, SpritesBlendOntoWhatLiesBeneath) {
    SwfWriter w(100, 100, 12);
    w.setBackgroundColor(QColor(200, 150, 100));
    w.defineRectShape(1, QRect(0, 0, 50, 50), QColor(50, 60, 70));
    SwfWriter inner(100, 100, 12);
    inner.placeObject2(1, 1);
    inner.showFrame();
    w.defineSprite(2, inner);
    PlaceSpec subtract;
    subtract.depth = 1;
    subtract.characterId = 2;
    subtract.blendMode = 9;
    w.placeObject(subtract);
    PlaceSpec invert;
    invert.depth = 2;
    invert.characterId = 2;
    invert.matrix = QTransform::fromTranslate(500, 500);
    invert.blendMode = 10;
    w.placeObject(invert);
    w.showFrame();
    const QImage img = render(w);
    EXPECT_TRUE(near(img.pixel(10, 10), qRgb(150, 90, 30)));
    // Inverted over the subtracted part and over the plain background.
    EXPECT_TRUE(near(img.pixel(40, 40), qRgb(105, 165, 225)));
    EXPECT_TRUE(near(img.pixel(60, 60), qRgb(55, 105, 155)));
    EXPECT_TRUE(near(img.pixel(80, 20), qRgb(200, 150, 100)));
}

TEST(Filters, BoxBlurSpreadsEvenlyOverItsWidth) {
    uint8_t line[9] = {0, 0, 0, 0, 255, 0, 0, 0, 0};
    FilterRenderer::blurPlane(line, 9, 1, 9, 3, 1, 1);
    const uint8_t once[9] = {0, 0, 0, 85, 85, 85, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(line, once, 9));
    // A second pass is the box convolved with itself: 1 2 3 2 1 ninths.
    FilterRenderer::blurPlane(line, 9, 1, 9, 3, 1, 1);
    const uint8_t twice[9] = {0, 0, 28, 57, 85, 57, 28, 0, 0};
    EXPECT_EQ(0, std::memcmp(line, twice, 9));
    // Columns the same way, and a box of one changes nothing.
    uint8_t column[5] = {0, 0, 90, 0, 0};
    FilterRenderer::blurPlane(column, 1, 5, 1, 1, 3, 1);
    const uint8_t down[5] = {0, 30, 30, 30, 0};
    EXPECT_EQ(0, std::memcmp(column, down, 5));
    EXPECT_EQ(FilterRenderer::boxFor(1, 1), 1);
    EXPECT_EQ(FilterRenderer::boxFor(8, 1), 8);
    EXPECT_EQ(FilterRenderer::boxFor(4, 2), 8);
}

namespace {

// One box pass the slow way: each value the average of its window, (box - 1) / 2 before and
// box / 2 after, with nothing outside the picture.
std::vector<int> boxSlowly(const std::vector<int>& v, int box) {
    const int n = static_cast<int>(v.size());
    std::vector<int> out(v.size());
    for (int i = 0; i < n; ++i) {
        int sum = 0;
        for (int k = i - (box - 1) / 2; k <= i + box / 2; ++k)
            if (k >= 0 && k < n)
                sum += v[static_cast<std::size_t>(k)];
        out[static_cast<std::size_t>(i)] = static_cast<int>(std::lround(sum / double(box)));
    }
    return out;
}

// A plane of w x h values (channels interleaved) blurred rows then columns, passes times.
std::vector<int> blurSlowly(std::vector<int> p, int w, int h, int channels, int boxX, int boxY,
                            int passes) {
    const auto index = [&](int x, int y, int c) {
        return static_cast<std::size_t>((y * w + x) * channels + c);
    };
    for (int pass = 0; pass < passes; ++pass) {
        for (int c = 0; c < channels; ++c) {
            for (int y = 0; y < h && boxX > 1; ++y) {
                std::vector<int> line;
                for (int x = 0; x < w; ++x)
                    line.push_back(p[index(x, y, c)]);
                line = boxSlowly(line, boxX);
                for (int x = 0; x < w; ++x)
                    p[index(x, y, c)] = line[static_cast<std::size_t>(x)];
            }
            for (int x = 0; x < w && boxY > 1; ++x) {
                std::vector<int> line;
                for (int y = 0; y < h; ++y)
                    line.push_back(p[index(x, y, c)]);
                line = boxSlowly(line, boxY);
                for (int y = 0; y < h; ++y)
                    p[index(x, y, c)] = line[static_cast<std::size_t>(y)];
            }
        }
    }
    return p;
}

} // namespace

TEST(Filters, BoxBlurMatchesAveragingEachWindow) {
    // Odd sizes, boxes wider than the picture, and several passes; values off by at most one
    // for the fast division's rounding, as a window misplaced by a row or column would be
    // far more on noise like this.
    uint32_t seed = 12345;
    const auto noise = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>(seed >> 24);
    };
    struct Case {
        int w, h, boxX, boxY, passes;
    };
    const Case cases[] = {{37, 23, 2, 2, 1},  {37, 23, 3, 5, 2},  {16, 40, 7, 9, 3},
                          {5, 6, 40, 40, 1},  {64, 3, 1, 4, 1},   {1, 50, 3, 6, 2},
                          {50, 50, 10, 1, 1}, {131, 70, 6, 5, 2}, {17, 130, 9, 2, 1}};
    for (const Case& c : cases) {
        const std::string what = std::to_string(c.w) + "x" + std::to_string(c.h) + " box " +
                                 std::to_string(c.boxX) + "x" + std::to_string(c.boxY) +
                                 " passes " + std::to_string(c.passes);
        // One channel, as glows and shadows blur their alpha.
        std::vector<int> values(static_cast<std::size_t>(c.w * c.h));
        for (int& v : values)
            v = noise();
        std::vector<uint8_t> plane(values.begin(), values.end());
        FilterRenderer::blurPlane(plane.data(), c.w, c.h, c.w, c.boxX, c.boxY, c.passes);
        const std::vector<int> want = blurSlowly(values, c.w, c.h, 1, c.boxX, c.boxY, c.passes);
        int worst = 0;
        for (std::size_t i = 0; i < want.size(); ++i)
            worst = std::max(worst, std::abs(plane[i] - want[i]));
        EXPECT_LE(worst, c.passes) << what;
        // Four channels, as the blur filter blurs a whole picture.
        QImage image(c.w, c.h, QImage::Format_ARGB32_Premultiplied);
        std::vector<int> pixels;
        for (int y = 0; y < c.h; ++y) {
            auto* line = image.scanLine(y);
            for (int i = 0; i < c.w * 4; ++i) {
                line[i] = static_cast<uint8_t>(noise());
                pixels.push_back(line[i]);
            }
        }
        Filter f;
        f.type = Filter::Type::Blur;
        f.blurX = c.boxX;
        f.blurY = c.boxY;
        f.passes = c.passes;
        FilterRenderer::apply(image, f, 1.0);
        const std::vector<int> wantPixels =
            blurSlowly(pixels, c.w, c.h, 4, c.boxX, c.boxY, c.passes);
        worst = 0;
        for (int y = 0; y < c.h; ++y)
            for (int i = 0; i < c.w * 4; ++i)
                worst = std::max(worst,
                                 std::abs(image.scanLine(y)[i] -
                                          wantPixels[static_cast<std::size_t>(y * c.w * 4 + i)]));
        EXPECT_LE(worst, c.passes) << what << " (four channels)";
    }
}

TEST(Filters, BoxBlurOfASmallObjectInWideMarginsMatchesAveraging) {
    // Only what the passes can reach from the object is worked on; a misplaced piece of work
    // would show as values far from the averages, or as a spread cut short.
    uint32_t seed = 777;
    const auto noise = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>(seed >> 24) | 1;
    };
    struct Case {
        int w, h, boxX, boxY, passes;
        QRect object;
    };
    const Case cases[] = {{90, 70, 5, 7, 2, QRect(60, 8, 9, 5)},
                          {64, 64, 9, 1, 3, QRect(3, 40, 4, 20)},
                          {40, 90, 1, 6, 1, QRect(30, 70, 10, 20)}};
    for (const Case& c : cases) {
        for (const int channels : {1, 4}) {
            std::vector<int> values(static_cast<std::size_t>(c.w * c.h * channels), 0);
            for (int y = c.object.top(); y <= c.object.bottom(); ++y)
                for (int i = c.object.left() * channels; i < (c.object.right() + 1) * channels; ++i)
                    values[static_cast<std::size_t>((y * c.w) * channels + i)] = noise();
            std::vector<uint8_t> got(values.begin(), values.end());
            if (channels == 1) {
                FilterRenderer::blurPlane(got.data(), c.w, c.h, c.w, c.boxX, c.boxY, c.passes);
            } else {
                QImage image(got.data(), c.w, c.h, c.w * 4, QImage::Format_ARGB32_Premultiplied);
                Filter f;
                f.type = Filter::Type::Blur;
                f.blurX = c.boxX;
                f.blurY = c.boxY;
                f.passes = c.passes;
                FilterRenderer::apply(image, f, 1.0);
            }
            const std::vector<int> want =
                blurSlowly(values, c.w, c.h, channels, c.boxX, c.boxY, c.passes);
            int worst = 0;
            for (std::size_t i = 0; i < want.size(); ++i)
                worst = std::max(worst, std::abs(got[i] - want[i]));
            EXPECT_LE(worst, c.passes) << c.w << "x" << c.h << " channels " << channels;
        }
    }
}

TEST(Filters, SixteenBitWindowAveragesAgreeWithThirtyTwoBitOnes) {
    // Every sum a box can make, for every box that has the short form; and the boxes blurs
    // mostly use have it.
    int boxesWithShortForm = 0;
    for (int box = 0; box <= 300; ++box) {
        const swf::BoxDivision::Short* d = swf::BoxDivision::shortFor(box);
        if (!d)
            continue;
        ASSERT_GE(box, 2);
        ASSERT_LE(box, 257);
        ++boxesWithShortForm;
        const uint32_t reciprocal = swf::BoxDivision::reciprocal(box);
        for (uint32_t sum = 0; sum <= 255u * static_cast<uint32_t>(box); ++sum)
            ASSERT_EQ(d->average(static_cast<uint16_t>(sum)),
                      swf::BoxDivision::average(sum, reciprocal))
                << "box " << box << " sum " << sum;
    }
    for (int box = 3; box <= 100; ++box)
        EXPECT_NE(swf::BoxDivision::shortFor(box), nullptr) << "box " << box;
    EXPECT_GE(boxesWithShortForm, 200);
}

TEST(Filters, ShadowBehindTheObjectPixelByPixel) {
    // One row: transparent, opaque red at 3..5, half-transparent blue at 6..7, transparent. An
    // unblurred green shadow two pixels to one side or the other shows where the object is not
    // opaque: alone over nothing, under the blue where the blue lets it through.
    const QRgb red = qRgba(255, 0, 0, 255), blue = qRgba(0, 0, 128, 128), none = 0;
    const QRgb green = qRgba(0, 255, 0, 255), halfGreen = qRgba(0, 128, 0, 128);
    const QRgb blueOverGreen = qRgba(0, 127, 128, 255);
    struct Case {
        double angle, strength;
        std::array<QRgb, 12> want;
    };
    const Case cases[] = {
        {0,
         1,
         {none, none, none, red, red, red, blueOverGreen, blueOverGreen, halfGreen, halfGreen, none,
          none}},
        {0,
         2,
         {none, none, none, red, red, red, blueOverGreen, blueOverGreen, green, green, none, none}},
        {M_PI, 1, {none, green, green, red, red, red, blue, blue, none, none, none, none}},
    };
    for (const Case& c : cases) {
        QImage image(12, 1, QImage::Format_ARGB32_Premultiplied);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(0));
        for (int x = 0; x < 12; ++x)
            line[x] = x >= 3 && x <= 5 ? red : x >= 6 && x <= 7 ? blue : none;
        Filter f;
        f.type = Filter::Type::DropShadow;
        f.blurX = f.blurY = 1;
        f.distance = 2;
        f.angle = c.angle;
        f.strength = c.strength;
        f.color = QColor(0, 255, 0);
        FilterRenderer::apply(image, f, 1.0);
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(line[x], c.want[static_cast<std::size_t>(x)])
                << "angle " << c.angle << " strength " << c.strength << " x " << x;
    }
    // Down a column the same: the shadow two rows below, none above the picture's top.
    QImage column(1, 6, QImage::Format_ARGB32_Premultiplied);
    const QRgb down[6] = {red, blue, none, none, none, none};
    for (int y = 0; y < 6; ++y)
        column.setPixel(0, y, down[y]);
    Filter f;
    f.type = Filter::Type::DropShadow;
    f.blurX = f.blurY = 1;
    f.distance = 2;
    f.angle = M_PI / 2;
    f.color = QColor(0, 255, 0);
    FilterRenderer::apply(column, f, 1.0);
    const QRgb want[6] = {red, blue, green, halfGreen, none, none};
    for (int y = 0; y < 6; ++y)
        EXPECT_EQ(column.pixel(0, y), want[y]) << "row " << y;
}

TEST(Filters, BlurSoftensEdgesAndGrowsTheObject) {
    const QImage img = filteredSquare(blurFilter(8, 8, 1));
    // Deep inside: untouched. A box of 8 reaches 3 pixels back and 4 ahead, so the pixel just
    // left of the square sees half of it (4 of 8), the one 4 away a single pixel of it.
    EXPECT_TRUE(near(img.pixel(50, 50), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(29, 50), qRgb(255, 127, 127), 2));
    EXPECT_TRUE(near(img.pixel(27, 50), qRgb(255, 191, 191), 2));
    EXPECT_TRUE(near(img.pixel(26, 50), qRgb(255, 223, 223), 2));
    EXPECT_TRUE(near(img.pixel(25, 50), qRgb(255, 255, 255)));
    // Above-left corner pixel: half across, half down.
    EXPECT_TRUE(near(img.pixel(29, 29), qRgb(255, 191, 191), 2));
}

TEST(Filters, DropShadowFallsAtItsAngleAndDistance) {
    // Angle 0 moves the shadow right by 10 pixels; blur 1 keeps its edge hard.
    const QImage img =
        filteredSquare(shadowFilter(QColor(0, 0, 255), 1, 0, 10, 1, false, false, true, 1));
    EXPECT_TRUE(near(img.pixel(50, 50), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(75, 50), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(img.pixel(81, 50), qRgb(255, 255, 255)));
    EXPECT_TRUE(near(img.pixel(25, 50), qRgb(255, 255, 255)));
    // Hidden object: the shadow shows alone, also beneath where the object was.
    const QImage hidden =
        filteredSquare(shadowFilter(QColor(0, 0, 255), 1, 0, 10, 1, false, false, false, 1));
    EXPECT_TRUE(near(hidden.pixel(50, 50), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(hidden.pixel(35, 50), qRgb(255, 255, 255)));
    // Knockout: only the shadow outside the object; the object's own place is empty.
    const QImage knockout =
        filteredSquare(shadowFilter(QColor(0, 0, 255), 1, 0, 10, 1, false, true, true, 1));
    EXPECT_TRUE(near(knockout.pixel(50, 50), qRgb(255, 255, 255)));
    EXPECT_TRUE(near(knockout.pixel(75, 50), qRgb(0, 0, 255)));
}

TEST(Filters, GlowStrengthAndInnerGlow) {
    // A half-transparent green glow of blur 4, strength 2: the pixel just outside sees half of
    // the box (alpha 128), doubled to 255, then the colour's own alpha of 128.
    const QImage img =
        filteredSquare(shadowFilter(QColor(0, 255, 0, 128), 4, 0, 0, 2, false, false, true, 1));
    EXPECT_TRUE(near(img.pixel(50, 50), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(29, 50), qRgb(127, 255, 127), 2));
    EXPECT_TRUE(near(img.pixel(20, 50), qRgb(255, 255, 255)));
    // Inner glow: inside the edge, on the object; nothing outside.
    const QImage in =
        filteredSquare(shadowFilter(QColor(0, 0, 255), 4, 0, 0, 1, true, false, true, 1));
    EXPECT_TRUE(near(in.pixel(29, 50), qRgb(255, 255, 255)));
    EXPECT_TRUE(near(in.pixel(50, 50), qRgb(255, 0, 0)));
    // The first pixel inside sees three of the four pixels of its box covered, so a quarter
    // of blue lies over the red there.
    EXPECT_TRUE(near(in.pixel(30, 50), qRgb(191, 0, 64), 2));
}

TEST(Filters, ColourMatrixAndConvolution) {
    BitWriter w;
    w.u8(1);
    w.u8(6);
    // Red and blue swapped, alpha kept, 20 added to green.
    const float m[20] = {0, 0, 1, 0, 0, 0, 1, 0, 0, 20, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0};
    for (float v : m)
        f32(w, v);
    const QImage swapped = filteredSquare(w.data(), QColor(200, 100, 50));
    EXPECT_TRUE(near(swapped.pixel(50, 50), qRgb(50, 120, 200)));
    EXPECT_TRUE(near(swapped.pixel(10, 10), qRgb(255, 255, 255)));

    BitWriter c;
    c.u8(1);
    c.u8(5);
    c.u8(1);
    c.u8(1);
    f32(c, 2);  // divisor
    f32(c, 10); // bias
    f32(c, 1);
    c.rgba(QColor(0, 0, 0, 0));
    c.u8(0x03); // clamp, preserve alpha
    const QImage halved = filteredSquare(c.data(), QColor(200, 100, 50));
    EXPECT_TRUE(near(halved.pixel(50, 50), qRgb(110, 60, 35)));
}

TEST(Filters, InnerBevelLightsOneSideAndShadesTheOther) {
    BitWriter w;
    w.u8(1);
    w.u8(3);
    w.rgba(QColor(255, 255, 0)); // highlight
    w.rgba(QColor(0, 0, 255));   // shadow
    fixed16(w, 2);
    fixed16(w, 2);
    fixed16(w, M_PI / 4);
    fixed16(w, 4);
    w.u16(256);
    w.u8(0x80 | 0x20 | 1); // inner, on the object, one pass
    const QImage img = filteredSquare(w.data());
    // Light from the top left: just inside that edge yellow, inside the far edge blue; the
    // middle and the outside untouched.
    EXPECT_TRUE(near(img.pixel(31, 31), qRgb(255, 255, 0), 2));
    EXPECT_TRUE(near(img.pixel(68, 68), qRgb(0, 0, 255), 2));
    EXPECT_TRUE(near(img.pixel(50, 50), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(25, 25), qRgb(255, 255, 255)));
}

TEST(Filters, ListsAreReadAndDamageIsRefused) {
    // Every kind once, then values read back.
    BitWriter w;
    w.u8(3);
    w.u8(1);
    fixed16(w, 5.5);
    fixed16(w, 300); // more than Flash blurs
    w.u8(3 << 3);
    w.u8(4); // gradient glow with two colours
    w.u8(2);
    w.rgba(QColor(255, 0, 0, 255));
    w.rgba(QColor(0, 0, 255, 0));
    w.u8(0);
    w.u8(255);
    fixed16(w, 4);
    fixed16(w, 4);
    fixed16(w, 1);
    fixed16(w, 3);
    w.u16(512);
    w.u8(0x40 | 0x10 | 2);
    w.u8(5); // convolution larger than Flash takes: read and left doing nothing
    w.u8(16);
    w.u8(1);
    f32(w, 1);
    f32(w, 0);
    for (int i = 0; i < 16; ++i)
        f32(w, 1);
    w.rgba(QColor(0, 0, 0, 0));
    w.u8(0);
    const QByteArray bytes = w.data();
    swf::Reader r(bytes);
    std::vector<Filter> filters;
    ASSERT_TRUE(swf::readFilterList(r, filters));
    ASSERT_EQ(filters.size(), 3u);
    EXPECT_EQ(filters[0].type, Filter::Type::Blur);
    EXPECT_DOUBLE_EQ(filters[0].blurX, 5.5);
    EXPECT_DOUBLE_EQ(filters[0].blurY, 255);
    EXPECT_EQ(filters[0].passes, 3);
    EXPECT_EQ(filters[1].type, Filter::Type::GradientGlow);
    ASSERT_EQ(filters[1].gradient.size(), 2u);
    EXPECT_EQ(filters[1].gradient[1].first, 255);
    EXPECT_DOUBLE_EQ(filters[1].strength, 2);
    EXPECT_TRUE(filters[1].knockout);
    EXPECT_TRUE(filters[1].onTop);
    EXPECT_EQ(filters[1].passes, 2);
    EXPECT_EQ(filters[2].type, Filter::Type::Convolution);
    EXPECT_EQ(filters[2].matrixX, 0);
    // Blur margins: half a box per pass on each side.
    const auto m = filters[0].margins();
    EXPECT_DOUBLE_EQ(m[0], 9);
    EXPECT_DOUBLE_EQ(m[1], 384);

    // Cut short anywhere: refused, never read past the end.
    for (int cut = 1; cut < bytes.size(); ++cut) {
        const QByteArray part = bytes.left(cut);
        swf::Reader pr(part);
        std::vector<Filter> some;
        EXPECT_FALSE(swf::readFilterList(pr, some)) << cut;
    }
    // An unknown filter kind.
    const QByteArray unknown("\x01\x09", 2);
    swf::Reader ur(unknown);
    std::vector<Filter> none;
    EXPECT_FALSE(swf::readFilterList(ur, none));
    // A convolution claiming more cells than the record holds.
    const QByteArray huge("\x01\x05\xff\xff\x00\x00\x80\x3f\x00\x00\x00\x00", 12);
    swf::Reader hr(huge);
    EXPECT_FALSE(swf::readFilterList(hr, none));
}

TEST(Filters, PlacementKeepsItsFiltersWhenMoved) {
    SwfWriter w(100, 100, 12);
    w.setBackgroundColor(Qt::white);
    w.defineRectShape(1, QRect(0, 0, 40, 40), Qt::red);
    PlaceSpec p;
    p.depth = 1;
    p.characterId = 1;
    p.matrix = QTransform::fromTranslate(600, 600);
    p.filters = shadowFilter(QColor(0, 0, 255), 1, 0, 10, 1, false, false, true, 1);
    w.placeObject(p);
    w.showFrame();
    PlaceSpec move;
    move.depth = 1;
    move.move = true;
    move.matrix = QTransform::fromTranslate(400, 600);
    w.placeObject(move);
    w.showFrame();
    swf::Player player(load(w.finish()));
    player.tick();
    QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&img);
    player.render(painter, QRectF(0, 0, 100, 100), {});
    painter.end();
    EXPECT_TRUE(near(img.pixel(65, 50), qRgb(0, 0, 255), 2));
    EXPECT_TRUE(near(img.pixel(40, 50), qRgb(255, 0, 0), 2));
}

namespace {

// The two-square sprite scene; the clip is handed to `change` before drawing.
QImage spriteWith(const std::function<void(swf::DisplayObject&)>& change) {
    swf::Player player(load(twoSquareSpriteMovie()));
    const auto& root = *player.stage()->levels().begin()->second;
    swf::DisplayObject* clip = root.childAtDepth(1 + swf::kTimelineDepthOffset);
    EXPECT_NE(clip, nullptr);
    if (clip)
        change(*clip);
    QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&img);
    swf::RenderOptions o;
    o.quality = swf::RenderQuality::Low;
    player.render(painter, QRectF(0, 0, 100, 100), o);
    return img;
}

} // namespace

TEST(DisplayEffects, ScrollRectShowsItsPartAtTheOrigin) {
    const QImage img = spriteWith([](swf::DisplayObject& clip) {
        clip.setScrollRect(QRectF(30, 0, 20, 20)); // the last 10 of red, the first 10 of blue
    });
    EXPECT_TRUE(near(img.pixel(15, 15), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(25, 15), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(img.pixel(35, 15), qRgb(255, 255, 255))); // past its width
    EXPECT_TRUE(near(img.pixel(15, 35), qRgb(255, 255, 255))); // past its height
    // Nothing of a scroll rectangle with no area.
    const QImage none =
        spriteWith([](swf::DisplayObject& clip) { clip.setScrollRect(QRectF(0, 0, 0, 10)); });
    EXPECT_TRUE(near(none.pixel(15, 15), qRgb(255, 255, 255)));
}

TEST(DisplayEffects, OpaqueBackgroundFillsTheBoundsBeneath) {
    const QImage img = spriteWith([](swf::DisplayObject& clip) {
        // Script moves the blue square down: the bounds now hold an empty corner.
        auto* sprite = clip.asMovieClip();
        ASSERT_NE(sprite, nullptr);
        sprite->childAtDepth(2 + swf::kTimelineDepthOffset)
            ->setMatrix(QTransform::fromTranslate(0, 800));
        clip.setOpaqueBackground(QColor(0, 255, 0, 10)); // drawn opaque whatever its alpha
    });
    EXPECT_TRUE(near(img.pixel(15, 15), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(60, 20), qRgb(0, 255, 0)));
    EXPECT_TRUE(near(img.pixel(60, 60), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(img.pixel(95, 20), qRgb(255, 255, 255)));
}

TEST(DisplayEffects, GradientsMixColourAndAlphaApart) {
    // Opaque white to transparent black over white: half way the colour is mid grey at half
    // alpha, which shows as three quarters white. Mixing premultiplied values would give white.
    SwfWriter w(100, 100, 12);
    w.setBackgroundColor(Qt::white);
    testsupport::ShapeSpec s;
    s.fills = {testsupport::FillSpec::linear(
        QRect(0, 0, 100, 100), {{0, QColor(255, 255, 255, 255)}, {255, QColor(0, 0, 0, 0)}})};
    s.rect(QRect(0, 0, 100, 100), 1);
    w.defineShape(1, s, 3);
    w.placeObject2(1, 1);
    w.showFrame();
    const QImage img = render(w);
    EXPECT_TRUE(near(img.pixel(50, 50), qRgb(191, 191, 191), 4));
    EXPECT_TRUE(near(img.pixel(1, 50), qRgb(255, 255, 255), 4));
}

TEST(BlendModes, ABlendedSpriteStaysInsideItsMask) {
    SwfWriter w(100, 100, 12);
    w.setBackgroundColor(QColor(200, 150, 100));
    w.defineRectShape(1, QRect(0, 0, 100, 100), QColor(50, 60, 70));
    w.defineRectShape(2, QRect(0, 0, 50, 100), Qt::black); // mask: the left half
    SwfWriter inner(100, 100, 12);
    inner.placeObject2(1, 1);
    inner.showFrame();
    w.defineSprite(3, inner);
    PlaceSpec mask;
    mask.depth = 1;
    mask.characterId = 2;
    mask.clipDepth = 3;
    w.placeObject(mask);
    PlaceSpec blended;
    blended.depth = 2;
    blended.characterId = 3;
    blended.blendMode = 9; // subtract
    w.placeObject(blended);
    w.showFrame();
    const QImage img = render(w);
    EXPECT_TRUE(near(img.pixel(25, 50), qRgb(150, 90, 30)));
    EXPECT_TRUE(near(img.pixel(75, 50), qRgb(200, 150, 100)));
}

namespace {

// A 40-pixel red square with a blue 10-pixel square in its top-left corner, as a sprite with
// the scaling grid (10, 10)-(30, 30), placed at (5, 5) scaled by `scale`.
QImage gridSprite(double scale, bool withGrid = true) {
    SwfWriter w(120, 120, 12);
    w.setBackgroundColor(Qt::white);
    w.defineRectShape(1, QRect(0, 0, 40, 40), Qt::red);
    w.defineRectShape(2, QRect(0, 0, 10, 10), Qt::blue);
    SwfWriter inner(120, 120, 12);
    inner.placeObject2(1, 1);
    inner.placeObject2(2, 2);
    inner.showFrame();
    w.defineSprite(3, inner);
    if (withGrid) {
        BitWriter g;
        g.u16(3);
        g.rect(200, 600, 200, 600);
        w.tag(78, g.data());
    }
    PlaceSpec p;
    p.depth = 1;
    p.characterId = 3;
    p.matrix = QTransform(scale, 0, 0, scale, 100, 100);
    w.placeObject(p);
    w.showFrame();
    return render(w, 120);
}

} // namespace

TEST(DisplayEffects, ScalingGridKeepsTheCornersAtSeveralSizes) {
    for (double scale : {2.0, 2.5, 1.5}) {
        const QImage img = gridSprite(scale);
        const int size = static_cast<int>(40 * scale);
        // The corner stays 10 pixels whatever the scale; the whole grows to the scaled size.
        EXPECT_TRUE(near(img.pixel(10, 10), qRgb(0, 0, 255))) << scale;
        EXPECT_TRUE(near(img.pixel(17, 10), qRgb(255, 0, 0))) << scale;
        EXPECT_TRUE(near(img.pixel(10, 17), qRgb(255, 0, 0))) << scale;
        EXPECT_TRUE(near(img.pixel(5 + size - 2, 5 + size - 2), qRgb(255, 0, 0))) << scale;
        EXPECT_TRUE(near(img.pixel(5 + size + 2, 20), qRgb(255, 255, 255))) << scale;
    }
    // Without the grid the corner grows with the rest.
    EXPECT_TRUE(near(gridSprite(2, false).pixel(17, 10), qRgb(0, 0, 255)));
    // Shrunk below the size of its edges it is scaled as a whole.
    const QImage small = gridSprite(0.4);
    EXPECT_TRUE(near(small.pixel(6, 6), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(small.pixel(15, 15), qRgb(255, 0, 0)));
}

TEST(DisplayEffects, ScalingGridTagsForNothingOrDamagedAreHarmless) {
    SwfWriter w(50, 50, 12);
    w.defineRectShape(1, QRect(0, 0, 40, 40), Qt::red);
    BitWriter none;
    none.u16(1); // a shape, not a sprite
    none.rect(0, 100, 0, 100);
    w.tag(78, none.data());
    w.tag(78, QByteArray("\x05", 1)); // cut short
    w.placeObject2(1, 1);
    w.showFrame();
    const QImage img = render(w, 50);
    EXPECT_TRUE(near(img.pixel(20, 20), qRgb(255, 0, 0)));
}
