#pragma once

// The main window sees every key pressed in it before the focused control does, by the key's
// virtual-key code alone (Shift, Ctrl and Alt make no difference), and never takes the key
// away from the control.

#include <QObject>
#include <QPointer>
#include <functional>

class QKeyEvent;
class QWidget;

namespace app {

// Virtual-key codes of the keys the window knows.
namespace vk {
inline constexpr int Escape = 0x1B;
inline constexpr int Prior = 0x21; // Page Up
inline constexpr int Next = 0x22;  // Page Down
inline constexpr int Up = 0x26;
inline constexpr int Down = 0x28;
inline constexpr int Add = 0x6B;      // numeric keypad +
inline constexpr int Subtract = 0x6D; // numeric keypad -
inline constexpr int F1 = 0x70;
inline constexpr int F12 = 0x7B;
inline constexpr int OemPlus = 0xBB;  // "=" and "+" of the main keyboard
inline constexpr int OemMinus = 0xBD; // "-" and "_" of the main keyboard
} // namespace vk

// The virtual-key code of a key event (0 for keys without one here).
int virtualKeyCode(const QKeyEvent& event);

class KeyboardPreview : public QObject {
    Q_OBJECT
public:
    // Calls onKey for each key pressed in window (the window itself or any of its widgets).
    KeyboardPreview(QWidget& window, std::function<void(int key)> onKey);
    ~KeyboardPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    std::function<void(int key)> onKey_;
    // A key travels from the focused widget up to its parents as the same event; it is
    // handled the first time only.
    const QEvent* lastEvent_ = nullptr;
    QPointer<QObject> lastReceiver_;
    int lastKey_ = 0;
    quint64 lastTime_ = 0;
};

} // namespace app
