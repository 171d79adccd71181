// Leaving the player while a movie that keeps the user-interface thread busy is playing: the
// periodic work stops before the control goes, nothing is reported, and the message loop
// ends with exit code 0.

#include "AppFixture.h"
#include "app/ErrorReport.h"
#include "app/StartUp.h"
#include "flash/ControlAbi.h"
#include "skin/controls/TSeSkinItem.h"

#include <QApplication>
#include <QTimer>

using namespace apptest;

namespace {

// Many large gradient shapes moving every frame at a high rate: each frame costs the
// user-interface thread real time, so timer events queue up behind it.
QByteArray heavyMovie() {
    testsupport::SwfWriter w(800, 600, 60);
    w.setBackgroundColor(QColor(10, 20, 30));
    testsupport::ShapeSpec shape;
    shape.fills = {testsupport::FillSpec::linear(
        QRect(0, 0, 400, 300), {{0, QColor(255, 120, 0)}, {255, QColor(0, 80, 255)}})};
    shape.rect(QRect(0, 0, 400, 300), 1);
    w.defineShape(1, shape);
    constexpr int kObjects = 600;
    for (int frame = 0; frame < 240; ++frame) {
        for (int depth = 1; depth <= kObjects; ++depth) {
            const int x = (depth * 7 + frame * 11) % 400;
            const int y = (depth * 13 + frame * 5) % 300;
            if (frame == 0)
                w.placeObject2(static_cast<uint16_t>(depth), 1, x, y);
            else
                w.moveObject2(static_cast<uint16_t>(depth), x, y);
        }
        w.showFrame();
    }
    return w.finish(testsupport::Compression::Zlib);
}

struct ExitRun {
    int exitCode = -1;
    int reports = 0;
    bool wasPlaying = false;
    bool timersStopped = false;
    size_t boxes = 0;
};

// Starts the player on movie the way main() does, runs `leave` on its window after a while
// and returns how the message loop ended.
ExitRun runAndLeave(const QString& movie, const QString& settings,
                    const std::function<void(app::TForm1&)>& leave) {
    ExitRun run;
    testsupport::ModalDriver driver; // records any box that would open on the way out
    driver.pressKey(Qt::Key_Return);
    app::StartUpOptions options;
    options.arguments = {movie};
    options.settingsFile = settings;
    options.onMainWindow = [&](app::TForm1& form) {
        QObject::connect(&form.errorReport(), &app::ErrorReport::reported, &form,
                         [&] { ++run.reports; });
        QTimer::singleShot(1500, &form, [&] {
            run.wasPlaying = form.Timer1.isActive() && form.ShockwaveFlash1().IsPlaying();
            leave(form);
            run.timersStopped =
                !form.Timer1.isActive() && !form.Timer2.isActive() && !form.Timer5.isActive();
        });
    };
    app::StartUp startUp(std::move(options));
    run.exitCode = startUp.run(*qApp);
    run.boxes = driver.seen().size();
    return run;
}

} // namespace

TEST(Exit, EscapeWhileAHeavyMoviePlaysEndsQuietlyWithCodeZero) {
    testsupport::IsolatedEnvironment env;
    ASSERT_EQ(registerControl(), 0);
    const QString movie = testsupport::writeFile(env.file("heavy.swf"), heavyMovie());
    const ExitRun run = runAndLeave(movie, env.file("Flash.ini"), [](app::TForm1& form) {
        QTest::keyClick(&form, Qt::Key_Escape);
    });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.wasPlaying);
    EXPECT_TRUE(run.timersStopped);
    EXPECT_EQ(run.reports, 0);
    EXPECT_EQ(run.boxes, 0u);
}

TEST(Exit, TheMovieMenusExitRightAfterOpeningAMovieEndsQuietly) {
    testsupport::IsolatedEnvironment env;
    ASSERT_EQ(registerControl(), 0);
    const QString movie = testsupport::writeFile(env.file("heavy.swf"), heavyMovie());
    const ExitRun run = runAndLeave(movie, env.file("Flash.ini"), [&](app::TForm1& form) {
        // A play worker is still under way when the control goes: its remaining steps
        // must not start the timers again.
        form.OpenMovie(movie);
        skin::TSeSkinItem* menu = form.SeSkinPopupMenu1Items;
        menu->Items(menu->Count() - 1)->action()->trigger(); // 退出(Esc)
    });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.timersStopped);
    EXPECT_EQ(run.reports, 0);
    EXPECT_EQ(run.boxes, 0u);
}
