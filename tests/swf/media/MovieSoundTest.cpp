// Event sounds as movies start them: from the frame that carries them, in sprites, with the
// sound info record's stop and no-multiple, the stopAllSounds action, and the headless
// renderer's --audio-out.

#include "swf/Player.h"
#include "swf/PlayerHost.h"
#include "swf/display/Stage.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "swf/media/Mixer.h"
#include "swf/media/SoundEngine.h"
#include "swf/media/WavFile.h"
#include "tests/support/ActionBuilder.h"
#include "tests/support/SwfWriter.h"
#include "tests/support/TempDir.h"
#include "tests/swf/media/Tones.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace mediatest;
using namespace testsupport;

namespace {

constexpr int kRate = 44100;

class MessageHost : public swf::PlayerHost {
public:
    void statusMessage(const QString& text) override { messages << text; }
    void trace(const QString& line) override { traces << line; }
    QStringList messages;
    QStringList traces;
};

// Plays frames of movie and returns the left channel of what was heard, 1/fps seconds of
// sound per frame, as swfrender --audio-out does.
struct Listener {
    swf::media::Mixer mixer{kRate};
    MessageHost host;
    std::unique_ptr<swf::Player> player;
    double fps = 12;

    explicit Listener(const QByteArray& bytes) {
        auto movie = swf::loadMovie(bytes);
        EXPECT_TRUE(movie.ok());
        fps = movie.value()->header().frameRate;
        player = std::make_unique<swf::Player>(movie.value(), swf::Player::ScriptHostFactory{},
                                               &host, QString(), &mixer);
    }
    // The sound of the frame on show, then the next frame.
    std::vector<int16_t> frames(int n) {
        std::vector<int16_t> out;
        for (int i = 0; i < n; ++i) {
            std::vector<int16_t> block(static_cast<std::size_t>(kRate / fps) * 2);
            mixer.mix(block.data(), static_cast<int>(block.size() / 2));
            out.insert(out.end(), block.begin(), block.end());
            // Script timers (which hear sounds end) run on the wall clock, as frames do.
            QThread::msleep(3);
            player->tick();
        }
        return channel(out, 2, 0);
    }
};

const int kPerFrame = kRate / 12;

QByteArray constantPcm(int16_t v, int frames) {
    return pcm16(std::vector<int16_t>(static_cast<std::size_t>(frames), v));
}

TEST(MovieSound, AnEventSoundIsHeardFromTheFrameThatStartsIt) {
    SwfWriter w(100, 100, 12);
    const auto tone = sine(440, 22050, 22050 / 4);
    w.defineSound(1, 3, 2, true, false, static_cast<uint32_t>(tone.size()), pcm16(tone));
    w.showFrame();
    w.startSound(1);
    w.showFrame();
    w.showFrame();
    w.showFrame();
    w.showFrame();
    Listener l(w.finish());
    const auto heard = l.frames(5);
    EXPECT_EQ(peak(heard, 0, kPerFrame), 0);
    EXPECT_NEAR(frequency(heard, kRate, kPerFrame, kPerFrame + kRate / 4), 440, 3);
    EXPECT_GT(rms(heard, kPerFrame + 100, kPerFrame + kRate / 4 - 100), 10000);
    EXPECT_EQ(peak(heard, kPerFrame + kRate / 4 + 2, heard.size()), 0);
}

TEST(MovieSound, NoMultipleAndStopFollowTheSoundInfo) {
    SwfWriter w(100, 100, 12);
    w.defineSound(1, 3, 3, true, false, 44100, constantPcm(1000, 44100));
    w.defineSound(2, 3, 3, true, false, 44100, constantPcm(100, 44100));
    SoundInfoSpec once;
    once.noMultiple = true;
    for (int i = 0; i < 3; ++i) {
        w.startSound(1, once);
        w.startSound(2); // may pile up
        w.showFrame();
    }
    SoundInfoSpec stop;
    stop.stop = true;
    w.startSound(1, stop);
    w.showFrame();
    w.showFrame();
    Listener l(w.finish());
    const auto heard = l.frames(5);
    EXPECT_EQ(heard[10], 1100);
    EXPECT_EQ(heard[kPerFrame + 10], 1200);
    EXPECT_EQ(heard[2 * kPerFrame + 10], 1300); // one instance of sound 1, three of sound 2
    EXPECT_EQ(heard[3 * kPerFrame + 10], 300);  // sound 1 stopped
}

TEST(MovieSound, LoopsAndEnvelopeOfATimelineSound) {
    SwfWriter w(100, 100, 12);
    w.defineSound(1, 3, 3, true, false, 1000, constantPcm(8000, 1000));
    SoundInfoSpec info;
    info.loops = 4;
    info.envelope = {{0, 16384, 16384}};
    w.startSound(1, info);
    w.showFrame();
    w.showFrame();
    Listener l(w.finish());
    const auto heard = l.frames(2);
    EXPECT_EQ(heard[3999], 4000);
    EXPECT_EQ(heard[4000], 0);
}

TEST(MovieSound, SpritesStartTheirSoundsAndStopSoundsSilencesAll) {
    SwfWriter inner(100, 100, 12);
    inner.startSound(1);
    inner.showFrame();
    inner.showFrame();
    SwfWriter w(100, 100, 12);
    w.defineSound(1, 3, 3, true, false, 44100, constantPcm(500, 44100));
    w.defineSprite(2, inner);
    w.placeObject2(1, 2);
    w.showFrame();
    w.showFrame();
    w.doAction(ActionBuilder().stopSounds().finish());
    w.showFrame();
    w.showFrame();
    Listener l(w.finish());
    const auto heard = l.frames(4);
    EXPECT_EQ(heard[10], 500);
    EXPECT_EQ(heard[kPerFrame + 10], 500);
    // In the third frame the sprite starts its sound again as it loops; the frame's
    // stopSounds runs after that, so everything is quiet.
    EXPECT_EQ(peak(heard, 2 * kPerFrame, 4 * kPerFrame), 0);
}

TEST(MovieSound, ASoundThatCannotDecodeIsSilentAndSaysSoOnce) {
    SwfWriter w(100, 100, 12);
    // Declared as AAC with nothing a decoder can use.
    w.defineSound(1, 10, 3, true, false, 44100, QByteArray(64, '\x07'));
    w.defineSound(2, 3, 3, true, false, 44100, constantPcm(300, 44100));
    w.startSound(1);
    w.showFrame();
    w.startSound(1);
    w.startSound(2);
    w.showFrame();
    Listener l(w.finish());
    const auto heard = l.frames(2);
    EXPECT_EQ(heard[kPerFrame + 10], 300);
    EXPECT_LE(l.host.messages.size(), 1);
}

TEST(MovieSound, ScriptSoundObjectsStartStopAndHearTheEnd) {
    SwfWriter w(100, 100, 12, 8);
    w.defineSound(1, 3, 3, true, false, 11025, constantPcm(1000, 11025));
    w.exportAssets({{1, "beep"}});
    ActionBuilder a;
    a.push({"s", 0, "Sound"}).newObject().setVariable();
    a.callMethod("s", "attachSound", {"beep"}).pop();
    a.callMethod("s", "setVolume", {50}).pop();
    a.get("s").push("onSoundComplete");
    a.defineFunction("", {}, ActionBuilder().traceValue("done"));
    a.setMember();
    a.callMethod("s", "start", {0, 2}).pop();
    a.get("s").push("duration").getMember().trace();
    w.doAction(a.finish());
    w.showFrame();
    w.doAction(ActionBuilder().get("s").push("position").getMember().trace().finish());
    w.showFrame();
    for (int i = 0; i < 8; ++i)
        w.showFrame();
    Listener l(w.finish());
    const auto heard = l.frames(9);
    EXPECT_EQ(heard[10], 500);
    EXPECT_EQ(heard[22049], 500); // two passes of a quarter second
    EXPECT_EQ(heard[22050], 0);
    ASSERT_GE(l.host.traces.size(), 3) << l.host.traces.join('|').toStdString();
    EXPECT_EQ(l.host.traces[0], "250");
    EXPECT_EQ(l.host.traces[1], "83");
    EXPECT_EQ(l.host.traces[2], "done");
    EXPECT_EQ(l.host.traces.count("done"), 1);
}

TEST(MovieSound, SoundStopAndATargetedVolume) {
    SwfWriter inner(100, 100, 12);
    inner.startSound(2);
    inner.showFrame();
    SwfWriter w(100, 100, 12, 8);
    w.defineSound(1, 3, 3, true, false, 44100, constantPcm(1000, 44100));
    w.defineSound(2, 3, 3, true, false, 44100, constantPcm(100, 44100));
    w.exportAssets({{1, "long"}});
    w.defineSprite(3, inner);
    PlaceSpec place;
    place.characterId = 3;
    place.name = "clip";
    w.placeObject(place);
    ActionBuilder a;
    a.push({"s", 0, "Sound"}).newObject().setVariable();
    a.callMethod("s", "attachSound", {"long"}).pop();
    a.callMethod("s", "start", {}).pop();
    // A Sound aimed at the clip quietens the clip's own sound only.
    a.push("c").get("clip").push({1, "Sound"}).newObject().setVariable();
    a.callMethod("c", "setVolume", {0}).pop();
    w.doAction(a.finish());
    w.showFrame();
    w.doAction(ActionBuilder().callMethod("s", "stop", {"long"}).pop().finish());
    w.showFrame();
    w.showFrame();
    Listener l(w.finish());
    const auto heard = l.frames(3);
    EXPECT_EQ(heard[10], 1000);
    EXPECT_EQ(peak(heard, kPerFrame + 10, 3 * kPerFrame), 0);
}

TEST(MovieSound, ButtonsPlayTheirSoundsOnRollOverAndPress) {
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 100, 100), Qt::red);
    w.defineButton2(2, {{0xF, 1, 1}});
    w.defineSound(3, 3, 3, true, false, 44100, constantPcm(700, 44100));
    w.defineSound(4, 3, 3, true, false, 44100, constantPcm(40, 44100));
    w.defineButtonSound(2, {0, 3, 4, 0});
    w.placeObject2(1, 2);
    w.showFrame();
    w.showFrame();
    Listener l(w.finish());
    auto heard = l.frames(1);
    EXPECT_EQ(peak(heard, 0, heard.size()), 0);
    l.player->stage()->mouseMove(QPointF(50 * 20, 50 * 20));
    heard = l.frames(1);
    EXPECT_EQ(heard[10], 700);
    l.player->stage()->mouseDown(QPointF(50 * 20, 50 * 20));
    heard = l.frames(1);
    EXPECT_EQ(heard[10], 740);
}

