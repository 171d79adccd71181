#pragma once

// A sound after decoding: 16-bit samples, interleaved when stereo, at the sound's own rate.
// Immutable once made, so the audio thread may read it while the engine holds it alive.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swf::media {

struct DecodedSound {
    int rate = 44100;
    int channels = 1; // 1 or 2
    std::vector<int16_t> samples;

    std::size_t frames() const {
        return samples.size() / static_cast<std::size_t>(channels > 0 ? channels : 1);
    }
    std::size_t bytes() const { return samples.size() * sizeof(int16_t); }
    double seconds() const { return rate > 0 ? static_cast<double>(frames()) / rate : 0; }
};

} // namespace swf::media
