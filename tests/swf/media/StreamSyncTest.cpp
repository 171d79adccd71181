// Stream sound and picture in step: the stream's clock drives the frames while it plays to a
// device, a slow picture skips frames instead of drifting, a seek restarts the stream at the
// frame's sample, and pause silences it.

#include "swf/Player.h"
#include "swf/display/MovieClip.h"
#include "swf/display/Stage.h"
#include "swf/format/MovieLoader.h"
#include "swf/media/Mixer.h"
#include "swf/media/SoundEngine.h"
#include "tests/support/SwfWriter.h"
#include "tests/swf/media/Tones.h"

#include <gtest/gtest.h>

using namespace mediatest;
using namespace testsupport;

namespace {

constexpr int kFps = 15;
constexpr int kStreamRate = 11025;
constexpr int kPerBlock = kStreamRate / kFps; // 735

// A movie whose stream carries, in frame f, samples of the constant value 10 × (f + 1), so
// what is heard tells which frame's block plays.
QByteArray streamMovie(int frames, int firstBlock = 0) {
    SwfWriter w(100, 100, kFps);
    w.soundStreamHead(3, 1, true, false, kPerBlock);
    for (int f = 0; f < frames; ++f) {
        if (f >= firstBlock)
            w.soundStreamBlock(
                pcm16(std::vector<int16_t>(kPerBlock, static_cast<int16_t>(10 * (f + 1)))));
        w.showFrame();
    }
    return w.finish();
}

struct Device {
    swf::media::Mixer mixer{44100};
    std::unique_ptr<swf::Player> player;
    explicit Device(const QByteArray& movie, bool live = true) {
        mixer.setClockLive(live);
        auto m = swf::loadMovie(movie);
        EXPECT_TRUE(m.ok());
        player = std::make_unique<swf::Player>(m.value(), swf::Player::withoutScripts(), nullptr,
                                               QString(), &mixer);
    }
    std::vector<int16_t> pull(int frames) {
        std::vector<int16_t> out(static_cast<std::size_t>(frames) * 2);
        mixer.mix(out.data(), frames);
        return channel(out, 2, 0);
    }
    swf::media::SoundEngine& engine() { return *player->soundEngine(); }
    const swf::MovieClip& root() { return player->stage()->root(); }
};

TEST(StreamSync, ASlowPictureSkipsFramesAndStaysWithinOneFrameOver30Seconds) {
    const int frames = 30 * kFps;
    Device d(streamMovie(frames + 10));
    // The device takes 10 ms of sound at a time; the picture manages a frame only every
    // 2.5 frame intervals.
    const double frameMs = 1000.0 / kFps;
    double nextTick = frameMs;
    int worst = 0;
    for (int ms = 10; ms <= 30'000; ms += 10) {
        d.pull(441);
        if (ms >= nextTick) {
            d.player->tick();
            nextTick += frameMs * 2.5;
            const auto heard = d.engine().streamFrameHeard(d.root());
            ASSERT_TRUE(heard) << ms;
            worst = std::max(worst, std::abs(*heard - d.player->currentFrame()));
        }
    }
    EXPECT_LE(worst, 1);
    // Thirty seconds of sound: the picture is where the sound is, not 2.5 times behind.
    EXPECT_NEAR(d.player->currentFrame(), frames, 2);
}

TEST(StreamSync, AFastPictureWaitsForTheSound) {
    Device d(streamMovie(100));
    // Ticks four times as often as frames come: frames follow the sound, not the ticks.
    int ticks = 0;
    for (int ms = 5; ms <= 2000; ms += 5) {
        d.pull(220);
        if (ms % 20 == 0) {
            d.player->tick();
            ++ticks;
        }
    }
    EXPECT_EQ(ticks, 100);
    EXPECT_NEAR(d.player->currentFrame(), 2 * kFps, 2);
}

TEST(StreamSync, WithoutADeviceTheTimerDrivesTheFrames) {
    Device d(streamMovie(100), false);
    for (int i = 0; i < 10; ++i)
        d.player->tick();
    EXPECT_EQ(d.player->currentFrame(), 10);
}

TEST(StreamSync, SeekingRestartsTheStreamAtTheFramesSample) {
    Device d(streamMovie(400));
    d.pull(4410);
    d.player->gotoFrame(200);
    auto heard = d.pull(1000);
    EXPECT_EQ(heard[10], 2010); // frame 200's block (0-based), 10 × 201
    d.player->gotoFrame(5);
    heard = d.pull(1000);
    EXPECT_EQ(heard[10], 60);
}

TEST(StreamSync, PauseSilencesAndPlayResumesAtTheFrame) {
    Device d(streamMovie(100));
    for (int i = 0; i < 10; ++i) {
        d.pull(2940);
        d.player->tick();
    }
    d.player->stop();
    auto heard = d.pull(2000);
    EXPECT_EQ(peak(heard, 0, 2000), 0);
    const int at = d.player->currentFrame();
    d.player->play();
    // A live clock with nothing playing leaves the frames to the timer: the next tick enters
    // the next frame and its block plays.
    d.player->tick();
    heard = d.pull(500);
    EXPECT_EQ(heard[10], 10 * (at + 2));
}

TEST(StreamSync, TheStreamWaitsForItsFirstBlock) {
    Device d(streamMovie(20, 5), false);
    auto heard = d.pull(1000);
    EXPECT_EQ(peak(heard, 0, 1000), 0);
    for (int i = 0; i < 5; ++i)
        d.player->tick();
    heard = d.pull(1000);
    EXPECT_EQ(heard[10], 60);
}

TEST(StreamSync, AStreamInASpriteStopsWhenTheSpriteGoes) {
    SwfWriter inner(100, 100, kFps);
    inner.soundStreamHead(3, 1, true, false, kPerBlock);
    for (int f = 0; f < 50; ++f) {
        inner.soundStreamBlock(pcm16(std::vector<int16_t>(kPerBlock, 777)));
        inner.showFrame();
    }
    SwfWriter w(100, 100, kFps);
    w.defineSprite(9, inner);
    w.placeObject2(1, 9);
    w.showFrame();
    w.showFrame();
    w.removeObject2(1);
    w.showFrame();
    w.showFrame();
    Device d(w.finish(), false);
    auto heard = d.pull(100);
    EXPECT_EQ(heard[10], 777);
    d.player->setLoop(false);
    d.player->tick();
    d.player->tick();
    heard = d.pull(100);
    EXPECT_EQ(peak(heard, 0, 100), 0);
}

} // namespace
