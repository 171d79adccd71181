// Feeds arbitrary bytes to the FLV reader, whole and cut short as a download is, then decodes
// the video it found at a few times and seeks, as NetStream would.

#include "swf/media/FlvFile.h"
#include "swf/media/StreamPictures.h"
#include "swf/media/VideoDecoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)swf::media::FlvFile::parse(bytes.left(bytes.size() / 2));
    auto flv = swf::media::FlvFile::parse(bytes);
    if (!flv.ok() || !flv.value().video())
        return 0;
    const auto& file = flv.value();
    auto decoder = swf::media::VideoDecoder::create(file.video()->codec(),
                                                    file.video()->decoderConfig(), 1024 * 1024);
    if (!decoder)
        return 0;
    swf::media::StreamPictures pictures(file.video(), std::move(decoder.value()));
    const uint32_t end = file.durationMs();
    for (uint32_t t : {0u, end / 3, end, end / 2}) {
        if (auto frame = file.videoFrameAt(t))
            (void)pictures.picture(*frame);
        (void)file.seekTime(t);
    }
    return 0;
}
