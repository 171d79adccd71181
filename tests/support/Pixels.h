#pragma once

#include <QImage>
#include <QRgb>

namespace testsupport {

// A colour without its alpha, for comparing grabbed pixels with expected colours.
inline QRgb rgb(QRgb c) {
    return c & 0xFFFFFF;
}

// How many pixels two pictures of one size differ in; -1 when their sizes differ.
inline int differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

} // namespace testsupport
