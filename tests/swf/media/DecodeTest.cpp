// Each sound format decodes to the tone it was made from.

#include "swf/media/AdpcmDecoder.h"
#include "swf/media/SoundDecoder.h"
#include "swf/media/SoundStore.h"
#include "tests/swf/media/Tones.h"

#include <gtest/gtest.h>

using namespace mediatest;
using swf::SoundFormatInfo;
using swf::media::SoundDecoder;

namespace {

SoundFormatInfo fmt(uint8_t format, int rate, bool sixteen, bool stereo) {
    SoundFormatInfo f;
    f.format = format;
    f.rate = rate;
    f.sixteenBit = sixteen;
    f.stereo = stereo;
    return f;
}

constexpr uint64_t kLots = 64ull << 20;

TEST(Decode, Pcm16And8BitGiveTheSamplesBack) {
    const auto tone = sine(440, 22050, 2205);
    auto s16 = SoundDecoder::decode(fmt(3, 22050, true, false), pcm16(tone), kLots);
    ASSERT_TRUE(s16.ok());
    EXPECT_EQ(s16.value()->samples, tone);
    EXPECT_EQ(s16.value()->rate, 22050);
    // The native-order format is read the same way.
    auto native = SoundDecoder::decode(fmt(0, 22050, true, false), pcm16(tone), kLots);
    ASSERT_TRUE(native.ok());
    EXPECT_EQ(native.value()->samples, tone);
    auto s8 = SoundDecoder::decode(fmt(3, 22050, false, false), pcm8(tone), kLots);
    ASSERT_TRUE(s8.ok());
    ASSERT_EQ(s8.value()->samples.size(), tone.size());
    for (std::size_t i = 0; i < tone.size(); ++i)
        ASSERT_NEAR(s8.value()->samples[i], tone[i], 256) << i;
}

TEST(Decode, StereoPcmKeepsWholeFramesOnly) {
    auto tone = sine(440, 11025, 100, 0.5, 2);
    QByteArray data = pcm16(tone);
    data.append('\x01');           // half a sample
    data.append(QByteArray(2, 0)); // a left sample without its right
    auto s = SoundDecoder::decode(fmt(3, 11025, true, true), data, kLots);
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(s.value()->channels, 2);
    EXPECT_EQ(s.value()->frames(), 100u);
}

TEST(Decode, AdpcmOfEveryCodeSizeFollowsTheTone) {
    for (int bits = 2; bits <= 5; ++bits) {
        for (int channels = 1; channels <= 2; ++channels) {
            const auto tone = sine(440, 22050, 10000, 0.5, channels);
            auto s = SoundDecoder::decode(fmt(1, 22050, true, channels == 2),
                                          adpcm(tone, channels, bits), kLots);
            ASSERT_TRUE(s.ok()) << bits;
            // Padding bits of the last byte may hold one more sample.
            ASSERT_NEAR(static_cast<double>(s.value()->frames()), 10000, 1)
                << bits << " bits " << channels;
            const auto left = channel(s.value()->samples, channels, 0);
            const auto want = channel(tone, channels, 0);
            EXPECT_NEAR(frequency(left, 22050, 500, 10000), 440, 5) << bits;
            // Two-bit ADPCM is coarse; five-bit close.
            double err = 0;
            for (std::size_t i = 500; i < 10000; ++i)
                err += std::abs(left[i] - want[i]);
            err /= 9500;
            EXPECT_LT(err, bits == 2 ? 4000 : bits == 3 ? 1500 : 600) << bits;
        }
    }
}

TEST(Decode, AdpcmStopsAtItsLimitWithAnError) {
    const auto tone = sine(440, 22050, 10000);
    std::vector<int16_t> out;
    const QByteArray data = adpcm(tone, 1);
    auto r = swf::media::AdpcmDecoder::decode(reinterpret_cast<const uint8_t*>(data.constData()),
                                              static_cast<std::size_t>(data.size()), 1, 5000, out);
    EXPECT_FALSE(r.ok());
    EXPECT_LE(out.size(), 5000u);
    // Garbage decodes to something bounded by its size, never crashes.
    std::vector<int16_t> junk;
    const QByteArray noise(997, '\xa5');
    ASSERT_TRUE(swf::media::AdpcmDecoder::decode(
                    reinterpret_cast<const uint8_t*>(noise.constData()), 997, 2, 1 << 20, junk)
                    .ok());
    EXPECT_LE(junk.size(), 997u * 8 / 2 + 2);
}

TEST(Decode, Mp3ThroughLibavcodec) {
    const auto tone = sine(1000, 44100, 44100, 0.5, 2);
    const auto encoded = mp3(tone, 44100, 2);
    if (!encoded)
        GTEST_SKIP() << "this libavcodec has no MP3 encoder";
    QByteArray data("\0\0", 2); // seek samples
    data.append(*encoded);
    auto s = SoundDecoder::decode(fmt(2, 44100, true, true), data, kLots);
    ASSERT_TRUE(s.ok()) << s.error().message.toStdString();
    EXPECT_EQ(s.value()->rate, 44100);
    EXPECT_EQ(s.value()->channels, 2);
    // The encoder pads the start and the end by less than two frames of 1152.
    EXPECT_NEAR(static_cast<double>(s.value()->frames()), 44100, 2 * 1152 + 1152);
    const auto right = channel(s.value()->samples, 2, 1);
    EXPECT_NEAR(frequency(right, 44100, 5000, 40000), 1000, 5);
    EXPECT_NEAR(rms(right, 5000, 40000), 0.5 * 32767 / std::sqrt(2.0), 1000);
}

TEST(Decode, Mp3CutShortOrDamagedDecodesWhatIsThere) {
    const auto tone = sine(1000, 44100, 22050);
    const auto encoded = mp3(tone, 44100, 1);
    if (!encoded)
        GTEST_SKIP() << "this libavcodec has no MP3 encoder";
    QByteArray data("\0\0", 2);
    data.append(encoded->left(encoded->size() / 2));
    data[300] = '\xff';
    data[301] = '\x00';
    auto s = SoundDecoder::decode(fmt(2, 44100, true, false), data, kLots);
    ASSERT_TRUE(s.ok());
    EXPECT_GT(s.value()->frames(), 5000u);
    EXPECT_LT(s.value()->frames(), 16000u);
}

TEST(Decode, NellymoserThroughLibavcodec) {
    const auto tone = sine(500, 44100, 44100);
    const auto encoded = nellymoser(tone, 44100);
    if (!encoded)
        GTEST_SKIP() << "this libavcodec has no Nellymoser encoder";
    auto s = SoundDecoder::decode(fmt(6, 44100, true, false), *encoded, kLots);
    ASSERT_TRUE(s.ok()) << s.error().message.toStdString();
    EXPECT_NEAR(static_cast<double>(s.value()->frames()), 44100, 1024);
    EXPECT_NEAR(frequency(s.value()->samples, 44100, 4000, 40000), 500, 10);
}

TEST(Decode, TheLimitStopsDecodingBeforeMemoryGrows) {
    const auto tone = sine(440, 44100, 44100);
    EXPECT_FALSE(SoundDecoder::decode(fmt(3, 44100, true, false), pcm16(tone), 1000).ok());
    const auto encoded = mp3(tone, 44100, 1);
    if (encoded) {
        QByteArray data("\0\0", 2);
        data.append(*encoded);
        EXPECT_FALSE(SoundDecoder::decode(fmt(2, 44100, true, false), data, 20000).ok());
    }
}

TEST(Decode, StreamBlocksGiveEachFrameItsFirstSample) {
    swf::SoundStreamHead head;
    head.stream = fmt(3, 11025, true, false);
    const auto tone = sine(440, 11025, 3000);
    std::vector<QByteArray> blocks;
    blocks.push_back({});                                                // frame 0: quiet
    blocks.push_back(pcm16({tone.begin(), tone.begin() + 1000}));        // frame 1
    blocks.push_back(pcm16({tone.begin() + 1000, tone.begin() + 2000})); // frame 2
    blocks.push_back({});                                                // frame 3
    blocks.push_back(pcm16({tone.begin() + 2000, tone.end()}));          // frame 4
    auto s = SoundDecoder::decodeStream(head, blocks, kLots);
    ASSERT_TRUE(s.ok());
    const auto& d = *s.value();
    EXPECT_EQ(d.sound->samples, tone);
    EXPECT_EQ(d.frameStart, (std::vector<uint64_t>{0, 0, 1000, 2000, 2000, 3000}));
    EXPECT_EQ(d.hasBlock, (std::vector<bool>{false, true, true, false, true}));
    EXPECT_EQ(d.frameAt(0), 1);
    EXPECT_EQ(d.frameAt(1500), 2);
    EXPECT_EQ(d.frameAt(2500), 4);
}

TEST(Decode, Mp3StreamFramesFollowTheDeclaredSampleCounts) {
    const auto tone = sine(1000, 44100, 1152 * 20);
    const auto encoded = mp3(tone, 44100, 1);
    if (!encoded)
        GTEST_SKIP() << "this libavcodec has no MP3 encoder";
    swf::SoundStreamHead head;
    head.stream = fmt(2, 44100, true, false);
    // Two halves, each block saying how many samples it brings.
    const int half = static_cast<int>(encoded->size() / 2);
    std::vector<QByteArray> blocks;
    for (const QByteArray& part : {encoded->left(half), encoded->mid(half)}) {
        QByteArray b;
        b.append('\x00');
        b.append('\x2d'); // 11520
        b.append(QByteArray(2, 0));
        b.append(part);
        blocks.push_back(b);
    }
    auto s = SoundDecoder::decodeStream(head, blocks, kLots);
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(s.value()->frameStart[1], 11520u);
    EXPECT_GT(s.value()->sound->frames(), 20000u);
}

TEST(SoundStore, KeepsDecodedSoundWithinItsBudget) {
    const auto tone = sine(440, 44100, 44100);
    const QByteArray data = pcm16(tone);
    const uint64_t oneSound = tone.size() * 2;
    swf::media::SoundStore store(oneSound * 2 + 100);
    swf::SoundCharacter a(1, fmt(3, 44100, true, false), 44100, data);
    swf::SoundCharacter b(2, fmt(3, 44100, true, false), 44100, data);
    swf::SoundCharacter c(3, fmt(3, 44100, true, false), 44100, data);
    auto first = store.sound(a);
    ASSERT_TRUE(first.ok());
    ASSERT_TRUE(store.sound(b).ok());
    EXPECT_EQ(store.bytesHeld(), oneSound * 2);
    // a is still held by a voice: c can only come in by dropping b from the store.
    ASSERT_TRUE(store.sound(c).ok());
    EXPECT_LE(store.bytesHeld(), store.maxBytes());
    // A fourth while three are held would pass the budget: refused, and stays refused.
    auto keepC = store.sound(c);
    swf::SoundCharacter d(4, fmt(3, 44100, true, false), 44100, data);
    EXPECT_FALSE(store.sound(d).ok());
    EXPECT_LE(store.bytesHeld(), store.maxBytes());
    first = swf::Error{};
    EXPECT_FALSE(store.sound(d).ok()); // a failure is remembered, not decoded again
    // Once nothing holds them, the same sound returns from the store, decoded once.
    auto again = store.sound(c);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.value().get(), keepC.value().get());
}

} // namespace