TEST(MovieSound, LoadSoundPlaysAnMp3FileOnceItArrives) {
    const auto tone = sine(1000, 44100, 44100);
    const auto encoded = mp3(tone, 44100, 1);
    if (!encoded)
        GTEST_SKIP() << "this libavcodec has no MP3 encoder";
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath("tone.mp3"), *encoded);
    SwfWriter w(100, 100, 12, 8);
    ActionBuilder a;
    a.push({"s", 0, "Sound"}).newObject().setVariable();
    a.get("s").push("onLoad");
    a.defineFunction("", {"ok"}, ActionBuilder().get("ok").trace());
    a.setMember();
    a.callMethod("s", "loadSound", {path.toUtf8(), true}).pop();
    a.callMethod("s", "loadSound", {QByteArray("missing.mp3"), false}).pop();
    a.push({"t", 0, "Sound"}).newObject().setVariable();
    a.get("t").push("onLoad");
    a.defineFunction("", {"ok"}, ActionBuilder().get("ok").trace());
    a.setMember();
    a.callMethod("t", "loadSound", {QByteArray("/nowhere/missing.mp3"), false}).pop();
    a.callMethod("s", "loadSound", {path.toUtf8(), true}).pop();
    w.doAction(a.finish());
    for (int i = 0; i < 20; ++i)
        w.showFrame();
    Listener l(w.finish());
    const auto heard = l.frames(12);
    // Only the last load of s counts; t's file is missing.
    ASSERT_EQ(l.host.traces.size(), 2) << l.host.traces.join('|').toStdString();
    EXPECT_TRUE(l.host.traces.contains("true"));
    EXPECT_TRUE(l.host.traces.contains("false"));
    EXPECT_NEAR(frequency(heard, kRate, 3 * kPerFrame, 9 * kPerFrame), 1000, 5);
}

