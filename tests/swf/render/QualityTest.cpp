// The four drawing qualities, told apart by single pixels on edges and between bitmap pixels,
// and bitmaps at their own size landing on whole pixels; the level as the player, script and
// the automatic modes set it.

#include "swf/Player.h"
#include "swf/PlayerHost.h"
#include "swf/display/Stage.h"
#include "swf/format/MovieLoader.h"
#include "swf/render/AutoQuality.h"
#include "swf/render/RenderQuality.h"
#include "swf/render/Renderer.h"
#include "tests/support/ActionBuilder.h"
#include "tests/support/SwfWriter.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using swf::QualityMode;
using swf::RenderQuality;
using testsupport::ActionBuilder;
using testsupport::FillSpec;
using testsupport::PlaceSpec;
using testsupport::ShapeSpec;
using testsupport::SwfWriter;

namespace {

constexpr RenderQuality kAll[] = {RenderQuality::Low, RenderQuality::Medium, RenderQuality::High,
                                  RenderQuality::Best};

QImage draw(SwfWriter& w, RenderQuality quality) {
    auto r = swf::loadMovie(w.finish());
    EXPECT_TRUE(r.ok());
    swf::Player player(r.ok() ? r.value() : nullptr);
    swf::Renderer renderer;
    QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter painter(&img);
    renderer.render(painter, *player.stage(), QTransform::fromScale(0.05, 0.05), quality);
    painter.end();
    return img;
}

// One of the two colours exactly, not a mix of them.
bool pure(QRgb p, QRgb a, QRgb b) {
    return (p | 0xff000000) == (a | 0xff000000) || (p | 0xff000000) == (b | 0xff000000);
}

// A bitmap of two columns, red then blue, shown 20 times its size from the stage's corner
// through a clipped fill of the given type (0x41 smoothed, 0x43 not).
SwfWriter twoColumns(int fillType) {
    SwfWriter w(100, 100, 12);
    w.setBackgroundColor(Qt::white);
    QImage source(2, 2, QImage::Format_ARGB32);
    for (int y = 0; y < 2; ++y) {
        source.setPixel(0, y, qRgb(255, 0, 0));
        source.setPixel(1, y, qRgb(0, 0, 255));
    }
    w.defineBitsLossless(1, source, 1, 5);
    ShapeSpec s;
    s.fills = {FillSpec::bitmap(1, fillType, 0, 0, 20)};
    s.rect(QRect(0, 0, 40, 40), 1);
    w.defineShape(2, s, 3);
    w.placeObject2(1, 2);
    w.showFrame();
    return w;
}

} // namespace

TEST(RenderQuality, OnlyLowDrawsHardShapeEdges) {
    for (const RenderQuality q : kAll) {
        SwfWriter w(100, 100, 12);
        w.setBackgroundColor(Qt::white);
        w.defineRectShape(1, QRect(0, 0, 40, 40), Qt::red);
        PlaceSpec at;
        at.characterId = 1;
        at.matrix = QTransform::fromTranslate(210, 210); // half a pixel past (10, 10)
        w.placeObject(at);
        w.showFrame();
        const QImage img = draw(w, q);
        const QRgb edge = img.pixel(10, 30);
        if (q == RenderQuality::Low) {
            EXPECT_TRUE(pure(edge, qRgb(255, 0, 0), qRgb(255, 255, 255))) << qGreen(edge);
        } else {
            // Half covered: half way from white to red.
            EXPECT_NEAR(qGreen(edge), 128, 8) << swf::qualityName(q).toStdString();
        }
        EXPECT_EQ(img.pixel(30, 30) | 0xff000000, qRgb(255, 0, 0));
    }
}

