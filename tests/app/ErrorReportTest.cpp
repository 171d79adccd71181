// The application's default error report: an error that a timer, a menu entry, a tool button
// or a key lets through is shown in one modal box with its message and OK, and the program,
// its other boxes and its timers go on.

#include "app/ErrorReport.h"
#include "AppFixture.h"
#include "flash/ControlAbi.h"
#include "playlist/FileDialog.h"
#include "playlist/PlaylistCommands.h"
#include "playlist/TDropFilelistbox1.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinSpeedButton.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QPointer>

using namespace apptest;

namespace {

class ErrorReports : public AppTest {
protected:
    // Every call of dispId fails with text, as a broken control's would.
    void failOn(int dispId, const QString& text) {
        form->ShockwaveFlash1().OnInvoke = [this, dispId, text](int id, const QVariantList& a) {
            calls.push_back({id, a});
            if (id == dispId)
                throw flash::EOleException(text, flash::E_FAIL);
        };
    }
    static void clickOk(QWidget* box) {
        for (QAbstractButton* b : box->findChildren<QAbstractButton*>())
            if (b->objectName() == QStringLiteral("OK"))
                return b->click();
        ADD_FAILURE() << "the box has no OK button";
    }
    int callCount(int dispId) const { return static_cast<int>(callsOf(dispId).size()); }
    void doubleClickPlaylistLine(int row) {
        playlist::TDropFilelistbox1* box = form->DropFilelistbox11;
        box->doItemsLayout();
        const QRect r = box->visualItemRect(box->item(row));
        const QPointF at(r.left() + 60, r.center().y());
        const QPointF global(box->viewport()->mapToGlobal(at));
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                  QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, global, Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(box->viewport(), &event);
        }
    }
};

} // namespace

