#pragma once

// Video embedded in a movie: DefineVideoStream puts a stream in the dictionary (its size, codec
// and how it is to be drawn), and VideoFrame tags, wherever they stand in the timelines, add
// its frames one by one. The frame a placement shows is the placement's ratio. Decoding is the
// media's business; here the frames are only kept, each marked when it can be decoded without
// the ones before it.

#include "swf/format/Character.h"
#include "swf/format/Reader.h"
#include "swf/format/Result.h"

#include <QByteArray>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace swf {

namespace videocodec {
enum : uint8_t {
    SorensonH263 = 2,
    ScreenVideo = 3,
    Vp6 = 4,
    Vp6Alpha = 5,
    ScreenVideo2 = 6,
    H264 = 7, // packets laid out as in FLV: a type byte, a composition time, then the data
};
}

// Deblocking as the stream asks for it: 0 lets each frame decide, 1 turns it off, 2 to 6 pick
// a filter strength.
struct VideoStreamInfo {
    uint16_t frameCount = 0; // as declared; the VideoFrame tags are what count
    uint16_t width = 0;      // pixels
    uint16_t height = 0;
    uint8_t deblocking = 0;
    bool smoothing = false;
    uint8_t codec = 0;
};

struct VideoFrameData {
    QByteArray data; // the codec's packet, as the tag carries it
    bool keyFrame = false;
};

// The frames of one stream. They arrive while the movie loads, after the stream itself was
// defined, so unlike other characters the store grows; what is in it never changes. Guarded
// because a stream shared by several players can be read while the loader adds to it.
class VideoFrameStore {
public:
    // A frame number already present keeps its first data, as Flash keeps a first definition.
    void add(uint16_t number, VideoFrameData frame);
    std::optional<VideoFrameData> frame(int number) const;
    // The highest frame number at most `number` that has arrived; nullopt when none has.
    std::optional<int> lastAtOrBefore(int number) const;
    // The highest key frame at or before `number`; nullopt when none has arrived.
    std::optional<int> keyAtOrBefore(int number) const;
    // The next frame number after `number` that has arrived.
    std::optional<int> nextAfter(int number) const;
    std::size_t size() const;
    // H.264 only: the decoder configuration (avcC record) that its first packet carries.
    void setDecoderConfig(QByteArray config);
    QByteArray decoderConfig() const;

private:
    mutable std::mutex mutex_;
    std::map<int, VideoFrameData> frames_;
    QByteArray config_;
};

class VideoCharacter final : public Character {
public:
    VideoCharacter(uint16_t id, VideoStreamInfo info)
        : Character(id, Kind::Video), info_(info), frames_(std::make_shared<VideoFrameStore>()) {}
    const VideoStreamInfo& info() const { return info_; }
    VideoFrameStore& frames() const { return *frames_; }

private:
    VideoStreamInfo info_;
    std::shared_ptr<VideoFrameStore> frames_;
};

// Each stream may hold at most this many pixels a frame: far above any video a movie carried
// (4096 x 4096), and so a 4-byte size never reaches the decoder.
inline constexpr uint64_t kMaxVideoPixels = 4096ull * 4096ull;

Result<std::shared_ptr<VideoCharacter>> parseDefineVideoStream(Reader& r);

struct VideoFrameTag {
    uint16_t streamId = 0;
    uint16_t frameNumber = 0;
    QByteArray data;
};
Result<VideoFrameTag> parseVideoFrame(Reader& r);

// Whether a packet of the codec decodes on its own. Damaged or unknown packets are not key
// frames: seeking never starts from them.
bool isVideoKeyFrame(uint8_t codec, const QByteArray& packet);

} // namespace swf
