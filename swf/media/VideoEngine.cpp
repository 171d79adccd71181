#include "swf/media/VideoEngine.h"

#include "swf/format/Video.h"
#include "swf/media/StreamPictures.h"
#include "swf/media/VideoDecoder.h"

namespace swf::media {

std::unique_ptr<VideoPictures> VideoEngine::openVideo(std::shared_ptr<const VideoCharacter> video) {
    if (!video)
        return nullptr;
    auto decoder = VideoDecoder::create(video->info().codec, video->frames().decoderConfig());
    if (!decoder) {
        if (sink_)
            sink_(decoder.error().message);
        return nullptr;
    }
    return std::make_unique<StreamPictures>(std::move(video), std::move(decoder.value()));
}

} // namespace swf::media
