#include "swf/media/FlvVideo.h"

#include "swf/media/Spool.h"

#include <algorithm>

namespace swf::media {

FlvVideo::FlvVideo(std::shared_ptr<const Spool> spool, uint8_t codec)
    : spool_(std::move(spool)), codec_(codec) {}

QByteArray FlvVideo::decoderConfig() const {
    std::lock_guard lock(mutex_);
    return config_;
}

void FlvVideo::setDecoderConfig(QByteArray config) {
    std::lock_guard lock(mutex_);
    config_ = std::move(config);
}

std::size_t FlvVideo::size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

void FlvVideo::add(qint64 offset, qint64 size, bool key) {
    std::lock_guard lock(mutex_);
    if (key)
        keys_.push_back(static_cast<int>(entries_.size()));
    entries_.push_back({offset, static_cast<uint32_t>(std::max<qint64>(0, size)), key});
}

std::optional<VideoFrameData> FlvVideo::frame(int number) const {
    Entry e{};
    {
        std::lock_guard lock(mutex_);
        if (number < 0 || static_cast<std::size_t>(number) >= entries_.size())
            return std::nullopt;
        e = entries_[static_cast<std::size_t>(number)];
    }
    QByteArray data = spool_->read(e.offset, e.size);
    // A packet that cannot be read back decodes as damaged rather than short.
    if (data.size() != static_cast<qsizetype>(e.size))
        data.clear();
    return VideoFrameData{std::move(data), e.key};
}

std::optional<int> FlvVideo::lastAtOrBefore(int number) const {
    std::lock_guard lock(mutex_);
    if (number < 0 || entries_.empty())
        return std::nullopt;
    return std::min(number, static_cast<int>(entries_.size()) - 1);
}

std::optional<int> FlvVideo::keyAtOrBefore(int number) const {
    std::lock_guard lock(mutex_);
    const auto it = std::upper_bound(keys_.begin(), keys_.end(), number);
    if (it == keys_.begin())
        return std::nullopt;
    return *std::prev(it);
}

std::optional<int> FlvVideo::nextAfter(int number) const {
    std::lock_guard lock(mutex_);
    const int next = std::max(number + 1, 0);
    if (static_cast<std::size_t>(next) >= entries_.size())
        return std::nullopt;
    return next;
}

} // namespace swf::media
