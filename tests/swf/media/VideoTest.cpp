// Embedded video: streams encoded while the tests run, put in movies with the test writer,
// played by the engine and sampled where the pictures land.

#include "swf/format/Video.h"
#include "swf/Player.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "swf/media/StreamPictures.h"
#include "swf/media/VideoDecoder.h"
#include "swf/media/VideoEngine.h"
#include "tests/support/SwfWriter.h"
#include "tests/swf/media/VideoClips.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using mediatest::EncodedVideo;
using testsupport::PlaceSpec;
using testsupport::SwfWriter;

namespace {

constexpr int kStage = 64;

::testing::AssertionResult near(QColor actual, QColor expected, int tolerance = 12) {
    const bool ok = std::abs(actual.red() - expected.red()) <= tolerance &&
                    std::abs(actual.green() - expected.green()) <= tolerance &&
                    std::abs(actual.blue() - expected.blue()) <= tolerance;
    if (ok)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << actual.name().toStdString() << " expected "
                                         << expected.name().toStdString();
}

const std::vector<QColor> kColours = {
    QColor(220, 30, 30),  QColor(30, 200, 40),  QColor(30, 40, 210),   QColor(230, 220, 40),
    QColor(200, 40, 200), QColor(40, 210, 210), QColor(240, 240, 240), QColor(120, 60, 20),
    QColor(20, 20, 20),   QColor(250, 140, 30)};

std::vector<QImage> solidPictures(int count, int w = 32, int h = 32) {
    std::vector<QImage> out;
    for (int i = 0; i < count; ++i)
        out.push_back(
            mediatest::solidPicture(w, h, kColours[static_cast<std::size_t>(i) % kColours.size()]));
    return out;
}

struct MovieSpec {
    uint8_t codec = 2;
    uint16_t width = 32, height = 32; // as DefineVideoStream declares
    uint8_t flags = 0;
    QTransform matrix;
    std::optional<std::array<int, 8>> colorTransform;
};

// One frame of the movie per picture: frame i carries VideoFrame i and shows it (ratio i).
QByteArray videoMovie(const EncodedVideo& video, const MovieSpec& spec) {
    SwfWriter w(kStage, kStage, 25);
    w.setBackgroundColor(Qt::white);
    w.defineVideoStream(1, static_cast<uint16_t>(video.packets.size()), spec.width, spec.height,
                        spec.flags, spec.codec);
    if (!video.avcConfig.isEmpty())
        w.videoFrame(1, 0, mediatest::avcConfigPacket(video.avcConfig));
    for (std::size_t i = 0; i < video.packets.size(); ++i) {
        w.videoFrame(1, static_cast<uint16_t>(i), video.packets[i]);
        PlaceSpec place;
        place.depth = 1;
        place.ratio = static_cast<uint16_t>(i);
        if (i == 0) {
            place.characterId = 1;
            place.matrix = spec.matrix;
            place.colorTransform = spec.colorTransform;
        } else {
            place.move = true;
        }
        w.placeObject(place);
        w.showFrame();
    }
    return w.finish();
}

std::shared_ptr<swf::Movie> load(const QByteArray& file) {
    auto r = swf::loadMovie(file);
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().message.toStdString());
    return r.ok() ? r.value() : nullptr;
}

QImage render(swf::Player& p, bool antialias = false) {
    QImage img(kStage, kStage, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::magenta);
    QPainter painter(&img);
    swf::RenderOptions o;
    o.quality = antialias ? swf::RenderQuality::High : swf::RenderQuality::Low;
    p.render(painter, QRectF(0, 0, kStage, kStage), o);
    return img;
}

QImage frameOf(swf::Player& p, int frame) {
    p.gotoFrame(frame);
    return render(p);
}

std::optional<EncodedVideo> encodeOrSkip(uint8_t codec, const std::vector<QImage>& pictures,
                                         int keyInterval) {
    return mediatest::encodeVideo(codec, pictures, keyInterval);
}

} // namespace

