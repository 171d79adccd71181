// bench_media: what sound costs, as a share of one core per second of sound.
//
//   bench_media [SECONDS]
//
// Prints the decoding cost of an MP3 stream (44.1 kHz stereo, made here with libavcodec's
// encoder when it has one), the mixing cost of that stream alone, and the mixing cost of 16
// event sounds playing at once (22,050 Hz mono, resampled to 44,100 Hz stereo, eight of them
// with an envelope). Nothing is timed against a target: these are figures to compare.

#include "swf/format/Sound.h"
#include "swf/media/Mixer.h"
#include "swf/media/SoundDecoder.h"

#include <QElapsedTimer>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

namespace {

std::vector<int16_t> tone(double hz, int rate, int frames, int channels) {
    std::vector<int16_t> out;
    out.reserve(static_cast<std::size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out.push_back(
                static_cast<int16_t>(12000 * std::sin(2 * M_PI * hz * (c + 1) * i / rate)));
    return out;
}

QByteArray encodeMp3(const std::vector<int16_t>& samples, int rate) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP3);
    if (!codec)
        return {};
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->sample_rate = rate;
    av_channel_layout_default(&ctx->ch_layout, 2);
    ctx->bit_rate = 128000;
    ctx->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16P;
    if (avcodec_open2(ctx, codec, nullptr) < 0)
        return {};
    QByteArray out;
    AVFrame* frame = av_frame_alloc();
    AVPacket* pkt = av_packet_alloc();
    const std::size_t total = samples.size() / 2;
    for (std::size_t at = 0; at < total; at += static_cast<std::size_t>(ctx->frame_size)) {
        frame->nb_samples = ctx->frame_size;
        frame->format = ctx->sample_fmt;
        frame->sample_rate = rate;
        av_channel_layout_copy(&frame->ch_layout, &ctx->ch_layout);
        av_frame_get_buffer(frame, 0);
        for (int i = 0; i < frame->nb_samples; ++i) {
            for (int c = 0; c < 2; ++c) {
                const int16_t s = at + i < total ? samples[(at + i) * 2 + c] : 0;
                if (ctx->sample_fmt == AV_SAMPLE_FMT_S16P)
                    reinterpret_cast<int16_t*>(frame->data[c])[i] = s;
                else if (ctx->sample_fmt == AV_SAMPLE_FMT_S32P)
                    reinterpret_cast<int32_t*>(frame->data[c])[i] = s * 65536;
                else
                    reinterpret_cast<float*>(frame->data[c])[i] = s / 32768.0f;
            }
        }
        avcodec_send_frame(ctx, frame);
        av_frame_unref(frame);
        while (avcodec_receive_packet(ctx, pkt) >= 0) {
            out.append(reinterpret_cast<const char*>(pkt->data), pkt->size);
            av_packet_unref(pkt);
        }
    }
    av_packet_free(&pkt);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    return out;
}

double mixSeconds(swf::media::Mixer& mixer, double seconds) {
    std::vector<int16_t> out(1024 * 2);
    const int total = static_cast<int>(seconds * 44100);
    QElapsedTimer t;
    t.start();
    for (int done = 0; done < total; done += 1024)
        mixer.mix(out.data(), 1024);
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 20.0;
    const int frames = static_cast<int>(seconds * 44100);

    // An MP3 stream as a movie carries it: one block of 1,152 × n samples per frame.
    const QByteArray mp3 = encodeMp3(tone(440, 44100, frames, 2), 44100);
    if (mp3.isEmpty()) {
        std::printf("mp3 stream: no MP3 encoder in this libavcodec, skipped\n");
    } else {
        swf::SoundStreamHead head;
        head.stream.format = swf::soundformat::Mp3;
        head.stream.rate = 44100;
        head.stream.stereo = true;
        std::vector<QByteArray> blocks;
        const int perBlock = static_cast<int>(mp3.size() / (seconds * 12));
        for (int at = 0; at < mp3.size(); at += perBlock) {
            QByteArray b(4, 0);
            b[0] = static_cast<char>(3675 & 0xff);
            b[1] = static_cast<char>(3675 >> 8);
            b.append(mp3.mid(at, perBlock));
            blocks.push_back(b);
        }
        QElapsedTimer t;
        t.start();
        auto stream = swf::media::SoundDecoder::decodeStream(head, blocks, 1ull << 30);
        const double decode = t.nsecsElapsed() / 1e9;
        if (!stream) {
            std::printf("mp3 stream: %s\n", qPrintable(stream.error().message));
            return 1;
        }
        const double heard = stream.value()->sound->seconds();
        swf::media::Mixer mixer(44100);
        mixer.start(swf::media::VoiceParams{stream.value()->sound});
        const double mix = mixSeconds(mixer, heard);
        std::printf("mp3 stream, %.1f s of 44.1 kHz stereo at 128 kbit/s:\n", heard);
        std::printf("  decoding  %.3f s, %.2f%% of one core\n", decode, 100 * decode / heard);
        std::printf("  mixing    %.3f s, %.2f%% of one core\n", mix, 100 * mix / heard);
    }

    auto sound = std::make_shared<swf::media::DecodedSound>();
    sound->rate = 22050;
    sound->channels = 1;
    sound->samples = tone(330, 22050, static_cast<int>(seconds * 22050), 1);
    auto envelope =
        std::make_shared<std::vector<swf::SoundEnvelopePoint>>(std::vector<swf::SoundEnvelopePoint>{
            {0, 0, 32768}, {static_cast<uint32_t>(frames), 32768, 0}});
    swf::media::Mixer mixer(44100);
    for (int i = 0; i < 16; ++i) {
        swf::media::VoiceParams p{sound};
        if (i % 2)
            p.envelope = envelope;
        p.gains = {0.1f, 0.05f, 0.05f, 0.1f};
        mixer.start(p);
    }
    const double mix = mixSeconds(mixer, seconds);
    std::printf("16 event sounds, %.1f s of 22.05 kHz mono into 44.1 kHz stereo:\n", seconds);
    std::printf("  mixing    %.3f s, %.2f%% of one core\n", mix, 100 * mix / seconds);
    (void)frames;
    return 0;
}
