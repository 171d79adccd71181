// skinart OUT_DIR: draws the bitmaps of the default skin as PNG files. Fully transparent
// pixels become the skin's key pixel when packed. Shapes are drawn antialiased against the
// colour they will sit on, and only pixels still exactly that colour are made transparent.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <functional>

namespace {

const QColor kCaption(0x2F, 0x36, 0x41);
const QColor kFrameEdge(0x1E, 0x23, 0x2A);
const QColor kCaptionTop(0x3A, 0x42, 0x4E);
const QColor kClient(0xF5, 0xF6, 0xF8);
const QColor kAccent(0x2F, 0x7B, 0xD8);
const QColor kBorder(0xC3, 0xCA, 0xD3);
const QColor kDisabledBorder(0xD6, 0xDA, 0xDF);
const QColor kDisabledFill(0xF1, 0xF2, 0xF4);
const QColor kBar(0xF7, 0xF8, 0xFA);
const QColor kBarLine(0xDD, 0xE1, 0xE6);
const QColor kStatus(0xEE, 0xF0, 0xF3);

QString outDir;

QImage canvas(int w, int h, QColor fill) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(fill);
    return img;
}

// Pixels of exactly `bg` become transparent.
void keyOut(QImage& img, QColor bg) {
    const QRgb key = bg.rgb();
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if ((line[x] | 0xFF000000u) == key)
                line[x] = 0;
        }
    }
}

