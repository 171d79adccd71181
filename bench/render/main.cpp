// Rendering and parsing speed of the movie engine, on one thread.
//
//   bench_render [--loops N] [--only a|b|c]
//
// Times are processor time of the whole process (Qt's painter may hand parts of big fills to
// helper threads; their work counts), so each figure is what one core does. Each movie loops
// (60 frames) N times; the first loop is reported as drawn from scratch, the best later loop
// from the third on as the steady figure, once the pictures the renderer keeps are made.
//
// Renders three generated movies at 800x600 and 1920x1080 and prints frames per second:
// (a) shape-heavy: 150 shapes with curves, gradients and outlines, moving and some turning;
// (b) bitmap-heavy: 40 bitmaps, scaled and rotated; (c) sprites nested six deep, each level
// with a mask and three children. In the same run it times filling the same area with one
// solid colour and prints the ratio of the per-frame render time to that fill. It also prints
// the parse time per MiB of a large movie.

#include "swf/Player.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "tests/support/SwfWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QtMath>
#include <cstdio>
#include <ctime>

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

QByteArray shapeHeavy(int frames) {
    SwfWriter w(kW, kH, 30);
    w.setBackgroundColor(QColor(240, 240, 230));
    const int count = 150;
    for (int i = 0; i < count; ++i)
        w.defineShape(static_cast<uint16_t>(i + 1), blob(i), 3);
    for (int f = 0; f < frames; ++f) {
        for (int i = 0; i < count; ++i) {
            PlaceSpec p;
            p.depth = static_cast<uint16_t>(i + 1);
            if (f == 0)
                p.characterId = static_cast<uint16_t>(i + 1);
            else
                p.move = true;
            const double x = (i * 53 + f * (1 + i % 4)) % kW, y = (i * 97 + f * 2) % kH;
            QTransform m;
            m.translate(x * 20, y * 20);
            if (i % 10 == 0)
                m.rotate(f * 3.0);
            p.matrix = m;
            w.placeObject(p);
        }
        w.showFrame();
    }
    return w.finish();
}

