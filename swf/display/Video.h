#pragma once

// An embedded video stream placed on a timeline. The placement's ratio is the frame shown;
// the picture is decoded when it is first asked for, so a jump over many frames decodes only
// what the frame it lands on needs.

#include "swf/display/DisplayObject.h"

#include <QImage>
#include <memory>
#include <mutex>

namespace swf {

class VideoCharacter;
class VideoPictures;

class VideoObject final : public DisplayObject {
public:
    VideoObject(Stage& stage, std::shared_ptr<const VideoCharacter> video);
    ~VideoObject() override;

    const VideoCharacter& video() const;
    // The picture of the frame the ratio names; null when there is none to show (no decoder
    // for the codec, or no frame decoded yet). Safe to call from the drawing thread.
    QImage picture() const;
    // The stream asks for smoothing when scaled.
    bool smoothing() const;
    // The stream's frame size in twips; the picture is scaled into it.
    QRectF localBounds() const override;
    bool containsLocalPoint(QPointF localTwips) const override;

private:
    mutable std::mutex mutex_;
    mutable std::unique_ptr<VideoPictures> pictures_;
    mutable bool opened_ = false;
};

} // namespace swf
