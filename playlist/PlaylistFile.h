#pragma once

// List files: a profile file with one section "播放列表" whose keys 0 to n-1 hold the
// playlist's lines. Flash.ini uses the same format.

#include "platform/IniFile.h"

#include <QString>
#include <QStringList>

namespace playlist {

// What reading a list file gave, and whether that was all of it.
struct PlaylistReadResult {
    QStringList lines;
    platform::IniReadResult read;

    // Every entry of the file is in `lines`: saving them over the file loses nothing.
    bool complete() const { return read.complete(); }
    // Why the reading fell short, for the user; empty when it did not.
    QString problem() const;
};

class PlaylistFile {
public:
    static const QString kSection;
    // Far beyond any real playlist; a list file with more entries is read up to here, so a
    // hostile file cannot make the box swallow all memory.
    static constexpr qsizetype kMaxEntries = 100'000;

    // The values of the section in the order their keys stand in the file (key names are
    // not looked at), at most kMaxEntries of them. A missing or unreadable file, or one
    // without the section, gives none; the result says which.
    static PlaylistReadResult read(const QString& path);

    // Replaces the file at `path` by one holding `lines`; an empty list removes the file.
    // Throws platform::IniWriteError ("Unable to write to <path>") when that fails; the old
    // file is then untouched.
    static void write(const QString& path, const QStringList& lines);

    // Moves the file at `path` aside to the first free name of "<path>.bak", "<path>.bak.1"
    // and so on, and returns that name. Throws platform::IniWriteError when it cannot.
    static QString moveAside(const QString& path);
    // The name moveAside() would use now.
    static QString backupName(const QString& path);
};

} // namespace playlist