TEST(RenderQuality, BitmapSmoothingByQualityAndFillType) {
    struct Case {
        RenderQuality quality;
        int fillType;
        bool smoothed;
    };
    const Case cases[] = {
        {RenderQuality::Low, 0x41, false},    {RenderQuality::Medium, 0x41, false},
        {RenderQuality::High, 0x41, true},    {RenderQuality::High, 0x43, false},
        {RenderQuality::Best, 0x41, true},    {RenderQuality::Best, 0x43, true},
        {RenderQuality::Medium, 0x43, false},
    };
    for (const Case& c : cases) {
        SwfWriter w = twoColumns(c.fillType);
        const QImage img = draw(w, c.quality);
        const std::string what =
            swf::qualityName(c.quality).toStdString() + " fill " + std::to_string(c.fillType);
        // Two pixels either side of the boundary between the columns, at x 20.
        const QRgb left = img.pixel(18, 20), right = img.pixel(21, 20);
        if (c.smoothed) {
            EXPECT_GT(qBlue(left), 20) << what;
            EXPECT_GT(qRed(right), 20) << what;
        } else {
            EXPECT_EQ(left | 0xff000000, qRgb(255, 0, 0)) << what;
            EXPECT_EQ(right | 0xff000000, qRgb(0, 0, 255)) << what;
        }
        // Far from the boundary every quality shows the columns' own colours.
        EXPECT_EQ(img.pixel(5, 20) | 0xff000000, qRgb(255, 0, 0)) << what;
    }
}

TEST(RenderQuality, BitmapsAtTheirOwnSizeLandOnWholePixels) {
    // Four columns of different colours, placed 10.4 and 10.6 pixels in at very nearly their
    // own size: at high quality a smoothed bitmap would mix neighbouring columns; snapped,
    // each pixel is one column.
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(0, 0, 0)};
    for (const double offset : {10.4, 10.6}) {
        SwfWriter w(100, 100, 12);
        w.setBackgroundColor(Qt::white);
        QImage source(4, 4, QImage::Format_ARGB32);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                source.setPixel(x, y, colours[x]);
        w.defineBitsLossless(1, source, 1, 5);
        ShapeSpec s;
        // A hair over its own size, as a matrix written with rounding often is.
        s.fills = {FillSpec::bitmap(1, 0x41, 0, 0, 1.0004)};
        s.rect(QRect(0, 0, 4, 4), 1);
        w.defineShape(2, s, 3);
        PlaceSpec at;
        at.characterId = 2;
        at.matrix = QTransform::fromTranslate(offset * 20, 20 * 20);
        w.placeObject(at);
        w.showFrame();
        const QImage img = draw(w, RenderQuality::High);
        const int first = offset < 10.5 ? 10 : 11;
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(img.pixel(first + x, 21) | 0xff000000, colours[x])
                << "offset " << offset << " column " << x;
        EXPECT_EQ(img.pixel(first - 1, 21) | 0xff000000, qRgb(255, 255, 255));
        EXPECT_EQ(img.pixel(first + 4, 21) | 0xff000000, qRgb(255, 255, 255));
    }
}

TEST(RenderQuality, NamesReadInAnyCase) {
    EXPECT_EQ(swf::qualityFromName(u"low"), RenderQuality::Low);
    EXPECT_EQ(swf::qualityFromName(u"Medium"), RenderQuality::Medium);
    EXPECT_EQ(swf::qualityFromName(u"HIGH"), RenderQuality::High);
    EXPECT_EQ(swf::qualityFromName(u" best "), RenderQuality::Best);
    EXPECT_EQ(swf::qualityFromName(u"autohigh"), std::nullopt);
    EXPECT_EQ(swf::qualityFromName(u""), std::nullopt);
    for (const RenderQuality q : kAll)
        EXPECT_EQ(swf::qualityFromName(swf::qualityName(q)), q);
}

TEST(RenderQuality, TiledBitmapFillsShowNoSeams) {
    // One colour tiled at an awkward scale and angle: at every quality each pixel well inside
    // the shape is that colour, with no lighter line where one tile meets the next.
    for (const int fillType : {0x40, 0x42}) {
        for (const RenderQuality q : kAll) {
            SwfWriter w(100, 100, 12);
            w.setBackgroundColor(Qt::white);
            QImage source(7, 5, QImage::Format_ARGB32);
            source.fill(qRgb(200, 30, 60));
            w.defineBitsLossless(1, source, 1, 5);
            ShapeSpec s;
            FillSpec fill = FillSpec::bitmap(1, fillType, 0, 0, 1.37);
            fill.matrix = QTransform().rotate(7) * fill.matrix;
            s.fills = {fill};
            s.rect(QRect(5, 5, 90, 90), 1);
            w.defineShape(2, s, 3);
            w.placeObject2(1, 2);
            w.showFrame();
            const QImage img = draw(w, q);
            int off = 0;
            for (int y = 8; y < 92; ++y)
                for (int x = 8; x < 92; ++x)
                    if ((img.pixel(x, y) | 0xff000000) != qRgb(200, 30, 60))
                        ++off;
            EXPECT_EQ(off, 0) << "fill " << fillType << " " << swf::qualityName(q).toStdString();
        }
    }
}

