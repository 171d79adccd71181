// Movies written by the test SWF writer, rendered and sampled at chosen points.

#include "swf/Player.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "tests/support/SwfWriter.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using testsupport::FillSpec;
using testsupport::LineSpec;
using testsupport::PlaceSpec;
using testsupport::ShapeSpec;
using testsupport::SwfWriter;

namespace {

std::shared_ptr<swf::Movie> load(const QByteArray& file) {
    auto r = swf::loadMovie(file);
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().message.toStdString());
    return r.ok() ? r.value() : nullptr;
}

QImage render(swf::Player& p, int w = 100, int h = 100, bool antialias = false) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::magenta);
    QPainter painter(&img);
    swf::RenderOptions o;
    o.quality = antialias ? swf::RenderQuality::High : swf::RenderQuality::Low;
    p.render(painter, QRectF(0, 0, w, h), o);
    return img;
}

QImage renderMovie(SwfWriter& w, int ticks = 0) {
    swf::Player p(load(w.finish()));
    for (int i = 0; i < ticks; ++i)
        p.tick();
    return render(p);
}

// Channels within tolerance.
::testing::AssertionResult near(QColor actual, QColor expected, int tolerance = 3) {
    const bool ok = std::abs(actual.red() - expected.red()) <= tolerance &&
                    std::abs(actual.green() - expected.green()) <= tolerance &&
                    std::abs(actual.blue() - expected.blue()) <= tolerance;
    if (ok)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << actual.name().toStdString() << " expected "
                                         << expected.name().toStdString();
}

QImage checkerImage(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, (x < w / 2) == (y < h / 2) ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    return img;
}

} // namespace

TEST(RenderShapes, SolidRectanglesAtTheirPlaces) {
    SwfWriter w(100, 100, 12);
    w.setBackgroundColor(Qt::white);
    w.defineRectShape(1, QRect(10, 10, 30, 20), Qt::red);
    w.defineRectShape(2, QRect(0, 0, 10, 10), Qt::blue, 3);
    w.placeObject2(1, 1);
    w.placeObject2(2, 2, 60, 60);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(20, 20), Qt::red));
    EXPECT_TRUE(near(img.pixelColor(5, 5), Qt::white));
    EXPECT_TRUE(near(img.pixelColor(45, 20), Qt::white));
    EXPECT_TRUE(near(img.pixelColor(65, 65), Qt::blue));
    EXPECT_TRUE(near(img.pixelColor(55, 65), Qt::white));
}

TEST(RenderShapes, HoleFromOppositeFillSidesAndCurves) {
    // An outer square filled on its right side and an inner one going the other way with the
    // same fill on its left: the inner square is a hole.
    SwfWriter w(100, 100, 12);
    ShapeSpec s;
    s.fills = {FillSpec::solid(Qt::green)};
    s.rect(QRect(10, 10, 80, 80), 1);
    s.style(1, 0)
        .moveTo(600, 600)
        .lineTo(1200, 600)
        .lineTo(1200, 1200)
        .lineTo(600, 1200)
        .lineTo(600, 600);
    w.defineShape(1, s, 1);
    w.placeObject2(1, 1);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(20, 20), Qt::green));
    EXPECT_TRUE(near(img.pixelColor(45, 45), Qt::white)); // hole
    EXPECT_TRUE(near(img.pixelColor(80, 80), Qt::green));
}

TEST(RenderShapes, EdgesInAnyOrderStillCloseTheFill) {
    // The four sides of a square written out of order, two of them backwards with fill0.
    SwfWriter w(100, 100, 12);
    ShapeSpec s;
    s.fills = {FillSpec::solid(Qt::red)};
    s.style(0, 1).moveTo(200, 200).lineTo(1800, 200);   // top, right side filled
    s.style(1, 0).moveTo(200, 1800).lineTo(1800, 1800); // bottom, backwards
    s.style(0, 1).moveTo(1800, 200).lineTo(1800, 1800); // right
    s.style(0, 1).moveTo(200, 1800).lineTo(200, 200);   // left
    w.defineShape(1, s, 2);
    w.placeObject2(1, 1);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(50, 50), Qt::red));
    EXPECT_TRUE(near(img.pixelColor(95, 50), Qt::white));
}

