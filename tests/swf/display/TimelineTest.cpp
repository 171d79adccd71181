// Sprites and going to frames: the display list must be what playing would have built.

#include "swf/Player.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "tests/support/SwfWriter.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using testsupport::PlaceSpec;
using testsupport::SwfWriter;

namespace {

std::shared_ptr<swf::Movie> load(const QByteArray& file) {
    auto r = swf::loadMovie(file);
    EXPECT_TRUE(r.ok());
    return r.ok() ? r.value() : nullptr;
}

QColor sample(swf::Player& p, int x, int y) {
    QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&img);
    swf::RenderOptions o;
    o.quality = swf::RenderQuality::Low;
    p.render(painter, QRectF(0, 0, 100, 100), o);
    painter.end();
    return img.pixelColor(x, y);
}

// Frame 0: red at depth 1. Frame 1: blue at depth 2, red moved. Frame 2: red removed.
QByteArray changingMovie() {
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    w.defineRectShape(2, QRect(0, 0, 10, 10), Qt::blue);
    w.placeObject2(1, 1, 0, 0); // frame 0
    w.showFrame();
    w.placeObject2(2, 2, 20, 0); // frame 1
    w.moveObject2(1, 0, 50);
    w.showFrame();
    w.removeObject2(1); // frame 2
    w.showFrame();
    w.placeObject2(1, 2, 80, 80); // frame 3: blue at depth 1
    w.showFrame();
    return w.finish();
}

} // namespace

TEST(Timeline, GotoBackwardsAndForwardsGivesThePlayedList) {
    auto movie = load(changingMovie());
    // The lists seen while playing.
    std::vector<std::vector<std::pair<int, QColor>>> expected;
    swf::Player played(movie);
    std::vector<std::array<QColor, 4>> seen;
    auto probe = [](swf::Player& p) {
        return std::array<QColor, 4>{sample(p, 5, 5), sample(p, 5, 55), sample(p, 25, 5),
                                     sample(p, 85, 85)};
    };
    for (int f = 0; f < 4; ++f) {
        seen.push_back(probe(played));
        played.tick();
    }
    EXPECT_EQ(seen[0][0], QColor(Qt::red));
    EXPECT_EQ(seen[1][1], QColor(Qt::red));
    EXPECT_EQ(seen[1][0], QColor(Qt::white));
    EXPECT_EQ(seen[2][1], QColor(Qt::white));
    EXPECT_EQ(seen[3][3], QColor(Qt::blue));
    swf::Player p(movie);
    for (int target : {3, 1, 0, 2, 1, 3, 0}) {
        p.gotoFrame(target);
        EXPECT_EQ(probe(p), seen[static_cast<std::size_t>(target)]) << "frame " << target;
    }
}

TEST(Timeline, SpriteLoopsOnItsOwnWhileTheMainTimelineStops) {
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    SwfWriter inner(100, 100, 12);
    inner.placeObject2(1, 1, 0, 0);
    inner.showFrame();
    inner.moveObject2(1, 50, 0);
    inner.showFrame();
    inner.moveObject2(1, 50, 50);
    inner.showFrame();
    w.defineSprite(2, inner);
    w.placeObject2(1, 2);
    w.showFrame();
    swf::Player p(load(w.finish()));
    p.setLoop(false);
    EXPECT_EQ(p.totalFrames(), 1);
    EXPECT_EQ(sample(p, 5, 5), QColor(Qt::red));
    p.tick();
    EXPECT_FALSE(p.isPlaying()); // the main timeline has one frame
    EXPECT_EQ(sample(p, 55, 5), QColor(Qt::red));
    p.tick();
    EXPECT_EQ(sample(p, 55, 55), QColor(Qt::red));
    p.tick(); // loops back to its first frame
    EXPECT_EQ(sample(p, 5, 5), QColor(Qt::red));
    EXPECT_EQ(sample(p, 55, 55), QColor(Qt::white));
}

TEST(Timeline, NewSpriteStartsOnItsFirstFrame) {
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    SwfWriter inner(100, 100, 12);
    inner.placeObject2(1, 1, 0, 0);
    inner.showFrame();
    inner.moveObject2(1, 50, 0);
    inner.showFrame();
    w.defineSprite(2, inner);
    w.showFrame();
    w.placeObject2(1, 2); // appears on frame 1
    w.showFrame();
    w.showFrame();
    swf::Player p(load(w.finish()));
    p.tick();
    EXPECT_EQ(sample(p, 5, 5), QColor(Qt::red)) << "a new sprite shows its first frame";
    p.tick();
    EXPECT_EQ(sample(p, 55, 5), QColor(Qt::red));
}

TEST(Timeline, SpriteKeepsRunningWhenTheMainTimelineGoesBackToAFrameItStayedThrough) {
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    SwfWriter inner(100, 100, 12);
    for (int i = 0; i < 5; ++i) {
        if (i == 0)
            inner.placeObject2(1, 1, 0, 0);
        else
            inner.moveObject2(1, i * 20, 0);
        inner.showFrame();
    }
    w.defineSprite(2, inner);
    w.placeObject2(1, 2);
    w.showFrame();
    w.showFrame();
    w.showFrame();
    swf::Player p(load(w.finish()));
    p.tick();
    p.tick(); // main frame 2, sprite frame 2
    p.gotoFrame(1);
    EXPECT_EQ(sample(p, 45, 5), QColor(Qt::red)) << "the sprite was not restarted";
}

TEST(Timeline, SelfPlacingSpriteDoesNotRecurseForever) {
    SwfWriter w(100, 100, 12);
    SwfWriter inner(100, 100, 12);
    inner.placeObject2(1, 7); // the sprite places itself
    inner.showFrame();
    w.defineSprite(7, inner);
    w.placeObject2(1, 7);
    w.showFrame();
    swf::Player p(load(w.finish()));
    for (int i = 0; i < 3; ++i)
        p.tick();
    EXPECT_EQ(sample(p, 5, 5), QColor(Qt::white));
}

TEST(Timeline, FrameLabelsAreKept) {
    SwfWriter w(100, 100, 12);
    w.showFrame();
    w.frameLabel("middle");
    w.showFrame();
    auto movie = load(w.finish());
    ASSERT_EQ(movie->framesLoaded(), 2);
    EXPECT_EQ(movie->timeline().frames[1].label, QByteArray("middle"));
}

TEST(Timeline, PlaceOnOccupiedDepthAndMoveOnEmptyDepthAreIgnored) {
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    w.defineRectShape(2, QRect(0, 0, 10, 10), Qt::blue);
    w.placeObject2(1, 1);
    w.moveObject2(9, 50, 50); // nothing at depth 9
    w.showFrame();
    PlaceSpec replace; // a move with a character replaces the character, keeps the matrix
    replace.depth = 1;
    replace.move = true;
    replace.characterId = 2;
    w.placeObject(replace);
    w.showFrame();
    swf::Player p(load(w.finish()));
    EXPECT_EQ(sample(p, 55, 55), QColor(Qt::white));
    p.tick();
    EXPECT_EQ(sample(p, 5, 5), QColor(Qt::blue));
}
