#pragma once

// A flash.display.BitmapData: its pixels, shared with any clip that shows it so later
// changes show there too. Pixels are kept premultiplied, as Flash keeps them, so reading back
// a translucent pixel gives the values Flash gives.

#include "swf/avm1/Object.h"

#include <QImage>
#include <memory>

namespace swf::avm1::builtins {

class BitmapDataObject : public Object {
public:
    using Object::Object;

    // Null once disposed (or never made, for a size Flash refuses).
    std::shared_ptr<QImage> image;
    bool transparent = true;

    bool valid() const { return image && !image->isNull(); }
    int width() const { return valid() ? image->width() : -1; }
    int height() const { return valid() ? image->height() : -1; }

    // Unpremultiplied ARGB, 0 outside the picture.
    uint32_t pixel32(int x, int y) const;
    void setPixel32(int x, int y, uint32_t argb);
    // The largest size a movie of this version may ask for.
    static bool sizeAllowed(int swfVersion, double w, double h);
};

} // namespace swf::avm1::builtins
