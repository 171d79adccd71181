#include "app/DownloadWorker.h"

#include "app/NetworkCommands.h"
#include "net/TNetHTTP.h"
#include "net/TNetStream.h"

#include <memory>

namespace app {

MyThread::MyThread(net::TNetHTTP& client, QString url, QString path, NetworkCommands* commands)
    : client_(client), url_(std::move(url)), path_(std::move(path)), commands_(commands) {
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
    NetworkCommands* commands = commands_.data();
    if (!commands || commands->closing())
        return; // the window is going; nobody is left to tell
    const QString path = path_;
    QMetaObject::invokeMethod(
        commands, [commands, complete, path] { commands->DownloadFinished(complete, path); },
        Qt::BlockingQueuedConnection);
}

} // namespace app
