#include "app/StartUp.h"

#include "app/TForm1.h"
#include "flash/host/TShockwaveFlash.h"
#include "platform/ClassRegistry.h"
#include "platform/DynamicLibrary.h"
#include "platform/Process.h"
#include "skin/controls/TSeSkinMessage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <stdexcept>

static void initFlashImageResource() {
    Q_INIT_RESOURCE(flash_image);
}

namespace app {

QByteArray embeddedControlImage() {
    initFlashImageResource();
    QFile resource(QStringLiteral(":/FLASH"));
    if (!resource.open(QIODevice::ReadOnly))
        throw std::runtime_error("The program's copy of the Flash control is missing");
    return resource.readAll();
}

StartUp::StartUp(StartUpOptions options) : options_(std::move(options)) {}

int StartUp::run(QApplication& app) {
    app.setProperty(skin::kApplicationTitleProperty, applicationTitle());
    try {
        TForm1 form(options_.arguments, options_.settingsFile);
        // The about window joins here once it exists; it is created hidden.
        form.show();
        outcome_ = StartUpOutcome::Ran;
        if (options_.onMainWindow)
            options_.onMainWindow(form);
        return options_.runMessageLoop ? app.exec() : 0;
    } catch (const flash::EOleSysError&) {
        provision();
        return 0;
    }
}

void StartUp::provision() {
    outcome_ = StartUpOutcome::Provisioned;
    const QString systemDir = platform::systemDirectory();
    QDir().mkpath(systemDir);
    const QString controlFile = QDir(systemDir).filePath(QStringLiteral("SWFLASH.OCX"));
    {
        // Not guarded: without its copy of the control, or with nowhere to write it, the
        // program cannot go on and the error ends it.
        const QByteArray image = embeddedControlImage();
        QFile file(controlFile);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(image) != image.size() || !file.flush())
            throw std::runtime_error(QStringLiteral("Cannot write %1: %2")
                                         .arg(controlFile, file.errorString())
                                         .toStdString());
    }
    try {
        {
            platform::DynamicLibrary library(controlFile);
            if (library.isLoaded() && library.symbol("DllRegisterServer")) {
                installHelper(systemDir);
                const QString command =
                    QStringLiteral("\"%1\" /s \"%2\"")
                        .arg(QDir(systemDir).filePath(QStringLiteral("regsvr32")), controlFile);
                platform::RunCommandAndWait(command, 0,
                                            [this](const QString& text) { showYipes(text); });
            }
        }
        try {
            // Created only to prove the control can now be made; it is never shown.
            TForm1 retry(options_.arguments, options_.settingsFile);
        } catch (...) {
            showPlainMessage(QStringLiteral("Unable to find Macromedia Shockwave Flash."));
        }
    } catch (...) {
        showPlainMessage(QStringLiteral("Unable to register Macromedia Shockwave Flash."));
    }
}

void StartUp::installHelper(const QString& systemDir) const {
    const QString target = QDir(systemDir).filePath(QStringLiteral("regsvr32"));
    if (QFileInfo::exists(target) || options_.helperSource.isEmpty() ||
        !QFileInfo(options_.helperSource).isFile())
        return;
    if (QFile::copy(options_.helperSource, target))
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::ExeOwner |
                                          QFileDevice::ExeGroup | QFileDevice::ExeOther);
}

void StartUp::showPlainMessage(const QString& text) const {
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("PlainMessage"));
    box.exec();
}

void StartUp::showYipes(const QString& text) const {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Yipes!"), text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("Yipes"));
    box.exec();
}

} // namespace app
