// Writes the player's sample movie: five seconds of a few shapes crossing the stage, so a new
// user sees the frame counter count up.

#include "tests/support/SwfWriter.h"

#include <QFile>
#include <cmath>
#include <cstdio>

using testsupport::SwfWriter;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makesample OUT.swf\n");
        return 2;
    }
    constexpr int kWidth = 480, kHeight = 320, kFrames = 120;
    SwfWriter w(kWidth, kHeight, 24);
    w.setBackgroundColor(QColor(0x1e, 0x2a, 0x3a));
    w.defineRectShape(1, QRect(0, 0, 60, 60), QColor(0xf2, 0xa6, 0x2b), 3, 40,
                      QColor(255, 255, 255));
    w.defineRectShape(2, QRect(0, 0, 40, 40), QColor(0x4f, 0xc3, 0xa1), 3);
    w.defineRectShape(3, QRect(0, 0, kWidth, 24), QColor(0x2e, 0x3d, 0x52));
    w.defineRectShape(4, QRect(0, 0, 8, 24), QColor(0xe8, 0x5d, 0x75));
    w.placeObject2(1, 3, 0, kHeight - 24);
    for (int i = 0; i < kFrames; ++i) {
        const double t = static_cast<double>(i) / (kFrames - 1);
        const int x1 = static_cast<int>((kWidth - 60) * t);
        const int y1 = static_cast<int>(80 + 60 * std::sin(t * 6.283));
        const int x2 = static_cast<int>((kWidth - 40) * (1.0 - t));
        const int y2 = static_cast<int>(180 + 40 * std::cos(t * 12.566));
        const int bar = static_cast<int>((kWidth - 8) * t);
        if (i == 0) {
            w.placeObject2(2, 1, x1, y1);
            w.placeObject2(3, 2, x2, y2);
            w.placeObject2(4, 4, bar, kHeight - 24);
        } else {
            w.moveObject2(2, x1, y1);
            w.moveObject2(3, x2, y2);
            w.moveObject2(4, bar, kHeight - 24);
        }
        w.showFrame();
    }
    const QByteArray movie = w.finish(testsupport::Compression::Zlib);
    QFile f(QString::fromLocal8Bit(argv[1]));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(movie) != movie.size()) {
        std::fprintf(stderr, "makesample: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
