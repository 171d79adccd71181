// The order of a frame: construction, load, frame actions, enterFrame and unload across the
// tree, init actions, gotos from scripts and the timeline's own placements and removals.

#include "swf/Player.h"
#include "swf/display/MovieClip.h"
#include "swf/display/Stage.h"
#include "tests/swf/display/FakeScriptHost.h"
#include "tests/swf/display/MovieBuilder.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

struct Scripted {
    std::unique_ptr<swf::Player> player;
    FakeScriptHost* script = nullptr;

    explicit Scripted(std::shared_ptr<swf::Movie> movie) {
        player = std::make_unique<swf::Player>(movie, [this](swf::Stage& stage) {
            auto host = std::make_unique<FakeScriptHost>(stage);
            script = host.get();
            return host;
        });
    }
    swf::Stage& stage() { return *player->stage(); }
    swf::MovieClip& root() { return stage().root(); }
};

// Three two-frame clips placed on the first frame, as authoring tools lay out a scene.
std::shared_ptr<swf::Movie> threeClips() {
    auto movie = movieWithFrames(3);
    for (uint16_t i = 0; i < 3; ++i) {
        auto sprite = defineSprite(*movie, 10 + i, 2);
        const QByteArray name = "mc" + QByteArray::number(i + 1);
        sprite->timeline().frames[0].actions.push_back("trace:frame 1 of " + name);
        sprite->timeline().frames[1].actions.push_back("trace:frame 2 of " + name);
        rootFrame(*movie, 0).commands.emplace_back(placement(i + 1, 10 + i, name.constData()));
    }
    rootFrame(*movie, 0).actions.push_back("trace:root frame 1");
    rootFrame(*movie, 1).actions.push_back("trace:root frame 2");
    // Frame 3 removes the clips.
    for (uint16_t i = 0; i < 3; ++i)
        rootFrame(*movie, 2).commands.emplace_back(swf::RemoveCommand{uint16_t(i + 1)});
    return movie;
}

} // namespace

TEST(FrameOrder, ChildrenAreBuiltThenLoadedThenRunTheirFirstFrameInPlacementOrder) {
    Scripted s(threeClips());
    const QStringList expected = {"_root construct", "mc1 construct",  "mc2 construct",
                                  "mc3 construct",   "_root load",     "mc1 load",
                                  "frame 1 of mc1",  "mc2 load",       "frame 1 of mc2",
                                  "mc3 load",        "frame 1 of mc3", "root frame 1"};
    EXPECT_EQ(s.script->log, expected);
}

TEST(FrameOrder, EnterFrameAndNextFramesGoNewestClipFirstThenTheRoot) {
    Scripted s(threeClips());
    s.script->log.clear();
    s.player->tick();
    const QStringList expected = {"mc3 enterFrame",   "frame 2 of mc3", "mc2 enterFrame",
                                  "frame 2 of mc2",   "mc1 enterFrame", "frame 2 of mc1",
                                  "_root enterFrame", "root frame 2"};
    EXPECT_EQ(s.script->log, expected);
}

TEST(FrameOrder, RemovedClipsHearUnloadInDepthOrderAndAreReleasedAfterTheQueue) {
    Scripted s(threeClips());
    s.player->tick();
    s.script->log.clear();
    std::weak_ptr<swf::DisplayObject> mc2 = s.root().childByName("mc2", true)->weak_from_this();
    s.player->tick(); // frame 3 removes them
    EXPECT_TRUE(s.script->log.contains("mc1 unload"));
    const auto at = [&](const char* line) { return s.script->log.indexOf(QString(line)); };
    EXPECT_LT(at("mc1 unload"), at("mc2 unload"));
    EXPECT_LT(at("mc2 unload"), at("mc3 unload"));
    EXPECT_EQ(s.script->removed, (std::vector<QString>{"mc1", "mc2", "mc3"}));
    EXPECT_EQ(s.root().childByName("mc2", true), nullptr);
    EXPECT_TRUE(mc2.expired()); // nothing keeps a removed clip alive
}

