#pragma once

// The running state of a timeline: which frame it shows and the objects on its display list,
// by depth. Sprites placed on it carry their own running timeline.

#include "swf/format/Character.h"
#include "swf/format/Timeline.h"
#include "swf/format/Types.h"

#include <QByteArray>
#include <QTransform>
#include <map>
#include <memory>

namespace swf {

class Movie;
class TimelineInstance;

struct PlacedObject {
    std::shared_ptr<const Character> character;
    QTransform matrix;
    ColorTransform colorTransform;
    uint16_t ratio = 0;
    uint16_t clipDepth = 0; // non-zero: a mask for the depths above it up to this one
    BlendMode blendMode = BlendMode::Normal;
    bool cacheAsBitmap = false;
    QByteArray name;
    int placedFrame = -1;  // frame of the PlaceObject that created it
    uint64_t bornTick = 0; // tick of creation: a new sprite does not advance on that tick
    std::unique_ptr<TimelineInstance> sprite;
};

class TimelineInstance {
public:
    // nesting counts the sprites around this one; deeper sprites are not instantiated.
    TimelineInstance(const Movie& movie, const Timeline& timeline, int nesting);
    ~TimelineInstance();

    int currentFrame() const { return current_; } // -1 before the first frame was shown
    int frameCount() const { return static_cast<int>(timeline_.frames.size()); }
    const std::map<uint16_t, PlacedObject>& objects() const { return objects_; }

    // Shows frame (0-based): forwards by running the frames in between, backwards by
    // rebuilding the list from the start, keeping objects that would have stayed.
    void gotoFrame(int frame, uint64_t tick);
    // One step of a sprite's own timeline: next frame, looping at its end.
    void advanceLooping(uint64_t tick);
    // Advances every sprite on this list (and theirs) that was not created on this tick.
    void advanceChildren(uint64_t tick);

private:
    void applyFrame(int frame, uint64_t tick);
    void place(const PlaceCommand& cmd, int frame, uint64_t tick);

    const Movie& movie_;
    const Timeline& timeline_;
    int nesting_;
    int current_ = -1;
    std::map<uint16_t, PlacedObject> objects_;
};

} // namespace swf
