// A movie given by URL: the control fetches it itself and plays it; a failed fetch leaves it
// blank and usable.

#include "flash/host/TShockwaveFlash.h"
#include "platform/Process.h"
#include "tests/support/SwfWriter.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

using testsupport::waitFor;

namespace {

class MovieServer {
public:
    explicit MovieServer(QByteArray reply) : reply_(std::move(reply)) {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    if (!s->readAll().contains("\r\n\r\n"))
                        return;
                    s->write(reply_);
                    s->disconnectFromHost();
                });
                QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    QString url() const {
        return QStringLiteral("http://127.0.0.1:%1/m.swf").arg(server_.serverPort());
    }

private:
    QTcpServer server_;
    QByteArray reply_;
};

class UrlMovie : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(platform::RunCommandAndWait(
                      QStringLiteral("\"%1\" /s \"%2\"").arg(REGSVR32_PATH, SWFLASH_PATH), 0, {}),
                  0);
        flash = std::make_unique<flash::TShockwaveFlash>(&parent);
    }
    testsupport::IsolatedEnvironment env;
    QWidget parent;
    std::unique_ptr<flash::TShockwaveFlash> flash;
};

} // namespace

TEST_F(UrlMovie, FetchedMovieLoadsAndStartsByItself) {
    const QByteArray movie = testsupport::makeMovingSquareMovie(12, 12);
    MovieServer server("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(movie.size()) +
                       "\r\nConnection: close\r\n\r\n" + movie);
    flash->set_Movie(server.url());
    ASSERT_TRUE(waitFor([&] { return flash->PercentLoaded() == 100; }));
    EXPECT_EQ(flash->get_TotalFrames(), 12);
    EXPECT_TRUE(waitFor([&] { return flash->CurrentFrame() > 1; }));
}

TEST_F(UrlMovie, FailedFetchLeavesTheControlBlankAndUsable) {
    MovieServer missing(
        "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
    flash->set_Movie(missing.url());
    QTest::qWait(300);
    EXPECT_EQ(flash->get_TotalFrames(), 0);
    MovieServer garbage(
        "HTTP/1.1 200 OK\r\nContent-Length: 12\r\nConnection: close\r\n\r\nGIF89a......");
    flash->set_Movie(garbage.url());
    QTest::qWait(300);
    EXPECT_EQ(flash->get_TotalFrames(), 0);
    flash->set_Movie(
        testsupport::writeFile(env.file("ok.swf"), testsupport::makeMovingSquareMovie(4)));
    EXPECT_EQ(flash->get_TotalFrames(), 4);
}
