// A NetStream's FLV played: written tag by tag while the test runs (pictures encoded with
// libavcodec's Sorenson H.263, sound as PCM), then driven through its clock.

#include "swf/media/FlvPlayback.h"
#include "swf/media/FlvScriptData.h"
#include "swf/media/Mixer.h"
#include "swf/media/SoundEngine.h"
#include "swf/media/Spool.h"
#include "swf/media/VideoEngine.h"
#include "tests/swf/media/FlvWriter.h"
#include "tests/swf/media/VideoClips.h"

#include <gtest/gtest.h>

using swf::media::AmfValue;
using swf::media::FlvPlayback;
using swf::media::FlvScriptData;
using swf::media::FlvScriptTag;
using namespace flvwriter;

namespace {

const QColor kColours[] = {QColor(220, 30, 30),  QColor(30, 200, 40),  QColor(30, 40, 210),
                           QColor(230, 220, 40), QColor(200, 40, 200), QColor(40, 210, 210)};

struct FlvOptions {
    bool sound = false;
    bool meta = true;
};

// Six 32x32 pictures 100 ms apart, key frames at 0 and 300 ms; optionally 0.6 s of PCM sound.
std::optional<QByteArray> makeFlv(FlvOptions options = {}) {
    std::vector<QImage> pictures;
    for (const QColor& c : kColours)
        pictures.push_back(mediatest::solidPicture(32, 32, c));
    const auto video = mediatest::encodeVideo(2, pictures, 3);
    if (!video)
        return std::nullopt;
    QByteArray flv = header(options.sound);
    if (options.meta)
        putTag(flv, 18, 0, metaData(0.6, 32, 32));
    for (std::size_t i = 0; i < video->packets.size(); ++i) {
        QByteArray body;
        body.append(static_cast<char>((video->keyFrames[i] ? 0x10 : 0x20) | 2));
        body.append(video->packets[i]);
        putTag(flv, 9, static_cast<uint32_t>(i * 100), body);
        if (options.sound) {
            // 100 ms of 16-bit mono PCM at 44.1 kHz, a level that names the packet.
            QByteArray audio;
            audio.append(static_cast<char>((3 << 4) | (3 << 2) | (1 << 1)));
            for (int s = 0; s < 4410; ++s) {
                const int16_t v = static_cast<int16_t>(1000 * (i + 1));
                audio.append(static_cast<char>(v & 0xff));
                audio.append(static_cast<char>(v >> 8));
            }
            putTag(flv, 8, static_cast<uint32_t>(i * 100), audio);
        }
    }
    return flv;
}

std::vector<QString> statuses(FlvPlayback& p) {
    std::vector<QString> out;
    for (const auto& e : p.takeEvents()) {
        if (const auto* s = std::get_if<FlvPlayback::Status>(&e))
            out.push_back(s->code);
        else
            out.push_back(std::get<FlvScriptTag>(e).name);
    }
    return out;
}

QColor centre(const QImage& image) {
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

bool near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 &&
           std::abs(a.blue() - b.blue()) < 40;
}

class FlvPlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto made = makeFlv();
        if (!made)
            GTEST_SKIP() << "this libavcodec has no H.263 encoder";
        flv = *made;
    }
    QByteArray flv;
    swf::media::VideoEngine videos;
    FlvPlayback playback;
};

TEST_F(FlvPlaybackTest, PlaysThroughWithFlashsMessagesInOrder) {
    playback.play(1000);
    playback.advance(1010);
    EXPECT_TRUE(statuses(playback).empty()) << "nothing is said before the bytes arrive";
    EXPECT_TRUE(playback.active());
    playback.setData(flv, true, 1020, &videos);
    EXPECT_EQ(statuses(playback), (std::vector<QString>{"NetStream.Play.Start",
                                                        "NetStream.Buffer.Full", "onMetaData"}));
    EXPECT_EQ(playback.bytesLoaded(), flv.size());
    EXPECT_EQ(playback.bytesTotal(), flv.size());
    EXPECT_NEAR(playback.bufferLengthSeconds(), 0.6, 0.001);

    playback.advance(1270);
    EXPECT_DOUBLE_EQ(playback.timeMs(), 250);
    EXPECT_EQ(playback.frameShown(), 2);
    EXPECT_TRUE(near(centre(playback.currentPicture()), kColours[2]));
    EXPECT_EQ(playback.pictureSize(), QSize(32, 32));
    EXPECT_TRUE(statuses(playback).empty());

    playback.advance(5000);
    EXPECT_EQ(statuses(playback),
              (std::vector<QString>{"NetStream.Buffer.Flush", "NetStream.Play.Stop",
                                    "NetStream.Buffer.Empty"}));
    EXPECT_DOUBLE_EQ(playback.timeMs(), 600) << "the last picture's time plus its length";
    EXPECT_EQ(playback.frameShown(), 5);
    EXPECT_FALSE(playback.active());
    playback.advance(6000);
    EXPECT_TRUE(statuses(playback).empty()) << "the end is told once";
}

