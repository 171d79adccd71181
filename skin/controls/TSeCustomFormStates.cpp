// The window-state machine of the frame, closing, help, staying on top, the end of loading
// and the system menu.

#include "skin/controls/TSeCustomForm.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QWhatsThis>
#include <QWidget>

#include "skin/controls/TSeSkinPopupMenu.h"

namespace skin {

namespace {

// A minimized window that is not left to the window system is this wide.
constexpr int kMinimizedWidth = 160;
// The notification area shows tooltips of at most this many characters.
constexpr int kTrayTipLength = 63;

class StateMessage : public QEvent {
public:
    explicit StateMessage(TSeWindowState s)
        : QEvent(QEvent::Type(QEvent::User + TSeCustomForm::kStateMessage)), state(s) {}
    TSeWindowState state;
};

QString cutTip(const QString& text) {
    if (text.size() <= kTrayTipLength)
        return text;
    // Never half a character: a surrogate pair stays whole or goes.
    int n = kTrayTipLength;
    if (text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

bool isAppWindow(const QWidget* w) {
    const Qt::WindowType type = w->windowType();
    return w->isVisible() && (type == Qt::Window || type == Qt::Dialog);
}

} // namespace

bool TSeCustomForm::ask(const TSeFormActionEvent& handler) {
    bool allow = true;
    if (handler)
        handler(this, allow);
    return allow;
}

bool TSeCustomForm::isModal() const {
    return window_->isModal() || QApplication::activeModalWidget() == window_;
}

void TSeCustomForm::saveRestoreRect() {
    restoreRect_ = window_->geometry();
}

QRect TSeCustomForm::maximizedRect() const {
    const QScreen* screen =
        window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    if (!screen && !(workArea && screenArea))
        return window_->geometry();
    const QRect whole = screenArea ? screenArea() : screen->geometry();
    const QRect work = workArea ? workArea() : screen->availableGeometry();
    QRect area = (stayOnTop_ ? whole : work).intersected(whole);
    const QSize largest = window_->maximumSize();
    area.setWidth(std::min(area.width(), largest.width()));
    area.setHeight(std::min(area.height(), largest.height()));
    return area;
}

QRect TSeCustomForm::minimizedRect() const {
    QRect area;
    if (QWidget* parent = window_->parentWidget(); parent && !window_->isWindow())
        area = parent->rect();
    else if (workArea)
        area = workArea();
    else if (const QScreen* screen = window_->screen())
        area = screen->availableGeometry();
    else
        area = window_->geometry();
    const int h = frameHeight();
    return QRect(area.left(), area.top() + area.height() - h, kMinimizedWidth, h);
}

void TSeCustomForm::setBounds(const QRect& r) {
    const QScopedValueRollback<bool> guard(changingState_, true);
    const bool small = state_ == TSeWindowState::kwsRollup || shrunk_;
    if (small)
        stripControls(frameDrawn());
    if (small && !minimumLifted_) {
        savedMinimum_ = window_->minimumSize();
        minimumLifted_ = true;
        window_->setMinimumSize(0, 0);
    } else if (!small && minimumLifted_) {
        window_->setMinimumSize(savedMinimum_);
        minimumLifted_ = false;
    }
    window_->setGeometry(r);
    updateFrame();
}

void TSeCustomForm::setWindowState(TSeWindowState s) {
    if (loading_) {
        loadState_ = s;
        return;
    }
    if (s == state_)
        return;
    applyState(s);
}

void TSeCustomForm::applyState(TSeWindowState s) {
    switch (s) {
    case TSeWindowState::kwsNormal:
        Restore();
        break;
    case TSeWindowState::kwsMaximized:
        Maximize();
        break;
    case TSeWindowState::kwsMinimized:
        Minimize();
        break;
    case TSeWindowState::kwsRollup:
        Rollup();
        break;
    case TSeWindowState::kwsTray:
        MinimizeToTray();
        break;
    }
}

bool TSeCustomForm::enterState(TSeWindowState target) {
    if (state_ == target) {
        Restore();
        return false;
    }
    if (state_ == TSeWindowState::kwsTray || state_ == TSeWindowState::kwsMinimized)
        return false;
    previous_ = state_;
    if (state_ == TSeWindowState::kwsNormal)
        saveRestoreRect();
    return true;
}

void TSeCustomForm::Maximize() {
    if (!ask(OnMaximize))
        return;
    if (!enterState(TSeWindowState::kwsMaximized))
        return;
    state_ = TSeWindowState::kwsMaximized;
    setBounds(maximizedRect());
}

void TSeCustomForm::Minimize() {
    if (!ask(OnMinimize) || isModal())
        return;
    if (!enterState(TSeWindowState::kwsMinimized))
        return;
    stateRect_ = window_->geometry();
    state_ = TSeWindowState::kwsMinimized;
    if (minimizeApplication_) {
        minimizeWindows();
        repaintFrame();
    } else {
        shrunk_ = true;
        setBounds(minimizedRect());
    }
}

void TSeCustomForm::minimizeWindows() {
    const QScopedValueRollback<bool> guard(changingState_, true);
    appWindows_.clear();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (isAppWindow(w) && !w->isMinimized()) {
            appWindows_.append(w);
            w->showMinimized();
        }
    }
}

void TSeCustomForm::Rollup() {
    if (!ask(OnRollup))
        return;
    if (!enterState(TSeWindowState::kwsRollup))
        return;
    const QRect g = window_->geometry();
    const int height = frameHeight();
    state_ = TSeWindowState::kwsRollup;
    setBounds(QRect(g.topLeft(), QSize(g.width(), height)));
}

void TSeCustomForm::MinimizeToTray() {
    if (!ask(OnMinToTray) || isModal())
        return;
    if (state_ == TSeWindowState::kwsTray) {
        Restore();
        return;
    }
    if (state_ == TSeWindowState::kwsMinimized)
        return;
    const bool available =
        trayAvailable ? trayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
    if (!available) {
        // Hidden with no icon to click, the window could never be got back: a desktop
        // without a notification area gets an ordinary minimize instead.
        Minimize();
        return;
    }
    previous_ = state_;
    if (state_ == TSeWindowState::kwsNormal)
        saveRestoreRect();
    stateRect_ = window_->geometry();
    state_ = TSeWindowState::kwsTray;
    showInTray();
}

void TSeCustomForm::showInTray() {
    const QScopedValueRollback<bool> guard(changingState_, true);
    appWindows_.clear();
    if (minimizeApplication_) {
        const QString title = QGuiApplication::applicationDisplayName();
        trayTip_ = cutTip(title.isEmpty() ? Caption() : title);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (isAppWindow(w))
                appWindows_.append(w);
        }
    } else {
        trayTip_ = cutTip(Caption());
        appWindows_.append(window_);
    }
    for (const auto& w : appWindows_)
        w->hide();
    QIcon icon = window_->windowIcon();
    if (icon.isNull())
        icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    tray_ = std::make_unique<QSystemTrayIcon>(icon);
    tray_->setToolTip(trayTip_);
    connect(tray_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Context)
                    ShowSystemMenu();
                else if (reason == QSystemTrayIcon::Trigger ||
                         reason == QSystemTrayIcon::DoubleClick)
                    Restore();
            });
    tray_->show();
}

