// Movies written by the test SWF writer, played by the real Player with the script host:
// the order frames and events run in, script changing the tree, and the host hearing it.

#include "tests/support/ActionBuilder.h"
#include "tests/support/SwfWriter.h"

#include "swf/Player.h"
#include "swf/PlayerHost.h"
#include "swf/avm1/Avm1Host.h"
#include "swf/display/MovieClip.h"
#include "swf/display/Stage.h"
#include "swf/display/TextField.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::ActionBuilder;
using testsupport::PushValue;
using testsupport::SwfWriter;

namespace {

class RecordingHost : public swf::PlayerHost {
public:
    void trace(const QString& line) override { lines << line; }
    void openUrl(const QString& url, const QString& target) override {
        urls << url + QLatin1Char('|') + target;
    }
    void statusMessage(const QString& text) override { status << text; }
    QStringList lines, urls, status;
};

struct PlayedMovie {
    RecordingHost host;
    std::unique_ptr<swf::Player> player;
    swf::avm1::Avm1Host* script = nullptr;

    PlayedMovie(const QByteArray& file, int timeoutMs = 15000) {
        auto movie = swf::loadMovie(file);
        EXPECT_TRUE(movie.ok());
        player = std::make_unique<swf::Player>(movie.value(), [&](swf::Stage& stage) {
            stage.setHost(&host);
            auto h = std::make_unique<swf::avm1::Avm1Host>(stage);
            h->vm().limits().timeoutMs = timeoutMs;
            script = h.get();
            return h;
        });
        player->setHost(&host);
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            player->tick();
    }
};

QByteArray traceCode(const char* text) {
    ActionBuilder a;
    a.push(text).trace();
    return a.finish();
}

// An empty sprite with one frame that traces text.
void defineTracingSprite(SwfWriter& w, uint16_t id, const char* text) {
    SwfWriter inner(1, 1, 12, w.version());
    inner.doAction(traceCode(text));
    inner.showFrame();
    w.defineSprite(id, inner);
}

} // namespace

TEST(Avm1Player, FrameScriptsRunInOrderAndStopHolds) {
    SwfWriter w(100, 100, 12);
    w.doAction(traceCode("frame 1"));
    w.showFrame();
    ActionBuilder f2;
    f2.push("frame 2").trace().stop();
    w.doAction(f2.finish());
    w.showFrame();
    w.doAction(traceCode("frame 3"));
    w.showFrame();
    PlayedMovie run(w.finish());
    run.ticks(4);
    EXPECT_EQ(run.host.lines, (QStringList{"frame 1", "frame 2"}));
    EXPECT_FALSE(run.player->isPlaying());
}

TEST(Avm1Player, GotoInsideAScriptRunsTheTargetFramesActions) {
    SwfWriter w(100, 100, 12);
    ActionBuilder f1;
    f1.push("frame 1").trace().gotoFrame(2).push("after goto").trace(); // gotoAndStop(3)
    w.doAction(f1.finish());
    w.showFrame();
    w.doAction(traceCode("frame 2"));
    w.showFrame();
    w.doAction(traceCode("frame 3"));
    w.showFrame();
    PlayedMovie run(w.finish());
    run.ticks(2);
    // The rest of the script finishes before the target frame's actions run, and the clip
    // stays there.
    EXPECT_EQ(run.host.lines, (QStringList{"frame 1", "after goto", "frame 3"}));
}

TEST(Avm1Player, ClipEventsAndChildFramesRunInFlashsOrder) {
    SwfWriter w(100, 100, 12);
    defineTracingSprite(w, 1, "child frame");
    ActionBuilder load;
    load.push("load ").push("this").getVariable().add2().trace();
    ActionBuilder enter;
    enter.push("enterFrame").trace();
    testsupport::PlaceSpec place;
    place.depth = 1;
    place.characterId = 1;
    place.name = QByteArray("kid");
    place.clipActions.push_back({swf::clipevent::Load, load.finish(), 0});
    place.clipActions.push_back({swf::clipevent::EnterFrame, enter.finish(), 0});
    w.placeObject(place);
    w.doAction(traceCode("root frame"));
    w.showFrame();
    ActionBuilder stop;
    stop.stop();
    w.doAction(stop.finish());
    w.showFrame();
    PlayedMovie run(w.finish());
    run.ticks(1);
    // When each runs relative to the others is the tree's decision; here: each ran once in
    // the first frame, with the clip as this.
    EXPECT_EQ(run.host.lines.count("root frame"), 1);
    EXPECT_EQ(run.host.lines.count("child frame"), 1);
    EXPECT_EQ(run.host.lines.count("load _level0.kid"), 1);
    EXPECT_TRUE(run.host.lines.contains("enterFrame"));
    const int before = run.host.lines.count("enterFrame");
    run.ticks(2);
    EXPECT_EQ(run.host.lines.count("enterFrame"), before + 2);
    EXPECT_EQ(run.host.lines.count("load _level0.kid"), 1);
}