TEST(RenderShapes, QuadraticCurveBulges) {
    SwfWriter w(100, 100, 12);
    ShapeSpec s;
    s.fills = {FillSpec::solid(Qt::blue)};
    // Flat bottom from (10,50) to (90,50), top a curve through about (50,10).
    s.style(0, 1).moveTo(200, 1000).curveTo(1000, -600, 1800, 1000).lineTo(200, 1000);
    w.defineShape(1, s, 1);
    w.placeObject2(1, 1);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(50, 15), Qt::blue));
    EXPECT_TRUE(near(img.pixelColor(50, 5), Qt::white));
    EXPECT_TRUE(near(img.pixelColor(15, 20), Qt::white)); // outside the curve near the corner
}

TEST(RenderShapes, StyleArraysChangingMidShapeDrawInLayers) {
    SwfWriter w(100, 100, 12);
    ShapeSpec s;
    s.fills = {FillSpec::solid(Qt::red)};
    s.rect(QRect(0, 0, 60, 60), 1);
    // New arrays: index 1 now means blue; the second square is drawn above the first.
    s.newStyles({FillSpec::solid(Qt::blue)}, {});
    s.rect(QRect(40, 40, 60, 60), 1);
    w.defineShape(1, s, 2);
    w.placeObject2(1, 1);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(20, 20), Qt::red));
    EXPECT_TRUE(near(img.pixelColor(50, 50), Qt::blue));
    EXPECT_TRUE(near(img.pixelColor(90, 90), Qt::blue));
}

TEST(RenderShapes, LinearGradientRunsLeftToRightAndPads) {
    SwfWriter w(100, 100, 12);
    ShapeSpec s;
    s.fills = {FillSpec::linear(QRect(20, 0, 60, 100), {{0, Qt::black}, {255, Qt::white}})};
    s.rect(QRect(0, 0, 100, 100), 1);
    w.defineShape(1, s, 3);
    w.placeObject2(1, 1);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(5, 50), Qt::black));  // padded before the start
    EXPECT_TRUE(near(img.pixelColor(95, 50), Qt::white)); // and after the end
    EXPECT_TRUE(near(img.pixelColor(50, 50), QColor(128, 128, 128), 8));
}

TEST(RenderShapes, LinearGradientRepeatAndReflect) {
    for (int spread : {1, 2}) {
        SwfWriter w(100, 100, 12);
        ShapeSpec s;
        s.fills = {
            FillSpec::linear(QRect(0, 0, 50, 100), {{0, Qt::black}, {255, Qt::white}}, spread)};
        s.rect(QRect(0, 0, 100, 100), 1);
        w.defineShape(1, s, 3);
        w.placeObject2(1, 1);
        w.showFrame();
        const QImage img = renderMovie(w);
        // At x = 60 the repeat starts dark again; the reflection comes back from white.
        const int v = img.pixelColor(60, 50).red();
        if (spread == 1)
            EXPECT_GT(v, 200) << "reflect";
        else
            EXPECT_LT(v, 60) << "repeat";
    }
}

TEST(RenderShapes, RadialAndFocalGradients) {
    SwfWriter w(100, 100, 12);
    ShapeSpec s;
    s.fills = {FillSpec::radial(QRect(0, 0, 100, 100), {{0, Qt::red}, {255, Qt::blue}}),
               FillSpec::radial(QRect(0, 0, 100, 100), {{0, Qt::red}, {255, Qt::blue}}, 0.8)};
    s.rect(QRect(0, 0, 100, 50), 1);
    s.rect(QRect(0, 50, 100, 50), 2);
    w.defineShape(1, s, 4);
    w.placeObject2(1, 1);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(50, 49), Qt::red, 20)); // centre of the circle
    EXPECT_TRUE(near(img.pixelColor(2, 2), Qt::blue, 10));  // padded outside
    // The focal point moves the red towards the right: at the same distance from the centre
    // the right side is redder than the left.
    const QColor left = img.pixelColor(25, 52), right = img.pixelColor(75, 52);
    EXPECT_GT(right.red(), left.red() + 30);
}