void TSeCustomForm::leaveTray() {
    const QScopedValueRollback<bool> guard(changingState_, true);
    if (tray_) {
        tray_->hide();
        // The signal that brought us here may still be on the stack.
        tray_.release()->deleteLater();
    }
    for (const auto& w : appWindows_) {
        if (w)
            w->show();
    }
    appWindows_.clear();
    window_->raise();
    window_->activateWindow();
}

void TSeCustomForm::leaveMinimized() {
    const QScopedValueRollback<bool> guard(changingState_, true);
    if (shrunk_) {
        shrunk_ = false;
        return;
    }
    if (appWindows_.isEmpty())
        appWindows_.append(window_);
    for (const auto& w : appWindows_) {
        if (w)
            w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    }
    appWindows_.clear();
    window_->raise();
    window_->activateWindow();
}

void TSeCustomForm::Restore() {
    using S = TSeWindowState;
    const S from = state_;
    switch (from) {
    case S::kwsNormal:
        return;
    case S::kwsMaximized:
        if (previous_ == S::kwsRollup) {
            state_ = S::kwsRollup;
            previous_ = S::kwsMaximized;
            setBounds(QRect(restoreRect_.topLeft(), QSize(restoreRect_.width(), frameHeight())));
        } else {
            state_ = S::kwsNormal;
            previous_ = S::kwsMaximized;
            setBounds(restoreRect_);
        }
        return;
    case S::kwsRollup:
        if (previous_ == S::kwsMaximized || window_->width() == maximizedRect().width()) {
            state_ = S::kwsMaximized;
            // Restoring once more goes to the normal window, not back to the rolled one.
            previous_ = S::kwsNormal;
            setBounds(maximizedRect());
        } else {
            state_ = S::kwsNormal;
            previous_ = S::kwsRollup;
            setBounds(QRect(window_->pos(), restoreRect_.size()));
        }
        return;
    case S::kwsMinimized:
    case S::kwsTray: {
        const S back =
            previous_ == S::kwsMaximized || previous_ == S::kwsRollup ? previous_ : S::kwsNormal;
        if (from == S::kwsTray)
            leaveTray();
        else
            leaveMinimized();
        state_ = back;
        previous_ = from;
        setBounds(stateRect_);
        return;
    }
    }
}

