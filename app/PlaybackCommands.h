#pragma once

// Loading movies into the Flash control and everything that follows them: load and frame
// progress in the status bar and on the seek bar, the transport commands, seeking, and the
// single-file and random loop modes.

#include "app/PlayerState.h"

#include <QObject>
#include <QString>
#include <functional>
#include <random>

class QTimer;

namespace flash {
class TShockwaveFlash;
}
namespace skin {
class TSeSkinItem;
class TSeSkinMessage;
class TSeSkinStatusBar;
class TSeSkinTrackBar;
} // namespace skin

namespace app {

// What the commands work on; all of it belongs to the main window.
struct PlaybackParts {
    flash::TShockwaveFlash& flash;
    skin::TSeSkinStatusBar& statusBar;
    skin::TSeSkinTrackBar& seekBar;
    QTimer& loadTimer;                 // Timer1
    QTimer& progressTimer;             // Timer2
    QTimer& playlistTimer;             // Timer5
    skin::TSeSkinItem& playPauseItem;  // CustomItem49
    skin::TSeSkinItem& singleLoopItem; // CustomItem64
    skin::TSeSkinItem& randomLoopItem; // CustomItem65
    skin::TSeSkinMessage& messages;
    // The window's own handlers and the playlist operations the loads use.
    std::function<void(QObject* sender)> formResize;
    // Add the dialog selection: as file entries for the worker, as locations for the play
    // routine.
    std::function<void()> addDialogSelection;
    std::function<void()> addDialogSelectionAsLocations;
    std::function<int()> playlistLineCount;
    std::function<void(int)> highlightPlaylistLine;
    std::function<void(QObject* sender)> playHighlightedEntry;
};

class PlaybackCommands : public QObject {
    Q_OBJECT
public:
    PlaybackCommands(PlaybackParts parts, PlayerState& state, QObject* parent = nullptr);

    // The window is closing: play workers still under way do none of their remaining steps,
    // so nothing starts a timer again or calls the control on its way out.
    void shutDown() { closing_ = true; }
    bool closing() const { return closing_; }

    // Starts a play worker for the current movie path. Lowest priority when asked.
    void startPlayWorker(bool lowestPriority = false);
    // The play routine: loads the current movie path on this thread, showing statusText.
    void PlayDirect(const QString& statusText);

    // The load sequence's steps, run on the user-interface thread for the worker, in order.
    void LoadStepWriteMovie();
    void LoadStepShowControl();
    void LoadStepStartIfLoaded(QObject* sender);
    void LoadStepEnableLoadTimer();
    void LoadStepAddDialogSelection();
    void LoadStepEnableProgressTimer();
    void LoadFailed();

    void Timer1Timer();
    void Timer2Timer();
    void Timer5Timer();
    void StopPlayback();
    void PlayRandomEntry();

    void StopCommand();          // CustomItem50Click
    void PlayPauseCommand();     // CustomItem49Click
    void FromStartCommand();     // CustomItem33Click
    void ForwardCommand();       // CustomItem31Click
    void BackCommand();          // CustomItem32Click
    void ToggleSingleFileLoop(); // CustomItem64Click
    void ToggleRandomLoop();     // CustomItem65Click

    void SeekMouseDown();
    void SeekMouseMove();
    void SeekMouseUp();
    void SeekChange();

    static QString waitingText();
    static QString bannerText();
    static QString loadFailedText();

private:
    PlaybackParts p_;
    PlayerState& state_;
    std::minstd_rand random_;
    bool closing_ = false;
};

} // namespace app
