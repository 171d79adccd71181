#pragma once

// Opens the decoding of each video stream a running movie places. Every placement of one
// stream shares one decoder and one picture: the movie's budget was charged once per stream,
// and a movie placing a stream a thousand times must not make a thousand pictures. Engine
// thread only, or the drawing thread while the engine waits for it.

#include "swf/display/VideoHost.h"

#include <QString>
#include <functional>
#include <map>
#include <memory>

namespace swf::media {

class StreamPictures;

class VideoEngine final : public VideoHost {
public:
    // Smallest allowance of decoded pixels a stream has, whatever size it declares.
    static constexpr uint64_t kMinStreamPixels = 1024 * 1024;

    VideoEngine();
    ~VideoEngine() override;

    // A stream whose codec cannot be decoded shows nothing; why is said here once per stream.
    void setMessageSink(std::function<void(const QString&)> sink) { sink_ = std::move(sink); }
    std::unique_ptr<VideoPictures> openVideo(std::shared_ptr<const VideoCharacter> video) override;
    std::unique_ptr<VideoPictures> openFrames(uint8_t codec, const QByteArray& avcConfig,
                                              std::shared_ptr<const VideoFrameSource> frames,
                                              uint64_t maxPixels) override;

    // Streams with a decoder in use; for tests.
    std::size_t openStreams() const;

private:
    struct Shared;
    std::function<void(const QString&)> sink_;
    std::map<const VideoCharacter*, std::weak_ptr<Shared>> streams_;
};

} // namespace swf::media
