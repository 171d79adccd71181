#pragma once

// The picture both video benches encode: something codecs have to work for, a slowly turning
// gradient, moving discs and a grid.

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <cmath>

namespace benchmedia {

inline QImage scene(int frame, int width, int height, int rate) {
    QImage img(width, height, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, width, height);
    const double t = frame / double(rate);
    g.setColorAt(0, QColor::fromHsvF(std::fmod(t * 0.1, 1.0), 0.6, 0.9));
    g.setColorAt(1, QColor::fromHsvF(std::fmod(t * 0.1 + 0.5, 1.0), 0.6, 0.5));
    p.fillRect(img.rect(), g);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 12; ++i) {
        const double a = t * (0.5 + i * 0.1) + i;
        const QPointF c(width / 2 + std::cos(a) * (100 + i * 15),
                        height / 2 + std::sin(a * 1.3) * (80 + i * 10));
        QRadialGradient r(c, 40);
        r.setColorAt(0, Qt::white);
        r.setColorAt(1, QColor::fromHsv((i * 30) % 360, 255, 200));
        p.setBrush(r);
        p.setPen(Qt::NoPen);
        p.drawEllipse(c, 40, 40);
    }
    p.setPen(QColor(0, 0, 0, 80));
    for (int x = 0; x < width; x += 32)
        p.drawLine(x, 0, x, height);
    return img;
}

} // namespace benchmedia
