#include "tests/swf/media/Tones.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

namespace mediatest {

std::vector<int16_t> sine(double hz, int rate, int frames, double amplitude, int channels) {
    std::vector<int16_t> out;
    out.reserve(static_cast<std::size_t>(frames * channels));
    for (int i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(
            std::lround(amplitude * 32767 * std::sin(2 * M_PI * hz * i / rate)));
        for (int c = 0; c < channels; ++c)
            out.push_back(v);
    }
    return out;
}

QByteArray pcm16(const std::vector<int16_t>& samples) {
    QByteArray b;
    for (int16_t s : samples) {
        b.append(static_cast<char>(s & 0xff));
        b.append(static_cast<char>((s >> 8) & 0xff));
    }
    return b;
}

QByteArray pcm8(const std::vector<int16_t>& samples) {
    QByteArray b;
    for (int16_t s : samples)
        b.append(static_cast<char>((s >> 8) + 128));
    return b;
}

namespace {

const int kSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
const int kIndex2[2] = {-1, 2};
const int kIndex3[4] = {-1, -1, 2, 4};
const int kIndex4[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
const int kIndex5[16] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
const int* const kIndexTables[4] = {kIndex2, kIndex3, kIndex4, kIndex5};

class BitOut {
public:
    void put(uint32_t v, int n) {
        for (int i = n - 1; i >= 0; --i) {
            cur_ = static_cast<uint8_t>((cur_ << 1) | ((v >> i) & 1));
            if (++used_ == 8) {
                data_.append(static_cast<char>(cur_));
                cur_ = 0;
                used_ = 0;
            }
        }
    }
    QByteArray finish() {
        if (used_)
            data_.append(static_cast<char>(cur_ << (8 - used_)));
        used_ = 0;
        return data_;
    }

private:
    QByteArray data_;
    uint8_t cur_ = 0;
    int used_ = 0;
};

} // namespace

QByteArray adpcm(const std::vector<int16_t>& samples, int channels, int codeBits) {
    BitOut out;
    out.put(static_cast<uint32_t>(codeBits - 2), 2);
    const uint32_t signMask = 1u << (codeBits - 1);
    const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
    int predicted[2] = {0, 0}, index[2] = {0, 0};
    for (std::size_t f = 0; f < frames; ++f) {
        if (f % 4096 == 0) {
            for (int c = 0; c < channels; ++c) {
                predicted[c] = samples[f * channels + c];
                // Start each packet at a step that suits a loud tone.
                index[c] = std::min(index[c], 88);
                out.put(static_cast<uint16_t>(predicted[c]), 16);
                out.put(static_cast<uint32_t>(index[c]), 6);
            }
            continue;
        }
        for (int c = 0; c < channels; ++c) {
            int diff = samples[f * channels + c] - predicted[c];
            uint32_t code = 0;
            if (diff < 0) {
                code = signMask;
                diff = -diff;
            }
            int step = kSteps[index[c]];
            int delta = step >> (codeBits - 1);
            for (uint32_t mask = signMask >> 1; mask; mask >>= 1) {
                if (diff >= step) {
                    code |= mask;
                    diff -= step;
                    delta += step;
                }
                step >>= 1;
            }
            predicted[c] += (code & signMask) ? -delta : delta;
            predicted[c] = std::clamp(predicted[c], -32768, 32767);
            index[c] =
                std::clamp(index[c] + kIndexTables[codeBits - 2][code & (signMask - 1)], 0, 88);
            out.put(code, codeBits);
        }
    }
    return out.finish();
}

namespace {

std::optional<QByteArray> encode(AVCodecID id, const std::vector<int16_t>& samples, int rate,
                                 int channels) {
    const AVCodec* codec = avcodec_find_encoder(id);
    if (!codec)
        return std::nullopt;
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->sample_rate = rate;
    av_channel_layout_default(&ctx->ch_layout, channels);
    ctx->bit_rate = 128000;
    // Take the first 16-bit or float format the encoder offers.
    ctx->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    if (avcodec_open2(ctx, codec, nullptr) < 0) {
        avcodec_free_context(&ctx);
        return std::nullopt;
    }
    QByteArray out;
    AVFrame* frame = av_frame_alloc();
    AVPacket* pkt = av_packet_alloc();
    const int frameSize = ctx->frame_size > 0 ? ctx->frame_size : 1024;
    const std::size_t total = samples.size() / static_cast<std::size_t>(channels);
    auto drain = [&] {
        while (avcodec_receive_packet(ctx, pkt) >= 0) {
            out.append(reinterpret_cast<const char*>(pkt->data), pkt->size);
            av_packet_unref(pkt);
        }
    };
    for (std::size_t at = 0; at < total; at += static_cast<std::size_t>(frameSize)) {
        const int n = static_cast<int>(std::min<std::size_t>(frameSize, total - at));
        frame->nb_samples = ctx->frame_size > 0 ? frameSize : n;
        frame->format = ctx->sample_fmt;
        frame->sample_rate = rate;
        av_channel_layout_copy(&frame->ch_layout, &ctx->ch_layout);
        av_frame_get_buffer(frame, 0);
        av_frame_make_writable(frame);
        for (int i = 0; i < frame->nb_samples; ++i) {
            for (int c = 0; c < channels; ++c) {
                const int16_t s = i < n ? samples[(at + i) * channels + c] : 0;
                const bool planar = av_sample_fmt_is_planar(ctx->sample_fmt);
                const int plane = planar ? c : 0;
                const int idx = planar ? i : i * channels + c;
                switch (ctx->sample_fmt) {
                case AV_SAMPLE_FMT_S16:
                case AV_SAMPLE_FMT_S16P:
                    reinterpret_cast<int16_t*>(frame->data[plane])[idx] = s;
                    break;
                case AV_SAMPLE_FMT_S32:
                case AV_SAMPLE_FMT_S32P:
                    reinterpret_cast<int32_t*>(frame->data[plane])[idx] = s * 65536;
                    break;
                default:
                    reinterpret_cast<float*>(frame->data[plane])[idx] = s / 32768.0f;
                    break;
                }
            }
        }
        avcodec_send_frame(ctx, frame);
        av_frame_unref(frame);
        drain();
    }
    avcodec_send_frame(ctx, nullptr);
    drain();
    av_packet_free(&pkt);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    return out;
}

} // namespace

std::optional<QByteArray> mp3(const std::vector<int16_t>& samples, int rate, int channels) {
    return encode(AV_CODEC_ID_MP3, samples, rate, channels);
}

std::optional<QByteArray> nellymoser(const std::vector<int16_t>& samples, int rate) {
    return encode(AV_CODEC_ID_NELLYMOSER, samples, rate, 1);
}

std::vector<int16_t> channel(const std::vector<int16_t>& interleaved, int channels, int which) {
    std::vector<int16_t> out;
    for (std::size_t i = static_cast<std::size_t>(which); i < interleaved.size();
         i += static_cast<std::size_t>(channels))
        out.push_back(interleaved[i]);
    return out;
}

double frequency(const std::vector<int16_t>& mono, int rate, std::size_t from, std::size_t to) {
    to = std::min(to, mono.size());
    int crossings = 0;
    std::size_t first = 0, last = 0;
    for (std::size_t i = from + 1; i < to; ++i) {
        if ((mono[i - 1] < 0) != (mono[i] < 0)) {
            if (!crossings)
                first = i;
            last = i;
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0;
    return (crossings - 1) / 2.0 * rate / static_cast<double>(last - first);
}

double rms(const std::vector<int16_t>& mono, std::size_t from, std::size_t to) {
    to = std::min(to, mono.size());
    if (to <= from)
        return 0;
    double sum = 0;
    for (std::size_t i = from; i < to; ++i)
        sum += static_cast<double>(mono[i]) * mono[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

double peak(const std::vector<int16_t>& mono, std::size_t from, std::size_t to) {
    to = std::min(to, mono.size());
    int p = 0;
    for (std::size_t i = from; i < to; ++i)
        p = std::max(p, std::abs(static_cast<int>(mono[i])));
    return p;
}

} // namespace mediatest
