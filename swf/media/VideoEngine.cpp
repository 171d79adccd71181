#include "swf/media/VideoEngine.h"

#include "swf/format/Video.h"
#include "swf/media/StreamPictures.h"
#include "swf/media/VideoDecoder.h"

#include <algorithm>
#include <mutex>

namespace swf::media {

struct VideoEngine::Shared {
    std::mutex mutex;
    StreamPictures pictures;
    Shared(std::shared_ptr<const VideoCharacter> video, std::unique_ptr<VideoDecoder> decoder)
        : pictures(std::move(video), std::move(decoder)) {}
    Shared(std::shared_ptr<const VideoFrameSource> frames, std::unique_ptr<VideoDecoder> decoder)
        : pictures(std::move(frames), std::move(decoder)) {}
};

namespace {

// What one placement holds: its share of the stream's decoding.
class Placement final : public VideoPictures {
public:
    explicit Placement(std::shared_ptr<void> shared, StreamPictures& pictures, std::mutex& mutex)
        : shared_(std::move(shared)), pictures_(pictures), mutex_(mutex) {}
    QImage picture(int number) override {
        std::lock_guard lock(mutex_);
        return pictures_.picture(number);
    }

private:
    std::shared_ptr<void> shared_; // keeps the stream's decoding alive
    StreamPictures& pictures_;
    std::mutex& mutex_;
};

} // namespace

VideoEngine::VideoEngine() = default;
VideoEngine::~VideoEngine() = default;

std::unique_ptr<VideoPictures> VideoEngine::openVideo(std::shared_ptr<const VideoCharacter> video) {
    if (!video)
        return nullptr;
    std::shared_ptr<Shared> shared;
    if (auto it = streams_.find(video.get()); it != streams_.end())
        shared = it->second.lock();
    if (!shared) {
        // The codec may code the picture somewhat larger than the stream declares (VP6 codes
        // whole macroblocks and scales to its display size), never vastly larger.
        const VideoStreamInfo& info = video->info();
        const uint64_t declared = static_cast<uint64_t>(info.width) * info.height;
        const uint64_t allowed = std::max(kMinStreamPixels, declared * 4);
        auto decoder = VideoDecoder::create(info.codec, video->frames().decoderConfig(), allowed);
        if (!decoder) {
            if (sink_)
                sink_(decoder.error().message);
            return nullptr;
        }
        decoder.value()->setDeblocking(info.deblocking);
        shared = std::make_shared<Shared>(video, std::move(decoder.value()));
        std::erase_if(streams_, [](const auto& entry) { return entry.second.expired(); });
        streams_[video.get()] = shared;
    }
    Shared& s = *shared;
    return std::make_unique<Placement>(std::move(shared), s.pictures, s.mutex);
}

std::unique_ptr<VideoPictures>
VideoEngine::openFrames(uint8_t codec, const QByteArray& avcConfig,
                        std::shared_ptr<const VideoFrameSource> frames, uint64_t maxPixels) {
    if (!frames)
        return nullptr;
    auto decoder = VideoDecoder::create(codec, avcConfig, std::max(kMinStreamPixels, maxPixels));
    if (!decoder) {
        if (sink_)
            sink_(decoder.error().message);
        return nullptr;
    }
    // One stream, one player: nothing to share with other placements.
    auto shared = std::make_shared<Shared>(std::move(frames), std::move(decoder.value()));
    Shared& s = *shared;
    return std::make_unique<Placement>(std::move(shared), s.pictures, s.mutex);
}

std::size_t VideoEngine::openStreams() const {
    return static_cast<std::size_t>(
        std::count_if(streams_.begin(), streams_.end(),
                      [](const auto& entry) { return !entry.second.expired(); }));
}

} // namespace swf::media
