// corpuscheck: runs the engine over the shared corpus of real movies.
//
//   corpuscheck CORPUS_DIR [--kind visual|smoke|trace] [--filter TEXT] [--save DIR]
//   corpuscheck CORPUS_DIR --trace [--filter TEXT] [--list-failures] [--time-limit SECONDS]
//                          [--jobs N] [--swfrender PATH]
//
// Visual tests are rendered after the movie has run the listed number of frames and compared
// with the expected picture: a pixel matches when every channel is within the allowed
// difference (8, or the test's own tolerance when larger), and a test passes when at most 1 %
// of the pixels (or the test's own outlier allowance, when larger) do not match. Every movie of
// every kind must also load and play without crashing or hanging: each runs in a child
// process with a time limit. One line per movie, then the totals. Exits 1 when any movie
// crashed or hung, 77 when the corpus is absent.
//
// --trace runs the trace tests instead: each movie through `swfrender --trace` for its listed
// number of frames, in a child with a time limit, its output compared line by line with the
// expected text. It prints the pass rate and the folders and topics with the most failures;
// --list-failures also names every failing test with its first differing line (as tests end,
// which with --jobs above 1 is not the corpus's order).

#include "swf/Player.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "tools/corpuscheck/TraceCompare.h"
#include "tools/swfrender/HeadlessHost.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int kTimeLimitMs = 20000;
constexpr int kMaxPlayedFrames = 300;

struct Row {
    QString kind, source, movie, expected;
    int frames = 1;
    int tolerance = 0;
    int maxOutliers = 0;
    bool knownFailure = false;
};

// Extra ticks before the picture is taken (--frame-offset): for settling which picture "after
// N frames" means. 0 is the convention swfrender uses.
int gFrameOffset = 0;

// Scripts run as in the player; what they trace is not this program's output, and loads read
// beside the movie.
struct QuietRun {
    explicit QuietRun(const QString& moviePath)
        : nowhere(std::fopen("/dev/null", "w")),
          host(moviePath, nowhere ? nowhere : stderr, stderr) {}
    ~QuietRun() {
        if (nowhere)
            std::fclose(nowhere);
    }
    QuietRun(const QuietRun&) = delete;
    QuietRun& operator=(const QuietRun&) = delete;
    std::FILE* nowhere;
    HeadlessHost host;
};

QImage renderAfter(const std::shared_ptr<swf::Movie>& movie, const QString& path, int frames,
                   QSize size) {
    QuietRun quiet(path);
    swf::Player player(movie, actionScriptMachine(), &quiet.host, path);
    player.setLoop(true);
    for (int i = 1; i < frames + gFrameOffset; ++i)
        player.tick();
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&img);
    player.render(painter, QRectF(QPointF(0, 0), QSizeF(size)), {});
    return img;
}

