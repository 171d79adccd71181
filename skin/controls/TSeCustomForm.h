#pragma once

// The frame of a frameless top-level window: it draws the caption and borders around the
// window's client rectangle, tells moving and sizing zones from the client area, runs the
// caption buttons and the window-state machine (normal, maximized, minimized, rolled up, in
// the tray) with its restore rectangle, and shows the system menu. This class draws a plain
// frame of its own; TSeSkinForm draws it from a skin.
//
// The frame is a child object of its window and watches the window's events. Children of the
// window are laid out inside the client rectangle: the frame sets the window's contents
// margins to the frame's width on each side. While the window is rolled up the window's
// controls are hidden, and shown again when it unrolls.

#include <QImage>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QTimer>
#include <functional>
#include <memory>

#include "skin/controls/FormDragger.h"
#include "skin/controls/FormTypes.h"
#include "skin/controls/SystemMenu.h"
#include "skin/model/SkinTypes.h"

class QMouseEvent;
class QPainter;
class QSystemTrayIcon;
class QWidget;

namespace skin {

class TSeSkinEngine;
class TSeSkinPopupMenu;

class TSeCustomForm : public QObject {
    Q_OBJECT
public:
    // Makes the window frameless and starts watching it. The window is "loading" until
    // loaded() is called, as a form is until its loader has read every component.
    explicit TSeCustomForm(QWidget* window);
    ~TSeCustomForm() override;

    QWidget* window() const { return window_; }

    bool Active() const { return active_; }
    // Off gives the window back to the window system's own frame.
    void setActive(bool on);
    TSeBorderIcons BorderIcons() const { return borderIcons_; }
    void setBorderIcons(TSeBorderIcons icons);
    TSeBorderStyle BorderStyle() const { return borderStyle_; }
    void setBorderStyle(TSeBorderStyle style);
    // The caption is the window's title.
    QString Caption() const;
    void setCaption(const QString& caption);
    TSeFormBlending Blending() const { return blending_; }
    void setBlending(const TSeFormBlending& blending);
    TSeFormPerformance Performance() const { return performance_; }
    void setPerformance(TSeFormPerformance p);
    bool StayOnTop() const { return stayOnTop_; }
    void setStayOnTop(bool on);
    bool MinimizeApplication() const { return minimizeApplication_; }
    void setMinimizeApplication(bool on) { minimizeApplication_ = on; }
    TSeWindowState WindowState() const { return state_; }
    // While loading the state is only remembered; afterwards it runs the matching action
    // (kwsNormal restores).
    void setWindowState(TSeWindowState state);

    // Settings kept for the window's look; the frame applies Dragging and Gravitation.
    TSeDragging Dragging;
    TSeGravitation Gravitation;
    TSeAnimation Animation;
    TSeShadow Shadow;
    bool StretchBackground{false};
    TSePopupMenuOptions SystemMenuOptions;
    TSePopupMenuOptions TrayMenuOptions;
    // The window's menu bar; it stays where the window's layout puts it, in the client area.
    QPointer<QWidget> MenuBar;
    // Menus shown instead of the built-in system menu (the tray one while in the tray).
    QPointer<TSeSkinPopupMenu> SystemMenuLink;
    QPointer<TSeSkinPopupMenu> TrayMenuLink;

    FormNotifyEvent OnCreate;
    FormNotifyEvent OnPaint;
    FormNotifyEvent OnResize;
    TSeFormActionEvent OnClose;
    TSeFormActionEvent OnMinimize;
    TSeFormActionEvent OnMaximize;
    TSeFormActionEvent OnRollup;
    TSeFormActionEvent OnMinToTray;

    // The actions of the caption buttons and the system menu. Each asks its event first.
    void Maximize();
    void Minimize();
    void Rollup();
    void MinimizeToTray();
    void Restore();
    void Close();
    void Help();
    // Builds the system menu afresh and opens it: at the cursor while in the tray, else at
    // the client origin.
    void ShowSystemMenu();

    // The window has been built: apply the remembered state (by a posted message, once the
    // window is on its way to the screen) and call OnCreate.
    void loaded();
    bool isLoading() const { return loading_; }

    // Full screen: the frame steps aside (nothing drawn, no margins, no shape) and returns.
    void setFrameHidden(bool hidden);
    bool frameHidden() const { return frameHidden_; }

    // Geometry, in window coordinates.
    QRect clientRect() const;
    // The zone of a point, after the Dragging and state rules: a sizing zone only where the
    // window may be sized, the caption only where it may be moved; Client otherwise.
    FrameZone zoneAt(QPoint p) const;
    // The zone before those rules, as the frame's parts give it.
    FrameZone rawZoneAt(QPoint p) const;
    TSeWindowState previousState() const { return previous_; }
    QRect restoreRect() const { return restoreRect_; }
    // Where a maximized window goes: the work area of its screen, the whole screen when it
    // stays on top, no larger than the window's largest size.
    QRect maximizedRect() const;
    // Height of the caption strip plus the bottom border: a rolled-up window's height.
    int frameHeight() const;
    // The object state the frame's parts are drawn in.
    std::uint8_t stateByte() const;

