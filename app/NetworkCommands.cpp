#include "app/NetworkCommands.h"

#include "app/DownloadLink.h"
#include "app/DownloadWorker.h"
#include "app/PlayerState.h"
#include "net/TNetHTTP.h"
#include "playlist/FileDialog.h"
#include "playlist/PlaylistCommands.h"
#include "skin/controls/TSeSkinMessage.h"
#include "skin/controls/TSeSkinProgressBar.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QUrl>
#include <limits>

namespace app {
namespace {

void noteWorkBegin(DownloadLink& link, int64_t workCountMax) {
    link.workCountMax = workCountMax;
    link.workCount = 0;
    ++link.runs;
}

} // namespace

NetworkCommands::NetworkCommands(NetworkParts parts, QObject* parent)
    : QObject(parent), p_(std::move(parts)), link_(std::make_shared<DownloadLink>()) {
    link_->commands = this;
    // The client's events come on the worker: they see only the shared link, which stays
    // valid for as long as the client may raise them.
    const std::shared_ptr<DownloadLink> link = link_;
    p_.client.OnWorkBegin = [link](net::TNetComponent&, net::TWorkMode, int64_t max) {
        noteWorkBegin(*link, max);
    };
    p_.client.OnWork = [link](net::TNetComponent&, net::TWorkMode, int64_t count) {
        link->workCount = count;
    };
    p_.client.OnWorkEnd = [](net::TNetComponent&, net::TWorkMode) {
        // The end of a chunk, of the body and of a broken transfer look alike here; the
        // worker knows which it was once DownloadTo returns, and the display ends then.
    };
    progressTimer_.setInterval(kProgressIntervalMs);
    progressTimer_.setTimerType(Qt::PreciseTimer);
    connect(&progressTimer_, &QTimer::timeout, this, &NetworkCommands::showProgress);
}

NetworkCommands::~NetworkCommands() {
    const std::lock_guard lock(link_->mutex);
    link_->commands = nullptr;
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

QString NetworkCommands::proposedFileName(const QString& url) {
    const QUrl parsed(url.trimmed());
    if (!parsed.isValid())
        return {};
    QString path = parsed.path(QUrl::FullyDecoded);
    // An encoded slash or backslash must not turn the name into a path.
    path.replace(u'\\', u'/');
    QString name = path.mid(path.lastIndexOf(u'/') + 1);
    name.remove(QChar(0));
    name = name.trimmed();
    if (name == QStringLiteral(".") || name == QStringLiteral(".."))
        return {};
    // File names are limited to 255 bytes; a long URL step keeps its end, the extension.
    while (name.toUtf8().size() > 200)
        name.remove(0, 1);
    return name;
}

void NetworkCommands::proposeTarget() {
    // The shared dialog still holds what the last command chose (a capture's ".bmp" name,
    // say): a download proposes the URL's own file name as a movie, in the same folder.
    playlist::FileDialog& dialog = p_.saveDialog;
    dialog.setFilter(QStringLiteral(".swf|*.swf"));
    dialog.setDefaultExt(QStringLiteral(".swf"));
    const QString name = proposedFileName(downloadUrl_);
    const QString previous = dialog.fileName();
    const QFileInfo before(previous);
    if (!previous.isEmpty() && before.isAbsolute())
        dialog.setFileName(name.isEmpty() ? before.absolutePath() + u'/'
                                          : QDir(before.absolutePath()).filePath(name));
    else
        dialog.setFileName(name);
}

void NetworkCommands::Download() {
    p_.edit1.paste();
    downloadUrl_ = p_.edit1.text();
    if (p_.messages.InputQuery(QStringLiteral("下载网络中Flash文件"), QStringLiteral("URL:"),
                               downloadUrl_)) {
        proposeTarget();
        if (p_.saveDialog.execute()) {
            // One client serves every download, and it does one transfer at a time.
            if (running_) {
                p_.messages.MessageDlg(busyText(), skin::TMsgDlgType::mtInformation, skin::mbOK, 0);
            } else {
                running_ = true;
                link_->runs = 0;
                link_->workCountMax = 0;
                link_->workCount = 0;
                shownRuns_ = 0;
                shownCount_ = -1;
                auto* worker =
                    new MyThread(p_.client, downloadUrl_, p_.saveDialog.fileName(), link_);
                worker_ = worker;
                progressTimer_.start();
                worker->start();
            }
        }
    }
    p_.edit1.setText(QString());
}

bool NetworkCommands::shutDown() {
    closing_ = true;
    progressTimer_.stop();
    {
        const std::lock_guard lock(link_->mutex);
        link_->commands = nullptr;
    }
    if (!running_)
        return true;
    p_.client.Abort();
    return !worker_ || worker_->wait(5000);
}

void NetworkCommands::NetHTTP1WorkBegin(int64_t workCountMax) {
    noteWorkBegin(*link_, workCountMax);
}

void NetworkCommands::NetHTTP1Work(int64_t workCount) {
    link_->workCount = workCount;
}

void NetworkCommands::NetHTTP1WorkEnd() {}

void NetworkCommands::showProgress() {
    const uint64_t runs = link_->runs;
    if (runs == 0)
        return; // no body has begun yet
    bool changed = false;
    if (runs != shownRuns_) {
        // A new body or chunk: the bar restarts with its length.
        shownRuns_ = runs;
        shownCount_ = -1;
        const int64_t max = std::max<int64_t>(0, link_->workCountMax);
        const int64_t limit = std::numeric_limits<int>::max();
        barUnit_ = max > limit ? (max + limit - 1) / limit : 1;
        p_.progressBar.show();
        p_.progressBar.raise();
        p_.progressBar.setMax(static_cast<int>(max / barUnit_));
        changed = true;
    }
    const int64_t count = link_->workCount;
    if (count != shownCount_) {
        shownCount_ = count;
        p_.progressBar.setPosition(
            static_cast<int>(std::min<int64_t>(count / barUnit_, std::numeric_limits<int>::max())));
        changed = true;
    }
    if (changed)
        ++progressUpdates_;
}

void NetworkCommands::DownloadFinished(bool complete, const QString& path) {
    running_ = false;
    progressTimer_.stop();
    auto finish = [&] {
        // The figures the timer had not shown yet, so the bar stands where the body ended.
        showProgress();
        if (complete && p_.messages.MessageDlg(finishedQuestion(), skin::TMsgDlgType::mtWarning,
                                               skin::mbYes | skin::mbNo, 0) == skin::mrYes) {
            p_.startPlayWorker(path);
            p_.formResize();
        }
    };
    if (p_.guard)
        p_.guard(finish);
    else
        finish();
    try {
        p_.client.DropSocket();
    } catch (...) {
        // The transfer is over either way; a socket that will not close changes nothing.
    }
    p_.progressBar.hide();
    emit downloadEnded(complete);
}

} // namespace app
