// Times saving and loading playlists of 1,000 and 10,000 entries through the same commands
// the main window uses, with the presence test run for every loaded entry, and the
// presence test on its own against a full list. Then loads lists of 100,000 entries of
// awkward shapes (tiny entries, one huge line among short ones, entries that all lie inside
// an earlier huge line, random lengths, repeated entries) and paints a box holding a line of
// a megabyte.
//
// Usage: bench_playlist [entries...]   (default: 1000 10000, then the shapes)
//        bench_playlist shapes [NAME-PART]   (only the shapes whose name holds NAME-PART)

#include "playlist/FileDialog.h"
#include "playlist/PlaylistCommands.h"
#include "playlist/PlaylistEntry.h"
#include "playlist/PlaylistHost.h"
#include "playlist/TDropFilelistbox1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

class NoWindow : public playlist::PlaylistHost {
public:
    void playMovie(const QString&, QThread::Priority) override {}
    void setPlaylistTimerEnabled(bool) override {}
    void relayout() override {}
    void downloadMovie() override {}
    void showError(const QString&) override {}
};

double millis(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// On a shared machine the wall-clock time says as much about the neighbours as about us;
// the process's CPU time is printed beside it.
double cpuMillis() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

void run(int entries, const QString& dir, bool report) {
    playlist::TDropFilelistbox1 box;
    box.resize(167, 300);
    box.setItemHeight(13);
    box.show();
    playlist::TOpenDialog open;
    playlist::TSaveDialog save;
    NoWindow host;
    playlist::PlaylistCommands commands(box, open, save, host);

    // Realistic entries: file entries with Chinese folder names of typical length.
    for (int i = 0; i < entries; ++i) {
        box.addLine(playlist::PlaylistEntry::fileEntry(
            QStringLiteral("/home/user/动画/合集 %1/第%2集 movie.swf").arg(i / 100).arg(i)));
    }
    const QString path = dir + QStringLiteral("/list-%1.ini").arg(entries);

    QElapsedTimer t;
    t.start();
    commands.SavePlayList(path);
    const double saveMs = millis(t);

    t.restart();
    commands.LoadPlayList(path);
    QApplication::processEvents(); // the box lays out and paints the new lines
    const double loadMs = millis(t);
    if (box.lineCount() != entries)
        std::fprintf(stderr, "loaded %d of %d entries\n", box.lineCount(), entries);

    // The same lines put into an empty box without any presence test, to tell the box's own
    // share of the load time from the presence tests'.
    const QStringList lines = box.lines();
    box.clearLines();
    QApplication::processEvents();
    t.restart();
    for (const QString& line : lines)
        box.addLine(line);
    QApplication::processEvents();
    const double fillMs = millis(t);

    // Worst case for one presence test: a candidate that is not there.
    t.restart();
    const int probes = 1000;
    int found = 0;
    for (int i = 0; i < probes; ++i)
        found +=
            commands.isPresent(QStringLiteral("/home/user/动画/合集 x/第%1集 movie.swf").arg(i));
    const double probeUs = millis(t) * 1000.0 / probes;

    if (!report)
        return;
    std::printf("%6d entries  file %7.1f KiB  save %7.2f ms  load %7.2f ms "
                "(of which filling the box %7.2f ms)  one presence test (absent) %6.1f us%s\n",
                entries, double(QFileInfo(path).size()) / 1024.0, saveMs, loadMs, fillMs, probeUs,
                found ? "  (unexpected hit)" : "");
}

QByteArray listFile(const QList<QByteArray>& values) {
    QByteArray bytes = "[播放列表]\r\n";
    for (qsizetype i = 0; i < values.size(); ++i)
        bytes += QByteArray::number(i) + '=' + values[i] + "\r\n";
    return bytes;
}

QByteArray randomLetters(QRandomGenerator& random, int length) {
    QByteArray text(length, Qt::Uninitialized);
    for (char& c : text)
        c = char('a' + random.bounded(26));
    return text;
}

QString shapeFilter;

void loadShape(const char* name, const QList<QByteArray>& values, const QString& dir) {
    if (!QString::fromUtf8(name).contains(shapeFilter))
        return;
    playlist::TDropFilelistbox1 box;
    box.resize(167, 300);
    box.setItemHeight(13);
    box.show();
    playlist::TOpenDialog open;
    playlist::TSaveDialog save;
    NoWindow host;
    playlist::PlaylistCommands commands(box, open, save, host);
    const QString path = dir + QStringLiteral("/shape.ini");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(listFile(values));
    file.close();

    QElapsedTimer t;
    const double cpuBefore = cpuMillis();
    t.start();
    commands.LoadPlayList(path);
    QApplication::processEvents();
    const double loadMs = millis(t);
    const double cpuMs = cpuMillis() - cpuBefore;
    std::printf("%-52s file %8.1f KiB  load %8.1f ms (CPU %8.1f ms)  %6d lines kept\n", name,
                double(QFileInfo(path).size()) / 1024.0, loadMs, cpuMs, box.lineCount());
}

void runShapes(const QString& dir) {
    constexpr int n = 100'000;
    QRandomGenerator random(2026);
    QList<QByteArray> values;

    for (int i = 0; i < n; ++i)
        values.append(QByteArray::number(1'000'000 + i).right(7));
    loadShape("100,000 entries of 7 bytes", values, dir);

    values.clear();
    for (int i = 0; i < n; ++i)
        values.append(QByteArray::number(i, 36));
    loadShape("100,000 entries of 1 to 4 bytes", values, dir);

    values.clear();
    for (int i = 0; i < n; ++i)
        values.append("/m/entry" + QByteArray::number(i) + ".swf");
    values.insert(n / 2, randomLetters(random, 4 << 20));
    loadShape("one 4 MB line among 100,000 short entries", values, dir);

    values.clear();
    for (int i = 0; i < n; ++i)
        values.append(randomLetters(random, 1 + random.bounded(8)));
    values.insert(n / 2, randomLetters(random, 4 << 20));
    loadShape("one 4 MB line among 100,000 entries of 1-8 letters", values, dir);

    values.clear();
    const QByteArray huge = randomLetters(random, 4 << 20);
    values.append(huge);
    for (int i = 0; i < n; ++i) {
        const int length = 9 + random.bounded(40);
        values.append(huge.mid(random.bounded(huge.size() - length), length));
    }
    loadShape("100,000 entries inside an earlier 4 MB line", values, dir);

    values.clear();
    for (int i = 0; i < n; ++i)
        values.append(randomLetters(random, 1 + random.bounded(300)));
    loadShape("100,000 entries of 1-300 random letters", values, dir);

    values.clear();
    for (int i = 0; i < n; ++i)
        values.append(
            playlist::PlaylistEntry::fileEntry(
                QStringLiteral("/home/user/动画/合集 %1/第%2集.swf").arg(i % 500).arg(i % 50000))
                .toUtf8());
    loadShape("100,000 file entries, each listed twice", values, dir);

    values.clear();
    for (int i = 0; i < 16; ++i)
        values.append(randomLetters(random, 1 << 20));
    loadShape("16 lines of 1 MB", values, dir);
}

// A box showing lines of a megabyte: painting must not lay out whole lines.
void paintHugeLines() {
    playlist::TDropFilelistbox1 box;
    box.resize(167, 300);
    box.setItemHeight(13);
    QRandomGenerator random(5);
    for (int i = 0; i < 20; ++i)
        box.addLine(QString::fromLatin1(randomLetters(random, 1 << 20)));
    box.show();
    QApplication::processEvents();
    QElapsedTimer t;
    t.start();
    constexpr int repaints = 10;
    for (int i = 0; i < repaints; ++i)
        box.viewport()->repaint();
    std::printf("%-52s one repaint %8.2f ms\n", "20 lines of 1 MB in the box",
                millis(t) / repaints);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (argc >= 2 && QByteArray(argv[1]) == "shapes") {
        if (argc >= 3)
            shapeFilter = QString::fromLocal8Bit(argv[2]);
        run(100, dir.path(), false);
        runShapes(dir.path());
        paintHugeLines();
        return 0;
    }
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(QString::fromLocal8Bit(argv[i]).toInt());
    if (sizes.isEmpty())
        sizes = {1000, 10000};
    // A first small round pays for fonts, styles and the first paint, which are no part of
    // loading a list.
    run(100, dir.path(), false);
    for (int n : sizes) {
        if (n > 0)
            run(n, dir.path(), true);
    }
    if (argc == 1) {
        runShapes(dir.path());
        paintHugeLines();
    }
    return 0;
}