TEST(Avm1Player, ScriptMadeClipsAndTheirProperties) {
    SwfWriter w(100, 100, 12);
    ActionBuilder a;
    // var c = _root.createEmptyMovieClip("made", 5); c._x = 12; trace(c); trace(c._x);
    // trace(c.getDepth()); c.removeMovieClip(); trace(typeof made)
    a.push({"c", 5, "made", 2, "_root"}).getVariable().push("createEmptyMovieClip").callMethod();
    a.setVariable();
    a.get("c").push({"_x", 12}).setMember();
    a.get("c").trace();
    a.get("c").push("_x").getMember().trace();
    a.push(0).get("c").push("getDepth").callMethod().trace();
    a.push(0).get("c").push("removeMovieClip").callMethod().pop();
    a.get("made").typeOf().trace();
    w.doAction(a.finish());
    w.showFrame();
    PlayedMovie run(w.finish());
    EXPECT_EQ(run.host.lines, (QStringList{"_level0.made", "12", "5", "undefined"}));
}

TEST(Avm1Player, ScriptDepthsWrapTo32Bits) {
    SwfWriter w(100, 100, 12);
    ActionBuilder a;
    // createEmptyMovieClip("one", 0); createEmptyMovieClip("two", 4294967296) lands on
    // depth 0 and so replaces the first.
    a.push({0, "one", 2, "_root"}).getVariable().push("createEmptyMovieClip").callMethod().pop();
    a.push({4294967296.0, "two", 2, "_root"}).getVariable().push("createEmptyMovieClip");
    a.callMethod().pop();
    a.get("one").typeOf().trace();
    a.push(0).get("two").push("getDepth").callMethod().trace();
    w.doAction(a.finish());
    w.showFrame();
    PlayedMovie run(w.finish());
    EXPECT_EQ(run.host.lines, (QStringList{"undefined", "0"}));
}

TEST(Avm1Player, SwapDepthsTakesAPathOrAnyNumber) {
    SwfWriter w(100, 100, 12);
    ActionBuilder a;
    a.push({1, "a", 2, "_root"}).getVariable().push("createEmptyMovieClip").callMethod().pop();
    a.push({2, "b", 2, "_root"}).getVariable().push("createEmptyMovieClip").callMethod().pop();
    // a.swapDepths("../b"): text is a path from the clip to the one to trade places with.
    a.push({"../b", 1}).get("a").push("swapDepths").callMethod().pop();
    a.push(0).get("a").push("getDepth").callMethod().trace();
    // b.swapDepths(NaN) goes to depth 0; undefined changes nothing.
    a.push({std::nan(""), 1}).get("b").push("swapDepths").callMethod().pop();
    a.push(0).get("b").push("getDepth").callMethod().trace();
    a.push({PushValue::undefined(), 1}).get("b").push("swapDepths");
    a.callMethod().pop();
    a.push(0).get("b").push("getDepth").callMethod().trace();
    w.doAction(a.finish());
    w.showFrame();
    PlayedMovie run(w.finish());
    EXPECT_EQ(run.host.lines, (QStringList{"2", "0", "0"}));
}

TEST(Avm1Player, LockRootMakesAClipTheRootOfWhatIsInsideIt) {
    for (int version : {6, 8}) {
        SwfWriter w(100, 100, 12, version);
        ActionBuilder a;
        a.push({1, "a", 2, "_root"}).getVariable().push("createEmptyMovieClip").callMethod().pop();
        a.push({1, "b", 2, "a"}).getVariable().push("createEmptyMovieClip").callMethod().pop();
        a.get("a").push({"_lockroot", true}).setMember();
        a.get("a").push("_lockroot").getMember().trace();
        a.get("a.b._root").trace();
        a.get("a").push("_lockroot").push(PushValue::undefined()).setMember();
        a.get("a").push("_lockroot").getMember().trace();
        a.get("a.b._root").trace();
        w.doAction(a.finish());
        w.showFrame();
        PlayedMovie run(w.finish());
        if (version >= 7)
            EXPECT_EQ(run.host.lines, (QStringList{"true", "_level0.a", "false", "_level0"}));
        else // a plain variable before Flash 7
            EXPECT_EQ(run.host.lines, (QStringList{"true", "_level0", "undefined", "_level0"}));
    }
}

