#pragma once

// Internet play (the control fetches the URL itself) and network download (our own HTTP
// client fetches it into a file on a worker thread, with progress over the seek bar).

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <QTimer>
#include <cstdint>
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

struct DownloadLink;
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
    // Runs the end of a download through the application's error report.
    std::function<void(const std::function<void()>&)> guard;
};

class NetworkCommands : public QObject {
    Q_OBJECT
public:
    explicit NetworkCommands(NetworkParts parts, QObject* parent = nullptr);
    ~NetworkCommands() override;

    void InternetPlay(); // SeSkinSpeedButton2Click
    void PlayInternetMovie();
    void Download(); // SeSkinSpeedButton8Click
    bool downloading() const { return running_; }
    // Before the window goes: breaks off a running download and gives its worker a few
    // seconds to end. Returns false when the worker is still running (it then must keep the
    // client). After this the worker reports nothing back.
    bool shutDown();
    bool closing() const { return closing_; }

    // Progress handlers, called on the download thread: they only note the figures, which
    // the progress timer shows.
    void NetHTTP1WorkBegin(int64_t workCountMax);
    void NetHTTP1Work(int64_t workCount);
    void NetHTTP1WorkEnd();

    // The download worker's ending, on this thread: after the whole body (ask whether to
    // play), or after a failure (no question).
    void DownloadFinished(bool complete, const QString& path);

    // The file name a download of url proposes: the last step of the URL's path, decoded,
    // or empty when the URL names no file.
    static QString proposedFileName(const QString& url);

    // How often the progress bar follows a running download: at most about 30 times a
    // second, however fast the bytes come.
    static constexpr int kProgressIntervalMs = 33;
    // How many times the progress bar was changed since the window started.
    int progressUpdates() const { return progressUpdates_; }

    static QString finishedQuestion() { return QStringLiteral("网络文件下载完毕，是否现在播放？"); }
    static QString busyText() { return QStringLiteral("正在下载另一个文件，请等它完成。"); }

signals:
    // For tests and anyone watching: a worker has ended and its file is closed.
    void downloadEnded(bool complete);

private:
    void showProgress();
    void proposeTarget();

    NetworkParts p_;
    QString downloadUrl_;
    std::shared_ptr<DownloadLink> link_;
    bool running_ = false;
    bool closing_ = false;
    QPointer<QThread> worker_;
    QTimer progressTimer_;
    uint64_t shownRuns_ = 0;
    int64_t shownCount_ = -1;
    // Bodies beyond the bar's integer range are shown in units of this many bytes.
    int64_t barUnit_ = 1;
    int progressUpdates_ = 0;
};

} // namespace app
