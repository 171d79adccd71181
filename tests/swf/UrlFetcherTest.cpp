// The URL fetcher against a small HTTP server on 127.0.0.1 run by the test itself.

#include "flash/UrlFetcher.h"
#include "swf/format/MovieLoader.h"
#include "tests/support/SwfWriter.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Answers every request with what the handler writes on the socket.
class TinyHttpServer : public QObject {
public:
    using Handler = std::function<void(const QByteArray& path, QTcpSocket* socket)>;
    explicit TinyHttpServer(Handler handler) : handler_(std::move(handler)) {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                auto* request = new QByteArray;
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s, request] {
                    request->append(s->readAll());
                    if (!request->contains("\r\n\r\n"))
                        return;
                    const QByteArray path = request->split(' ').value(1);
                    request->clear();
                    handler_(path, s);
                });
                QObject::connect(s, &QTcpSocket::disconnected, s, [s, request] {
                    delete request;
                    s->deleteLater();
                });
            }
        });
    }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }

private:
    QTcpServer server_;
    Handler handler_;
};

QByteArray response(const QByteArray& status, const QByteArray& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

TEST(UrlFetcher, DeliversTheBodyInPiecesThatLoadAsAMovie) {
    const QByteArray movie = testsupport::makeMovingSquareMovie(300);
    TinyHttpServer server([&](const QByteArray&, QTcpSocket* s) {
        // Half now, the rest a little later, so the loader sees a partial movie first.
        const QByteArray all = response("200 OK", movie);
        const qsizetype half = all.size() / 2;
        s->write(all.left(half));
        QTimer::singleShot(300, s, [s, all, half] {
            s->write(all.mid(half));
            s->disconnectFromHost();
        });
    });
    flash::UrlFetcher fetcher(server.url("/movie.swf"));
    swf::MovieLoader loader;
    int partialPercent = -1;
    QObject::connect(&fetcher, &flash::UrlFetcher::dataReceived, [&](const QByteArray& chunk) {
        ASSERT_TRUE(loader.append(chunk.constData(), chunk.size()).ok());
        if (loader.percentLoaded() < 100 && loader.framesLoaded() > 0)
            partialPercent = loader.percentLoaded();
    });
    QSignalSpy finished(&fetcher, &flash::UrlFetcher::finished);
    QSignalSpy failed(&fetcher, &flash::UrlFetcher::failed);
    fetcher.start();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(failed.count(), 0);
    ASSERT_TRUE(loader.finish().ok());
    EXPECT_EQ(loader.framesLoaded(), 300);
    EXPECT_GT(partialPercent, 0) << "frames were available before the whole file arrived";
}

TEST(UrlFetcher, HttpErrorStatusFails) {
    TinyHttpServer server([](const QByteArray&, QTcpSocket* s) {
        s->write(response("404 Not Found", "no such movie"));
        s->disconnectFromHost();
    });
    flash::UrlFetcher fetcher(server.url("/missing.swf"));
    QSignalSpy data(&fetcher, &flash::UrlFetcher::dataReceived);
    QSignalSpy finished(&fetcher, &flash::UrlFetcher::finished);
    QSignalSpy failed(&fetcher, &flash::UrlFetcher::failed);
    fetcher.start();
    ASSERT_TRUE(failed.wait(10000));
    EXPECT_TRUE(failed.at(0).at(0).toString().contains("404"));
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(data.count(), 0);
}

TEST(UrlFetcher, RefusedConnectionAndBrokenTransferFail) {
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closedPort = probe.serverPort();
    }
    flash::UrlFetcher refused(QStringLiteral("http://127.0.0.1:%1/x.swf").arg(closedPort));
    QSignalSpy refusedFailed(&refused, &flash::UrlFetcher::failed);
    refused.start();
    EXPECT_TRUE(refusedFailed.wait(10000));

    // The server promises 1000 bytes and hangs up after 10.
    TinyHttpServer server([](const QByteArray&, QTcpSocket* s) {
        s->write("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n0123456789");
        s->disconnectFromHost();
    });
    flash::UrlFetcher cut(server.url("/cut.swf"));
    QSignalSpy cutFailed(&cut, &flash::UrlFetcher::failed);
    QSignalSpy cutFinished(&cut, &flash::UrlFetcher::finished);
    cut.start();
    EXPECT_TRUE(cutFailed.wait(10000));
    EXPECT_EQ(cutFinished.count(), 0);
}

TEST(UrlFetcher, OnlyHttpAndHttpsAreFetched) {
    for (const char* url : {"ftp://127.0.0.1/a.swf", "file:///etc/passwd", "not a url", ""}) {
        flash::UrlFetcher fetcher(QString::fromLatin1(url));
        QSignalSpy failed(&fetcher, &flash::UrlFetcher::failed);
        fetcher.start();
        EXPECT_EQ(failed.count(), 0) << "failure is reported through the event loop";
        EXPECT_TRUE(failed.wait(2000)) << url;
    }
}

TEST(UrlFetcher, BodyOverTheLimitFails) {
    TinyHttpServer server([](const QByteArray&, QTcpSocket* s) {
        s->write(response("200 OK", QByteArray(200000, 'x')));
        s->disconnectFromHost();
    });
    flash::UrlFetcher fetcher(server.url("/big.swf"));
    fetcher.setMaxBytes(1000);
    QSignalSpy failed(&fetcher, &flash::UrlFetcher::failed);
    fetcher.start();
    ASSERT_TRUE(failed.wait(10000));
    EXPECT_TRUE(failed.at(0).at(0).toString().contains("too large"));
}

TEST(UrlFetcher, DestroyingCancelsAStalledTransferPromptly) {
    TinyHttpServer server([](const QByteArray&, QTcpSocket* s) {
        s->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nFWS"); // then nothing
    });
    QElapsedTimer timer;
    {
        auto fetcher = std::make_unique<flash::UrlFetcher>(server.url("/stall.swf"));
        QSignalSpy data(fetcher.get(), &flash::UrlFetcher::dataReceived);
        fetcher->start();
        data.wait(3000); // the first bytes arrive, then the server goes quiet
        timer.start();
    }
    EXPECT_LT(timer.elapsed(), 5000);
    // Nothing queued for the destroyed fetcher may run now.
    QCoreApplication::processEvents();
}
