#pragma once

// What the display tree asks of whoever decodes video: a source of pictures for each placed
// video stream. The tree knows nothing of codecs; the media side implements this and the
// Player connects the two.

#include <QImage>
#include <memory>

namespace swf {

class VideoCharacter;

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

class VideoHost {
public:
    virtual ~VideoHost() = default;
    // Null when the stream's codec is not one the player decodes.
    virtual std::unique_ptr<VideoPictures>
    openVideo(std::shared_ptr<const VideoCharacter> video) = 0;
};

} // namespace swf
