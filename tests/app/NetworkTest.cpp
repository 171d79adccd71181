// Internet play and network download through the main window, against a small HTTP server on
// 127.0.0.1 that the test runs in its own event loop.

#include "AppFixture.h"
#include "app/NetworkCommands.h"
#include "playlist/FileDialog.h"
#include "playlist/PlaylistCommands.h"
#include "playlist/TDropFilelistbox1.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinProgressBar.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

using namespace apptest;

namespace {

// Answers every request with the prepared reply, optionally closing after part of it.
class OneShotHttpServer {
public:
    OneShotHttpServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    request_ += s->readAll();
                    if (!request_.contains("\r\n\r\n"))
                        return;
                    s->write(cutAfter_ >= 0 ? reply_.left(cutAfter_) : reply_);
                    s->flush();
                    s->disconnectFromHost();
                });
                QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    void setReply(const QByteArray& reply, int cutAfter = -1) {
        reply_ = reply;
        cutAfter_ = cutAfter;
    }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }
    const QByteArray& request() const { return request_; }

private:
    QTcpServer server_;
    QByteArray reply_;
    QByteArray request_;
    int cutAfter_ = -1;
};

class SaveAs : public playlist::FileDialogProvider {
public:
    explicit SaveAs(QString path) : path_(std::move(path)) {}
    std::optional<QStringList> run(const playlist::FileDialogRequest& request) override {
        lastFilter = request.filter;
        lastDefaultExt = request.defaultExt;
        lastFileName = request.fileName;
        ++runs;
        if (path_.isEmpty())
            return std::nullopt;
        return QStringList{path_};
    }
    QString lastFilter;
    QString lastDefaultExt;
    QString lastFileName;
    int runs = 0;

private:
    QString path_;
};

// Sends a counted body in small pieces on a timer, so the transfer takes a while; it can
// stop sending part-way and leave the connection open.
class TricklingHttpServer {
public:
    TricklingHttpServer(int pieces, int pieceSize, int intervalMs, int stallAfter = -1)
        : pieces_(pieces), pieceSize_(pieceSize), stallAfter_(stallAfter) {
        server_.listen(QHostAddress::LocalHost, 0);
        timer_.setInterval(intervalMs);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            QTcpSocket* s = server_.nextPendingConnection();
            socket_ = s;
            QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                request_ += s->readAll();
                if (!request_.contains("\r\n\r\n") || timer_.isActive())
                    return;
                s->write("HTTP/1.1 200 OK\r\nContent-Length: " +
                         QByteArray::number(qint64(pieces_) * pieceSize_) + "\r\n\r\n");
                timer_.start();
            });
        });
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (!socket_ || sent_ == stallAfter_) {
                timer_.stop();
                return;
            }
            socket_->write(QByteArray(pieceSize_, 'z'));
            if (++sent_ == pieces_) {
                timer_.stop();
                socket_->disconnectFromHost();
            }
        });
    }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }
    int sent() const { return sent_; }
    bool peerClosed() const {
        return !socket_ || socket_->state() == QAbstractSocket::UnconnectedState;
    }

private:
    QTcpServer server_;
    QPointer<QTcpSocket> socket_;
    QTimer timer_;
    QByteArray request_;
    int pieces_;
    int pieceSize_;
    int stallAfter_;
    int sent_ = 0;
};

QByteArray okReply(const QByteArray& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

class Network : public AppTest {
protected:
    // Starts a download of url into target and returns at once.
    // The driver answers the URL box, then whatever `later` queues for the boxes that follow.
    void startDownload(const QString& url, const QString& target, testsupport::ModalDriver& driver,
                       const std::function<void()>& later = {}) {
        SaveAs saveAs(target);
        form->SaveDialog1().setProvider(&saveAs);
        driver.typeAndPress(url, Qt::Key_Return);
        if (later)
            later();
        form->SeSkinSpeedButton8Click(nullptr);
        form->SaveDialog1().setProvider(nullptr);
        ASSERT_TRUE(form->network().downloading());
    }
    // Runs a download of url into target, answering the URL box, then whatever `later`
    // queues for the boxes that follow.
    bool download(const QString& url, const QString& target, testsupport::ModalDriver& driver,
                  const std::function<void()>& later = {}) {
        SaveAs saveAs(target);
        form->SaveDialog1().setProvider(&saveAs);
        QSignalSpy ended(&form->network(), &app::NetworkCommands::downloadEnded);
        driver.typeAndPress(url, Qt::Key_Return);
        if (later)
            later();
        form->SeSkinSpeedButton8Click(nullptr);
        form->SaveDialog1().setProvider(nullptr);
        EXPECT_EQ(saveAs.lastFilter, QStringLiteral(".swf|*.swf"));
        EXPECT_EQ(saveAs.lastDefaultExt, QStringLiteral(".swf"));
        if (!waitFor([&] { return ended.count() == 1; }, 10000))
            return false;
        return ended.at(0).at(0).toBool();
    }
};

} // namespace

