// DoAction, DoInitAction, clip actions, exports and file attributes, read from written movies.

#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "swf/format/Sprite.h"
#include "swf/format/TagParser.h"
#include "tests/support/ActionBuilder.h"
#include "tests/support/SwfWriter.h"

#include <gtest/gtest.h>

using testsupport::ActionBuilder;
using testsupport::ClipActionSpec;
using testsupport::PlaceSpec;
using testsupport::SwfWriter;

namespace {

std::shared_ptr<swf::Movie> load(const QByteArray& file) {
    auto r = swf::loadMovie(file);
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().message.toStdString());
    return r.ok() ? r.value() : nullptr;
}

QByteArray traceCode(const char* text) {
    return ActionBuilder().push(text).trace().finish();
}

const swf::PlaceCommand& placeAt(const swf::Frame& f, std::size_t i) {
    return std::get<swf::PlaceCommand>(f.commands.at(i));
}

} // namespace

TEST(FrameScripts, DoActionBlocksJoinTheirFrameInFileOrder) {
    SwfWriter w(100, 100, 12, 8);
    w.doAction(traceCode("a"));
    w.doAction(traceCode("b"));
    w.showFrame();
    w.showFrame();
    w.doAction(traceCode("c"));
    w.showFrame();
    const auto movie = load(w.finish());
    ASSERT_TRUE(movie);
    const auto& frames = movie->timeline().frames;
    ASSERT_EQ(frames.size(), 3u);
    ASSERT_EQ(frames[0].actions.size(), 2u);
    EXPECT_EQ(frames[0].actions[0], traceCode("a"));
    EXPECT_EQ(frames[0].actions[1], traceCode("b"));
    EXPECT_TRUE(frames[1].actions.empty());
    ASSERT_EQ(frames[2].actions.size(), 1u);
    EXPECT_EQ(frames[2].actions[0], traceCode("c"));
}

TEST(FrameScripts, SpriteFramesKeepTheirOwnActionsAndLabels) {
    SwfWriter inner(100, 100, 12, 8);
    inner.showFrame();
    inner.frameLabel("two");
    inner.doAction(ActionBuilder().stop().finish());
    inner.showFrame();
    SwfWriter w(100, 100, 12, 8);
    w.defineSprite(5, inner);
    w.doAction(traceCode("main"));
    w.showFrame();
    const auto movie = load(w.finish());
    ASSERT_TRUE(movie);
    const auto* sprite = dynamic_cast<const swf::SpriteCharacter*>(movie->character(5));
    ASSERT_TRUE(sprite);
    const auto& frames = sprite->timeline().frames;
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(frames[0].actions.empty());
    EXPECT_EQ(frames[1].label, "two");
    ASSERT_EQ(frames[1].actions.size(), 1u);
    EXPECT_EQ(frames[1].actions[0], ActionBuilder().stop().finish());
    ASSERT_EQ(movie->timeline().frames.at(0).actions.size(), 1u);
}

TEST(FrameScripts, InitActionsNameTheirSpriteAndIgnoreOnesInsideSprites) {
    SwfWriter inner(100, 100, 12, 8);
    inner.doInitAction(9, traceCode("inner"));
    inner.showFrame();
    SwfWriter w(100, 100, 12, 8);
    w.defineSprite(5, inner);
    w.doInitAction(5, traceCode("init"));
    w.doAction(traceCode("frame"));
    w.showFrame();
    const auto movie = load(w.finish());
    ASSERT_TRUE(movie);
    const auto& frame = movie->timeline().frames.at(0);
    ASSERT_EQ(frame.initActions.size(), 1u);
    EXPECT_EQ(frame.initActions[0].spriteId, 5);
    EXPECT_EQ(frame.initActions[0].code, traceCode("init"));
    const auto* sprite = dynamic_cast<const swf::SpriteCharacter*>(movie->character(5));
    ASSERT_TRUE(sprite);
    EXPECT_TRUE(sprite->timeline().frames.at(0).initActions.empty());
}

