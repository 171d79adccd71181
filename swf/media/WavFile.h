#pragma once

// 16-bit PCM WAVE files: what the headless renderer writes of the mixer's output, and what
// tests read back.

#include "swf/format/Result.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace swf::media {

struct WavData {
    int rate = 44100;
    int channels = 2;
    std::vector<int16_t> samples; // interleaved
};

QByteArray encodeWav(const WavData& wav);
// Reads a 16-bit PCM file; anything else is an error.
Result<WavData> decodeWav(const QByteArray& bytes);

} // namespace swf::media
