#pragma once

// What a clip's drawing API (lineStyle, beginFill, moveTo, lineTo, curveTo, endFill, clear)
// has drawn: kept as edges with their styles, the way the file keeps a shape, and built into
// the same painter paths the renderer draws shapes from. Drawn beneath the clip's children.

#include "swf/format/ShapeBuilder.h"
#include "swf/format/Styles.h"

#include <QImage>
#include <QRectF>
#include <memory>
#include <optional>
#include <vector>

namespace swf {

// The point (twips) lies on a fill or a stroke of the layers; hairlines count a pixel wide.
// Shapes, morphs and script drawings are all hit-tested this way.
bool layersContain(const std::vector<BuiltLayer>& layers, QPointF p);

class Drawing {
public:
    // Coordinates are twips in the clip's space. Widths are twips; 0 is a hairline.
    struct Line {
        double width = 0;
        QColor color = Qt::black; // alpha included
        bool pixelHinting = false;
        // "normal", "none", "vertical", "horizontal"
        bool scaleHorizontally = true;
        bool scaleVertically = true;
        Qt::PenCapStyle caps = Qt::RoundCap;
        Qt::PenJoinStyle joints = Qt::RoundJoin;
        double miterLimit = 3;
    };
    enum class GradientType { Linear, Radial };

    // lineStyle(); nullopt (lineStyle with no thickness) draws no line from here on.
    void lineStyle(std::optional<Line> line);
    // lineGradientStyle: the current line takes a gradient instead of its colour.
    void lineGradientStyle(GradientType type, const Gradient& gradient, const QTransform& matrix);
    void beginFill(QColor color);
    // matrix is script's own, in pixels: it maps the gradient box (-819.2..819.2) onto the
    // clip (what createGradientBox makes).
    void beginGradientFill(GradientType type, const Gradient& gradient, const QTransform& matrix);
    // A BitmapData's pixels: the image is shared, so later changes to it show. matrix maps
    // the image's pixels onto the clip's pixels, as script gives it.
    void beginBitmapFill(std::shared_ptr<const QImage> image, const QTransform& matrix, bool repeat,
                         bool smooth);
    void moveTo(double x, double y);
    void lineTo(double x, double y);
    void curveTo(double cx, double cy, double x, double y);
    // Closes the open fill back to where it started and stops filling.
    void endFill();
    void clear();

    bool empty() const { return layers_.empty() && current_.edges.empty(); }
    QPointF pen() const { return pen_; }
    // The built paths; rebuilt on the first call after a change.
    const std::vector<BuiltLayer>& built() const;
    // Images of bitmap fills by their index in a layer's fills (bitmapId is that index + 1).
    const std::vector<std::shared_ptr<const QImage>>& images() const { return images_; }
    // Everything drawn, lines included, in twips.
    QRectF bounds() const;
    bool contains(QPointF twips) const;
    // Stops counting edges past this: a script drawing in a loop cannot take all memory.
    static constexpr std::size_t kMaxEdges = 1'000'000;

private:
    void closeFill();
    void addEdge(const ShapeEdge& edge);

    std::vector<EdgeLayer> layers_;
    EdgeLayer current_;
    std::vector<std::shared_ptr<const QImage>> images_;
    std::optional<FillStyle> fill_;
    std::optional<LineStyle> line_;
    uint32_t fillIndex_ = 0; // 1-based in current_.fills
    uint32_t lineIndex_ = 0;
    QPointF pen_;
    QPointF fillStart_;
    bool fillOpen_ = false;
    std::size_t edgeCount_ = 0;
    mutable bool dirty_ = false;
    mutable std::vector<BuiltLayer> built_;
};

} // namespace swf
