#include "app/ProjectorConversion.h"

#include "playlist/FileDialog.h"
#include "skin/controls/TSeSkinMessage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

namespace app {

EStreamError::EStreamError(const QString& message) : std::runtime_error(message.toStdString()) {}

namespace {

QString readError() {
    return QStringLiteral("Stream read error");
}

void readExactly(QFile& file, char* data, qint64 count) {
    if (file.read(data, count) != count)
        throw EStreamError(readError());
}

} // namespace

bool ExtractProjectorMovie(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw EStreamError(QStringLiteral("Cannot open file %1").arg(source));
    // All offsets are 64-bit: projectors of 2 GB and more are read like any other.
    const qint64 size = in.size();
    if (size < 8 || !in.seek(size - 8))
        throw EStreamError(readError());
    char trailer[8];
    readExactly(in, trailer, 8);
    if (qFromLittleEndian<quint32>(trailer) != kProjectorMagic)
        return false;
    const quint32 length = qFromLittleEndian<quint32>(trailer + 4);
    // A length of 0 names no movie; copying it would copy nothing useful (or, as older tools
    // did, the whole executable).
    if (length == 0)
        return false;
    const qint64 start = size - 8 - static_cast<qint64>(length);
    if (start < 0)
        throw EStreamError(readError());
    if (!in.seek(start))
        throw EStreamError(readError());

    // The movie is written beside the target and moved over it only when complete, so no
    // empty or partial target is ever left behind and a target that is also the source is
    // read to the end before it is replaced.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        throw EStreamError(QStringLiteral("Cannot create file %1").arg(target));
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    qint64 left = length;
    while (left > 0) {
        const qint64 chunk = std::min<qint64>(left, buffer.size());
        readExactly(in, buffer.data(), chunk);
        if (out.write(buffer.constData(), chunk) != chunk)
            throw EStreamError(QStringLiteral("Cannot create file %1").arg(target));
        left -= chunk;
    }
    in.close();
    if (!out.commit())
        throw EStreamError(QStringLiteral("Cannot create file %1").arg(target));
    return true;
}

QString ProjectorConversion::targetPath(const QString& source) {
    const QFileInfo info(source);
    const QString name = info.fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    return info.dir().filePath(base + QStringLiteral(".swf"));
}

void ProjectorConversion::run() {
    playlist::FileDialog& dialog = p_.openDialog;
    dialog.setFilter(QStringLiteral(".Exe|*.exe"));
    if (!dialog.execute())
        return;
    const QString source = dialog.fileName();
    const QString target = targetPath(source);
    if (!ExtractProjectorMovie(source, target))
        return;
    const int answer = p_.messages.MessageDlg(question(), skin::TMsgDlgType::mtInformation,
                                              skin::mbYes | skin::mbNo, 0);
    if (answer == skin::mrYes)
        p_.play(target);
}

} // namespace app
