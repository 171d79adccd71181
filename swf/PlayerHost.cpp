#include "swf/PlayerHost.h"

#include <QFile>
#include <QUrl>

namespace swf {

void PlayerHost::load(const QString& url, qint64 maxBytes, LoadDone done) {
    QString path = url;
    const QUrl parsed(url);
    if (parsed.isValid() && parsed.scheme().size() > 1) {
        if (parsed.scheme() != QLatin1String("file")) {
            done(false, {});
            return;
        }
        path = parsed.toLocalFile();
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

} // namespace swf
