#include "app/LayoutCommands.h"

#include "app/DockPanel.h"
#include "flash/host/TShockwaveFlash.h"
#include "skin/controls/TAlignLayout.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinPanel.h"
#include "skin/controls/TSeSkinSplitter.h"
#include "skin/controls/TSeSkinStatusBar.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace app {

LayoutCommands::LayoutCommands(LayoutParts parts, QObject* parent)
    : QObject(parent), p_(std::move(parts)) {}

void LayoutCommands::Toggle(skin::TSeSkinItem& item, QWidget& part) {
    item.setChecked(!item.Checked());
    part.setVisible(item.Checked());
}

bool LayoutCommands::isControlPanelDocked() const {
    return p_.controlPanel.parentWidget() == &p_.form;
}

void LayoutCommands::redock(bool right) {
    if (isControlPanelDocked())
        return;
    const skin::TAlign side = right ? skin::TAlign::alRight : skin::TAlign::alLeft;
    // The panel goes just before the splitter in the stacking order, so that it lies at the
    // edge and the splitter between it and the movie panel.
    const int at = p_.formLayout.indexOf(&p_.splitter);
    const bool wasHidden = p_.controlPanel.isHidden();
    p_.formLayout.insertControl(at, &p_.controlPanel, side);
    p_.controlPanel.docked();
    if (!wasHidden)
        p_.controlPanel.show();
    p_.splitter.setAlign(side);
    FormResize();
}

void LayoutCommands::RedockLeft() {
    redock(false);
}

void LayoutCommands::RedockRight() {
    redock(true);
}

void LayoutCommands::PlaylistBeforeRoll() {
    skin::TSeSkinPanel& panel = p_.playlistPanel;
    skin::setAlign(&panel, panel.Rolled() ? skin::TAlign::alClient : skin::TAlign::alBottom);
}

void LayoutCommands::FormResize() {
    if (p_.flash.Visible()) {
        // Focus goes through "none" to the control, so the control always ends up with it.
        try {
            if (QWidget* focus = p_.form.focusWidget())
                focus->clearFocus();
            p_.flash.SetFocus();
        } catch (...) {
        }
        if (p_.multiPictureOn && p_.multiPictureOn() && p_.layoutGrid)
            p_.layoutGrid();
    }
    skin::TSeStatusPanels& panels = p_.statusBar.Panels();
    if (panels.Count() >= 3)
        panels[2].setWidth(p_.form.frameGeometry().width() - panels[0].Width() - panels[1].Width());
}

bool LayoutCommands::isFullScreen() const {
    return fullScreen_;
}

void LayoutCommands::ToggleFullScreen() {
    skin::TSeSkinItem& item = p_.fullScreenItem;
    item.setChecked(!item.Checked());
    if (item.Checked())
        FullScreenOn();
    else
        FullScreenOff();
}

void LayoutCommands::FullScreenOn() {
    p_.multiPictureItem.setEnabled(false);
    p_.controlPanel.hide();
    p_.toolBar.hide();
    p_.menuBar.hide();
    p_.statusBar.hide();
    p_.splitter.hide();
    fullScreen_ = true;
    if (p_.showFrame)
        p_.showFrame(false);
    else
        p_.form.setWindowFlag(Qt::FramelessWindowHint, true);
    p_.form.showMaximized();
    p_.flash.Stop();
    QScreen* screen = p_.form.screen() ? p_.form.screen() : QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : p_.form.size();
    p_.flash.SetBounds(QRect(QPoint(0, 0), size));
    p_.flash.Play();
}

void LayoutCommands::FullScreenOff() {
    p_.fullScreenItem.setChecked(false);
    p_.menuBar.show();
    p_.toolBar.show();
    p_.statusBar.show();
    p_.splitter.show();
    p_.controlPanel.show();
    fullScreen_ = false;
    if (p_.showFrame)
        p_.showFrame(true);
    else
        p_.form.setWindowFlag(Qt::FramelessWindowHint, false);
    p_.form.showNormal();
    // The outer size counts the frame; before the frame is known it is taken as none.
    const QSize frame = p_.form.frameGeometry().size() - p_.form.size();
    p_.form.resize(kNormalOuterWidth - frame.width(), kNormalOuterHeight - frame.height());
    QScreen* screen = p_.form.screen() ? p_.form.screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect desk = screen->availableGeometry();
        p_.form.move(desk.left() + (desk.width() - kNormalOuterWidth) / 2,
                     desk.top() + (desk.height() - kNormalOuterHeight) / 2);
    }
    p_.multiPictureItem.setEnabled(true);
}

void LayoutCommands::Timer3Timer() {
    p_.redockItem.setEnabled(!isControlPanelDocked());
    p_.controlPanelItem.setChecked(!p_.controlPanel.isHidden());
}

} // namespace app