    // The notification-area icon while in the tray, else null.
    QSystemTrayIcon* trayIcon() const { return tray_.get(); }
    QString trayToolTip() const { return trayTip_; }
    // The last system menu built (kept until the next one).
    TSeSkinPopupMenu* systemMenu() const { return systemMenu_.get(); }

    // What the desktop offers; tests put in their own.
    std::function<bool()> trayAvailable;
    std::function<QPoint()> cursorPos;
    // The work area and the whole screen the window is on.
    std::function<QRect()> workArea;
    std::function<QRect()> screenArea;

    // Message number of the posted state message.
    static constexpr int kStateMessage = 1391;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

    // What the skinned frame provides in place of the plain one.
    virtual bool skinned() const { return false; }
    virtual QMargins skinnedInsets(QSize size);
    virtual FrameZone skinnedZone(QPoint p);
    virtual void paintSkinned(QPainter& painter, QSize size);
    // The client area's background alone.
    virtual void paintSkinnedClient(QPainter& painter, QSize size);
    virtual QRegion skinnedRegion(QSize size);
    // Mouse on the skinned frame's parts; returns false when no part took it.
    virtual void skinnedMouse(QMouseEvent* event);
    virtual void skinnedHover(QPoint p, bool inside, Qt::MouseButtons held);
    virtual void skinnedLeft();
    // The skin is being let go: nothing may point into it any more.
    virtual void forgetParts() {}
    // Called at load before the state is applied.
    virtual void loading() {}
    virtual TSeSkinEngine* menuEngine() const { return nullptr; }
    // The frame was laid out for a new size: controls that follow its parts move.
    virtual void frameLaidOut() {}

    // Lays the frame out again for the window's size: margins, shape, controls linked to
    // parts, repaint.
    void updateFrame();
    void repaintFrame();
    void repaintFrame(const QRect& area);
    // Runs a system button's action.
    void performAction(TSeAction action);
    // Opens the system menu after the double-click time, unless a double click closes first.
    void scheduleSystemMenu();
    bool painting() const { return painting_; }
    bool frameDrawn() const;

private:
    bool ask(const TSeFormActionEvent& handler);
    bool isModal() const;
    void saveRestoreRect();
    // Starts a change to target: asked again, it restores instead; from minimized or the
    // tray it is refused. True when the change goes ahead.
    bool enterState(TSeWindowState target);
    void setBounds(const QRect& r);
    QRect minimizedRect() const;
    // Hides the window's controls while only the caption strip shows, and shows them again.
    void stripControls(bool strip);
    void leaveMinimized();
    QMargins insets() const;
    QMargins plainInsets() const;
    FrameZone plainZone(QPoint p) const;
    void paintFrame(QPainter& painter, const QRect& dirty);
    void paintPlain(QPainter& painter);
    struct PlainButton {
        QRect rect;
        TSeAction action;
        bool operator==(const PlainButton&) const = default;
    };
    QList<PlainButton> plainButtons() const;
    void plainMouse(QMouseEvent* event);
    bool mouseEvent(QMouseEvent* event);
    bool gripPress(QObject* watched, QMouseEvent* event);
    void watchStatusBars();
    void applyState(TSeWindowState state);
    void windowStateChanged();
    void showInTray();
    void leaveTray();
    void minimizeWindows();
    void updateCursor(FrameZone zone);
    void hoverTick();
    void setStayOnTopFlag(bool on);

    QWidget* window_;
    bool active_{true};
    bool loading_{true};
    bool frameHidden_{false};
    bool painting_{false};
    TSeBorderIcons borderIcons_{kAllBorderIcons};
    TSeBorderStyle borderStyle_{TSeBorderStyle::kbsStandard};
    TSeFormBlending blending_;
    TSeFormPerformance performance_{TSeFormPerformance::ksfpNoBuffer};
    bool stayOnTop_{false};
    bool minimizeApplication_{true};

    TSeWindowState state_{TSeWindowState::kwsNormal};
    TSeWindowState previous_{TSeWindowState::kwsNormal};
    TSeWindowState loadState_{TSeWindowState::kwsNormal};
    QRect restoreRect_;
    // The window's bounds when it was minimized or went to the tray, given back on return.
    QRect stateRect_;
    // The windows hidden or minimized with the application, shown again on return.
    QList<QPointer<QWidget>> appWindows_;
    // The controls put out of sight while the window is rolled up or shrunk.
    QList<QPointer<QWidget>> stripped_;
    bool shrunk_{false};
    bool changingState_{false};
    // A rolled-up or shrunken window is smaller than its smallest size: that is lifted while
    // it lasts.
    QSize savedMinimum_;
    bool minimumLifted_{false};
    // Where the window was when loading ended, before it was moved out of sight.
    QRect loadRect_;
    bool movedAway_{false};

    FormDragger dragger_;
    QTimer hoverTimer_;
    QTimer menuTimer_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    QString trayTip_;
    std::unique_ptr<TSeSkinPopupMenu> systemMenu_;
    QImage persistent_;
    bool persistentValid_{false};
    int pressedPlain_{-1};
    int hotPlain_{-1};
    bool cursorSet_{false};
};

} // namespace skin