void save(const QImage& img, const char* name) {
    const QString path = QDir(outDir).filePath(QString::fromLatin1(name) + ".png");
    if (!img.save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

void roundRect(QPainter& p, QRectF r, qreal radius, QColor border, QColor fillTop,
               QColor fillBottom) {
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, fillTop);
    g.setColorAt(1, fillBottom);
    QPainterPath path;
    path.addRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.fillPath(path, g);
    if (border.isValid()) {
        p.setPen(QPen(border, 1));
        p.drawPath(path);
    }
}

// The window frame: sides with the caption's rounded top corners, caption, bottom.
void drawFrame() {
    // Left: 4 x 40; rows 0-21 belong to the caption, 35-39 to the bottom border.
    for (int side = 0; side < 2; ++side) {
        const int w = side == 0 ? 4 : 5;
        QImage img = canvas(w, 40, kCaption);
        QPainter p(&img);
        const int edgeX = side == 0 ? 0 : w - 1;
        p.fillRect(QRect(edgeX, 0, 1, 40), kFrameEdge);
        p.fillRect(QRect(0, 0, w, 1), kFrameEdge);
        p.fillRect(QRect(side == 0 ? 1 : 0, 1, w - 1, 1), kCaptionTop);
        p.fillRect(QRect(0, 39, w, 1), kFrameEdge);
        p.end();
        // A small radius at the outer top corner.
        const int cx = side == 0 ? 0 : w - 1, dir = side == 0 ? 1 : -1;
        img.setPixel(cx, 0, 0);
        img.setPixel(cx + dir, 0, 0);
        img.setPixel(cx, 1, 0);
        img.setPixelColor(cx + dir, 1, kFrameEdge);
        img.setPixelColor(cx + 2 * dir, 0, kFrameEdge);
        img.setPixelColor(cx, 2, kFrameEdge);
        save(img, side == 0 ? "form_left" : "form_right");
    }
    QImage caption = canvas(16, 22, kCaption);
    {
        QPainter p(&caption);
        p.fillRect(QRect(0, 0, 16, 1), kFrameEdge);
        p.fillRect(QRect(0, 1, 16, 1), kCaptionTop);
    }
    save(caption, "form_caption");
    QImage bottom = canvas(16, 5, kCaption);
    {
        QPainter p(&bottom);
        p.fillRect(QRect(0, 4, 16, 1), kFrameEdge);
    }
    save(bottom, "form_bottom");
}

// Caption buttons, 16 x 16: columns inactive, active, hot, pressed; rows close, maximize,
// restore, minimize, roll up, roll down, tray.
void drawSysButtons() {
    QImage img = canvas(64, 112, kCaption);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int row = 0; row < 7; ++row) {
        for (int col = 0; col < 4; ++col) {
            const QRectF cell(col * 16, row * 16, 16, 16);
            if (col >= 2) {
                QColor bg = col == 2 ? QColor(0x48, 0x52, 0x5F) : QColor(0x58, 0x63, 0x71);
                if (row == 0)
                    bg = col == 2 ? QColor(0xD9, 0x43, 0x4B) : QColor(0xB3, 0x34, 0x3B);
                QPainterPath path;
                path.addRoundedRect(cell.adjusted(0, 0, 0, 0), 3, 3);
                p.fillPath(path, bg);
            }
            const QColor glyph = col == 0   ? QColor(0x86, 0x8F, 0x9B)
                                 : col == 1 ? QColor(0xC9, 0xD0, 0xD8)
                                            : QColor(0xFF, 0xFF, 0xFF);
            QPen pen(glyph, 1.3);
            pen.setCapStyle(Qt::RoundCap);
            pen.setJoinStyle(Qt::MiterJoin);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            const QPointF c = cell.center();
            switch (row) {
            case 0:
                p.drawLine(c + QPointF(-3.5, -3.5), c + QPointF(3.5, 3.5));
                p.drawLine(c + QPointF(-3.5, 3.5), c + QPointF(3.5, -3.5));
                break;
            case 1:
                p.drawRect(QRectF(c + QPointF(-4, -4), QSizeF(8, 8)));
                break;
            case 2:
                p.drawRect(QRectF(c + QPointF(-4, -2), QSizeF(6, 6)));
                p.drawPolyline(
                    QPolygonF({c + QPointF(-2, -2), c + QPointF(-2, -4), c + QPointF(4, -4),
                               c + QPointF(4, 2), c + QPointF(2, 2)}));
                break;
            case 3:
                p.drawLine(c + QPointF(-4, 3), c + QPointF(4, 3));
                break;
            case 4:
                p.drawPolyline(
                    QPolygonF({c + QPointF(-4, 2), c + QPointF(0, -2), c + QPointF(4, 2)}));
                break;
            case 5:
                p.drawPolyline(
                    QPolygonF({c + QPointF(-4, -2), c + QPointF(0, 2), c + QPointF(4, -2)}));
                break;
            case 6:
                p.drawLine(c + QPointF(-4, 4), c + QPointF(4, 4));
                p.drawLine(c + QPointF(0, -4), c + QPointF(0, 1.5));
                p.drawPolyline(
                    QPolygonF({c + QPointF(-3, -1), c + QPointF(0, 2), c + QPointF(3, -1)}));
                break;
            }
        }
    }
    p.end();
    keyOut(img, kCaption);
    save(img, "sysbuttons");
}