TEST(RenderQuality, BitmapTilesSideBySideShowNoSeams) {
    // A row and a column of separate shapes, each one tile of the same bitmap at 1.37 times
    // its size: where two meet, off the pixel grid, there is no lighter line between them.
    SwfWriter w(100, 100, 12);
    w.setBackgroundColor(Qt::white);
    QImage source(10, 10, QImage::Format_ARGB32);
    source.fill(qRgb(200, 30, 60));
    w.defineBitsLossless(1, source, 1, 5);
    ShapeSpec s;
    s.fills = {FillSpec::bitmap(1, 0x41, 0, 0, 1.37)};
    s.style(0, 1).moveTo(0, 0).lineTo(274, 0).lineTo(274, 274).lineTo(0, 274).lineTo(0, 0);
    w.defineShape(2, s, 3);
    uint16_t depth = 1;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            PlaceSpec at;
            at.depth = depth++;
            at.characterId = 2;
            at.matrix = QTransform::fromTranslate(100 + 274 * i, 100 + 274 * j);
            w.placeObject(at);
        }
    w.showFrame();
    for (const RenderQuality q : kAll) {
        const QImage img = draw(w, q);
        int off = 0;
        for (int y = 7; y < 58; ++y)
            for (int x = 7; x < 58; ++x)
                if ((img.pixel(x, y) | 0xff000000) != qRgb(200, 30, 60))
                    ++off;
        EXPECT_EQ(off, 0) << swf::qualityName(q).toStdString();
    }
}

namespace {

// A red square whose left edge lies half way across pixel column 10 (rows 60 to 80), and the
// two-column bitmap twice: from x 0 through a smoothed fill (columns meet at x 20) and from x 50
// through an unsmoothed one (they meet at x 70), rows 0 to 40.
SwfWriter qualityScene() {
    SwfWriter w(100, 100, 12);
    w.setBackgroundColor(Qt::white);
    QImage source(2, 2, QImage::Format_ARGB32);
    for (int y = 0; y < 2; ++y) {
        source.setPixel(0, y, qRgb(255, 0, 0));
        source.setPixel(1, y, qRgb(0, 0, 255));
    }
    w.defineBitsLossless(1, source, 1, 5);
    uint16_t depth = 1;
    for (const int fillType : {0x41, 0x43}) {
        ShapeSpec s;
        s.fills = {FillSpec::bitmap(1, fillType, 0, 0, 20)};
        s.rect(QRect(0, 0, 40, 40), 1);
        w.defineShape(depth + 1, s, 3);
        PlaceSpec at;
        at.depth = depth;
        at.characterId = depth + 1;
        at.matrix = QTransform::fromTranslate(fillType == 0x41 ? 0 : 50 * 20, 0);
        w.placeObject(at);
        ++depth;
    }
    w.defineRectShape(4, QRect(0, 0, 20, 20), Qt::red);
    PlaceSpec at;
    at.depth = 3;
    at.characterId = 4;
    at.matrix = QTransform::fromTranslate(10.5 * 20, 60 * 20);
    w.placeObject(at);
    return w;
}

QImage drawPlayer(swf::Player& player, const swf::RenderOptions& options = {}) {
    QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter painter(&img);
    player.render(painter, QRectF(0, 0, 100, 100), options);
    return img;
}

struct Seen {
    bool smoothEdge;     // the square's half-covered column is a mix
    bool smoothFill;     // the smoothed fill's columns mix where they meet
    bool smoothHardFill; // so do the unsmoothed fill's
};

Seen look(const QImage& img) {
    const auto mixed = [](QRgb left, QRgb right) { return qBlue(left) > 20 && qRed(right) > 20; };
    return {qGreen(img.pixel(10, 70)) > 30 && qGreen(img.pixel(10, 70)) < 225,
            mixed(img.pixel(18, 20), img.pixel(21, 20)),
            mixed(img.pixel(68, 20), img.pixel(71, 20))};
}

class TraceHost : public swf::PlayerHost {
public:
    void trace(const QString& line) override { traces << line; }
    QStringList traces;
};

} // namespace