TEST_F(FlvPlaybackTest, SeeksToTheKeyFrameBeforeAndRestartsAfterTheEnd) {
    playback.play(0);
    playback.setData(flv, true, 0, &videos);
    (void)playback.takeEvents();
    playback.seek(0.45, 100);
    EXPECT_EQ(statuses(playback), std::vector<QString>{"NetStream.Seek.Notify"});
    EXPECT_DOUBLE_EQ(playback.timeMs(), 300) << "the key frame at 300 ms";
    EXPECT_TRUE(near(centre(playback.currentPicture()), kColours[3]));
    playback.seek(0.2, 100);
    EXPECT_DOUBLE_EQ(playback.timeMs(), 0);
    EXPECT_EQ(statuses(playback), std::vector<QString>{"NetStream.Seek.Notify"})
        << "the metadata at 0 ms is not told again";
    playback.seek(-5, 100);
    EXPECT_DOUBLE_EQ(playback.timeMs(), 0);
    playback.seek(std::nan(""), 100);
    EXPECT_TRUE(statuses(playback).size() == 1) << "a NaN seek is ignored";

    playback.advance(10000);
    EXPECT_FALSE(playback.active());
    (void)playback.takeEvents();
    playback.seek(0.3, 10000);
    EXPECT_TRUE(playback.active()) << "seeking after the end plays on";
    playback.advance(10100);
    EXPECT_DOUBLE_EQ(playback.timeMs(), 400);
}

TEST_F(FlvPlaybackTest, PauseHoldsTheClockAndToggles) {
    playback.play(0);
    playback.setData(flv, true, 0, &videos);
    playback.advance(100);
    playback.pause(true, 150);
    playback.advance(400);
    EXPECT_DOUBLE_EQ(playback.timeMs(), 150);
    EXPECT_TRUE(playback.paused());
    playback.pause(std::nullopt, 500);
    EXPECT_FALSE(playback.paused());
    playback.advance(600);
    EXPECT_DOUBLE_EQ(playback.timeMs(), 250);
    playback.pause(std::nullopt, 600);
    EXPECT_TRUE(playback.paused());
}

TEST_F(FlvPlaybackTest, BadOrMissingFilesAreNotFound) {
    playback.play(0);
    playback.notFound();
    EXPECT_EQ(statuses(playback), std::vector<QString>{"NetStream.Play.StreamNotFound"});
    playback.play(0);
    playback.setData(QByteArray("<html>not a video</html>"), true, 0, &videos);
    const auto events = playback.takeEvents();
    ASSERT_EQ(events.size(), 1u);
    const auto& s = std::get<FlvPlayback::Status>(events.front());
    EXPECT_EQ(s.code, "NetStream.Play.StreamNotFound");
    EXPECT_EQ(s.level, "error");
    EXPECT_FALSE(playback.active());
    playback.seek(1, 0);
    EXPECT_TRUE(playback.takeEvents().empty()) << "nothing to seek in";
}

TEST_F(FlvPlaybackTest, CloseForgetsThePictureAndLateBytes) {
    playback.play(0);
    playback.setData(flv, true, 0, &videos);
    playback.advance(120);
    EXPECT_FALSE(playback.currentPicture().isNull());
    playback.close();
    EXPECT_TRUE(playback.currentPicture().isNull());
    EXPECT_EQ(playback.currentPictureNumber(), -1);
    playback.setData(flv, true, 200, &videos);
    EXPECT_TRUE(playback.takeEvents().empty()) << "bytes for a closed stream are dropped";
    EXPECT_EQ(playback.bufferLengthSeconds(), 0);
}

