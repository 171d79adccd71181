// bench_netstream: what a NetStream playing an FLV costs, as a share of one core per second of
// video.
//
//   bench_netstream [SECONDS]
//
// Encodes SECONDS (default 5) of 640 x 480 pictures at 30 frames a second as Sorenson H.263
// and as H.264, writes each as an FLV, and plays it the way a progressive download arrives:
// the file comes into a spool in 1 MB pieces (all but the first 4 MB on disk), the stream's
// clock steps a frame at a time and each picture shown is decoded from the spool and drawn
// into a 640 x 480 picture. Prints the time spent and its share of one core. Nothing is
// timed against a target.

#include "bench/media/Scene.h"
#include "swf/media/FlvPlayback.h"
#include "swf/media/Spool.h"
#include "swf/media/VideoEngine.h"
#include "tests/swf/media/FlvWriter.h"
#include "tests/swf/media/VideoClips.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>

#include <QPainter>
#include <cmath>
#include <cstdio>
#include <cstdlib>

extern "C" {
#include <libavutil/log.h>
}

namespace {

constexpr int kWidth = 640, kHeight = 480, kRate = 30;

QImage scene(int frame) {
    return benchmedia::scene(frame, kWidth, kHeight, kRate);
}

QByteArray flvOf(uint8_t codec, const mediatest::EncodedVideo& video) {
    QByteArray flv = flvwriter::header(false);
    flvwriter::putTag(flv, 18, 0,
                      flvwriter::metaData(video.packets.size() / double(kRate), kWidth, kHeight));
    if (codec == 7) {
        QByteArray config(1, static_cast<char>(0x10 | codec));
        config.append(mediatest::avcConfigPacket(video.avcConfig));
        flvwriter::putTag(flv, 9, 0, config);
    }
    for (std::size_t i = 0; i < video.packets.size(); ++i) {
        QByteArray body(1, static_cast<char>((video.keyFrames[i] ? 0x10 : 0x20) | codec));
        body.append(video.packets[i]);
        flvwriter::putTag(flv, 9, static_cast<uint32_t>(i * 1000 / kRate), body);
    }
    return flv;
}

void bench(const char* name, uint8_t codec, const std::vector<QImage>& pictures, double seconds) {
    const auto video = mediatest::encodeVideo(codec, pictures, kRate);
    if (!video) {
        std::printf("%s: no encoder in this libavcodec, skipped\n", name);
        return;
    }
    const QByteArray flv = flvOf(codec, *video);
    std::printf("%s, %.1f s of 640 x 480 at 30 fps, %.0f kbit/s, %.1f MB:\n", name, seconds,
                flv.size() * 8 / seconds / 1000, flv.size() / 1048576.0);
    swf::media::VideoEngine videos;
    swf::media::FlvPlayback playback;
    auto spool = std::make_shared<swf::media::Spool>(1ll << 31);
    QImage target(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    QElapsedTimer timer;
    timer.start();
    playback.play(0, spool);
    for (qsizetype at = 0; at < flv.size(); at += 1 << 20) {
        if (!spool->append(flv.mid(at, 1 << 20)).ok()) {
            std::printf("  the spool refused the file\n");
            return;
        }
        playback.arrived(flv.size(), at + (1 << 20) >= flv.size(), 0, &videos);
    }
    const double loading = timer.nsecsElapsed() / 1e9;
    int drawn = 0;
    timer.restart();
    for (std::size_t i = 0; i < video->packets.size(); ++i) {
        playback.advance(i * 1000.0 / kRate + 1);
        const QImage picture = playback.currentPicture();
        if (picture.isNull())
            continue;
        QPainter painter(&target);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(0, 0, kWidth, kHeight), picture);
        ++drawn;
    }
    const double spent = timer.nsecsElapsed() / 1e9;
    std::printf("  indexing the pieces     %8.3f s\n", loading);
    std::printf("  decoding and drawing    %8.3f s, %6.2f ms a frame, %6.2f%% of one core\n", spent,
                1000 * spent / (seconds * kRate), 100 * spent / seconds);
    if (drawn != static_cast<int>(video->packets.size()))
        std::printf("  (drew %d of %zu frames)\n", drawn, video->packets.size());
    std::printf("  spool on disk: %s\n", spool->onDisk() ? "yes" : "no");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 5.0;
    std::vector<QImage> pictures;
    for (int i = 0; i < static_cast<int>(seconds * kRate); ++i)
        pictures.push_back(scene(i));
    bench("Sorenson H.263", 2, pictures, seconds);
    bench("H.264", 7, pictures, seconds);
    return 0;
}