TEST(Avm1Player, GetUrlReachesTheHost) {
    SwfWriter w(100, 100, 12);
    ActionBuilder a;
    a.getUrl("http://example.com/page", "_blank");
    a.getUrl("javascript:alert(1)", "");
    w.doAction(a.finish());
    w.showFrame();
    PlayedMovie run(w.finish());
    EXPECT_EQ(run.host.urls, QStringList{"http://example.com/page|_blank"});
}

TEST(Avm1Player, RunawayLoopIsStoppedAndThePlayerStaysResponsive) {
    SwfWriter w(100, 100, 12);
    ActionBuilder loop;
    loop.push("start").trace().label("top").push(true).ifTrue("top");
    w.doAction(loop.finish());
    w.showFrame();
    w.doAction(traceCode("frame 2 still runs"));
    w.showFrame();
    PlayedMovie run(w.finish(), 300);
    EXPECT_EQ(run.host.lines, QStringList{"start"});
    ASSERT_EQ(run.host.status.size(), 1);
    run.ticks(1);
    EXPECT_EQ(run.host.lines, (QStringList{"start", "frame 2 still runs"}));
}

TEST(Avm1Player, OnEnterFrameAndIntervalsKeepRunning) {
    SwfWriter w(100, 100, 12);
    ActionBuilder a;
    // n = 0; _root.onEnterFrame = function () { n++; if (n == 3) trace("third") }
    a.set("n", 0);
    ActionBuilder body;
    body.get("n").increment().push("n").stackSwap().setVariable();
    body.get("n").push(3).equals2().logicalNot().ifTrue("skip").push("third").trace().label("skip");
    a.push("_root").getVariable().push("onEnterFrame");
    a.defineFunction("", {}, body);
    a.setMember();
    a.stop();
    w.doAction(a.finish());
    w.showFrame();
    PlayedMovie run(w.finish());
    run.ticks(5);
    EXPECT_EQ(run.host.lines, QStringList{"third"});
}

TEST(Avm1Player, ATextFieldShowsItsVariableAndWhatIsTypedGoesBack) {
    SwfWriter w(100, 100, 12);
    ActionBuilder f1;
    // _root.createTextField("tf", 1, 0, 0, 100, 20); tf.variable = "score"; score = 5;
    f1.push({20, 100, 0, 0, 1, "tf", 6, "_root"}).getVariable().push("createTextField");
    f1.callMethod().pop();
    f1.get("tf").push({"variable", "score"}).setMember();
    f1.push({"score", 5}).setVariable();
    w.doAction(f1.finish());
    w.showFrame();
    ActionBuilder f2;
    f2.push({"score", "score"}).getVariable().push(1).add2().setVariable();
    f2.get("tf").push({"variable", "hud.total"}).setMember();
    w.doAction(f2.finish());
    w.showFrame();
    ActionBuilder f3;
    f3.push("score").getVariable().trace().stop();
    w.doAction(f3.finish());
    w.showFrame();

    PlayedMovie m(w.finish());
    auto* field = m.player->stage()->root().childByName("tf", true);
    ASSERT_NE(field, nullptr);
    ASSERT_NE(field->asTextField(), nullptr);
    EXPECT_EQ(field->asTextField()->text(), "5"); // shown once the frame's scripts ran
    // A path to a clip that does not exist binds to nothing and leaves the text alone.
    m.ticks(1);
    EXPECT_EQ(field->asTextField()->text(), "5");
    field->asTextField()->setVariable("score");
    field->asTextField()->setText("42"); // as typing does
    m.ticks(1);
    EXPECT_EQ(m.host.lines.value(0), "42");
    EXPECT_EQ(field->asTextField()->text(), "42");
}

