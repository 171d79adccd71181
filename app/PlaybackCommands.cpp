#include "app/PlaybackCommands.h"

#include "app/PlayWorker.h"
#include "flash/host/TShockwaveFlash.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinMessage.h"
#include "skin/controls/TSeSkinStatusBar.h"
#include "skin/controls/TSeSkinTrackBar.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

namespace app {

PlaybackCommands::PlaybackCommands(PlaybackParts parts, PlayerState& state, QObject* parent)
    : QObject(parent), p_(std::move(parts)), state_(state),
      random_(static_cast<std::minstd_rand::result_type>(QDateTime::currentMSecsSinceEpoch())) {}

QString PlaybackCommands::waitingText() {
    return QStringLiteral("   设备等待...");
}

QString PlaybackCommands::bannerText() {
    return QString(57, QLatin1Char(' ')) + QStringLiteral("★★★Quarvel软件★★★");
}

QString PlaybackCommands::loadFailedText() {
    return QStringLiteral("无法播放，请确认文件格式是否正确！");
}

void PlaybackCommands::startPlayWorker(bool lowestPriority) {
    auto* worker = new my1(this);
    worker->start(lowestPriority ? QThread::LowestPriority : QThread::InheritPriority);
}

// The load sequence of the play worker, one step at a time on this thread.

void PlaybackCommands::LoadStepWriteMovie() {
    p_.flash.set_Movie(state_.currentMoviePath);
}

void PlaybackCommands::LoadStepShowControl() {
    p_.flash.Show();
    p_.flash.SetEnabled(true);
}

void PlaybackCommands::LoadStepStartIfLoaded(QObject* sender) {
    if (p_.flash.PercentLoaded() == 100) {
        QCoreApplication::processEvents();
        p_.flash.Play();
        if (p_.formResize)
            p_.formResize(sender);
        p_.statusBar.Panels()[2].setText(state_.currentMoviePath);
        p_.progressTimer.start();
    } else {
        p_.progressTimer.stop();
        p_.statusBar.Panels()[1].setText(QString());
        p_.statusBar.Panels()[2].setText(QString());
    }
}

void PlaybackCommands::LoadStepEnableLoadTimer() {
    p_.loadTimer.start();
}

void PlaybackCommands::LoadStepAddDialogSelection() {
    if (p_.addDialogSelection)
        p_.addDialogSelection();
}

void PlaybackCommands::LoadStepEnableProgressTimer() {
    p_.progressTimer.start();
}

void PlaybackCommands::LoadFailed() {
    p_.messages.MessageDlg(loadFailedText(), skin::TMsgDlgType::mtError, skin::mbOK, 0);
}

void PlaybackCommands::PlayDirect(const QString& statusText) {
    try {
        p_.flash.set_Movie(state_.currentMoviePath);
        p_.flash.Show();
        p_.flash.SetEnabled(true);
        if (p_.formResize)
            p_.formResize(parent());
        if (p_.flash.PercentLoaded() == 100) {
            p_.flash.Play();
            p_.statusBar.Panels()[2].setText(statusText);
            p_.progressTimer.start();
        } else {
            p_.progressTimer.stop();
            p_.statusBar.Panels()[1].setText(QString());
            p_.statusBar.Panels()[2].setText(QString());
        }
        p_.loadTimer.start();
        if (p_.addDialogSelectionAsLocations)
            p_.addDialogSelectionAsLocations();
        p_.progressTimer.start();
    } catch (...) {
        // The play routine keeps quiet about failures; the control stays blank.
    }
}

void PlaybackCommands::Timer1Timer() {
    const int percent = p_.flash.PercentLoaded();
    p_.statusBar.Panels()[0].setText(QStringLiteral("已装载：%1 %").arg(percent));
    if (percent == 100 && !p_.progressTimer.isActive())
        p_.progressTimer.start();
}

void PlaybackCommands::Timer2Timer() {
    try {
        const int current = p_.flash.CurrentFrame();
        const int total = p_.flash.get_TotalFrames();
        p_.statusBar.Panels()[1].setText(
            QStringLiteral(" 已播放针数/总帧数: %1 / %2").arg(current).arg(total));
        p_.seekBar.setMax(total);
        p_.seekBar.setPosition(current);
    } catch (...) {
    }
}

void PlaybackCommands::Timer5Timer() {
    if (state_.singleFileLoop && !p_.flash.IsPlaying() && !state_.currentMoviePath.isEmpty()) {
        p_.flash.set_Movie(state_.currentMoviePath);
        p_.flash.Play();
    }
    if (state_.randomLoop && !p_.flash.IsPlaying())
        PlayRandomEntry();
}

void PlaybackCommands::StopPlayback() {
    p_.flash.GotoFrame(-1);
    p_.flash.Stop();
    try {
        p_.flash.set_Playing(false);
        p_.flash.set_Movie(QString());
    } catch (...) {
    }
    p_.loadTimer.stop();
    p_.statusBar.Panels()[0].setText(QStringLiteral("已停止"));
}

void PlaybackCommands::PlayRandomEntry() {
    try {
        const int count = p_.playlistLineCount ? p_.playlistLineCount() : 0;
        if (count <= 0)
            return;
        // Below count - 1: the last line is never drawn, and a single line gives 0.
        const int range = count - 1;
        const int index =
            range > 0 ? static_cast<int>(random_() % static_cast<unsigned>(range)) : 0;
        p_.highlightPlaylistLine(index);
        p_.playHighlightedEntry(parent());
    } catch (...) {
    }
}

void PlaybackCommands::StopCommand() {
    p_.flash.set_Movie(QStringLiteral("blank.swf"));
    p_.flash.Hide();
    StopPlayback();
}

void PlaybackCommands::PlayPauseCommand() {
    p_.flash.set_Playing(!p_.flash.get_Playing());
    if (p_.flash.get_Playing()) {
        p_.playPauseItem.setCaption(QStringLiteral("暂停"));
        p_.progressTimer.start();
    } else {
        p_.playPauseItem.setCaption(QStringLiteral("播放"));
        p_.progressTimer.stop();
    }
}

void PlaybackCommands::FromStartCommand() {
    p_.flash.Rewind();
    p_.flash.Play();
}

void PlaybackCommands::ForwardCommand() {
    p_.flash.GotoFrame(p_.flash.CurrentFrame() + 10);
    p_.flash.Play();
}

void PlaybackCommands::BackCommand() {
    p_.flash.GotoFrame(p_.flash.CurrentFrame() - 10);
    p_.flash.Play();
}

void PlaybackCommands::ToggleSingleFileLoop() {
    p_.singleLoopItem.setChecked(!p_.singleLoopItem.Checked());
    p_.randomLoopItem.setEnabled(!p_.singleLoopItem.Checked());
    state_.singleFileLoop = p_.singleLoopItem.Checked();
}

void PlaybackCommands::ToggleRandomLoop() {
    p_.randomLoopItem.setChecked(!p_.randomLoopItem.Checked());
    p_.singleLoopItem.setEnabled(!p_.randomLoopItem.Checked());
    state_.randomLoop = p_.randomLoopItem.Checked();
    state_.singleFileLoop = p_.singleLoopItem.Checked();
}

void PlaybackCommands::SeekMouseDown() {
    state_.seekPressed = true;
}

void PlaybackCommands::SeekMouseMove() {
    state_.seekDragged = true;
}

void PlaybackCommands::SeekMouseUp() {
    if (state_.seekPressed && state_.seekDragged) {
        p_.progressTimer.stop();
        state_.seekPressed = false;
        state_.seekDragged = false;
    }
}

void PlaybackCommands::SeekChange() {
    if (state_.seekPressed && state_.seekDragged && p_.flash.IsPlaying()) {
        p_.progressTimer.stop();
        p_.flash.GotoFrame(p_.seekBar.Position());
        p_.flash.Play();
    }
}

} // namespace app
