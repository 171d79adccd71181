// Feeds arbitrary bytes to the tag reader with a mixer attached, so the sound tags are read,
// their sounds and streams decoded and mixed, and the frames stepped, jumped and paused.

#include "swf/Player.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "swf/media/Mixer.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto movie = swf::loadMovie(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!movie.ok())
        return 0;
    swf::media::Mixer mixer(48000);
    // A live clock lets streams drive the frames, as with a device.
    mixer.setClockLive(size % 2 == 0);
    swf::Player player(movie.value(), {}, nullptr, {}, &mixer);
    std::vector<int16_t> out(2 * 2048);
    for (int i = 0; i < 6; ++i) {
        mixer.mix(out.data(), 2048);
        player.tick();
    }
    player.gotoFrame(2);
    mixer.mix(out.data(), 512);
    player.stop();
    mixer.mix(out.data(), 512);
    return 0;
}
