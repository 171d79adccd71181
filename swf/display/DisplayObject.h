#pragma once

// One node of the display tree: a movie clip (the root included), a shape, a morph, a bitmap,
// a button or a text field. Everything script, input and drawing need of a node lives here:
// its name and place in the tree, its matrix with the decomposition Flash shows to script,
// its colour transform, visibility, bounds and hit tests.
//
// Nodes are held by shared pointers so that the script side can keep weak references: a node
// that leaves the tree stays alive until nothing refers to it, but removed() turns true and it
// no longer takes part in anything.

#include "swf/format/Character.h"
#include "swf/format/Filters.h"
#include "swf/format/Types.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace swf {

class Button;
class Movie;
class MovieClip;
class Stage;
class TextField;

// Whatever the script machine keeps with a node (its object for the node, typically). The
// tree only owns and destroys it.
class ScriptSlot {
public:
    virtual ~ScriptSlot() = default;
};

// Flash's depth numbering: timeline depth d is seen by script as d + kTimelineDepthOffset;
// attachMovie, createEmptyMovieClip and duplicateMovieClip use 0 and up.
inline constexpr int kTimelineDepthOffset = -16384;
// removeMovieClip only removes clips whose depth lies in this range, as Flash does.
inline constexpr int kMinRemovableDepth = 0;
inline constexpr int kMaxRemovableDepth = 2130690044;
// The highest depth script may use for new clips (getNextHighestDepth never goes past it).
inline constexpr int kMaxScriptDepth = 2130706428;

class DisplayObject : public std::enable_shared_from_this<DisplayObject> {
public:
    enum class Type { MovieClip, Shape, MorphShape, Bitmap, Button, Text, Video };

    DisplayObject(Type type, Stage& stage, std::shared_ptr<const Character> character);
    virtual ~DisplayObject();
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;

    Type type() const { return type_; }
    MovieClip* asMovieClip();
    const MovieClip* asMovieClip() const;
    Button* asButton();
    const Button* asButton() const;
    TextField* asTextField();
    Stage& stage() const { return stage_; }
    // The definition it was made from; null for clips made by createEmptyMovieClip, levels
    // and text fields made by script.
    const Character* character() const { return character_.get(); }
    const std::shared_ptr<const Character>& characterShared() const { return character_; }
    // The movie whose dictionary the node's own characters come from (a loaded movie's clips
    // use their own file's). Null only for nodes outside any movie.
    virtual const Movie* movie() const;

    // ---- place in the tree ----
    const QString& name() const { return name_; }
    void setName(const QString& name) { name_ = name; }
    // Null for a level's root, and for the objects a button shows in its states (they are
    // drawn and hit through the button, not found by path).
    MovieClip* parent() const { return parent_; }
    // The depth as script sees it (timeline depths are negative, see kTimelineDepthOffset).
    int depth() const { return depth_; }
    // Left the tree (removed by its timeline or script, or its parent went).
    bool removed() const { return removed_; }
    // The top of its tree: _level0, or the _levelN it lives in.
    MovieClip* level() const;
    // "_level0.a.b" (dot syntax, what _target-style strings of SWF 5+ look like in traces).
    QString targetPath() const;
    // "/a/b" (the _target property); "/" for a level's root.
    QString slashPath() const;
    bool isAncestorOf(const DisplayObject& other) const;

    // ---- placement by the timeline ----
    // Frame of the PlaceObject that created it; -1 for script-made nodes.
    int placedFrame() const { return placedFrame_; }
    // Script created it (attachMovie, duplicate, createEmptyMovieClip, createTextField).
    bool createdByScript() const { return placedFrame_ < 0; }
    // Script changed its position, scale, rotation or matrix: the timeline's moves no longer
    // apply to it, as in Flash.
    bool transformOwnedByScript() const { return scriptTransform_; }
    // The same for the colour transform and alpha.
    bool colorOwnedByScript() const { return scriptColor_; }
    uint16_t ratio() const { return ratio_; }
    void setRatio(uint16_t r) { ratio_ = r; }
    // Non-zero: a timeline mask for the depths above it, up to this depth as the file
    // numbers it (depth() minus kTimelineDepthOffset).
    int clipDepth() const { return clipDepth_; }
    void setClipDepth(int d) { clipDepth_ = d; }
    BlendMode blendMode() const { return blendMode_; }
    void setBlendMode(BlendMode m) { blendMode_ = m; }
    // Filters drawn over what it draws, in order; script sets them through `filters`.
    const std::vector<Filter>& filters() const { return filters_; }
    void setFilters(std::vector<Filter> filters) { filters_ = std::move(filters); }
    bool cacheAsBitmap() const { return cacheAsBitmap_; }
    void setCacheAsBitmap(bool on) { cacheAsBitmap_ = on; }
    // Filled beneath what it draws, over its bounds (`opaqueBackground`).
    const std::optional<QColor>& opaqueBackground() const { return opaqueBackground_; }
    void setOpaqueBackground(std::optional<QColor> c) { opaqueBackground_ = c; }
    // `scrollRect`, in pixels of its own space: only this part is shown, moved to its origin.
    const std::optional<QRectF>& scrollRect() const { return scrollRect_; }
    void setScrollRect(std::optional<QRectF> r) { scrollRect_ = r; }

