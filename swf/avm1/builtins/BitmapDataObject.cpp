#include "swf/avm1/builtins/BitmapDataObject.h"

#include <cmath>

namespace swf::avm1::builtins {

uint32_t BitmapDataObject::pixel32(int x, int y) const {
    if (!valid() || x < 0 || y < 0 || x >= image->width() || y >= image->height())
        return 0;
    const QRgb p = reinterpret_cast<const QRgb*>(image->constScanLine(y))[x];
    return qUnpremultiply(p);
}

void BitmapDataObject::setPixel32(int x, int y, uint32_t argb) {
    if (!valid() || x < 0 || y < 0 || x >= image->width() || y >= image->height())
        return;
    if (!transparent)
        argb |= 0xFF000000u;
    reinterpret_cast<QRgb*>(image->scanLine(y))[x] = qPremultiply(argb);
}

bool BitmapDataObject::sizeAllowed(int swfVersion, double w, double h) {
    if (!(w >= 1) || !(h >= 1))
        return false;
    // Flash 8 allows 2880 on a side; Flash 10 allows 8191 on a side and 16,777,215 pixels.
    if (swfVersion >= 10)
        return w <= 8191 && h <= 8191 && w * h <= 16777215;
    return w <= 2880 && h <= 2880;
}

} // namespace swf::avm1::builtins