TEST(RenderShapes, LinesHaveWidthAndHairlinesShowAtAll) {
    SwfWriter w(100, 100, 12);
    ShapeSpec s;
    s.lines = {LineSpec{200, Qt::black}, LineSpec{0, Qt::red}};
    s.style(-1, -1, 1).moveTo(200, 1000).lineTo(1800, 1000); // 10 px wide at y = 50
    s.style(-1, -1, 2).moveTo(200, 400).lineTo(1800, 400);   // hairline at y = 20
    w.defineShape(1, s, 3);
    w.placeObject2(1, 1);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(50, 46), Qt::black));
    EXPECT_TRUE(near(img.pixelColor(50, 53), Qt::black));
    EXPECT_TRUE(near(img.pixelColor(50, 58), Qt::white));
    EXPECT_TRUE(near(img.pixelColor(50, 20), Qt::red, 60) ||
                near(img.pixelColor(50, 19), Qt::red, 60));
}

TEST(RenderShapes, LineStyle2CapsAndFilledLines) {
    SwfWriter w(100, 100, 12);
    ShapeSpec s;
    LineSpec flat{400, Qt::black, 1, 0, 1};
    LineSpec round{400, Qt::black, 0, 0, 0};
    LineSpec gradient{400, Qt::black, 1, 0, 1};
    gradient.fill = FillSpec::linear(QRect(0, 0, 100, 100), {{0, Qt::red}, {255, Qt::red}});
    s.lines = {flat, round, gradient};
    s.style(-1, -1, 1).moveTo(400, 400).lineTo(1600, 400); // flat caps: nothing left of x=20
    s.style(-1, -1, 2).moveTo(400, 1000).lineTo(1600, 1000);
    s.style(-1, -1, 3).moveTo(400, 1600).lineTo(1600, 1600);
    w.defineShape(1, s, 4);
    w.placeObject2(1, 1);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(17, 20), Qt::white));
    EXPECT_TRUE(near(img.pixelColor(17, 50), Qt::black)); // round cap reaches past the end
    EXPECT_TRUE(near(img.pixelColor(50, 80), Qt::red));
}

TEST(RenderPlacement, MatrixColourTransformAndRemove) {
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 10, 10), QColor(100, 100, 100));
    PlaceSpec p;
    p.depth = 1;
    p.characterId = 1;
    p.matrix = QTransform(2, 0, 0, 3, 400, 200); // 20 x 30 px at (20, 10)
    p.colorTransform = std::array<int, 8>{512, 256, 0, 256, 0, 10, 50, 0};
    w.placeObject(p);
    w.showFrame();
    w.removeObject2(1);
    w.showFrame();
    swf::Player player(load(w.finish()));
    QImage img = render(player);
    EXPECT_TRUE(near(img.pixelColor(38, 38), QColor(200, 110, 50)));
    EXPECT_TRUE(near(img.pixelColor(42, 20), Qt::white));
    player.tick();
    img = render(player);
    EXPECT_TRUE(near(img.pixelColor(38, 38), Qt::white));
}

TEST(RenderPlacement, PlaceObjectOneAndRemoveObjectOne) {
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    w.placeObject1(1, 3, 50, 50);
    w.showFrame();
    w.removeObject(1, 3);
    w.showFrame();
    swf::Player player(load(w.finish()));
    EXPECT_TRUE(near(render(player).pixelColor(55, 55), Qt::red));
    player.tick();
    EXPECT_TRUE(near(render(player).pixelColor(55, 55), Qt::white));
}

TEST(RenderPlacement, AlphaBlendsWithTheBackground) {
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 100, 100), QColor(0, 0, 0, 128), 3);
    w.placeObject2(1, 1);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(50, 50), QColor(127, 127, 127), 3));
}

TEST(RenderPlacement, DepthOrderDecidesWhatIsOnTop) {
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 50, 50), Qt::red);
    w.defineRectShape(2, QRect(25, 25, 50, 50), Qt::blue);
    w.placeObject2(5, 1);
    w.placeObject2(2, 2);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(40, 40), Qt::red));
}

TEST(RenderMask, ClipDepthMasksTheLayersAboveUpToItsDepth) {
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 50, 100), Qt::black); // mask: left half
    w.defineRectShape(2, QRect(0, 0, 100, 100), Qt::red);
    w.defineRectShape(3, QRect(0, 80, 100, 20), Qt::blue);
    PlaceSpec mask;
    mask.depth = 1;
    mask.characterId = 1;
    mask.clipDepth = 2;
    w.placeObject(mask);
    w.placeObject2(2, 2); // masked
    w.placeObject2(3, 3); // above the mask's reach
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(25, 50), Qt::red));
    EXPECT_TRUE(near(img.pixelColor(75, 50), Qt::white)); // the mask itself is not drawn
    EXPECT_TRUE(near(img.pixelColor(75, 90), Qt::blue));
}

