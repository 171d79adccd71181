// What script sees of the display tree: properties as Flash computes them, names and paths,
// depths of script-made clips, and the main timeline's looping.

#include "swf/Player.h"
#include "swf/display/MovieClip.h"
#include "swf/display/Stage.h"
#include "tests/swf/display/FakeScriptHost.h"
#include "tests/swf/display/MovieBuilder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

std::unique_ptr<swf::Player> scripted(std::shared_ptr<swf::Movie> movie,
                                      FakeScriptHost** script = nullptr) {
    return std::make_unique<swf::Player>(movie, [script](swf::Stage& stage) {
        auto host = std::make_unique<FakeScriptHost>(stage);
        if (script)
            *script = host.get();
        return host;
    });
}

} // namespace

TEST(DisplayTree, PropertiesReadBackAsFlashComputesThem) {
    auto movie = movieWithFrames(1);
    swf::Player p(movie);
    swf::MovieClip& root = p.stage()->root();
    auto made = root.attachCharacter(1, "sq", 0); // the 10x10 red square
    ASSERT_TRUE(made.ok());
    swf::DisplayObject& sq = *made.value();
    EXPECT_DOUBLE_EQ(sq.width(), 10);
    sq.setX(12.34);
    EXPECT_DOUBLE_EQ(sq.x(), 12.35); // whole twips
    sq.setXScale(-50);
    EXPECT_DOUBLE_EQ(sq.xScale(), -50);
    EXPECT_NEAR(sq.width(), 5, 1e-9);
    sq.setXScale(200);
    sq.setRotation(450); // read back within -180..180
    EXPECT_NEAR(sq.rotation(), 90, 1e-9);
    EXPECT_NEAR(sq.xScale(), 200, 1e-9);
    EXPECT_NEAR(sq.height(), 20, 1e-9); // turned a quarter: the doubled side stands up
    sq.setRotation(0);
    sq.setWidth(40);
    EXPECT_NEAR(sq.xScale(), 400, 1e-9);
    sq.setAlpha(30);
    EXPECT_NEAR(sq.alpha(), 30, 1e-4);
    sq.setX(std::numeric_limits<double>::quiet_NaN()); // scripts pass anything
    EXPECT_DOUBLE_EQ(sq.x(), 0);
    sq.setXScale(1e308);
    sq.setAlpha(std::numeric_limits<double>::infinity());
    swf::ColorTransform wild;
    wild.add[0] = std::numeric_limits<float>::infinity();
    sq.setColorTransform(wild);
    EXPECT_TRUE(std::isfinite(sq.matrix().m11()));
    EXPECT_TRUE(std::isfinite(sq.colorTransform().add[0]));
    QImage img(50, 50, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&img);
    p.render(painter, QRectF(0, 0, 50, 50), swf::RenderOptions{}); // draws without trouble
    // A timeline matrix decomposes the same way; a mirrored one still reads back positive
    // scales (a clip flipped in the authoring tool shows rotation 180 and scale 100).
    auto other = root.attachCharacter(1, "m", 1);
    ASSERT_TRUE(other.ok());
    other.value()->setMatrix(QTransform(0, 2, 3, 0, 0, 0), false);
    EXPECT_NEAR(other.value()->rotation(), 90, 1e-9);
    EXPECT_NEAR(other.value()->xScale(), 200, 1e-9);
    EXPECT_NEAR(other.value()->yScale(), 300, 1e-9);
    EXPECT_FALSE(other.value()->transformOwnedByScript());
    // Setting a scale keeps the mirror.
    other.value()->setXScale(100);
    EXPECT_LT(other.value()->matrix().determinant(), 0);
}