TEST(FrameOrder, InitActionsRunBeforeTheFrameAndOnlyTheFirstTime) {
    auto movie = movieWithFrames(3);
    rootFrame(*movie, 1).initActions.push_back({5, "trace:init"});
    rootFrame(*movie, 1).actions.push_back("trace:frame 2");
    Scripted s(movie);
    s.script->log.clear();
    s.player->tick();
    // At once, as the frame is entered: before anything queued this frame runs.
    EXPECT_EQ(s.script->log, (QStringList{"init", "_root enterFrame", "frame 2"}));
    s.script->log.clear();
    s.player->gotoFrame(0);
    s.player->gotoFrame(1);
    EXPECT_EQ(s.script->log, (QStringList{"frame 2"}));
}

TEST(FrameOrder, GotoInsideAScriptRunsOnlyTheDestinationsActionsWithinTheSameFrame) {
    auto movie = movieWithFrames(4);
    rootFrame(*movie, 0).actions.push_back("trace:one;goto:4;trace:after goto");
    rootFrame(*movie, 1).actions.push_back("trace:two");
    rootFrame(*movie, 2).actions.push_back("trace:three");
    rootFrame(*movie, 3).actions.push_back("trace:four");
    rootFrame(*movie, 3).commands.emplace_back(placement(1, 1, "square", 50, 50));
    Scripted s(movie);
    const QStringList& log = s.script->log;
    EXPECT_FALSE(log.contains("two"));
    EXPECT_FALSE(log.contains("three"));
    // The rest of the running block comes first, then the destination's actions.
    EXPECT_EQ(log.mid(log.indexOf("one")), (QStringList{"one", "after goto", "four"}));
    EXPECT_EQ(s.player->currentFrame(), 3);
    EXPECT_FALSE(s.player->isPlaying());
    EXPECT_NE(s.root().childAtDepth(1 + swf::kTimelineDepthOffset), nullptr);
}

TEST(FrameOrder, WithoutAScriptHostMoviesStillPlayTheirTimelines) {
    swf::Player p(threeClips());
    EXPECT_NE(p.stage()->root().childByName("mc3", true), nullptr);
    p.tick();
    p.tick();
    EXPECT_EQ(p.currentFrame(), 2);
    EXPECT_EQ(p.stage()->root().childByName("mc3", true), nullptr);
}

TEST(FrameOrder, TimelineNoLongerMovesAClipScriptMovedAndGoingBackRebuildsWhatItPlaced) {
    auto movie = movieWithFrames(4);
    auto sprite = defineSprite(*movie, 10, 1);
    rootFrame(*movie, 0).commands.emplace_back(placement(1, 10, "kept"));
    rootFrame(*movie, 0).commands.emplace_back(placement(2, 10, "dropped"));
    rootFrame(*movie, 1).commands.emplace_back(moveTo(1, 40, 40));
    rootFrame(*movie, 2).commands.emplace_back(swf::RemoveCommand{2});
    Scripted s(movie);
    swf::MovieClip& root = s.root();
    swf::DisplayObject* kept = root.childByName("kept", true);
    ASSERT_NE(kept, nullptr);
    kept->setX(7);
    EXPECT_TRUE(kept->transformOwnedByScript());
    s.player->tick(); // the timeline's move is ignored
    EXPECT_DOUBLE_EQ(kept->x(), 7);
    auto attached = root.createEmptyMovieClip("made", 5);
    ASSERT_TRUE(attached.ok());
    s.player->tick(); // "dropped" goes
    EXPECT_EQ(root.childByName("dropped", true), nullptr);
    s.player->gotoFrame(0);
    // The same placement stays (with what script did to it); the removed one comes back new;
    // what script made is left alone.
    EXPECT_EQ(root.childByName("kept", true), kept);
    EXPECT_DOUBLE_EQ(kept->x(), 7);
    EXPECT_NE(root.childByName("dropped", true), nullptr);
    EXPECT_EQ(root.childByName("made", true), attached.value());
}

