#include "swf/PlayerHost.h"

#include <QFile>
#include <QUrl>

namespace swf {

namespace {

// The local path url names; empty for other schemes.
QString localPath(const QString& url) {
    const QUrl parsed(url);
    if (parsed.isValid() && parsed.scheme().size() > 1)
        return parsed.scheme() == QLatin1String("file") ? parsed.toLocalFile() : QString();
    return url;
}

} // namespace

void PlayerHost::load(const QString& url, qint64 maxBytes, LoadDone done) {
    const QString path = localPath(url);
    if (path.isEmpty()) {
        done(false, {});
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxBytes) {
        done(false, {});
        return;
    }
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes) {
        done(false, {});
        return;
    }
    done(true, std::move(bytes));
}

std::unique_ptr<PlayerHost::PieceLoad> PlayerHost::loadInPieces(const QString& url, qint64 maxBytes,
                                                                PieceCallbacks callbacks) {
    load(url, maxBytes, [callbacks = std::move(callbacks)](bool ok, QByteArray bytes) {
        if (ok && callbacks.size)
            callbacks.size(bytes.size());
        for (qsizetype at = 0; ok && at < bytes.size(); at += kPieceBytes)
            callbacks.piece(bytes.mid(at, kPieceBytes));
        callbacks.done(ok);
    });
    return nullptr;
}

bool PlayerHost::readLocalInPieces(const QString& url, qint64 maxBytes,
                                   const PieceCallbacks& callbacks) {
    const QString path = localPath(url);
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxBytes) {
        callbacks.done(false);
        return true;
    }
    if (callbacks.size)
        callbacks.size(file.size());
    qint64 read = 0;
    while (true) {
        const QByteArray piece = file.read(kPieceBytes);
        if (piece.isEmpty())
            break;
        read += piece.size();
        if (read > maxBytes) {
            callbacks.done(false);
            return true;
        }
        callbacks.piece(piece);
    }
    callbacks.done(file.error() == QFileDevice::NoError);
    return true;
}

} // namespace swf
