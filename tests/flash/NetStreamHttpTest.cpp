// A movie on the web playing an FLV beside it: NetStream.play fetches the file through the
// control's host from a real server on 127.0.0.1 that the test runs, like any other load.

#include "FileServer.h"
#include "flash/plugin/ControlHost.h"
#include "swf/Player.h"
#include "swf/format/MovieLoader.h"
#include "tests/support/ActionBuilder.h"
#include "tests/support/SwfWriter.h"
#include "tests/support/Wait.h"
#include "tests/swf/media/FlvWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <optional>

using testsupport::ActionBuilder;
using testsupport::PushValue;

namespace {

// The control's loads, with the movie's trace lines kept.
class TracingHost : public swf::PlayerHost {
public:
    QStringList traces;
    QStringList loads;
    flash::ControlHost control;
    void trace(const QString& line) override { traces << line; }
    void load(const QString& url, qint64 maxBytes, LoadDone done) override {
        loads << url;
        control.load(url, maxBytes, std::move(done));
    }
    std::unique_ptr<PieceLoad> loadInPieces(const QString& url, qint64 maxBytes,
                                            PieceCallbacks callbacks) override {
        loads << url;
        return control.loadInPieces(url, maxBytes, std::move(callbacks));
    }
};

// Serves one file: the headers with its full length and the first part of the body at once,
// the rest only when the test says. Notes when the client goes away.
class TrickleServer : public QObject {
public:
    QByteArray body;
    qsizetype firstPart = 0;
    bool clientGone = false;
    int requests = 0;

    TrickleServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    if (!s->readAll().contains("\r\n\r\n") || socket_)
                        return;
                    ++requests;
                    socket_ = s;
                    s->write(
                        "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
                        "\r\nConnection: close\r\n\r\n" + body.left(firstPart));
                });
                connect(s, &QTcpSocket::disconnected, this, [this, s] {
                    clientGone = clientGone || s == socket_;
                    s->deleteLater();
                });
            }
        });
    }
    void sendRest() {
        if (socket_) {
            socket_->write(body.mid(firstPart));
            socket_->disconnectFromHost();
        }
    }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }

private:
    QTcpServer server_;
    QTcpSocket* socket_ = nullptr;
};

// Plays url; every status code and the metadata's width are traced. With closeAtStart, the
// stream is closed as soon as it starts.
QByteArray movieThatPlays(const QByteArray& url, bool closeAtStart = false) {
    testsupport::SwfWriter w(100, 100, 25);
    ActionBuilder onStatus;
    onStatus.get("info").push("code").getMember().trace();
    // How much has come of how much, as the stream tells it.
    onStatus.get("ns").push("bytesLoaded").getMember().push("/").stringAdd();
    onStatus.get("ns").push("bytesTotal").getMember().stringAdd().trace();
    if (closeAtStart)
        onStatus.callMethod("ns", "close", {}).pop();
    ActionBuilder onMetaData;
    onMetaData.get("info").push("width").getMember().trace();
    ActionBuilder a;
    a.push({"nc", 0, "NetConnection"}).newObject().setVariable();
    a.callMethod("nc", "connect", {PushValue::null()}).pop();
    a.push("ns").get("nc").push({1, "NetStream"}).newObject().setVariable();
    a.get("ns").push("onStatus").defineFunction("", {"info"}, onStatus).setMember();
    a.get("ns").push("onMetaData").defineFunction("", {"info"}, onMetaData).setMember();
    a.callMethod("ns", "play", {PushValue(url)}).pop();
    w.doAction(a.finish());
    w.showFrame();
    return w.finish();
}

QStringList withoutByteCounts(const QStringList& traces) {
    QStringList out;
    for (const QString& t : traces)
        if (!t.contains(QLatin1Char('/')))
            out << t;
    return out;
}

QByteArray flvWithMetaData() {
    QByteArray flv = flvwriter::header(false);
    flvwriter::putTag(flv, 18, 0, flvwriter::metaData(0.1, 320, 240));
    flvwriter::putTag(flv, 9, 0, QByteArray("\x12\x00\x00\x84", 4));
    return flv;
}

} // namespace

TEST(NetStreamHttp, AFileBesideAMovieOnTheWebPlaysAndAMissingOneIsNotFound) {
    for (const bool present : {true, false}) {
        flashtest::FileServer server;
        if (present)
            server.files["/site/clips/a.flv"] = flvWithMetaData();
        TracingHost host;
        auto movie = swf::loadMovie(movieThatPlays("clips/a.flv"));
        ASSERT_TRUE(movie.ok());
        swf::Player player(movie.value(), {}, &host, server.url("/site/movie.swf"));
        const QString last = present ? "NetStream.Play.Stop" : "NetStream.Play.StreamNotFound";
        ASSERT_TRUE(testsupport::waitFor([&] {
            player.tick();
            return host.traces.contains(last);
        })) << host.traces.join(", ").toStdString()
            << " requested " << host.loads.join(" ").toStdString()
            << server.requested.join(" ").toStdString();
        EXPECT_EQ(server.requested, QList<QByteArray>{"/site/clips/a.flv"});
        const QStringList said = withoutByteCounts(host.traces);
        if (present)
            EXPECT_EQ(said.mid(0, 3),
                      (QStringList{"NetStream.Play.Start", "NetStream.Buffer.Full", "320"}));
        else
            EXPECT_EQ(said, QStringList{"NetStream.Play.StreamNotFound"});
    }
}