TEST(RenderQuality, PlayerDrawsAtTheLevelItIsSet) {
    SwfWriter w = qualityScene();
    w.showFrame();
    auto movie = swf::loadMovie(w.finish());
    ASSERT_TRUE(movie.ok());
    swf::Player player(movie.value());
    EXPECT_EQ(player.quality(), RenderQuality::High);
    struct Case {
        QualityMode mode;
        Seen seen;
    };
    const Case cases[] = {
        {QualityMode::Low, {false, false, false}},     {QualityMode::Medium, {true, false, false}},
        {QualityMode::High, {true, true, false}},      {QualityMode::Best, {true, true, true}},
        {QualityMode::AutoLow, {false, false, false}}, {QualityMode::AutoHigh, {true, true, false}},
    };
    for (const Case& c : cases) {
        player.setQualityMode(c.mode);
        const std::string what = swf::qualityModeName(c.mode).toStdString();
        const Seen seen = look(drawPlayer(player));
        EXPECT_EQ(seen.smoothEdge, c.seen.smoothEdge) << what;
        EXPECT_EQ(seen.smoothFill, c.seen.smoothFill) << what;
        EXPECT_EQ(seen.smoothHardFill, c.seen.smoothHardFill) << what;
    }
    // A picture drawn at a level of its own leaves the movie's level alone.
    player.setQualityMode(QualityMode::Best);
    swf::RenderOptions low;
    low.quality = RenderQuality::Low;
    EXPECT_FALSE(look(drawPlayer(player, low)).smoothEdge);
    EXPECT_EQ(player.quality(), RenderQuality::Best);
    EXPECT_TRUE(look(drawPlayer(player)).smoothHardFill);
}

TEST(RenderQuality, ScriptReadsAndChangesTheLevel) {
    SwfWriter w = qualityScene();
    ActionBuilder a;
    const auto show = [&a] {
        a.get("_quality").trace();
        a.get("_highquality").trace();
    };
    show();
    a.set("_quality", "low");
    show();
    a.set("_highquality", 2);
    show();
    a.toggleQuality();
    show();
    a.toggleQuality();
    show();
    a.set("_quality", "Medium");
    show();
    a.set("_quality", "ultra"); // not a level: nothing changes
    show();
    // The numbered property form reaches the same level.
    a.push({"", 19, "best"}).setProperty();
    a.push({"", 19}).getProperty().trace();
    a.set("_highquality", 0);
    show();
    w.doAction(a.finish());
    w.showFrame();
    auto movie = swf::loadMovie(w.finish());
    ASSERT_TRUE(movie.ok());
    TraceHost host;
    swf::Player player(movie.value(), {}, &host);
    EXPECT_EQ(host.traces.join(' ').toStdString(),
              "HIGH 1 LOW 0 BEST 2 LOW 0 HIGH 1 MEDIUM 1 MEDIUM 1 BEST LOW 0");
    EXPECT_EQ(player.quality(), RenderQuality::Low);
    EXPECT_EQ(player.qualityMode(), QualityMode::Low);
    const Seen seen = look(drawPlayer(player));
    EXPECT_FALSE(seen.smoothEdge);
    EXPECT_FALSE(seen.smoothFill);
}

