// swfrender's trace runs, as a script or corpuscheck would use them, and the host it gives the
// movie.

#include "tests/support/ActionBuilder.h"
#include "tests/support/SwfWriter.h"
#include "tools/swfrender/HeadlessHost.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

using testsupport::ActionBuilder;
using testsupport::SwfWriter;

namespace {

struct ToolRun {
    int exitCode;
    QByteArray out, err;
};

ToolRun run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

// Five frames, each tracing "frame N", on a stage of the given size.
QByteArray fiveTracingFrames(int width = 120, int height = 80) {
    SwfWriter w(width, height, 12, 8);
    w.setBackgroundColor(QColor(0, 0, 255));
    for (int i = 1; i <= 5; ++i) {
        w.doAction(
            ActionBuilder().traceValue(QByteArray("frame ") + QByteArray::number(i)).finish());
        w.showFrame();
    }
    return w.finish();
}

QByteArray readAll(std::FILE* f) {
    std::fflush(f);
    std::rewind(f);
    QByteArray out;
    char buf[256];
    std::size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, static_cast<qsizetype>(n));
    return out;
}

} // namespace

TEST(SwfRenderTrace, StandardOutputCarriesTraceLinesOnly) {
    QTemporaryDir dir;
    const QString movie = write(dir, "t.swf", fiveTracingFrames());
    // Timing figures would otherwise go to standard output; in a trace run they may not.
    ToolRun r = run(SWFRENDER_PATH, {movie, "--frame", "3", "--trace", "--timing"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("ms"));
    if (r.out.isEmpty())
        GTEST_SKIP() << "this build's player runs no scripts yet";
    // Three frames have run: the third frame's script, not the fourth's.
    EXPECT_EQ(r.out, "frame 1\nframe 2\nframe 3\n");
}

TEST(SwfRenderTrace, TraceRunsCanAlsoWriteTheLastPicture) {
    QTemporaryDir dir;
    const QString movie = write(dir, "t.swf", fiveTracingFrames());
    const QString out = dir.filePath("last.png");
    ToolRun r = run(SWFRENDER_PATH, {movie, "--frame", "2", "--trace", "--out", out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QImage img(out);
    ASSERT_EQ(img.size(), QSize(120, 80));
    EXPECT_EQ(img.pixelColor(60, 40), QColor(0, 0, 255));
    EXPECT_FALSE(r.out.contains("png"));
}

TEST(SwfRenderTrace, ABrokenMovieSaysSoOnStandardErrorOnly) {
    QTemporaryDir dir;
    const QString movie = write(dir, "b.swf", QByteArray("FWS\x08\xff\xff\xff\x7f", 8));
    ToolRun r = run(SWFRENDER_PATH, {movie, "--frame", "1", "--trace"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.startsWith("swfrender:"));
}

TEST(SwfRenderTrace, AGiantStageMakesAPictureOfBoundedSize) {
    QTemporaryDir dir;
    const QString movie = write(dir, "big.swf", fiveTracingFrames(30000, 15000));
    const QString out = dir.filePath("big.png");
    ToolRun r = run(SWFRENDER_PATH, {movie, "--frame", "1", "--out", out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QImage img(out);
    // The longer side is brought down to 4096 and the stage keeps its shape.
    EXPECT_EQ(img.size(), QSize(4096, 2048));
    EXPECT_EQ(img.pixelColor(2000, 1000), QColor(0, 0, 255));
    // Asked for, a size is still given as it stands.
    r = run(SWFRENDER_PATH, {movie, "--frame", "1", "--size", "300x100", "--out", out});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(QImage(out).size(), QSize(300, 100));
}

TEST(HeadlessHost, RelativeLoadsResolveBesideTheMovie) {
    QTemporaryDir dir;
    const QString movie = write(dir, "movies/main.swf", "x");
    HeadlessHost host(movie, stdout, stderr);
    const QString base = QDir(dir.filePath("movies")).absolutePath();
    EXPECT_EQ(host.localPath("other.swf"), base + "/other.swf");
    EXPECT_EQ(host.localPath("sub/data.txt?x=1&y=2"), base + "/sub/data.txt");
    EXPECT_EQ(host.localPath("..\\shared\\lib.swf"),
              QDir(dir.path()).absolutePath() + "/shared/lib.swf");
    EXPECT_EQ(host.localPath("/abs/file.swf"), "/abs/file.swf");
    EXPECT_EQ(host.localPath("file:///abs/f.swf"), "/abs/f.swf");
    EXPECT_TRUE(host.localPath("http://example.com/a.swf").isEmpty());
    EXPECT_TRUE(host.localPath("").isEmpty());
}

TEST(HeadlessHost, LoadsReadLocalFilesWithinTheirLimitAndFailOtherwise) {
    QTemporaryDir dir;
    const QString movie = write(dir, "main.swf", "x");
    write(dir, "vars.txt", "a=1&b=2");
    std::FILE* diagnostics = std::tmpfile();
    ASSERT_TRUE(diagnostics);
    HeadlessHost host(movie, stdout, diagnostics);
    struct Outcome {
        int calls = 0;
        bool ok = false;
        QByteArray bytes;
    };
    const auto load = [&](const QString& url, qint64 max) {
        Outcome o;
        host.load(url, max, [&o](bool ok, QByteArray bytes) {
            ++o.calls;
            o.ok = ok;
            o.bytes = std::move(bytes);
        });
        return o;
    };
    Outcome o = load("vars.txt", 100);
    EXPECT_EQ(o.calls, 1);
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.bytes, "a=1&b=2");
    o = load("vars.txt", 7);
    EXPECT_TRUE(o.ok);
    o = load("vars.txt", 6);
    EXPECT_EQ(o.calls, 1);
    EXPECT_FALSE(o.ok);
    o = load("missing.txt", 100);
    EXPECT_EQ(o.calls, 1);
    EXPECT_FALSE(o.ok);
    o = load("https://example.com/vars.txt", 100);
    EXPECT_EQ(o.calls, 1);
    EXPECT_FALSE(o.ok);
    const QByteArray said = readAll(diagnostics);
    EXPECT_TRUE(said.contains("missing.txt"));
    EXPECT_TRUE(said.contains("only local files"));
    std::fclose(diagnostics);
}

TEST(HeadlessHost, TraceLinesAreWrittenWholeInUtf8AndOtherMessagesElsewhere) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(out && err);
    HeadlessHost host("/tmp/m.swf", out, err);
    host.trace(QStringLiteral("hello"));
    host.trace(QString());
    host.trace(QStringLiteral("中文 ünï"));
    host.statusMessage(QStringLiteral("script stopped"));
    host.openUrl(QStringLiteral("http://example.com/"), QStringLiteral("_blank"));
    host.fsCommand(QStringLiteral("quit"), QString());
    EXPECT_EQ(readAll(out), QByteArray("hello\n\n") + QStringLiteral("中文 ünï\n").toUtf8());
    EXPECT_EQ(host.traceLines(), 3);
    const QByteArray said = readAll(err);
    EXPECT_TRUE(said.contains("script stopped"));
    EXPECT_TRUE(said.contains("http://example.com/"));
    EXPECT_TRUE(said.contains("quit"));
    std::fclose(out);
    std::fclose(err);
}
