#pragma once

// The application object. Besides Qt's own work it is the last net for errors: an exception
// that a handler outside the main window lets through is shown in the default error box
// here instead of unwinding through Qt's event loop (which Qt does not support, and which
// closes open boxes and stops timers on its way).

#include "app/ErrorReport.h"

#include <QApplication>
#include <QPointer>

namespace app {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    ~Application() override;

    bool notify(QObject* receiver, QEvent* event) override;
    ErrorReport& errorReport() { return report_; }
    // While the main window lives, its report shows these errors too, so that they wait for
    // its open box like any other instead of stacking a second box on it.
    void reportThrough(ErrorReport* windowReport) { windowReport_ = windowReport; }

    // Empty when the program can open its windows; otherwise the one line that tells the
    // user how to run it (Qt itself would only abort). Looks at the environment and at a
    // "-platform" argument.
    static QString missingDisplayMessage(int argc, char** argv);

private:
    ErrorReport report_;
    QPointer<ErrorReport> windowReport_;
};

} // namespace app
