// Playing movies through the main window: the play worker, the status bar and seek bar, the
// transport commands and the loop modes.

#include "AppFixture.h"
#include "app/PlaybackCommands.h"
#include "playlist/PlaylistCommands.h"
#include "playlist/TDropFilelistbox1.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinTrackBar.h"
#include "tests/support/ActionBuilder.h"

#include <QElapsedTimer>

using namespace apptest;
using flash::DISPID_GotoFrame;

namespace {

class Playback : public AppTest {
protected:
    // Opens a movie through the play worker and waits until it has been handed over.
    void open(const QString& path) {
        form->OpenMovie(path);
        ASSERT_TRUE(waitFor([&] { return form->Timer2.isActive() && form->Timer1.isActive(); }));
    }
};

} // namespace

TEST_F(Playback, StatusBarStartsWithItsFixedTexts) {
    EXPECT_EQ(panelText(0), QStringLiteral("   设备等待..."));
    EXPECT_EQ(panelText(1), QString(57, u' ') + QStringLiteral("★★★Quarvel软件★★★"));
    EXPECT_EQ(panelText(2), QString());
    EXPECT_EQ(form->SeSkinTrackBar4->Max(), 10);
    EXPECT_EQ(form->SeSkinTrackBar4->Position(), 0);
    EXPECT_FALSE(form->Timer1.isActive());
    EXPECT_FALSE(form->Timer2.isActive());
    EXPECT_TRUE(form->Timer5.isActive());
    EXPECT_EQ(form->Timer1.interval(), 100);
    EXPECT_EQ(form->Timer2.interval(), 200);
    EXPECT_EQ(form->Timer5.interval(), 1000);
}

TEST_F(Playback, OpeningAMovieShowsLoadAndFrameProgress) {
    const QString path = writeMovie("m.swf", testsupport::makeMovingSquareMovie(340, 50));
    open(path);
    EXPECT_EQ(panelText(2), path);
    ASSERT_TRUE(waitFor([&] { return panelText(0) == QStringLiteral("已装载：100 %"); }));
    ASSERT_TRUE(
        waitFor([&] { return panelText(1).startsWith(QStringLiteral(" 已播放针数/总帧数: ")); }));
    EXPECT_TRUE(panelText(1).endsWith(QStringLiteral(" / 340")));
    EXPECT_EQ(form->SeSkinTrackBar4->Max(), 340);
    // The counter moves on.
    const QString first = panelText(1);
    ASSERT_TRUE(waitFor([&] { return panelText(1) != first; }));
    // The worker added the opened file to the playlist only when it came from the dialog.
    EXPECT_EQ(form->DropFilelistbox11->lineCount(), 0);
}

TEST_F(Playback, ForwardAndBackAskForTenFramesAwayUnchecked) {
    open(writeMovie("m.swf", testsupport::makeMovingSquareMovie(340, 1)));
    form->ShockwaveFlash1().Stop();
    form->ShockwaveFlash1().GotoFrame(335);
    calls.clear();
    form->CustomItem31Click(form->CustomItem31);
    ASSERT_EQ(callsOf(DISPID_GotoFrame).size(), 1u);
    EXPECT_EQ(callsOf(DISPID_GotoFrame)[0].value(0).toInt(), 345);
    EXPECT_TRUE(form->ShockwaveFlash1().IsPlaying());

    form->ShockwaveFlash1().Stop();
    form->ShockwaveFlash1().GotoFrame(3);
    calls.clear();
    form->CustomItem32Click(form->CustomItem32);
    ASSERT_EQ(callsOf(DISPID_GotoFrame).size(), 1u);
    EXPECT_EQ(callsOf(DISPID_GotoFrame)[0].value(0).toInt(), -7);
}

TEST_F(Playback, StopShowsStoppedHidesThePictureAndKeepsThePath) {
    const QString path = writeMovie("m.swf", testsupport::makeMovingSquareMovie(100, 10));
    open(path);
    form->CustomItem50Click(form->CustomItem50);
    EXPECT_EQ(panelText(0), QStringLiteral("已停止"));
    EXPECT_FALSE(form->ShockwaveFlash1().Visible());
    EXPECT_FALSE(form->Timer1.isActive());
    EXPECT_EQ(form->state().currentMoviePath, path);
    EXPECT_EQ(form->ShockwaveFlash1().get_TotalFrames(), 0);
    const auto gotos = callsOf(DISPID_GotoFrame);
    ASSERT_FALSE(gotos.empty());
    EXPECT_EQ(gotos.back().value(0).toInt(), -1);
}