TEST(RenderMask, NestedMasksInOneListEachEndAtTheirOwnDepth) {
    // Left half masks depths 2 to 5; inside it the top half masks depth 4 only; depth 6 is
    // beyond both.
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 50, 100), Qt::black);
    w.defineRectShape(2, QRect(0, 0, 100, 100), Qt::red);
    w.defineRectShape(3, QRect(0, 0, 100, 50), Qt::black);
    w.defineRectShape(4, QRect(0, 0, 100, 100), Qt::green);
    w.defineRectShape(5, QRect(0, 80, 100, 20), Qt::blue);
    w.defineRectShape(6, QRect(0, 60, 100, 10), Qt::yellow);
    PlaceSpec left;
    left.depth = 1;
    left.characterId = 1;
    left.clipDepth = 5;
    w.placeObject(left);
    w.placeObject2(2, 2);
    PlaceSpec top;
    top.depth = 3;
    top.characterId = 3;
    top.clipDepth = 4;
    w.placeObject(top);
    w.placeObject2(4, 4);
    w.placeObject2(5, 5);
    w.placeObject2(6, 6);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(25, 25), Qt::green)); // inside both masks
    EXPECT_TRUE(near(img.pixelColor(25, 55), Qt::red));   // the inner mask has ended
    EXPECT_TRUE(near(img.pixelColor(75, 25), Qt::white)); // outside the outer mask
    EXPECT_TRUE(near(img.pixelColor(75, 55), Qt::white));
    EXPECT_TRUE(near(img.pixelColor(25, 90), Qt::blue)); // the outer mask still holds
    EXPECT_TRUE(near(img.pixelColor(75, 90), Qt::white));
    EXPECT_TRUE(near(img.pixelColor(25, 65), Qt::yellow)); // beyond both masks
    EXPECT_TRUE(near(img.pixelColor(75, 65), Qt::yellow));
}

TEST(RenderMask, MaskInsideSpriteAndEmptyMaskHidesAll) {
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(50, 0, 50, 100), Qt::black);
    w.defineRectShape(2, QRect(0, 0, 100, 100), Qt::green);
    SwfWriter inner(100, 100, 12);
    PlaceSpec mask;
    mask.depth = 1;
    mask.characterId = 1;
    mask.clipDepth = 5;
    inner.placeObject(mask);
    inner.placeObject2(2, 2);
    inner.showFrame();
    w.defineSprite(3, inner);
    w.placeObject2(1, 3);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(75, 50), Qt::green));
    EXPECT_TRUE(near(img.pixelColor(25, 50), Qt::white));
}

TEST(RenderMorph, RatioInterpolatesShapeAndColour) {
    for (int version : {1, 2}) {
        for (const auto& [ratio, x, colour] :
             std::vector<std::tuple<int, int, QColor>>{{0, 5, QColor(255, 0, 0)},
                                                       {32768, 35, QColor(128, 0, 127)},
                                                       {65535, 65, QColor(0, 0, 255)}}) {
            SwfWriter w(100, 100, 12);
            w.defineMorphRect(1, QRect(0, 0, 20, 20), Qt::red, QRect(60, 60, 20, 20), Qt::blue,
                              version);
            PlaceSpec p;
            p.depth = 1;
            p.characterId = 1;
            p.ratio = static_cast<uint16_t>(ratio);
            w.placeObject(p);
            w.showFrame();
            const QImage img = renderMovie(w);
            EXPECT_TRUE(near(img.pixelColor(x + 5, x + 5), colour, 4))
                << "ratio " << ratio << " version " << version;
            EXPECT_TRUE(near(img.pixelColor(x - 10 < 0 ? 95 : x - 10, 95), Qt::white));
        }
    }
}

