#pragma once

// The pictures of one placed video stream: asked for a frame, it decodes what that frame needs
// (going on from the last one when nothing better lies between, else from the nearest key
// frame) and keeps the picture until another frame is asked for.

#include "swf/display/VideoHost.h"
#include "swf/media/VideoDecoder.h"

#include <QImage>
#include <map>
#include <memory>

namespace swf {
class VideoCharacter;
}

namespace swf::media {

class StreamPictures final : public VideoPictures {
public:
    // Pictures a reordering decoder may have ready ahead of the one shown: H.264 holds back
    // a few at most, and each can be a large picture.
    static constexpr int kMaxAhead = 8;

    StreamPictures(std::shared_ptr<const VideoCharacter> video,
                   std::unique_ptr<VideoDecoder> decoder);
    StreamPictures(std::shared_ptr<const VideoFrameSource> frames,
                   std::unique_ptr<VideoDecoder> decoder);
    QImage picture(int number) override;

    // Packets sent to the decoder since it was made; for tests and figures.
    int packetsDecoded() const { return packets_; }

private:
    // Sends frame f and takes whatever pictures come out.
    void feed(int f);
    void restartAt(int f);
    // Where decoding has to start for frame want: its key frame, else the first frame.
    int startFor(int want) const;
    QImage reordered(int want);

    std::shared_ptr<const VideoFrameSource> frames_;
    std::unique_ptr<VideoDecoder> decoder_;
    QImage current_;
    int shown_ = -1; // the frame current_ stands for
    int start_ = 0;  // the first frame sent since the decoder was last reset
    int fed_ = -1;   // the last frame sent since then
    bool drained_ = false;
    std::map<int64_t, QImage> ready_;
    int packets_ = 0;
};

} // namespace swf::media
