#pragma once

// The script machine's view of one node of the display tree. It lives in the node's script
// slot, so it goes when the node goes; the host tells the machine first.

#include "swf/avm1/ClipBridge.h"
#include "swf/display/DisplayObject.h"

namespace swf::avm1 {

class Avm1Host;

class DisplayClip final : public ScriptSlot, public ClipBridge {
public:
    DisplayClip(DisplayObject& object, Avm1Host& host) : object_(object), host_(host) {}
    ~DisplayClip() override;

    // The bridge of object, made on first use.
    static DisplayClip* of(DisplayObject& object, Avm1Host& host);
    DisplayObject& object() const { return object_; }

    QString name() const override;
    ClipBridge* parent() override;
    bool lockRoot() const override { return lockRoot_; }
    void setLockRoot(bool lock) override { lockRoot_ = lock; }
    ClipBridge* childByName(const QString& name, bool caseSensitive) override;
    int level() const override;
    bool isMovieClip() const override;
    bool isTextField() const override;
    bool textProperty(Vm& vm, const QString& name, Value& out) override;
    bool setTextProperty(Vm& vm, const QString& name, const Value& v) override;
    int swfVersion() const override;

    bool isVideo() const override;
    void attachVideo(std::shared_ptr<AttachedVideo> source) override;
    void clearVideo() override;

    void play() override;
    void stop() override;
    void stopSounds() override;
    void toggleQuality() override;
    void gotoFrame(int frame, bool play) override;
    int frameForLabel(const QString& label) const override;
    int currentFrame() const override;
    int totalFrames() const override;
    int framesLoaded() const override;
    std::vector<QByteArray> frameActions(int frame) const override;

    Value property(int index) const override;
    void setProperty(int index, const Value& v) override;
    void setName(const QString& name) override;

    ClipBridge* duplicate(const QString& name, int depth) override;
    void remove() override;
    void startDrag(bool lockCenter, const double* rect) override;
    void stopDrag() override;
    void getUrl(const QString& url, const QString& target, int method, bool loadTarget,
                bool loadVariables) override;

    int depth() const override;
    bool swapDepths(int depth) override;
    bool swapDepthsWith(ClipBridge* other) override;
    int nextHighestDepth() const override;
    ClipBridge* attachMovie(const QString& exportName, const QString& name, int depth) override;
    ClipBridge* createEmptyMovieClip(const QString& name, int depth) override;
    ClipBridge* createTextField(const QString& name, int depth, QRectF pixels) override;
    std::optional<QRectF> bounds(ClipBridge* space) override;
    QPointF localToGlobal(QPointF p) override;
    QPointF globalToLocal(QPointF p) override;
    bool hitTestPoint(QPointF stageTwips, bool shape) override;
    bool hitTestObject(ClipBridge* other) override;
    void setMask(ClipBridge* mask) override;
    void loadClip(const QString& url, LoadDone done) override;
    ColorValues colorTransform() const override;
    void setColorTransform(const ColorValues& cx) override;
    QTransform matrix() const override;
    void setMatrix(const QTransform& m) override;
    QTransform concatenatedMatrix() const override;
    void setFilters(std::vector<Filter> filters) override;
    int blendMode() const override;
    void setBlendMode(int mode) override;
    bool cacheAsBitmap() const override;
    void setCacheAsBitmap(bool on) override;
    std::optional<QRgb> opaqueBackground() const override;
    void setOpaqueBackground(std::optional<QRgb> rgb) override;
    std::optional<QRectF> scrollRect() const override;
    void setScrollRect(std::optional<QRectF> r) override;
    double bytesLoaded() const override;
    double bytesTotal() const override;

    void lineStyle(std::optional<LineStyle> style) override;
    void beginFill(QColor color) override;
    void beginGradientFill(const GradientFill& fill) override;
    void moveTo(double x, double y) override;
    void lineTo(double x, double y) override;
    void curveTo(double cx, double cy, double x, double y) override;
    void endFill() override;
    void clearDrawing() override;

private:
    MovieClip* clip() const { return object_.asMovieClip(); }
    ClipBridge* bridge(DisplayObject* o) const;

    DisplayObject& object_;
    Avm1Host& host_;
    double focusRect_ = 1;
    bool lockRoot_ = false;
    double soundBufTime_ = 5;
};

} // namespace swf::avm1
