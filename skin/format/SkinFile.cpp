#include "skin/format/SkinFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "skin/format/SkinError.h"
#include "skin/format/TSeSkinFilter.h"

namespace skin {

bool loadSkinFile(TSeSkinSource& source, const QString& fileName, const SkinClassRegistry& registry,
                  const QString& executableDir) {
    QString path = fileName;
    if (!QFileInfo::exists(path) && QDir::isRelativePath(path) && !executableDir.isEmpty())
        path = QDir(executableDir).filePath(path);
    if (!QFileInfo(path).isFile())
        return false;
    auto filter = skinFilterForFile(path, source, registry);
    if (!filter)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SkinError("Cannot open skin file " + path.toStdString() + ": " +
                        file.errorString().toStdString());
    filter->LoadFromStream(file);
    return true;
}

void saveSkinFile(TSeSkinSource& source, const QString& fileName,
                  const SkinClassRegistry& registry) {
    auto filter = skinFilterForFile(fileName, source, registry);
    if (!filter)
        filter = std::make_unique<TSeSkinFilterCompressed>(source, registry);
    // Written aside and moved into place, so a failed save never leaves half a skin.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw SkinError("Cannot create skin file " + fileName.toStdString() + ": " +
                        file.errorString().toStdString());
    filter->SaveToStream(file);
    if (!file.commit())
        throw SkinError("Cannot write skin file " + fileName.toStdString() + ": " +
                        file.errorString().toStdString());
}

bool readSkinStream(TSeSkinSource& source, QIODevice& device, const SkinClassRegistry& registry) {
    char presence = 0;
    if (!device.getChar(&presence))
        throw SkinError("Stream read error: the skin property is empty");
    if (presence == 0)
        return false;
    TSeSkinFilterCompressed filter(source, registry);
    filter.LoadFromStream(device);
    return true;
}

bool readSkinStream(TSeSkinSource& source, const QByteArray& value,
                    const SkinClassRegistry& registry) {
    // Read in place: this is how every window gets its skin at start.
    if (value.isEmpty())
        throw SkinError("Stream read error: the skin property is empty");
    if (value.front() == 0)
        return false;
    TSeSkinFilterCompressed filter(source, registry);
    filter.LoadFromBytes(std::string_view(value.constData() + 1, std::size_t(value.size() - 1)));
    return true;
}

QByteArray writeSkinStream(TSeSkinSource& source, const SkinClassRegistry& registry) {
    QByteArray value;
    QBuffer buffer(&value);
    buffer.open(QIODevice::WriteOnly);
    buffer.putChar(source.hasObjects() ? 2 : 0);
    if (source.hasObjects()) {
        TSeSkinFilterCompressed filter(source, registry);
        filter.SaveToStream(buffer);
    }
    return value;
}

} // namespace skin
