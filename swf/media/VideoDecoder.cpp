#include "swf/media/VideoDecoder.h"

#include "swf/format/Video.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace swf::media {

namespace {

AVCodecID codecOf(uint8_t codec) {
    switch (codec) {
    case videocodec::SorensonH263:
        return AV_CODEC_ID_FLV1;
    case videocodec::ScreenVideo:
        return AV_CODEC_ID_FLASHSV;
    case videocodec::ScreenVideo2:
        return AV_CODEC_ID_FLASHSV2;
    case videocodec::Vp6:
        return AV_CODEC_ID_VP6F;
    case videocodec::Vp6Alpha:
        return AV_CODEC_ID_VP6A;
    case videocodec::H264:
        return AV_CODEC_ID_H264;
    default:
        return AV_CODEC_ID_NONE;
    }
}

// Sorenson H.263's picture header up to the quantiser: whether the picture asks for
// deblocking, and its quantiser; nullopt when the header is not one.
std::optional<std::pair<bool, int>> sorensonHeader(const QByteArray& packet) {
    uint64_t bits = 0;
    int have = 0;
    qsizetype at = 0;
    const auto take = [&](int n) -> std::optional<uint32_t> {
        while (have < n) {
            if (at >= packet.size())
                return std::nullopt;
            bits = (bits << 8) | static_cast<uint8_t>(packet[at++]);
            have += 8;
        }
        have -= n;
        return static_cast<uint32_t>((bits >> have) & ((1ull << n) - 1));
    };
    if (take(17) != 1u || !take(5) || !take(8))
        return std::nullopt;
    const auto size = take(3);
    if (!size)
        return std::nullopt;
    if (*size == 0 && (!take(8) || !take(8)))
        return std::nullopt;
    if (*size == 1 && (!take(16) || !take(16)))
        return std::nullopt;
    const auto type = take(2);
    const auto deblock = take(1);
    const auto quant = take(5);
    if (!type || !deblock || !quant)
        return std::nullopt;
    return std::make_pair(*deblock == 1, static_cast<int>(*quant));
}

// Smooths the edges of the 8 x 8 blocks of one plane, as H.263's deblocking filter does:
// across each edge, a step smaller than the strength is evened out; larger steps are real
// edges of the picture and are left alone.
void deblockPlane(uint8_t* plane, int stride, int width, int height, int strength) {
    const auto filter = [strength](uint8_t& a, uint8_t& b, uint8_t& c, uint8_t& d) {
        const int delta = (a - 4 * b + 4 * c - d) / 8;
        const int magnitude = std::abs(delta);
        const int d1 = std::max(0, magnitude - std::max(0, 2 * (magnitude - strength)));
        const int step = delta < 0 ? -d1 : d1;
        const int d2 = std::clamp((a - d) / 4, -d1 / 2, d1 / 2);
        b = static_cast<uint8_t>(std::clamp(b + step, 0, 255));
        c = static_cast<uint8_t>(std::clamp(c - step, 0, 255));
        a = static_cast<uint8_t>(std::clamp(a - d2, 0, 255));
        d = static_cast<uint8_t>(std::clamp(d + d2, 0, 255));
    };
    for (int y = 0; y < height; ++y) {
        uint8_t* row = plane + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 8; x + 1 < width; x += 8)
            filter(row[x - 2], row[x - 1], row[x], row[x + 1]);
    }
    for (int y = 8; y + 1 < height; y += 8) {
        uint8_t* r0 = plane + static_cast<std::ptrdiff_t>(y - 2) * stride;
        uint8_t* r1 = r0 + stride;
        uint8_t* r2 = r1 + stride;
        uint8_t* r3 = r2 + stride;
        for (int x = 0; x < width; ++x)
            filter(r0[x], r1[x], r2[x], r3[x]);
    }
}

} // namespace

struct VideoDecoder::State {
    AVCodecContext* ctx = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* sws = nullptr;
    bool draining = false;

    ~State() {
        sws_freeContext(sws);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&ctx);
    }
};

VideoDecoder::VideoDecoder(uint8_t codec, uint64_t maxPixels)
    : codec_(codec),
      maxPixels_(maxPixels == 0 || maxPixels > kMaxVideoPixels ? kMaxVideoPixels : maxPixels),
      d_(std::make_unique<State>()) {}

VideoDecoder::~VideoDecoder() = default;