QByteArray bitmapHeavy(int frames) {
    SwfWriter w(kW, kH, 30);
    const int count = 40;
    for (int i = 0; i < count; ++i) {
        QImage img(128, 128, QImage::Format_ARGB32);
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x)
                img.setPixel(
                    x, y,
                    qRgba((x * 2 + i * 10) & 255, (y * 2) & 255, (x ^ y) & 255, i % 2 ? 255 : 200));
        const auto bid = static_cast<uint16_t>(1000 + i);
        if (i % 2)
            w.defineBitsJpeg2(bid, SwfWriter::encodeJpeg(img, 85));
        else
            w.defineBitsLossless(bid, img, 2, 5);
        ShapeSpec s;
        s.fills = {FillSpec::bitmap(bid, 0x41, -64, -64, 1)};
        s.rect(QRect(-64, -64, 128, 128), 1);
        w.defineShape(static_cast<uint16_t>(i + 1), s, 3);
    }
    for (int f = 0; f < frames; ++f) {
        for (int i = 0; i < count; ++i) {
            PlaceSpec p;
            p.depth = static_cast<uint16_t>(i + 1);
            if (f == 0)
                p.characterId = static_cast<uint16_t>(i + 1);
            else
                p.move = true;
            QTransform m;
            m.translate(((i * 131 + f * 3) % kW) * 20.0, ((i * 71 + f) % kH) * 20.0);
            if (i % 4 == 0)
                m.rotate(f * 2.0 + i);
            m.scale(1.0 + (i % 3) * 0.3, 1.0 + (i % 3) * 0.3);
            p.matrix = m;
            w.placeObject(p);
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
            PlaceSpec mask;
            mask.depth = 1;
            mask.clipDepth = 10;
            QTransform mm;
            mm.scale(1.5 + 0.3 * std::sin(f * M_PI / 12), 1.5);
            mask.matrix = mm;
            if (f == 0)
                mask.characterId = 10;
            else
                mask.move = true;
            inner.placeObject(mask);
            for (int c = 0; c < 3; ++c) {
                PlaceSpec p;
                p.depth = static_cast<uint16_t>(2 + c);
                if (f == 0)
                    p.characterId = c == 0 ? below : static_cast<uint16_t>(2 + (c + level) % 3);
                else
                    p.move = true;
                QTransform m;
                m.translate((c - 1) * 900.0, 0);
                m.rotate(f * 15.0 + c * 40);
                m.scale(0.7, 0.7);
                p.matrix = m;
                inner.placeObject(p);
            }
            inner.showFrame();
        }
        const auto id = static_cast<uint16_t>(100 + level);
        w.defineSprite(id, inner);
        below = id;
    }
    for (int f = 0; f < frames; ++f) {
        for (int i = 0; i < 6; ++i) {
            PlaceSpec p;
            p.depth = static_cast<uint16_t>(i + 1);
            if (f == 0)
                p.characterId = below;
            else
                p.move = true;
            QTransform m;
            m.translate((130 + (i % 3) * 270) * 20.0, (150 + (i / 3) * 300) * 20.0 + f * 10);
            m.scale(1.2, 1.2);
            p.matrix = m;
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

double fillMs(QSize size) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    const int reps = 300;
    const double start = cpuMs();
    for (int i = 0; i < reps; ++i) {
        QPainter p(&img);
        p.fillRect(QRect(QPoint(0, 0), size), QColor(10 + i % 50, 20, 30));
    }
    return (cpuMs() - start) / reps;
}

struct Timing {
    double cold = -1;   // first time round the loop: everything drawn from paths
    double steady = -1; // third time round: what the renderer keeps between frames is in place
};

Timing renderMs(const QByteArray& file, QSize size, int loops) {
    auto movie = swf::loadMovie(file);
    if (!movie)
        return {};
    swf::Player player(movie.value());
    player.setLoop(true);
    const int frames = player.totalFrames();
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    Timing timing;
    for (int loop = 0; loop < std::max(3, loops); ++loop) {
        const double start = cpuMs();
        for (int i = 0; i < frames; ++i) {
            QPainter p(&img);
            player.render(p, QRectF(QPointF(0, 0), QSizeF(size)), {});
            p.end();
            player.tick();
        }
        const double ms = (cpuMs() - start) / frames;
        if (loop == 0)
            timing.cold = ms;
        else if (loop >= 2)
            timing.steady = loop == 2 ? ms : std::min(timing.steady, ms);
    }
    return timing;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int loops = 4;
    const QStringList args = app.arguments();
    const int at = static_cast<int>(args.indexOf("--loops"));
    if (at > 0 && at + 1 < args.size())
        loops = std::max(3, args[at + 1].toInt());

    const struct {
        const char* name;
        QByteArray file;
    } movies[] = {{"(a) shape-heavy", shapeHeavy(60)},
                  {"(b) bitmap-heavy", bitmapHeavy(60)},
                  {"(c) nested sprites with masks", nestedMasks(60)}};
    const int only = static_cast<int>(args.indexOf("--only"));
    const QString which = only > 0 && only + 1 < args.size() ? args[only + 1] : QString();
    for (QSize size : {QSize(800, 600), QSize(1920, 1080)}) {
        const double fill = fillMs(size);
        std::printf("%dx%d: solid fill %.3f ms\n", size.width(), size.height(), fill);
        for (const auto& m : movies) {
            if (!which.isEmpty() && !QString::fromLatin1(m.name).contains("(" + which + ")"))
                continue;
            const Timing t = renderMs(m.file, size, loops);
            std::printf("  %-30s steady %7.1f fps %8.3f ms/frame ratio %6.1f | first loop %7.1f "
                        "fps %8.3f ms/frame ratio %6.1f\n",
                        m.name, 1000.0 / t.steady, t.steady, t.steady / fill, 1000.0 / t.cold,
                        t.cold, t.cold / fill);
        }
    }

    // Parse speed: a large movie of many frames.
    const QByteArray big = shapeHeavy(600);
    const int reps = 3;
    const double start = cpuMs();
    for (int i = 0; i < reps; ++i) {
        auto r = swf::loadMovie(big);
        if (!r)
            return 1;
    }
    const double ms = (cpuMs() - start) / reps;
    const double mib = big.size() / (1024.0 * 1024.0);
    std::printf("parse: %.2f MiB in %.1f ms = %.1f ms per MiB\n", mib, ms, ms / mib);
    return 0;
}
