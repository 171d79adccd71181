#pragma once

// An embedded video stream placed on a timeline. The placement's ratio is the frame shown;
// the picture is decoded when it is first asked for, so a jump over many frames decodes only
// what the frame it lands on needs.

#include "swf/display/DisplayObject.h"

#include <QImage>
#include <QSize>
#include <atomic>
#include <memory>
#include <mutex>

namespace swf {

class VideoCharacter;
class VideoPictures;

// Pictures from outside the timeline: a stream script attached with attachVideo. Asked from
// the drawing thread as well as the engine's.
class AttachedVideo {
public:
    virtual ~AttachedVideo() = default;
    // The picture on show now; null when there is none yet.
    virtual QImage currentPicture() = 0;
    // Which picture that is, so a Video cleared by script stays blank until the next one;
    // -1 before the first.
    virtual int currentPictureNumber() const = 0;
};

class VideoObject final : public DisplayObject {
public:
    VideoObject(Stage& stage, std::shared_ptr<const VideoCharacter> video);
    ~VideoObject() override;

    const VideoCharacter& video() const;
    // The picture of the frame the ratio names; null when there is none to show (no decoder
    // for the codec, or no frame decoded yet). Safe to call from the drawing thread.
    QImage picture() const;
    // Shows source's pictures instead of the timeline's (null goes back to the timeline's).
    void attach(std::shared_ptr<AttachedVideo> source);
    bool hasAttached() const;
    // Blank until the attached source moves on to another picture.
    void clearPicture();
    // The picture's own size in pixels (of the attached source or the timeline's frame);
    // 0 x 0 when nothing was decoded.
    QSize pictureSize() const;
    // Script's smoothing wins over the stream's flag once set.
    bool smoothing() const;
    void setSmoothing(bool on);
    int deblocking() const { return deblocking_; }
    void setDeblocking(int level) { deblocking_ = level; }
    // The stream's frame size in twips; the picture is scaled into it.
    QRectF localBounds() const override;
    bool containsLocalPoint(QPointF localTwips) const override;

private:
    mutable std::mutex mutex_;
    mutable std::unique_ptr<VideoPictures> pictures_;
    mutable bool opened_ = false;
    std::shared_ptr<AttachedVideo> attached_;
    int clearedAt_ = -2;             // the attached picture script cleared; -2 when none
    std::atomic<int> smoothing_{-1}; // -1: as the stream says; read while drawing
    int deblocking_ = 0;
};

} // namespace swf
