#pragma once

// A pair of arrow buttons, up above down, that click once when pressed and again and again
// while held. With a skin that has the "SpinButton" object its "Up" and "Down" parts draw the
// halves in their hot, pressed and disabled states; otherwise the desktop's arrow buttons.

#include <QTimer>
#include <QWidget>
#include <functional>

#include "skin/engine/SkinClient.h"
#include "skin/engine/SkinProperties.h"

namespace skin {

class TSeSkinSpinButton : public QWidget, public SkinProperties<TSeSkinSpinButton> {
    Q_OBJECT
    friend class SkinProperties<TSeSkinSpinButton>;

public:
    using NotifyEvent = std::function<void(QObject* sender)>;
    enum class Half { None, Up, Down };

    explicit TSeSkinSpinButton(QWidget* parent = nullptr);

    // The control that takes the focus when a half is pressed, if any.
    QWidget* FocusControl() const { return focusControl_; }
    void setFocusControl(QWidget* control) { focusControl_ = control; }
    // Delay before a held half starts repeating, and the pace of the repeats, in ms.
    int RepeatDelay() const { return repeatDelay_; }
    void setRepeatDelay(int ms) { repeatDelay_ = std::max(1, ms); }
    int RepeatInterval() const { return repeatInterval_; }
    void setRepeatInterval(int ms) { repeatInterval_ = std::max(1, ms); }

    QRect upRect() const;
    QRect downRect() const;
    Half halfAt(QPoint p) const;
    Half pressedHalf() const { return pressed_; }
    Half hotHalf() const { return hot_; }
    // The skin object state a half is drawn in.
    int skinState(Half half) const;

    NotifyEvent OnUpClick;
    NotifyEvent OnDownClick;

    QSize sizeHint() const override { return {15, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void click(Half half);
    void paintSkinned(QPainter& p);
    void paintDefault(QPainter& p);

    QWidget* focusControl_{nullptr};
    int repeatDelay_{400};
    int repeatInterval_{100};
    Half pressed_{Half::None};
    Half hot_{Half::None};
    bool pressedInside_{false};
    QTimer repeat_;
    SkinClient skin_{this, QStringLiteral("SpinButton")};
};

} // namespace skin
