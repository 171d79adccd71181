#include "app/DownloadWorker.h"

#include "app/DownloadLink.h"
#include "app/NetworkCommands.h"
#include "net/TNetHTTP.h"
#include "net/TNetStream.h"

namespace app {

MyThread::MyThread(net::TNetHTTP& client, QString url, QString path,
                   std::shared_ptr<DownloadLink> link)
    : client_(client), url_(std::move(url)), path_(std::move(path)), link_(std::move(link)) {
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void MyThread::run() {
    bool complete = false;
    try {
        net::TNetFileStream file(path_.toStdString(), net::TNetFileStream::Mode::Create);
        try {
            client_.DownloadTo(url_.toStdString(), file);
            complete = true;
        } catch (...) {
            // A transfer that broke off must not look complete: keep only what arrived
            // instead of a file padded to the announced length.
            try {
                file.SetSize(file.Position());
            } catch (...) {
            }
        }
        file.Close();
    } catch (...) {
        // The file could not be created or closed: nothing was downloaded.
        complete = false;
    }
    // Posted, not waited for, under the lock the commands take before they go: either they
    // are still there and the call is queued to them (Qt drops it if they go first), or they
    // are gone and nobody is told.
    const std::lock_guard lock(link_->mutex);
    if (NetworkCommands* commands = link_->commands) {
        const QString path = path_;
        QMetaObject::invokeMethod(
            commands, [commands, complete, path] { commands->DownloadFinished(complete, path); },
            Qt::QueuedConnection);
    }
}

} // namespace app
