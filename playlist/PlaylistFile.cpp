#include "playlist/PlaylistFile.h"

#include "platform/IniFile.h"

#include <QFile>
#include <QFileInfo>

namespace playlist {

const QString PlaylistFile::kSection = QStringLiteral("播放列表");

QStringList PlaylistFile::read(const QString& path) {
    const platform::IniFile ini = platform::IniFile::load(path);
    QStringList values;
    for (const platform::IniEntry& entry : ini.entries(kSection))
        values.append(entry.value);
    return values;
}

void PlaylistFile::write(const QString& path, const QStringList& lines) {
    if (lines.isEmpty()) {
        // An empty playlist is stored as no file at all.
        const QFileInfo info(path);
        if ((info.exists() || info.isSymLink()) && !QFile::remove(path))
            throw platform::IniWriteError(path);
        return;
    }
    platform::IniFile ini;
    for (qsizetype i = 0; i < lines.size(); ++i)
        ini.appendEntry(kSection, QString::number(i), lines[i]);
    ini.save(path);
}

} // namespace playlist
