#include "tools/swfrender/VideoExporter.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

using swf::Error;
using swf::Result;

namespace {

Error failure(const QString& what, int code = 0) {
    if (code == 0)
        return Error{what};
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return Error{QStringLiteral("%1: %2").arg(what, QString::fromUtf8(text))};
}

const AVCodec* firstEncoder(std::initializer_list<AVCodecID> ids) {
    for (AVCodecID id : ids)
        if (const AVCodec* c = avcodec_find_encoder(id))
            return c;
    return nullptr;
}

} // namespace

struct VideoExporter::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* sound = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* sws = nullptr;
    SwrContext* swr = nullptr;
    AVAudioFifo* fifo = nullptr;
    int64_t audioPts = 0;
    bool headerWritten = false;

    ~State() {
        av_audio_fifo_free(fifo);
        swr_free(&swr);
        sws_freeContext(sws);
        av_packet_free(&packet);
        av_frame_free(&sound);
        av_frame_free(&picture);
        avcodec_free_context(&audio);
        avcodec_free_context(&video);
        if (format) {
            if (!(format->oformat->flags & AVFMT_NOFILE))
                avio_closep(&format->pb);
            avformat_free_context(format);
        }
    }
};

VideoExporter::VideoExporter() : d_(std::make_unique<State>()) {}

VideoExporter::~VideoExporter() {
    if (!finished_)
        (void)finish();
}

Result<std::unique_ptr<VideoExporter>> VideoExporter::open(const QString& path, QSize size,
                                                           double frameRate, int audioRate) {
    if (size.isEmpty() || !(frameRate > 0) || audioRate <= 0)
        return Error{QStringLiteral("nothing to export")};
    std::unique_ptr<VideoExporter> out(new VideoExporter());
    if (auto opened = out->openStreams(path, size, frameRate, audioRate); !opened)
        return opened.error();
    return out;
}

