#include "playlist/PlaylistFile.h"

#include <QFile>
#include <QFileInfo>

namespace playlist {

namespace {

bool somethingAt(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Enough for anyone who never cleans up; past it we refuse rather than overwrite a backup.
constexpr int kMaxBackups = 100;

} // namespace

const QString PlaylistFile::kSection = QStringLiteral("播放列表");

QString PlaylistReadResult::problem() const {
    using platform::IniReadStatus;
    switch (read.status) {
    case IniReadStatus::NotAFile:
        return QStringLiteral("不是普通文件");
    case IniReadStatus::TooLarge:
        return QStringLiteral("文件超过 %1 MB").arg(platform::IniFile::kMaxFileSize >> 20);
    case IniReadStatus::Unreadable:
        return QStringLiteral("读取出错");
    case IniReadStatus::Ok:
    case IniReadStatus::Missing:
        break;
    }
    if (read.entriesDropped)
        return QStringLiteral("超过 %1 项，只读入了前 %1 项").arg(PlaylistFile::kMaxEntries);
    if (read.lossyText)
        return QStringLiteral("有无法识别的文字");
    return QString();
}

PlaylistReadResult PlaylistFile::read(const QString& path) {
    PlaylistReadResult result;
    platform::IniReadOptions options;
    options.onlySection = kSection;
    options.maxEntriesPerSection = kMaxEntries;
    const platform::IniFile ini = platform::IniFile::load(path, &result.read, options);
    const std::vector<platform::IniEntry> entries = ini.entries(kSection);
    result.lines.reserve(qsizetype(entries.size()));
    for (const platform::IniEntry& entry : entries)
        result.lines.append(entry.value);
    return result;
}

void PlaylistFile::write(const QString& path, const QStringList& lines) {
    if (lines.isEmpty()) {
        // An empty playlist is stored as no file at all.
        if (somethingAt(path) && !QFile::remove(path))
            throw platform::IniWriteError(path);
        return;
    }
    platform::IniFile ini;
    for (qsizetype i = 0; i < lines.size(); ++i)
        ini.appendEntry(kSection, QString::number(i), lines[i]);
    ini.save(path);
}

QString PlaylistFile::backupName(const QString& path) {
    const QString first = path + QStringLiteral(".bak");
    if (!somethingAt(first))
        return first;
    for (int i = 1; i < kMaxBackups; ++i) {
        const QString name = first + QLatin1Char('.') + QString::number(i);
        if (!somethingAt(name))
            return name;
    }
    return QString();
}

QString PlaylistFile::moveAside(const QString& path) {
    const QString target = backupName(path);
    if (target.isEmpty() || !QFile::rename(path, target))
        throw platform::IniWriteError(path);
    return target;
}

} // namespace playlist
