#pragma once

// The sound of an FLV decoded as one piece, as the mixer plays it beside the pictures.

#include "swf/format/Result.h"
#include "swf/media/DecodedSound.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace swf::media {

class FlvFile;

struct FlvSound {
    std::shared_ptr<const DecodedSound> sound;
    uint32_t startMs = 0; // the time of the first sound packet: where sample 0 is heard
};

// MP3, ADPCM, PCM of both byte orders, Nellymoser, Speex and AAC. Holding more than maxBytes
// of samples is an error; so is a file with no sound or a codec this build lacks. Only the
// packets from first up to (not including) end are decoded: a file still arriving is heard
// piece by piece.
Result<FlvSound> decodeFlvSound(const FlvFile& file, uint64_t maxBytes, std::size_t first = 0,
                                std::size_t end = SIZE_MAX);

} // namespace swf::media