void drawBars() {
    QImage menubar = canvas(8, 21, kBar);
    {
        QPainter p(&menubar);
        p.fillRect(QRect(0, 20, 8, 1), kBarLine);
    }
    save(menubar, "menubar");
    QImage toolbar = canvas(8, 30, kBar);
    {
        QPainter p(&toolbar);
        p.fillRect(QRect(0, 29, 8, 1), kBarLine);
    }
    save(toolbar, "toolbar");
    QImage bar = canvas(8, 8, kStatus);
    {
        QPainter p(&bar);
        p.fillRect(QRect(0, 7, 8, 1), kBarLine);
    }
    save(bar, "bar");
    QImage status = canvas(8, 22, kStatus);
    {
        QPainter p(&status);
        p.fillRect(QRect(0, 0, 8, 1), QColor(0xD5, 0xDA, 0xE0));
        p.fillRect(QRect(0, 1, 8, 1), QColor(0xFA, 0xFB, 0xFC));
    }
    save(status, "statusbar");
    // A panel: transparent, with a thin separator at its right edge.
    QImage panel(6, 22, QImage::Format_ARGB32);
    panel.fill(Qt::transparent);
    for (int y = 5; y < 17; ++y) {
        panel.setPixelColor(4, y, QColor(0xC9, 0xCF, 0xD7));
        panel.setPixelColor(5, y, QColor(0xFF, 0xFF, 0xFF));
    }
    save(panel, "statuspanel");
    QImage grip = canvas(12, 12, kStatus);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j <= i; ++j) {
            const int x = 9 - j * 3, y = 9 - (i - j) * 3;
            grip.setPixelColor(x, y, QColor(0xA7, 0xAF, 0xB9));
            grip.setPixelColor(x + 1, y + 1, QColor(0xFF, 0xFF, 0xFF));
        }
    }
    keyOut(grip, kStatus);
    save(grip, "gripper");
    QImage popup = canvas(16, 16, QColor(0xFF, 0xFF, 0xFF));
    {
        QPainter p(&popup);
        p.setPen(QColor(0xC4, 0xCA, 0xD2));
        p.drawRect(QRect(0, 0, 15, 15));
    }
    save(popup, "popup");
    QImage tabframe = canvas(16, 16, QColor(0xFF, 0xFF, 0xFF));
    {
        QPainter p(&tabframe);
        p.setPen(kBorder);
        p.drawRect(QRect(0, 0, 15, 15));
    }
    save(tabframe, "tabframe");
}

struct Look {
    QColor border, top, bottom;
};