TEST_F(Network, InternetPlayHandsTheUrlToTheControlAndListsItOnce) {
    QGuiApplication::clipboard()->setText(QStringLiteral("http://127.0.0.1:1/movie.swf"));
    testsupport::ModalDriver driver;
    QString prefill;
    driver.answer([&](QWidget* box) {
        auto* edit = box->findChild<QLineEdit*>();
        prefill = edit->text();
        QTest::keyClick(edit, Qt::Key_Return);
    });
    form->SeSkinSpeedButton2Click(nullptr);
    EXPECT_EQ(prefill, QStringLiteral("http://127.0.0.1:1/movie.swf"));
    EXPECT_EQ(driver.seen().at(0).title, QStringLiteral("播放网络中Flash"));
    EXPECT_EQ(form->state().currentMoviePath, prefill);
    ASSERT_EQ(form->DropFilelistbox11->lineCount(), 1);
    EXPECT_EQ(form->DropFilelistbox11->line(0), prefill);
    EXPECT_TRUE(form->ShockwaveFlash1().Visible());

    // A URL that is part of a line already plays without a new line; the edit kept its text,
    // so the next paste goes after it.
    QGuiApplication::clipboard()->clear();
    driver.typeAndPress(QStringLiteral("http://127.0.0.1:1/movie"), Qt::Key_Return);
    form->SeSkinSpeedButton2Click(nullptr);
    EXPECT_EQ(form->DropFilelistbox11->lineCount(), 1);
    EXPECT_EQ(form->Edit1->text(), prefill);
}

TEST_F(Network, CancellingTheUrlPlaysNothing) {
    testsupport::ModalDriver driver;
    driver.pressKey(Qt::Key_Escape);
    form->SeSkinSpeedButton2Click(nullptr);
    EXPECT_TRUE(form->state().currentMoviePath.isEmpty());
    EXPECT_EQ(form->DropFilelistbox11->lineCount(), 0);
}

TEST_F(Network, CompletedDownloadAsksOnceAndPlaysOnYes) {
    OneShotHttpServer server;
    const QByteArray movie = testsupport::makeMovingSquareMovie(20, 10);
    server.setReply(okReply(movie));
    const QString target = env.file("down.swf");
    testsupport::ModalDriver driver;
    int maxSeen = -1;
    ASSERT_TRUE(download(server.url("/m.swf"), target, driver, [&] {
        driver.answer([&](QWidget* box) {
            maxSeen = form->SeSkinProgressBar1->Max();
            QTest::keyClick(box->focusWidget(), Qt::Key_Return); // Yes
        });
    }));
    EXPECT_EQ(testsupport::readFile(target), movie);
    EXPECT_FALSE(QFile::exists(target + QStringLiteral(".part")));
    EXPECT_TRUE(server.request().startsWith("GET /m.swf HTTP/1.1\r\n"));
    EXPECT_TRUE(
        server.request().contains("\r\nUser-Agent: Mozilla/3.0 (compatible; Quarvel Library)\r\n"));
    EXPECT_TRUE(server.request().contains("\r\nAccept: text/html, */*\r\n"));
    ASSERT_EQ(driver.seen().size(), 2u);
    EXPECT_EQ(driver.seen()[1].title, QStringLiteral("Warning"));
    EXPECT_EQ(driver.seen()[1].text, QStringLiteral("网络文件下载完毕，是否现在播放？"));
    EXPECT_EQ(maxSeen, movie.size());
    EXPECT_FALSE(form->SeSkinProgressBar1->isVisible());
    EXPECT_TRUE(form->Edit1->text().isEmpty());
    ASSERT_TRUE(waitFor([&] { return form->ShockwaveFlash1().get_TotalFrames() == 20; }));
    EXPECT_EQ(form->state().currentMoviePath, target);
}

TEST_F(Network, AnsweringNoKeepsTheFileAndPlaysNothing) {
    OneShotHttpServer server;
    server.setReply(okReply(QByteArray(5000, 'x')));
    testsupport::ModalDriver driver;
    ASSERT_TRUE(download(server.url("/x"), env.file("x.swf"), driver,
                         [&] { driver.pressKey(Qt::Key_Escape); })); // No
    EXPECT_EQ(testsupport::readFile(env.file("x.swf")).size(), 5000);
    EXPECT_TRUE(form->state().currentMoviePath.isEmpty());
}

