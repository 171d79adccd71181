#include "swf/display/Video.h"

#include "swf/display/Stage.h"
#include "swf/display/VideoHost.h"
#include "swf/format/Video.h"

namespace swf {

VideoObject::VideoObject(Stage& stage, std::shared_ptr<const VideoCharacter> video)
    : DisplayObject(Type::Video, stage, std::move(video)) {}

VideoObject::~VideoObject() = default;

const VideoCharacter& VideoObject::video() const {
    return static_cast<const VideoCharacter&>(*character());
}

void VideoObject::attach(std::shared_ptr<AttachedVideo> source) {
    std::lock_guard lock(mutex_);
    attached_ = std::move(source);
    clearedAt_ = -2;
}

bool VideoObject::hasAttached() const {
    std::lock_guard lock(mutex_);
    return attached_ != nullptr;
}

void VideoObject::clearPicture() {
    std::lock_guard lock(mutex_);
    clearedAt_ = attached_ ? attached_->currentPictureNumber() : -2;
}

QSize VideoObject::pictureSize() const {
    return picture().size();
}

QImage VideoObject::picture() const {
    std::lock_guard lock(mutex_);
    if (attached_) {
        if (clearedAt_ != -2 && attached_->currentPictureNumber() == clearedAt_)
            return {};
        return attached_->currentPicture();
    }
    if (!opened_) {
        // Opened once: a stream whose codec cannot be decoded is not retried every frame.
        opened_ = true;
        if (VideoHost* host = stage().videoHost())
            pictures_ =
                host->openVideo(std::static_pointer_cast<const VideoCharacter>(characterShared()));
    }
    if (!pictures_)
        return {};
    return pictures_->picture(ratio());
}

bool VideoObject::smoothing() const {
    return smoothing_ < 0 ? video().info().smoothing : smoothing_ == 1;
}

void VideoObject::setSmoothing(bool on) {
    smoothing_ = on ? 1 : 0;
}

QRectF VideoObject::localBounds() const {
    const VideoStreamInfo& info = video().info();
    return QRectF(0, 0, info.width * 20.0, info.height * 20.0);
}

bool VideoObject::containsLocalPoint(QPointF p) const {
    return localBounds().contains(p);
}

} // namespace swf