TEST(FrameScripts, DamagedScriptTagsNeitherCrashNorLoseTheFramesBefore) {
    SwfWriter w(100, 100, 12, 8);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    w.placeObject2(1, 1);
    w.showFrame();
    w.tag(59, QByteArray("\x05", 1)); // DoInitAction without a whole sprite id
    w.showFrame();
    auto r = swf::loadMovie(w.finish());
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value()->framesLoaded(), 1);
    // An empty DoAction is nothing to run.
    SwfWriter e(100, 100, 12, 8);
    e.tag(12, {});
    e.showFrame();
    const auto movie = load(e.finish());
    ASSERT_TRUE(movie);
    EXPECT_TRUE(movie->timeline().frames.at(0).actions.empty());
}

class ClipActionWidth : public testing::TestWithParam<int> {};

TEST_P(ClipActionWidth, HandlersKeepTheirEventsKeyCodesAndCode) {
    const int version = GetParam();
    SwfWriter w(100, 100, 12, version);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    PlaceSpec p;
    p.depth = 3;
    p.characterId = 1;
    p.name = "clip";
    const uint32_t keyPress = version >= 6 ? uint32_t{swf::clipevent::KeyPress} : 0u;
    p.clipActions = {
        ClipActionSpec{swf::clipevent::Load | swf::clipevent::EnterFrame, traceCode("tick")},
        ClipActionSpec{swf::clipevent::MouseDown | swf::clipevent::DragOver, traceCode("drag")},
    };
    if (keyPress)
        p.clipActions.push_back(ClipActionSpec{keyPress, traceCode("key"), 13});
    w.placeObject(p);
    w.showFrame();
    const auto movie = load(w.finish());
    ASSERT_TRUE(movie);
    const auto& cmd = placeAt(movie->timeline().frames.at(0), 0);
    EXPECT_EQ(cmd.name, QByteArray("clip"));
    ASSERT_TRUE(cmd.clipActions);
    const auto& handlers = *cmd.clipActions;
    ASSERT_EQ(handlers.size(), keyPress ? 3u : 2u);
    EXPECT_EQ(handlers[0].events, swf::clipevent::Load | swf::clipevent::EnterFrame);
    EXPECT_EQ(handlers[0].code, traceCode("tick"));
    EXPECT_EQ(handlers[1].events, swf::clipevent::MouseDown | swf::clipevent::DragOver);
    EXPECT_EQ(handlers[1].code, traceCode("drag"));
    if (keyPress) {
        EXPECT_EQ(handlers[2].events, swf::clipevent::KeyPress);
        EXPECT_EQ(handlers[2].keyCode, 13);
        // The key code is part of the record's size, not of its code.
        EXPECT_EQ(handlers[2].code, traceCode("key"));
    }
}

INSTANTIATE_TEST_SUITE_P(SixteenAndThirtyTwoBits, ClipActionWidth, testing::Values(5, 6, 8));

TEST(ClipActions, ADamagedHandlerListKeepsThePlacementAndTheHandlersBeforeIt) {
    // A record whose size runs past the tag.
    SwfWriter w(100, 100, 12, 8);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    PlaceSpec p;
    p.characterId = 1;
    p.clipActions = {ClipActionSpec{swf::clipevent::Load, traceCode("ok")},
                     ClipActionSpec{swf::clipevent::Unload, traceCode("cut")}};
    SwfWriter probe(100, 100, 12, 8);
    probe.placeObject(p);
    QByteArray body = probe.tagBytes().mid(2); // the short tag header goes
    ASSERT_LT(body.size(), 63);
    // Grow the second record's size field (it follows the first record's code and flags).
    const qsizetype second = body.indexOf(traceCode("ok")) + traceCode("ok").size() + 4;
    body[second + 2] = '\x7f';
    w.tag(26, body);
    w.showFrame();
    const auto movie = load(w.finish());
    ASSERT_TRUE(movie);
    const auto& cmd = placeAt(movie->timeline().frames.at(0), 0);
    EXPECT_EQ(cmd.characterId, 1);
    ASSERT_TRUE(cmd.clipActions);
    ASSERT_EQ(cmd.clipActions->size(), 1u);
    EXPECT_EQ(cmd.clipActions->front().code, traceCode("ok"));

    // Cut short at every byte: never a crash, and the placement survives while its fixed
    // part is whole.
    const qsizetype fixed = 2 + 1 + 2 + 2 + 1; // flags, depth, id, identity matrix...
    for (qsizetype cut = 0; cut < body.size(); ++cut) {
        SwfWriter c(100, 100, 12, 8);
        c.tag(26, body.left(cut));
        c.showFrame();
        auto r = swf::loadMovie(c.finish());
        if (r.ok() && cut >= fixed + 4) {
            EXPECT_EQ(r.value()->timeline().frames.at(0).commands.size(), 1u) << cut;
        }
    }
}