// ---- every codec this libavcodec can encode draws its frames ----

class VideoCodecs : public ::testing::TestWithParam<uint8_t> {};

TEST_P(VideoCodecs, EachFrameShowsItsPicture) {
    // libavcodec's screen video 2 decoder loses its way in the second primed inter frame its
    // own encoder writes, so that codec is given key frames only.
    const auto video = encodeOrSkip(GetParam(), solidPictures(6), GetParam() == 6 ? 1 : 3);
    if (!video)
        GTEST_SKIP() << "no encoder for codec " << int(GetParam());
    MovieSpec spec;
    spec.codec = GetParam();
    swf::Player p(load(videoMovie(*video, spec)), swf::Player::withoutScripts());
    // In order, then jumping back and forth across key frames.
    for (int f : {0, 1, 2, 3, 4, 5, 1, 4, 0, 5, 2}) {
        const QImage img = frameOf(p, f);
        EXPECT_TRUE(near(img.pixelColor(16, 16), kColours[static_cast<std::size_t>(f)]))
            << "frame " << f;
        // Nothing beyond the stream's 32 x 32 pixels.
        EXPECT_EQ(img.pixelColor(48, 48), QColor(Qt::white)) << "frame " << f;
    }
}

TEST_P(VideoCodecs, FourQuartersKeepTheirPlaces) {
    std::vector<QImage> pictures = {
        mediatest::quarteredPicture(32, 32, Qt::red, Qt::green, Qt::blue, Qt::yellow),
        mediatest::quarteredPicture(32, 32, Qt::yellow, Qt::blue, Qt::green, Qt::red)};
    const auto video = encodeOrSkip(GetParam(), pictures, GetParam() == 6 ? 1 : 10);
    if (!video)
        GTEST_SKIP() << "no encoder for codec " << int(GetParam());
    MovieSpec spec;
    spec.codec = GetParam();
    swf::Player p(load(videoMovie(*video, spec)), swf::Player::withoutScripts());
    QImage img = frameOf(p, 0);
    EXPECT_TRUE(near(img.pixelColor(6, 6), Qt::red, 24));
    EXPECT_TRUE(near(img.pixelColor(26, 6), Qt::green, 24));
    EXPECT_TRUE(near(img.pixelColor(6, 26), Qt::blue, 24));
    EXPECT_TRUE(near(img.pixelColor(26, 26), Qt::yellow, 24));
    img = frameOf(p, 1);
    EXPECT_TRUE(near(img.pixelColor(6, 6), Qt::yellow, 24));
    EXPECT_TRUE(near(img.pixelColor(26, 26), Qt::red, 24));
}

INSTANTIATE_TEST_SUITE_P(Codecs, VideoCodecs, ::testing::Values(2, 3, 6, 7), [](const auto& info) {
    switch (info.param) {
    case 2:
        return std::string("SorensonH263");
    case 3:
        return std::string("ScreenVideo");
    case 6:
        return std::string("ScreenVideo2");
    default:
        return std::string("H264");
    }
});

// ---- placement: size, matrix, colour transform ----

TEST(VideoPlacement, PictureFillsTheDeclaredSizeWithThePlacementsMatrix) {
    const auto video = encodeOrSkip(
        2, {mediatest::quarteredPicture(32, 32, Qt::red, Qt::green, Qt::blue, Qt::yellow)}, 1);
    ASSERT_TRUE(video);
    MovieSpec spec;
    spec.width = 16; // coded at 32 x 32, shown at 16 x 8, then moved and doubled
    spec.height = 8;
    spec.matrix = QTransform(2, 0, 0, 2, 20 * 10, 20 * 20);
    swf::Player p(load(videoMovie(*video, spec)), swf::Player::withoutScripts());
    const QImage img = frameOf(p, 0);
    // 32 x 16 pixels at (10, 20): quarters of 16 x 8.
    EXPECT_TRUE(near(img.pixelColor(14, 23), Qt::red, 24));
    EXPECT_TRUE(near(img.pixelColor(38, 23), Qt::green, 24));
    EXPECT_TRUE(near(img.pixelColor(14, 33), Qt::blue, 24));
    EXPECT_TRUE(near(img.pixelColor(38, 33), Qt::yellow, 24));
    EXPECT_EQ(img.pixelColor(8, 30), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(44, 30), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(20, 38), QColor(Qt::white));
}

