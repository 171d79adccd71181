#include "app/AppIcon.h"
#include "app/Application.h"
#include "app/QtTranslations.h"
#include "app/StartUp.h"
#include "app/TForm1.h"

#include <QDir>
#include <QMessageBox>
#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    const QString noDisplay = app::Application::missingDisplayMessage(argc, argv);
    if (!noDisplay.isEmpty()) {
        std::fprintf(stderr, "%s\n", noDisplay.toLocal8Bit().constData());
        return 1;
    }
    app::Application application(argc, argv);
    app::installQtTranslations(application);
    application.setWindowIcon(app::applicationIcon());
    app::StartUpOptions options;
    options.arguments = application.arguments().mid(1);
    options.helperSource =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("regsvr32"));
    options.onMainWindow = [&application](app::TForm1& form) {
        application.reportThrough(&form.errorReport());
    };
    try {
        app::StartUp startUp(std::move(options));
        return startUp.run(application);
    } catch (const std::exception& e) {
        // What nothing else handled ends the program with the runtime's plain report.
        QMessageBox::critical(nullptr, app::StartUp::applicationTitle(),
                              QString::fromUtf8(e.what()));
        return 1;
    }
}
