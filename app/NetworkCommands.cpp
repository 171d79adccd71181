#include "app/NetworkCommands.h"

#include "app/DownloadWorker.h"
#include "app/PlayerState.h"
#include "net/TNetHTTP.h"
#include "playlist/FileDialog.h"
#include "playlist/PlaylistCommands.h"
#include "skin/controls/TSeSkinMessage.h"
#include "skin/controls/TSeSkinProgressBar.h"

#include <QLineEdit>
#include <QPointer>
#include <limits>

namespace app {

NetworkCommands::NetworkCommands(NetworkParts parts, QObject* parent)
    : QObject(parent), p_(std::move(parts)) {
    p_.client.OnWorkBegin = [this](net::TNetComponent&, net::TWorkMode, int64_t max) {
        NetHTTP1WorkBegin(max);
    };
    p_.client.OnWork = [this](net::TNetComponent&, net::TWorkMode, int64_t count) {
        NetHTTP1Work(count);
    };
    p_.client.OnWorkEnd = [this](net::TNetComponent&, net::TWorkMode) { NetHTTP1WorkEnd(); };
}

NetworkCommands::~NetworkCommands() {
    p_.client.OnWorkBegin = nullptr;
    p_.client.OnWork = nullptr;
    p_.client.OnWorkEnd = nullptr;
}

void NetworkCommands::InternetPlay() {
    p_.edit1.paste();
    PlayInternetMovie();
}

void NetworkCommands::PlayInternetMovie() {
    QString url = p_.edit1.text();
    if (!p_.messages.InputQuery(QStringLiteral("播放网络中Flash"), QStringLiteral("URL:"), url))
        return;
    p_.state.currentMoviePath = url;
    p_.playRoutine(url);
    p_.playlist.addIfAbsent(url);
}

void NetworkCommands::Download() {
    p_.edit1.paste();
    downloadUrl_ = p_.edit1.text();
    if (p_.messages.InputQuery(QStringLiteral("下载网络中Flash文件"), QStringLiteral("URL:"),
                               downloadUrl_)) {
        p_.saveDialog.setFilter(QStringLiteral(".swf|*.swf"));
        if (p_.saveDialog.execute()) {
            // One client serves every download, and it does one transfer at a time.
            if (running_.exchange(true)) {
                p_.messages.MessageDlg(busyText(), skin::TMsgDlgType::mtInformation, skin::mbOK, 0);
            } else {
                auto* worker =
                    new MyThread(p_.client, downloadUrl_, p_.saveDialog.fileName(), this);
                worker_ = worker;
                worker->start();
            }
        }
    }
    p_.edit1.setText(QString());
}

bool NetworkCommands::shutDown() {
    closing_ = true;
    if (!running_)
        return true;
    p_.client.Abort();
    return !worker_ || worker_->wait(5000);
}

void NetworkCommands::NetHTTP1WorkBegin(int64_t workCountMax) {
    const int64_t limit = std::numeric_limits<int>::max();
    const int64_t unit = workCountMax > limit ? (workCountMax + limit - 1) / limit : 1;
    barUnit_ = unit;
    const int max = static_cast<int>(std::max<int64_t>(0, workCountMax) / unit);
    QPointer<skin::TSeSkinProgressBar> bar(&p_.progressBar);
    QMetaObject::invokeMethod(this, [bar, max] {
        if (!bar)
            return;
        bar->show();
        bar->raise();
        bar->setMax(max);
    });
}

void NetworkCommands::NetHTTP1Work(int64_t workCount) {
    const int position = static_cast<int>(
        std::min<int64_t>(workCount / barUnit_.load(), std::numeric_limits<int>::max()));
    QPointer<skin::TSeSkinProgressBar> bar(&p_.progressBar);
    QMetaObject::invokeMethod(this, [bar, position] {
        if (bar)
            bar->setPosition(position);
    });
}

void NetworkCommands::NetHTTP1WorkEnd() {
    // The client ends a run of progress for every chunk and for a broken transfer alike; the
    // worker knows which it was once DownloadTo returns, and finishes the display then.
}

void NetworkCommands::DownloadFinished(bool complete, const QString& path) {
    running_ = false;
    if (complete && p_.messages.MessageDlg(finishedQuestion(), skin::TMsgDlgType::mtWarning,
                                           skin::mbYes | skin::mbNo, 0) == skin::mrYes) {
        p_.startPlayWorker(path);
        p_.formResize();
    }
    p_.client.DropSocket();
    p_.progressBar.hide();
    emit downloadEnded(complete);
}

} // namespace app