TEST(PlaceObject3, ReadsEveryFieldAroundTheClassNameAndFilters) {
    testsupport::BitWriter b;
    b.u8(0x02 | 0x20 | 0x80);                      // character, name, clip actions
    b.u8(0x01 | 0x02 | 0x04 | 0x08 | 0x20 | 0x40); // filters, blend, cache, class, visible, bg
    b.u16(4);                                      // depth
    b.bytes(QByteArray("my.Class", 9));
    b.u16(1);
    b.bytes(QByteArray("inst", 5));
    b.u8(1); // one filter
    b.u8(1); // blur
    b.bytes(QByteArray(9, '\0'));
    b.u8(3); // multiply
    b.u8(1); // cache as bitmap
    b.u8(0); // invisible
    b.rgba(QColor(1, 2, 3, 4));
    b.u16(0);
    b.u32(swf::clipevent::Load);
    b.u32(swf::clipevent::Load);
    const QByteArray code = traceCode("x");
    b.u32(static_cast<uint32_t>(code.size()));
    b.bytes(code);
    b.u32(0);
    SwfWriter w(100, 100, 12, 10);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    w.tag(70, b.data());
    w.showFrame();
    const auto movie = load(w.finish());
    ASSERT_TRUE(movie);
    const auto& cmd = placeAt(movie->timeline().frames.at(0), 0);
    EXPECT_EQ(cmd.depth, 4);
    EXPECT_EQ(cmd.characterId, 1);
    EXPECT_EQ(cmd.name, QByteArray("inst"));
    EXPECT_EQ(cmd.blendMode, swf::BlendMode::Multiply);
    EXPECT_TRUE(cmd.cacheAsBitmap);
    EXPECT_EQ(cmd.visible, false);
    EXPECT_EQ(cmd.opaqueBackground, QColor(1, 2, 3, 4));
    ASSERT_TRUE(cmd.clipActions);
    EXPECT_EQ(cmd.clipActions->front().code, code);
}

TEST(MovieTags, ExportsAreFoundWithoutRegardToCase) {
    SwfWriter w(100, 100, 12, 8);
    w.exportAssets({{3, "Ball"}, {4, "paddle_mc"}});
    w.showFrame();
    const auto movie = load(w.finish());
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->exportedId("ball"), 3);
    EXPECT_EQ(movie->exportedId("PADDLE_MC"), 4);
    EXPECT_FALSE(movie->exportedId("wall"));
}

TEST(MovieTags, ADamagedExportListKeepsTheNamesBeforeTheDamage) {
    testsupport::BitWriter b;
    b.u16(3);
    b.u16(7);
    b.bytes(QByteArray("first", 6));
    b.u16(8);
    b.bytes(QByteArray("unterminated"));
    SwfWriter w(100, 100, 12, 8);
    w.tag(56, b.data());
    w.showFrame();
    auto r = swf::loadMovie(w.finish());
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value()->exportedId("first"), 7);
    EXPECT_FALSE(r.value()->exportedId("unterminated"));
}

TEST(MovieTags, TheActionScript3FlagCountsFromSwf9AndProtectionIsIgnored) {
    for (const auto& [version, flags, as3] : std::vector<std::tuple<int, uint8_t, bool>>{
             {9, 0x08, true}, {10, 0x09, true}, {9, 0x01, false}, {8, 0x08, false}}) {
        SwfWriter w(100, 100, 12, version);
        w.fileAttributes(flags);
        w.tag(24, QByteArray("\0\0", 2)); // Protect with an empty password
        w.tag(64, QByteArray("\0\0x\0", 4));
        w.showFrame();
        const auto movie = load(w.finish());
        ASSERT_TRUE(movie);
        EXPECT_EQ(movie->actionScript3(), as3) << version << " " << int(flags);
        EXPECT_EQ(movie->framesLoaded(), 1);
    }
}
