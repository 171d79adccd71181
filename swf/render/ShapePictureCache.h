#pragma once

// Pictures of shapes, kept between frames. Animation mostly moves things by whole pixels, and
// loops come back to the same placements, so a shape seen twice drawn the same way (scale,
// rotation, colour transform, position within a pixel) is kept as a picture and copied from
// then on. Only shapes that cost more to draw than to copy are kept.

#include "swf/format/Types.h"
#include "swf/render/RenderQuality.h"

#include <QImage>
#include <QPainter>
#include <QTransform>
#include <array>
#include <functional>
#include <map>
#include <tuple>

namespace swf {

class ShapeCharacter;

class ShapePictureCache {
public:
    using DrawPaths = std::function<void(QPainter&, const QTransform&)>;

    // Starts a new drawing of the whole movie; pictures unused for two drawings may go.
    void beginFrame() { ++frame_; }

    // Draws the shape from a kept picture (making one if the shape was seen this way before)
    // and returns true, or returns false when it should be drawn from its paths. drawPaths
    // draws the shape into a painter with a given matrix; it makes the pictures.
    bool draw(QPainter& painter, const ShapeCharacter& shape, const QTransform& matrix,
              const ColorTransform& cx, RenderQuality quality, const DrawPaths& drawPaths);

private:
    using Key = std::tuple<const ShapeCharacter*, std::array<int64_t, 4>, int, int,
                           std::array<float, 8>, RenderQuality>;
    struct Picture {
        QImage image;
        QPoint offset; // of the picture's corner from the whole-pixel position
        uint64_t lastUsed = 0;
    };
    bool makeRoom(std::size_t bytes);

    std::map<Key, Picture> pictures_;
    std::map<Key, int> sightings_;
    std::size_t bytes_ = 0;
    uint64_t frame_ = 0;
};

} // namespace swf