TEST(VideoPlacement, ColourTransformApplies) {
    const auto video = encodeOrSkip(2, {mediatest::solidPicture(32, 32, QColor(200, 200, 200))}, 1);
    ASSERT_TRUE(video);
    MovieSpec spec;
    // Red halved, blue cleared, green pushed up by 50.
    spec.colorTransform = std::array<int, 8>{128, 256, 0, 256, 0, 50, 0, 0};
    swf::Player p(load(videoMovie(*video, spec)), swf::Player::withoutScripts());
    EXPECT_TRUE(near(frameOf(p, 0).pixelColor(16, 16), QColor(100, 250, 0)));
}

TEST(VideoPlacement, PlayingAdvancesThePicture) {
    const auto video = encodeOrSkip(2, solidPictures(4), 2);
    ASSERT_TRUE(video);
    swf::Player p(load(videoMovie(*video, MovieSpec{})), swf::Player::withoutScripts());
    p.play();
    EXPECT_TRUE(near(render(p).pixelColor(16, 16), kColours[0]));
    for (int f = 1; f < 4; ++f) {
        p.tick();
        EXPECT_TRUE(near(render(p).pixelColor(16, 16), kColours[static_cast<std::size_t>(f)]))
            << "frame " << f;
    }
}

// ---- decoding on demand and seeking ----

TEST(VideoSeeking, JumpsDecodeFromTheNearestKeyFrameOnly) {
    const auto video = encodeOrSkip(2, solidPictures(10), 4); // keys at 0, 4, 8
    ASSERT_TRUE(video);
    ASSERT_TRUE(video->keyFrames[0] && video->keyFrames[4] && video->keyFrames[8]);
    ASSERT_FALSE(video->keyFrames[3] || video->keyFrames[7]);
    auto movie = load(videoMovie(*video, MovieSpec{}));
    ASSERT_TRUE(movie);
    auto character = std::static_pointer_cast<const swf::VideoCharacter>(movie->characterShared(1));
    ASSERT_TRUE(character);
    // The file's frame types are read the way the encoder marked them.
    for (std::size_t i = 0; i < video->packets.size(); ++i)
        EXPECT_EQ(character->frames().frame(static_cast<int>(i))->keyFrame, video->keyFrames[i]);

    auto decoder = swf::media::VideoDecoder::create(2);
    ASSERT_TRUE(decoder);
    swf::media::StreamPictures pictures(character, std::move(decoder.value()));
    EXPECT_TRUE(near(pictures.picture(7).pixelColor(5, 5), kColours[7]));
    EXPECT_EQ(pictures.packetsDecoded(), 4); // 4, 5, 6, 7
    EXPECT_TRUE(near(pictures.picture(8).pixelColor(5, 5), kColours[8]));
    EXPECT_EQ(pictures.packetsDecoded(), 5); // a key frame: just itself
    EXPECT_TRUE(near(pictures.picture(9).pixelColor(5, 5), kColours[9]));
    EXPECT_EQ(pictures.packetsDecoded(), 6); // onward from where it stood
    EXPECT_TRUE(near(pictures.picture(2).pixelColor(5, 5), kColours[2]));
    EXPECT_EQ(pictures.packetsDecoded(), 9); // back: 0, 1, 2
    EXPECT_TRUE(near(pictures.picture(2).pixelColor(5, 5), kColours[2]));
    EXPECT_EQ(pictures.packetsDecoded(), 9); // the picture shown is kept
}