TEST_F(Playback, SingleFileLoopRestartsTheMovieAfterAStop) {
    const QString path = writeMovie("m.swf", testsupport::makeMovingSquareMovie(100, 10));
    open(path);
    form->CustomItem64Click(form->CustomItem64);
    form->CustomItem50Click(form->CustomItem50);
    ASSERT_TRUE(waitFor([&] { return form->ShockwaveFlash1().IsPlaying(); }, 3000));
    EXPECT_FALSE(form->ShockwaveFlash1().Visible()); // the loop does not show it; a load does
}

TEST_F(Playback, PlayPauseTwiceKeepsPlayingWithThePauseCaption) {
    open(writeMovie("m.swf", testsupport::makeMovingSquareMovie(300, 10)));
    form->CustomItem49Click(form->CustomItem49);
    EXPECT_EQ(form->CustomItem49->Caption(), QStringLiteral("播放"));
    EXPECT_FALSE(form->Timer2.isActive());
    form->CustomItem49Click(form->CustomItem49);
    EXPECT_EQ(form->CustomItem49->Caption(), QStringLiteral("暂停"));
    EXPECT_TRUE(form->Timer2.isActive());
    EXPECT_TRUE(form->ShockwaveFlash1().IsPlaying());
}

TEST_F(Playback, LoopItemsEnableEachOther) {
    EXPECT_TRUE(form->CustomItem65->Enabled());
    form->CustomItem64Click(form->CustomItem64);
    EXPECT_TRUE(form->CustomItem64->Checked());
    EXPECT_FALSE(form->CustomItem65->Enabled());
    EXPECT_TRUE(form->state().singleFileLoop);
    form->CustomItem64Click(form->CustomItem64);
    EXPECT_TRUE(form->CustomItem65->Enabled());
    form->CustomItem65Click(form->CustomItem65);
    EXPECT_FALSE(form->CustomItem64->Enabled());
    EXPECT_TRUE(form->state().randomLoop);
    form->CustomItem65Click(form->CustomItem65);
    EXPECT_FALSE(form->state().randomLoop);
    EXPECT_FALSE(form->state().singleFileLoop);
    EXPECT_TRUE(form->CustomItem64->Enabled());
}

TEST_F(Playback, RandomEntryNeverTakesTheLastLine) {
    const QString a = writeMovie("a.swf", testsupport::makeMovingSquareMovie(5));
    const QString b = writeMovie("b.swf", testsupport::makeMovingSquareMovie(5));
    form->playlistCommands().dropFiles({a, b});
    ASSERT_EQ(form->DropFilelistbox11->lineCount(), 2);
    for (int i = 0; i < 5; ++i) {
        form->state().currentMoviePath.clear();
        form->playback().PlayRandomEntry();
        EXPECT_EQ(form->DropFilelistbox11->itemIndex(), 0);
        EXPECT_EQ(form->state().currentMoviePath, a);
    }
}

TEST_F(Playback, RandomEntryWithAnEmptyPlaylistPlaysNothing) {
    form->playback().PlayRandomEntry();
    EXPECT_TRUE(form->state().currentMoviePath.isEmpty());
}

TEST_F(Playback, ClickingTheSeekBarWithoutMovingSeeksNothing) {
    open(writeMovie("m.swf", testsupport::makeMovingSquareMovie(300, 30)));
    auto* bar = form->SeSkinTrackBar4;
    calls.clear();
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 5, bar->height() / 2));
    EXPECT_TRUE(callsOf(DISPID_GotoFrame).empty());
}

TEST_F(Playback, PressMoveAndChangeSeeksToTheBarAndPlays) {
    open(writeMovie("m.swf", testsupport::makeMovingSquareMovie(300, 30)));
    auto* bar = form->SeSkinTrackBar4;
    form->SeSkinTrackBar4MouseDown();
    form->SeSkinTrackBar4MouseMove();
    calls.clear();
    bar->setPosition(bar->Position() == 150 ? 151 : 150);
    const auto gotos = callsOf(DISPID_GotoFrame);
    ASSERT_EQ(gotos.size(), 1u);
    EXPECT_EQ(gotos[0].value(0).toInt(), bar->Position());
    EXPECT_FALSE(form->Timer2.isActive());
    form->SeSkinTrackBar4MouseUp();
    EXPECT_FALSE(form->state().seekPressed);
    EXPECT_FALSE(form->state().seekDragged);
}