TEST(FlvScriptDataTest, ReadsMetaDataAndSurvivesDamage) {
    const QByteArray body = metaData(12.5, 640, 360);
    auto tag = FlvScriptData::readTag(body);
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag.value().name, "onMetaData");
    const AmfValue& v = tag.value().value;
    ASSERT_EQ(v.type, AmfValue::Type::Object);
    ASSERT_EQ(v.members.size(), 5u);
    EXPECT_EQ(v.members[0].name, "duration");
    EXPECT_DOUBLE_EQ(v.members[0].value.number, 12.5);
    EXPECT_EQ(v.members[3].value.string, QString::fromUtf8("测试"));
    EXPECT_EQ(v.members[4].value.type, AmfValue::Type::Array);
    EXPECT_EQ(v.members[4].value.members.size(), 2u);

    // Every cut of the body reads without running off its end.
    for (qsizetype n = 0; n < body.size(); ++n)
        (void)FlvScriptData::readTag(body.left(n));
    // A strict array claiming four billion elements is refused before anything is reserved.
    QByteArray huge("\x02\x00\x01x\x0a\xff\xff\xff\xff", 9);
    auto hugeTag = FlvScriptData::readTag(huge);
    ASSERT_TRUE(hugeTag);
    EXPECT_EQ(hugeTag.value().value.type, AmfValue::Type::Undefined);
    // Nesting beyond the limit stops rather than recursing without end.
    QByteArray deep("\x02\x00\x01x", 4);
    for (int i = 0; i < 100000; ++i)
        deep.append("\x0a\x00\x00\x00\x01", 5);
    EXPECT_TRUE(FlvScriptData::readTag(deep));
    EXPECT_FALSE(FlvScriptData::read(QByteArray("GIF89a")));
}

TEST(FlvPlaybackSoundTest, SoundIsHeardAndItsPositionIsTheClock) {
    auto flv = makeFlv({.sound = true, .meta = false});
    if (!flv)
        GTEST_SKIP() << "this libavcodec has no H.263 encoder";
    swf::media::Mixer mixer(44100);
    swf::media::SoundEngine engine(mixer);
    swf::media::VideoEngine videos;
    FlvPlayback playback;
    playback.setSoundEngine(&engine);
    mixer.setClockLive(true);
    playback.play(0);
    playback.setData(*flv, true, 0, &videos);
    EXPECT_TRUE(playback.soundDrivesClock());
    // The device pulls a quarter second of sound while the engine's clock hardly moves.
    std::vector<int16_t> out(2 * 11025);
    mixer.mix(out.data(), 11025);
    playback.advance(10);
    EXPECT_NEAR(playback.timeMs(), 250, 1);
    EXPECT_EQ(playback.frameShown(), 2);
    EXPECT_GT(out[2 * 11000], 2500) << "the third packet is heard at 250 ms";

    // A seek restarts the sound at the sample of the new place.
    playback.seek(0.35, 20);
    mixer.mix(out.data(), 441);
    EXPECT_NEAR(out[0], 4000, 200) << "the fourth packet, at 300 ms";
    playback.pause(true, 30);
    EXPECT_FALSE(playback.soundDrivesClock());
    mixer.collect();
    EXPECT_EQ(mixer.activeVoices(), 0) << "pause silences the stream";
    playback.close();
}

// Where each tag of an FLV ends.
std::vector<qsizetype> tagEnds(const QByteArray& flv) {
    std::vector<qsizetype> ends;
    for (qsizetype at = 13; at + 11 <= flv.size();) {
        const auto size = (static_cast<uint8_t>(flv[at + 1]) << 16) |
                          (static_cast<uint8_t>(flv[at + 2]) << 8) |
                          static_cast<uint8_t>(flv[at + 3]);
        at += 11 + size + 4;
        ends.push_back(at);
    }
    return ends;
}

