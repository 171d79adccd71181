#pragma once

// The program's entry sequence: set the title, create the main window and the about window and
// run the message loop; when the main window cannot be created because the Flash control's
// class is not registered, provision the control and end.

#include <QString>
#include <QStringList>
#include <functional>

class QApplication;

namespace app {

class TForm1;

struct StartUpOptions {
    QStringList arguments;
    // The regsvr32 helper as built beside the program; copied into the system directory when
    // that has none, the way Windows always has its own.
    QString helperSource;
    // Where the playlist is kept; empty for Flash.ini in its usual place.
    QString settingsFile;
    // Tests create the windows without running the message loop.
    bool runMessageLoop = true;
    // Called with the main window once it has been created and shown (before the loop runs).
    std::function<void(TForm1&)> onMainWindow;
};

enum class StartUpOutcome { Ran, Provisioned, Failed };

class StartUp {
public:
    explicit StartUp(StartUpOptions options);
    // Returns the exit code of the program.
    int run(QApplication& app);
    StartUpOutcome outcome() const { return outcome_; }

    static QString applicationTitle() { return QStringLiteral("Quarvel___娱乐系列"); }

    // Provisioning on its own: writes the embedded control into the system directory,
    // registers it and tries the main window once more.
    void provision();

private:
    void showPlainMessage(const QString& text) const;
    void showYipes(const QString& text) const;
    void installHelper(const QString& systemDir) const;

    StartUpOptions options_;
    StartUpOutcome outcome_ = StartUpOutcome::Failed;
};

// The control library carried by the program (the Qt resource named "FLASH").
QByteArray embeddedControlImage();

} // namespace app
