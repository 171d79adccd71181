// Internet play and network download through the main window, against a small HTTP server on
// 127.0.0.1 that the test runs in its own event loop.

#include "AppFixture.h"
#include "app/NetworkCommands.h"
#include "playlist/FileDialog.h"
#include "playlist/PlaylistCommands.h"
#include "playlist/TDropFilelistbox1.h"
#include "skin/controls/TSeSkinProgressBar.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

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
        ++runs;
        if (path_.isEmpty())
            return std::nullopt;
        return QStringList{path_};
    }
    QString lastFilter;
    int runs = 0;

private:
    QString path_;
};

QByteArray okReply(const QByteArray& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

class Network : public AppTest {
protected:
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
