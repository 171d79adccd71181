#pragma once

// The class registry: a small persistent store of keys with one default string value each,
// standing in for HKEY_CLASSES_ROOT. Keys are paths separated by backslashes
// ("CLSID\{...}\InprocServer32") and compared without regard to case, as the Windows registry
// does. The store is a UTF-8 text file, rewritten atomically on every change so a crash never
// leaves it half-written.

#include <QString>
#include <optional>

namespace platform {

class ClassRegistry {
public:
    // The file named by QUARVEL_REGISTRY, else $XDG_DATA_HOME/quarvel/registry.
    static QString defaultPath();

    explicit ClassRegistry(QString path = defaultPath());

    std::optional<QString> value(const QString& key) const;
    // Creates the key when missing. Returns false when the store cannot be written.
    bool setValue(const QString& key, const QString& value);
    // Removes the key and every key below it. Returns false when the store cannot be written.
    bool removeTree(const QString& key);

    const QString& path() const { return path_; }

private:
    QString path_;
};

// The Windows system directory's stand-in: QUARVEL_SYSTEM_DIR, else
// $XDG_DATA_HOME/quarvel/system.
QString systemDirectory();

// $XDG_DATA_HOME, or ~/.local/share when unset.
QString xdgDataHome();
// $XDG_CONFIG_HOME, or ~/.config when unset.
QString xdgConfigHome();

} // namespace platform
