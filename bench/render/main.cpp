// Drawing speed of the movie engine.
//
//   bench_render [--loops N] [--only NAME] [--size WxH] [--corpus MOVIE.swf]
//
// For each movie at 800x600 and 1920x1080 it prints milliseconds per frame, cold (the first
// loop through the movie with a new player, before anything the renderer keeps between frames
// exists) and warm (the best later loop), each also as a ratio to a full-stage solid fill drawn
// the same way, through the player. Times are processor time of the whole process, helper
// threads included, so each figure is what one core does.
//
// Movies: the rotating shapes movie in this folder (300 curved shapes, half with gradients,
// made by swfgen.py shapes OUT.swf 800 600 60 300), 20 rotating smoothed 256x256 bitmaps,
// sprites nested six deep each with a mask, 50 objects with blur and glow filters, a stack
// of blend modes, and a real movie of the shared corpus.

#include "swf/Player.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "tests/support/SwfWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QtMath>
#include <cstdio>
#include <ctime>
#include <vector>

using testsupport::BitWriter;
using testsupport::FillSpec;
using testsupport::LineSpec;
using testsupport::PlaceSpec;
using testsupport::ShapeSpec;
using testsupport::SwfWriter;

namespace {

constexpr int kW = 800, kH = 600;

// A blob with curved sides, a gradient or solid fill and an outline.
ShapeSpec blob(int i) {
    ShapeSpec s;
    const QColor c = QColor::fromHsv((i * 37) % 360, 200, 230);
    if (i % 3 == 0)
        s.fills = {FillSpec::radial(QRect(-30, -30, 60, 60), {{0, Qt::white}, {255, c}})};
    else if (i % 3 == 1)
        s.fills = {FillSpec::linear(QRect(-30, -30, 60, 60), {{0, c}, {255, Qt::black}})};
    else
        s.fills = {FillSpec::solid(c)};
    s.lines = {LineSpec{40, Qt::black}};
    const int r = 200 + (i % 5) * 50; // twips: 10 to 20 pixels
    s.style(0, 1, 1).moveTo(-r, 0);
    const int n = 8;
    for (int k = 1; k <= n; ++k) {
        const double a0 = 2 * M_PI * (k - 0.5) / n, a1 = 2 * M_PI * k / n;
        const double rc = (k % 2 ? 1.4 : 0.8) * r;
        s.curveTo(qRound(-rc * std::cos(a0)), qRound(-rc * std::sin(a0)), qRound(-r * std::cos(a1)),
                  qRound(-r * std::sin(a1)));
    }
    return s;
}

PlaceSpec placement(int depth, uint16_t id, int frame, const QTransform& m) {
    PlaceSpec p;
    p.depth = static_cast<uint16_t>(depth);
    if (frame == 0)
        p.characterId = id;
    else
        p.move = true;
    p.matrix = m;
    return p;
}

// A full-stage rectangle moved one pixel a frame: what every other figure is divided by.
QByteArray solidFill(int frames) {
    SwfWriter w(kW, kH, 30);
    w.defineRectShape(1, QRect(0, 0, kW, kH), QColor(30, 90, 160));
    for (int f = 0; f < frames; ++f) {
        w.placeObject(placement(1, 1, f, QTransform::fromTranslate((f % 2) * 20.0, 0)));
        w.showFrame();
    }
    return w.finish();
}

QByteArray bitmaps(int frames) {
    SwfWriter w(kW, kH, 30);
    const int count = 20, side = 256;
    for (int i = 0; i < count; ++i) {
        QImage img(side, side, QImage::Format_ARGB32);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                img.setPixel(x, y,
                             qRgba((x * 3 + i * 40) & 255, (y * 2 + i * 11) & 255, (x ^ y) & 255,
                                   (x / 16 + y / 16) % 5 == 0 ? 160 : 255));
        const auto bid = static_cast<uint16_t>(1000 + i);
        w.defineBitsLossless(bid, img, 2, 5);
        ShapeSpec s;
        s.fills = {FillSpec::bitmap(bid, 0x41, -side / 2, -side / 2, 1)};
        s.rect(QRect(-side / 2, -side / 2, side, side), 1);
        w.defineShape(static_cast<uint16_t>(i + 1), s, 3);
    }
    for (int f = 0; f < frames; ++f) {
        for (int i = 0; i < count; ++i) {
            QTransform m;
            m.translate(((i * 131 + f * 3) % kW) * 20.0, ((i * 71 + f) % kH) * 20.0);
            m.rotate(f * 2.0 + i * 17);
            m.scale(0.6 + (i % 3) * 0.3, 0.6 + (i % 3) * 0.3);
            w.placeObject(placement(i + 1, static_cast<uint16_t>(i + 1), f, m));
        }
        w.showFrame();
    }
    return w.finish();
}

QByteArray nestedMasks(int frames) {
    SwfWriter w(kW, kH, 30);
    for (int i = 0; i < 4; ++i)
        w.defineShape(static_cast<uint16_t>(i + 1), blob(i * 7), 3);
    w.defineRectShape(10, QRect(-60, -60, 120, 120), Qt::black); // mask
    // Each level: a mask over three children, one of them the level below, turning.
    uint16_t below = 1;
    const int levels = 6;
    for (int level = 0; level < levels; ++level) {
        SwfWriter inner(kW, kH, 30);
        const int spriteFrames = 24;
        for (int f = 0; f < spriteFrames; ++f) {
            QTransform mm;
            mm.scale(1.5 + 0.3 * std::sin(f * M_PI / 12), 1.5);
            PlaceSpec mask = placement(1, 10, f, mm);
            mask.clipDepth = 10;
            inner.placeObject(mask);
            for (int c = 0; c < 3; ++c) {
                QTransform m;
                m.translate((c - 1) * 900.0, 0);
                m.rotate(f * 15.0 + c * 40);
                m.scale(0.7, 0.7);
                inner.placeObject(placement(
                    2 + c, c == 0 ? below : static_cast<uint16_t>(2 + (c + level) % 3), f, m));
            }
            inner.showFrame();
        }
        const auto id = static_cast<uint16_t>(100 + level);
        w.defineSprite(id, inner);
        below = id;
    }
    for (int f = 0; f < frames; ++f) {
        for (int i = 0; i < 6; ++i) {
            QTransform m;
            m.translate((130 + (i % 3) * 270) * 20.0, (150 + (i / 3) * 300) * 20.0 + f * 10);
            m.scale(1.2, 1.2);
            w.placeObject(placement(i + 1, below, f, m));
        }
        w.showFrame();
    }
    return w.finish();
}

void fixed16(BitWriter& w, double v) {
    w.u32(static_cast<uint32_t>(static_cast<int32_t>(v * 65536)));
}

QByteArray blurAndGlow(int i) {
    BitWriter w;
    w.u8(2);
    w.u8(1); // blur
    fixed16(w, 4 + i % 5);
    fixed16(w, 4 + i % 3);
    w.u8(static_cast<uint8_t>((1 + i % 3) << 3));
    w.u8(2); // glow
    w.rgba(QColor::fromHsv((i * 53) % 360, 255, 255, 200));
    fixed16(w, 6);
    fixed16(w, 6);
    w.u16(256 * 2);                       // strength 2
    w.u8(static_cast<uint8_t>(0x20 | 2)); // composite source, two passes
    return w.data();
}

QByteArray filtered(int frames) {
    SwfWriter w(kW, kH, 30);
    w.setBackgroundColor(QColor(40, 40, 60));
    for (int i = 0; i < 4; ++i)
        w.defineShape(static_cast<uint16_t>(i + 1), blob(i * 5 + 1), 3);
    const int count = 50;
    for (int f = 0; f < frames; ++f) {
        for (int i = 0; i < count; ++i) {
            QTransform m;
            m.translate((40 + (i % 10) * 75 + (f * (1 + i % 3)) % 40) * 20.0,
                        (60 + (i / 10) * 110) * 20.0);
            m.rotate(f * 4.0 + i * 9);
            m.scale(1.5, 1.5);
            PlaceSpec p = placement(i + 1, static_cast<uint16_t>(1 + i % 4), f, m);
            if (f == 0)
                p.filters = blurAndGlow(i);
            w.placeObject(p);
        }
        w.showFrame();
    }
    return w.finish();
}

// Sprites of overlapping shapes, each blended onto what lies below in another mode.
QByteArray blendStack(int frames) {
    SwfWriter w(kW, kH, 30);
    w.setBackgroundColor(QColor(120, 140, 160));
    for (int i = 0; i < 4; ++i)
        w.defineShape(static_cast<uint16_t>(i + 1), blob(i * 3 + 2), 3);
    w.defineRectShape(5, QRect(0, 0, 400, 300), QColor(200, 60, 40));
    SwfWriter inner(kW, kH, 30);
    for (int c = 0; c < 6; ++c)
        inner.placeObject(
            placement(c + 1, static_cast<uint16_t>(1 + c % 4), 0,
                      QTransform::fromTranslate(c * 500.0, (c % 2) * 400.0).scale(2, 2)));
    inner.showFrame();
    w.defineSprite(50, inner);
    const int modes[] = {3, 4, 5, 6, 7, 8, 9, 10, 13, 14, 2, 3};
    const int count = 12;
    for (int f = 0; f < frames; ++f) {
        if (f == 0)
            w.placeObject(placement(1, 5, 0, QTransform::fromTranslate(4000, 3000)));
        for (int i = 0; i < count; ++i) {
            QTransform m;
            m.translate((60 + (i % 4) * 180 + f % 30) * 20.0, (80 + (i / 4) * 180) * 20.0);
            m.rotate(f * 2.0 + i * 30);
            PlaceSpec p = placement(i + 2, 50, f, m);
            if (f == 0)
                p.blendMode = modes[i];
            w.placeObject(p);
        }
        w.showFrame();
    }
    return w.finish();
}

// Processor time of the whole process, helper threads included: the work one core does.
double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Timing {
    double cold = -1; // first time round the loop with a new player
    double warm = -1; // best later loop, with what the renderer keeps in place
};

Timing renderMs(const QByteArray& file, QSize size, int loops) {
    auto movie = swf::loadMovie(file);
    if (!movie)
        return {};
    swf::Player player(movie.value());
    player.setLoop(true);
    const int frames = std::max(1, player.totalFrames());
    // At least a second's worth of frames per loop, so single-frame movies time well too.
    const int perLoop = frames * std::max(1, (60 + frames - 1) / frames);
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    Timing timing;
    for (int loop = 0; loop < std::max(2, loops); ++loop) {
        const double start = cpuMs();
        for (int i = 0; i < perLoop; ++i) {
            QPainter p(&img);
            player.render(p, QRectF(QPointF(0, 0), QSizeF(size)), {});
            p.end();
            player.tick();
        }
        const double ms = (cpuMs() - start) / perLoop;
        if (loop == 0)
            timing.cold = ms;
        else
            timing.warm = timing.warm < 0 ? ms : std::min(timing.warm, ms);
    }
    return timing;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const char* name, const QString& fallback) {
        const auto at = args.indexOf(QString::fromLatin1(name));
        return at > 0 && at + 1 < args.size() ? args[at + 1] : fallback;
    };
    const int loops = std::max(2, option("--loops", "4").toInt());
    const QString only = option("--only", {});
    const QString here = QStringLiteral(BENCH_RENDER_DIR);
    const QString corpus = option("--corpus", QStringLiteral(BENCH_CORPUS_MOVIE));

