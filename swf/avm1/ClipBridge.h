#pragma once

// What the script machine needs of a movie clip in the display tree. The display side
// implements it; the machine never sees display classes, so it can be run and tested on its
// own. Frame numbers are 1-based as scripts count them.

#include "swf/avm1/Value.h"

#include <QByteArray>
#include <vector>

namespace swf::avm1 {

class Vm;

// Property numbers of GetProperty/SetProperty, also the order of the names below.
enum ClipProperty {
    PropX,
    PropY,
    PropXScale,
    PropYScale,
    PropCurrentFrame,
    PropTotalFrames,
    PropAlpha,
    PropVisible,
    PropWidth,
    PropHeight,
    PropRotation,
    PropTarget,
    PropFramesLoaded,
    PropName,
    PropDropTarget,
    PropUrl,
    PropHighQuality,
    PropFocusRect,
    PropSoundBufTime,
    PropQuality,
    PropXMouse,
    PropYMouse,
    PropCount
};
// The property a name such as "_x" stands for, or -1. Names compare without case.
int clipPropertyIndex(const QString& name);

class ClipBridge {
public:
    virtual ~ClipBridge() = default;

    virtual QString name() const = 0;
    virtual ClipBridge* parent() = 0;
    virtual ClipBridge* childByName(const QString& name, bool caseSensitive) = 0;
    // The level number for the root of a level, -1 for any other clip.
    virtual int level() const { return -1; }
    // Movie clips answer typeof with "movieclip"; buttons and text fields are objects.
    virtual bool isMovieClip() const { return true; }
    // The SWF version of the movie the clip comes from.
    virtual int swfVersion() const = 0;

    virtual void play() {}
    virtual void stop() {}
    virtual void gotoFrame(int frame, bool play) {
        (void)frame;
        (void)play;
    }
    // -1 when no frame has the label.
    virtual int frameForLabel(const QString& label) const {
        (void)label;
        return -1;
    }
    virtual int currentFrame() const { return 1; }
    virtual int totalFrames() const { return 1; }
    virtual int framesLoaded() const { return totalFrames(); }
    // The DoAction blocks of a frame, for ActionCall.
    virtual std::vector<QByteArray> frameActions(int frame) const {
        (void)frame;
        return {};
    }

    // Properties that are not simple numbers (_target, _name ...) are answered by the
    // machine from the tree; these are the numeric and flag ones.
    virtual Value property(int index) const {
        (void)index;
        return Value();
    }
    virtual void setProperty(int index, const Value& v) {
        (void)index;
        (void)v;
    }
    virtual void setName(const QString& name) { (void)name; }

    // Script-created and removed clips.
    virtual ClipBridge* duplicate(const QString& name, int depth) {
        (void)name;
        (void)depth;
        return nullptr;
    }
    virtual void remove() {}
    virtual void startDrag(bool lockCenter, const double* rect) {
        (void)lockCenter;
        (void)rect;
    }
    virtual void stopDrag() {}
    virtual void toggleQuality() {}
    virtual void stopSounds() {}
    // getURL and loadMovie/loadVariables; target is "_level3", a window name or a clip path.
    virtual void getUrl(const QString& url, const QString& target, int method, bool loadTarget,
                        bool loadVariables) {
        (void)url;
        (void)target;
        (void)method;
        (void)loadTarget;
        (void)loadVariables;
    }
};

// The tree's levels, through which _levelN and _root are found.
class DisplayBridge {
public:
    virtual ~DisplayBridge() = default;
    virtual ClipBridge* level(int n) = 0;
};

} // namespace swf::avm1