void TSeCustomForm::windowStateChanged() {
    if (changingState_)
        return;
    // The window system minimized or restored the window (a task bar, a key of its own).
    const bool minimized = window_->isMinimized();
    if (minimized && state_ != TSeWindowState::kwsMinimized && state_ != TSeWindowState::kwsTray) {
        previous_ = state_;
        if (state_ == TSeWindowState::kwsNormal)
            saveRestoreRect();
        stateRect_ = window_->geometry();
        state_ = TSeWindowState::kwsMinimized;
        repaintFrame();
    } else if (!minimized && state_ == TSeWindowState::kwsMinimized && !shrunk_) {
        const TSeWindowState back =
            previous_ == TSeWindowState::kwsMaximized || previous_ == TSeWindowState::kwsRollup
                ? previous_
                : TSeWindowState::kwsNormal;
        for (const auto& w : appWindows_) {
            if (w && w != window_)
                w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        }
        appWindows_.clear();
        previous_ = state_;
        state_ = back;
        updateFrame();
    }
}

void TSeCustomForm::Close() {
    if (!ask(OnClose))
        return;
    if (isModal()) {
        if (auto* dialog = qobject_cast<QDialog*>(window_)) {
            dialog->done(2);
            return;
        }
    }
    if (window_->close())
        tray_.reset();
}

void TSeCustomForm::Help() {
    QWhatsThis::enterWhatsThisMode();
}

void TSeCustomForm::setStayOnTop(bool on) {
    if (on == stayOnTop_)
        return;
    stayOnTop_ = on;
    if (!loading_)
        setStayOnTopFlag(on);
}

void TSeCustomForm::setStayOnTopFlag(bool on) {
    if (window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != on) {
        // Changing the flag makes a new native window: put it back where it was, shown
        // without taking the focus.
        const QRect g = window_->geometry();
        const bool visible = window_->isVisible();
        const bool quiet = window_->testAttribute(Qt::WA_ShowWithoutActivating);
        window_->setWindowFlag(Qt::WindowStaysOnTopHint, on);
        window_->setGeometry(g);
        if (visible) {
            window_->setAttribute(Qt::WA_ShowWithoutActivating, true);
            window_->show();
            window_->setAttribute(Qt::WA_ShowWithoutActivating, quiet);
        }
    }
    if (state_ == TSeWindowState::kwsMaximized)
        setBounds(maximizedRect());
}

void TSeCustomForm::loaded() {
    if (!loading_)
        return;
    loading_ = false;
    loading();
    watchStatusBars();
    updateFrame();
    loadRect_ = window_->geometry();
    if (loadState_ != TSeWindowState::kwsRollup)
        restoreRect_ = loadRect_;
    if (loadState_ != TSeWindowState::kwsNormal) {
        // Out of sight until the state is applied, so the normal window never flashes up.
        if (const QScreen* screen = window_->screen()) {
            const QRect all = screen->geometry();
            window_->move(loadRect_.left(), all.top() + all.height());
            movedAway_ = true;
        }
    }
    QCoreApplication::postEvent(this, new StateMessage(loadState_));
    hoverTimer_.start();
    if (OnCreate)
        OnCreate(this);
    if (stayOnTop_)
        setStayOnTopFlag(true);
}

bool TSeCustomForm::event(QEvent* e) {
    if (e->type() != QEvent::Type(QEvent::User + kStateMessage))
        return QObject::event(e);
    const TSeWindowState s = static_cast<StateMessage*>(e)->state;
    if (std::exchange(movedAway_, false))
        window_->move(loadRect_.topLeft());
    if (s != state_)
        applyState(s);
    return true;
}

} // namespace skin