TEST(RenderBitmap, LosslessFormatsAndVersions) {
    const QImage source = checkerImage(20, 20);
    for (const auto& [version, format] :
         std::vector<std::pair<int, int>>{{1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 5}}) {
        SwfWriter w(100, 100, 12);
        w.defineBitsLossless(1, source, version, format);
        ShapeSpec s;
        s.fills = {FillSpec::bitmap(1, 0x41, 10, 10, 2)};
        s.rect(QRect(10, 10, 40, 40), 1);
        w.defineShape(2, s, 3);
        w.placeObject2(1, 2);
        w.showFrame();
        const QImage img = renderMovie(w);
        EXPECT_TRUE(near(img.pixelColor(15, 15), Qt::red, 8)) << version << "/" << format;
        EXPECT_TRUE(near(img.pixelColor(45, 15), Qt::blue, 8)) << version << "/" << format;
        EXPECT_TRUE(near(img.pixelColor(45, 45), Qt::red, 8)) << version << "/" << format;
        EXPECT_TRUE(near(img.pixelColor(70, 70), Qt::white)) << version << "/" << format;
    }
}

TEST(RenderBitmap, LosslessTwoKeepsItsAlpha) {
    QImage source(10, 10, QImage::Format_ARGB32);
    source.fill(QColor(0, 0, 255, 128));
    for (int format : {3, 5}) {
        SwfWriter w(100, 100, 12);
        w.defineBitsLossless(1, source, 2, format);
        ShapeSpec s;
        s.fills = {FillSpec::bitmap(1, 0x40, 0, 0, 10)};
        s.rect(QRect(0, 0, 100, 100), 1);
        w.defineShape(2, s, 3);
        w.placeObject2(1, 2);
        w.showFrame();
        const QImage img = renderMovie(w);
        EXPECT_TRUE(near(img.pixelColor(50, 50), QColor(127, 127, 255), 4)) << format;
    }
}

TEST(RenderBitmap, RepeatingFillTiles) {
    SwfWriter w(100, 100, 12);
    w.defineBitsLossless(1, checkerImage(20, 20), 1, 5);
    ShapeSpec s;
    s.fills = {FillSpec::bitmap(1, 0x42, 0, 0, 1)};
    s.rect(QRect(0, 0, 100, 100), 1);
    w.defineShape(2, s, 3);
    w.placeObject2(1, 2);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(45, 45), Qt::red, 8)); // (5,5) of the third tile
    EXPECT_TRUE(near(img.pixelColor(55, 45), Qt::blue, 8));
}

TEST(RenderBitmap, JpegFormatsPngAndGifInsideJpegTags) {
    const QImage source = checkerImage(32, 32);
    const QByteArray jpeg = SwfWriter::encodeJpeg(source);
    QByteArray alpha(32 * 32, '\xff');
    for (int i = 0; i < 32 * 16; ++i)
        alpha[i] = 0; // top half transparent
    for (int kind = 0; kind < 6; ++kind) {
        SwfWriter w(100, 100, 12);
        if (kind == 0)
            w.jpegTablesAndDefineBits(1, jpeg);
        else if (kind == 1)
            w.defineBitsJpeg2(1, jpeg);
        else if (kind == 2)
            w.defineBitsJpeg2(1, QByteArray::fromHex("ffd9ffd8") + jpeg); // old encoders
        else if (kind == 3)
            w.defineBitsJpeg2(1, SwfWriter::encodePng(source));
        else if (kind == 4)
            w.defineBitsJpeg3(1, jpeg, alpha);
        else
            w.defineBitsJpeg3(1, jpeg, alpha, true);
        ShapeSpec s;
        s.fills = {FillSpec::bitmap(1, 0x41, 0, 0, 100.0 / 32)};
        s.rect(QRect(0, 0, 100, 100), 1);
        w.defineShape(2, s, 3);
        w.placeObject2(1, 2);
        w.showFrame();
        const QImage img = renderMovie(w);
        EXPECT_TRUE(near(img.pixelColor(75, 75), Qt::red, 40)) << "kind " << kind;
        EXPECT_TRUE(near(img.pixelColor(25, 75), Qt::blue, 40)) << "kind " << kind;
        if (kind >= 4)
            EXPECT_TRUE(near(img.pixelColor(25, 25), Qt::white, 4)) << "alpha, kind " << kind;
        else
            EXPECT_TRUE(near(img.pixelColor(25, 25), Qt::red, 40)) << "kind " << kind;
    }
}

TEST(RenderBitmap, GifInsideJpegTag) {
    // A one-pixel red GIF, written out by hand: Qt reads GIF but cannot write it.
    const QByteArray gif = QByteArray::fromHex("4749463839610100010080000"
                                               "0ff00000000002c000000000100010000020244"
                                               "01003b");
    SwfWriter w(100, 100, 12);
    w.defineBitsJpeg2(1, gif);
    ShapeSpec s;
    s.fills = {FillSpec::bitmap(1, 0x40, 0, 0, 100)};
    s.rect(QRect(0, 0, 100, 100), 1);
    w.defineShape(2, s, 3);
    w.placeObject2(1, 2);
    w.showFrame();
    EXPECT_TRUE(near(renderMovie(w).pixelColor(50, 50), Qt::red));
}

