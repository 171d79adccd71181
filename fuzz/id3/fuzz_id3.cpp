// Feeds arbitrary bytes to what is read of a loaded MP3 without decoding it: its ID3 tags
// (2.2 to 2.4 at the start, 1.1 at the end) and its length from the frame headers.

#include "swf/media/Mp3Info.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)swf::media::Mp3Info::id3(bytes);
    (void)swf::media::Mp3Info::durationMs(bytes);
    return 0;
}