TEST(DisplayTree, NamesPathsAndBoundsAcrossSpaces) {
    auto movie = movieWithFrames(1, 6);
    swf::Player p(movie);
    swf::Stage& stage = *p.stage();
    swf::MovieClip& root = stage.root();
    swf::MovieClip* a = root.createEmptyMovieClip("Outer", 1).value();
    swf::MovieClip* b = a->createEmptyMovieClip("inner", 2).value();
    a->setX(10);
    b->setY(5);
    auto sq = b->attachCharacter(1, "sq", 0);
    ASSERT_TRUE(sq.ok());
    EXPECT_EQ(b->targetPath(), "_level0.Outer.inner");
    EXPECT_EQ(b->slashPath(), "/Outer/inner");
    EXPECT_EQ(root.slashPath(), "/");
    // SWF 6 compares names without regard to case.
    EXPECT_FALSE(stage.caseSensitiveNames());
    EXPECT_EQ(stage.findTarget("/outer/INNER", nullptr), b);
    EXPECT_EQ(stage.findTarget("_root.outer.inner", nullptr), b);
    EXPECT_EQ(stage.findTarget("_level0.Outer", nullptr), a);
    EXPECT_EQ(stage.findTarget("..", b), a);
    EXPECT_EQ(stage.findTarget("../../Outer/inner", b), b);
    EXPECT_EQ(stage.findTarget("_parent._parent", b), &root);
    EXPECT_EQ(stage.findTarget("nothing/here", nullptr), nullptr);
    EXPECT_EQ(stage.findTarget("_level7", nullptr), nullptr);
    // Bounds: local, in the parent, on the stage (twips).
    EXPECT_EQ(b->bounds(b), QRectF(0, 0, 200, 200));
    EXPECT_EQ(b->bounds(nullptr), QRectF(200, 100, 200, 200));
    EXPECT_EQ(b->bounds(a), QRectF(0, 100, 200, 200));
    EXPECT_TRUE(b->hitTestBounds(QPointF(210, 110)));
    EXPECT_FALSE(b->hitTestBounds(QPointF(190, 110)));
    EXPECT_TRUE(b->hitTestShape(QPointF(250, 150)));
    EXPECT_EQ(b->localToGlobal(QPointF(0, 0)), QPointF(200, 100));
    EXPECT_EQ(b->globalToLocal(QPointF(200, 100)), QPointF(0, 0));
}

TEST(DisplayTree, ScriptCannotNestClipsWithoutEnd) {
    swf::Player p(movieWithFrames(1));
    swf::MovieClip* clip = &p.stage()->root();
    int made = 0;
    for (int i = 0; i < 10000; ++i) {
        auto next = clip->createEmptyMovieClip("c", 0);
        if (!next.ok()) {
            EXPECT_TRUE(next.error().message.contains("nested"));
            break;
        }
        clip = next.value();
        ++made;
    }
    EXPECT_EQ(made, swf::MovieClip::kMaxScriptNesting - 1);
    EXPECT_FALSE(p.stage()->root().bounds(nullptr).isValid());
    p.stage()->root().removeChildAt(0);
    p.tick();
}

TEST(DisplayTree, ScriptDepthsCreationRemovalAndSwapping) {
    auto movie = movieWithFrames(1);
    auto sprite = defineSprite(*movie, 10, 1);
    movie->exportName("Thing", 10);
    rootFrame(*movie, 0).commands.emplace_back(placement(1, 10, "placed"));
    swf::Player p(movie);
    swf::MovieClip& root = p.stage()->root();
    swf::MovieClip* placed = root.childByName("placed", true)->asMovieClip();
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->depth(), -16383);
    EXPECT_EQ(root.nextHighestDepth(), 0);
    auto attached = root.attachMovie("thing", "a", root.nextHighestDepth()); // any case
    ASSERT_TRUE(attached.ok());
    EXPECT_EQ(attached.value()->depth(), 0);
    EXPECT_EQ(root.nextHighestDepth(), 1);
    EXPECT_FALSE(root.attachMovie("Missing", "x", 3).ok());
    EXPECT_FALSE(root.createEmptyMovieClip("x", swf::kMaxScriptDepth + 1).ok());
    // Replacing what is at a depth.
    auto again = root.attachMovie("Thing", "b", 0);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(root.childByName("a", true), nullptr);
    // duplicate: a sibling with the same transform and drawing, at frame 1.
    again.value()->setX(30);
    again.value()->drawing().beginFill(Qt::blue);
    again.value()->drawing().lineTo(100, 0);
    again.value()->drawing().lineTo(100, 100);
    again.value()->drawing().endFill();
    auto copy = again.value()->duplicate("c", 5);
    ASSERT_TRUE(copy.ok());
    EXPECT_DOUBLE_EQ(copy.value()->x(), 30);
    EXPECT_FALSE(copy.value()->drawing().empty());
    // removeMovieClip leaves timeline clips alone.
    EXPECT_FALSE(placed->removeByScript());
    EXPECT_TRUE(copy.value()->removeByScript());
    EXPECT_EQ(root.childAtDepth(5), nullptr);
    // swapDepths moves a timeline clip into the script range, where it can then be removed.
    ASSERT_TRUE(placed->swapDepths(10));
    EXPECT_EQ(placed->depth(), 10);
    EXPECT_EQ(root.childAtDepth(-16383), nullptr);
    ASSERT_TRUE(placed->swapDepths(*again.value()));
    EXPECT_EQ(placed->depth(), 0);
    EXPECT_EQ(again.value()->depth(), 10);
    EXPECT_TRUE(placed->removeByScript());
    // Copies and swaps stay where removeMovieClip can reach them; attach may go higher.
    EXPECT_FALSE(again.value()->duplicate("high", swf::kMaxRemovableDepth + 1).ok());
    EXPECT_TRUE(again.value()->duplicate("top", swf::kMaxRemovableDepth).ok());
    EXPECT_FALSE(again.value()->swapDepths(swf::kMaxRemovableDepth + 1));
    EXPECT_FALSE(again.value()->swapDepths(swf::kTimelineDepthOffset - 1));
    EXPECT_TRUE(root.createEmptyMovieClip("y", swf::kMaxRemovableDepth + 1).ok());
}