TEST(VideoSeeking, FramesNotYetThereShowTheLastOneBefore) {
    const auto video = encodeOrSkip(2, solidPictures(3), 1);
    ASSERT_TRUE(video);
    SwfWriter w(kStage, kStage, 25);
    w.setBackgroundColor(Qt::white);
    w.defineVideoStream(1, 10, 32, 32, 0, 2);
    w.videoFrame(1, 0, video->packets[0]);
    w.videoFrame(1, 1, video->packets[1]);
    PlaceSpec place;
    place.characterId = 1;
    place.ratio = 5; // no frame 5: frame 1 is the last before it
    w.placeObject(place);
    w.showFrame();
    swf::Player p(load(w.finish()), swf::Player::withoutScripts());
    EXPECT_TRUE(near(render(p).pixelColor(16, 16), kColours[1]));
}

// ---- damaged and hostile data ----

TEST(VideoDamage, AFrameThatDoesNotDecodeLeavesThePictureBefore) {
    auto video = encodeOrSkip(2, solidPictures(4), 1);
    ASSERT_TRUE(video);
    video->packets[2] = QByteArray(40, '\x5a'); // no picture start code
    swf::Player p(load(videoMovie(*video, MovieSpec{})), swf::Player::withoutScripts());
    EXPECT_TRUE(near(frameOf(p, 1).pixelColor(16, 16), kColours[1]));
    EXPECT_TRUE(near(frameOf(p, 2).pixelColor(16, 16), kColours[1]));
    EXPECT_TRUE(near(frameOf(p, 3).pixelColor(16, 16), kColours[3]));
}

TEST(VideoDamage, TruncatedAndGarbagePacketsOfEveryCodecNeverCrash) {
    const auto good = encodeOrSkip(2, solidPictures(2), 1);
    ASSERT_TRUE(good);
    for (uint8_t codec : {2, 3, 4, 5, 6, 7}) {
        EncodedVideo video;
        video.packets = {good->packets[0].left(7), QByteArray(), QByteArray(3, '\xff'),
                         QByteArray(300, '\x00'), good->packets[1]};
        video.keyFrames.assign(video.packets.size(), false);
        MovieSpec spec;
        spec.codec = codec;
        swf::Player p(load(videoMovie(video, spec)), swf::Player::withoutScripts());
        for (int f = 0; f < 5; ++f)
            render(p), p.gotoFrame(f);
        const QImage img = render(p);
        // Whatever the decoder made of it, the page around the stream is untouched.
        EXPECT_EQ(img.pixelColor(48, 48), QColor(Qt::white)) << "codec " << int(codec);
    }
}

TEST(VideoDamage, UnknownCodecDrawsNothingAndTheMovieGoesOn) {
    SwfWriter w(kStage, kStage, 25);
    w.setBackgroundColor(Qt::white);
    w.defineVideoStream(1, 1, 32, 32, 0, 42);
    w.videoFrame(1, 0, QByteArray(100, '\x11'));
    w.defineRectShape(2, QRect(40, 40, 10, 10), Qt::blue);
    PlaceSpec place;
    place.characterId = 1;
    place.ratio = 0;
    w.placeObject(place);
    w.placeObject2(2, 2);
    w.showFrame();
    swf::Player p(load(w.finish()), swf::Player::withoutScripts());
    const QImage img = render(p);
    EXPECT_EQ(img.pixelColor(16, 16), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(45, 45), QColor(Qt::blue));
}

TEST(VideoDamage, AHugeStreamIsLeftOutWithoutReservingIt) {
    SwfWriter w(kStage, kStage, 25);
    w.setBackgroundColor(Qt::white);
    w.defineVideoStream(1, 65535, 65535, 65535, 0, 2);
    w.videoFrame(1, 0, QByteArray(100, '\x11'));
    w.defineRectShape(2, QRect(40, 40, 10, 10), Qt::blue);
    PlaceSpec place;
    place.characterId = 1;
    w.placeObject(place);
    w.placeObject2(2, 2);
    w.showFrame();
    auto movie = load(w.finish());
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->character(1), nullptr);
    EXPECT_EQ(movie->budget().pixelsUsed(), 0u);
    swf::Player p(movie, swf::Player::withoutScripts());
    EXPECT_EQ(render(p).pixelColor(45, 45), QColor(Qt::blue));
}