Result<void> VideoExporter::openStreams(const QString& path, QSize size, double frameRate,
                                        int audioRate) {
    State& s = *d_;
    const QByteArray file = path.toLocal8Bit();
    int rc = avformat_alloc_output_context2(&s.format, nullptr, nullptr, file.constData());
    if (rc < 0 || !s.format)
        return failure(QStringLiteral("no video format for %1 (try .mp4, .mkv or .webm)").arg(path),
                       rc);
    const bool webm = std::strcmp(s.format->oformat->name, "webm") == 0;
    const AVCodec* videoCodec = webm ? firstEncoder({AV_CODEC_ID_VP9, AV_CODEC_ID_VP8})
                                     : firstEncoder({AV_CODEC_ID_H264, AV_CODEC_ID_MPEG4});
    const AVCodec* audioCodec = webm ? firstEncoder({AV_CODEC_ID_OPUS, AV_CODEC_ID_VORBIS})
                                     : firstEncoder({AV_CODEC_ID_AAC, AV_CODEC_ID_MP3});
    if (!videoCodec || !audioCodec)
        return failure(QStringLiteral("this libavcodec has no encoder for %1").arg(path));
    const bool globalHeader = s.format->oformat->flags & AVFMT_GLOBALHEADER;

    // ---- picture ----
    s.video = avcodec_alloc_context3(videoCodec);
    s.video->width = (size.width() + 1) & ~1;
    s.video->height = (size.height() + 1) & ~1;
    s.video->pix_fmt = AV_PIX_FMT_YUV420P;
    // Movie rates are 8.8 fixed point numbers; 1/256 of a frame is exact enough.
    s.video->framerate = av_d2q(frameRate, 65535);
    s.video->time_base = av_inv_q(s.video->framerate);
    s.video->gop_size = std::max(1, static_cast<int>(frameRate * 2));
    s.video->max_b_frames = 0;
    if (globalHeader)
        s.video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (videoCodec->id == AV_CODEC_ID_H264) {
        av_opt_set(s.video->priv_data, "preset", "veryfast", 0);
        av_opt_set_int(s.video->priv_data, "crf", 20, 0);
    } else if (videoCodec->id == AV_CODEC_ID_VP9 || videoCodec->id == AV_CODEC_ID_VP8) {
        av_opt_set_int(s.video->priv_data, "crf", 31, 0);
        av_opt_set_int(s.video->priv_data, "cpu-used", 5, 0);
        av_opt_set(s.video->priv_data, "deadline", "good", 0);
        s.video->bit_rate = 0;
    } else {
        s.video->bit_rate = 4'000'000;
    }
    if ((rc = avcodec_open2(s.video, videoCodec, nullptr)) < 0)
        return failure(QStringLiteral("the %1 encoder did not open").arg(videoCodec->name), rc);
    s.videoStream = avformat_new_stream(s.format, nullptr);
    if (!s.videoStream)
        return failure(QStringLiteral("out of memory"));
    avcodec_parameters_from_context(s.videoStream->codecpar, s.video);
    s.videoStream->time_base = s.video->time_base;
    s.videoStream->avg_frame_rate = s.video->framerate;

    // ---- sound ----
    s.audio = avcodec_alloc_context3(audioCodec);
    int rate = audioRate;
    if (const int* rates = audioCodec->supported_samplerates) {
        rate = rates[0];
        for (const int* r = rates; *r; ++r)
            if (*r == audioRate)
                rate = audioRate;
    }
    s.audio->sample_rate = rate;
    s.audio->sample_fmt = audioCodec->sample_fmts ? audioCodec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    av_channel_layout_default(&s.audio->ch_layout, 2);
    s.audio->bit_rate = 160'000;
    s.audio->time_base = AVRational{1, rate};
    if (globalHeader)
        s.audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if ((rc = avcodec_open2(s.audio, audioCodec, nullptr)) < 0)
        return failure(QStringLiteral("the %1 encoder did not open").arg(audioCodec->name), rc);
    s.audioStream = avformat_new_stream(s.format, nullptr);
    if (!s.audioStream)
        return failure(QStringLiteral("out of memory"));
    avcodec_parameters_from_context(s.audioStream->codecpar, s.audio);
    s.audioStream->time_base = s.audio->time_base;

    AVChannelLayout stereo;
    av_channel_layout_default(&stereo, 2);
    rc = swr_alloc_set_opts2(&s.swr, &s.audio->ch_layout, s.audio->sample_fmt, rate, &stereo,
                             AV_SAMPLE_FMT_S16, audioRate, 0, nullptr);
    if (rc < 0 || (rc = swr_init(s.swr)) < 0)
        return failure(QStringLiteral("the sound converter did not open"), rc);
    s.fifo = av_audio_fifo_alloc(s.audio->sample_fmt, 2, 4096);
    s.picture = av_frame_alloc();
    s.sound = av_frame_alloc();
    s.packet = av_packet_alloc();
    if (!s.fifo || !s.picture || !s.sound || !s.packet)
        return failure(QStringLiteral("out of memory"));
    s.picture->format = s.video->pix_fmt;
    s.picture->width = s.video->width;
    s.picture->height = s.video->height;
    if ((rc = av_frame_get_buffer(s.picture, 0)) < 0)
        return failure(QStringLiteral("out of memory"), rc);

    if (!(s.format->oformat->flags & AVFMT_NOFILE) &&
        (rc = avio_open(&s.format->pb, file.constData(), AVIO_FLAG_WRITE)) < 0)
        return failure(QStringLiteral("cannot write %1").arg(path), rc);
    if ((rc = avformat_write_header(s.format, nullptr)) < 0)
        return failure(QStringLiteral("cannot write %1").arg(path), rc);
    s.headerWritten = true;
    return {};
}

