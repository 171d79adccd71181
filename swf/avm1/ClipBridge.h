#pragma once

// What the script machine needs of a movie clip in the display tree. The display side
// implements it; the machine never sees display classes, so it can be run and tested on its
// own. Frame numbers are 1-based as scripts count them.

#include "swf/avm1/Value.h"
#include "swf/format/Filters.h"

#include <QByteArray>
#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QTransform>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace swf {
class AttachedVideo;
}

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
    // _lockroot: _root, for script inside this clip, is the clip itself.
    virtual bool lockRoot() const { return false; }
    virtual void setLockRoot(bool) {}
    virtual ClipBridge* childByName(const QString& name, bool caseSensitive) = 0;
    // The level number for the root of a level, -1 for any other clip.
    virtual int level() const { return -1; }
    // Movie clips answer typeof with "movieclip"; buttons and text fields are objects.
    virtual bool isMovieClip() const { return true; }
    // Text fields have properties of their own ("text", "variable", "border"...), read and
    // written by name; false when the name is not one of them.
    virtual bool isTextField() const { return false; }
    virtual bool textProperty(Vm& vm, const QString& name, Value& out) {
        (void)vm;
        (void)name;
        (void)out;
        return false;
    }
    virtual bool setTextProperty(Vm& vm, const QString& name, const Value& v) {
        (void)vm;
        (void)name;
        (void)v;
        return false;
    }
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
    // Depths as script numbers them; script-made clips. Null when the tree refuses.
    virtual int depth() const { return 0; }
    virtual bool swapDepths(int depth) {
        (void)depth;
        return false;
    }
    virtual bool swapDepthsWith(ClipBridge* other) {
        (void)other;
        return false;
    }
    virtual int nextHighestDepth() const { return 0; }
    virtual ClipBridge* attachMovie(const QString& exportName, const QString& name, int depth) {
        (void)exportName;
        (void)name;
        (void)depth;
        return nullptr;
    }
    virtual ClipBridge* createEmptyMovieClip(const QString& name, int depth) {
        (void)name;
        (void)depth;
        return nullptr;
    }
    virtual ClipBridge* createTextField(const QString& name, int depth, QRectF pixels) {
        (void)name;
        (void)depth;
        (void)pixels;
        return nullptr;
    }
    // Geometry in twips: bounds in the space of another clip (null: the stage), points
    // between this clip's space and the stage's, hit tests against stage points.
    virtual std::optional<QRectF> bounds(ClipBridge* space) {
        (void)space;
        return std::nullopt;
    }
    virtual QPointF localToGlobal(QPointF p) { return p; }
    virtual QPointF globalToLocal(QPointF p) { return p; }
    virtual bool hitTestPoint(QPointF stageTwips, bool shape) {
        (void)stageTwips;
        (void)shape;
        return false;
    }
    virtual bool hitTestObject(ClipBridge* other) {
        (void)other;
        return false;
    }
    virtual void setMask(ClipBridge* mask) { (void)mask; }
    // The colour transform: red, green, blue and alpha multipliers, then their offsets in
    // 0..255 units.
    using ColorValues = std::array<double, 8>;
    virtual ColorValues colorTransform() const { return {1, 1, 1, 1, 0, 0, 0, 0}; }
    virtual void setColorTransform(const ColorValues& cx) { (void)cx; }
    // The matrix in the parent's pixels, and the one to the stage's pixels.
    virtual QTransform matrix() const { return {}; }
    virtual void setMatrix(const QTransform& m) { (void)m; }
    virtual QTransform concatenatedMatrix() const { return {}; }
    // The filters drawn over it, in order (MovieClip.filters).
    virtual void setFilters(std::vector<Filter> filters) { (void)filters; }
    // How it is drawn over what lies beneath, as the numbers of the SWF blend modes (1 normal
    // .. 14 hard light); whether its picture is cached; the colour filled beneath it; the part
    // of it shown, in its own pixels.
    virtual int blendMode() const { return 1; }
    virtual void setBlendMode(int mode) { (void)mode; }
    virtual bool cacheAsBitmap() const { return false; }
    virtual void setCacheAsBitmap(bool on) { (void)on; }
    virtual std::optional<QRgb> opaqueBackground() const { return std::nullopt; }
    virtual void setOpaqueBackground(std::optional<QRgb> rgb) { (void)rgb; }
    virtual std::optional<QRectF> scrollRect() const { return std::nullopt; }
    virtual void setScrollRect(std::optional<QRectF> r) { (void)r; }
    virtual double bytesLoaded() const { return 0; }
    virtual double bytesTotal() const { return 0; }

    // The drawing API, in twips of the clip's space.
    struct LineStyle {
        double width = 0;
        QColor color;
        bool pixelHinting = false;
        QString scaleMode;
        QString caps;
        QString joints;
        double miterLimit = 3;
    };
    struct GradientFill {
        bool radial = false;
        std::vector<std::pair<int, QColor>> stops; // ratio 0..255, colour
        QTransform matrix;
        int spread = 0;
        int interpolation = 0;
        double focalPoint = 0;
    };
    virtual void lineStyle(std::optional<LineStyle> style) { (void)style; }
    virtual void beginFill(QColor color) { (void)color; }
    virtual void beginGradientFill(const GradientFill& fill) { (void)fill; }
    virtual void moveTo(double x, double y) {
        (void)x;
        (void)y;
    }
    virtual void lineTo(double x, double y) {
        (void)x;
        (void)y;
    }
    virtual void curveTo(double cx, double cy, double x, double y) {
        (void)cx;
        (void)cy;
        (void)x;
        (void)y;
    }
    virtual void endFill() {}
    virtual void clearDrawing() {}

    // Video objects placed on a timeline show the stream script attaches (null detaches);
    // their width, height, smoothing and deblocking are named properties as a text field's.
    virtual bool isVideo() const { return false; }
    virtual void attachVideo(std::shared_ptr<AttachedVideo> source) { (void)source; }
    virtual void clearVideo() {}

    virtual void toggleQuality() {}
    virtual void stopSounds() {}
    // getURL and loadMovie/loadVariables; target is "_level3", a window name or a clip path.
    // Loads a movie into this clip (an empty url unloads it); done hears how it ended once
    // the movie is in place, on a later frame.
    using LoadDone = std::function<void(bool ok, double bytes)>;
    virtual void loadClip(const QString& url, LoadDone done) {
        (void)url;
        (void)done;
    }
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
    // The object with the keyboard focus (Selection), or null; setting null clears it.
    virtual ClipBridge* focus() { return nullptr; }
    virtual bool setFocus(ClipBridge* object) {
        (void)object;
        return false;
    }
    // Loads a movie into _levelN, made if needed.
    virtual void loadLevel(int n, const QString& url, ClipBridge::LoadDone done) {
        (void)n;
        (void)url;
        (void)done;
    }

    // What Key, Mouse and Stage report; the defaults describe a movie nobody touches.
    virtual bool isKeyDown(int keyCode) const {
        (void)keyCode;
        return false;
    }
    virtual int lastKeyCode() const { return 0; }
    virtual int lastAscii() const { return 0; }
    virtual void setMouseHidden(bool hidden) { (void)hidden; }
    // The stage's size in pixels.
    virtual QRectF stageRect() const { return QRectF(0, 0, 550, 400); }
    virtual void fsCommand(const QString& command, const QString& args) {
        (void)command;
        (void)args;
    }
};

} // namespace swf::avm1