    const struct {
        const char* name;
        QByteArray file;
    } movies[] = {{"rotating-shapes", readFile(here + "/rotating-shapes.swf")},
                  {"bitmaps", bitmaps(60)},
                  {"nested-masks", nestedMasks(60)},
                  {"filters", filtered(60)},
                  {"blend-stack", blendStack(60)},
                  {"corpus", readFile(corpus)}};
    const QByteArray solid = solidFill(60);
    std::vector<QSize> sizes{QSize(800, 600), QSize(1920, 1080)};
    if (const QStringList wh = option("--size", {}).split('x'); wh.size() == 2) {
        const QSize asked(wh[0].toInt(), wh[1].toInt());
        if (asked.width() > 0 && asked.height() > 0 && asked.width() <= 8192 &&
            asked.height() <= 8192)
            sizes = {asked};
    }
    for (QSize size : sizes) {
        const Timing base = renderMs(solid, size, loops);
        std::printf("%dx%d  solid fill: cold %.3f ms, warm %.3f ms per frame\n", size.width(),
                    size.height(), base.cold, base.warm);
        for (const auto& m : movies) {
            if (!only.isEmpty() && only != QLatin1String(m.name))
                continue;
            if (m.file.isEmpty()) {
                std::printf("  %-16s (movie not found)\n", m.name);
                continue;
            }
            const Timing t = renderMs(m.file, size, loops);
            std::printf("  %-16s cold %8.3f ms (x%6.1f)   warm %8.3f ms (x%6.1f)\n", m.name, t.cold,
                        t.cold / base.warm, t.warm, t.warm / base.warm);
        }
    }
    return 0;
}
