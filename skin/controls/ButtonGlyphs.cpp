#include "skin/controls/ButtonGlyphs.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace skin {
namespace {

constexpr int kSide = 16;

// One 16 x 16 picture in the given ink, drawn into a painter translated to its cell.
void drawPicture(QPainter& p, TBitBtnKind kind, const QColor& ink, const QColor& accent) {
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (kind) {
    case TBitBtnKind::bkOK:
    case TBitBtnKind::bkYes: {
        QPainterPath tick;
        tick.moveTo(3, 8.5);
        tick.lineTo(6.5, 12);
        tick.lineTo(13, 4);
        p.drawPath(tick);
        break;
    }
    case TBitBtnKind::bkCancel:
    case TBitBtnKind::bkNo:
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case TBitBtnKind::bkClose: {
        // A door with its arrow leaving.
        p.setPen(QPen(ink, 1.4));
        p.drawRect(QRectF(2.5, 2.5, 7, 11));
        p.setPen(QPen(accent, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 8), QPointF(14, 8));
        p.drawLine(QPointF(11.5, 5.5), QPointF(14, 8));
        p.drawLine(QPointF(11.5, 10.5), QPointF(14, 8));
        break;
    }
    case TBitBtnKind::bkHelp: {
        p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
        QPainterPath hook;
        hook.moveTo(5, 5.5);
        hook.cubicTo(5, 2, 11, 2, 11, 5.5);
        hook.cubicTo(11, 8, 8, 8, 8, 10.5);
        p.drawPath(hook);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(QPointF(8, 13.5), 1.3, 1.3);
        break;
    }
    case TBitBtnKind::bkAbort:
        // A stop sign.
        p.setPen(QPen(ink, 1.2));
        p.setBrush(accent);
        p.drawPolygon(QPolygonF({{5.5, 2},
                                 {10.5, 2},
                                 {14, 5.5},
                                 {14, 10.5},
                                 {10.5, 14},
                                 {5.5, 14},
                                 {2, 10.5},
                                 {2, 5.5}}));
        p.setPen(QPen(Qt::white, 1.6));
        p.drawLine(QPointF(5.5, 8), QPointF(10.5, 8));
        break;
    case TBitBtnKind::bkRetry: {
        QPainterPath arc;
        arc.arcMoveTo(QRectF(3, 3, 10, 10), 60);
        arc.arcTo(QRectF(3, 3, 10, 10), 60, 270);
        p.drawPath(arc);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPolygon(QPolygonF({{9, 1}, {13.5, 3.5}, {9.5, 6.5}}));
        break;
    }
    case TBitBtnKind::bkIgnore:
        // A step over a bar.
        p.drawLine(QPointF(3, 12), QPointF(13, 12));
        p.setPen(QPen(accent, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(3, 4, 10, 10), 0, 180 * 16);
        p.drawLine(QPointF(13, 9), QPointF(11, 7));
        p.drawLine(QPointF(13, 9), QPointF(14.5, 6.5));
        break;
    case TBitBtnKind::bkAll:
        p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (double dy : {0.0, 5.0}) {
            QPainterPath tick;
            tick.moveTo(2, 5 + dy);
            tick.lineTo(5, 8 + dy);
            tick.lineTo(10, 2 + dy);
            p.drawPath(tick);
        }
        p.drawLine(QPointF(11, 9), QPointF(14, 9));
        p.drawLine(QPointF(11, 13), QPointF(14, 13));
        break;
    case TBitBtnKind::bkCustom:
        break;
    }
}

QColor inkFor(TBitBtnKind kind) {
    switch (kind) {
    case TBitBtnKind::bkOK:
    case TBitBtnKind::bkYes:
    case TBitBtnKind::bkAll:
        return QColor(0x00, 0x80, 0x00);
    case TBitBtnKind::bkCancel:
    case TBitBtnKind::bkNo:
        return QColor(0xC0, 0x00, 0x00);
    case TBitBtnKind::bkHelp:
    case TBitBtnKind::bkRetry:
        return QColor(0x00, 0x40, 0xC0);
    default:
        return QColor(0x40, 0x40, 0x40);
    }
}

QPixmap drawGlyph(TBitBtnKind kind) {
    QImage image(2 * kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const QColor accent =
        kind == TBitBtnKind::bkAbort ? QColor(0xC0, 0x10, 0x10) : QColor(0x00, 0x60, 0xB0);
    drawPicture(p, kind, inkFor(kind), accent);
    // The disabled image: the same picture embossed in grey, as disabled glyphs look.
    p.translate(kSide + 1, 1);
    drawPicture(p, kind, QColor(0xFF, 0xFF, 0xFF), QColor(0xFF, 0xFF, 0xFF));
    p.translate(-1, -1);
    drawPicture(p, kind, QColor(0x80, 0x80, 0x80), QColor(0x80, 0x80, 0x80));
    p.end();
    return QPixmap::fromImage(image);
}

} // namespace

QString buttonGlyphName(TBitBtnKind kind) {
    switch (kind) {
    case TBitBtnKind::bkOK:
        return QStringLiteral("SE_BTN_OK");
    case TBitBtnKind::bkCancel:
        return QStringLiteral("SE_BTN_CANCEL");
    case TBitBtnKind::bkHelp:
        return QStringLiteral("SE_BTN_HELP");
    case TBitBtnKind::bkYes:
        return QStringLiteral("SE_BTN_YES");
    case TBitBtnKind::bkNo:
        return QStringLiteral("SE_BTN_NO");
    case TBitBtnKind::bkClose:
        return QStringLiteral("SE_BTN_CLOSE");
    case TBitBtnKind::bkAbort:
        return QStringLiteral("SE_BTN_ABORT");
    case TBitBtnKind::bkRetry:
        return QStringLiteral("SE_BTN_RETRY");
    case TBitBtnKind::bkIgnore:
        return QStringLiteral("SE_BTN_IGNORE");
    case TBitBtnKind::bkAll:
        return QStringLiteral("SE_BTN_ALL");
    case TBitBtnKind::bkCustom:
        break;
    }
    return {};
}

QPixmap buttonGlyph(TBitBtnKind kind) {
    if (kind == TBitBtnKind::bkCustom)
        return {};
    // Pixmaps belong to the GUI thread; the boxes are only ever built there.
    static QHash<int, QPixmap> made;
    auto it = made.find(int(kind));
    if (it == made.end())
        it = made.insert(int(kind), drawGlyph(kind));
    return *it;
}

} // namespace skin
