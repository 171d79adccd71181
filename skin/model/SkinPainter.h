#pragma once

#include <QPainter>
#include <QRect>

#include "skin/model/SkinTypes.h"
#include "skin/model/TSeBitmap.h"

namespace skin {

// Bitmap drawing shared by the bitmap classes.
namespace paint {

// Draws `src` of the bitmap into `dst` with a tile style. Masked drawing leaves the
// destination unchanged where the source holds the key pixel.
void drawTiled(QPainter& painter, const TSeBitmap& bitmap, QRect src, QRect dst, TscTileStyle style,
               bool masked);

struct NinePart {
    int left{0}, right{0}, top{0}, bottom{0};
    TscTileStyle tile{TscTileStyle::tsTile};
    TscTileStyle borderTile{TscTileStyle::tsTile};
    bool masked{true};
    bool maskedBorder{true};
    bool maskedAngles{true};
};

// Draws the link's rectangle into `dst` as a nine-part image: corners 1:1, edges and centre
// with their tile styles. The link must be usable.
void drawNinePart(QPainter& painter, const TSeBitmapLink& link, QRect dst, const NinePart& how);

} // namespace paint
} // namespace skin
