#pragma once

// An FLV file as NetStream plays it: its video packets gathered into a stream the movie's own
// video decoding can show (frame by frame, key frames marked, each with its time), and its
// sound packets with their times and format. The file may be incomplete, as a progressive
// download is while it arrives: the tags whose bytes are all there are read, the rest waits.

#include "swf/format/Result.h"
#include "swf/format/Sound.h"
#include "swf/format/Video.h"

#include <QByteArray>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace swf::media {

struct FlvSoundPacket {
    uint32_t timeMs = 0;
    QByteArray data; // the codec's packet (AAC: raw data; its configuration is kept apart)
};

class FlvFile {
public:
    // Reads what bytes holds of an FLV file. An error when it is not one; a file cut short
    // is not an error (tagsComplete() says whether the end was reached cleanly).
    static Result<FlvFile> parse(const QByteArray& bytes);

    // The video packets as a stream numbered from 0 in file order; null when there are none.
    // Its declared size is 0 x 0: the Video object that shows it gives the size.
    const std::shared_ptr<VideoCharacter>& video() const { return video_; }
    // The time each video frame shows, in milliseconds, in frame (decoding) order.
    const std::vector<uint32_t>& videoTimes() const { return videoTimes_; }
    // The frame on show at timeMs: the last one whose time has come; nullopt before the first.
    std::optional<int> videoFrameAt(uint32_t timeMs) const;
    // The key frame at or before timeMs that a seek lands on, as Flash seeks to key frames.
    std::optional<uint32_t> seekTime(uint32_t timeMs) const;

    const std::optional<SoundFormatInfo>& soundFormat() const { return soundFormat_; }
    const std::vector<FlvSoundPacket>& sound() const { return sound_; }
    const QByteArray& aacConfig() const { return aacConfig_; }

    // The last time any tag carries.
    uint32_t durationMs() const { return duration_; }
    // The bytes ended right after a complete tag (a download cut between two tags looks the
    // same: whether more comes is the fetcher's to say).
    bool tagsComplete() const { return complete_; }

private:
    void addVideo(uint32_t time, const QByteArray& body);
    void addSound(uint32_t time, const QByteArray& body);

    std::shared_ptr<VideoCharacter> video_;
    std::vector<uint32_t> videoTimes_;
    std::vector<std::pair<uint32_t, int>> showing_; // (time, frame) in showing order
    uint32_t lastDecodeTime_ = 0;
    std::optional<SoundFormatInfo> soundFormat_;
    std::vector<FlvSoundPacket> sound_;
    QByteArray aacConfig_;
    uint32_t duration_ = 0;
    bool complete_ = false;
};

} // namespace swf::media
