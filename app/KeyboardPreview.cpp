#include "app/KeyboardPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace app {

int virtualKeyCode(const QKeyEvent& event) {
    const int key = event.key();
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 0x41 + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? 0x60 + (key - Qt::Key_0) : 0x30 + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return vk::F1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Escape:
        return vk::Escape;
    case Qt::Key_PageUp:
        return vk::Prior;
    case Qt::Key_PageDown:
        return vk::Next;
    case Qt::Key_End:
        return 0x23;
    case Qt::Key_Home:
        return 0x24;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return vk::Up;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return vk::Down;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 0x0D;
    case Qt::Key_Space:
        return 0x20;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 0x09;
    case Qt::Key_Backspace:
        return 0x08;
    case Qt::Key_Insert:
        return 0x2D;
    case Qt::Key_Delete:
        return 0x2E;
    case Qt::Key_Plus:
        return keypad ? vk::Add : vk::OemPlus;
    case Qt::Key_Equal:
        return vk::OemPlus;
    case Qt::Key_Minus:
        return keypad ? vk::Subtract : vk::OemMinus;
    case Qt::Key_Underscore:
        return vk::OemMinus;
    case Qt::Key_Asterisk:
        return keypad ? 0x6A : 0;
    case Qt::Key_Slash:
        return keypad ? 0x6F : 0xBF;
    case Qt::Key_Period:
        return keypad ? 0x6E : 0xBE;
    case Qt::Key_Comma:
        return 0xBC;
    default:
        return 0;
    }
}

KeyboardPreview::KeyboardPreview(QWidget& window, std::function<void(int key)> onKey)
    : QObject(&window), window_(&window), onKey_(std::move(onKey)) {
    qApp->installEventFilter(this);
}

KeyboardPreview::~KeyboardPreview() {
    qApp->removeEventFilter(this);
}

bool KeyboardPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() || !window_)
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != window_)
        return false;
    // Propagation to a parent hands on the same event object; only the first receiver counts.
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    const bool propagated = event == lastEvent_ && lastReceiver_ && watched != lastReceiver_ &&
                            widget->isAncestorOf(static_cast<QWidget*>(lastReceiver_.data())) &&
                            keyEvent->key() == lastKey_ && keyEvent->timestamp() == lastTime_;
    lastEvent_ = event;
    lastReceiver_ = watched;
    lastKey_ = keyEvent->key();
    lastTime_ = keyEvent->timestamp();
    if (propagated)
        return false;
    const int key = virtualKeyCode(*keyEvent);
    if (key != 0 && onKey_) {
        // The key still goes on to its widget afterwards; handlers must not delete it.
        onKey_(key);
    }
    return false;
}

} // namespace app