TEST_F(ErrorReports, ATimerErrorShowsOneBoxUntilOkAndTheTimerKeepsRunning) {
    const QString text = QStringLiteral("装载进度读不出来");
    failOn(flash::DISPID_PercentLoaded, text);
    testsupport::ModalDriver driver;
    bool stayedOpen = false;
    int progressWhileOpen = 0;
    driver.answer([&](QWidget* box) {
        const int before = callCount(flash::DISPID_CurrentFrame);
        // The other timers go on meanwhile: the progress timer asks every 200 ms.
        QTest::qWait(3200);
        progressWhileOpen = callCount(flash::DISPID_CurrentFrame) - before;
        stayedOpen = box->isVisible() && QApplication::activeModalWidget() == box;
        clickOk(box);
    });
    driver.answer([&](QWidget* box) {
        // The failing timer itself is alive too: it fails again once the box is closed.
        form->Timer1.stop();
        clickOk(box);
    });
    form->Timer2.start();
    form->Timer1.start();
    ASSERT_TRUE(waitFor([&] { return driver.pending() == 0; }, 10000));
    form->Timer2.stop();
    EXPECT_TRUE(stayedOpen);
    EXPECT_GE(progressWhileOpen, 10);
    ASSERT_EQ(driver.seen().size(), 2u);
    EXPECT_EQ(driver.seen()[0].text, text);
    EXPECT_EQ(driver.seen()[0].buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(driver.seen()[1].text, text);
    EXPECT_FALSE(form->errorReport().showing());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ErrorReports, AMenuEntryErrorIsReportedAndTheNextCommandWorks) {
    failOn(flash::DISPID_Rewind, QStringLiteral("不能回到开头"));
    testsupport::ModalDriver driver;
    driver.clickButton(QStringLiteral("OK"));
    form->CustomItem33->action()->trigger(); // 到文件头(H)
    ASSERT_EQ(driver.seen().size(), 1u);
    EXPECT_EQ(driver.seen()[0].text, QStringLiteral("不能回到开头"));
    // The window goes on: the next entry does its work.
    form->CustomItem64->action()->trigger();
    EXPECT_TRUE(form->CustomItem64->Checked());
    EXPECT_EQ(form->errorReport().count(), 1);
}

TEST_F(ErrorReports, AToolButtonErrorIsReported) {
    class Unwritable : public playlist::FileDialogProvider {
    public:
        explicit Unwritable(QString path) : path_(std::move(path)) {}
        std::optional<QStringList> run(const playlist::FileDialogRequest&) override {
            return QStringList{path_};
        }

    private:
        QString path_;
    } unwritable(env.file("no-such-folder/shot.bmp"));
    form->SaveDialog1().setProvider(&unwritable);
    testsupport::ModalDriver driver;
    driver.clickButton(QStringLiteral("OK"));
    QTest::mouseClick(form->SeSkinSpeedButton7, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    form->SaveDialog1().setProvider(nullptr);
    ASSERT_EQ(driver.seen().size(), 1u);
    EXPECT_EQ(driver.seen()[0].text,
              QStringLiteral("Cannot create file ") + env.file("no-such-folder/shot.bmp"));
}

TEST_F(ErrorReports, AKeyErrorIsReportedEachTimeTheKeyIsPressed) {
    failOn(flash::DISPID_CurrentFrame, QStringLiteral("帧号读不出来"));
    testsupport::ModalDriver driver;
    driver.clickButton(QStringLiteral("OK"));
    driver.clickButton(QStringLiteral("OK"));
    QTest::keyClick(form.get(), Qt::Key_PageDown); // 快进(Pd)
    QTest::keyClick(form.get(), Qt::Key_PageUp);   // 快退(Pu)
    ASSERT_EQ(driver.seen().size(), 2u);
    EXPECT_EQ(driver.seen()[0].text, QStringLiteral("帧号读不出来"));
    EXPECT_EQ(driver.seen()[1].text, QStringLiteral("帧号读不出来"));
    EXPECT_TRUE(callsOf(flash::DISPID_GotoFrame).empty());
}

TEST_F(ErrorReports, AnotherErrorWaitsForTheOpenBoxInsteadOfClosingIt) {
    form->ShockwaveFlash1().OnInvoke = [](int id, const QVariantList&) {
        if (id == flash::DISPID_Rewind)
            throw flash::EOleException(QStringLiteral("first"), flash::E_FAIL);
        if (id == flash::DISPID_Stop)
            throw flash::EOleException(QStringLiteral("second"), flash::E_FAIL);
    };
    testsupport::ModalDriver driver;
    QPointer<QWidget> firstBox;
    bool firstStillOpen = false;
    driver.answer([&](QWidget* box) {
        firstBox = box;
        // A second command fails while the first box is open.
        form->CustomItem50->action()->trigger(); // 停止播放(S)
        QTest::qWait(50);
        firstStillOpen = box->isVisible() && QApplication::activeModalWidget() == box;
        clickOk(box);
    });
    driver.clickButton(QStringLiteral("OK"));
    form->CustomItem33->action()->trigger();
    ASSERT_EQ(driver.seen().size(), 2u);
    EXPECT_TRUE(firstStillOpen);
    EXPECT_EQ(driver.seen()[0].text, QStringLiteral("first"));
    EXPECT_EQ(driver.seen()[1].text, QStringLiteral("second"));
}

TEST_F(ErrorReports, SingleFileLoopOverANonMovieKeepsAskingUntilTheLoopIsOff) {
    const QString path = writeMovie("notes.swf", "these are not the frames you are looking for");
    form->playlistCommands().dropFiles({path});
    ASSERT_EQ(form->DropFilelistbox11->lineCount(), 1);
    form->CustomItem64->action()->trigger(); // 单个文件循环
    ASSERT_TRUE(form->CustomItem64->Checked());

    testsupport::ModalDriver driver;
    driver.clickButton(QStringLiteral("OK")); // the play worker's own message
    bool stayedOpen = false;
    driver.answer([&](QWidget* box) {
        QTest::qWait(3500);
        stayedOpen = box->isVisible() && QApplication::activeModalWidget() == box;
        clickOk(box);
    });
    driver.answer([&](QWidget* box) {
        // The playlist timer is still alive; the user turns the loop off.
        form->CustomItem64->action()->trigger();
        clickOk(box);
    });
    doubleClickPlaylistLine(0);
    ASSERT_TRUE(waitFor([&] { return driver.pending() == 0; }, 15000));
    ASSERT_EQ(driver.seen().size(), 3u);
    EXPECT_EQ(driver.seen()[0].text, QStringLiteral("无法播放，请确认文件格式是否正确！"));
    EXPECT_FALSE(driver.seen()[1].text.isEmpty());
    EXPECT_EQ(driver.seen()[2].text, driver.seen()[1].text);
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(form->CustomItem64->Checked());
    EXPECT_TRUE(form->Timer5.isActive());
    // With the loop off nothing more is asked.
    QTest::qWait(2200);
    EXPECT_EQ(driver.seen().size(), 3u);
}

TEST(ErrorReport, ReportsWhatAnyHandlerThrowsAndMergesRepeats) {
    QStringList shown;
    app::ErrorReport* reportPtr = nullptr;
    app::ErrorReport report([&](const QString& message) {
        shown << message;
        if (shown.size() > 1)
            return;
        // While the first box is up the same failure comes again, and another one once.
        reportPtr->guard([] { throw std::runtime_error("again"); });
        reportPtr->guard([] { throw std::runtime_error("again"); });
        reportPtr->guard([] { throw 42; });
        EXPECT_TRUE(reportPtr->showing());
    });
    reportPtr = &report;
    const auto handler = report.guarded([](int n) {
        if (n > 0)
            throw std::runtime_error("again");
    });
    handler(0);
    EXPECT_TRUE(shown.isEmpty());
    handler(1);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("again"), app::ErrorReport::unknownErrorText()}));
    EXPECT_EQ(report.count(), 1 + 3);
    EXPECT_FALSE(report.showing());
    report.guard([] { throw std::runtime_error(""); });
    EXPECT_EQ(shown.last(), app::ErrorReport::unknownErrorText());
}
