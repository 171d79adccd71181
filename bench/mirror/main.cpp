// What the multi-picture view costs the user-interface thread.
//
//   bench_mirror [--seconds N]
//
// Plays an 800 x 600 movie at 30 frames per second in the main window (the movie panel sized
// so the control is 800 x 600) and measures the processor time of the user-interface thread
// against the wall-clock time, first with the view off, then with it on (three mirror boxes
// repainted every 10 ms from the control's picture), then off again. Runs on whatever
// platform QT_QPA_PLATFORM names (offscreen when unset). Uses a temporary registry and system
// folder, so nothing of the user's own is touched.

#include "app/TForm1.h"
#include "app/ToolsCommands.h"
#include "flash/host/TShockwaveFlash.h"
#include "platform/Process.h"
#include "skin/controls/TSeSkinItem.h"
#include "tests/support/SwfWriter.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <cstdio>
#include <ctime>

namespace {

double threadSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

struct Share {
    double cpu;  // seconds of the UI thread
    double wall; // seconds
    int frames;  // frames the movie advanced
};

Share measure(app::TForm1& form, double seconds) {
    flash::TShockwaveFlash& flash = form.ShockwaveFlash1();
    const int firstFrame = flash.CurrentFrame();
    QElapsedTimer wall;
    const double cpu0 = threadSeconds();
    wall.start();
    while (wall.elapsed() < seconds * 1000)
        QTest::qWait(20);
    const double cpu = threadSeconds() - cpu0;
    const double elapsed = wall.elapsed() / 1000.0;
    int frames = flash.CurrentFrame() - firstFrame;
    if (frames < 0)
        frames += flash.get_TotalFrames();
    return {cpu, elapsed, frames};
}

void print(const char* label, const Share& s) {
    std::printf("%-22s UI thread %5.1f %% of one core  (%.2f s CPU in %.2f s), movie %.1f fps\n",
                label, 100.0 * s.cpu / s.wall, s.cpu, s.wall, s.frames / s.wall);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    double seconds = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--seconds")
            seconds = std::max(0.5, QByteArray(argv[i + 1]).toDouble());

    testsupport::IsolatedEnvironment env;
    const int registered = platform::RunCommandAndWait(
        QStringLiteral("\"%1\" /s \"%2\"").arg(REGSVR32_PATH, SWFLASH_PATH), 0, {});
    if (registered != 0) {
        std::fprintf(stderr, "registering the control failed (%d)\n", registered);
        return 1;
    }
    const QString movie = testsupport::writeFile(
        env.file("bench.swf"), testsupport::makeMovingSquareMovie(3000, 30, 800, 600));

    app::TForm1 form({}, env.file("Flash.ini"));
    form.show();
    // The movie panel around an 800 x 600 control: its border is one pixel.
    const QSize panel = form.Panel1->size();
    form.resize(form.width() + 802 - panel.width(), form.height() + 602 - panel.height());
    form.OpenMovie(movie);
    QElapsedTimer wait;
    wait.start();
    while (!form.Timer2.isActive() && wait.elapsed() < 10000)
        QTest::qWait(10);
    if (!form.Timer2.isActive()) {
        std::fprintf(stderr, "the movie did not start\n");
        return 1;
    }
    QTest::qWait(500);
    const QSize control = form.ShockwaveFlash1().widget()->size();
    std::printf("movie 800x600 at 30 fps, control %dx%d, %.1f s per run, platform %s\n",
                control.width(), control.height(), seconds,
                qPrintable(QGuiApplication::platformName()));

    print("multi-picture off", measure(form, seconds));
    form.CustomItem67->Click();
    const QSize quarter = form.ShockwaveFlash1().widget()->size();
    std::printf("multi-picture on: control and mirrors %dx%d, %lld mirrors\n", quarter.width(),
                quarter.height(), static_cast<long long>(form.tools().mirrors().size()));
    print("multi-picture on", measure(form, seconds));
    form.CustomItem67->Click();
    print("multi-picture off again", measure(form, seconds));
    return 0;
}
