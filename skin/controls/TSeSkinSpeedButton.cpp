#include "skin/controls/TSeSkinSpeedButton.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace skin {

namespace {
constexpr int kChevronWidth = 12;
constexpr int kRepeatInterval = 400;
} // namespace

TSeSkinSpeedButton::TSeSkinSpeedButton(QWidget* parent) : QWidget(parent) {
    resize(29, 29);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
    repeat_.setInterval(kRepeatInterval);
    // While an auto-repeating button is held inside, it clicks again at every tick.
    connect(&repeat_, &QTimer::timeout, this, [this] {
        if (state_ == bsPressed && mouseInside_)
            Click();
    });
}

void TSeSkinSpeedButton::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TSeSkinSpeedButton::setFlat(bool on) {
    flat_ = on;
    update();
}

void TSeSkinSpeedButton::setGlyph(const QPixmap& glyph) {
    glyph_ = glyph;
    update();
}

void TSeSkinSpeedButton::setShowCaption(bool on) {
    showCaption_ = on;
    update();
}

void TSeSkinSpeedButton::setShowGlyph(bool on) {
    showGlyph_ = on;
    update();
}

void TSeSkinSpeedButton::setShowChevron(bool on) {
    showChevron_ = on;
    update();
}

QRect TSeSkinSpeedButton::chevronRect() const {
    if (!showChevron_)
        return {};
    return QRect(width() - kChevronWidth, 0, kChevronWidth, height());
}

QRect TSeSkinSpeedButton::buttonRect() const {
    QRect r = rect();
    if (showChevron_)
        r.setRight(width() - kChevronWidth - 1);
    return r;
}

void TSeSkinSpeedButton::setDown(bool down) {
    if (down == down_)
        return;
    down_ = down;
    if (!down)
        state_ = bsUp;
    else if (groupIndex_ != 0)
        state_ = bsLatched;
    else if (mouseInside_)
        state_ = bsPressed;
    else
        state_ = bsUp;
    if (down)
        groupDown();
    update();
}

void TSeSkinSpeedButton::groupDown() {
    if (groupIndex_ == 0 || !parentWidget())
        return;
    const auto siblings =
        parentWidget()->findChildren<TSeSkinSpeedButton*>(Qt::FindDirectChildrenOnly);
    for (TSeSkinSpeedButton* other : siblings) {
        if (other == this || other->groupIndex_ != groupIndex_)
            continue;
        if (other->down_) {
            other->down_ = false;
            other->state_ = bsUp;
            other->update();
        }
        other->allowAllUp_ = allowAllUp_;
    }
}

void TSeSkinSpeedButton::Click() {
    if (state_ == bsChevronPressed)
        return;
    if (OnClick)
        OnClick(this);
}

void TSeSkinSpeedButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    const QPoint p = event->position().toPoint();
    if (chevronRect().contains(p)) {
        state_ = bsChevronPressed;
        if (OnChevronClick)
            OnChevronClick(this);
    } else if (buttonRect().contains(p)) {
        state_ = bsPressed;
        if (allowTimer_)
            repeat_.start();
    }
    update();
}

void TSeSkinSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    repeat_.stop();
    if (state_ == bsChevronPressed) {
        if (chevronMenu_)
            chevronMenu_->popup(mapToGlobal(chevronRect().bottomLeft()));
        state_ = bsUp;
        update();
        return;
    }
    const int was = state_;
    if (!down_)
        state_ = bsUp;
    const bool inside = buttonRect().contains(event->position().toPoint());
    if (inside && (was == bsPressed || was == bsLatched)) {
        if (!down_ && groupIndex_ != 0)
            setDown(true);
        else if (allowAllUp_)
            setDown(false);
        else if (groupIndex_ != 0)
            state_ = bsLatched;
        update();
        Click();
        return;
    }
    if (down_ && groupIndex_ != 0)
        state_ = bsLatched;
    update();
}

void TSeSkinSpeedButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && OnDblClick)
        OnDblClick(this);
    else
        mousePressEvent(event);
}

void TSeSkinSpeedButton::enterEvent(QEnterEvent*) {
    mouseInside_ = true;
    update();
}

void TSeSkinSpeedButton::leaveEvent(QEvent*) {
    mouseInside_ = false;
    update();
}

void TSeSkinSpeedButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

void TSeSkinSpeedButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    const QRect face = buttonRect();
    const bool sunken = state_ == bsPressed || state_ == bsLatched || down_;
    const bool raised = !flat_ || (mouseInside_ && isEnabled());
    QColor fill = pal.color(QPalette::Button);
    if (state_ == bsLatched || (down_ && state_ != bsPressed))
        fill = fill.lighter(108);
    if (flat_ && mouseInside_ && isEnabled() && !sunken)
        fill = fill.lighter(110);
    if (!flat_ || sunken || raised)
        p.fillRect(face, fill);
    if (sunken || raised) {
        const QColor hi = pal.color(QPalette::Light), lo = pal.color(QPalette::Dark);
        const QRect r = face.adjusted(0, 0, -1, -1);
        p.setPen(sunken ? lo : hi);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(sunken ? hi : lo);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
    const QPoint glyphShift =
        (state_ == bsPressed || state_ == bsLatched) ? QPoint(1, 1) : QPoint();
    const QPoint textShift = (state_ == bsLatched || down_) ? QPoint(1, 1) : QPoint();
    int textLeft = face.left();
    if (showGlyph_ && !glyph_.isNull()) {
        const QPoint at(face.left() + 4, face.top() + (face.height() - glyph_.height()) / 2);
        if (isEnabled())
            p.drawPixmap(at + glyphShift, glyph_);
        else {
            p.setOpacity(0.4);
            p.drawPixmap(at + glyphShift, glyph_);
            p.setOpacity(1.0);
        }
        textLeft = at.x() + glyph_.width();
    }
    if (showCaption_ && !caption_.isEmpty()) {
        p.setPen(isEnabled() ? pal.color(QPalette::ButtonText)
                             : pal.color(QPalette::Disabled, QPalette::ButtonText));
        QRect text(textLeft, face.top(), face.right() - textLeft + 1, face.height());
        p.drawText(text.translated(textShift), Qt::AlignCenter | Qt::TextSingleLine, caption_);
    }
    if (showChevron_) {
        const QRect c = chevronRect();
        if (state_ == bsChevronPressed)
            p.fillRect(c, pal.color(QPalette::Mid));
        const QPoint m = c.center();
        p.setPen(pal.color(QPalette::ButtonText));
        p.drawLine(m + QPoint(-3, -1), m + QPoint(0, 2));
        p.drawLine(m + QPoint(0, 2), m + QPoint(3, -1));
    }
}

} // namespace skin
