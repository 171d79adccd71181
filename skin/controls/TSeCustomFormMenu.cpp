// The caption buttons' actions and the system menu.

#include "skin/controls/TSeCustomForm.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

#include "skin/controls/TSeSkinPopupMenu.h"

namespace skin {

void TSeCustomForm::performAction(TSeAction action) {
    // Any other action wins over a system menu still waiting for a second click.
    if (action != TSeAction::sbaSysMenu)
        menuTimer_.stop();
    switch (action) {
    case TSeAction::sbaClose:
        Close();
        break;
    case TSeAction::sbaHelp:
        Help();
        break;
    case TSeAction::sbaMinimize:
        Minimize();
        break;
    case TSeAction::sbaMaximize:
        Maximize();
        break;
    case TSeAction::sbaRestore:
    case TSeAction::sbaRollDown:
        Restore();
        break;
    case TSeAction::sbaRollUp:
        Rollup();
        break;
    case TSeAction::sbaTray:
        MinimizeToTray();
        break;
    case TSeAction::sbaSysMenu:
        scheduleSystemMenu();
        break;
    default:
        break;
    }
}

void TSeCustomForm::scheduleSystemMenu() {
    // A double click on the icon closes the window; its first click must not open the menu
    // over the icon and swallow the second.
    menuTimer_.start(QApplication::doubleClickInterval());
}

void TSeCustomForm::ShowSystemMenu() {
    menuTimer_.stop();
    const bool inTray = state_ == TSeWindowState::kwsTray;
    const QPoint at = inTray ? (cursorPos ? cursorPos() : QCursor::pos())
                             : window_->mapToGlobal(clientRect().topLeft());
    if (inTray && TrayMenuLink) {
        TrayMenuLink->Popup(at);
        return;
    }
    if (SystemMenuLink) {
        SystemMenuLink->Popup(at);
        return;
    }
    QPointer<TSeCustomForm> self(this);
    auto run = [self](SystemMenuCommand command) {
        // After the menu has closed: an action may end the window and its menu with it.
        QMetaObject::invokeMethod(
            self.data(),
            [self, command] {
                if (!self)
                    return;
                switch (command) {
                case SystemMenuCommand::Close:
                    self->Close();
                    break;
                case SystemMenuCommand::Maximize:
                    self->Maximize();
                    break;
                case SystemMenuCommand::Minimize:
                    self->Minimize();
                    break;
                case SystemMenuCommand::Rollup:
                    self->Rollup();
                    break;
                case SystemMenuCommand::Tray:
                    self->MinimizeToTray();
                    break;
                case SystemMenuCommand::Restore:
                    self->Restore();
                    break;
                case SystemMenuCommand::None:
                    break;
                }
            },
            Qt::QueuedConnection);
    };
    systemMenu_ = buildSystemMenu(state_, borderIcons_, menuEngine(), run);
    systemMenu_->Popup(at);
}

} // namespace skin
