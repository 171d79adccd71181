#include "swf/Player.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "tests/support/SwfWriter.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using testsupport::makeMovingSquareMovie;
using testsupport::SwfWriter;

namespace {

std::shared_ptr<swf::Movie> load(const QByteArray& file) {
    auto r = swf::loadMovie(file);
    EXPECT_TRUE(r.ok());
    return r.ok() ? r.value() : nullptr;
}

} // namespace

TEST(Player, PlaysToTheLastFrameAndStopsWithoutLoop) {
    swf::Player p(load(makeMovingSquareMovie(5)));
    p.setLoop(false);
    EXPECT_EQ(p.totalFrames(), 5);
    EXPECT_EQ(p.currentFrame(), 0);
    EXPECT_TRUE(p.isPlaying());
    for (int i = 1; i <= 4; ++i) {
        p.tick();
        EXPECT_EQ(p.currentFrame(), i);
    }
    p.tick();
    EXPECT_EQ(p.currentFrame(), 4);
    EXPECT_FALSE(p.isPlaying());
    p.tick();
    EXPECT_EQ(p.currentFrame(), 4);
}

TEST(Player, LoopsByDefaultAndStaysPlaying) {
    swf::Player p(load(makeMovingSquareMovie(3)));
    EXPECT_TRUE(p.loop());
    p.tick();
    p.tick();
    EXPECT_EQ(p.currentFrame(), 2);
    p.tick();
    EXPECT_EQ(p.currentFrame(), 0);
    EXPECT_TRUE(p.isPlaying());
}

TEST(Player, StopPlayAndGotoClamp) {
    swf::Player p(load(makeMovingSquareMovie(10)));
    p.stop();
    p.tick();
    EXPECT_EQ(p.currentFrame(), 0);
    EXPECT_FALSE(p.isPlaying());
    p.gotoFrame(6);
    EXPECT_EQ(p.currentFrame(), 6);
    p.gotoFrame(345);
    EXPECT_EQ(p.currentFrame(), 9);
    p.gotoFrame(-7);
    EXPECT_EQ(p.currentFrame(), 0);
    p.gotoFrame(3);
    p.play();
    p.tick();
    EXPECT_EQ(p.currentFrame(), 4);
    p.rewind();
    EXPECT_EQ(p.currentFrame(), 0);
}

TEST(Player, WaitsForFramesStillLoading) {
    const QByteArray file = makeMovingSquareMovie(100);
    swf::MovieLoader loader;
    ASSERT_TRUE(loader.append(file.constData(), file.size() / 3).ok());
    const int loaded = loader.framesLoaded();
    ASSERT_GT(loaded, 2);
    swf::Player p(loader.movie());
    EXPECT_EQ(p.totalFrames(), 100);
    p.gotoFrame(99);
    EXPECT_EQ(p.currentFrame(), loaded - 1); // clamped to what has arrived
    p.tick();
    EXPECT_EQ(p.currentFrame(), loaded - 1);
    EXPECT_TRUE(p.isPlaying()); // still waiting, not at the end
    ASSERT_TRUE(
        loader.append(file.constData() + file.size() / 3, file.size() - file.size() / 3).ok());
    p.tick();
    EXPECT_EQ(p.currentFrame(), loaded);
}

TEST(Player, ShowsTheFirstFrameOnceItArrives) {
    const QByteArray file = makeMovingSquareMovie(4);
    swf::MovieLoader loader;
    ASSERT_TRUE(loader.append(file.constData(), 30).ok());
    ASSERT_EQ(loader.framesLoaded(), 0);
    swf::Player p(loader.movie());
    EXPECT_EQ(p.currentFrame(), 0);
    ASSERT_TRUE(loader.append(file.constData() + 30, file.size() - 30).ok());
    p.tick(); // shows frame 1 (index 0)
    EXPECT_EQ(p.currentFrame(), 0);
    p.tick();
    EXPECT_EQ(p.currentFrame(), 1);
}