TEST_F(Playback, MalformedMoviesShowTheErrorBoxAndThePlayerGoesOn) {
    QByteArray zlib =
        testsupport::makeMovingSquareMovie(3, 12, 320, 240, testsupport::Compression::Zlib);
    QByteArray corrupt = zlib;
    for (int i = 12; i < corrupt.size(); ++i)
        corrupt[i] = static_cast<char>(corrupt[i] ^ 0x33);
    QByteArray huge = zlib;
    huge[7] = '\x20';
    const std::vector<QByteArray> bad = {QByteArray(), zlib.left(5), QByteArray("GIF89a......"),
                                         corrupt, huge};
    testsupport::ModalDriver driver;
    for (const QByteArray& bytes : bad) {
        driver.pressKey(Qt::Key_Return);
        form->OpenMovie(writeMovie("bad.swf", bytes));
        ASSERT_TRUE(waitFor([&] { return driver.pending() == 0; }));
        EXPECT_EQ(driver.seen().back().title, QStringLiteral("Error"));
        EXPECT_TRUE(driver.seen().back().text.contains(
            QStringLiteral("无法播放，请确认文件格式是否正确！")));
    }
    open(writeMovie("good.swf", testsupport::makeMovingSquareMovie(30, 10)));
    EXPECT_EQ(form->ShockwaveFlash1().get_TotalFrames(), 30);
}

namespace {

// A movie whose last frame says stop(): it ends there, where the loop modes take over.
QByteArray makeSelfStoppingMovie(int frames) {
    testsupport::SwfWriter w(320, 240, 30);
    w.defineRectShape(1, QRect(0, 0, 20, 20), Qt::blue);
    w.placeObject2(1, 1);
    for (int f = 1; f < frames; ++f)
        w.showFrame();
    w.doAction(testsupport::ActionBuilder().stop().finish());
    w.showFrame();
    return w.finish();
}

} // namespace

TEST_F(Playback, LoopingMovieKeepsPlayingAndNeitherLoopModeReloadsIt) {
    open(writeMovie("loops.swf", testsupport::makeMovingSquareMovie(6, 30)));
    const auto toggle = [&](skin::TSeSkinItem* item) {
        if (item == form->CustomItem64)
            form->CustomItem64Click(item);
        else
            form->CustomItem65Click(item);
    };
    for (auto* item : {form->CustomItem64, form->CustomItem65}) {
        form->playlistCommands().dropFiles({writeMovie("other.swf", makeSelfStoppingMovie(3))});
        toggle(item);
        calls.clear();
        // Several loops of the movie and more than one tick of the loop timer.
        int lowest = 99;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 2300) {
            QTest::qWait(20);
            EXPECT_TRUE(form->ShockwaveFlash1().IsPlaying());
            lowest = std::min(lowest, form->ShockwaveFlash1().CurrentFrame());
        }
        EXPECT_EQ(lowest, 1); // it came round to its first frame by itself
        EXPECT_TRUE(callsOf(flash::DISPID_Movie).empty());
        toggle(item);
    }
}

TEST_F(Playback, MovieThatStopsItselfIsReplayedBySingleFileLoop) {
    const QString path = writeMovie("stops.swf", makeSelfStoppingMovie(4));
    open(path);
    ASSERT_TRUE(waitFor([&] { return !form->ShockwaveFlash1().IsPlaying(); }));
    EXPECT_EQ(form->ShockwaveFlash1().CurrentFrame(), 4); // ended on its own last frame
    // Without a loop mode it stays there.
    calls.clear();
    QTest::qWait(1300);
    EXPECT_TRUE(callsOf(flash::DISPID_Movie).empty());
    form->CustomItem64Click(form->CustomItem64);
    ASSERT_TRUE(waitFor([&] { return !callsOf(flash::DISPID_Movie).empty(); }, 3000));
    EXPECT_EQ(callsOf(flash::DISPID_Movie).front().value(0).toString(), path);
}

TEST_F(Playback, MovieThatStopsItselfHandsOverToRandomLoop) {
    const QString next = writeMovie("next.swf", testsupport::makeMovingSquareMovie(5));
    const QString spare = writeMovie("spare.swf", testsupport::makeMovingSquareMovie(5));
    form->playlistCommands().dropFiles({next, spare});
    open(writeMovie("stops.swf", makeSelfStoppingMovie(4)));
    form->CustomItem65Click(form->CustomItem65);
    ASSERT_TRUE(waitFor([&] { return form->state().currentMoviePath == next; }, 4000));
}

TEST_F(Playback, AScriptStoppedByTheEngineIsReportedInTheStatusBarAndTheMovieGoesOn) {
    testsupport::SwfWriter w(320, 240, 30);
    testsupport::ActionBuilder body;
    body.callFunction("runaway", {});
    testsupport::ActionBuilder script;
    script.defineFunction("runaway", {}, body).callFunction("runaway", {});
    w.doAction(script.finish());
    w.showFrame();
    w.showFrame();
    open(writeMovie("runaway.swf", w.finish()));
    ASSERT_TRUE(waitFor([&] { return panelText(1).contains(QStringLiteral("脚本")); }));
    EXPECT_TRUE(form->ShockwaveFlash1().IsPlaying());
}
