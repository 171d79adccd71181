#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace testsupport {

// The SkinStream value a window stores for a packed skin file: the presence byte, then the
// container. Empty when the file cannot be read.
inline QByteArray storedSkinStream(const QString& packedSkinFile) {
    QFile packed(packedSkinFile);
    if (!packed.open(QIODevice::ReadOnly))
        return {};
    return QByteArray(1, '\x02') + packed.readAll();
}

} // namespace testsupport
