#pragma once

// The main window. It owns the controls, menus and timers under their form names; each
// handler is a line or two that hands the work to the command object for its subject.

#include "app/PlayerState.h"
#include "platform/WaveOut.h"

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QLineEdit;
class QVBoxLayout;
class QMenu;
class QMenuBar;

namespace flash {
class TShockwaveFlash;
}
namespace net {
class TNetHTTP;
}
namespace playlist {
class FileDialog;
class PlaylistCommands;
class PlaylistHost;
class PlaylistMenu;
class TDropFilelistbox1;
} // namespace playlist
namespace skin {
class TSeSkinItem;
class TSeSkinMenuBar;
class TSeSkinMessage;
class TSeSkinEngine;
class TSeSkinForm;
class TSeSkinSource;
class TSeSkinPanel;
class TSeSkinPopupMenu;
class TSeSkinProgressBar;
class TSeSkinSpeedButton;
class TSeSkinSplitter;
class TSeSkinStatusBar;
class TSeSkinToolBar;
class TSeSkinTrackBar;
} // namespace skin

namespace app {

class DockPanel;
class ErrorReport;
class KeyboardPreview;
class LayoutCommands;
class NetworkCommands;
class PictureSoundCommands;
class PlaybackCommands;
class TForm2;
class ToolsCommands;

// A key of the window's keyboard table and the menu entry it clicks (by key code alone).
struct KeyBinding {
    int key;
    skin::TSeSkinItem* item;
};

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // Creating the window creates the Flash control; throws flash::EOleSysError when the
    // control's class is not registered.
    // settingsFile: where the playlist is kept; empty for Flash.ini in its usual place.
    explicit TForm1(QStringList arguments = {}, QString settingsFile = {},
                    QWidget* parent = nullptr);
    ~TForm1() override;

    // Components, under the names the rest of the program knows them by.
    flash::TShockwaveFlash& ShockwaveFlash1() { return *flash_; }
    QWidget* Panel1 = nullptr; // the movie panel
    skin::TSeSkinStatusBar* SeSkinStatusBar1 = nullptr;
    skin::TSeSkinTrackBar* SeSkinTrackBar4 = nullptr;
    skin::TSeSkinMessage* SeSkinMessage1 = nullptr;
    QTimer Timer1;                                      // load progress
    QTimer Timer2;                                      // frame progress
    QTimer Timer5;                                      // loop modes
    skin::TSeSkinItem* MainMenu = nullptr;              // root of the menu bar's entries
    skin::TSeSkinItem* SeSkinPopupMenu1Items = nullptr; // root of the movie menu's entries
    skin::TSeSkinItem* CustomItem49 = nullptr;          // 播放/暂停(P)
    skin::TSeSkinItem* CustomItem50 = nullptr;          // 停止播放(S)
    skin::TSeSkinItem* CustomItem33 = nullptr;          // 从头播放(H)
    skin::TSeSkinItem* CustomItem31 = nullptr;          // 快进(Pd)
    skin::TSeSkinItem* CustomItem32 = nullptr;          // 快退(Pu)
    skin::TSeSkinItem* CustomItem64 = nullptr;          // 单个文件循环
    skin::TSeSkinItem* CustomItem65 = nullptr;          // 随机循环

    // The playlist and the shared file dialogs.
    playlist::TDropFilelistbox1* DropFilelistbox11 = nullptr;
    playlist::FileDialog& OpenDialog1() { return *openDialog_; }
    playlist::FileDialog& SaveDialog1() { return *saveDialog_; }
    playlist::PlaylistMenu* SeSkinPopupMenu2 = nullptr;

    // The skin the window carries: the presence byte and the packed default skin, and what
    // reading it gave.
    const QByteArray& SkinStream() const { return skinStream_; }
    skin::TSeSkinSource& skinSource();

    PlayerState& state() { return state_; }
    // The application's default error report: every handler of the window runs through it.
    ErrorReport& errorReport() { return *errors_; }
    // A handler of the window, run through the error report.
    template <typename... Args> auto guarded(void (TForm1::*handler)(Args...)) {
        return [this, handler](Args... args) { runGuarded([&] { (this->*handler)(args...); }); };
    }
    void runGuarded(const std::function<void()>& handler);
    PlaybackCommands& playback() { return *playback_; }
    playlist::PlaylistCommands& playlistCommands() { return *playlist_; }
    // Flash.ini beside the program, or in the user's configuration folder when the program's
    // folder cannot be written.
    QString settingsFilePath() const { return settingsFile_; }
    void setSettingsFilePath(const QString& path) { settingsFile_ = path; }

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

