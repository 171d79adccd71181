#pragma once

// The download worker: fetches one URL with the window's HTTP client into a file and ends.
// The bytes arrive in NAME.part, which replaces any file of the chosen name only once the
// whole body is there and is closed before the window is told, so a movie offered for
// playing is complete on disk.

#include <QString>
#include <QThread>
#include <memory>

namespace net {
class TNetHTTP;
}

namespace app {

struct DownloadLink;

class MyThread : public QThread {
    Q_OBJECT
public:
    MyThread(net::TNetHTTP& client, QString url, QString path, std::shared_ptr<DownloadLink> link);

protected:
    void run() override;

private:
    net::TNetHTTP& client_;
    QString url_;
    QString path_;
    std::shared_ptr<DownloadLink> link_;
};

} // namespace app