// Five faces of 24 x 24 side by side: normal, hot, focused, pressed, disabled.
void drawButtons() {
    const Look faces[5] = {
        {kBorder, QColor(0xFF, 0xFF, 0xFF), QColor(0xF1, 0xF3, 0xF6)},
        {QColor(0x7F, 0xAE, 0xE6), QColor(0xF6, 0xFA, 0xFE), QColor(0xE8, 0xF1, 0xFB)},
        {kAccent, QColor(0xFF, 0xFF, 0xFF), QColor(0xF1, 0xF3, 0xF6)},
        {QColor(0x5F, 0x97, 0xDA), QColor(0xD6, 0xE5, 0xF6), QColor(0xDF, 0xEA, 0xF8)},
        {kDisabledBorder, kDisabledFill, kDisabledFill},
    };
    QImage img = canvas(120, 24, kClient);
    QPainter p(&img);
    for (int i = 0; i < 5; ++i)
        roundRect(p, QRectF(i * 24, 0, 24, 24), 3, faces[i].border, faces[i].top, faces[i].bottom);
    // The focused face gets a soft inner ring.
    p.setPen(QPen(QColor(0xBF, 0xD7, 0xF3), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(48 + 1.5, 1.5, 21, 21), 2, 2);
    p.end();
    save(img, "button");

    const Look flats[5] = {
        {QColor(), kClient, kClient},
        {QColor(0xB9, 0xD1, 0xEE), QColor(0xEA, 0xF2, 0xFC), QColor(0xE3, 0xED, 0xFA)},
        {QColor(0x8D, 0xB5, 0xE6), QColor(0xF2, 0xF7, 0xFD), QColor(0xEA, 0xF2, 0xFC)},
        {QColor(0x8D, 0xB5, 0xE6), QColor(0xD3, 0xE2, 0xF5), QColor(0xD8, 0xE6, 0xF7)},
        {QColor(), kClient, kClient},
    };
    QImage flat = canvas(120, 24, kClient);
    QPainter f(&flat);
    for (int i = 0; i < 5; ++i) {
        if (flats[i].border.isValid())
            roundRect(f, QRectF(i * 24, 0, 24, 24), 3, flats[i].border, flats[i].top,
                      flats[i].bottom);
    }
    f.end();
    keyOut(flat, kClient);
    save(flat, "flatbutton");

    // Tabs, 24 x 24: normal, hot, selected.
    QImage tabs = canvas(72, 24, kClient);
    QPainter t(&tabs);
    t.setRenderHint(QPainter::Antialiasing, true);
    const QColor tabFill[3] = {QColor(0xEC, 0xEE, 0xF1), QColor(0xF4, 0xF7, 0xFB),
                               QColor(0xFF, 0xFF, 0xFF)};
    for (int i = 0; i < 3; ++i) {
        QPainterPath path;
        const QRectF r(i * 24 + 0.5, 0.5, 23, 30);
        path.addRoundedRect(r, 3, 3);
        t.fillPath(path, tabFill[i]);
        t.setPen(kBorder);
        t.drawPath(path);
        if (i == 2)
            t.fillRect(QRectF(i * 24 + 3, 0, 18, 2), kAccent);
    }
    t.setRenderHint(QPainter::Antialiasing, false);
    t.fillRect(QRect(0, 23, 48, 1), kBorder);
    t.end();
    save(tabs, "tab");
}

// 13 x 13 boxes: unchecked normal, hot, pressed, disabled, then the same checked.
void drawChecks(bool radio) {
    QImage img = canvas(104, 13, kClient);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int i = 0; i < 8; ++i) {
        const bool checked = i >= 4;
        const int s = i % 4;
        const QRectF r(i * 13 + 0.5, 0.5, 12, 12);
        QColor border = s == 0 ? QColor(0x9A, 0xA3, 0xAE) : s == 3 ? kDisabledBorder : kAccent;
        QColor fill = s == 2 ? QColor(0xDD, 0xEA, 0xF8) : s == 3 ? kDisabledFill : Qt::white;
        if (checked && s != 3) {
            fill = s == 2 ? QColor(0x25, 0x66, 0xB5) : s == 1 ? QColor(0x45, 0x8D, 0xE3) : kAccent;
            border = fill;
        }
        p.setPen(QPen(border, 1));
        p.setBrush(fill);
        if (radio)
            p.drawEllipse(r);
        else
            p.drawRoundedRect(r, 2.5, 2.5);
        if (checked) {
            const QColor mark = s == 3 ? QColor(0xA0, 0xA6, 0xAE) : Qt::white;
            const QPointF c = r.center();
            if (radio) {
                p.setPen(Qt::NoPen);
                p.setBrush(mark);
                p.drawEllipse(c, 2.6, 2.6);
            } else {
                QPen pen(mark, 1.6);
                pen.setCapStyle(Qt::RoundCap);
                pen.setJoinStyle(Qt::RoundJoin);
                p.setPen(pen);
                p.setBrush(Qt::NoBrush);
                p.drawPolyline(QPolygonF(
                    {c + QPointF(-3.2, 0.2), c + QPointF(-0.8, 2.6), c + QPointF(3.4, -2.2)}));
            }
        }
    }
    p.end();
    keyOut(img, kClient);
    save(img, radio ? "radio" : "check");
}

