#include "playlist/PlaylistEntry.h"

namespace playlist {

const QString PlaylistEntry::kPathMarker = QStringLiteral("路径：");

QString PlaylistEntry::fileEntry(const QString& path) {
    return fileName(path) + QString(kPadding, u' ') + kPathMarker + path;
}

QString PlaylistEntry::location(const QString& line) {
    const qsizetype colon = line.indexOf(u'：');
    return colon < 0 ? line : line.mid(colon + 1);
}

QString PlaylistEntry::hint(const QString& line) {
    const qsizetype start = line.indexOf(u'路');
    return start < 0 ? line : line.mid(start);
}

QString PlaylistEntry::fileName(const QString& path) {
    qsizetype end = path.size();
    while (end > 1 && path[end - 1] == u'/')
        --end;
    const qsizetype slash = path.lastIndexOf(u'/', end - 1);
    return path.mid(slash + 1, end - slash - 1);
}

QString PlaylistEntry::withSwfExtension(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString stem = dot > slash ? path.first(dot) : path;
    return stem + QStringLiteral(".swf");
}

} // namespace playlist
