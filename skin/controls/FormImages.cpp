#include "skin/controls/FormImages.h"

#include <QPainter>
#include <QPainterPath>

namespace skin::formimages {

namespace {

// Every glyph is drawn on a 16 x 16 grid and scaled, so that all sizes share one design.
void drawGlyph(QPainter& p, const QString& name) {
    if (name == QLatin1String("SE_FORM_CLOSE")) {
        QPen pen = p.pen();
        pen.setWidthF(2.0);
        pen.setCapStyle(Qt::SquareCap);
        p.setPen(pen);
        p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
        p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
    } else if (name == QLatin1String("SE_FORM_MINIMIZE")) {
        p.fillRect(QRectF(4, 11, 8, 2), p.pen().color());
    } else if (name == QLatin1String("SE_FORM_MAXIMIZE")) {
        p.fillRect(QRectF(3, 3, 10, 2), p.pen().color());
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
    } else if (name == QLatin1String("SE_FORM_RESTORE")) {
        p.fillRect(QRectF(6, 2, 8, 2), p.pen().color());
        p.drawPolyline(QPolygonF({QPointF(6.5, 4), QPointF(6.5, 2.5), QPointF(13.5, 2.5),
                                  QPointF(13.5, 9.5), QPointF(11, 9.5)}));
        p.fillRect(QRectF(2, 6, 9, 2), p.pen().color());
        p.drawRect(QRectF(2.5, 6.5, 8, 7));
    } else if (name == QLatin1String("SE_FORM_ROLLUP")) {
        p.fillRect(QRectF(3, 3, 10, 2), p.pen().color());
        QPainterPath arrow;
        arrow.moveTo(8, 6);
        arrow.lineTo(13, 12);
        arrow.lineTo(3, 12);
        arrow.closeSubpath();
        p.fillPath(arrow, p.pen().color());
    } else if (name == QLatin1String("SE_FORM_TRAY")) {
        p.drawRect(QRectF(2.5, 9.5, 11, 4));
        p.fillRect(QRectF(9, 11, 3, 1), p.pen().color());
        QPainterPath arrow;
        arrow.moveTo(8, 8);
        arrow.lineTo(11.5, 4);
        arrow.lineTo(4.5, 4);
        arrow.closeSubpath();
        p.fillPath(arrow, p.pen().color());
    }
}

} // namespace

const QList<QString>& systemMenuImageNames() {
    static const QList<QString> names = {
        QStringLiteral("SE_FORM_CLOSE"),    QStringLiteral("SE_FORM_MINIMIZE"),
        QStringLiteral("SE_FORM_MAXIMIZE"), QStringLiteral("SE_FORM_RESTORE"),
        QStringLiteral("SE_FORM_ROLLUP"),   QStringLiteral("SE_FORM_TRAY")};
    return names;
}

QImage image(const QString& name, QColor colour, int size) {
    if (size <= 0 || !systemMenuImageNames().contains(name))
        return {};
    QImage out(size, size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing, size != 16);
    p.scale(size / 16.0, size / 16.0);
    p.setPen(QPen(colour, 1.0));
    p.setBrush(Qt::NoBrush);
    drawGlyph(p, name);
    return out;
}

QList<QPixmap> systemMenuImages() {
    QList<QPixmap> list;
    for (const QString& name : systemMenuImageNames())
        list.append(QPixmap::fromImage(image(name)));
    return list;
}

} // namespace skin::formimages
