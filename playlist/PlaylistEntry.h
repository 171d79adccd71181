#pragma once

// The text of one playlist line. A file entry is the file name, 39 spaces, the path marker
// "路径：" and the full path: at the box's usual width the spaces push the marker and path
// out of view, so the box shows file names and the hint shows where they live. A location
// entry is a path or URL alone.

#include <QString>

namespace playlist {

class PlaylistEntry {
public:
    static constexpr int kPadding = 39;
    static const QString kPathMarker;

    // The file entry for `path`.
    static QString fileEntry(const QString& path);
    // What a line plays: the text after its first "：", or the whole line without one.
    static QString location(const QString& line);
    // The line's hint: from its first "路" to the end, or the whole line without one.
    static QString hint(const QString& line);
    // The last component of a path ("a.swf" of "/m/a.swf"); a trailing '/' of a folder is
    // not a component of its own.
    static QString fileName(const QString& path);
    // `path` with the extension of its file name replaced by ".swf", or ".swf" appended when
    // the file name has none.
    static QString withSwfExtension(const QString& path);
};

} // namespace playlist