Result<void> VideoExporter::drain(bool video) {
    State& s = *d_;
    AVCodecContext* enc = video ? s.video : s.audio;
    AVStream* stream = video ? s.videoStream : s.audioStream;
    while (true) {
        const int rc = avcodec_receive_packet(enc, s.packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return {};
        if (rc < 0)
            return failure(QStringLiteral("encoding failed"), rc);
        av_packet_rescale_ts(s.packet, enc->time_base, stream->time_base);
        s.packet->stream_index = stream->index;
        const int wrc = av_interleaved_write_frame(s.format, s.packet);
        av_packet_unref(s.packet);
        if (wrc < 0)
            return failure(QStringLiteral("writing the file failed"), wrc);
    }
}

Result<void> VideoExporter::addFrame(const QImage& picture, const int16_t* samples,
                                     int sampleFrames) {
    State& s = *d_;
    if (finished_ || !s.headerWritten)
        return Error{QStringLiteral("the export has ended")};
    // ---- picture ----
    const QImage rgb = picture.format() == QImage::Format_RGB32
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);
    s.sws = sws_getCachedContext(s.sws, rgb.width(), rgb.height(), AV_PIX_FMT_RGB32, s.video->width,
                                 s.video->height, s.video->pix_fmt, SWS_BICUBIC, nullptr, nullptr,
                                 nullptr);
    if (!s.sws || av_frame_make_writable(s.picture) < 0)
        return failure(QStringLiteral("out of memory"));
    const uint8_t* src[1] = {rgb.constBits()};
    const int srcStride[1] = {static_cast<int>(rgb.bytesPerLine())};
    sws_scale(s.sws, src, srcStride, 0, rgb.height(), s.picture->data, s.picture->linesize);
    s.picture->pts = frames_;
    int rc = avcodec_send_frame(s.video, s.picture);
    if (rc < 0)
        return failure(QStringLiteral("encoding failed"), rc);
    SWF_TRY(drain(true));
    ++frames_;

    // ---- sound ----
    if (sampleFrames > 0) {
        const int room = swr_get_out_samples(s.swr, sampleFrames);
        uint8_t** converted = nullptr;
        if ((rc = av_samples_alloc_array_and_samples(&converted, nullptr, 2, room,
                                                     s.audio->sample_fmt, 0)) < 0)
            return failure(QStringLiteral("out of memory"), rc);
        const auto* in = reinterpret_cast<const uint8_t*>(samples);
        const int got = swr_convert(s.swr, converted, room, &in, sampleFrames);
        if (got > 0)
            av_audio_fifo_write(s.fifo, reinterpret_cast<void**>(converted), got);
        av_freep(&converted[0]);
        av_freep(&converted);
        if (got < 0)
            return failure(QStringLiteral("converting the sound failed"), got);
    }
    return encodeAudio(false);
}

Result<void> VideoExporter::encodeAudio(bool flush) {
    State& s = *d_;
    const int frameSize = s.audio->frame_size > 0 ? s.audio->frame_size : 1024;
    while (av_audio_fifo_size(s.fifo) >= frameSize || (flush && av_audio_fifo_size(s.fifo) > 0)) {
        const int n = std::min(frameSize, av_audio_fifo_size(s.fifo));
        av_frame_unref(s.sound);
        s.sound->nb_samples = n;
        s.sound->format = s.audio->sample_fmt;
        s.sound->sample_rate = s.audio->sample_rate;
        av_channel_layout_copy(&s.sound->ch_layout, &s.audio->ch_layout);
        int rc = av_frame_get_buffer(s.sound, 0);
        if (rc < 0)
            return failure(QStringLiteral("out of memory"), rc);
        av_audio_fifo_read(s.fifo, reinterpret_cast<void**>(s.sound->data), n);
        s.sound->pts = s.audioPts;
        s.audioPts += n;
        if ((rc = avcodec_send_frame(s.audio, s.sound)) < 0)
            return failure(QStringLiteral("encoding the sound failed"), rc);
        SWF_TRY(drain(false));
    }
    return {};
}

Result<void> VideoExporter::finish() {
    if (finished_)
        return {};
    finished_ = true;
    State& s = *d_;
    if (!s.headerWritten)
        return {};
    // What the resampler still holds, then the last short block of sound.
    const int room = swr_get_out_samples(s.swr, 0);
    if (room > 0) {
        uint8_t** rest = nullptr;
        if (av_samples_alloc_array_and_samples(&rest, nullptr, 2, room, s.audio->sample_fmt, 0) >=
            0) {
            const int got = swr_convert(s.swr, rest, room, nullptr, 0);
            if (got > 0)
                av_audio_fifo_write(s.fifo, reinterpret_cast<void**>(rest), got);
            av_freep(&rest[0]);
            av_freep(&rest);
        }
    }
    Result<void> result = encodeAudio(true);
    avcodec_send_frame(s.video, nullptr);
    if (auto r = drain(true); !r && result)
        result = r;
    avcodec_send_frame(s.audio, nullptr);
    if (auto r = drain(false); !r && result)
        result = r;
    const int rc = av_write_trailer(s.format);
    if (rc < 0 && result)
        result = failure(QStringLiteral("finishing the file failed"), rc);
    if (!(s.format->oformat->flags & AVFMT_NOFILE))
        avio_closep(&s.format->pb);
    return result;
}