// Child side: one movie, one result line on stdout.
int runOne(const QString& corpus, const Row& row, const QString& saveDir) {
    const QString moviePath = QFileInfo(QDir(corpus).filePath(row.movie)).absoluteFilePath();
    QFile f(moviePath);
    if (!f.open(QIODevice::ReadOnly)) {
        std::printf("NOFILE\n");
        return 0;
    }
    auto loaded = swf::loadMovie(f.readAll());
    if (!loaded) {
        std::printf("LOADERR %s\n", qPrintable(loaded.error().message));
        return 0;
    }
    const auto movie = loaded.value();
    if (row.kind == "visual") {
        QImage expected(QDir(corpus).filePath(row.expected));
        if (expected.isNull()) {
            std::printf("NOEXPECTED\n");
            return 0;
        }
        expected = expected.convertToFormat(QImage::Format_ARGB32);
        const QImage actual = renderAfter(movie, moviePath, row.frames, expected.size())
                                  .convertToFormat(QImage::Format_ARGB32);
        const int threshold = std::max(8, row.tolerance);
        qint64 outliers = 0;
        for (int y = 0; y < expected.height(); ++y) {
            const auto* e = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
            const auto* a = reinterpret_cast<const QRgb*>(actual.constScanLine(y));
            for (int x = 0; x < expected.width(); ++x) {
                // Expected pictures may carry alpha; compare them over white as shown.
                const QRgb ep = e[x];
                const int ea = qAlpha(ep);
                const int er = (qRed(ep) * ea + 255 * (255 - ea)) / 255;
                const int eg = (qGreen(ep) * ea + 255 * (255 - ea)) / 255;
                const int eb = (qBlue(ep) * ea + 255 * (255 - ea)) / 255;
                if (std::abs(er - qRed(a[x])) > threshold ||
                    std::abs(eg - qGreen(a[x])) > threshold ||
                    std::abs(eb - qBlue(a[x])) > threshold)
                    ++outliers;
            }
        }
        const qint64 total = qint64(expected.width()) * expected.height();
        const qint64 allowed = std::max<qint64>(row.maxOutliers, total / 100);
        if (!saveDir.isEmpty()) {
            const QString base = QString(row.movie).replace('/', '_');
            // Expected on the left, ours on the right.
            QImage both(expected.width() * 2 + 4, expected.height(), QImage::Format_ARGB32);
            both.fill(Qt::magenta);
            QPainter p(&both);
            p.drawImage(0, 0, expected);
            p.drawImage(expected.width() + 4, 0, actual);
            p.end();
            both.save(QDir(saveDir).filePath(base + ".png"));
        }
        std::printf("%s %.2f%%\n", outliers <= allowed ? "PASS" : "FAIL",
                    100.0 * static_cast<double>(total - outliers) / static_cast<double>(total));
        return 0;
    }
    // Smoke and trace movies: play every frame (up to a bound) and draw now and then.
    QuietRun quiet(moviePath);
    swf::Player player(movie, actionScriptMachine(), &quiet.host, moviePath);
    const int frames = std::min(kMaxPlayedFrames, std::max(1, player.totalFrames()));
    const QRectF stage = movie->header().stage;
    const QSize size(std::clamp(qRound(stage.width()), 1, 400),
                     std::clamp(qRound(stage.height()), 1, 300));
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < frames; ++i) {
        if (i % 5 == 0 || i == frames - 1) {
            QPainter painter(&img);
            player.render(painter, QRectF(QPointF(0, 0), QSizeF(size)), {});
        }
        player.tick();
    }
    std::printf("OK %d frames\n", frames);
    return 0;
}

QList<Row> readRows(const QString& corpus) {
    QList<Row> rows;
    QFile f(QDir(corpus).filePath("corpus.tsv"));
    if (!f.open(QIODevice::ReadOnly))
        return rows;
    QTextStream in(&f);
    in.readLine(); // column names
    while (!in.atEnd()) {
        const QStringList c = in.readLine().split('\t');
        if (c.size() < 9)
            continue;
        Row r{c[0], c[1], c[2], c[3], c[4].toInt(), c[5].toInt(), c[6].toInt(), c[8] == "yes"};
        rows.append(r);
    }
    return rows;
}

struct TraceOptions {
    QString swfrender = QStringLiteral(SWFRENDER_PATH);
    QString filter;
    int timeLimitMs = kTimeLimitMs;
    int jobs = 1;
    bool listFailures = false;
};

void printGroups(const char* title, const std::map<QString, std::pair<int, int>>& groups) {
    // (failures, tests) per group, most failures first.
    std::vector<std::pair<QString, std::pair<int, int>>> sorted(groups.begin(), groups.end());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.second.first > b.second.first; });
    std::printf("\n%s with the most failures:\n", title);
    int shown = 0;
    for (const auto& [name, counts] : sorted) {
        if (counts.first == 0 || ++shown > 15)
            break;
        std::printf("  %5d of %5d fail  %s\n", counts.first, counts.second, qPrintable(name));
    }
}

QString shown(const QByteArray& line, bool ended) {
    if (ended)
        return QStringLiteral("(nothing)");
    QString s = QString::fromUtf8(line.left(120));
    return '"' + s + '"';
}

