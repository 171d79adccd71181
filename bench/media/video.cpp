// bench_video: what embedded video costs, as a share of one core per second of video.
//
//   bench_video [SECONDS] [CORPUS_DIR]
//
// Encodes SECONDS (default 5) of 640 x 480 pictures at 30 frames a second with each codec this
// libavcodec can encode (Sorenson H.263, screen video 1 and 2, H.264), puts each stream in a
// movie and prints the cost of decoding its frames alone, and of playing the movie and
// drawing every frame into a 640 x 480 picture. libavcodec has no VP6 encoder: VP6 is
// measured on the 640 x 480 key frame of a corpus movie (CORPUS_DIR, by default
// ../shared/swf-corpus), decoded once per frame. Nothing is timed against a target.

#include "swf/format/Video.h"
#include "bench/media/Scene.h"
#include "swf/Player.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "swf/media/StreamPictures.h"
#include "swf/media/VideoDecoder.h"
#include "tests/support/SwfWriter.h"
#include "tests/swf/media/VideoClips.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <QPainter>
#include <QRadialGradient>
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

QByteArray movieOf(uint8_t codec, const mediatest::EncodedVideo& video) {
    testsupport::SwfWriter w(kWidth, kHeight, kRate);
    w.setBackgroundColor(Qt::white);
    w.defineVideoStream(1, static_cast<uint16_t>(video.packets.size()), kWidth, kHeight, 0x01,
                        codec);
    if (!video.avcConfig.isEmpty())
        w.videoFrame(1, 0, mediatest::avcConfigPacket(video.avcConfig));
    for (std::size_t i = 0; i < video.packets.size(); ++i) {
        w.videoFrame(1, static_cast<uint16_t>(i), video.packets[i]);
        testsupport::PlaceSpec place;
        place.ratio = static_cast<uint16_t>(i);
        if (i == 0)
            place.characterId = 1;
        else
            place.move = true;
        w.placeObject(place);
        w.showFrame();
    }
    return w.finish();
}

void report(const char* what, double seconds, double spent) {
    std::printf("  %-22s %8.3f s, %6.2f ms a frame, %6.2f%% of one core\n", what, spent,
                1000 * spent / (seconds * kRate), 100 * spent / seconds);
}

void benchCodec(const char* name, uint8_t codec, const std::vector<QImage>& pictures,
                double seconds) {
    // Screen video 2 gets key frames only: libavcodec's decoder does not follow the primed
    // inter frames its own encoder writes.
    const int keyInterval = codec == 6 ? 1 : kRate;
    const auto video = mediatest::encodeVideo(codec, pictures, keyInterval);
    if (!video) {
        std::printf("%s: no encoder in this libavcodec, skipped\n", name);
        return;
    }
    qint64 bytes = 0;
    for (const QByteArray& p : video->packets)
        bytes += p.size();
    auto loaded = swf::loadMovie(movieOf(codec, *video));
    if (!loaded) {
        std::printf("%s: %s\n", name, qPrintable(loaded.error().message));
        return;
    }
    std::printf("%s, %.1f s of 640 x 480 at 30 fps, %.0f kbit/s:\n", name, seconds,
                bytes * 8 / seconds / 1000);
    auto character =
        std::static_pointer_cast<const swf::VideoCharacter>(loaded.value()->characterShared(1));
    auto decoder = swf::media::VideoDecoder::create(codec, character->frames().decoderConfig());
    if (!decoder) {
        std::printf("  %s\n", qPrintable(decoder.error().message));
        return;
    }
    swf::media::StreamPictures stream(character, std::move(decoder.value()));
    QElapsedTimer timer;
    // Once through to warm the caches and the decoder's buffers, then measured.
    for (int pass = 0; pass < 2; ++pass) {
        timer.start();
        for (std::size_t i = 0; i < video->packets.size(); ++i)
            (void)stream.picture(static_cast<int>(i));
    }
    report("decoding", seconds, timer.nsecsElapsed() / 1e9);
    if (stream.packetsDecoded() != 2 * static_cast<int>(video->packets.size()))
        std::printf("  (decoded %d packets for %zu frames twice)\n", stream.packetsDecoded(),
                    video->packets.size());

    swf::Player player(loaded.value(), swf::Player::withoutScripts());
    player.play();
    QImage target(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    timer.restart();
    for (std::size_t i = 0; i < video->packets.size(); ++i) {
        QPainter painter(&target);
        player.render(painter, QRectF(0, 0, kWidth, kHeight), {});
        painter.end();
        player.tick();
    }
    report("decoding and drawing", seconds, timer.nsecsElapsed() / 1e9);
}

void benchVp6(const QString& corpus, double seconds) {
    const QString path = corpus + "/ruffle/visual/video/vp6_dispsize/test.swf";
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::printf("VP6: %s not found, skipped\n", qPrintable(path));
        return;
    }
    auto loaded = swf::loadMovie(f.readAll());
    const swf::Character* c = nullptr;
    for (uint16_t id = 0; loaded && id < 16 && !c; ++id) {
        c = loaded.value()->character(id);
        if (c && c->kind() != swf::Character::Kind::Video)
            c = nullptr;
    }
    if (!c || c->kind() != swf::Character::Kind::Video) {
        std::printf("VP6: no video stream in %s, skipped\n", qPrintable(path));
        return;
    }
    const auto& video = static_cast<const swf::VideoCharacter&>(*c);
    const auto frame = video.frames().frame(0);
    auto decoder = swf::media::VideoDecoder::create(video.info().codec);
    if (!frame || !decoder) {
        std::printf("VP6: no decodable frame, skipped\n");
        return;
    }
    const int frames = static_cast<int>(seconds * kRate);
    std::printf("VP6, a 640 x 480 key frame of %lld bytes decoded %d times:\n",
                static_cast<long long>(frame->data.size()), frames);
    QElapsedTimer timer;
    timer.start();
    int pictures = 0;
    for (int i = 0; i < frames; ++i) {
        (void)decoder.value()->send(frame->data, i);
        while (decoder.value()->receive())
            ++pictures;
    }
    report("decoding", seconds, timer.nsecsElapsed() / 1e9);
    if (pictures != frames)
        std::printf("  (only %d of %d frames gave a picture)\n", pictures, frames);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR); // the encoders' reports would bury the figures
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 5.0;
    const QString corpus =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("../shared/swf-corpus");
    std::vector<QImage> pictures;
    const int frames = static_cast<int>(seconds * kRate);
    for (int i = 0; i < frames; ++i)
        pictures.push_back(scene(i));
    benchCodec("Sorenson H.263", 2, pictures, seconds);
    benchCodec("Screen video", 3, pictures, seconds);
    benchCodec("Screen video 2", 6, pictures, seconds);
    benchCodec("H.264", 7, pictures, seconds);
    benchVp6(corpus, seconds);
    return 0;
}