TEST_F(Network, ABrokenTransferIsCutToWhatArrivedAndAsksNothing) {
    OneShotHttpServer server;
    const QByteArray reply = okReply(QByteArray(100000, 'y'));
    server.setReply(reply, reply.size() - 60000);
    testsupport::ModalDriver driver;
    EXPECT_FALSE(download(server.url("/y"), env.file("y.swf"), driver));
    EXPECT_EQ(driver.seen().size(), 1u); // only the URL box
    // What arrived waits beside the chosen name, which never holds a broken movie.
    EXPECT_EQ(testsupport::readFile(env.file("y.swf.part")), QByteArray(40000, 'y'));
    EXPECT_FALSE(QFile::exists(env.file("y.swf")));
    EXPECT_FALSE(form->SeSkinProgressBar1->isVisible());
}

TEST_F(Network, AnErrorStatusIsAFailedDownloadWithoutTheQuestion) {
    OneShotHttpServer server;
    server.setReply(
        "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
    testsupport::ModalDriver driver;
    EXPECT_FALSE(download(server.url("/missing.swf"), env.file("e.swf"), driver));
    EXPECT_EQ(driver.seen().size(), 1u);
}

TEST_F(Network, CancellingTheSaveDialogDownloadsNothing) {
    OneShotHttpServer server;
    server.setReply(okReply("abc"));
    SaveAs cancel{QString()};
    form->SaveDialog1().setProvider(&cancel);
    testsupport::ModalDriver driver;
    driver.typeAndPress(server.url("/a"), Qt::Key_Return);
    form->SeSkinSpeedButton8Click(nullptr);
    form->SaveDialog1().setProvider(nullptr);
    EXPECT_EQ(cancel.runs, 1);
    QTest::qWait(100);
    EXPECT_TRUE(server.request().isEmpty());
    EXPECT_TRUE(form->Edit1->text().isEmpty());
}

TEST_F(Network, BothDownloadMenuEntriesClickTheToolBarButton) {
    testsupport::ModalDriver driver;
    driver.pressKey(Qt::Key_Escape);
    driver.pressKey(Qt::Key_Escape);
    form->CustomItem69Click(nullptr);
    form->CustomItem68Click(nullptr);
    ASSERT_EQ(driver.seen().size(), 2u);
    EXPECT_EQ(driver.seen()[0].title, QStringLiteral("下载网络中Flash文件"));
    EXPECT_EQ(driver.seen()[1].title, QStringLiteral("下载网络中Flash文件"));
}

TEST_F(Network, ADownloadProposesTheUrlsFileNameAsAMovieEvenAfterACapture) {
    // A capture leaves its ".bmp" name and extension in the shared dialog.
    SaveAs shot(env.file("pictures/last.bmp"));
    QDir().mkpath(env.file("pictures"));
    form->SaveDialog1().setProvider(&shot);
    form->CustomItem66->Click();
    ASSERT_EQ(form->SaveDialog1().fileName(), env.file("pictures/last.bmp"));

    OneShotHttpServer server;
    server.setReply(okReply("FWS-ish"));
    SaveAs saveAs(env.file("pictures/dl_sounds"));
    form->SaveDialog1().setProvider(&saveAs);
    testsupport::ModalDriver driver;
    driver.typeAndPress(server.url("/movies/dl_sounds.swf?from=list#top"), Qt::Key_Return);
    driver.pressKey(Qt::Key_Escape); // do not play it
    QSignalSpy ended(&form->network(), &app::NetworkCommands::downloadEnded);
    form->SeSkinSpeedButton8Click(nullptr);
    form->SaveDialog1().setProvider(nullptr);
    EXPECT_EQ(saveAs.lastDefaultExt, QStringLiteral(".swf"));
    EXPECT_EQ(saveAs.lastFilter, QStringLiteral(".swf|*.swf"));
    EXPECT_EQ(saveAs.lastFileName, env.file("pictures/dl_sounds.swf"));
    ASSERT_TRUE(waitFor([&] { return ended.count() == 1; }, 10000));
    // A name typed without extension is stored as a movie, not as a picture.
    EXPECT_EQ(testsupport::readFile(env.file("pictures/dl_sounds.swf")), QByteArray("FWS-ish"));
    EXPECT_FALSE(QFileInfo::exists(env.file("pictures/dl_sounds.bmp")));
}

TEST(NetworkNames, TheProposedNameIsTheUrlsLastPathStep) {
    using app::NetworkCommands;
    EXPECT_EQ(NetworkCommands::proposedFileName(QStringLiteral("http://h/a/dl_sounds.swf?x=1#y")),
              QStringLiteral("dl_sounds.swf"));
    EXPECT_EQ(NetworkCommands::proposedFileName(QStringLiteral("http://h:8080/%E7%94%B5.swf")),
              QStringLiteral("电.swf"));
    EXPECT_EQ(NetworkCommands::proposedFileName(QStringLiteral(" http://h/movie ")),
              QStringLiteral("movie"));
    // Nothing that is not a file name, and never a path.
    EXPECT_EQ(NetworkCommands::proposedFileName(QStringLiteral("http://h/")), QString());
    EXPECT_EQ(NetworkCommands::proposedFileName(QStringLiteral("http://h")), QString());
    EXPECT_EQ(NetworkCommands::proposedFileName(QStringLiteral("http://h/x/%2E%2E")), QString());
    EXPECT_EQ(
        NetworkCommands::proposedFileName(QStringLiteral("http://h/x/..%2F..%2Fetc%2Fpasswd")),
        QStringLiteral("passwd"));
    EXPECT_EQ(NetworkCommands::proposedFileName(QStringLiteral("http://h/a%5Cb.swf")),
              QStringLiteral("b.swf"));
    const QString longName = NetworkCommands::proposedFileName(
        QStringLiteral("http://h/") + QString(400, u'a') + QStringLiteral(".swf"));
    EXPECT_LE(longName.toUtf8().size(), 200);
    EXPECT_TRUE(longName.endsWith(QStringLiteral("a.swf")));
}

TEST_F(Network, ProgressReachesTheWindowAtMostAboutThirtyTimesASecond) {
    // 600 pieces, a couple of milliseconds apart: the client reports each one.
    TricklingHttpServer server(600, 2048, 2);
    const int before = form->network().progressUpdates();
    QSignalSpy ended(&form->network(), &app::NetworkCommands::downloadEnded);
    testsupport::ModalDriver driver;
    QElapsedTimer clock;
    clock.start();
    startDownload(server.url("/big.swf"), env.file("big.swf"), driver,
                  [&] { driver.pressKey(Qt::Key_Escape); }); // the question at the end: No
    int maxSeen = 0;
    ASSERT_TRUE(waitFor(
        [&] {
            if (form->SeSkinProgressBar1->isVisible())
                maxSeen = form->SeSkinProgressBar1->Max();
            return ended.count() == 1;
        },
        20000));
    const qint64 elapsed = clock.elapsed();
    const int updates = form->network().progressUpdates() - before;
    EXPECT_TRUE(ended.at(0).at(0).toBool());
    EXPECT_EQ(maxSeen, 600 * 2048);
    EXPECT_GE(updates, 5);
    // About 30 a second: the timer's own jitter and the last figures shown at the end aside.
    EXPECT_LE(updates, elapsed / 30 + 2) << updates << " updates in " << elapsed << " ms";
    EXPECT_EQ(testsupport::readFile(env.file("big.swf")).size(), 600 * 2048);
}

TEST_F(Network, ClosingTheWindowDuringADownloadBreaksItOffSafely) {
    // The server sends part of the body and then nothing: the worker is inside the client.
    TricklingHttpServer server(100, 1000, 5, 20);
    testsupport::ModalDriver driver;
    startDownload(server.url("/stalls.swf"), env.file("stalls.swf"), driver);
    ASSERT_TRUE(waitFor([&] { return server.sent() == 20; }));
    ASSERT_TRUE(waitFor([&] { return form->SeSkinProgressBar1->isVisible(); }));
    QElapsedTimer clock;
    clock.start();
    form.reset();
    EXPECT_LT(clock.elapsed(), 5000);
    ASSERT_TRUE(waitFor([&] { return server.peerClosed(); }));
    // What arrived stays; nothing pretends to be the whole movie.
    EXPECT_LE(testsupport::readFile(env.file("stalls.swf")).size(), 20 * 1000);
}

TEST_F(Network, ClosingTheWindowAsADownloadEndsNeverReachesTheGoneWindow) {
    // The worker finishes at about the moment the window goes, again and again.
    for (int round = 0; round < 15; ++round) {
        OneShotHttpServer server;
        server.setReply(okReply(QByteArray(2000 + round, 'q')));
        if (!form)
            createForm();
        testsupport::ModalDriver driver; // the URL, then "No" should the question come first
        startDownload(server.url("/q.swf"), env.file(QStringLiteral("q%1.swf").arg(round)), driver,
                      [&] { driver.pressKey(Qt::Key_Escape); });
        QTest::qWait(round % 4);
        form.reset();
    }
    // Anything still queued for the gone windows is dropped, not delivered.
    QTest::qWait(100);
    createForm();
    EXPECT_FALSE(form->network().downloading());
}