TEST(DisplayTree, MainTimelineLoopsUnlessTheMovieStopsItselfOnItsLastFrame) {
    // A movie that stops itself ends there, loop or not, and is no longer playing.
    for (bool loop : {true, false}) {
        auto movie = movieWithFrames(3);
        rootFrame(*movie, 2).actions.push_back("stop");
        auto p = scripted(movie);
        p->setLoop(loop);
        for (int i = 0; i < 5; ++i)
            p->tick();
        EXPECT_EQ(p->currentFrame(), 2) << loop;
        EXPECT_FALSE(p->isPlaying()) << loop;
    }
    // One that does not stop itself loops and stays playing; without Loop it stops at its end.
    auto movie = movieWithFrames(3);
    auto p = scripted(movie);
    std::vector<int> frames;
    for (int i = 0; i < 4; ++i) {
        p->tick();
        frames.push_back(p->currentFrame());
        EXPECT_TRUE(p->isPlaying());
    }
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 0, 1}));
    p->setLoop(false);
    p->tick();
    p->tick();
    EXPECT_EQ(p->currentFrame(), 2);
    EXPECT_FALSE(p->isPlaying());
    p->play(); // starts it again from the first frame
    EXPECT_EQ(p->currentFrame(), 0);
    EXPECT_TRUE(p->isPlaying());
}

TEST(DisplayTree, LevelsLoadedByScriptPlayAboveTheMovie) {
    auto movie = movieWithFrames(1);
    const QString path = QDir::temp().filePath("quarvel-level-test.swf");
    {
        SwfWriter w(100, 100, 12);
        w.defineRectShape(1, QRect(0, 0, 100, 100), Qt::blue);
        w.placeObject2(1, 1);
        w.showFrame();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(w.finish());
    }
    swf::Player p(movie);
    p.setMovieUrl(QDir::temp().filePath("main.swf"));
    p.stage()->getUrl("quarvel-level-test.swf", "_level3");
    EXPECT_EQ(p.stage()->level(3), nullptr); // applied on the next frame
    p.tick();
    ASSERT_NE(p.stage()->level(3), nullptr);
    EXPECT_EQ(p.stage()->level(3)->targetPath(), "_level3");
    QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&img);
    swf::RenderOptions o;
    o.quality = swf::RenderQuality::Low;
    p.render(painter, QRectF(0, 0, 100, 100), o);
    painter.end();
    EXPECT_EQ(img.pixelColor(50, 50), QColor(Qt::blue));
    // A file that is not a movie leaves the level as it was.
    p.stage()->loadMovieNum(3, "does-not-exist.swf");
    p.tick();
    EXPECT_NE(p.stage()->level(3), nullptr);
    p.stage()->unloadMovieNum(3);
    EXPECT_EQ(p.stage()->level(3), nullptr);
    QFile::remove(path);
}
