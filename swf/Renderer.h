#pragma once

// Draws a running display list with QPainter: shapes from their cached paths, bitmaps, sprites
// with their own lists, masks, colour transforms and blend modes.

#include "swf/Types.h"

#include <QPainter>
#include <QTransform>

namespace swf {

class Movie;
class TimelineInstance;

class Renderer {
public:
    Renderer();
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // twipsToDevice maps the movie's coordinates (twips) onto the painter's device.
    void render(QPainter& painter, const Movie& movie, const TimelineInstance& root,
                const QTransform& twipsToDevice, bool antialias) const;

private:
    void drawList(QPainter& painter, const TimelineInstance& list, const QTransform& matrix,
                  const ColorTransform& cx, int nesting) const;
};

} // namespace swf