    // Lifecycle.
    void FormClose();
    void RestoreSettings();
    void CustomItem3Click(QObject* sender);  // 退出(Esc) of the menu bar
    void CustomItem24Click(QObject* sender); // 退出(Esc) of the movie menu
    // Pops the movie's context menu up at a screen position.
    void ShowMovieMenu(const QPoint& globalPos);
    QMenu* movieMenu() const { return movieMenu_; }
    // Playlist handlers.
    void SeSkinSpeedButton1Click(QObject* sender); // Open
    void DropFilelistbox11DblClick(QObject* sender);
    void DropFilelistbox11Click(QObject* sender);
    void DropFilelistbox11DropFiles(QObject* sender, const QStringList& names);
    void DropFilelistbox11KeyDown(int key);

    // Network handlers.
    void SeSkinSpeedButton2Click(QObject* sender); // Internet play
    void SeSkinSpeedButton8Click(QObject* sender); // network download
    void CustomItem68Click(QObject* sender);
    void CustomItem69Click(QObject* sender);
    QLineEdit* Edit1 = nullptr;
    skin::TSeSkinProgressBar* SeSkinProgressBar1 = nullptr;
    net::TNetHTTP& NetHTTP1() { return *netHttp_; }
    NetworkCommands& network() { return *network_; }

    // Picture and sound, panels and full screen, capture and multi-picture view, projector
    // conversion, the about window, the tool bar and the keyboard.
    skin::TSeSkinMenuBar* SeSkinMenuBar1 = nullptr;
    skin::TSeSkinPopupMenu* SeSkinPopupMenu1 = nullptr;
    skin::TSeSkinToolBar* SeSkinToolBar1 = nullptr;
    skin::TSeSkinSpeedButton* SeSkinSpeedButton1 = nullptr; // 打开文件
    skin::TSeSkinSpeedButton* SeSkinSpeedButton2 = nullptr; // Internet播放
    skin::TSeSkinSpeedButton* SeSkinSpeedButton3 = nullptr; // 格式转换
    skin::TSeSkinSpeedButton* SeSkinSpeedButton8 = nullptr; // 网络下载
    skin::TSeSkinSpeedButton* SeSkinSpeedButton7 = nullptr; // 抓取图片
    skin::TSeSkinSpeedButton* SeSkinSpeedButton4 = nullptr; // 主音量
    skin::TSeSkinSpeedButton* SeSkinSpeedButton5 = nullptr; // 左声道
    skin::TSeSkinSpeedButton* SeSkinSpeedButton6 = nullptr; // 右声道
    DockPanel* Panel2 = nullptr;                            // the control panel
    skin::TSeSkinSplitter* SeSkinSplitter1 = nullptr;
    skin::TSeSkinEngine* SeSkinEngine1 = nullptr;     // owns the window's skin
    skin::TSeSkinForm* SeSkinForm1 = nullptr;         // the window's skinned frame
    skin::TSeSkinPanel* SeSkinPanel5 = nullptr;       // playlist
    skin::TSeSkinPanel* SeSkinPanel4 = nullptr;       // sound
    skin::TSeSkinPanel* SeSkinPanel1 = nullptr;       // progress
    skin::TSeSkinPanel* SeSkinPanel3 = nullptr;       // background colour
    skin::TSeSkinTrackBar* SeSkinTrackBar1 = nullptr; // master volume
    skin::TSeSkinTrackBar* SeSkinTrackBar2 = nullptr; // left channel
    skin::TSeSkinTrackBar* SeSkinTrackBar3 = nullptr; // right channel
    skin::TSeSkinTrackBar* SeSkinTrackBar5 = nullptr; // red
    skin::TSeSkinTrackBar* SeSkinTrackBar6 = nullptr; // green
    skin::TSeSkinTrackBar* SeSkinTrackBar7 = nullptr; // blue
    QTimer Timer3;                                    // menu state
    QTimer Timer4;                                    // mirrors of the multi-picture view
    TForm2* Form2 = nullptr;
    skin::TSeSkinItem* CustomItem16 = nullptr; // 将EXE换成SWF文件(C)
    skin::TSeSkinItem* CustomItem3 = nullptr;  // 退出(Esc) of the menu bar
    skin::TSeSkinItem* CustomItem39 = nullptr; // 界面
    skin::TSeSkinItem* CustomItem41 = nullptr; // 显示工具栏(F2)
    skin::TSeSkinItem* CustomItem45 = nullptr; // 显示主控区(F3)
    skin::TSeSkinItem* CustomItem40 = nullptr; // 显示播放列表(F4)
    skin::TSeSkinItem* CustomItem42 = nullptr; // 显示音频控制区(F5)
    skin::TSeSkinItem* CustomItem43 = nullptr; // 显示视频控制区(F6)
    skin::TSeSkinItem* CustomItem44 = nullptr; // 显示进度控制区(F7)
    skin::TSeSkinItem* CustomItem54 = nullptr; // 控制区归位
    skin::TSeSkinItem* CustomItem55 = nullptr; // 左归位(&L)
    skin::TSeSkinItem* CustomItem56 = nullptr; // 右归位(&R)
    skin::TSeSkinItem* CustomItem34 = nullptr; // 到文件尾(E) of the menu bar
    skin::TSeSkinItem* CustomItem25 = nullptr; // 放大(↑)
    skin::TSeSkinItem* CustomItem26 = nullptr; // 缩小(↓)
    skin::TSeSkinItem* CustomItem51 = nullptr; // 高
    skin::TSeSkinItem* CustomItem52 = nullptr; // 中
    skin::TSeSkinItem* CustomItem53 = nullptr; // 低
    skin::TSeSkinItem* CustomItem21 = nullptr; // 关于(A)...
    skin::TSeSkinItem* CustomItem38 = nullptr; // 全屏(F)
    skin::TSeSkinItem* CustomItem66 = nullptr; // 抓图
    skin::TSeSkinItem* CustomItem67 = nullptr; // 多画面
    skin::TSeSkinItem* CustomItem28 = nullptr; // 增大音量(+)
    skin::TSeSkinItem* CustomItem29 = nullptr; // 减小音量(-)