Result<std::unique_ptr<VideoDecoder>>
VideoDecoder::create(uint8_t codec, const QByteArray& avcConfig, uint64_t maxPixels) {
    const AVCodec* decoder = avcodec_find_decoder(codecOf(codec));
    if (!decoder)
        return Error{QStringLiteral("No decoder for video codec %1.").arg(codec)};
    std::unique_ptr<VideoDecoder> out(new VideoDecoder(codec, maxPixels));
    State& s = *out->d_;
    s.ctx = avcodec_alloc_context3(decoder);
    s.frame = av_frame_alloc();
    s.packet = av_packet_alloc();
    if (!s.ctx || !s.frame || !s.packet)
        return Error{QStringLiteral("Out of memory for a video decoder.")};
    // A picture is wanted as soon as its packet is in; threads would hold pictures back.
    s.ctx->thread_count = 1;
    // The codec's own header names the picture size; one larger than the stream may have is
    // refused before the decoder reserves memory for it.
    s.ctx->max_pixels = static_cast<int64_t>(out->maxPixels_);
    if (!avcConfig.isEmpty()) {
        s.ctx->extradata = static_cast<uint8_t*>(
            av_mallocz(static_cast<std::size_t>(avcConfig.size()) + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!s.ctx->extradata)
            return Error{QStringLiteral("Out of memory for a video decoder.")};
        std::memcpy(s.ctx->extradata, avcConfig.constData(),
                    static_cast<std::size_t>(avcConfig.size()));
        s.ctx->extradata_size = static_cast<int>(avcConfig.size());
    }
    if (avcodec_open2(s.ctx, decoder, nullptr) < 0)
        return Error{QStringLiteral("The decoder for video codec %1 did not open.").arg(codec)};
    return out;
}

bool VideoDecoder::reorders() const {
    return codec_ == videocodec::H264;
}

Result<void> VideoDecoder::send(const QByteArray& packet, int64_t frameNumber) {
    State& s = *d_;
    if (s.draining)
        reset();
    const char* data = packet.constData();
    qsizetype size = packet.size();
    if (codec_ == videocodec::H264) {
        // FLV's packet form: pictures are type 1, after three bytes of composition time.
        if (size < 5 || data[0] != 1)
            return Error{QStringLiteral("Not a picture packet.")};
        data += 4;
        size -= 4;
    }
    if (size <= 0)
        return Error{QStringLiteral("Empty video packet.")};
    if (codec_ == videocodec::SorensonH263) {
        const auto header = sorensonHeader(packet);
        frameDeblocks_ = header && header->first;
        frameQuant_ = header ? header->second : 0;
    }
    // libavcodec reads a little past the end of what it is given; the packet gets its own
    // padded copy.
    if (av_new_packet(s.packet, static_cast<int>(size)) < 0)
        return Error{QStringLiteral("Out of memory for a video packet.")};
    std::memcpy(s.packet->data, data, static_cast<std::size_t>(size));
    s.packet->pts = frameNumber;
    s.packet->dts = frameNumber;
    const int rc = avcodec_send_packet(s.ctx, s.packet);
    av_packet_unref(s.packet);
    if (rc < 0 && rc != AVERROR(EAGAIN))
        return Error{QStringLiteral("Video frame %1 did not decode.").arg(frameNumber)};
    return {};
}

std::optional<std::pair<int64_t, QImage>> VideoDecoder::receive() {
    State& s = *d_;
    while (true) {
        const int rc = avcodec_receive_frame(s.ctx, s.frame);
        if (rc < 0)
            return std::nullopt;
        QImage image = toImage();
        const int64_t number =
            s.frame->pts != AV_NOPTS_VALUE ? s.frame->pts : s.frame->best_effort_timestamp;
        av_frame_unref(s.frame);
        if (!image.isNull())
            return std::make_pair(number, std::move(image));
    }
}

void VideoDecoder::drain() {
    State& s = *d_;
    if (s.draining)
        return;
    s.draining = true;
    avcodec_send_packet(s.ctx, nullptr);
}

void VideoDecoder::reset() {
    State& s = *d_;
    avcodec_flush_buffers(s.ctx);
    s.draining = false;
}

QImage VideoDecoder::toImage() const {
    State& s = *d_;
    const AVFrame* f = s.frame;
    if (f->width <= 0 || f->height <= 0 ||
        static_cast<uint64_t>(f->width) * static_cast<uint64_t>(f->height) > maxPixels_)
        return {};
    const auto format = static_cast<AVPixelFormat>(f->format);
    if (format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVA420P ||
        format == AV_PIX_FMT_YUVJ420P)
        return fromYuv420();
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    if (!desc)
        return {};
    const bool alpha = desc->flags & AV_PIX_FMT_FLAG_ALPHA;
    s.sws = sws_getCachedContext(s.sws, f->width, f->height, format, f->width, f->height,
                                 AV_PIX_FMT_RGB32, SWS_POINT | SWS_ACCURATE_RND, nullptr, nullptr,
                                 nullptr);
    if (!s.sws)
        return {};
    // RGB32 is a native-endian 0xAARRGGBB word, as QImage keeps its 32-bit pixels.
    QImage image(f->width, f->height,
                 alpha ? QImage::Format_ARGB32 : QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    uint8_t* dst[4] = {image.bits(), nullptr, nullptr, nullptr};
    int dstStride[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
    if (sws_scale(s.sws, f->data, f->linesize, 0, f->height, dst, dstStride) <= 0)
        return {};
    if (alpha)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    return image;
}

int VideoDecoder::deblockStrength() const {
    if (codec_ != videocodec::SorensonH263 || deblocking_ == 1)
        return 0;
    if (deblocking_ == 0 && !frameDeblocks_)
        return 0;
    // H.263's strengths by quantiser: coarser pictures have larger steps to even out.
    static constexpr int kByQuant[32] = {0, 1, 1, 2, 2, 3, 3, 4, 4,  4,  5,  5,  5,  6,  6,  7,
                                         7, 7, 8, 8, 8, 9, 9, 9, 10, 10, 10, 11, 11, 11, 12, 12};
    const int base = kByQuant[std::clamp(frameQuant_, 1, 31)];
    return deblocking_ >= 2 ? std::min(12, base + (deblocking_ - 2)) : base;
}

// Flash gives each pixel the colour of its own chroma sample, without blending in the
// neighbours', so colour edges stay as sharp as the codec coded them; the general converters
// blend, which smears every edge of a test card.
QImage VideoDecoder::fromYuv420() const {
    const AVFrame* source = d_->frame;
    const int strength = deblockStrength();
    // Deblocking works on a copy: the decoder predicts later pictures from its own.
    AVFrame* copy = nullptr;
    if (strength > 0) {
        copy = av_frame_alloc();
        if (copy) {
            copy->format = source->format;
            copy->width = source->width;
            copy->height = source->height;
            if (av_frame_get_buffer(copy, 0) < 0 || av_frame_copy(copy, source) < 0 ||
                av_frame_copy_props(copy, source) < 0) {
                av_frame_free(&copy);
            } else {
                deblockPlane(copy->data[0], copy->linesize[0], copy->width, copy->height, strength);
                for (int p = 1; p <= 2; ++p)
                    deblockPlane(copy->data[p], copy->linesize[p], (copy->width + 1) / 2,
                                 (copy->height + 1) / 2, strength);
            }
        }
    }
    const AVFrame* f = copy ? copy : source;
    struct Free {
        AVFrame* frame;
        ~Free() { av_frame_free(&frame); }
    } freeCopy{copy};
    QImage image(f->width, f->height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    const bool full = f->format == AV_PIX_FMT_YUVJ420P || f->color_range == AVCOL_RANGE_JPEG;
    const bool bt709 = f->colorspace == AVCOL_SPC_BT709;
    // Fixed point, 8 fractional bits: studio-range BT.601 unless the stream says otherwise.
    const int ky = full ? 256 : 298;
    const int yOffset = full ? 0 : 16;
    const int kvr = bt709 ? (full ? 403 : 459) : (full ? 359 : 409);
    const int kug = bt709 ? (full ? 48 : 55) : (full ? 88 : 100);
    const int kvg = bt709 ? (full ? 120 : 136) : (full ? 183 : 208);
    const int kub = bt709 ? (full ? 475 : 541) : (full ? 454 : 516);
    const auto clamp = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
    const bool hasAlpha = f->format == AV_PIX_FMT_YUVA420P && f->data[3];
    // VP6 with alpha carries its colour already multiplied by the alpha, as Flash shows it;
    // only what rounding pushed past the alpha needs cutting back.
    const bool premultiplied = codec_ == videocodec::Vp6Alpha;
    for (int y = 0; y < f->height; ++y) {
        const uint8_t* yp = f->data[0] + static_cast<std::ptrdiff_t>(y) * f->linesize[0];
        const uint8_t* up = f->data[1] + static_cast<std::ptrdiff_t>(y / 2) * f->linesize[1];
        const uint8_t* vp = f->data[2] + static_cast<std::ptrdiff_t>(y / 2) * f->linesize[2];
        const uint8_t* ap =
            hasAlpha ? f->data[3] + static_cast<std::ptrdiff_t>(y) * f->linesize[3] : nullptr;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < f->width; ++x) {
            const int c = ky * (yp[x] - yOffset) + 128;
            const int u = up[x / 2] - 128;
            const int v = vp[x / 2] - 128;
            int r = clamp((c + kvr * v) >> 8);
            int g = clamp((c - kug * u - kvg * v) >> 8);
            int b = clamp((c + kub * u) >> 8);
            int a = 255;
            if (ap) {
                a = ap[x];
                if (premultiplied) {
                    r = std::min(r, a);
                    g = std::min(g, a);
                    b = std::min(b, a);
                } else {
                    r = (r * a + 127) / 255;
                    g = (g * a + 127) / 255;
                    b = (b * a + 127) / 255;
                }
            }
            out[x] = qRgba(r, g, b, a);
        }
    }
    return image;
}

} // namespace swf::media
