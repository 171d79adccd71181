#include "skin/controls/TSeSkinSpinButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleOption>

#include "skin/model/TSeSkinObject.h"

namespace skin {

TSeSkinSpinButton::TSeSkinSpinButton(QWidget* parent) : QWidget(parent) {
    resize(15, 20);
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
    repeat_.setSingleShot(false);
    // Held inside its half, a pressed half clicks again at every tick; outside it waits.
    connect(&repeat_, &QTimer::timeout, this, [this] {
        repeat_.setInterval(repeatInterval_);
        if (pressed_ != Half::None && pressedInside_)
            click(pressed_);
    });
}

QRect TSeSkinSpinButton::upRect() const {
    return QRect(0, 0, width(), height() / 2);
}

QRect TSeSkinSpinButton::downRect() const {
    const int top = height() / 2;
    return QRect(0, top, width(), height() - top);
}

TSeSkinSpinButton::Half TSeSkinSpinButton::halfAt(QPoint p) const {
    if (upRect().contains(p))
        return Half::Up;
    if (downRect().contains(p))
        return Half::Down;
    return Half::None;
}

int TSeSkinSpinButton::skinState(Half half) const {
    if (!isEnabled())
        return state::Disabled;
    if (pressed_ == half && pressedInside_)
        return state::Pressed;
    if (hot_ == half && pressed_ == Half::None)
        return state::Hot;
    return state::Normal;
}

void TSeSkinSpinButton::click(Half half) {
    if (half == Half::Up && OnUpClick)
        OnUpClick(this);
    else if (half == Half::Down && OnDownClick)
        OnDownClick(this);
}

void TSeSkinSpinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    const Half half = halfAt(event->position().toPoint());
    if (half == Half::None)
        return;
    if (focusControl_ && focusControl_->isEnabled())
        focusControl_->setFocus(Qt::MouseFocusReason);
    pressed_ = half;
    pressedInside_ = true;
    update();
    click(half);
    repeat_.setInterval(repeatDelay_);
    repeat_.start();
}

void TSeSkinSpinButton::mouseMoveEvent(QMouseEvent* event) {
    const Half at = halfAt(event->position().toPoint());
    const bool inside = pressed_ != Half::None && at == pressed_;
    if (at != hot_ || inside != pressedInside_) {
        hot_ = at;
        pressedInside_ = inside;
        update();
    }
}

void TSeSkinSpinButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    repeat_.stop();
    pressed_ = Half::None;
    pressedInside_ = false;
    hot_ = halfAt(event->position().toPoint());
    update();
}

void TSeSkinSpinButton::leaveEvent(QEvent*) {
    hot_ = Half::None;
    update();
}

void TSeSkinSpinButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        repeat_.stop();
        pressed_ = Half::None;
        update();
    }
    QWidget::changeEvent(event);
}

void TSeSkinSpinButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up)
        click(Half::Up);
    else if (event->key() == Qt::Key_Down)
        click(Half::Down);
    else
        QWidget::keyPressEvent(event);
}

void TSeSkinSpinButton::paintEvent(QPaintEvent* event) {
    if (skin_.isSkinned()) {
        skin_.paint(event->rect(), [this](QPainter& p) { paintSkinned(p); });
        return;
    }
    QPainter p(this);
    paintDefault(p);
}

void TSeSkinSpinButton::paintSkinned(QPainter& p) {
    TSeSkinObject* copy = skin_.skinCopy();
    copy->setBounds(rect());
    for (Half half : {Half::Up, Half::Down}) {
        TSeSkinObject* part = copy->findObject(half == Half::Up ? "Up" : "Down");
        if (!part)
            continue;
        // Each half takes its own share of the control whatever height the skin stored.
        part->setBounds(half == Half::Up ? upRect() : downRect());
        part->setState(static_cast<std::uint8_t>(skinState(half)));
        p.save();
        part->draw(p);
        p.restore();
    }
}

void TSeSkinSpinButton::paintDefault(QPainter& p) {
    for (Half half : {Half::Up, Half::Down}) {
        QStyleOptionButton face;
        face.initFrom(this);
        face.rect = half == Half::Up ? upRect() : downRect();
        const int st = skinState(half);
        face.state |= st == state::Pressed ? QStyle::State_Sunken : QStyle::State_Raised;
        if (st == state::Hot)
            face.state |= QStyle::State_MouseOver;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &face, &p, this);
        QStyleOption arrow = face;
        arrow.rect = face.rect.adjusted(2, 1, -2, -1);
        style()->drawPrimitive(half == Half::Up ? QStyle::PE_IndicatorArrowUp
                                                : QStyle::PE_IndicatorArrowDown,
                               &arrow, &p, this);
    }
}

} // namespace skin
