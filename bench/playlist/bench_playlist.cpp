// Times saving and loading playlists of 1,000 and 10,000 entries through the same commands
// the main window uses, with the presence test run for every loaded entry, and the
// presence test on its own against a full list.
//
// Usage: bench_playlist [entries...]   (default: 1000 10000)

#include "playlist/FileDialog.h"
#include "playlist/PlaylistCommands.h"
#include "playlist/PlaylistEntry.h"
#include "playlist/PlaylistHost.h"
#include "playlist/TDropFilelistbox1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

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

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
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
    return 0;
}
