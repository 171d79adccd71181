// The application object as main() makes it: its last net for errors that no window's own
// report caught, and its word about a missing display. It needs a process of its own, since
// only one application object may ever exist.

#include "app/Application.h"
#include "tests/support/ModalDriver.h"

#include <QTimer>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

// Sets or clears environment variables for one test and puts them back.
class Environment {
public:
    ~Environment() {
        for (const auto& [name, value] : saved_)
            value ? qputenv(name.c_str(), *value) : qunsetenv(name.c_str());
    }
    void set(const char* name, const char* value) {
        if (!saved_.count(name))
            saved_[name] = qEnvironmentVariableIsSet(name)
                               ? std::optional<QByteArray>(qgetenv(name))
                               : std::nullopt;
        value ? qputenv(name, value) : qunsetenv(name);
    }

private:
    std::map<std::string, std::optional<QByteArray>> saved_;
};

} // namespace

TEST(Application, WithoutAnyDisplayItSaysHowToRunInOneLine) {
    char arg0[] = "quarvel-flash";
    char platform[] = "-platform";
    char offscreen[] = "offscreen";
    char* plain[] = {arg0, nullptr};
    char* withPlatform[] = {arg0, platform, offscreen, nullptr};
    Environment env;
    env.set("DISPLAY", nullptr);
    env.set("WAYLAND_DISPLAY", nullptr);
    env.set("QT_QPA_PLATFORM", nullptr);
    const QString message = app::Application::missingDisplayMessage(1, plain);
    EXPECT_TRUE(message.contains(QStringLiteral("xvfb-run -a ./run.sh")));
    EXPECT_FALSE(message.contains(u'\n'));
    // Any way of reaching a display, or a platform chosen explicitly, is enough.
    EXPECT_TRUE(app::Application::missingDisplayMessage(3, withPlatform).isEmpty());
    env.set("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_TRUE(app::Application::missingDisplayMessage(1, plain).isEmpty());
    env.set("WAYLAND_DISPLAY", nullptr);
    env.set("DISPLAY", ":0");
    EXPECT_TRUE(app::Application::missingDisplayMessage(1, plain).isEmpty());
    env.set("DISPLAY", "");
    env.set("QT_QPA_PLATFORM", "offscreen");
    EXPECT_TRUE(app::Application::missingDisplayMessage(1, plain).isEmpty());
}

TEST(Application, WhatAHandlerLetsThroughIsShownAndTheLoopAndTimersGoOn) {
    Environment env;
    env.set("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char arg0[] = "application_tests";
    char* argv[] = {arg0, nullptr};
    app::Application application(argc, argv);
    // No main window here: the error box is the only window, and closing it must not end
    // the loop.
    application.setQuitOnLastWindowClosed(false);

    testsupport::ModalDriver driver;
    driver.clickButton(QStringLiteral("OK"));
    driver.clickButton(QStringLiteral("OK"));
    QTimer failing;
    failing.setInterval(20);
    int fired = 0;
    QObject::connect(&failing, &QTimer::timeout, [&] {
        ++fired;
        if (fired == 3)
            throw std::runtime_error("定时器出错");
        if (fired == 6)
            throw 7;
    });
    failing.start();
    QTimer::singleShot(1500, &application, [] { QCoreApplication::exit(0); });
    EXPECT_EQ(application.exec(), 0);
    ASSERT_EQ(driver.seen().size(), 2u);
    EXPECT_EQ(driver.seen()[0].text, QStringLiteral("定时器出错"));
    EXPECT_EQ(driver.seen()[1].text, app::ErrorReport::unknownErrorText());
    EXPECT_EQ(application.errorReport().count(), 2);
    // The timer that failed went on firing after its boxes were closed.
    EXPECT_GT(fired, 20);

    // With a main window, its own report takes these errors too.
    QStringList windowBoxes;
    app::ErrorReport windowReport([&](const QString& message) { windowBoxes << message; });
    application.reportThrough(&windowReport);
    QTimer::singleShot(0, [] { throw std::runtime_error("窗口里出错"); });
    QTimer::singleShot(50, &application, [] { QCoreApplication::exit(0); });
    EXPECT_EQ(application.exec(), 0);
    EXPECT_EQ(windowBoxes, QStringList{QStringLiteral("窗口里出错")});
    EXPECT_EQ(application.errorReport().count(), 2);
}
