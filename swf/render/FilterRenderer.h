#pragma once

// Draws Flash's bitmap filters onto a picture of an object: blurs are box blurs done in
// integer passes along rows and then columns, the way Flash does them (and much faster than
// a Gaussian); shadows, glows and bevels are worked out from the blurred alpha.

#include "swf/format/Filters.h"

#include <QImage>
#include <QPoint>
#include <cstdint>
#include <vector>

namespace swf {

class FilterRenderer {
public:
    // Applies one filter to a premultiplied ARGB32 picture in place. scale is device pixels
    // per stage pixel: blur sizes and distances are given in stage pixels.
    static void apply(QImage& image, const Filter& filter, double scale);

    // One box blur of a plane of bytes: `passes` times along rows with a box `boxX` wide,
    // then along columns with one `boxY` high. A box of 1 or less leaves that direction.
    static void blurPlane(uint8_t* data, int width, int height, int stride, int boxX, int boxY,
                          int passes);

    // The box width Flash uses for a blur size at a scale; 1 means none.
    static int boxFor(double blur, double scale);

    // Device-pixel offset of a shadow or bevel.
    static QPoint offsetFor(const Filter& filter, double scale);
};

} // namespace swf