void drawFields() {
    // Edit frames, 16 x 16: normal, hot, focused, disabled.
    const QColor borders[4] = {kBorder, QColor(0x9D, 0xB9, 0xDD), kAccent, kDisabledBorder};
    QImage edit = canvas(64, 16, kClient);
    QPainter p(&edit);
    for (int i = 0; i < 4; ++i) {
        roundRect(p, QRectF(i * 16, 0, 16, 16), 2, borders[i], i == 3 ? kDisabledFill : Qt::white,
                  i == 3 ? kDisabledFill : Qt::white);
    }
    p.end();
    save(edit, "edit");

    // Combo box drop buttons, 17 x 20: normal, hot, pressed, disabled.
    QImage combo = canvas(68, 20, Qt::white);
    QPainter c(&combo);
    c.setRenderHint(QPainter::Antialiasing, true);
    for (int i = 0; i < 4; ++i) {
        const QRectF cell(i * 17, 0, 17, 20);
        if (i == 1 || i == 2)
            c.fillRect(cell.adjusted(1, 2, -2, -2),
                       i == 1 ? QColor(0xEA, 0xF2, 0xFC) : QColor(0xD3, 0xE2, 0xF5));
        QPen pen(i == 3 ? QColor(0xB4, 0xBA, 0xC2) : QColor(0x4A, 0x52, 0x5C), 1.4);
        pen.setCapStyle(Qt::RoundCap);
        c.setPen(pen);
        const QPointF m = cell.center() + QPointF(-0.5, 0);
        c.drawPolyline(
            QPolygonF({m + QPointF(-3.5, -1.5), m + QPointF(0, 2), m + QPointF(3.5, -1.5)}));
    }
    c.end();
    keyOut(combo, Qt::white);
    save(combo, "combobtn");

    // Spin arrows, 15 x 10: up normal, hot, pressed, disabled; then down.
    QImage spin = canvas(60, 20, Qt::white);
    QPainter s(&spin);
    s.setRenderHint(QPainter::Antialiasing, true);
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 4; ++i) {
            const QRectF cell(i * 15, row * 10, 15, 10);
            QColor bg = i == 1   ? QColor(0xEA, 0xF2, 0xFC)
                        : i == 2 ? QColor(0xD3, 0xE2, 0xF5)
                                 : QColor(0xF4, 0xF5, 0xF7);
            s.setPen(QPen(kBorder, 1));
            s.setBrush(bg);
            s.drawRect(cell.adjusted(0.5, 0.5, -0.5, -0.5));
            QPen pen(i == 3 ? QColor(0xB4, 0xBA, 0xC2) : QColor(0x4A, 0x52, 0x5C), 1.2);
            s.setPen(pen);
            s.setBrush(Qt::NoBrush);
            const QPointF m = cell.center();
            const qreal d = row == 0 ? -1 : 1;
            s.drawPolyline(QPolygonF({m + QPointF(-2.5, -d * 1.2), m + QPointF(0, d * 1.3),
                                      m + QPointF(2.5, -d * 1.2)}));
        }
    }
    s.end();
    save(spin, "spin");

    // Header sections, 16 x 20: normal, hot, pressed.
    QImage header = canvas(48, 20, kClient);
    QPainter h(&header);
    const QColor fills[3] = {QColor(0xF4, 0xF5, 0xF7), QColor(0xEA, 0xF0, 0xF8),
                             QColor(0xDC, 0xE6, 0xF2)};
    for (int i = 0; i < 3; ++i) {
        h.fillRect(QRect(i * 16, 0, 16, 20), fills[i]);
        h.fillRect(QRect(i * 16, 19, 16, 1), kBorder);
        h.fillRect(QRect(i * 16 + 15, 4, 1, 12), QColor(0xD2, 0xD7, 0xDD));
    }
    h.end();
    save(header, "header");

    // Progress: track and bar, 16 x 12 each.
    QImage progress = canvas(32, 12, kClient);
    QPainter g(&progress);
    roundRect(g, QRectF(0, 0, 16, 12), 3, QColor(0xCC, 0xD2, 0xD9), QColor(0xE2, 0xE5, 0xE9),
              QColor(0xEA, 0xEC, 0xEF));
    roundRect(g, QRectF(16, 0, 16, 12), 3, QColor(0x2A, 0x6F, 0xC4), QColor(0x58, 0x9B, 0xEA),
              QColor(0x2F, 0x7B, 0xD8));
    g.end();
    keyOut(progress, kClient);
    save(progress, "progress");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: skinart OUT_DIR\n");
        return 2;
    }
    outDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outDir);
    drawFrame();
    drawSysButtons();
    drawBars();
    drawButtons();
    drawChecks(false);
    drawChecks(true);
    drawFields();
    return 0;
}
