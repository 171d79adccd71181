#pragma once

// Draws a running display list with QPainter: shapes from their cached paths, bitmaps, sprites
// with their own lists, masks, colour transforms and blend modes. Nothing is decoded here but
// the picture a video placement shows, once per frame it shows, so the same frame can be
// painted into any number of painters.

#include "swf/format/Types.h"
#include "swf/render/CachedPictures.h"
#include "swf/render/RenderQuality.h"
#include "swf/render/ShapePictureCache.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

namespace swf {

class Movie;
class MovieClip;
class Stage;
class BitmapCharacter;
class DisplayObject;
class ShapeCharacter;
struct BuiltLayer;
struct FillStyle;

class Renderer {
public:
    Renderer();
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // twipsToDevice maps the movie's coordinates (twips) onto the painter's logical
    // coordinates; whatever transform the painter already has stays underneath.
    // Every level of the stage, _level0 first.
    void render(QPainter& painter, const Stage& stage, const QTransform& twipsToDevice,
                RenderQuality quality) const;
    // Antialiased is high quality, otherwise low.
    void render(QPainter& painter, const Stage& stage, const QTransform& twipsToDevice,
                bool antialias) const {
        render(painter, stage, twipsToDevice, antialias ? RenderQuality::High : RenderQuality::Low);
    }

    // How many pictures of objects drawn as bitmaps have been made so far: each one made
    // again counts anew.
    std::size_t cachedPicturesDrawn() const { return cachedPictures_.drawn(); }

private:
    struct Context;
    struct NineSlice;
    static std::optional<NineSlice> nineSliceFor(const MovieClip& clip, const QTransform& toDevice);
    // Shapes of a sprite with a scaling grid, their outlines mapped through the grid.
    void drawSliced(Context& ctx, QPainter& painter, const std::vector<BuiltLayer>& layers,
                    const QTransform& shapeToSprite, const ColorTransform& cx) const;
    void renderHere(QPainter& painter, const Stage& stage, const QTransform& twipsToDevice,
                    RenderQuality quality) const;
    void drawChildren(Context& ctx, QPainter& painter,
                      const std::map<int, std::shared_ptr<DisplayObject>>& children,
                      const QTransform& matrix, const ColorTransform& cx, int nesting) const;
    void drawObject(Context& ctx, QPainter& painter, const DisplayObject& obj,
                    const QTransform& matrix, const ColorTransform& cx, int nesting) const;
    void drawMasked(Context& ctx, QPainter& painter, const DisplayObject& obj,
                    const QTransform& matrix, const ColorTransform& cx, int nesting) const;
    // Draws obj into a picture of its own, puts its filters on it and blends it in.
    void drawFiltered(Context& ctx, QPainter& painter, const DisplayObject& obj,
                      const QTransform& matrix, const ColorTransform& cx, int nesting) const;
    // Draws obj from its kept picture (cacheAsBitmap), making the picture when what it shows
    // changed; false when obj cannot be kept as a picture and must be drawn as usual.
    bool drawCached(Context& ctx, QPainter& painter, const DisplayObject& obj,
                    const QTransform& matrix, const ColorTransform& cx, int nesting) const;
    // Puts a finished picture of obj down at a device pixel with obj's blend mode.
    static void putPicture(QPainter& painter, QImage picture, QPoint at, BlendMode blend);
    // What obj itself draws, without its scroll rectangle or background.
    void drawOwn(Context& ctx, QPainter& painter, const DisplayObject& obj,
                 const QTransform& matrix, const ColorTransform& cx, int nesting) const;
    void drawContent(Context& ctx, QPainter& painter, const DisplayObject& obj,
                     const QTransform& matrix, const ColorTransform& cx, int nesting) const;
    void drawLayers(Context& ctx, QPainter& painter, const std::vector<BuiltLayer>& layers,
                    const QTransform& matrix, const ColorTransform& cx) const;
    void drawBuiltLayer(Context& ctx, QPainter& painter, const BuiltLayer& layer,
                        const QTransform& matrix, const ColorTransform& cx) const;
    // A clipped bitmap fill whose shape is the bitmap's rectangle, drawn as an image; false
    // when the fill is anything else.
    bool drawBitmapRect(Context& ctx, QPainter& painter, const QPainterPath& path,
                        const FillStyle& style, const QTransform& matrix,
                        const ColorTransform& cx) const;
    QBrush brushFor(Context& ctx, const FillStyle& fill, const ColorTransform& cx) const;
    QImage transformedImage(const BitmapCharacter& bitmap, const ColorTransform& cx,
                            bool padded = false) const;
    // The outline of what obj would draw, in device coordinates, for use as a mask.
    void collectMask(Context& ctx, const DisplayObject& obj, const QTransform& matrix,
                     QPainterPath& out, int nesting) const;

    // Colour-transformed copies of bitmaps, kept between frames.
    using ImageKey = std::tuple<const BitmapCharacter*, std::array<float, 8>, bool>;
    mutable std::map<ImageKey, QImage> imageCache_;
    mutable std::size_t imageCacheBytes_ = 0;

    mutable ShapePictureCache shapePictures_;
    mutable CachedPictures cachedPictures_;
};

} // namespace swf
