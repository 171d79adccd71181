#pragma once

// The render tests' shared scene: a sprite of a red square at (0, 0) and a blue one at
// (40, 0), both 40 pixels, placed at (10, 10) at depth 1 of a white 100 x 100 movie.

#include "tests/support/SwfWriter.h"

#include <QByteArray>
#include <QColor>
#include <QRect>

inline QByteArray twoSquareSpriteMovie() {
    testsupport::SwfWriter w(100, 100, 12);
    w.setBackgroundColor(Qt::white);
    w.defineRectShape(1, QRect(0, 0, 40, 40), Qt::red);
    w.defineRectShape(2, QRect(40, 0, 40, 40), Qt::blue);
    testsupport::SwfWriter inner(100, 100, 12);
    inner.placeObject2(1, 1);
    inner.placeObject2(2, 2);
    inner.showFrame();
    w.defineSprite(3, inner);
    w.placeObject2(1, 3, 10, 10);
    w.showFrame();
    return w.finish();
}