TEST(VideoDamage, TruncatedTagsEndTheMovieAtTheDamageOnly) {
    const auto video = encodeOrSkip(2, solidPictures(1), 1);
    ASSERT_TRUE(video);
    for (int cut : {0, 3, 9}) {
        SwfWriter w(kStage, kStage, 25);
        w.setBackgroundColor(Qt::white);
        w.defineRectShape(2, QRect(40, 40, 10, 10), Qt::blue);
        w.placeObject2(2, 2);
        w.showFrame();
        QByteArray body(10, 0);
        body[0] = 1;
        w.tag(60, body.left(cut));   // DefineVideoStream cut short
        w.tag(61, QByteArray(3, 0)); // VideoFrame without its frame number
        w.showFrame();
        auto movie = load(w.finish());
        ASSERT_TRUE(movie);
        EXPECT_GE(movie->framesLoaded(), 1) << "cut at " << cut;
        swf::Player p(movie, swf::Player::withoutScripts());
        EXPECT_EQ(render(p).pixelColor(45, 45), QColor(Qt::blue)) << "cut at " << cut;
    }
}

TEST(VideoTags, StreamPropertiesAreRead) {
    SwfWriter w(kStage, kStage, 25);
    w.defineVideoStream(7, 120, 320, 240, 0x05, 4);    // deblocking 2, smoothing
    w.videoFrame(7, 3, QByteArray("\x00\x01\x02", 3)); // VP6 intra: first bit clear
    w.videoFrame(7, 4, QByteArray("\x80\x01\x02", 3)); // inter
    w.videoFrame(7, 3, QByteArray("\x80\x09", 2));     // a second frame 3 is ignored
    w.videoFrame(9, 0, QByteArray("\x00", 1));         // no such stream
    w.showFrame();
    auto movie = load(w.finish());
    ASSERT_TRUE(movie);
    const auto* video = static_cast<const swf::VideoCharacter*>(movie->character(7));
    ASSERT_TRUE(video);
    EXPECT_EQ(video->kind(), swf::Character::Kind::Video);
    EXPECT_EQ(video->info().frameCount, 120);
    EXPECT_EQ(video->info().width, 320);
    EXPECT_EQ(video->info().height, 240);
    EXPECT_EQ(video->info().deblocking, 2);
    EXPECT_TRUE(video->info().smoothing);
    EXPECT_EQ(video->info().codec, 4);
    EXPECT_EQ(video->frames().size(), 2u);
    EXPECT_TRUE(video->frames().frame(3)->keyFrame);
    EXPECT_EQ(video->frames().frame(3)->data.size(), 3);
    EXPECT_FALSE(video->frames().frame(4)->keyFrame);
    EXPECT_EQ(video->frames().keyAtOrBefore(10), 3);
    EXPECT_EQ(video->frames().lastAtOrBefore(10), 4);
    EXPECT_FALSE(video->frames().lastAtOrBefore(2));
    EXPECT_EQ(movie->character(9), nullptr);
    // Each player's picture of the stream is charged before anything is decoded.
    EXPECT_EQ(movie->budget().pixelsUsed(), 320u * 240u);
}

