#pragma once

// The ADPCM flavour of Flash movies: a two-bit code size (2 to 5 bits a sample), then packets
// of 4096 samples per channel, each opening with a 16-bit sample and a 6-bit step index per
// channel. Bits are read most significant first.

#include "swf/format/Result.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swf::media {

class AdpcmDecoder {
public:
    static constexpr int kPacketSamples = 4096;

    // Appends the samples of data (interleaved when channels is 2) to out. Stops with an
    // error when out would grow past maxSamples; a packet cut short keeps what it decoded.
    static Result<void> decode(const uint8_t* data, std::size_t size, int channels,
                               std::size_t maxSamples, std::vector<int16_t>& out);
};

} // namespace swf::media
