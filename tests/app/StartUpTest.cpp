// The entry sequence: the control found and the window shown, or the control provisioned from
// the program's own copy and registered with the helper, with the boxes the user sees.

#include "app/StartUp.h"
#include "AppFixture.h"
#include "platform/ClassRegistry.h"

#include <QApplication>
#include <QDir>
#include <QFile>

using app::StartUp;
using app::StartUpOptions;
using app::StartUpOutcome;
using testsupport::IsolatedEnvironment;
using testsupport::ModalDriver;

namespace {

// Runs the sequence without the message loop; returns whether the main window was shown.
bool runOnce(const QString& helperSource, StartUpOutcome* outcome, const QString& settings) {
    StartUpOptions options;
    options.helperSource = helperSource;
    options.runMessageLoop = false;
    options.settingsFile = settings;
    bool shown = false;
    options.onMainWindow = [&](app::TForm1& form) { shown = form.isVisible(); };
    StartUp startUp(options);
    EXPECT_EQ(startUp.run(*qApp), 0);
    *outcome = startUp.outcome();
    return shown;
}

QString classServerKey() {
    return QStringLiteral("CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}\\InprocServer32");
}

} // namespace

TEST(StartUp, RegisteredControlShowsTheWindowAndWritesNothing) {
    IsolatedEnvironment env;
    ASSERT_EQ(apptest::registerControl(), 0);
    StartUpOutcome outcome{};
    EXPECT_TRUE(runOnce(QString(), &outcome, env.file("Flash.ini")));
    EXPECT_EQ(outcome, StartUpOutcome::Ran);
    EXPECT_FALSE(QFileInfo::exists(env.systemDir() + "/SWFLASH.OCX"));
    EXPECT_EQ(qApp->property("quarvelTitle").toString(), QStringLiteral("Quarvel___娱乐系列"));
}

TEST(StartUp, MissingControlIsProvisionedThenFoundByTheNextStart) {
    IsolatedEnvironment env;
    StartUpOutcome outcome{};
    ModalDriver driver; // no box is expected; anything that opens gets answered and recorded
    driver.pressKey(Qt::Key_Return);
    EXPECT_FALSE(runOnce(QStringLiteral(REGSVR32_PATH), &outcome, env.file("Flash.ini")));
    EXPECT_EQ(outcome, StartUpOutcome::Provisioned);
    EXPECT_TRUE(driver.seen().empty());
    const QString ocx = env.systemDir() + "/SWFLASH.OCX";
    EXPECT_EQ(testsupport::readFile(ocx), app::embeddedControlImage());
    EXPECT_GT(app::embeddedControlImage().size(), 10000);
    EXPECT_EQ(platform::ClassRegistry().value(classServerKey()), ocx);

    EXPECT_TRUE(runOnce(QStringLiteral(REGSVR32_PATH), &outcome, env.file("Flash.ini")));
    EXPECT_EQ(outcome, StartUpOutcome::Ran);
}

TEST(StartUp, AnExistingControlFileIsReplaced) {
    IsolatedEnvironment env;
    testsupport::writeFile(env.systemDir() + "/SWFLASH.OCX", "stale bytes");
    StartUpOutcome outcome{};
    runOnce(QStringLiteral(REGSVR32_PATH), &outcome, env.file("Flash.ini"));
    EXPECT_EQ(testsupport::readFile(env.systemDir() + "/SWFLASH.OCX"), app::embeddedControlImage());
}

TEST(StartUp, MissingHelperShowsYipesThenUnableToFind) {
    IsolatedEnvironment env;
    ModalDriver driver;
    driver.pressKey(Qt::Key_Return);
    driver.pressKey(Qt::Key_Return);
    StartUpOutcome outcome{};
    EXPECT_FALSE(runOnce(env.file("no-helper-here"), &outcome, env.file("Flash.ini")));
    EXPECT_EQ(outcome, StartUpOutcome::Provisioned);
    ASSERT_EQ(driver.seen().size(), 2u);
    EXPECT_EQ(driver.seen()[0].title, QStringLiteral("Yipes!"));
    EXPECT_FALSE(driver.seen()[0].text.isEmpty());
    EXPECT_EQ(driver.seen()[1].title, QStringLiteral("Quarvel___娱乐系列"));
    EXPECT_EQ(driver.seen()[1].text, QStringLiteral("Unable to find Macromedia Shockwave Flash."));
    EXPECT_TRUE(QFileInfo::exists(env.systemDir() + "/SWFLASH.OCX"));
}

TEST(StartUp, AHelperThatFailsIsNotCheckedAndTheRetryDecides) {
    IsolatedEnvironment env;
    QDir().mkpath(env.systemDir());
    // A helper that exits with an error without registering anything.
    const QString helper =
        testsupport::writeFile(env.systemDir() + "/regsvr32", "#!/bin/sh\nexit 3\n");
    QFile::setPermissions(helper, QFile::permissions(helper) | QFileDevice::ExeOwner);
    ModalDriver driver;
    driver.pressKey(Qt::Key_Return);
    StartUpOutcome outcome{};
    runOnce(QString(), &outcome, env.file("Flash.ini"));
    ASSERT_EQ(driver.seen().size(), 1u);
    EXPECT_EQ(driver.seen()[0].text, QStringLiteral("Unable to find Macromedia Shockwave Flash."));
}