TEST(Avm1Player, AColorObjectChangesItsClipsColourTransform) {
    SwfWriter w(100, 100, 12);
    ActionBuilder a;
    a.push({"c", 1, "made", 2, "_root"}).getVariable().push("createEmptyMovieClip").callMethod();
    a.setVariable();
    // col = new Color(c); col.setRGB(0x336699); trace(col.getRGB());
    a.push("col").get("c").push({1, "Color"}).newObject().setVariable();
    a.push({0x336699, 1}).get("col").push("setRGB").callMethod().pop();
    a.push(0).get("col").push("getRGB").callMethod().trace();
    // A path works too; multipliers are kept as 1/256ths, as Flash keeps them.
    a.push({"byPath", "made", 1, "Color"}).newObject().setVariable();
    a.push({"ra", 10, "ab", -20, 2}).initObject().push(1).get("byPath");
    a.push("setTransform").callMethod().pop();
    a.push(0).get("byPath").push("getTransform").callMethod().push("ra").getMember().trace();
    a.stop();
    w.doAction(a.finish());
    w.showFrame();

    PlayedMovie m(w.finish());
    EXPECT_EQ(m.host.lines, (QStringList{QString::number(0x336699), "9.765625"}));
    const swf::DisplayObject* clip = m.player->stage()->root().childByName("made", true);
    ASSERT_NE(clip, nullptr);
    const swf::ColorTransform& cx = clip->colorTransform();
    EXPECT_FLOAT_EQ(cx.mul[0], 25.0f / 256.0f);
    EXPECT_FLOAT_EQ(cx.mul[1], 0.0f); // setRGB cleared it, setTransform left it
    EXPECT_FLOAT_EQ(cx.add[1], 0x66);
    EXPECT_FLOAT_EQ(cx.add[3], -20);
}

TEST(Avm1Player, ATransformReadsAndWritesItsClipsMatrixAndColour) {
    SwfWriter w(100, 100, 12, 8);
    ActionBuilder a;
    a.push({"c", 1, "made", 2, "_root"}).getVariable().push("createEmptyMovieClip").callMethod();
    a.setVariable();
    // t = c.transform; t.matrix = {a:2, b:0, c:0, d:2, tx:10, ty:20}; a partial one is ignored
    a.push("t").get("c").push("transform").getMember().setVariable();
    a.get("t").push({"matrix", "a", 2, "b", 0, "c", 0, "d", 2, "tx", 10, "ty", 20, 6});
    a.initObject().setMember();
    a.get("t").push({"matrix", "tx", 99, 1}).initObject().setMember();
    a.get("c").push("_x").getMember().trace();
    a.get("t").push("matrix").getMember().push("d").getMember().trace();
    // t.colorTransform = new flash.geom.ColorTransform(0.5, 1, 1, 1, 10, 0, 0, 0)
    a.get("t").push("colorTransform");
    a.push({0, 0, 0, 10, 1, 1, 1, 0.5, 8}).get("flash").push("geom").getMember();
    a.push("ColorTransform").newMethod().setMember();
    a.get("c").push("transform").getMember().push("colorTransform").getMember();
    a.push("redOffset").getMember().trace();
    a.stop();
    w.doAction(a.finish());
    w.showFrame();

    PlayedMovie m(w.finish());
    EXPECT_EQ(m.host.lines, (QStringList{"10", "2", "10"}));
    const swf::DisplayObject* clip = m.player->stage()->root().childByName("made", true);
    ASSERT_NE(clip, nullptr);
    EXPECT_DOUBLE_EQ(clip->matrix().m22(), 2);
    EXPECT_DOUBLE_EQ(clip->matrix().dy(), 400); // twips
    EXPECT_FLOAT_EQ(clip->colorTransform().mul[0], 0.5f);
}

namespace {

// mcl[event] = function(target, x) { trace(event + " " + target + " " + x); }
void traceListener(ActionBuilder& a, const char* event) {
    ActionBuilder body;
    body.push(event).push(" ").add2().get("target").add2().push(" ").add2().get("x").add2();
    body.trace();
    a.get("mcl").push(event).defineFunction("", {"target", "x"}, body).setMember();
}

} // namespace

