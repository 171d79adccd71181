// The sound of an FLV decoded as one piece: a tone written into audio tags in each format
// comes out as the same tone, and from the time of the first packet.

#include "swf/media/FlvSound.h"
#include "swf/media/FlvFile.h"
#include "tests/swf/media/FlvWriter.h"
#include "tests/swf/media/Tones.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

using swf::media::FlvFile;

namespace {

constexpr int kRate = 44100;

// Audio tags of format (rate code 3, 16-bit, mono) holding the packets, 100 ms apart from
// firstMs.
QByteArray flvOfSound(uint8_t format, const std::vector<QByteArray>& packets,
                      uint32_t firstMs = 0) {
    QByteArray flv = flvwriter::header(true);
    for (std::size_t i = 0; i < packets.size(); ++i) {
        QByteArray body;
        body.append(static_cast<char>((format << 4) | (3 << 2) | (1 << 1)));
        body.append(packets[i]);
        flvwriter::putTag(flv, 8, firstMs + static_cast<uint32_t>(i * 100), body);
    }
    return flv;
}

std::vector<QByteArray> pieces(const QByteArray& bytes, int count) {
    std::vector<QByteArray> out;
    const qsizetype step = (bytes.size() + count - 1) / count;
    for (qsizetype at = 0; at < bytes.size(); at += step)
        out.push_back(bytes.mid(at, step));
    return out;
}

void expectTone(const QByteArray& flv, double seconds, uint32_t startMs = 0) {
    auto file = FlvFile::parse(flv);
    ASSERT_TRUE(file);
    auto sound = swf::media::decodeFlvSound(file.value(), 64 << 20);
    ASSERT_TRUE(sound) << sound.error().message.toStdString();
    const auto& s = *sound.value().sound;
    EXPECT_EQ(sound.value().startMs, startMs);
    EXPECT_EQ(s.rate, kRate);
    EXPECT_NEAR(s.seconds(), seconds, 0.06);
    const auto mono = mediatest::channel(s.samples, s.channels, 0);
    EXPECT_NEAR(mediatest::frequency(mono, s.rate, 4410, 30000), 440, 10);
    EXPECT_GT(mediatest::rms(mono, 4410, 30000), 5000);
}

const std::vector<int16_t> kTone = mediatest::sine(440, kRate, kRate);

TEST(FlvSound, PcmAndAdpcmPacketsJoinIntoOneTone) {
    std::vector<QByteArray> pcm, adpcm;
    for (int i = 0; i < 10; ++i) {
        const std::vector<int16_t> part(kTone.begin() + i * 4410, kTone.begin() + (i + 1) * 4410);
        pcm.push_back(mediatest::pcm16(part));
        // Every ADPCM packet opens its own blocks with their own header.
        adpcm.push_back(mediatest::adpcm(part, 1));
    }
    expectTone(flvOfSound(3, pcm, 40), 1.0, 40);
    expectTone(flvOfSound(1, adpcm), 1.0);
}

TEST(FlvSound, Mp3FramesSplitAnywhereDecode) {
    const auto mp3 = mediatest::mp3(kTone, kRate, 1);
    if (!mp3)
        GTEST_SKIP() << "this libavcodec has no MP3 encoder";
    expectTone(flvOfSound(2, pieces(*mp3, 7)), 1.0);
}

// Raw AAC frames and the encoder's configuration, as FLV stores them; nullopt when this
// libavcodec has no AAC encoder.
std::optional<std::pair<QByteArray, std::vector<QByteArray>>>
aac(const std::vector<int16_t>& samples) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec)
        return std::nullopt;
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->sample_rate = kRate;
    ctx->sample_fmt = AV_SAMPLE_FMT_FLTP;
    ctx->bit_rate = 128000;
    av_channel_layout_default(&ctx->ch_layout, 1);
    if (avcodec_open2(ctx, codec, nullptr) < 0) {
        avcodec_free_context(&ctx);
        return std::nullopt;
    }
    QByteArray config(reinterpret_cast<const char*>(ctx->extradata), ctx->extradata_size);
    std::vector<QByteArray> packets;
    AVFrame* frame = av_frame_alloc();
    AVPacket* pkt = av_packet_alloc();
    auto take = [&] {
        while (avcodec_receive_packet(ctx, pkt) == 0) {
            packets.emplace_back(reinterpret_cast<const char*>(pkt->data), pkt->size);
            av_packet_unref(pkt);
        }
    };
    const int n = ctx->frame_size;
    for (std::size_t at = 0; at + static_cast<std::size_t>(n) <= samples.size(); at += n) {
        frame->nb_samples = n;
        frame->format = AV_SAMPLE_FMT_FLTP;
        frame->sample_rate = kRate;
        av_channel_layout_copy(&frame->ch_layout, &ctx->ch_layout);
        av_frame_get_buffer(frame, 0);
        auto* out = reinterpret_cast<float*>(frame->data[0]);
        for (int i = 0; i < n; ++i)
            out[i] = samples[at + static_cast<std::size_t>(i)] / 32768.0f;
        avcodec_send_frame(ctx, frame);
        av_frame_unref(frame);
        take();
    }
    avcodec_send_frame(ctx, nullptr);
    take();
    av_packet_free(&pkt);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    return std::make_pair(config, packets);
}

TEST(FlvSound, AacFramesWithTheirConfigurationDecode) {
    const auto encoded = aac(kTone);
    if (!encoded)
        GTEST_SKIP() << "this libavcodec has no AAC encoder";
    // The configuration packet first (AAC packet type 0), then the frames (type 1).
    std::vector<QByteArray> packets{QByteArray(1, '\0') + encoded->first};
    for (const QByteArray& frame : encoded->second)
        packets.push_back(QByteArray(1, '\1') + frame);
    // The configuration's tag carries no sound: the first frame's time is where it starts.
    expectTone(flvOfSound(10, packets), 1.0, 100);
}

TEST(FlvSound, NothingToHearIsAnErrorAndTheLimitHolds) {
    auto empty = FlvFile::parse(flvwriter::header(true));
    ASSERT_TRUE(empty);
    EXPECT_FALSE(swf::media::decodeFlvSound(empty.value(), 1 << 20));
    std::vector<QByteArray> pcm(10, mediatest::pcm16(std::vector<int16_t>(4410, 100)));
    auto file = FlvFile::parse(flvOfSound(3, pcm));
    ASSERT_TRUE(file);
    EXPECT_FALSE(swf::media::decodeFlvSound(file.value(), 10000))
        << "88 kB of samples against a 10 kB limit";
    std::vector<QByteArray> adpcm(10, mediatest::adpcm(std::vector<int16_t>(4410, 100), 1));
    auto adpcmFile = FlvFile::parse(flvOfSound(1, adpcm));
    ASSERT_TRUE(adpcmFile);
    EXPECT_FALSE(swf::media::decodeFlvSound(adpcmFile.value(), 10000));
    // AAC without its configuration packet cannot be decoded.
    auto aac = FlvFile::parse(flvOfSound(10, {QByteArray("\x01\x21\x10", 3)}));
    ASSERT_TRUE(aac);
    EXPECT_FALSE(swf::media::decodeFlvSound(aac.value(), 1 << 20));
}

} // namespace
