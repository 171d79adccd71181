#pragma once

// The main window. It owns the controls, menus and timers under their form names; each
// handler is a line or two that hands the work to the command object for its subject.

#include "app/PlayerState.h"

#include <QTimer>
#include <QWidget>
#include <memory>

class QVBoxLayout;
class QMenuBar;

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

class PlaybackCommands;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // Creating the window creates the Flash control; throws flash::EOleSysError when the
    // control's class is not registered.
    explicit TForm1(QStringList arguments = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // Components, under the names the rest of the program knows them by.
    flash::TShockwaveFlash& ShockwaveFlash1() { return *flash_; }
    QWidget* Panel1 = nullptr; // the movie panel
    skin::TSeSkinStatusBar* SeSkinStatusBar1 = nullptr;
    skin::TSeSkinTrackBar* SeSkinTrackBar4 = nullptr;
    skin::TSeSkinMessage* SeSkinMessage1 = nullptr;
    QTimer Timer1;                             // load progress
    QTimer Timer2;                             // frame progress
    QTimer Timer5;                             // loop modes
    skin::TSeSkinItem* MainMenu = nullptr;     // root of the menu bar's entries
    skin::TSeSkinItem* CustomItem49 = nullptr; // 播放/暂停(P)
    skin::TSeSkinItem* CustomItem50 = nullptr; // 停止播放(S)
    skin::TSeSkinItem* CustomItem33 = nullptr; // 从头播放(H)
    skin::TSeSkinItem* CustomItem31 = nullptr; // 快进(Pd)
    skin::TSeSkinItem* CustomItem32 = nullptr; // 快退(Pu)
    skin::TSeSkinItem* CustomItem64 = nullptr; // 单个文件循环
    skin::TSeSkinItem* CustomItem65 = nullptr; // 随机循环

    PlayerState& state() { return state_; }
    PlaybackCommands& playback() { return *playback_; }

    // Handlers.
    void FormCreate();
    void FormResize(QObject* sender);
    void Timer1Timer();
    void Timer2Timer();
    void Timer5Timer();
    void CustomItem49Click(QObject* sender);
    void CustomItem50Click(QObject* sender);
    void CustomItem33Click(QObject* sender);
    void CustomItem31Click(QObject* sender);
    void CustomItem32Click(QObject* sender);
    void CustomItem64Click(QObject* sender);
    void CustomItem65Click(QObject* sender);
    void SeSkinTrackBar4MouseDown();
    void SeSkinTrackBar4MouseMove();
    void SeSkinTrackBar4MouseUp();
    void SeSkinTrackBar4Change(QObject* sender);

    // Sets the current movie path and starts a play worker for it.
    void OpenMovie(const QString& path, bool lowestPriority = false);
    // The play routine of Internet play.
    void PlayMovie(const QString& statusText);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createMenus();
    void createControls();
    void wirePlayback();

    QStringList arguments_;
    PlayerState state_;
    std::unique_ptr<flash::TShockwaveFlash> flash_;
    QMenuBar* menuBar_ = nullptr;
    PlaybackCommands* playback_ = nullptr;
};

} // namespace app