TEST(NetStreamHttp, AFileStillDownloadingPlaysWhatCameAndFinishesWhenTheRestDoes) {
    TrickleServer server;
    // Metadata and pictures up to 0.5 s come first; pictures up to 3 s wait on the server.
    server.body = flvWithMetaData();
    for (uint32_t t = 100; t <= 3000; t += 100) {
        flvwriter::putTag(server.body, 9, t, QByteArray("\x22\x00\x00\x84", 4));
        if (t == 500)
            server.firstPart = server.body.size();
    }
    TracingHost host;
    auto movie = swf::loadMovie(movieThatPlays("a.flv"));
    ASSERT_TRUE(movie.ok());
    swf::Player player(movie.value(), {}, &host, server.url("/movie.swf"));
    ASSERT_TRUE(testsupport::waitFor([&] {
        player.tick();
        return host.traces.contains("NetStream.Buffer.Empty");
    })) << host.traces.join(", ").toStdString();
    // Started with what came, knowing how much is to come, and ran dry at its end.
    const QString partly = QStringLiteral("%1/%2").arg(server.firstPart).arg(server.body.size());
    EXPECT_EQ(host.traces.mid(0, 2), (QStringList{"NetStream.Play.Start", partly}));
    EXPECT_FALSE(host.traces.contains("NetStream.Play.Stop"));

    host.traces.clear();
    server.sendRest();
    ASSERT_TRUE(testsupport::waitFor(
        [&] {
            player.tick();
            return host.traces.contains("NetStream.Play.Stop");
        },
        10000))
        << host.traces.join(", ").toStdString();
    const QString whole = QStringLiteral("%1/%1").arg(server.body.size());
    EXPECT_EQ(host.traces.mid(0, 2), (QStringList{"NetStream.Buffer.Full", whole}));
    EXPECT_EQ(server.requests, 1);
}

TEST(NetStreamHttp, ClosingTheStreamEndsItsDownload) {
    TrickleServer server;
    server.body = flvWithMetaData();
    server.firstPart = server.body.size();
    server.body += QByteArray(4 << 20, '\0'); // never sent
    TracingHost host;
    auto movie = swf::loadMovie(movieThatPlays("a.flv", true));
    ASSERT_TRUE(movie.ok());
    swf::Player player(movie.value(), {}, &host, server.url("/movie.swf"));
    ASSERT_TRUE(testsupport::waitFor([&] {
        player.tick();
        return host.traces.contains("NetStream.Play.Start");
    }));
    // The transfer notices within about a second and hangs up.
    EXPECT_TRUE(testsupport::waitFor(
        [&] {
            player.tick();
            return server.clientGone;
        },
        5000));
    EXPECT_EQ(withoutByteCounts(host.traces).mid(0, 1), QStringList{"NetStream.Play.Start"});
}

TEST(NetStreamHttp, ALocalFileComesAMegabyteAtATimeAndATooLargeOneFails) {
    QTemporaryDir dir;
    QFile file(dir.filePath("big.flv"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray bytes(5 * (1 << 19), 'x'); // two and a half megabytes
    file.write(bytes);
    file.close();
    flash::ControlHost host;
    for (const qint64 limit : {qint64(10 << 20), qint64(2 << 20)}) {
        qint64 announced = -1;
        QList<qsizetype> pieces;
        QByteArray whole;
        std::optional<bool> ended;
        swf::PlayerHost::PieceCallbacks callbacks;
        callbacks.size = [&](qint64 total) { announced = total; };
        callbacks.piece = [&](const QByteArray& piece) {
            pieces << piece.size();
            whole += piece;
        };
        callbacks.done = [&](bool ok) { ended = ok; };
        auto handle =
            host.loadInPieces(QUrl::fromLocalFile(file.fileName()).toString(), limit, callbacks);
        ASSERT_TRUE(ended.has_value()) << "a local file is read at once";
        if (limit > bytes.size()) {
            EXPECT_TRUE(*ended);
            EXPECT_EQ(announced, bytes.size());
            EXPECT_EQ(pieces, (QList<qsizetype>{1 << 20, 1 << 20, 1 << 19}));
            EXPECT_EQ(whole, bytes);
        } else {
            EXPECT_FALSE(*ended);
            EXPECT_TRUE(pieces.isEmpty()) << "nothing of a file over the limit is handed over";
        }
    }
    bool failed = false;
    swf::PlayerHost::PieceCallbacks missing;
    missing.piece = [](const QByteArray&) {};
    missing.done = [&](bool ok) { failed = !ok; };
    (void)host.loadInPieces(dir.filePath("nothing.flv"), 1 << 20, missing);
    EXPECT_TRUE(failed);
}
