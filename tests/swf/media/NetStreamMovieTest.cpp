// A movie whose script plays an FLV into a Video placed on its stage: the file is read beside
// the movie through the host, the stream's pictures are drawn scaled to the placed Video, and
// the stream's messages reach the movie's onStatus.

#include "swf/Player.h"
#include "swf/PlayerHost.h"
#include "swf/display/MovieClip.h"
#include "swf/display/Stage.h"
#include "swf/display/Video.h"
#include "swf/format/MovieLoader.h"
#include "swf/media/Mixer.h"
#include "tests/support/ActionBuilder.h"
#include "tests/support/SwfWriter.h"
#include "tests/swf/media/FlvWriter.h"
#include "tests/swf/media/VideoClips.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using testsupport::ActionBuilder;
using testsupport::PlaceSpec;
using testsupport::PushValue;
using testsupport::SwfWriter;

namespace {

constexpr int kStage = 100;
const QColor kColours[] = {QColor(220, 30, 30), QColor(30, 200, 40), QColor(30, 40, 210)};

class TraceHost : public swf::PlayerHost {
public:
    QStringList traces;
    void trace(const QString& line) override { traces << line; }
};

// Three 16x16 pictures 300 ms apart, as Sorenson H.263: far enough apart that a busy machine
// still draws the first before the second is due.
std::optional<QByteArray> smallFlv() {
    std::vector<QImage> pictures;
    for (const QColor& c : kColours)
        pictures.push_back(mediatest::solidPicture(16, 16, c));
    const auto video = mediatest::encodeVideo(2, pictures, 3);
    if (!video)
        return std::nullopt;
    QByteArray flv = flvwriter::header(false);
    flvwriter::putTag(flv, 18, 0, flvwriter::metaData(0.9, 16, 16));
    for (std::size_t i = 0; i < video->packets.size(); ++i) {
        QByteArray body;
        body.append(static_cast<char>((video->keyFrames[i] ? 0x10 : 0x20) | 2));
        body.append(video->packets[i]);
        flvwriter::putTag(flv, 9, static_cast<uint32_t>(i * 300), body);
    }
    return flv;
}

// A Video named "v" placed at (20, 30) at 60x40 pixels, and a script that plays url into it.
QByteArray movieThatPlays(const QByteArray& url) {
    SwfWriter w(kStage, kStage, 25);
    w.setBackgroundColor(Qt::white);
    w.defineVideoStream(1, 0, 60, 40, 0, 2);
    PlaceSpec place;
    place.depth = 1;
    place.characterId = 1;
    place.matrix = QTransform::fromTranslate(20 * 20, 30 * 20);
    place.name = QByteArray("v");
    w.placeObject(place);
    ActionBuilder onStatus;
    onStatus.get("info").push("code").getMember().trace();
    ActionBuilder a;
    a.push({"nc", 0, "NetConnection"}).newObject().setVariable();
    a.callMethod("nc", "connect", {PushValue::null()}).pop();
    a.push("ns").get("nc").push({1, "NetStream"}).newObject().setVariable();
    a.get("ns").push("onStatus").defineFunction("", {"info"}, onStatus).setMember();
    a.get("ns").push(1).get("v").push("attachVideo").callMethod().pop();
    a.callMethod("ns", "play", {PushValue(url)}).pop();
    a.stop();
    w.doAction(a.finish());
    w.showFrame();
    return w.finish();
}

// Two seconds of 16-bit mono PCM at 44.1 kHz, all at one level.
QByteArray flvOfTone(int16_t level) {
    QByteArray flv = flvwriter::header(true);
    for (uint32_t t = 0; t < 2000; t += 100) {
        QByteArray audio(1, static_cast<char>((3 << 4) | (3 << 2) | (1 << 1)));
        for (int s = 0; s < 4410; ++s)
            audio.append(static_cast<char>(level & 0xff)).append(static_cast<char>(level >> 8));
        flvwriter::putTag(flv, 8, t, audio);
    }
    return flv;
}

// Plays url with its sound attached to the root, then runs extra on the stream.
QByteArray movieThatHears(const QByteArray& url, const ActionBuilder& extra) {
    SwfWriter w(kStage, kStage, 25);
    ActionBuilder a;
    a.push({"nc", 0, "NetConnection"}).newObject().setVariable();
    a.callMethod("nc", "connect", {PushValue::null()}).pop();
    a.push("ns").get("nc").push({1, "NetStream"}).newObject().setVariable();
    a.get("ns").push(1).get("this").push("attachAudio").callMethod().pop();
    a.raw(extra.bytes());
    a.callMethod("ns", "play", {PushValue(url)}).pop();
    a.stop();
    w.doAction(a.finish());
    w.showFrame();
    return w.finish();
}

QImage render(swf::Player& p) {
    QImage img(kStage, kStage, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&img);
    swf::RenderOptions o;
    o.quality = swf::RenderQuality::Low;
    p.render(painter, QRectF(0, 0, kStage, kStage), o);
    return img;
}

bool near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 &&
           std::abs(a.blue() - b.blue()) < 40;
}

} // namespace

