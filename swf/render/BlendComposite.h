#pragma once

// Puts a drawn layer onto what lies beneath it in one of Flash's blend modes, on premultiplied
// 8-bit values, pixel by pixel. Qt's composition modes are close to these but not the same
// (add and subtract differ in how they treat alpha, invert and subtract have no mode at all),
// and Flash content stacks many blends, so small differences would add up.

#include "swf/format/Types.h"

#include <QImage>
#include <QPoint>
#include <QRgb>

namespace swf {

class BlendComposite {
public:
    // One premultiplied source pixel over one premultiplied destination pixel.
    static QRgb blend(QRgb source, QRgb destination, BlendMode mode);

    // Blends layer (premultiplied ARGB32) onto target with its corner at `at`; in alpha mode
    // the whole layer acts, in the others only what it draws. The target must
    // be premultiplied ARGB32 or RGB32; returns false and leaves it alone otherwise.
    static bool composite(QImage& target, QPoint at, const QImage& layer, BlendMode mode);
};

} // namespace swf
