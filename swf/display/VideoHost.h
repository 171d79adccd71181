#pragma once

// What the display tree asks of whoever decodes video: a source of pictures for each placed
// video stream. The tree knows nothing of codecs; the media side implements this and the
// Player connects the two.

#include "swf/format/Video.h"

#include <QByteArray>
#include <QImage>
#include <memory>
#include <optional>

namespace swf {

// The pictures of one placed stream. Each placement has its own, since decoding keeps state
// (the frames a picture is built from).
class VideoPictures {
public:
    virtual ~VideoPictures() = default;
    // The picture of frame `number` (0-based, as the placement's ratio names it), decoding
    // from the nearest key frame when needed. Frames not yet loaded show the last one before
    // them; a frame that does not decode leaves the picture it had. Premultiplied ARGB; null
    // when nothing could be decoded at all.
    virtual QImage picture(int number) = 0;
};

// The coded frames of a stream, wherever they are kept: a movie's VideoFrame tags in memory,
// or the tags of an FLV file read back from its download as they are needed. The frames may
// grow while they are read (from another thread), never change.
class VideoFrameSource {
public:
    virtual ~VideoFrameSource() = default;
    virtual std::optional<VideoFrameData> frame(int number) const = 0;
    // The highest frame number at most `number` that has arrived; nullopt when none has.
    virtual std::optional<int> lastAtOrBefore(int number) const = 0;
    // The highest key frame at or before `number`; nullopt when none has arrived.
    virtual std::optional<int> keyAtOrBefore(int number) const = 0;
    // The next frame number after `number` that has arrived.
    virtual std::optional<int> nextAfter(int number) const = 0;
};

class VideoHost {
public:
    virtual ~VideoHost() = default;
    // Null when the stream's codec is not one the player decodes.
    virtual std::unique_ptr<VideoPictures>
    openVideo(std::shared_ptr<const VideoCharacter> video) = 0;
    // The pictures of frames that come from outside the movie (a NetStream's file), which
    // declare no size: pictures up to maxPixels decode. avcConfig is H.264's decoder
    // configuration. Null when the codec is not one the player decodes.
    virtual std::unique_ptr<VideoPictures>
    openFrames(uint8_t codec, const QByteArray& avcConfig,
               std::shared_ptr<const VideoFrameSource> frames, uint64_t maxPixels) = 0;
};

} // namespace swf