TEST(RenderBitmap, UndecodableImageDrawsNothingAndLoadGoesOn) {
    SwfWriter w(100, 100, 12);
    w.defineBitsJpeg2(1, QByteArray::fromHex("ffd8ffe000104a464946") + QByteArray(50, 'x'));
    ShapeSpec s;
    s.fills = {FillSpec::bitmap(1, 0x41)};
    s.rect(QRect(0, 0, 100, 100), 1);
    w.defineShape(2, s, 3);
    w.placeObject2(1, 2);
    w.showFrame();
    w.showFrame();
    auto movie = load(w.finish());
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->framesLoaded(), 2);
    swf::Player p(movie);
    EXPECT_TRUE(near(render(p).pixelColor(50, 50), Qt::white));
}

TEST(RenderCache, ShapesDrawnFromKeptPicturesMatchTheirPaths) {
    // Shapes with gradients and outlines at whole and fractional positions, one under a mask;
    // the second and third drawings come from kept pictures and must look the same.
    SwfWriter w(100, 100, 12);
    ShapeSpec s;
    s.fills = {FillSpec::radial(QRect(-20, -20, 40, 40), {{0, Qt::yellow}, {255, Qt::red}})};
    s.lines = {LineSpec{60, Qt::black}};
    s.style(0, 1, 1).moveTo(-400, 0).curveTo(-400, -400, 0, -400).curveTo(400, -400, 400, 0);
    s.curveTo(400, 400, 0, 400).curveTo(-400, 400, -400, 0);
    w.defineShape(1, s, 3);
    w.defineRectShape(2, QRect(0, 0, 60, 100), Qt::black);
    PlaceSpec a;
    a.depth = 1;
    a.characterId = 1;
    a.matrix = QTransform(1, 0, 0, 1, 500, 500);
    w.placeObject(a);
    PlaceSpec mask;
    mask.depth = 2;
    mask.characterId = 2;
    mask.clipDepth = 3;
    w.placeObject(mask);
    PlaceSpec b;
    b.depth = 3;
    b.characterId = 1;
    b.matrix = QTransform(1.5, 0.3, -0.3, 1.5, 1213, 1377); // turned, off the pixel grid
    w.placeObject(b);
    w.showFrame();
    swf::Player p(load(w.finish()));
    const QImage first = render(p, 100, 100, true);
    for (int i = 0; i < 2; ++i) {
        const QImage again = render(p, 100, 100, true);
        int worst = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) {
                const QRgb u = first.pixel(x, y), v = again.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(u) - qRed(v)),
                                  std::abs(qGreen(u) - qGreen(v)), std::abs(qBlue(u) - qBlue(v))});
            }
        EXPECT_LE(worst, 40) << "drawing " << i + 2; // edges may move by an eighth of a pixel
        EXPECT_TRUE(near(again.pixelColor(25, 25), first.pixelColor(25, 25), 2));
        EXPECT_TRUE(near(again.pixelColor(70, 70), Qt::white)); // masked away
    }
}

TEST(RenderButton, ShowsItsUpState) {
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 50, 50), Qt::red);
    w.defineRectShape(2, QRect(50, 50, 50, 50), Qt::blue);
    w.defineButton2(3, {{0x01, 1, 1}, {0x06, 2, 2}}); // up: red; over and down: blue
    w.placeObject2(1, 3);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(25, 25), Qt::red));
    EXPECT_TRUE(near(img.pixelColor(75, 75), Qt::white));
}

