// The control's audio output: no device, or a device that fails, leaves the movie playing
// silently at its frame rate and says so once.

#include "flash/audio/QtAudioOutput.h"
#include "swf/Player.h"
#include "swf/format/MovieLoader.h"
#include "swf/media/Mixer.h"
#include "tests/support/SwfWriter.h"
#include "tests/swf/media/Tones.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

void spin(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

QByteArray streamingMovie() {
    SwfWriter w(100, 100, 12);
    w.soundStreamHead(3, 3, true, false, 3675);
    for (int f = 0; f < 40; ++f) {
        w.soundStreamBlock(mediatest::pcm16(mediatest::sine(440, 44100, 3675)));
        w.showFrame();
    }
    return w.finish();
}

TEST(AudioOutput, WithoutADeviceTheMoviePlaysOnAndIsToldOnce) {
    flash::QtAudioOutput output{QAudioDevice()};
    EXPECT_EQ(output.rate(), 44100);
    swf::media::Mixer mixer(output.rate());
    QStringList told;
    EXPECT_FALSE(output.start(mixer, [&](const QString& m) { told << m; }));
    EXPECT_FALSE(output.running());
    EXPECT_FALSE(mixer.clockLive());
    ASSERT_EQ(told.size(), 1);
    EXPECT_FALSE(told[0].isEmpty());

    auto movie = swf::loadMovie(streamingMovie());
    ASSERT_TRUE(movie.ok());
    swf::Player player(movie.value(), swf::Player::withoutScripts(), nullptr, {}, &mixer);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(player.tick(), 1);
    EXPECT_EQ(player.currentFrame(), 10);
    output.stop();
    EXPECT_EQ(told.size(), 1);
}

TEST(AudioOutput, TheDefaultDeviceEitherPlaysOrFailsQuietlyOnce) {
    // Whatever this machine has: a device that pulls the mixer moves its clock, and a missing
    // or failing one leaves the frames to the timer. Either way the movie plays on.
    flash::QtAudioOutput output;
    swf::media::Mixer mixer(output.rate());
    int told = 0;
    const bool started = output.start(mixer, [&](const QString&) { ++told; });
    auto movie = swf::loadMovie(streamingMovie());
    ASSERT_TRUE(movie.ok());
    swf::Player player(movie.value(), swf::Player::withoutScripts(), nullptr, {}, &mixer);
    int frames = 0;
    for (int i = 0; i < 20; ++i) {
        spin(30);
        frames += player.tick();
    }
    if (!started || told > 0 || !output.running()) {
        EXPECT_EQ(frames, 20);
    }
    EXPECT_LE(told, 1);
    output.stop();
    EXPECT_FALSE(mixer.clockLive());
}

} // namespace