TEST(Avm1Player, AMovieClipLoaderTellsItsListenersHowALoadGoes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SwfWriter child(100, 100, 12, 8);
    child.doAction(traceCode("child frame 1"));
    child.showFrame();
    QFile file(dir.filePath("child.swf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(child.finish());
    file.close();

    SwfWriter w(100, 100, 12, 8);
    ActionBuilder a;
    a.push({"holder", 1, "holder", 2, "_root"}).getVariable();
    a.push("createEmptyMovieClip").callMethod().setVariable();
    a.push({"mcl", 0, "MovieClipLoader"}).newObject().setVariable();
    for (const char* event : {"onLoadStart", "onLoadComplete", "onLoadInit", "onLoadError"})
        traceListener(a, event);
    a.push("holder").getVariable().push({"child.swf", 2}).get("mcl").push("loadClip");
    a.callMethod().trace();
    a.push({"_root.holder", "missing.swf", 2}).get("mcl").push("loadClip").callMethod().pop();
    a.stop();
    w.doAction(a.finish());
    w.showFrame();

    auto movie = swf::loadMovie(w.finish());
    ASSERT_TRUE(movie.ok());
    RecordingHost host;
    swf::Player player(movie.value(), {}, &host, dir.filePath("main.swf"));
    for (int i = 0; i < 4; ++i)
        player.tick();
    const QStringList& lines = host.lines;
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), "true");
    const auto at = [&](const char* line) { return lines.indexOf(QString(line)); };
    EXPECT_GE(at("onLoadError _level0.holder URLNotFound"), 0) << lines.join('\n').toStdString();
    EXPECT_GE(at("onLoadStart _level0.holder undefined"), 0);
    EXPECT_LT(at("onLoadStart _level0.holder undefined"), at("onLoadComplete _level0.holder 200"));
    EXPECT_LT(at("child frame 1"), at("onLoadInit _level0.holder undefined"));
    EXPECT_LT(at("onLoadComplete _level0.holder 200"), at("onLoadInit _level0.holder undefined"));
}

TEST(Avm1Player, SelectionMovesTheFocusAndTellsItsListeners) {
    SwfWriter w(100, 100, 12, 8);
    ActionBuilder a;
    a.push({20, 100, 0, 0, 1, "tf", 6, "_root"}).getVariable().push("createTextField");
    a.callMethod().pop();
    a.get("tf").push({"type", "input"}).setMember();
    // Selection.addListener({onSetFocus: function(o, n) { trace("focus " + n); }});
    ActionBuilder body;
    body.push("focus ").get("n").add2().trace();
    a.push("onSetFocus").defineFunction("", {"o", "n"}, body).push(1).initObject();
    a.push(1).get("Selection").push("addListener").callMethod().pop();
    a.push({"tf", 1}).get("Selection").push("setFocus").callMethod().trace();
    a.push(0).get("Selection").push("getFocus").callMethod().trace();
    a.push({"nothing.here", 1}).get("Selection").push("setFocus").callMethod().trace();
    a.stop();
    w.doAction(a.finish());
    w.showFrame();

    PlayedMovie m(w.finish());
    EXPECT_EQ(m.host.lines, (QStringList{"focus _level0.tf", "true", "_level0.tf", "false"}));
}

TEST(Avm1Player, ScriptReadsAndChangesATextFieldThroughItsPropertiesAndFormats) {
    SwfWriter w(200, 100, 12, 8);
    ActionBuilder a;
    a.push({20, 150, 0, 0, 1, "tf", 6, "_root"}).getVariable().push("createTextField");
    a.callMethod().pop();
    a.get("tf").push({"text", "hello world"}).setMember();
    a.get("tf").push("length").getMember().trace();
    a.get("tf").push("textWidth").getMember().push(0).greater().trace();
    a.get("tf").push({"autoSize", true}).setMember();
    a.get("tf").push("autoSize").getMember().trace();
    // fmt = new TextFormat(); fmt.bold = true; tf.setTextFormat(0, 5, fmt);
    a.push({"fmt", 0, "TextFormat"}).newObject().setVariable();
    a.get("fmt").push({"bold", true}).setMember();
    a.get("fmt").push({5, 0, 3}).get("tf").push("setTextFormat").callMethod().pop();
    a.push({5, 0, 2}).get("tf").push("getTextFormat").callMethod().push("bold").getMember().trace();
    a.push({11, 0, 2})
        .get("tf")
        .push("getTextFormat")
        .callMethod()
        .push("bold")
        .getMember()
        .trace();
    a.push({"there", 11, 6, 3}).get("tf").push("replaceText").callMethod().pop();
    a.get("tf").push("text").getMember().trace();
    a.get("tf").push({"maxChars", 3}).setMember();
    a.get("tf").push("maxChars").getMember().trace();
    a.stop();
    w.doAction(a.finish());
    w.showFrame();

    PlayedMovie m(w.finish());
    EXPECT_EQ(m.host.lines,
              (QStringList{"11", "true", "left", "true", "null", "hello there", "3"}));
}

