#include "playlist/PlaylistFile.h"

#include "platform/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace playlist {

const QString PlaylistFile::kSection = QStringLiteral("播放列表");

QStringList PlaylistFile::read(const QString& path) {
    const platform::IniFile ini = platform::IniFile::load(path);
    const std::vector<platform::IniEntry> entries = ini.entries(kSection);
    const qsizetype count = std::min<qsizetype>(qsizetype(entries.size()), kMaxEntries);
    QStringList values;
    values.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        values.append(entries[std::size_t(i)].value);
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
