#pragma once

// List files: a profile file with one section "播放列表" whose keys 0 to n-1 hold the
// playlist's lines. Flash.ini uses the same format.

#include <QString>
#include <QStringList>

namespace playlist {

class PlaylistFile {
public:
    static const QString kSection;
    // Far beyond any real playlist; a list file with more entries is read up to here, so a
    // hostile file cannot make the box swallow all memory.
    static constexpr qsizetype kMaxEntries = 100'000;

    // The values of the section in the order their keys stand in the file (key names are
    // not looked at), at most kMaxEntries of them. A missing or unreadable file, or one
    // without the section, gives none.
    static QStringList read(const QString& path);

    // Replaces the file at `path` by one holding `lines`; an empty list removes the file.
    // Throws platform::IniWriteError ("Unable to write to <path>") when that fails; the old
    // file is then untouched.
    static void write(const QString& path, const QStringList& lines);
};

} // namespace playlist
