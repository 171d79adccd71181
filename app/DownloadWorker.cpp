#include "app/DownloadWorker.h"

#include "app/NetworkCommands.h"
#include "net/TNetFileDownload.h"

namespace app {

MyThread::MyThread(net::TNetHTTP& client, QString url, QString path, NetworkCommands* commands)
    : client_(client), url_(std::move(url)), path_(std::move(path)), commands_(commands) {
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
    NetworkCommands* commands = commands_.data();
    if (!commands || commands->closing())
        return; // the window is going; nobody is left to tell
    const QString path = path_;
    QMetaObject::invokeMethod(
        commands, [commands, complete, path] { commands->DownloadFinished(complete, path); },
        Qt::BlockingQueuedConnection);
}

} // namespace app
