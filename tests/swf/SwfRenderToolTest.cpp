// The headless renderer run as a program, as a user or a script would.

#include "tests/support/SwfWriter.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode;
    QString out, err;
};

ToolRun swfrender(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(SWFRENDER_PATH), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

} // namespace

TEST(SwfRenderTool, WritesThePictureAfterNFramesAtTheStageSizeOrTheGivenOne) {
    QTemporaryDir dir;
    // A 10-frame movie: the square moves right by 20 px a frame from x = 0.
    const QString movie = write(dir, "m.swf", testsupport::makeMovingSquareMovie(10, 12, 220, 100));
    const QString out = dir.filePath("f3.png");
    ToolRun r = swfrender({movie, "--frame", "3", "--out", out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QImage img(out);
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(220, 100));
    // Frame 3 (the third shown) has the square at x = 40..56.
    EXPECT_EQ(img.pixelColor(48, 50), QColor(0xf0, 0xa0, 0x20));
    EXPECT_EQ(img.pixelColor(30, 50), QColor(0x20, 0x30, 0x50));

    r = swfrender({movie, "--frame", "1", "--size", "440x200", "--out", out});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(QImage(out).size(), QSize(440, 200));
}

TEST(SwfRenderTool, MainTimelineLoopsAndRangesGoToADirectory) {
    QTemporaryDir dir;
    const QString movie = write(dir, "m.swf", testsupport::makeMovingSquareMovie(4, 12, 100, 100));
    const QString outDir = dir.filePath("frames");
    ToolRun r = swfrender({movie, "--frames", "3-6", "--out-dir", outDir, "--timing"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QDir(outDir).entryList(QDir::Files).size(), 4);
    EXPECT_TRUE(r.out.contains("ms"));
    // Frame 5 of a 4-frame movie is its first frame again.
    const QImage f1 = QImage(QDir(outDir).filePath("frame-00005.png"));
    r = swfrender({movie, "--frame", "1", "--out", dir.filePath("one.png")});
    EXPECT_EQ(QImage(dir.filePath("one.png")), f1);
    // A range without an output directory only renders.
    r = swfrender({movie, "--frames", "1-3"});
    EXPECT_EQ(r.exitCode, 0);
}

TEST(SwfRenderTool, BrokenMovieOrBadArgumentsGiveOneLineAndNonZero) {
    QTemporaryDir dir;
    const QString broken = write(dir, "b.swf", QByteArray("GIF89a not a movie"));
    ToolRun r = swfrender({broken, "--frame", "1", "--out", dir.filePath("x.png")});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_EQ(r.err.trimmed().count('\n'), 0) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("x.png")));

    EXPECT_NE(swfrender({dir.filePath("missing.swf"), "--frame", "1"}).exitCode, 0);
    const QString movie = write(dir, "m.swf", testsupport::makeMovingSquareMovie(2));
    EXPECT_NE(swfrender({movie, "--frame", "0"}).exitCode, 0);
    EXPECT_NE(swfrender({movie, "--frames", "5-2"}).exitCode, 0);
    EXPECT_NE(swfrender({movie, "--frame", "1", "--size", "0x10"}).exitCode, 0);
    EXPECT_NE(swfrender({movie}).exitCode, 0);
}

TEST(SwfRenderTool, QualityChoosesHardOrSmoothEdges) {
    QTemporaryDir dir;
    // A black square whose left edge lies half way across pixel column 10.
    testsupport::SwfWriter w(40, 40, 12);
    w.setBackgroundColor(Qt::white);
    w.defineRectShape(1, QRect(0, 0, 20, 20), Qt::black);
    testsupport::PlaceSpec at;
    at.characterId = 1;
    at.matrix = QTransform::fromTranslate(10.5 * 20, 10 * 20);
    w.placeObject(at);
    w.showFrame();
    const QString movie = write(dir, "q.swf", w.finish());
    const auto edge = [&](const QStringList& extra) {
        const QString out = dir.filePath("q.png");
        QFile::remove(out);
        const ToolRun r = swfrender(QStringList{movie, "--frame", "1", "--out", out} + extra);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return qRed(QImage(out).pixel(10, 20));
    };
    const int high = edge({}), low = edge({"--quality", "low"}), best = edge({"--quality", "BEST"});
    EXPECT_GT(high, 60);
    EXPECT_LT(high, 200);
    EXPECT_TRUE(low == 0 || low == 255) << low;
    EXPECT_EQ(best, high);
    for (const char* bad : {"autohigh", "ultra", ""}) {
        const ToolRun r = swfrender({movie, "--frame", "1", "--quality", bad});
        EXPECT_NE(r.exitCode, 0) << bad;
        EXPECT_TRUE(r.err.contains("--quality")) << bad;
    }
}
