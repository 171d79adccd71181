#include "app/StartUp.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <exception>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    app::StartUpOptions options;
    options.arguments = application.arguments().mid(1);
    options.helperSource =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("regsvr32"));
    try {
        app::StartUp startUp(std::move(options));
        return startUp.run(application);
    } catch (const std::exception& e) {
        // What nothing else handled ends the program with the runtime's plain report.
        QMessageBox::critical(nullptr, app::StartUp::applicationTitle(),
                              QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