TEST(FrameOrder, ASpriteThatPlacesItselfStopsAtTheInstanceBudgetWithAClearMessage) {
    auto movie = movieWithFrames(1);
    auto sprite = defineSprite(*movie, 10, 1);
    sprite->timeline().frames[0].commands.emplace_back(placement(1, 10));
    sprite->timeline().frames[0].commands.emplace_back(placement(2, 10));
    rootFrame(*movie, 0).commands.emplace_back(placement(1, 10));
    struct Messages : swf::PlayerHost {
        QStringList seen;
        void statusMessage(const QString& text) override { seen << text; }
    } host;
    // The nesting cap alone would allow 2^32 instances.
    swf::Player p(movie);
    p.setHost(&host);
    EXPECT_LE(p.stage()->instanceCount(), swf::Stage::kDefaultInstanceBudget);
    EXPECT_FALSE(p.stage()->budgetError().isEmpty());
    for (int i = 0; i < 3; ++i)
        p.tick();
    EXPECT_LE(p.stage()->instanceCount(), swf::Stage::kDefaultInstanceBudget);
    // A budget of the host's choosing is kept too, and the refusal is said once.
    swf::Stage stage(movie);
    stage.setHost(&host);
    stage.setInstanceBudget(50);
    host.seen.clear();
    stage.start();
    for (int i = 0; i < 3; ++i)
        stage.advanceFrame();
    EXPECT_EQ(stage.instanceCount(), 50u);
    ASSERT_EQ(host.seen.size(), 1);
    EXPECT_TRUE(host.seen[0].contains("50"));
}

TEST(FrameOrder, AHostGivenAtConstructionHearsTheFirstFramesRequests) {
    auto movie = movieWithFrames(1);
    rootFrame(*movie, 0).actions.push_back("getUrl:page.html");
    struct Pages : swf::PlayerHost {
        QStringList opened;
        void openUrl(const QString& url, const QString&) override { opened << url; }
    } host;
    swf::Player p(
        movie, [](swf::Stage& stage) { return std::make_unique<FakeScriptHost>(stage); }, &host,
        "http://example.org/movies/first.swf");
    EXPECT_EQ(host.opened, QStringList{"http://example.org/movies/page.html"});
}

TEST(FrameOrder, AMoveOntoAnEmptyDepthPlacesTheCharacter) {
    // Files do this: a "move" with a character where nothing stands yet.
    auto movie = movieWithFrames(2);
    swf::PlaceCommand move = placement(3, 1, "sq", 10, 10);
    move.move = true;
    rootFrame(*movie, 1).commands.emplace_back(move);
    swf::Player p(movie);
    p.tick();
    ASSERT_NE(p.stage()->root().childByName("sq", true), nullptr);
    EXPECT_DOUBLE_EQ(p.stage()->root().childByName("sq", true)->x(), 10);
    p.gotoFrame(0);
    p.gotoFrame(1);
    EXPECT_NE(p.stage()->root().childByName("sq", true), nullptr);
}

TEST(FrameOrder, APlaceAtATakenDepthKeepsWhatIsThereAndAClipKeepsItsCharacterOnAMove) {
    for (const int version : {5, 8}) {
        auto movie = movieWithFrames(3, version);
        defineSprite(*movie, 10, 1);
        defineSprite(*movie, 11, 1);
        rootFrame(*movie, 0).commands.emplace_back(placement(1, 10, "first"));
        rootFrame(*movie, 1).commands.emplace_back(placement(1, 11, "second"));
        swf::PlaceCommand move = placement(1, 11, nullptr, 30, 0);
        move.move = true;
        rootFrame(*movie, 2).commands.emplace_back(move);
        swf::Player p(movie);
        p.tick();
        // Only SWF 5 movies put the new clip in the old one's place.
        const char* standing = version == 5 ? "second" : "first";
        ASSERT_NE(p.stage()->root().childByName(standing, true), nullptr) << version;
        p.tick();
        const swf::DisplayObject* clip = p.stage()->root().childByName(standing, true);
        ASSERT_NE(clip, nullptr) << version;
        EXPECT_DOUBLE_EQ(clip->x(), 30); // moved, still the same clip
    }
}

TEST(FrameOrder, AMoveOntoADepthTheSameFrameEmptiedPlacesNothing) {
    auto movie = movieWithFrames(2);
    defineSprite(*movie, 10, 1);
    rootFrame(*movie, 0).commands.emplace_back(placement(1, 10, "clip"));
    rootFrame(*movie, 1).commands.emplace_back(swf::RemoveCommand{1});
    swf::PlaceCommand move = placement(1, 10, "again");
    move.move = true;
    rootFrame(*movie, 1).commands.emplace_back(move);
    swf::Player p(movie);
    p.tick();
    EXPECT_EQ(p.stage()->root().childAtDepth(1 + swf::kTimelineDepthOffset), nullptr);
}
