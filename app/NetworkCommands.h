#pragma once

// Internet play (the control fetches the URL itself) and network download (our own HTTP
// client fetches it into a file on a worker thread, with progress over the seek bar).

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

class QLineEdit;

namespace net {
class TNetHTTP;
}
namespace playlist {
class FileDialog;
class PlaylistCommands;
} // namespace playlist
namespace skin {
class TSeSkinMessage;
class TSeSkinProgressBar;
} // namespace skin

namespace app {

struct PlayerState;

struct NetworkParts {
    QLineEdit& edit1; // hidden scratch field the clipboard is pasted into
    skin::TSeSkinMessage& messages;
    playlist::FileDialog& saveDialog;
    playlist::PlaylistCommands& playlist;
    skin::TSeSkinProgressBar& progressBar;
    net::TNetHTTP& client;
    PlayerState& state;
    std::function<void(const QString& statusText)> playRoutine;
    std::function<void(const QString& path)> startPlayWorker;
    std::function<void()> formResize;
};

class NetworkCommands : public QObject {
    Q_OBJECT
public:
    explicit NetworkCommands(NetworkParts parts, QObject* parent = nullptr);
    ~NetworkCommands() override;

    void InternetPlay(); // SeSkinSpeedButton2Click
    void PlayInternetMovie();
    void Download(); // SeSkinSpeedButton8Click
    bool downloading() const { return running_.load(); }
    // Before the window goes: breaks off a running download and gives its worker a few
    // seconds to end. Returns false when the worker is still running (it then must keep the
    // client). After this the worker reports nothing back.
    bool shutDown();
    bool closing() const { return closing_.load(); }

    // Progress handlers: called on the download thread, they hand their effect to this one.
    void NetHTTP1WorkBegin(int64_t workCountMax);
    void NetHTTP1Work(int64_t workCount);
    void NetHTTP1WorkEnd();

    // The download worker's ending, on this thread: after the whole body (ask whether to
    // play), or after a failure (no question).
    void DownloadFinished(bool complete, const QString& path);

    static QString finishedQuestion() { return QStringLiteral("网络文件下载完毕，是否现在播放？"); }
    static QString busyText() { return QStringLiteral("正在下载另一个文件，请等它完成。"); }

signals:
    // For tests and anyone watching: a worker has ended and its file is closed.
    void downloadEnded(bool complete);

private:
    NetworkParts p_;
    QString downloadUrl_;
    std::atomic<bool> running_{false};
    std::atomic<bool> closing_{false};
    QPointer<QThread> worker_;
    // Bodies beyond the bar's integer range are shown in units of this many bytes.
    std::atomic<int64_t> barUnit_{1};
};

} // namespace app
