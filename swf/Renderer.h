#pragma once

// Draws a running display list with QPainter: shapes from their cached paths, bitmaps, sprites
// with their own lists, masks, colour transforms and blend modes. Nothing is decoded here, so
// the same frame can be painted into any number of painters.

#include "swf/Types.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <map>
#include <tuple>

namespace swf {

class Movie;
class TimelineInstance;
class BitmapCharacter;
class ShapeCharacter;
struct BuiltLayer;
struct DisplayObject;
struct FillStyle;

class Renderer {
public:
    Renderer();
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // twipsToDevice maps the movie's coordinates (twips) onto the painter's logical
    // coordinates; whatever transform the painter already has stays underneath.
    void render(QPainter& painter, const Movie& movie, const TimelineInstance& root,
                const QTransform& twipsToDevice, bool antialias) const;

private:
    struct Context;
    void drawList(Context& ctx, QPainter& painter, const TimelineInstance& list,
                  const QTransform& matrix, const ColorTransform& cx, int nesting) const;
    void drawObject(Context& ctx, QPainter& painter, const DisplayObject& obj,
                    const QTransform& matrix, const ColorTransform& cx, int nesting) const;
    void drawLayers(Context& ctx, QPainter& painter, const std::vector<BuiltLayer>& layers,
                    const QTransform& matrix, const ColorTransform& cx) const;
    void drawBuiltLayer(Context& ctx, QPainter& painter, const BuiltLayer& layer,
                        const QTransform& matrix, const ColorTransform& cx) const;
    QBrush brushFor(Context& ctx, const FillStyle& fill, const ColorTransform& cx) const;
    QImage transformedImage(const BitmapCharacter& bitmap, const ColorTransform& cx,
                            bool padded = false) const;
    // The outline of what obj would draw, in device coordinates, for use as a mask.
    void collectMask(Context& ctx, const DisplayObject& obj, const QTransform& matrix,
                     QPainterPath& out, int nesting) const;

    // Draws a shape from a picture of it made earlier for the same scale, rotation, colour
    // transform and position within a pixel; false when it must be drawn from its paths.
    bool drawCachedShape(Context& ctx, QPainter& painter, const ShapeCharacter& shape,
                         const QTransform& matrix, const ColorTransform& cx) const;

    // Colour-transformed copies of bitmaps, kept between frames.
    using ImageKey = std::tuple<const BitmapCharacter*, std::array<float, 8>, bool>;
    mutable std::map<ImageKey, QImage> imageCache_;
    mutable std::size_t imageCacheBytes_ = 0;

    // Pictures of shapes. Animation mostly moves things whole pixels at a time, and loops
    // come back to the same placements, so a shape seen twice the same way is kept as a
    // picture and copied from then on.
    using ShapeKey = std::tuple<const ShapeCharacter*, std::array<int64_t, 4>, int, int,
                                std::array<float, 8>, bool>;
    struct ShapePicture {
        QImage image;
        QPoint offset;         // of the picture's corner from the whole-pixel position
        uint64_t lastUsed = 0; // render count
    };
    mutable uint64_t renderCount_ = 0;
    mutable std::map<ShapeKey, ShapePicture> shapeCache_;
    mutable std::map<ShapeKey, int> shapeSightings_;
    mutable std::size_t shapeCacheBytes_ = 0;
};

} // namespace swf
