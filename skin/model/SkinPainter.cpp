#include "skin/model/SkinPainter.h"

namespace skin::paint {

namespace {

// Rectangle from exclusive edges, empty when they cross.
QRect edges(int l, int t, int r, int b) {
    return r > l && b > t ? QRect(l, t, r - l, b - t) : QRect();
}

} // namespace

void drawTiled(QPainter& painter, const TSeBitmap& bitmap, QRect src, QRect dst, TscTileStyle style,
               bool masked) {
    src = src.intersected(QRect(0, 0, bitmap.width(), bitmap.height()));
    if (src.isEmpty() || dst.isEmpty())
        return;
    const QImage& image = bitmap.image(masked);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setClipRect(dst, Qt::IntersectClip);
    switch (style) {
    case TscTileStyle::tsStretch:
        painter.drawImage(dst, image, src);
        break;
    case TscTileStyle::tsCenter: {
        const QPoint at(dst.left() + (dst.width() - src.width()) / 2,
                        dst.top() + (dst.height() - src.height()) / 2);
        painter.drawImage(at, image, src);
        break;
    }
    case TscTileStyle::tsTile:
        if (src.width() >= dst.width() && src.height() >= dst.height()) {
            painter.drawImage(dst.topLeft(), image, src);
        } else {
            // A texture brush repeats from the origin, which puts the first tile at the
            // destination's top-left corner; far cheaper than one call per tile.
            painter.setBrushOrigin(dst.topLeft());
            painter.fillRect(dst, QBrush(image.copy(src)));
        }
        break;
    }
    painter.restore();
}

void drawNinePart(QPainter& painter, const TSeBitmapLink& link, QRect dst, const NinePart& n) {
    const TSeBitmap& bmp = *link.image;
    const QRect s = link.rect();
    const int W = dst.width(), H = dst.height();
    const int x = dst.left(), y = dst.top();
    if (n.left == 0 && n.right == 0 && n.top == 0 && n.bottom == 0) {
        drawTiled(painter, bmp, s, dst, n.tile, n.masked);
        return;
    }
    painter.save();
    painter.setClipRect(dst, Qt::IntersectClip);
    const int sl = s.left(), st = s.top(), sr = s.left() + s.width(), sb = s.top() + s.height();
    const int l = n.left, r = n.right, t = n.top, b = n.bottom;
    auto part = [&](QRect src, QRect d, TscTileStyle style, bool masked) {
        if (!src.isEmpty() && !d.isEmpty())
            drawTiled(painter, bmp, src, d.translated(x, y), style, masked);
    };
    part(edges(sl + l, st + t, sr - r, sb - b), edges(l, t, W - r, H - b), n.tile, n.masked);
    part(edges(sl + l, st, sr - r, st + t), edges(l, 0, W - r, t), n.borderTile, n.maskedBorder);
    part(edges(sl + l, sb - b, sr - r, sb), edges(l, H - b, W - r, H), n.borderTile,
         n.maskedBorder);
    part(edges(sl, st + t, sl + l, sb - b), edges(0, t, l, H - b), n.borderTile, n.maskedBorder);
    part(edges(sr - r, st + t, sr, sb - b), edges(W - r, t, W, H - b), n.borderTile,
         n.maskedBorder);
    auto corner = [&](QRect src, QPoint at) {
        if (!src.isEmpty())
            drawTiled(painter, bmp, src, QRect(at + QPoint(x, y), src.size()), TscTileStyle::tsTile,
                      n.maskedAngles);
    };
    corner(edges(sl, st, sl + l, st + t), QPoint(0, 0));
    corner(edges(sr - r, st, sr, st + t), QPoint(W - r, 0));
    corner(edges(sl, sb - b, sl + l, sb), QPoint(0, H - b));
    corner(edges(sr - r, sb - b, sr, sb), QPoint(W - r, H - b));
    painter.restore();
}

} // namespace skin::paint
