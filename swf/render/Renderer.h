#pragma once

// Draws a running display list with QPainter: shapes from their cached paths, bitmaps, sprites
// with their own lists, masks, colour transforms and blend modes. Nothing is decoded here, so
// the same frame can be painted into any number of painters.

#include "swf/format/Types.h"
#include "swf/render/ShapePictureCache.h"

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
struct PlacedObject;
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
    void drawObject(Context& ctx, QPainter& painter, const PlacedObject& obj,
                    const QTransform& matrix, const ColorTransform& cx, int nesting) const;
    void drawLayers(Context& ctx, QPainter& painter, const std::vector<BuiltLayer>& layers,
                    const QTransform& matrix, const ColorTransform& cx) const;
    void drawBuiltLayer(Context& ctx, QPainter& painter, const BuiltLayer& layer,
                        const QTransform& matrix, const ColorTransform& cx) const;
    QBrush brushFor(Context& ctx, const FillStyle& fill, const ColorTransform& cx) const;
    QImage transformedImage(const BitmapCharacter& bitmap, const ColorTransform& cx,
                            bool padded = false) const;
    // The outline of what obj would draw, in device coordinates, for use as a mask.
    void collectMask(Context& ctx, const PlacedObject& obj, const QTransform& matrix,
                     QPainterPath& out, int nesting) const;

    // Colour-transformed copies of bitmaps, kept between frames.
    using ImageKey = std::tuple<const BitmapCharacter*, std::array<float, 8>, bool>;
    mutable std::map<ImageKey, QImage> imageCache_;
    mutable std::size_t imageCacheBytes_ = 0;

    mutable ShapePictureCache shapePictures_;
};

} // namespace swf