    // ---- transform, in twips of the parent ----
    const QTransform& matrix() const { return matrix_; }
    // byScript marks the transform as the script's (see transformOwnedByScript).
    void setMatrix(const QTransform& m, bool byScript = true);
    // Script's Transform.matrix: the matrix changes, _xscale, _yscale and _rotation keep
    // reading what they last were, as Flash does.
    void setMatrixKeepingProperties(const QTransform& m);
    // The properties as script reads and writes them: pixels, percent, degrees. Scale and
    // rotation keep what was last written (a negative _xscale reads back negative) until the
    // matrix is replaced.
    double x() const { return matrix_.dx() / 20.0; }
    double y() const { return matrix_.dy() / 20.0; }
    void setX(double px);
    void setY(double px);
    double xScale() const { return xScale_; }
    double yScale() const { return yScale_; }
    double rotation() const { return rotation_; }
    void setXScale(double percent);
    void setYScale(double percent);
    void setRotation(double degrees); // any angle; read back within -180..180
    // Size of the bounds in the parent's space, pixels; setting scales to reach it (a node
    // with no size keeps its scale).
    double width() const;
    double height() const;
    void setWidth(double px);
    void setHeight(double px);
    // Local twips to the stage's twips (through every ancestor up to the level, including
    // the level's own matrix).
    QTransform concatenatedMatrix() const;
    QPointF localToGlobal(QPointF localTwips) const;
    QPointF globalToLocal(QPointF stageTwips) const;

    // ---- colour ----
    const ColorTransform& colorTransform() const { return colorTransform_; }
    void setColorTransform(const ColorTransform& cx, bool byScript = true);
    // _alpha in percent (the alpha multiplier times 100).
    double alpha() const { return colorTransform_.mul[3] * 100.0; }
    void setAlpha(double percent);
    bool visible() const { return visible_; }
    void setVisible(bool on) { visible_ = on; }

    // ---- bounds and hits, twips ----
    // The bounds of what it draws (with its children), in its own space.
    virtual QRectF localBounds() const = 0;
    // Those bounds in the space of another node (null: the stage); getBounds(target).
    QRectF bounds(const DisplayObject* space) const;
    // Bounds in the parent's space (what _width and _height measure).
    QRectF boundsInParent() const;
    // The stage point lies in its bounds (hitTest(x, y, false)).
    bool hitTestBounds(QPointF stageTwips) const;
    // The stage point lies on something it draws (hitTest(x, y, true)); invisible nodes are
    // still tested, as Flash does for shape hit tests.
    bool hitTestShape(QPointF stageTwips) const;
    // The bounding boxes of the two nodes overlap on the stage (hitTest(target)).
    bool hitTestObject(const DisplayObject& other) const;
    // The point, in local twips, is on what this node itself draws.
    virtual bool containsLocalPoint(QPointF localTwips) const = 0;

    // ---- masks set by script ----
    // setMask(mc): this node is drawn only where mask draws; null removes it. The mask is no
    // longer drawn itself while it masks something.
    void setMask(DisplayObject* mask);
    DisplayObject* mask() const;
    // The node this one masks, if any.
    DisplayObject* maskedBy() const;

    // ---- buttons and the mouse ----
    // useHandCursor (buttons and clips acting as buttons); true by default.
    bool useHandCursor() const { return useHandCursor_; }
    void setUseHandCursor(bool on) { useHandCursor_ = on; }
    // enabled; a disabled button or clip takes no mouse events.
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }
    // tabIndex and tabEnabled for keyboard focus order; -1 means unset.
    int tabIndex() const { return tabIndex_; }
    void setTabIndex(int i) { tabIndex_ = i; }
    std::optional<bool> tabEnabled() const { return tabEnabled_; }
    void setTabEnabled(std::optional<bool> on) { tabEnabled_ = on; }

    // ---- the script side's own data ----
    ScriptSlot* scriptSlot() const { return slot_.get(); }
    void setScriptSlot(std::unique_ptr<ScriptSlot> slot) { slot_ = std::move(slot); }

protected:
    friend class Button;
    friend class MovieClip;
    friend class Stage;
    // Called by the tree when the node joins or leaves a parent.
    void attach(MovieClip* parent, int depth);
    void markRemoved();
    virtual void onRemoved() {}
    void setPlacedFrame(int frame) { placedFrame_ = frame; }
    void updateDecomposition();
    void rebuildMatrix();

private:
    Type type_;
    Stage& stage_;
    std::shared_ptr<const Character> character_;
    QString name_;
    MovieClip* parent_ = nullptr;
    int depth_ = 0;
    bool removed_ = false;
    int placedFrame_ = -1;
    bool scriptTransform_ = false;
    bool scriptColor_ = false;
    uint16_t ratio_ = 0;
    int clipDepth_ = 0;
    BlendMode blendMode_ = BlendMode::Normal;
    bool cacheAsBitmap_ = false;
    std::vector<Filter> filters_;
    std::optional<QColor> opaqueBackground_;
    std::optional<QRectF> scrollRect_;
    QTransform matrix_;
    double xScale_ = 100, yScale_ = 100, rotation_ = 0;
    ColorTransform colorTransform_;
    bool visible_ = true;
    std::weak_ptr<DisplayObject> mask_;
    std::weak_ptr<DisplayObject> maskedBy_;
    bool useHandCursor_ = true;
    bool enabled_ = true;
    int tabIndex_ = -1;
    std::optional<bool> tabEnabled_;
    std::unique_ptr<ScriptSlot> slot_;
    bool counted_ = false; // holds one unit of the stage's instance budget
};

} // namespace swf