TEST(VideoTags, KeyFramesOfEachCodecAreRecognised) {
    using swf::isVideoKeyFrame;
    // VP6 with alpha: three bytes of offset first.
    EXPECT_TRUE(isVideoKeyFrame(5, QByteArray("\x00\x00\x02\x00\x01", 5)));
    EXPECT_FALSE(isVideoKeyFrame(5, QByteArray("\x00\x00\x02\x80\x01", 5)));
    EXPECT_FALSE(isVideoKeyFrame(5, QByteArray("\x00\x00", 2)));
    // H.264 in packet form: an IDR unit makes it a key frame, a plain slice does not.
    const QByteArray idr("\x01\x00\x00\x00\x00\x00\x00\x02\x65\x88", 10);
    const QByteArray slice("\x01\x00\x00\x00\x00\x00\x00\x02\x41\x88", 10);
    EXPECT_TRUE(isVideoKeyFrame(7, idr));
    EXPECT_FALSE(isVideoKeyFrame(7, slice));
    EXPECT_FALSE(isVideoKeyFrame(7, idr.left(8))); // a unit longer than the packet
    // H.263 and screen video headers cut short are not key frames.
    EXPECT_FALSE(isVideoKeyFrame(2, QByteArray("\x00\x00", 2)));
    EXPECT_FALSE(isVideoKeyFrame(3, QByteArray("\x10\x20\x10\x20\x00", 5)));
    EXPECT_FALSE(isVideoKeyFrame(0, QByteArray(10, 0)));
}

// ---- placements of one stream share its decoding ----

TEST(VideoSharing, PlacementsOfOneStreamShareOneDecoder) {
    const auto video = encodeOrSkip(2, solidPictures(6), 3);
    ASSERT_TRUE(video);
    auto movie = load(videoMovie(*video, MovieSpec{}));
    ASSERT_TRUE(movie);
    auto character = std::static_pointer_cast<const swf::VideoCharacter>(movie->characterShared(1));
    swf::media::VideoEngine engine;
    auto a = engine.openVideo(character);
    auto b = engine.openVideo(character);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(engine.openStreams(), 1u);
    // Each still gets the frame it asks for, one after the other.
    EXPECT_TRUE(near(a->picture(1).pixelColor(5, 5), kColours[1]));
    EXPECT_TRUE(near(b->picture(4).pixelColor(5, 5), kColours[4]));
    EXPECT_TRUE(near(a->picture(1).pixelColor(5, 5), kColours[1]));
    a.reset();
    EXPECT_EQ(engine.openStreams(), 1u);
    b.reset();
    EXPECT_EQ(engine.openStreams(), 0u);
}

TEST(VideoSharing, TwoPlacementsAtDifferentFramesBothShowTheirOwn) {
    const auto video = encodeOrSkip(2, solidPictures(6), 3);
    ASSERT_TRUE(video);
    SwfWriter w(kStage, kStage, 25);
    w.setBackgroundColor(Qt::white);
    w.defineVideoStream(1, 6, 32, 32, 0, 2);
    for (std::size_t i = 0; i < video->packets.size(); ++i)
        w.videoFrame(1, static_cast<uint16_t>(i), video->packets[i]);
    PlaceSpec left;
    left.characterId = 1;
    left.ratio = 1;
    left.matrix = QTransform::fromScale(0.5, 0.5);
    w.placeObject(left);
    PlaceSpec right = left;
    right.depth = 2;
    right.ratio = 5;
    right.matrix = QTransform(0.5, 0, 0, 0.5, 20 * 32, 0);
    w.placeObject(right);
    w.showFrame();
    swf::Player p(load(w.finish()), swf::Player::withoutScripts());
    for (int round = 0; round < 2; ++round) {
        const QImage img = render(p);
        EXPECT_TRUE(near(img.pixelColor(8, 8), kColours[1]));
        EXPECT_TRUE(near(img.pixelColor(40, 8), kColours[5]));
    }
}

TEST(VideoDamage, APictureFarLargerThanTheStreamDeclaresIsRefused) {
    // 1280 x 1024 coded into a stream that says 16 x 16: past what a stream may decode.
    const auto video = encodeOrSkip(2, {mediatest::solidPicture(1280, 1024, Qt::red)}, 1);
    ASSERT_TRUE(video);
    MovieSpec spec;
    spec.width = 16;
    spec.height = 16;
    swf::Player p(load(videoMovie(*video, spec)), swf::Player::withoutScripts());
    EXPECT_EQ(frameOf(p, 0).pixelColor(8, 8), QColor(Qt::white));
    // Declared at its size, the same picture shows.
    spec.width = 1280;
    spec.height = 1024;
    swf::Player big(load(videoMovie(*video, spec)), swf::Player::withoutScripts());
    EXPECT_TRUE(near(frameOf(big, 0).pixelColor(8, 8), Qt::red));
}