    PictureSoundCommands& pictureSound() { return *pictureSound_; }
    LayoutCommands& layoutCommands() { return *layout_; }
    ToolsCommands& tools() { return *tools_; }
    // The wave-out device the sound controls talk to: device 0 of the process.
    platform::WaveOutDevice& waveOut() { return *waveOut_; }
    const std::vector<KeyBinding>& keyTable() const { return keyTable_; }

    void RestoreViewSettings();
    void FormKeyDown(int key);
    void Timer3Timer();
    void Timer4Timer();
    void Panel1Resize(QObject* sender);
    void SeSkinPanel5BeforeRoll(QObject* sender);
    void CustomItem16Click(QObject* sender);
    void CustomItem21Click(QObject* sender);
    void CustomItem25Click(QObject* sender);
    void CustomItem26Click(QObject* sender);
    void CustomItem28Click(QObject* sender);
    void CustomItem29Click(QObject* sender);
    void CustomItem38Click(QObject* sender);
    void CustomItem40Click(QObject* sender);
    void CustomItem41Click(QObject* sender);
    void CustomItem42Click(QObject* sender);
    void CustomItem43Click(QObject* sender);
    void CustomItem44Click(QObject* sender);
    void CustomItem45Click(QObject* sender);
    void CustomItem51Click(QObject* sender);
    void CustomItem52Click(QObject* sender);
    void CustomItem53Click(QObject* sender);
    void CustomItem55Click(QObject* sender);
    void CustomItem56Click(QObject* sender);
    void CustomItem66Click(QObject* sender);
    void CustomItem67Click(QObject* sender);
    void SeSkinSpeedButton7Click(QObject* sender);
    void SeSkinTrackBar1Change(QObject* sender);
    void SeSkinTrackBar2Change(QObject* sender);
    void SeSkinTrackBar3Change(QObject* sender);
    void SeSkinTrackBar5Change(QObject* sender);
    void SeSkinTrackBar6Change(QObject* sender);

    // Sets the current movie path and starts a play worker for it.
    void OpenMovie(const QString& path, bool lowestPriority = false);
    // The play routine of Internet play.
    void PlayMovie(const QString& statusText);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createControls();
    void wirePlayback();
    void createPlaylist();
    void wirePlaylist();
    void createNetwork();
    void createToolBar();
    void createControlPanel();
    void createViewCommands();
    void createKeyTable();
    // The window's default error box, for errors a command lets through.
    void showError(const std::exception& error);
    void showErrorBox(const QString& message);
    // Stops every timer and the play workers' remaining steps: the window is going, and
    // nothing may call the control once it has been destroyed.
    void stopPeriodicWork();

    QStringList arguments_;
    ErrorReport* errors_ = nullptr;
    PlayerState state_;
    std::unique_ptr<flash::TShockwaveFlash> flash_;
    QMenuBar* menuBar_ = nullptr;
    PlaybackCommands* playback_ = nullptr;
    class PlaylistWindow;
    std::unique_ptr<playlist::PlaylistHost> playlistHost_;
    std::unique_ptr<playlist::FileDialog> openDialog_;
    std::unique_ptr<playlist::FileDialog> saveDialog_;
    playlist::PlaylistCommands* playlist_ = nullptr;
    QString settingsFile_;
    std::unique_ptr<QObject> rightClickFilter_;
    QMenu* movieMenu_ = nullptr;
    QByteArray skinStream_;
    void loadSkin();
    void createFrame();
    void skinControls();
    std::unique_ptr<net::TNetHTTP> netHttp_;
    NetworkCommands* network_ = nullptr;
    std::unique_ptr<platform::WaveOutDevice> waveOut_;
    PictureSoundCommands* pictureSound_ = nullptr;
    LayoutCommands* layout_ = nullptr;
    ToolsCommands* tools_ = nullptr;
    std::vector<KeyBinding> keyTable_;
    KeyboardPreview* keyboardPreview_ = nullptr;
};

} // namespace app
