// swfrender --video: a movie with a picture that changes and a tone, exported and read back
// with libavformat: frame count, duration, sound beside the picture, the pictures' colours.

#include "tests/support/SwfWriter.h"
#include "tests/swf/media/Tones.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
}

using testsupport::PlaceSpec;
using testsupport::SwfWriter;

namespace {

const QColor kColours[] = {QColor(220, 30, 30), QColor(30, 200, 40), QColor(30, 40, 210),
                           QColor(230, 220, 40)};

// frames frames at 10 per second: the stage filled with a colour that changes every five
// frames, and two seconds of a 440 Hz tone started on the first.
QByteArray exportMovie(int frames, bool cutShort = false) {
    SwfWriter w(64, 48, 10);
    w.setBackgroundColor(Qt::white);
    for (int i = 0; i < 4; ++i)
        w.defineRectShape(static_cast<uint16_t>(i + 1), QRect(0, 0, 64, 48), kColours[i]);
    w.defineSound(10, 3, 3, true, false, 88200,
                  mediatest::pcm16(mediatest::sine(440, 44100, 88200)));
    w.startSound(10);
    for (int f = 0; f < frames; ++f) {
        if (f % 5 == 0) {
            if (f > 0)
                w.removeObject2(1);
            w.placeObject2(1, static_cast<uint16_t>((f / 5) % 4 + 1));
        }
        w.showFrame();
        if (cutShort && f == 4) {
            w.tag(26, QByteArray("\x06", 1)); // a PlaceObject2 cut short ends the movie here
            break;
        }
    }
    return w.finish(testsupport::Compression::None, cutShort ? frames : -1);
}

struct ReadBack {
    int videoPackets = 0;
    int audioPackets = 0;
    double videoSeconds = 0;
    double audioSeconds = 0;
    std::vector<QColor> centres; // the centre pixel of each decoded picture
    QString videoCodec, audioCodec;
};

// Reads the file through libavformat, decoding every picture.
std::optional<ReadBack> readBack(const QString& path) {
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, path.toLocal8Bit().constData(), nullptr, nullptr) < 0)
        return std::nullopt;
    ReadBack out;
    if (avformat_find_stream_info(fmt, nullptr) < 0) {
        avformat_close_input(&fmt);
        return std::nullopt;
    }
    const int v = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int a = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    AVCodecContext* dec = nullptr;
    if (v >= 0) {
        const AVCodecParameters* par = fmt->streams[v]->codecpar;
        out.videoCodec = avcodec_get_name(par->codec_id);
        const AVCodec* codec = avcodec_find_decoder(par->codec_id);
        dec = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(dec, par);
        avcodec_open2(dec, codec, nullptr);
    }
    if (a >= 0)
        out.audioCodec = avcodec_get_name(fmt->streams[a]->codecpar->codec_id);
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    // Spans from first to last: a container may shift both streams by the sound encoder's
    // priming delay.
    int64_t videoStart = INT64_MAX, videoEnd = 0, audioStart = INT64_MAX, audioEnd = 0;
    const auto takePictures = [&] {
        while (avcodec_receive_frame(dec, frame) == 0) {
            // 4:2:0 luma and chroma at the centre, to RGB the plain BT.601 way.
            const int x = frame->width / 2, y = frame->height / 2;
            const int Y = frame->data[0][y * frame->linesize[0] + x] - 16;
            const int U = frame->data[1][(y / 2) * frame->linesize[1] + x / 2] - 128;
            const int V = frame->data[2][(y / 2) * frame->linesize[2] + x / 2] - 128;
            const auto c = [](double d) { return std::clamp(static_cast<int>(d + 0.5), 0, 255); };
            out.centres.emplace_back(c(1.164 * Y + 1.596 * V), c(1.164 * Y - 0.392 * U - 0.813 * V),
                                     c(1.164 * Y + 2.017 * U));
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(fmt, pkt) >= 0) {
        if (pkt->stream_index == v) {
            ++out.videoPackets;
            videoStart = std::min(videoStart, pkt->pts);
            videoEnd = std::max(videoEnd, pkt->pts + pkt->duration);
            if (avcodec_send_packet(dec, pkt) >= 0)
                takePictures();
        } else if (pkt->stream_index == a) {
            ++out.audioPackets;
            audioStart = std::min(audioStart, pkt->pts);
            audioEnd = std::max(audioEnd, pkt->pts + pkt->duration);
        }
        av_packet_unref(pkt);
    }
    if (dec) {
        avcodec_send_packet(dec, nullptr);
        takePictures();
    }
    if (out.videoPackets > 0)
        out.videoSeconds =
            static_cast<double>(videoEnd - videoStart) * av_q2d(fmt->streams[v]->time_base);
    if (out.audioPackets > 0)
        out.audioSeconds =
            static_cast<double>(audioEnd - audioStart) * av_q2d(fmt->streams[a]->time_base);
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&dec);
    avformat_close_input(&fmt);
    return out;
}

bool near(QColor a, QColor b, int tolerance = 20) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

QString writeMovie(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath("movie.swf");
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

} // namespace

class VideoExport : public ::testing::TestWithParam<const char*> {};

TEST_P(VideoExport, PictureAndSoundComeBackInStep) {
    QTemporaryDir dir;
    const QString movie = writeMovie(dir, exportMovie(30));
    const QString out = dir.filePath(QStringLiteral("out.") + GetParam());
    QProcess p;
    p.start(SWFRENDER_PATH, {movie, "--video", out, "--frames", "1-20", "--size", "64x48"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    if (p.exitCode() != 0 && err.contains("no encoder"))
        GTEST_SKIP() << err.toStdString();
    ASSERT_EQ(p.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.contains("frame 20 of 20")) << err.toStdString();
    const auto back = readBack(out);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->videoPackets, 20);
    EXPECT_NEAR(back->videoSeconds, 2.0, 0.01);
    // The sound runs as long as the picture (within one block of the encoder).
    EXPECT_GT(back->audioPackets, 0);
    EXPECT_NEAR(back->audioSeconds, 2.0, 0.05);
    ASSERT_EQ(back->centres.size(), 20u);
    for (int f = 0; f < 20; ++f)
        EXPECT_TRUE(near(back->centres[static_cast<std::size_t>(f)], kColours[(f / 5) % 4]))
            << "frame " << f << " "
            << back->centres[static_cast<std::size_t>(f)].name().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Containers, VideoExport, ::testing::Values("mp4", "webm", "mkv"));

TEST(VideoExportWhole, ABrokenMovieEndsAtItsLastGoodFrame) {
    QTemporaryDir dir;
    const QString movie = writeMovie(dir, exportMovie(30, true));
    const QString out = dir.filePath("out.mp4");
    QProcess p;
    p.start(SWFRENDER_PATH, {movie, "--video", out});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const auto back = readBack(out);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->videoPackets, 5);
    EXPECT_NEAR(back->videoSeconds, 0.5, 0.01);
    EXPECT_EQ(back->videoCodec, "h264");
    EXPECT_EQ(back->audioCodec, "aac");
}

TEST(VideoExportWhole, AnUnknownContainerIsRefusedClearly) {
    QTemporaryDir dir;
    const QString movie = writeMovie(dir, exportMovie(3));
    QProcess p;
    p.start(SWFRENDER_PATH, {movie, "--video", dir.filePath("out.notavideo")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_NE(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardError().contains("no video format"));
}