TEST(MovieSound, SwfrenderWritesTheFramesSoundAsWave) {
    SwfWriter w(100, 100, 12);
    const auto tone = sine(440, 44100, 44100 * 2);
    w.defineSound(1, 3, 3, true, false, static_cast<uint32_t>(tone.size()), pcm16(tone));
    w.showFrame();
    w.startSound(1);
    for (int i = 0; i < 30; ++i)
        w.showFrame();
    QTemporaryDir dir;
    const QString movie = writeFile(dir.filePath("tone.swf"), w.finish());
    const QString wavPath = dir.filePath("tone.wav");
    QProcess p;
    p.start(SWFRENDER_PATH, {movie, "--frames", "2-13", "--audio-out", wavPath});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    auto wav = swf::media::decodeWav(readFile(wavPath));
    ASSERT_TRUE(wav.ok());
    EXPECT_EQ(wav.value().rate, 44100);
    EXPECT_EQ(wav.value().channels, 2);
    EXPECT_EQ(wav.value().samples.size(), 44100u * 2); // twelve frames at 12 per second
    const auto left = channel(wav.value().samples, 2, 0);
    // The sound starts with frame 2, the first frame written.
    EXPECT_NEAR(left[1000], tone[1000], 2);
    EXPECT_NEAR(frequency(left, 44100, 0, 44100), 440, 2);
}

} // namespace