TEST(RenderBlend, MultiplyAndAlphaInsideALayer) {
    SwfWriter w(100, 100, 12);
    w.setBackgroundColor(Qt::white);
    w.defineRectShape(1, QRect(0, 0, 100, 100), QColor(255, 255, 0));  // yellow
    w.defineRectShape(2, QRect(0, 0, 100, 50), QColor(0, 255, 255));   // cyan, top half
    w.defineRectShape(3, QRect(0, 0, 75, 100), QColor(0, 0, 0, 0), 3); // transparent, left part
    w.placeObject2(1, 1);
    PlaceSpec multiply;
    multiply.depth = 2;
    multiply.characterId = 2;
    multiply.blendMode = 3;
    w.placeObject(multiply);
    // A layered sprite of a red square whose left part an alpha child makes transparent.
    w.defineRectShape(4, QRect(60, 60, 30, 30), Qt::red);
    SwfWriter inner(100, 100, 12);
    inner.placeObject2(1, 4);
    PlaceSpec alpha;
    alpha.depth = 2;
    alpha.characterId = 3;
    alpha.blendMode = 11;
    inner.placeObject(alpha);
    inner.showFrame();
    w.defineSprite(5, inner);
    PlaceSpec layer;
    layer.depth = 3;
    layer.characterId = 5;
    layer.blendMode = 2;
    w.placeObject(layer);
    // Alpha outside any layer draws nothing.
    PlaceSpec stray;
    stray.depth = 4;
    stray.characterId = 2;
    stray.blendMode = 11;
    stray.matrix = QTransform(1, 0, 0, 1, 0, 1000);
    w.placeObject(stray);
    w.showFrame();
    const QImage img = renderMovie(w);
    EXPECT_TRUE(near(img.pixelColor(10, 10), QColor(0, 255, 0))); // yellow times cyan
    EXPECT_TRUE(near(img.pixelColor(10, 70), QColor(255, 255, 0)));
    EXPECT_TRUE(near(img.pixelColor(85, 80), Qt::red));             // kept by the layer
    EXPECT_TRUE(near(img.pixelColor(65, 80), QColor(255, 255, 0))); // cut out by alpha
}

TEST(RenderBitmap, SmoothedClippedFillDoesNotBleedTheOppositeEdge) {
    QImage source(4, 4, QImage::Format_ARGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            source.setPixel(x, y, x < 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    SwfWriter w(100, 100, 12);
    w.defineBitsLossless(1, source, 1, 5);
    ShapeSpec s;
    s.fills = {FillSpec::bitmap(1, 0x41, 0, 0, 25)}; // clipped, smoothed, 25 px a pixel
    s.rect(QRect(0, 0, 100, 100), 1);
    w.defineShape(2, s, 3);
    w.placeObject2(1, 2);
    w.showFrame();
    swf::Player p(load(w.finish()));
    const QImage img = render(p, 100, 100, true);
    EXPECT_TRUE(near(img.pixelColor(0, 50), Qt::red, 24));
    EXPECT_TRUE(near(img.pixelColor(99, 50), Qt::blue, 24));
    EXPECT_TRUE(near(img.pixelColor(50, 0), QColor(0, 0, 255), 140)); // the middle blends
}

TEST(RenderShapes, ManyEdgesMeetingAtOnePointLoadQuickly) {
    // A hundred thousand fill edges leaving one point: linking them must not rescan the ones
    // already used (that took minutes); ctest's time limit catches a return of that.
    SwfWriter w(100, 100, 12);
    ShapeSpec s;
    s.fills = {FillSpec::solid(Qt::red)};
    s.style(0, 1);
    for (int i = 0; i < 100000; ++i)
        s.moveTo(1000, 1000).lineTo(1000 + i % 200 - 100, 1900);
    w.defineShape(1, s, 2);
    w.placeObject2(1, 1);
    w.showFrame();
    swf::Player p(load(w.finish()));
    render(p); // draws something without hanging
}

TEST(RenderShapes, EdgeWithTheSameFillOnBothSidesBoundsNothing) {
    // A square split by an inner edge that has the square's fill on both sides (as authoring
    // tools leave after merging two areas): the square stays whole.
    SwfWriter w(100, 100, 12);
    ShapeSpec s;
    s.fills = {FillSpec::solid(Qt::blue)};
    s.rect(QRect(10, 10, 80, 80), 1);
    s.style(1, 1).moveTo(1000, 200).lineTo(1000, 1000).lineTo(600, 1400);
    w.defineShape(1, s, 2);
    w.placeObject2(1, 1);
    w.showFrame();
    const QImage img = renderMovie(w);
    for (QPoint p :
         {QPoint(20, 20), QPoint(44, 40), QPoint(80, 80), QPoint(30, 80), QPoint(80, 20)})
        EXPECT_TRUE(near(img.pixelColor(p), Qt::blue)) << p.x() << "," << p.y();
}
