#include "swf/media/StreamPictures.h"

#include "swf/format/Video.h"

namespace swf::media {

namespace {

// A movie's own stream: its frames are the VideoFrame tags kept with the character.
class StoredFrames final : public VideoFrameSource {
public:
    explicit StoredFrames(std::shared_ptr<const VideoCharacter> video) : video_(std::move(video)) {}
    std::optional<VideoFrameData> frame(int number) const override {
        return video_->frames().frame(number);
    }
    std::optional<int> lastAtOrBefore(int number) const override {
        return video_->frames().lastAtOrBefore(number);
    }
    std::optional<int> keyAtOrBefore(int number) const override {
        return video_->frames().keyAtOrBefore(number);
    }
    std::optional<int> nextAfter(int number) const override {
        return video_->frames().nextAfter(number);
    }

private:
    std::shared_ptr<const VideoCharacter> video_;
};

} // namespace

StreamPictures::StreamPictures(std::shared_ptr<const VideoCharacter> video,
                               std::unique_ptr<VideoDecoder> decoder)
    : StreamPictures(std::make_shared<StoredFrames>(std::move(video)), std::move(decoder)) {}

StreamPictures::StreamPictures(std::shared_ptr<const VideoFrameSource> frames,
                               std::unique_ptr<VideoDecoder> decoder)
    : frames_(std::move(frames)), decoder_(std::move(decoder)) {}

void StreamPictures::restartAt(int f) {
    decoder_->reset();
    ready_.clear();
    start_ = f;
    fed_ = f - 1;
    drained_ = false;
}

void StreamPictures::feed(int f) {
    const auto frame = frames_->frame(f);
    fed_ = f;
    if (!frame)
        return;
    ++packets_;
    // A frame that does not decode leaves the picture before it; the next key frame mends it.
    (void)decoder_->send(frame->data, f);
    while (auto out = decoder_->receive()) {
        ready_[out->first] = std::move(out->second);
        if (static_cast<int>(ready_.size()) > kMaxAhead)
            ready_.erase(ready_.begin());
    }
}

QImage StreamPictures::picture(int number) {
    const VideoFrameSource& frames = *frames_;
    const auto target = frames.lastAtOrBefore(number);
    if (!target || *target == shown_)
        return current_;
    const int want = *target;
    if (decoder_->reorders())
        return reordered(want);
    const auto key = frames.keyAtOrBefore(want);
    // Going on from the frames already decoded is right when no key frame lies between them
    // and the one wanted; anything else starts over at the key frame (or, in a stream that
    // has none, at its first frame, which is the best there is).
    const bool onward = !drained_ && shown_ >= 0 && want > shown_ && (!key || *key <= fed_);
    if (!onward)
        restartAt(startFor(want));
    for (auto f = frames.nextAfter(fed_); f && *f <= want; f = frames.nextAfter(*f))
        feed(*f);
    // The latest picture at or before the wanted frame: the wanted one unless it was damaged.
    auto it = ready_.upper_bound(want);
    if (it != ready_.begin()) {
        current_ = std::prev(it)->second;
        ready_.erase(ready_.begin(), it);
    }
    shown_ = want;
    return current_;
}

int StreamPictures::startFor(int want) const {
    const VideoFrameSource& frames = *frames_;
    const auto key = frames.keyAtOrBefore(want);
    const auto first = frames.nextAfter(-1);
    return key ? *key : (first ? *first : want);
}

// Frames are numbered in the order they decode; with reordering (H.264's B pictures) the
// picture of a frame may come out several packets later, and frames are asked for in the
// order they show, which goes back and forth among the numbers.
QImage StreamPictures::reordered(int want) {
    const VideoFrameSource& frames = *frames_;
    const auto feedFor = [&] {
        for (auto f = frames.nextAfter(fed_); f && *f <= want; f = frames.nextAfter(*f))
            feed(*f);
        int ahead = 0;
        for (auto f = frames.nextAfter(fed_); f && ahead < kMaxAhead && !ready_.count(want);
             f = frames.nextAfter(*f), ++ahead)
            feed(*f);
    };
    if (!ready_.count(want)) {
        const auto key = frames.keyAtOrBefore(want);
        // Already sent since the last start and perhaps held back, or ahead with no key frame
        // between: going on finds it. Otherwise, or if going on does not, start over.
        const bool sent = want >= start_ && want <= fed_;
        const bool ahead = want > fed_ && (!key || *key <= fed_);
        if (!drained_ && fed_ >= 0 && (sent || ahead))
            feedFor();
        if (!ready_.count(want)) {
            restartAt(startFor(want));
            feedFor();
        }
        if (!ready_.count(want)) {
            decoder_->drain();
            drained_ = true;
            while (auto out = decoder_->receive())
                ready_[out->first] = std::move(out->second);
        }
    }
    // A frame that did not decode leaves the picture before it.
    if (auto it = ready_.find(want); it != ready_.end()) {
        current_ = std::move(it->second);
        ready_.erase(it);
    }
    shown_ = want;
    return current_;
}

} // namespace swf::media
