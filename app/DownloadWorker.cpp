#include "app/DownloadWorker.h"

#include "app/DownloadLink.h"
#include "app/NetworkCommands.h"
#include "net/TNetFileDownload.h"
#include "net/TNetHTTP.h"

namespace app {

MyThread::MyThread(net::TNetHTTP& client, QString url, QString path,
                   std::shared_ptr<DownloadLink> link)
    : client_(client), url_(std::move(url)), path_(std::move(path)), link_(std::move(link)) {
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void MyThread::run() {
    bool complete = false;
    try {
        // The movie goes into NAME.part and takes its name only when the whole body is
        // there, so a file under the chosen name is always a finished download; a broken one
        // leaves what arrived in NAME.part. No message either way: the bar and the question
        // (or its absence) tell the user.
        net::TNetFileDownload download(path_.toStdString());
        download.Run(client_, url_.toStdString());
        complete = true;
    } catch (...) {
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
