#pragma once

#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// A temporary folder that also points QUARVEL_REGISTRY and QUARVEL_SYSTEM_DIR (and the XDG
// folders) inside itself for the test's lifetime, so no test touches the user's own files.
class IsolatedEnvironment {
public:
    IsolatedEnvironment();
    ~IsolatedEnvironment();
    IsolatedEnvironment(const IsolatedEnvironment&) = delete;
    IsolatedEnvironment& operator=(const IsolatedEnvironment&) = delete;

    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    QString registryPath() const { return file("registry.ini"); }
    QString systemDir() const { return file("system"); }

private:
    QTemporaryDir dir_;
    struct Saved {
        const char* name;
        QByteArray value;
        bool wasSet;
    };
    std::vector<Saved> saved_;
    void set(const char* name, const QString& value);
};

// Writes bytes to a file, creating folders; returns the path.
QString writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

} // namespace testsupport
