#include "tests/swf/media/VideoClips.h"

#include <QPainter>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace mediatest {

namespace {

AVCodecID codecId(uint8_t codec) {
    switch (codec) {
    case 2:
        return AV_CODEC_ID_FLV1;
    case 3:
        return AV_CODEC_ID_FLASHSV;
    case 6:
        return AV_CODEC_ID_FLASHSV2;
    case 7:
        return AV_CODEC_ID_H264;
    default:
        return AV_CODEC_ID_NONE;
    }
}

// Annex B (start codes) to the units themselves.
std::vector<QByteArray> splitAnnexB(const uint8_t* data, int size) {
    std::vector<QByteArray> units;
    int start = -1;
    int i = 0;
    while (i + 3 <= size) {
        const bool three = data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1;
        if (three) {
            if (start >= 0) {
                int end = i;
                while (end > start && data[end - 1] == 0)
                    --end;
                units.emplace_back(reinterpret_cast<const char*>(data + start), end - start);
            }
            i += 3;
            start = i;
            continue;
        }
        ++i;
    }
    if (start >= 0 && start < size)
        units.emplace_back(reinterpret_cast<const char*>(data + start), size - start);
    return units;
}

QByteArray be32(uint32_t v) {
    QByteArray b(4, 0);
    b[0] = static_cast<char>(v >> 24);
    b[1] = static_cast<char>(v >> 16);
    b[2] = static_cast<char>(v >> 8);
    b[3] = static_cast<char>(v);
    return b;
}

QByteArray avcRecord(const std::vector<QByteArray>& units) {
    QByteArray sps, pps;
    for (const QByteArray& u : units) {
        if (u.isEmpty())
            continue;
        if ((u[0] & 0x1f) == 7 && sps.isEmpty())
            sps = u;
        else if ((u[0] & 0x1f) == 8 && pps.isEmpty())
            pps = u;
    }
    if (sps.size() < 4 || pps.isEmpty())
        return {};
    QByteArray r;
    r.append(char(1));
    r.append(sps[1]);
    r.append(sps[2]);
    r.append(sps[3]);
    r.append(char(0xff)); // four-byte lengths
    r.append(char(0xe1)); // one SPS
    r.append(char(sps.size() >> 8));
    r.append(char(sps.size() & 0xff));
    r.append(sps);
    r.append(char(1));
    r.append(char(pps.size() >> 8));
    r.append(char(pps.size() & 0xff));
    r.append(pps);
    return r;
}

} // namespace

QImage solidPicture(int width, int height, QColor colour) {
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

QImage quarteredPicture(int width, int height, QColor topLeft, QColor topRight, QColor bottomLeft,
                        QColor bottomRight) {
    QImage img(width, height, QImage::Format_RGB32);
    QPainter p(&img);
    p.fillRect(0, 0, width / 2, height / 2, topLeft);
    p.fillRect(width / 2, 0, width - width / 2, height / 2, topRight);
    p.fillRect(0, height / 2, width / 2, height - height / 2, bottomLeft);
    p.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, bottomRight);
    return img;
}

QByteArray avcConfigPacket(const QByteArray& avcConfig) {
    return QByteArray(4, 0) + avcConfig;
}

std::optional<EncodedVideo> encodeVideo(uint8_t codec, const std::vector<QImage>& pictures,
                                        int keyInterval, int bFrames) {
    // x264 reports its settings and statistics at every close; only errors are of interest.
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* encoder = avcodec_find_encoder(codecId(codec));
    if (!encoder || pictures.empty())
        return std::nullopt;
    const int w = pictures.front().width(), h = pictures.front().height();
    AVCodecContext* ctx = avcodec_alloc_context3(encoder);
    const bool rgb = codec == 3 || codec == 6;
    const AVPixelFormat pixFmt = rgb ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_YUV420P;
    ctx->width = w;
    ctx->height = h;
    ctx->pix_fmt = pixFmt;
    ctx->time_base = AVRational{1, 25};
    ctx->framerate = AVRational{25, 1};
    ctx->gop_size = keyInterval;
    ctx->max_b_frames = bFrames;
    ctx->bit_rate = 2'000'000;
    ctx->thread_count = 1;
    if (codec == 7) {
        ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        av_opt_set(ctx->priv_data, "preset", "ultrafast", 0);
        if (bFrames == 0)
            av_opt_set(ctx->priv_data, "tune", "zerolatency", 0);
        else
            av_opt_set(ctx->priv_data, "x264-params", "b-adapt=0:scenecut=0", 0);
        av_opt_set_int(ctx->priv_data, "crf", 12, 0);
        ctx->keyint_min = keyInterval;
    }
    if (codec == 2) {
        ctx->qmax = 4; // sharp enough that flat colours keep their values
        // Every picture differs from the last; key frames are to come where the test says.
        av_opt_set_int(ctx, "sc_threshold", 1000000000, AV_OPT_SEARCH_CHILDREN);
    }
    if (avcodec_open2(ctx, encoder, nullptr) < 0) {
        avcodec_free_context(&ctx);
        return std::nullopt;
    }
    EncodedVideo out;
    if (codec == 7)
        out.avcConfig = avcRecord(splitAnnexB(ctx->extradata, ctx->extradata_size));
    if (ctx->extradata)
        out.extradata =
            QByteArray(reinterpret_cast<const char*>(ctx->extradata), ctx->extradata_size);
    AVFrame* frame = av_frame_alloc();
    frame->format = pixFmt;
    frame->width = w;
    frame->height = h;
    av_frame_get_buffer(frame, 0);
    AVPacket* packet = av_packet_alloc();
    SwsContext* sws = sws_getContext(w, h, AV_PIX_FMT_RGB32, w, h, pixFmt,
                                     SWS_POINT | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    const auto collect = [&] {
        while (avcodec_receive_packet(ctx, packet) == 0) {
            QByteArray data;
            if (codec == 7) {
                data = QByteArray("\x01\x00\x00\x00", 4);
                for (const QByteArray& u : splitAnnexB(packet->data, packet->size))
                    data += be32(static_cast<uint32_t>(u.size())) + u;
            } else {
                data = QByteArray(reinterpret_cast<const char*>(packet->data), packet->size);
            }
            out.packets.push_back(data);
            out.raw.emplace_back(reinterpret_cast<const char*>(packet->data), packet->size);
            out.pts.push_back(packet->pts);
            out.dts.push_back(packet->dts);
            out.keyFrames.push_back(packet->flags & AV_PKT_FLAG_KEY);
            av_packet_unref(packet);
        }
    };
    int64_t pts = 0;
    for (const QImage& picture : pictures) {
        const QImage src = picture.convertToFormat(QImage::Format_RGB32);
        av_frame_make_writable(frame);
        const uint8_t* srcData[1] = {src.constBits()};
        const int srcStride[1] = {static_cast<int>(src.bytesPerLine())};
        sws_scale(sws, srcData, srcStride, 0, h, frame->data, frame->linesize);
        frame->pts = pts++;
        frame->pict_type = (pts - 1) % keyInterval == 0 ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
        avcodec_send_frame(ctx, frame);
        collect();
    }
    avcodec_send_frame(ctx, nullptr);
    collect();
    sws_freeContext(sws);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    if (out.packets.size() != pictures.size())
        return std::nullopt;
    return out;
}

} // namespace mediatest
