#pragma once

// The main window's panels: the "界面" toggles that show and hide its parts, docking the
// control panel again at the left or right, the playlist panel's alignment as it rolls, the
// window's resize handling, full screen, and the once-a-second menu state.

#include <QObject>
#include <functional>

class QWidget;

namespace flash {
class TShockwaveFlash;
}
namespace skin {
class TSeSkinItem;
class TSeSkinPanel;
class TSeSkinSplitter;
class TSeSkinStatusBar;
class TAlignLayout;
} // namespace skin

namespace app {

class DockPanel;

struct LayoutParts {
    QWidget& form;
    skin::TAlignLayout& formLayout;
    QWidget& menuBar; // SeSkinMenuBar1
    QWidget& toolBar; // SeSkinToolBar1
    skin::TSeSkinStatusBar& statusBar;
    DockPanel& controlPanel; // Panel2
    skin::TSeSkinSplitter& splitter;
    QWidget& moviePanel;               // Panel1
    skin::TSeSkinPanel& playlistPanel; // SeSkinPanel5
    flash::TShockwaveFlash& flash;
    skin::TSeSkinItem& controlPanelItem; // 显示主控区(F3)
    skin::TSeSkinItem& redockItem;       // 控制区归位
    skin::TSeSkinItem& fullScreenItem;   // 全屏(F)
    skin::TSeSkinItem& multiPictureItem; // 多画面
    // The multi-picture view: whether it is on, and laying out its grid again.
    std::function<bool()> multiPictureOn;
    std::function<void()> layoutGrid;
    // The window's own skinned frame, hidden in full screen; without one the window system's
    // frame is taken away instead.
    std::function<void(bool shown)> showFrame;
};

class LayoutCommands : public QObject {
    Q_OBJECT
public:
    explicit LayoutCommands(LayoutParts parts, QObject* parent = nullptr);

    // Inverts the item's check mark and shows or hides the part to match it.
    void Toggle(skin::TSeSkinItem& item, QWidget& part);
    void RedockLeft();  // CustomItem55Click
    void RedockRight(); // CustomItem56Click
    // Before the playlist panel rolls: about to unroll, it fills the control panel again;
    // about to roll up, it goes to the bottom with the other rolled panels.
    void PlaylistBeforeRoll();
    void FormResize();
    void ToggleFullScreen(); // CustomItem38Click
    void FullScreenOn();
    void FullScreenOff();
    bool isFullScreen() const;
    void Timer3Timer();

    bool isControlPanelDocked() const;

    // Outer size of the window after full screen, and the widths the status bar's third
    // panel is measured against.
    static constexpr int kNormalOuterWidth = 560;
    static constexpr int kNormalOuterHeight = 385;

private:
    void redock(bool right);

    LayoutParts p_;
    bool fullScreen_ = false;
};

} // namespace app