// Hands a spool the file's bytes up to `upTo`, as a download does.
void arriveUpTo(swf::media::Spool& spool, const QByteArray& flv, qsizetype upTo) {
    ASSERT_TRUE(spool.append(flv.mid(spool.size(), upTo - spool.size())).ok());
}

TEST_F(FlvPlaybackTest, AFileArrivingInPiecesBuffersAndSeeksOnlyInWhatCame) {
    // Tags: metadata, then pictures at 0, 100 ... 500 ms. A spool of 64 bytes in memory puts
    // nearly all of it on disk.
    const auto ends = tagEnds(flv);
    ASSERT_EQ(ends.size(), 7u);
    auto spool = std::make_shared<swf::media::Spool>(1 << 20, 64);
    playback.setBufferTime(0.2);
    playback.play(0, spool);
    arriveUpTo(*spool, flv, 5);
    playback.arrived(flv.size(), false, 0, &videos);
    EXPECT_TRUE(statuses(playback).empty()) << "not yet a header";
    EXPECT_EQ(playback.bytesLoaded(), 5);
    EXPECT_EQ(playback.bytesTotal(), flv.size());

    // Up to the picture at 100 ms and half the next: not yet 0.2 s ahead.
    arriveUpTo(*spool, flv, ends[2] + 10);
    playback.arrived(flv.size(), false, 10, &videos);
    EXPECT_EQ(statuses(playback), (std::vector<QString>{"NetStream.Play.Start", "onMetaData"}));
    EXPECT_TRUE(playback.buffering());
    playback.advance(300);
    EXPECT_DOUBLE_EQ(playback.timeMs(), 0) << "the clock waits for the buffer";
    playback.seek(0.4, 300);
    const auto invalid = playback.takeEvents();
    ASSERT_EQ(invalid.size(), 1u);
    const auto& status = std::get<FlvPlayback::Status>(invalid.front());
    EXPECT_EQ(status.code, "NetStream.Seek.InvalidTime");
    EXPECT_EQ(status.level, "error");
    ASSERT_TRUE(status.details);
    EXPECT_DOUBLE_EQ(*status.details, 0.1);
    EXPECT_DOUBLE_EQ(playback.timeMs(), 0);

    // Up to 300 ms: the buffer is full and the clock runs from here.
    arriveUpTo(*spool, flv, ends[4]);
    playback.arrived(flv.size(), false, 400, &videos);
    EXPECT_EQ(statuses(playback), std::vector<QString>{"NetStream.Buffer.Full"});
    playback.advance(550);
    EXPECT_DOUBLE_EQ(playback.timeMs(), 150);
    EXPECT_TRUE(near(centre(playback.currentPicture()), kColours[1]))
        << "pictures are read back from the disk";

    // Played to what came: the clock holds and says so once.
    playback.advance(800);
    EXPECT_DOUBLE_EQ(playback.timeMs(), 300);
    EXPECT_EQ(statuses(playback), std::vector<QString>{"NetStream.Buffer.Empty"});
    playback.advance(1000);
    EXPECT_DOUBLE_EQ(playback.timeMs(), 300);
    EXPECT_TRUE(statuses(playback).empty());
    EXPECT_TRUE(near(centre(playback.currentPicture()), kColours[3]));

    // The rest: a complete file needs no more buffer.
    arriveUpTo(*spool, flv, flv.size());
    playback.arrived(flv.size(), true, 1100, &videos);
    EXPECT_EQ(statuses(playback), std::vector<QString>{"NetStream.Buffer.Full"});
    EXPECT_TRUE(spool->onDisk());
    playback.advance(1200);
    EXPECT_DOUBLE_EQ(playback.timeMs(), 400);
    playback.seek(0.45, 1200);
    EXPECT_EQ(statuses(playback), std::vector<QString>{"NetStream.Seek.Notify"});
    playback.advance(9000);
    EXPECT_EQ(statuses(playback),
              (std::vector<QString>{"NetStream.Buffer.Flush", "NetStream.Play.Stop",
                                    "NetStream.Buffer.Empty"}));
}

