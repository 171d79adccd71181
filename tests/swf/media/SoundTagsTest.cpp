// The sound tags as the loader reads them into the dictionary and the frames.

#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "swf/format/Sound.h"
#include "swf/format/Sprite.h"
#include "tests/support/SwfWriter.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

std::shared_ptr<swf::Movie> load(SwfWriter& w) {
    auto movie = swf::loadMovie(w.finish());
    EXPECT_TRUE(movie.ok());
    return movie.ok() ? movie.value() : nullptr;
}

TEST(SoundTags, DefineSoundKeepsFormatCountAndData) {
    SwfWriter w(100, 100, 12);
    w.defineSound(5, 1, 2, true, true, 1234, QByteArray("\x01\x02\x03", 3));
    w.showFrame();
    auto movie = load(w);
    ASSERT_TRUE(movie);
    const auto* c = movie->character(5);
    ASSERT_TRUE(c);
    ASSERT_EQ(c->kind(), swf::Character::Kind::Sound);
    const auto& s = static_cast<const swf::SoundCharacter&>(*c);
    EXPECT_EQ(s.format().format, swf::soundformat::Adpcm);
    EXPECT_EQ(s.format().rate, 22050);
    EXPECT_TRUE(s.format().sixteenBit);
    EXPECT_EQ(s.format().channels(), 2);
    EXPECT_EQ(s.sampleCount(), 1234u);
    EXPECT_EQ(s.data(), QByteArray("\x01\x02\x03", 3));
}

TEST(SoundTags, StartSoundCarriesTheWholeSoundInfoRecord) {
    SwfWriter w(100, 100, 12);
    w.defineSound(1, 3, 3, true, false, 4, QByteArray(8, 0));
    w.showFrame();
    SoundInfoSpec info;
    info.noMultiple = true;
    info.inPoint = 100;
    info.outPoint = 4000;
    info.loops = 3;
    info.envelope = {{0, 32768, 0}, {44100, 0, 32768}};
    w.startSound(1, info);
    SoundInfoSpec stop;
    stop.stop = true;
    w.startSound(1, stop);
    w.showFrame();
    auto movie = load(w);
    ASSERT_TRUE(movie);
    ASSERT_EQ(movie->timeline().frames.size(), 2u);
    EXPECT_TRUE(movie->timeline().frames[0].sounds.empty());
    const auto& sounds = movie->timeline().frames[1].sounds;
    ASSERT_EQ(sounds.size(), 2u);
    const swf::SoundInfo& i = sounds[0].info;
    EXPECT_EQ(sounds[0].soundId, 1);
    EXPECT_FALSE(i.stop);
    EXPECT_TRUE(i.noMultiple);
    EXPECT_EQ(i.inPoint, 100u);
    EXPECT_EQ(i.outPoint, 4000u);
    EXPECT_EQ(i.loops, 3);
    ASSERT_TRUE(i.envelope);
    ASSERT_EQ(i.envelope->size(), 2u);
    EXPECT_EQ((*i.envelope)[1].pos44, 44100u);
    EXPECT_EQ((*i.envelope)[1].left, 0);
    EXPECT_EQ((*i.envelope)[1].right, 32768);
    EXPECT_TRUE(sounds[1].info.stop);
    EXPECT_EQ(sounds[1].info.loops, 1);
}

TEST(SoundTags, StartSound2NamesItsSoundByClass) {
    SwfWriter w(100, 100, 12, 9);
    w.startSound2("com.example.Beep");
    w.showFrame();
    auto movie = load(w);
    ASSERT_TRUE(movie);
    ASSERT_EQ(movie->timeline().frames[0].sounds.size(), 1u);
    EXPECT_EQ(movie->timeline().frames[0].sounds[0].className, "com.example.Beep");
}

TEST(SoundTags, StreamBlocksJoinTheirFramesInMainTimelineAndSprites) {
    SwfWriter inner(100, 100, 12);
    inner.soundStreamHead(3, 1, true, false, 100, true);
    inner.soundStreamBlock(QByteArray(200, 1));
    inner.showFrame();
    inner.showFrame();
    SwfWriter w(100, 100, 12);
    w.soundStreamBlock(QByteArray(10, 9)); // before any head: nothing can decode it
    w.soundStreamHead(2, 3, true, true, 1152, false, 529);
    w.defineSprite(7, inner);
    w.showFrame();
    w.soundStreamBlock(QByteArray(30, 2));
    w.showFrame();
    auto movie = load(w);
    ASSERT_TRUE(movie);
    const swf::Timeline& t = movie->timeline();
    ASSERT_TRUE(t.streamHead);
    EXPECT_EQ(t.streamHead->stream.format, swf::soundformat::Mp3);
    EXPECT_EQ(t.streamHead->stream.rate, 44100);
    EXPECT_TRUE(t.streamHead->stream.stereo);
    EXPECT_EQ(t.streamHead->samplesPerBlock, 1152);
    EXPECT_EQ(t.streamHead->latencySeek, 529);
    EXPECT_TRUE(t.frames[0].streamBlock.isEmpty());
    EXPECT_EQ(t.frames[1].streamBlock.size(), 30);
    const auto* sprite = static_cast<const swf::SpriteCharacter*>(movie->character(7));
    ASSERT_TRUE(sprite);
    ASSERT_TRUE(sprite->timeline().streamHead);
    EXPECT_EQ(sprite->timeline().streamHead->stream.rate, 11025);
    EXPECT_EQ(sprite->timeline().frames[0].streamBlock.size(), 200);
    EXPECT_TRUE(sprite->timeline().frames[1].streamBlock.isEmpty());
}

TEST(SoundTags, AnEnvelopeLongerThanItsTagIsRefusedBeforeAnythingIsReserved) {
    SwfWriter w(100, 100, 12);
    w.showFrame();
    // Flags: envelope; 255 points announced, 8 bytes given.
    QByteArray body("\x01\x00\x08\xff", 4);
    body.append(QByteArray(8, 0));
    w.tag(15, body);
    w.showFrame();
    auto movie = swf::loadMovie(w.finish());
    // The frames before the damage stay playable.
    ASSERT_TRUE(movie.ok());
    EXPECT_EQ(movie.value()->framesLoaded(), 1);

    swf::Reader r(body);
    r.u16();
    EXPECT_FALSE(swf::readSoundInfo(r).ok());
}

TEST(SoundTags, ButtonSoundsAreReadAndCheckedForDamage) {
    SwfWriter w(100, 100, 12);
    w.defineButtonSound(3, {0, 4, 0, 5});
    const QByteArray& tags = w.tagBytes();
    swf::Reader r(tags);
    r.u16(); // tag header
    auto sounds = swf::parseDefineButtonSound(r);
    ASSERT_TRUE(sounds.ok());
    EXPECT_EQ(sounds.value().buttonId, 3);
    EXPECT_FALSE(sounds.value().sounds[0]);
    EXPECT_EQ(sounds.value().sounds[1]->soundId, 4);
    EXPECT_EQ(sounds.value().sounds[3]->soundId, 5);
    const QByteArray cut = tags.mid(2, 7);
    swf::Reader broken(cut);
    EXPECT_FALSE(swf::parseDefineButtonSound(broken).ok());
}

} // namespace