TEST(Avm1Player, FiltersSetByScriptReachTheClipAndReadBackAsCopies) {
    SwfWriter w(100, 100, 12, 8);
    ActionBuilder a;
    a.push({"c", 1, "made", 2, "_root"}).getVariable().push("createEmptyMovieClip").callMethod();
    a.setVariable();
    // c.filters = [new flash.filters.GlowFilter(0x00ff00, 0.5, 8, 8), "not a filter"];
    a.get("c").push("filters").push("not a filter");
    a.push({8, 8, 0.5, 0x00ff00, 4}).get("flash").push("filters").getMember();
    a.push("GlowFilter").newMethod().push(2).initArray().setMember();
    a.get("c").push("filters").getMember().push("length").getMember().trace();
    // Changing what was read back changes nothing on the clip.
    a.get("c").push("filters").getMember().push(0).getMember().push({"blurX", 99}).setMember();
    a.get("c").push("filters").getMember().push(0).getMember().push("blurX").getMember().trace();
    a.stop();
    w.doAction(a.finish());
    w.showFrame();

    PlayedMovie m(w.finish());
    EXPECT_EQ(m.host.lines, (QStringList{"1", "8"}));
    const swf::DisplayObject* clip = m.player->stage()->root().childByName("made", true);
    ASSERT_NE(clip, nullptr);
    ASSERT_EQ(clip->filters().size(), 1u);
    const swf::Filter& glow = clip->filters()[0];
    EXPECT_EQ(glow.type, swf::Filter::Type::Glow);
    EXPECT_DOUBLE_EQ(glow.blurX, 8);
    EXPECT_EQ(glow.color.green(), 255);
    EXPECT_NEAR(glow.color.alphaF(), 0.5, 0.01);
}

TEST(Avm1Player, ADoActionBeforeAPlacementRunsBeforeThePlacedClipsFirstFrame) {
    SwfWriter w(100, 100, 12);
    defineTracingSprite(w, 1, "child frame");
    // The root's script comes first in the frame, yet already sees the clip placed after it.
    ActionBuilder root;
    root.push("root frame ").push("kid").getVariable().add2().trace();
    root.push("name [").push("_root").getVariable().push("_name").getMember().add2();
    root.push("]").add2().trace();
    w.doAction(root.finish());
    testsupport::PlaceSpec place;
    place.depth = 1;
    place.characterId = 1;
    place.name = QByteArray("kid");
    w.placeObject(place);
    w.doAction(traceCode("after placement"));
    w.showFrame();
    PlayedMovie run(w.finish());
    run.ticks(1);
    EXPECT_EQ(run.host.lines,
              (QStringList{"root frame _level0.kid", "name []", "child frame", "after placement"}));
}

TEST(Avm1Player, ScriptSetsAClipsBlendModeCacheBackgroundAndScrollRect) {
    SwfWriter w(100, 100, 12);
    ActionBuilder a;
    a.push({"c", 1, "made", 2, "_root"}).getVariable().push("createEmptyMovieClip").callMethod();
    a.setVariable();
    auto show = [&](const char* name) { a.get("c").push(name).getMember().trace(); };
    a.get("c").push({"blendMode", "multiply"}).setMember();
    show("blendMode");
    a.get("c").push({"blendMode", "nonsense"}).setMember(); // refused: the mode stays
    show("blendMode");
    a.get("c").push({"blendMode", 8}).setMember(); // by number too
    show("blendMode");
    a.get("c").push({"cacheAsBitmap", 1}).setMember();
    show("cacheAsBitmap");
    a.get("c").push({"opaqueBackground", 0x1FF0000}).setMember(); // only the colour is kept
    show("opaqueBackground");
    // c.scrollRect = new flash.geom.Rectangle(5, 6, 20, 30)
    a.get("c").push("scrollRect");
    a.push({30, 20, 6, 5, 4}).get("flash").push("geom").getMember().push("Rectangle");
    a.op(0x53); // NewMethod
    a.setMember();
    show("scrollRect");
    a.stop();
    w.doAction(a.finish());
    w.showFrame();

    PlayedMovie m(w.finish());
    EXPECT_EQ(m.host.lines, (QStringList{"multiply", "multiply", "add", "true",
                                         QString::number(0xFF0000), "(x=5, y=6, w=20, h=30)"}));
    const swf::DisplayObject* clip = m.player->stage()->root().childByName("made", true);
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->blendMode(), swf::BlendMode::Add);
    EXPECT_TRUE(clip->cacheAsBitmap());
    ASSERT_TRUE(clip->opaqueBackground().has_value());
    EXPECT_EQ(clip->opaqueBackground()->rgb(), 0xFFFF0000u);
    ASSERT_TRUE(clip->scrollRect().has_value());
    EXPECT_EQ(*clip->scrollRect(), QRectF(5, 6, 20, 30));
}
