// The mixer: resampling, passes, points, envelopes, channel gains, the wave-out volume, and
// an audio thread mixing while the engine starts and stops voices.

#include "swf/media/Mixer.h"
#include "tests/swf/media/Tones.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace mediatest;
using swf::media::DecodedSound;
using swf::media::Mixer;
using swf::media::VoiceParams;

namespace {

std::shared_ptr<const DecodedSound> tone(double hz, int rate, int frames, double amp = 0.5,
                                         int channels = 1) {
    auto s = std::make_shared<DecodedSound>();
    s->rate = rate;
    s->channels = channels;
    s->samples = sine(hz, rate, frames, amp, channels);
    return s;
}

std::shared_ptr<const DecodedSound> constant(int16_t value, int rate, int frames) {
    auto s = std::make_shared<DecodedSound>();
    s->rate = rate;
    s->samples.assign(static_cast<std::size_t>(frames), value);
    return s;
}

std::vector<int16_t> run(Mixer& m, int frames) {
    std::vector<int16_t> out(static_cast<std::size_t>(frames) * 2);
    m.mix(out.data(), frames);
    return out;
}

std::atomic<uint32_t> g_volume{0xFFFFFFFFu};
uint32_t testVolume() {
    return g_volume.load();
}

TEST(Mixer, ResamplesToTheOutputRateKeepingPitchAndLength) {
    Mixer m(44100);
    const auto id = m.start(VoiceParams{tone(440, 11025, 11025)});
    ASSERT_TRUE(id.valid());
    const auto out = run(m, 44100 + 4410);
    const auto left = channel(out, 2, 0), right = channel(out, 2, 1);
    EXPECT_NEAR(frequency(left, 44100, 1000, 43000), 440, 2);
    EXPECT_EQ(left, right); // mono reaches both sides alike
    EXPECT_GT(rms(left, 40000, 44000), 5000);
    EXPECT_EQ(peak(left, 44110, 48510), 0); // over after one second
    EXPECT_FALSE(m.playing(id));
    EXPECT_TRUE(m.completed(id));
}

TEST(Mixer, LoopsPlayEachPassAndPointsCutThem) {
    Mixer m(44100);
    VoiceParams p{constant(1000, 44100, 1000)};
    p.loops = 3;
    p.inFrame = 200;
    p.outFrame = 700;
    const auto id = m.start(p);
    const auto left = channel(run(m, 2000), 2, 0);
    EXPECT_EQ(peak(left, 0, 1500), 1000);
    EXPECT_EQ(left[1499], 1000);
    EXPECT_EQ(peak(left, 1500, 2000), 0); // three passes of 500 frames
    EXPECT_TRUE(m.completed(id));
    EXPECT_EQ(m.consumed(id), 1500u);
}

TEST(Mixer, PointsThatLeaveNothingPlayNothing) {
    Mixer m(44100);
    VoiceParams p{constant(1000, 44100, 1000)};
    p.inFrame = 800;
    p.outFrame = 800;
    EXPECT_FALSE(m.start(p).valid());
    p.inFrame = 5000; // past the end
    p.outFrame = UINT64_MAX;
    EXPECT_FALSE(m.start(p).valid());
    // An offset past the out point: the first pass is empty, the loops still play.
    VoiceParams q{constant(1000, 44100, 1000)};
    q.startFrame = 999999;
    q.loops = 2;
    const auto id = m.start(q);
    const auto left = channel(run(m, 1500), 2, 0);
    EXPECT_EQ(left[0], 1000);
    EXPECT_EQ(left[999], 1000);
    EXPECT_EQ(left[1000], 0);
    EXPECT_TRUE(m.completed(id));
}

TEST(Mixer, AStartOffsetOnlyShortensTheFirstPass) {
    Mixer m(44100);
    VoiceParams p{constant(1000, 44100, 1000)};
    p.loops = 2;
    p.startFrame = 900;
    const auto id = m.start(p);
    const auto left = channel(run(m, 1500), 2, 0);
    EXPECT_EQ(left[1099], 1000);
    EXPECT_EQ(left[1100], 0);
    EXPECT_TRUE(m.completed(id));
}

TEST(Mixer, EnvelopeMovesEachSideBetweenItsPoints) {
    Mixer m(44100);
    VoiceParams p{constant(10000, 44100, 44100)};
    // Left rises from silence to full over the second; right falls from full to half.
    p.envelope = std::make_shared<std::vector<swf::SoundEnvelopePoint>>(
        std::vector<swf::SoundEnvelopePoint>{{0, 0, 32768}, {44100, 32768, 16384}});
    m.start(p);
    const auto out = run(m, 44100);
    const auto left = channel(out, 2, 0), right = channel(out, 2, 1);
    EXPECT_LT(std::abs(left[0]), 10);
    EXPECT_NEAR(left[22050], 5000, 20);
    EXPECT_NEAR(left[44000], 9977, 20);
    EXPECT_NEAR(right[0], 10000, 1);
    EXPECT_NEAR(right[22050], 7500, 20);
}

TEST(Mixer, GainsRouteChannelsAndChangeWhilePlaying) {
    Mixer m(44100);
    auto stereo = std::make_shared<DecodedSound>();
    stereo->channels = 2;
    stereo->samples = {};
    for (int i = 0; i < 4000; ++i) {
        stereo->samples.push_back(1000);
        stereo->samples.push_back(-2000);
    }
    VoiceParams p{stereo};
    p.gains = {0, 1, 1, 0}; // swap the sides
    const auto id = m.start(p);
    auto out = run(m, 100);
    EXPECT_EQ(out[0], -2000);
    EXPECT_EQ(out[1], 1000);
    m.setGains(id, {0.5f, 0, 0, 0});
    out = run(m, 100);
    EXPECT_EQ(out[0], 500);
    EXPECT_EQ(out[1], 0);
}

TEST(Mixer, WaveOutHalvesActPerChannel) {
    Mixer m(44100);
    m.setVolumeSource(&testVolume);
    const auto id = m.start(VoiceParams{tone(440, 44100, 44100)});
    g_volume = 0xFFFF0000u; // left 0, right full
    auto out = run(m, 4410);
    EXPECT_EQ(peak(channel(out, 2, 0), 0, 4410), 0);
    EXPECT_GT(peak(channel(out, 2, 1), 0, 4410), 16000);
    g_volume = 0x0000FFFFu; // left full, right 0
    out = run(m, 4410);
    EXPECT_GT(peak(channel(out, 2, 0), 0, 4410), 16000);
    EXPECT_EQ(peak(channel(out, 2, 1), 0, 4410), 0);
    g_volume = 0x64006400u; // both bars at 100: 25,600 of 65,535
    out = run(m, 4410);
    EXPECT_NEAR(peak(channel(out, 2, 0), 0, 4410), 16383 * 25600.0 / 65535, 30);
    g_volume = 0xFFFFFFFFu;
    EXPECT_TRUE(m.playing(id));
}

TEST(Mixer, LoudVoicesClipInsteadOfWrapping) {
    Mixer m(44100);
    m.start(VoiceParams{constant(30000, 44100, 100)});
    m.start(VoiceParams{constant(30000, 44100, 100)});
    const auto out = run(m, 10);
    EXPECT_EQ(out[0], 32767);
}

TEST(Mixer, StopSilencesAtTheNextMixAndOldIdsStayAnswered) {
    Mixer m(44100);
    const auto id = m.start(VoiceParams{constant(1000, 44100, 100000)});
    run(m, 100);
    m.stop(id);
    EXPECT_EQ(peak(channel(run(m, 100), 2, 0), 0, 100), 0);
    EXPECT_FALSE(m.playing(id));
    EXPECT_FALSE(m.completed(id)); // stopped, not completed
    m.collect();
    const auto next = m.start(VoiceParams{constant(7, 44100, 100)});
    // The slot is reused; the old id does not reach the new voice.
    m.stop(id);
    EXPECT_TRUE(m.playing(next));
}

TEST(Mixer, EveryVoiceBusyRefusesMore) {
    Mixer m(44100);
    for (int i = 0; i < Mixer::kVoices; ++i)
        ASSERT_TRUE(m.start(VoiceParams{constant(1, 44100, 1000)}).valid());
    EXPECT_FALSE(m.start(VoiceParams{constant(1, 44100, 1000)}).valid());
    EXPECT_FALSE(m.start(VoiceParams{}).valid());
    m.stopAll();
    run(m, 1);
    EXPECT_TRUE(m.start(VoiceParams{constant(1, 44100, 1000)}).valid());
}

TEST(Mixer, AnAudioThreadMixesWhileTheEngineStartsAndStops) {
    Mixer m(48000);
    std::atomic<bool> done{false};
    std::atomic<long> mixed{0};
    std::thread audio([&] {
        std::vector<int16_t> out(512 * 2);
        while (!done.load()) {
            m.mix(out.data(), 512);
            mixed += 512;
        }
    });
    const auto sound = tone(440, 22050, 2000);
    std::vector<Mixer::VoiceId> ids;
    for (int i = 0; i < 5000; ++i) {
        VoiceParams p{sound};
        p.loops = 1 + i % 3;
        ids.push_back(m.start(p));
        if (i % 2)
            m.stop(ids[static_cast<std::size_t>(i / 2)]);
        m.setGains(ids.back(), {0.5f, 0.5f, 0.5f, 0.5f});
        if (i % 100 == 0)
            std::this_thread::yield();
    }
    while (mixed.load() < 512 * 20)
        std::this_thread::yield();
    m.stopAll();
    const long after = mixed.load();
    // One more mix after the stop has been seen by the audio thread.
    while (mixed.load() < after + 1024)
        std::this_thread::yield();
    done = true;
    audio.join();
    m.collect();
    EXPECT_GT(mixed.load(), 0);
    EXPECT_EQ(m.activeVoices(), 0);
}

} // namespace