TEST_F(FlvPlaybackTest, ABrokenOffOrDamagedDownloadPlaysWhatCame) {
    const auto ends = tagEnds(flv);
    auto spool = std::make_shared<swf::media::Spool>(1 << 20);
    playback.play(0, spool);
    arriveUpTo(*spool, flv, ends[3] + 3);
    // The transfer failed here: what came is the whole file.
    playback.arrived(-1, true, 0, &videos);
    EXPECT_EQ(statuses(playback), (std::vector<QString>{"NetStream.Play.Start",
                                                        "NetStream.Buffer.Full", "onMetaData"}));
    EXPECT_EQ(playback.bytesTotal(), playback.bytesLoaded());
    playback.advance(5000);
    EXPECT_EQ(playback.frameShown(), 2);
    EXPECT_FALSE(playback.active());

    // Garbage after a good start is taken as the end of the file.
    auto damaged = std::make_shared<swf::media::Spool>(1 << 20);
    playback.play(0, damaged);
    ASSERT_TRUE(damaged->append(flv.left(ends[3])).ok());
    playback.arrived(-1, false, 0, &videos);
    (void)playback.takeEvents();
    ASSERT_TRUE(damaged->append(QByteArray(64, '\xff')).ok());
    playback.arrived(-1, false, 0, &videos);
    playback.advance(5000);
    EXPECT_EQ(statuses(playback),
              (std::vector<QString>{"NetStream.Buffer.Flush", "NetStream.Play.Stop",
                                    "NetStream.Buffer.Empty"}))
        << "never waits for bytes that make no sense";
    EXPECT_EQ(playback.frameShown(), 2);
    EXPECT_FALSE(playback.active());
}

TEST(FlvPlaybackSoundTest, SoundGoesOnWithEachPieceAndFollowsItsClipsVolume) {
    auto flv = makeFlv({.sound = true, .meta = false});
    if (!flv)
        GTEST_SKIP() << "this libavcodec has no H.263 encoder";
    const auto ends = tagEnds(*flv);
    swf::media::Mixer mixer(44100);
    swf::media::SoundEngine engine(mixer);
    swf::media::VideoEngine videos;
    FlvPlayback playback;
    playback.setSoundEngine(&engine);
    mixer.setClockLive(true);
    auto spool = std::make_shared<swf::media::Spool>(1 << 20, 1000);
    playback.play(0, spool);
    // Pictures and sound up to 200 ms (each time has a picture, then its sound).
    arriveUpTo(*spool, *flv, ends[5]);
    playback.arrived(-1, false, 0, &videos);
    ASSERT_TRUE(playback.soundDrivesClock());
    std::vector<int16_t> out(2 * 11025);
    mixer.mix(out.data(), 4410);
    playback.advance(5);
    EXPECT_NEAR(playback.timeMs(), 100, 1);
    EXPECT_NEAR(out[2 * 4000], 1000, 50) << "the first packet";

    // Past what came: the buffer runs dry and the sound stops with it.
    mixer.mix(out.data(), 6615);
    playback.advance(10);
    EXPECT_TRUE(playback.buffering());
    mixer.collect();
    EXPECT_EQ(mixer.activeVoices(), 0);

    // The rest arrives: heard from where the clock stood, the third packet (200 ms) on.
    arriveUpTo(*spool, *flv, flv->size());
    playback.arrived(-1, true, 20, &videos);
    ASSERT_TRUE(playback.soundDrivesClock());
    mixer.mix(out.data(), 441);
    EXPECT_NEAR(out[0], 3000, 100);

    // Attached to a clip, the clip's Sound sets its level; receiveAudio(false) mutes it.
    const int owner = 0;
    playback.setAudioOwner(&owner);
    engine.setOwnerGains(&owner, 0.5f, 0, 0, 0.5f);
    playback.advance(30);
    mixer.mix(out.data(), 441);
    EXPECT_NEAR(out[0], 1500, 100);
    playback.setReceiveAudio(false);
    playback.advance(40);
    mixer.mix(out.data(), 441);
    EXPECT_EQ(out[0], 0);
    EXPECT_TRUE(playback.soundDrivesClock()) << "muted, the sound still keeps time";
    playback.setReceiveAudio(true);
    playback.advance(50);
    mixer.mix(out.data(), 441);
    EXPECT_NEAR(out[0], 1500, 100);
    playback.close();
}

} // namespace
