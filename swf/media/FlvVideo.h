#pragma once

// The video packets of an FLV as an index into its bytes: where each frame's packet lies in
// the download, whether it is a key frame. The packets are read back from the spool when the
// decoder wants them, so a long file costs a few bytes a frame in memory. Frames are numbered
// from 0 in file order. Added to on the engine's thread while the drawing thread reads.

#include "swf/display/VideoHost.h"
#include "swf/format/Video.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace swf::media {

class Spool;

class FlvVideo final : public VideoFrameSource {
public:
    FlvVideo(std::shared_ptr<const Spool> spool, uint8_t codec);

    uint8_t codec() const { return codec_; }
    // H.264 only: the decoder configuration (avcC record) the first packet carries.
    QByteArray decoderConfig() const;
    std::size_t size() const;

    // ---- VideoFrameSource ----
    std::optional<VideoFrameData> frame(int number) const override;
    std::optional<int> lastAtOrBefore(int number) const override;
    std::optional<int> keyAtOrBefore(int number) const override;
    std::optional<int> nextAfter(int number) const override;

    // ---- the file's reader ----
    void add(qint64 offset, qint64 size, bool key);
    void setDecoderConfig(QByteArray config);

private:
    struct Entry {
        qint64 offset;
        uint32_t size;
        bool key;
    };
    const std::shared_ptr<const Spool> spool_;
    const uint8_t codec_;
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    std::vector<int> keys_; // key frame numbers, rising
    QByteArray config_;
};

} // namespace swf::media