// The verdict on one finished (or killed) child, with the detail worth printing.
QString traceVerdict(QProcess& child, bool timedOut, const QByteArray& expected, QString& detail) {
    if (timedOut)
        return QStringLiteral("TIMEOUT");
    if (child.error() == QProcess::FailedToStart)
        return QStringLiteral("NOSTART");
    if (child.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("CRASH");
    if (child.exitCode() != 0) {
        detail = QString::fromUtf8(child.readAllStandardError()).trimmed().section('\n', 0, 0);
        return QStringLiteral("LOADERR");
    }
    const TraceDiff diff = compareTrace(expected, child.readAllStandardOutput());
    if (diff.same)
        return QStringLiteral("PASS");
    detail =
        QStringLiteral("line %1: expected %2, got %3")
            .arg(diff.line)
            .arg(shown(diff.expected, diff.expectedEnded), shown(diff.actual, diff.actualEnded));
    return QStringLiteral("FAIL");
}

int runTraceTests(const QString& corpus, const TraceOptions& options) {
    if (!QFileInfo(options.swfrender).isExecutable()) {
        std::fprintf(stderr, "corpuscheck: swfrender not found at %s\n",
                     qPrintable(options.swfrender));
        return 2;
    }
    std::map<QString, int> counts;
    std::map<QString, std::pair<int, int>> byFolder, byTopic;
    int total = 0, passed = 0, broken = 0, knownPassed = 0, known = 0;

    const auto record = [&](const Row& row, const QString& status, const QString& detail) {
        ++counts[status];
        const bool pass = status == "PASS";
        if (status == "TIMEOUT" || status == "CRASH")
            ++broken;
        passed += pass;
        if (row.knownFailure) {
            ++known;
            knownPassed += pass;
        }
        auto& folder = byFolder[traceFolder(row.movie)];
        auto& topic = byTopic[traceTopic(row.movie)];
        ++folder.second;
        ++topic.second;
        if (!pass) {
            ++folder.first;
            ++topic.first;
            if (options.listFailures) {
                std::printf("%-7s %s%s\n", qPrintable(status), qPrintable(row.movie),
                            qPrintable(detail.isEmpty() ? QString() : "  " + detail));
                std::fflush(stdout);
            }
        }
    };

    QList<Row> pending;
    for (const Row& row : readRows(corpus))
        if (row.kind == "trace" && (options.filter.isEmpty() || row.movie.contains(options.filter)))
            pending.append(row);
    total = static_cast<int>(pending.size());

    struct Running {
        Row row;
        std::unique_ptr<QProcess> child;
        QElapsedTimer clock;
    };
    std::vector<Running> running;
    qsizetype next = 0;
    while (next < pending.size() || !running.empty()) {
        while (next < pending.size() && static_cast<int>(running.size()) < options.jobs) {
            Running r{pending[next++], std::make_unique<QProcess>(), {}};
            r.child->setProcessChannelMode(QProcess::SeparateChannels);
            r.child->start(options.swfrender,
                           {QDir(corpus).filePath(r.row.movie), "--frame",
                            QString::number(std::max(1, r.row.frames)), "--trace"});
            r.clock.start();
            running.push_back(std::move(r));
        }
        // One child at a time gets a short wait; that also drains its pipes.
        const int slice = std::max(1, 20 / static_cast<int>(running.size()));
        for (auto it = running.begin(); it != running.end();) {
            QProcess& child = *it->child;
            bool done = child.state() == QProcess::NotRunning || child.waitForFinished(slice);
            bool timedOut = false;
            if (!done && it->clock.elapsed() > options.timeLimitMs) {
                child.kill();
                child.waitForFinished();
                done = timedOut = true;
            }
            if (!done) {
                ++it;
                continue;
            }
            QByteArray expected;
            QFile expectedFile(QDir(corpus).filePath(it->row.expected));
            if (expectedFile.open(QIODevice::ReadOnly))
                expected = expectedFile.readAll();
            QString detail;
            const QString status = traceVerdict(child, timedOut, expected, detail);
            record(it->row, status, detail);
            it = running.erase(it);
        }
    }
    std::printf("\ntrace: %d of %d pass (%.1f%%)\n", passed, total,
                total ? 100.0 * passed / total : 0.0);
    if (known)
        std::printf("  of them marked as known failures of their source: %d of %d pass\n",
                    knownPassed, known);
    for (const auto& [status, n] : counts)
        std::printf("  %s: %d\n", qPrintable(status), n);
    printGroups("Folders", byFolder);
    printGroups("Topics", byTopic);
    std::printf("crashed or hung: %d\n", broken);
    return broken > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    // Text in installed fonts needs Qt's font database, which comes with a GUI application;
    // the offscreen platform gives one without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Starting without a session's runtime folder is normal here; its warning would look like
    // an error of ours.
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
                previous(type, context, message);
        });
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() >= 2 && args[0] == "--one") {
        // --one CORPUS KIND MOVIE EXPECTED FRAMES TOLERANCE OUTLIERS [SAVE]
        if (args.size() < 8)
            return 2;
        Row r{args[2],         QString(),       args[3],         args[4],
              args[5].toInt(), args[6].toInt(), args[7].toInt(), false};
        gFrameOffset = args.value(9).toInt();
        return runOne(args[1], r, args.value(8));
    }
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: corpuscheck CORPUS_DIR [--kind K] [--filter TEXT] "
                             "[--save DIR]\n"
                             "       corpuscheck CORPUS_DIR --trace [--filter TEXT] "
                             "[--list-failures] [--time-limit SECONDS] [--jobs N] "
                             "[--swfrender PATH]\n");
        return 2;
    }
    const QString corpus = args.takeFirst();
    QString kind, filter, saveDir;
    bool trace = false;
    TraceOptions traceOptions;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--kind" && i + 1 < args.size())
            kind = args[++i];
        else if (args[i] == "--filter" && i + 1 < args.size())
            filter = args[++i];
        else if (args[i] == "--save" && i + 1 < args.size())
            saveDir = args[++i];
        else if (args[i] == "--frame-offset" && i + 1 < args.size())
            gFrameOffset = args[++i].toInt();
        else if (args[i] == "--trace")
            trace = true;
        else if (args[i] == "--list-failures")
            traceOptions.listFailures = true;
        else if (args[i] == "--time-limit" && i + 1 < args.size())
            traceOptions.timeLimitMs = std::max(1, args[++i].toInt()) * 1000;
        else if (args[i] == "--jobs" && i + 1 < args.size())
            traceOptions.jobs = std::clamp(args[++i].toInt(), 1, 64);
        else if (args[i] == "--swfrender" && i + 1 < args.size())
            traceOptions.swfrender = args[++i];
        else {
            std::fprintf(stderr, "corpuscheck: unknown option %s\n", qPrintable(args[i]));
            return 2;
        }
    }
    if (!QFileInfo(QDir(corpus).filePath("corpus.tsv")).exists()) {
        std::printf("corpus not found at %s: skipped\n", qPrintable(corpus));
        return 77;
    }
    if (trace) {
        traceOptions.filter = filter;
        return runTraceTests(corpus, traceOptions);
    }
    if (!saveDir.isEmpty())
        QDir().mkpath(saveDir);
    std::map<QString, int> counts;
    int visual = 0, visualPass = 0, played = 0, playedOk = 0, broken = 0;
    for (const Row& row : readRows(corpus)) {
        if ((!kind.isEmpty() && row.kind != kind) ||
            (!filter.isEmpty() && !row.movie.contains(filter)))
            continue;
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--one", corpus, row.kind, row.movie, row.expected,
                     QString::number(row.frames), QString::number(row.tolerance),
                     QString::number(row.maxOutliers), saveDir, QString::number(gFrameOffset)});
        QString result;
        if (!child.waitForFinished(kTimeLimitMs)) {
            child.kill();
            child.waitForFinished();
            result = QStringLiteral("TIMEOUT");
        } else if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
            result = QStringLiteral("CRASH");
        } else {
            result = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
        }
        const QString status = result.section(' ', 0, 0);
        ++counts[status];
        const bool hung = status == "TIMEOUT" || status == "CRASH";
        if (hung)
            ++broken;
        if (row.kind == "visual") {
            ++visual;
            if (status == "PASS")
                ++visualPass;
        } else {
            ++played;
            if (status == "OK")
                ++playedOk;
        }
        std::printf("%-7s %-6s %s%s\n", qPrintable(status), qPrintable(row.kind),
                    qPrintable(row.movie),
                    qPrintable(result.section(' ', 1).isEmpty() ? QString()
                                                                : "  " + result.section(' ', 1)));
        std::fflush(stdout);
    }
    std::printf("\nvisual: %d of %d pass (%.1f%%)\n", visualPass, visual,
                visual ? 100.0 * visualPass / visual : 0.0);
    std::printf("smoke and trace: %d of %d loaded and played\n", playedOk, played);
    for (const auto& [status, n] : counts)
        std::printf("  %s: %d\n", qPrintable(status), n);
    std::printf("crashed or hung: %d\n", broken);
    return broken > 0 ? 1 : 0;
}