TEST(Player, BackgroundDefaultsToWhiteAndFillsTheLetterbox) {
    SwfWriter w(200, 100, 12);
    w.showFrame();
    swf::Player plain(load(w.finish()));
    EXPECT_EQ(plain.backgroundColor(), QColor(Qt::white));

    swf::Player p(load(makeMovingSquareMovie(2, 12, 200, 100)));
    EXPECT_EQ(p.backgroundColor(), QColor(0x20, 0x30, 0x50));
    QImage img(200, 200, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::magenta);
    QPainter painter(&img);
    p.render(painter, QRectF(0, 0, 200, 200), {});
    painter.end();
    EXPECT_EQ(img.pixelColor(5, 5), QColor(0x20, 0x30, 0x50));     // letterbox
    EXPECT_EQ(img.pixelColor(100, 195), QColor(0x20, 0x30, 0x50)); // letterbox
    swf::RenderOptions o;
    o.backgroundOverride = QColor(Qt::green);
    QImage img2(50, 50, QImage::Format_ARGB32_Premultiplied);
    QPainter p2(&img2);
    p.render(p2, QRectF(0, 0, 50, 50), o);
    p2.end();
    EXPECT_EQ(img2.pixelColor(1, 1), QColor(Qt::green));
}

TEST(Player, NullMovieIsHarmless) {
    swf::Player p(nullptr);
    EXPECT_EQ(p.totalFrames(), 0);
    p.tick();
    p.gotoFrame(5);
    EXPECT_EQ(p.currentFrame(), 0);
    QImage img(10, 10, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&img);
    p.render(painter, QRectF(0, 0, 10, 10), {});
}

TEST(Player, ZoomShowsPartOfTheStageAroundTheChosenCentre) {
    // Left half red, right half blue on a 200 x 100 stage.
    SwfWriter w(200, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 100, 100), Qt::red);
    w.defineRectShape(2, QRect(100, 0, 100, 100), Qt::blue);
    w.placeObject2(1, 1);
    w.placeObject2(2, 2);
    w.showFrame();
    swf::Player p(load(w.finish()));
    const auto draw = [&](double zoom, QPointF centre) {
        QImage img(200, 100, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&img);
        swf::RenderOptions o;
        o.zoom = zoom;
        o.centre = centre;
        o.quality = swf::RenderQuality::Low;
        p.render(painter, QRectF(0, 0, 200, 100), o);
        return img;
    };
    QImage whole = draw(1.0, {0.5, 0.5});
    EXPECT_EQ(whole.pixelColor(10, 50), QColor(Qt::red));
    EXPECT_EQ(whole.pixelColor(190, 50), QColor(Qt::blue));
    // Half the width, centred on the left quarter: all red.
    QImage left = draw(0.5, {0.25, 0.5});
    EXPECT_EQ(left.pixelColor(2, 50), QColor(Qt::red));
    EXPECT_EQ(left.pixelColor(197, 50), QColor(Qt::red));
    // Centred in the middle: the boundary stays in the middle, now twice as far from the edges.
    QImage middle = draw(0.5, {0.5, 0.5});
    EXPECT_EQ(middle.pixelColor(98, 50), QColor(Qt::red));
    EXPECT_EQ(middle.pixelColor(102, 50), QColor(Qt::blue));
    EXPECT_EQ(middle.pixelColor(2, 50), QColor(Qt::red));
}

TEST(Player, RendersIntoAPainterThatAlreadyHasATransform) {
    swf::Player p(load(makeMovingSquareMovie(1, 12, 100, 100)));
    QImage img(200, 200, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::magenta);
    QPainter painter(&img);
    painter.translate(100, 100); // e.g. one tile of a two-by-two view
    p.render(painter, QRectF(0, 0, 100, 100), {});
    painter.end();
    EXPECT_EQ(img.pixelColor(50, 50), QColor(Qt::magenta));
    EXPECT_EQ(img.pixelColor(150, 101), QColor(0x20, 0x30, 0x50));
}

TEST(Player, LowQualityDrawsWithoutAntialiasing) {
    SwfWriter w(100, 100, 12);
    testsupport::ShapeSpec s;
    s.fills = {testsupport::FillSpec::solid(Qt::black)};
    s.style(0, 1).moveTo(0, 0).lineTo(2000, 2000).lineTo(0, 2000).lineTo(0, 0); // a diagonal
    w.defineShape(1, s, 1);
    w.placeObject2(1, 1);
    w.showFrame();
    swf::Player p(load(w.finish()));
    const auto greys = [&](bool antialias) {
        QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&img);
        swf::RenderOptions o;
        o.quality = antialias ? swf::RenderQuality::High : swf::RenderQuality::Low;
        p.render(painter, QRectF(0, 0, 100, 100), o);
        painter.end();
        int count = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) {
                const int v = qRed(img.pixel(x, y));
                count += v > 10 && v < 245;
            }
        return count;
    };
    EXPECT_GT(greys(true), 50);
    EXPECT_EQ(greys(false), 0);
}
