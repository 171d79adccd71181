#pragma once

// Opens a decoder for each video stream a running movie places. Engine thread only; the
// pictures it hands out are then used by whichever thread draws the placement.

#include "swf/display/VideoHost.h"

#include <QString>
#include <functional>

namespace swf::media {

class VideoEngine final : public VideoHost {
public:
    // A stream whose codec cannot be decoded shows nothing; why is said here once per stream.
    void setMessageSink(std::function<void(const QString&)> sink) { sink_ = std::move(sink); }
    std::unique_ptr<VideoPictures> openVideo(std::shared_ptr<const VideoCharacter> video) override;

private:
    std::function<void(const QString&)> sink_;
};

} // namespace swf::media