// ---- real streams from the shared corpus, when it is there ----

class CorpusVideo : public ::testing::TestWithParam<const char*> {};

// VP6 (with and without alpha, coded larger than shown) and H.263 test cards: each pixel has
// its own chroma sample's colour, and VP6 alpha's colour is already premultiplied.
TEST_P(CorpusVideo, MatchesTheReferencePicture) {
    const QString dir = QStringLiteral(QUARVEL_CORPUS_DIR "/ruffle/visual/video/") + GetParam();
    QFile file(dir + "/test.swf");
    QImage expected(dir + "/output.expected.png");
    if (!file.open(QIODevice::ReadOnly) || expected.isNull())
        GTEST_SKIP() << "corpus not present";
    expected = expected.convertToFormat(QImage::Format_RGB32);
    swf::Player p(load(file.readAll()), swf::Player::withoutScripts());
    QImage img(expected.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::magenta);
    {
        QPainter painter(&img);
        p.render(painter, QRectF(QPointF(0, 0), QSizeF(expected.size())), {});
    }
    int off = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            off += !near(img.pixelColor(x, y), expected.pixelColor(x, y), 8);
    EXPECT_LE(off, img.width() * img.height() / 100) << off << " pixels differ";
}

INSTANTIATE_TEST_SUITE_P(Streams, CorpusVideo,
                         ::testing::Values("colorconversion/h263", "colorconversion/vp6",
                                           "colorconversion/vp6a", "vp6_alphaoffset",
                                           "vp6_dispsize"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

namespace {

// How much the picture steps across the 8-pixel block edges against elsewhere.
double edgeSteps(const QImage& image) {
    double edges = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 8; x < image.width(); x += 8)
            edges += std::abs(qGray(image.pixel(x, y)) - qGray(image.pixel(x - 1, y)));
    return edges;
}

QImage decodeWithDeblocking(const EncodedVideo& video, uint8_t deblocking) {
    auto decoder = swf::media::VideoDecoder::create(2);
    if (!decoder)
        return {};
    decoder.value()->setDeblocking(deblocking);
    QImage last;
    for (std::size_t i = 0; i < video.packets.size(); ++i) {
        (void)decoder.value()->send(video.packets[i], static_cast<int64_t>(i));
        while (auto out = decoder.value()->receive())
            last = out->second;
    }
    return last;
}

} // namespace

TEST(VideoDeblocking, SorensonBlockEdgesAreSmoothedOnlyWhenAsked) {
    // A smooth ramp coarsely coded shows its blocks.
    QImage ramp(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            ramp.setPixel(x, y, qRgb(x * 3 + y, 90 + x, 200 - y * 2));
    const auto video = mediatest::encodeVideo(2, {ramp, ramp}, 2);
    if (!video)
        GTEST_SKIP() << "this libavcodec has no H.263 encoder";
    const QImage off = decodeWithDeblocking(*video, 1);
    const QImage strong = decodeWithDeblocking(*video, 6);
    ASSERT_FALSE(off.isNull());
    ASSERT_EQ(off.size(), strong.size());
    EXPECT_LT(edgeSteps(strong), edgeSteps(off)) << "the filter evens out the block edges";
    // Inside the blocks of the second (predicted) picture nothing changes: it was predicted
    // from the decoder's own picture, not the smoothed one shown.
    for (int y = 3; y < 64; y += 8)
        for (int x = 3; x < 64; x += 8)
            EXPECT_EQ(strong.pixel(x, y), off.pixel(x, y)) << x << "," << y;
}
