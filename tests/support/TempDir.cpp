#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace testsupport {

IsolatedEnvironment::IsolatedEnvironment() {
    set("QUARVEL_REGISTRY", registryPath());
    set("QUARVEL_SYSTEM_DIR", systemDir());
    set("XDG_DATA_HOME", file("data"));
    set("XDG_CONFIG_HOME", file("config"));
}

IsolatedEnvironment::~IsolatedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->wasSet)
            qputenv(it->name, it->value);
        else
            qunsetenv(it->name);
    }
}

void IsolatedEnvironment::set(const char* name, const QString& value) {
    saved_.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
    qputenv(name, value.toUtf8());
}

QString writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(path));
    return path;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace testsupport