TEST(NetStreamMovie, PlaysAFileBesideTheMovieIntoAPlacedVideo) {
    const auto flv = smallFlv();
    if (!flv)
        GTEST_SKIP() << "this libavcodec has no H.263 encoder";
    QTemporaryDir dir;
    QFile file(dir.filePath("clips/a.flv"));
    ASSERT_TRUE(QDir(dir.path()).mkpath("clips"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(*flv);
    file.close();

    auto loaded = swf::loadMovie(movieThatPlays("clips/a.flv"));
    ASSERT_TRUE(loaded.ok());
    TraceHost host;
    swf::Player player(loaded.value(), {}, &host, dir.filePath("movie.swf"));
    player.tick();
    player.tick();
    EXPECT_EQ(host.traces, (QStringList{"NetStream.Play.Start", "NetStream.Buffer.Full"}));

    auto* v = player.stage()->root().childByName("v", false);
    ASSERT_TRUE(v);
    ASSERT_EQ(v->type(), swf::DisplayObject::Type::Video);
    EXPECT_EQ(static_cast<swf::VideoObject*>(v)->pictureSize(), QSize(16, 16))
        << "the decoded picture's size, not the placed one";
    const QImage shown = render(player);
    // The 16x16 picture fills the Video's 60x40 box at (20, 30).
    EXPECT_TRUE(near(shown.pixelColor(22, 32), kColours[0]));
    EXPECT_TRUE(near(shown.pixelColor(77, 67), kColours[0]));
    EXPECT_TRUE(near(shown.pixelColor(50, 50), kColours[0]));
    EXPECT_EQ(shown.pixelColor(18, 50), QColor(Qt::white));
    EXPECT_EQ(shown.pixelColor(50, 72), QColor(Qt::white));

    // Cleared, the Video stays blank until the stream moves on to its next picture.
    static_cast<swf::VideoObject*>(v)->clearPicture();
    EXPECT_EQ(render(player).pixelColor(50, 50), QColor(Qt::white));

    // Past the file's end the last picture stays and the stream says it stopped.
    QThread::msleep(1000);
    player.tick();
    EXPECT_TRUE(near(render(player).pixelColor(50, 50), kColours[2]));
    EXPECT_TRUE(host.traces.contains("NetStream.Play.Stop"))
        << host.traces.join(", ").toStdString();
}

TEST(NetStreamMovie, TheClipsSoundSetsTheStreamsVolumeAndReceiveAudioMutesIt) {
    QTemporaryDir dir;
    QFile file(dir.filePath("tone.flv"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(flvOfTone(8000));
    file.close();
    ActionBuilder none;
    ActionBuilder half;
    half.push("s").get("this").push({1, "Sound"}).newObject().setVariable();
    half.callMethod("s", "setVolume", {PushValue(50)}).pop();
    ActionBuilder muted;
    muted.callMethod("ns", "receiveAudio", {PushValue(false)}).pop();
    for (const auto& [extra, heard] :
         std::vector<std::pair<ActionBuilder*, int>>{{&none, 8000}, {&half, 4000}, {&muted, 0}}) {
        auto loaded = swf::loadMovie(movieThatHears("tone.flv", *extra));
        ASSERT_TRUE(loaded.ok());
        swf::media::Mixer mixer(44100);
        TraceHost host;
        swf::Player player(loaded.value(), {}, &host, dir.filePath("movie.swf"), &mixer);
        for (int i = 0; i < 3; ++i)
            player.tick();
        ASSERT_TRUE(host.traces.isEmpty()) << host.traces.join(", ").toStdString();
        std::vector<int16_t> out(2 * 441);
        mixer.mix(out.data(), 441);
        EXPECT_NEAR(out[400], heard, 80) << "expected a level of " << heard;
        EXPECT_NEAR(out[401], heard, 80);
    }
}

TEST(NetStreamMovie, OnlyAStreamMadeOnAConnectionHasItsFigures) {
    SwfWriter w(kStage, kStage, 25);
    ActionBuilder a;
    a.push({"loose", 0, "NetStream"}).newObject().setVariable();
    a.get("loose").push("time").getMember().typeOf().trace();
    a.push({"nc", 0, "NetConnection"}).newObject().setVariable();
    a.callMethod("nc", "connect", {PushValue::null()}).pop();
    a.push("ns").get("nc").push({1, "NetStream"}).newObject().setVariable();
    a.callMethod("ns", "hasOwnProperty", {PushValue("time")}).trace();
    a.get("ns").push("bytesTotal").getMember().typeOf().trace();
    a.push("proto").get("NetStream").push("prototype").getMember().setVariable();
    a.callMethod("proto", "hasOwnProperty", {PushValue("time")}).trace();
    w.doAction(a.finish());
    w.showFrame();
    auto loaded = swf::loadMovie(w.finish());
    ASSERT_TRUE(loaded.ok());
    TraceHost host;
    swf::Player player(loaded.value(), {}, &host, QString());
    EXPECT_EQ(host.traces, (QStringList{"undefined", "true", "number", "false"}));
}

TEST(NetStreamMovie, AMissingFileIsNotFoundAndTheVideoStaysBlank) {
    QTemporaryDir dir;
    auto loaded = swf::loadMovie(movieThatPlays("nothing-here.flv"));
    ASSERT_TRUE(loaded.ok());
    TraceHost host;
    swf::Player player(loaded.value(), {}, &host, dir.filePath("movie.swf"));
    player.tick();
    EXPECT_EQ(host.traces, QStringList{"NetStream.Play.StreamNotFound"});
    EXPECT_EQ(render(player).pixelColor(50, 50), QColor(Qt::white));
}

TEST(NetStreamMovie, APlacedVideoAnswersItsOwnProperties) {
    SwfWriter w(kStage, kStage, 25);
    w.defineVideoStream(1, 0, 60, 40, 0, 2);
    PlaceSpec place;
    place.depth = 1;
    place.characterId = 1;
    place.name = QByteArray("v");
    w.placeObject(place);
    ActionBuilder a;
    a.get("v").push("smoothing").push(true).setMember();
    a.get("v").push("smoothing").getMember().trace();
    a.get("v").push("deblocking").push(2).setMember();
    a.get("v").push("deblocking").getMember().trace();
    a.get("v").push("width").push(500).setMember();
    a.get("v").push("width").getMember().trace();
    a.get("v").push("attachVideo").getMember().typeOf().trace();
    a.get("v").typeOf().trace();
    w.doAction(a.finish());
    w.showFrame();
    auto loaded = swf::loadMovie(w.finish());
    ASSERT_TRUE(loaded.ok());
    TraceHost host;
    swf::Player player(loaded.value(), {}, &host, QString());
    EXPECT_EQ(host.traces, (QStringList{"true", "2", "0", "function", "object"}))
        << "the width is the picture's, which script cannot set";
    auto* v = static_cast<swf::VideoObject*>(player.stage()->root().childByName("v", false));
    ASSERT_TRUE(v);
    EXPECT_TRUE(v->smoothing());
    EXPECT_EQ(v->deblocking(), 2);
}
