#include "platform/IniLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace platform {

namespace {

bool folderIsWritable(const QString& dir) {
    // access() asks the kernel, which also knows about read-only mounts; QFileInfo only
    // looks at the permission bits.
    return !dir.isEmpty() && QFileInfo(dir).isDir() &&
           ::access(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0;
}

} // namespace

QString IniLocation::userConfigDirectory() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The XDG rules say a relative value is to be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir(base).filePath(QStringLiteral("quarvel"));
}

QString IniLocation::flashIniPath() {
    return flashIniPath(QCoreApplication::applicationDirPath());
}

QString IniLocation::flashIniPath(const QString& executableDir) {
    if (folderIsWritable(executableDir))
        return QDir(executableDir).filePath(QLatin1String(kFileName));
    const QString dir = userConfigDirectory();
    QDir().mkpath(dir);
    return QDir(dir).filePath(QLatin1String(kFileName));
}

} // namespace platform