TEST(RenderQuality, ModesAreNamedInAnyCase) {
    EXPECT_EQ(swf::qualityModeFromName(u"AutoHigh"), QualityMode::AutoHigh);
    EXPECT_EQ(swf::qualityModeFromName(u"autolow"), QualityMode::AutoLow);
    EXPECT_EQ(swf::qualityModeFromName(u"BEST"), QualityMode::Best);
    EXPECT_EQ(swf::qualityModeFromName(u"auto"), std::nullopt);
    for (const auto m : {QualityMode::Low, QualityMode::Medium, QualityMode::High,
                         QualityMode::Best, QualityMode::AutoLow, QualityMode::AutoHigh})
        EXPECT_EQ(swf::qualityModeFromName(swf::qualityModeName(m)), m);
}

TEST(AutoQuality, AutoHighDropsToLowOnlyWhenFramesKeepFallingBehind) {
    swf::AutoQuality q;
    q.setMode(QualityMode::AutoHigh);
    EXPECT_EQ(q.quality(), RenderQuality::High);
    // A few slow frames among quick ones are not falling behind.
    for (int i = 0; i < 40; ++i)
        EXPECT_FALSE(q.frameDone(i % 10 == 0 ? 60 : 10, 40)) << i;
    EXPECT_EQ(q.quality(), RenderQuality::High);
    int changedAt = -1;
    for (int i = 0; i < 20 && changedAt < 0; ++i)
        if (q.frameDone(70, 40))
            changedAt = i;
    EXPECT_GE(changedAt, 2);
    EXPECT_EQ(q.quality(), RenderQuality::Low);
    EXPECT_EQ(q.mode(), QualityMode::AutoHigh);
    // Comfortably quick again: back to high, but not at once.
    EXPECT_FALSE(q.frameDone(5, 40));
    for (int i = 0; i < 40; ++i)
        q.frameDone(5, 40);
    EXPECT_EQ(q.quality(), RenderQuality::High);
}

TEST(AutoQuality, AutoLowRisesWhenFramesKeepUpAndFixedLevelsNeverMove) {
    swf::AutoQuality q;
    q.setMode(QualityMode::AutoLow);
    EXPECT_EQ(q.quality(), RenderQuality::Low);
    // Just keeping up is not enough to afford the dearer level.
    for (int i = 0; i < 60; ++i)
        q.frameDone(35, 40);
    EXPECT_EQ(q.quality(), RenderQuality::Low);
    for (int i = 0; i < 60; ++i)
        q.frameDone(8, 40);
    EXPECT_EQ(q.quality(), RenderQuality::High);
    // Nonsense costs are ignored.
    EXPECT_FALSE(q.frameDone(-1, 40));
    EXPECT_FALSE(q.frameDone(std::nan(""), 40));
    EXPECT_FALSE(q.frameDone(100, 0));
    for (const auto m :
         {QualityMode::Low, QualityMode::Medium, QualityMode::High, QualityMode::Best}) {
        q.setMode(m);
        const RenderQuality before = q.quality();
        for (int i = 0; i < 60; ++i)
            q.frameDone(i < 30 ? 500 : 1, 40);
        EXPECT_EQ(q.quality(), before) << swf::qualityModeName(m).toStdString();
    }
}

TEST(AutoQuality, PlayerFollowsItsFramesUntilScriptChoosesALevel) {
    SwfWriter w = qualityScene();
    w.showFrame();
    auto movie = swf::loadMovie(w.finish()); // 12 frames a second: 83 ms each
    ASSERT_TRUE(movie.ok());
    swf::Player player(movie.value());
    player.setQualityMode(QualityMode::AutoHigh);
    for (int i = 0; i < 30; ++i)
        player.frameTook(200);
    EXPECT_EQ(player.quality(), RenderQuality::Low);
    EXPECT_EQ(player.stage()->quality(), RenderQuality::Low); // what script reads
    EXPECT_FALSE(look(drawPlayer(player)).smoothEdge);
    EXPECT_EQ(player.qualityMode(), QualityMode::AutoHigh);
    // Script sets a level: the automatic choice is over.
    player.stage()->setQuality(RenderQuality::Medium);
    for (int i = 0; i < 60; ++i)
        player.frameTook(i < 30 ? 200 : 1);
    EXPECT_EQ(player.quality(), RenderQuality::Medium);
    EXPECT_EQ(player.qualityMode(), QualityMode::Medium);
}
