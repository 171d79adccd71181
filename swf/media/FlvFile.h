#pragma once

// An FLV file as NetStream plays it, read as an index over its bytes while they arrive: for
// each video frame and sound packet, where it lies and when it plays; the script data (read
// at once, being small); the codecs. Packets are read back from the bytes when they are
// decoded. scan() takes in the tags that arrived since it last ran; a tag whose bytes are
// not all there yet waits for the next scan.

#include "swf/format/Result.h"
#include "swf/format/Sound.h"
#include "swf/media/FlvScriptData.h"
#include "swf/media/FlvVideo.h"

#include <QByteArray>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace swf::media {

class Spool;

struct FlvSoundPacket {
    uint32_t timeMs = 0;
    qint64 offset = 0; // the codec's packet (AAC: raw data; its configuration is kept apart)
    qint64 size = 0;
};

class FlvFile {
public:
    // More tags than any real file has; beyond them a file is taken to be hostile and the rest
    // is not indexed.
    static constexpr std::size_t kMaxVideoFrames = 1u << 22;
    static constexpr std::size_t kMaxSoundPackets = 1u << 23;
    static constexpr std::size_t kMaxScriptTags = 4096;
    // Script data read in all: each byte becomes a good deal more once read into values.
    static constexpr qint64 kMaxScriptBytes = 16 << 20;

    explicit FlvFile(std::shared_ptr<const Spool> spool);
    // Reads what bytes holds of an FLV file. An error when it is not one; a file cut short
    // is not an error (tagsComplete() says whether the end was reached cleanly).
    static Result<FlvFile> parse(const QByteArray& bytes);

    // Indexes the tags that arrived since the last scan. An error when the bytes are not an
    // FLV file; fewer bytes than a header are not yet an answer either way.
    Result<void> scan();
    bool headerRead() const { return headerRead_; }

    // The video frames; null when there are none (yet).
    const std::shared_ptr<FlvVideo>& video() const { return video_; }
    // The time each video frame shows, in milliseconds, in frame (decoding) order.
    const std::vector<uint32_t>& videoTimes() const { return videoTimes_; }
    // The frame on show at timeMs: the last one whose time has come; nullopt before the first.
    std::optional<int> videoFrameAt(uint32_t timeMs) const;
    // The key frame at or before timeMs that a seek lands on, as Flash seeks to key frames.
    std::optional<uint32_t> seekTime(uint32_t timeMs) const;

    const std::optional<SoundFormatInfo>& soundFormat() const { return soundFormat_; }
    const std::vector<FlvSoundPacket>& sound() const { return sound_; }
    // The bytes of sound packet i (empty when they cannot be read back).
    QByteArray soundData(std::size_t i) const;
    const QByteArray& aacConfig() const { return aacConfig_; }

    // onMetaData, onCuePoint and the like, in file order.
    const std::vector<FlvScriptTag>& scripts() const { return scripts_; }

    // A tag that cannot be one (reserved bits set, an unknown type) was met: nothing from
    // there on is read, and no more bytes will mend it.
    bool damaged() const { return damaged_; }

    // The last time any tag carries.
    uint32_t durationMs() const { return duration_; }
    // The bytes ended right after a complete tag (a download cut between two tags looks the
    // same: whether more comes is the fetcher's to say).
    bool tagsComplete() const { return complete_; }

private:
    void addVideo(uint32_t time, qint64 at, qint64 size);
    void addSound(uint32_t time, qint64 at, qint64 size);
    void addScript(uint32_t time, qint64 at, qint64 size);

    std::shared_ptr<const Spool> spool_;
    bool headerRead_ = false;
    qint64 pos_ = 0; // where the next tag starts
    std::shared_ptr<FlvVideo> video_;
    std::vector<uint32_t> videoTimes_;
    std::vector<std::pair<uint32_t, int>> showing_; // (time, frame) in showing order
    uint32_t lastDecodeTime_ = 0;
    std::optional<SoundFormatInfo> soundFormat_;
    std::vector<FlvSoundPacket> sound_;
    QByteArray aacConfig_;
    std::vector<FlvScriptTag> scripts_;
    qint64 scriptBytes_ = 0;
    uint32_t duration_ = 0;
    bool complete_ = false;
    bool damaged_ = false;
};

} // namespace swf::media
