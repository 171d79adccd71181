#include "app/Application.h"

#include "app/StartUp.h"

#include <QMessageBox>
#include <cstring>

namespace app {

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv), report_([](const QString& message) {
          QMessageBox box(QMessageBox::Critical, StartUp::applicationTitle(), message,
                          QMessageBox::Ok);
          box.setObjectName(QStringLiteral("ErrorReport"));
          box.exec();
      }) {}

Application::~Application() = default;

bool Application::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    ErrorReport& report = windowReport_ ? *windowReport_ : report_;
    report.guard([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

QString Application::missingDisplayMessage(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return {};
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
        !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {};
    return QStringLiteral("quarvel-flash: no display (DISPLAY and WAYLAND_DISPLAY are unset): "
                          "run it from a desktop session, or headless with: xvfb-run -a ./run.sh");
}

} // namespace app
