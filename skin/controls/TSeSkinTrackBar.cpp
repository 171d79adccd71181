#include "skin/controls/TSeSkinTrackBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace skin {

TSeSkinTrackBar::TSeSkinTrackBar(QWidget* parent) : QWidget(parent) {
    resize(150, 45);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void TSeSkinTrackBar::setPosition(int value) {
    if (value == position_)
        return;
    position_ = std::clamp(value, min_, max_);
    update();
    // Raised even when clamping leaves the stored value where it was: callers rely on hearing
    // about every attempt to move the bar.
    if (OnChange)
        OnChange(this);
}

void TSeSkinTrackBar::setMax(int value) {
    if (value == max_ || value <= min_)
        return;
    max_ = value;
    if (position_ > max_)
        setPosition(max_);
    update();
}

void TSeSkinTrackBar::setMin(int value) {
    if (value == min_ || value >= max_)
        return;
    min_ = value;
    if (position_ < min_)
        setPosition(min_);
    update();
}

void TSeSkinTrackBar::setOrientation(TTrackBarOrientation o) {
    orientation_ = o;
    update();
}

void TSeSkinTrackBar::setShowTicks(bool show) {
    showTicks_ = show;
    update();
}

int TSeSkinTrackBar::trackLength() const {
    return orientation_ == TTrackBarOrientation::toHorizontal ? width() : height();
}

int TSeSkinTrackBar::along(const QPoint& p) const {
    return orientation_ == TTrackBarOrientation::toHorizontal ? p.x() : p.y();
}

int TSeSkinTrackBar::positionToPixel(int position) const {
    if (max_ == min_)
        return 0;
    const double usable = trackLength() - 2 * kEndMargin - kThumbLength;
    return kThumbLength / 2 + kEndMargin +
           static_cast<int>(std::lround(usable * (position - min_) / double(max_ - min_)));
}

int TSeSkinTrackBar::pixelToPosition(int pixel) const {
    const int usable = trackLength() - 2 * kEndMargin - kThumbLength;
    if (usable <= 0)
        return min_;
    int v = static_cast<int>(std::lround(double(pixel - kEndMargin - kThumbLength / 2) *
                                         (max_ - min_) / usable)) +
            min_;
    const int e = v % frequency_;
    if (e > frequency_ / 2)
        v += frequency_;
    v -= e;
    return std::clamp(v, min_, max_);
}

QRect TSeSkinTrackBar::thumbRect() const {
    const int centre = positionToPixel(position_);
    if (orientation_ == TTrackBarOrientation::toHorizontal)
        return QRect(centre - kThumbLength / 2, 2, kThumbLength, std::max(8, height() - 4));
    return QRect(2, centre - kThumbLength / 2, std::max(8, width() - 4), kThumbLength);
}

void TSeSkinTrackBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool horizontal = orientation_ == TTrackBarOrientation::toHorizontal;
    const QPalette& pal = palette();
    const int mid = horizontal ? height() / 2 : width() / 2;
    const int from = kEndMargin + kThumbLength / 2;
    const int to = trackLength() - kEndMargin - kThumbLength / 2;
    const QRectF groove =
        horizontal ? QRectF(from, mid - 2, to - from, 4) : QRectF(mid - 2, from, 4, to - from);
    p.setPen(Qt::NoPen);
    p.setBrush(pal.color(QPalette::Mid));
    p.drawRoundedRect(groove, 2, 2);
    // The travelled part of the groove in the highlight colour.
    const int at = positionToPixel(position_);
    QRectF done = horizontal ? QRectF(from, mid - 2, std::max(0, at - from), 4)
                             : QRectF(mid - 2, from, 4, std::max(0, at - from));
    p.setBrush(isEnabled() ? pal.color(QPalette::Highlight) : pal.color(QPalette::Dark));
    p.drawRoundedRect(done, 2, 2);
    if (showTicks_ && max_ > min_ && (max_ - min_) / frequency_ <= 50) {
        p.setPen(pal.color(QPalette::Dark));
        for (int v = min_; v <= max_; v += frequency_) {
            const int x = positionToPixel(v);
            if (horizontal)
                p.drawLine(x, height() - 4, x, height() - 1);
            else
                p.drawLine(width() - 4, x, width() - 1, x);
        }
    }
    const QRect thumb = thumbRect();
    p.setPen(pal.color(QPalette::Dark));
    p.setBrush(thumbHot_ || dragging_ ? pal.color(QPalette::Light) : pal.color(QPalette::Button));
    p.drawRoundedRect(QRectF(thumb).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
}

void TSeSkinTrackBar::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        if (thumbRect().contains(pos)) {
            dragging_ = true;
            update();
        } else {
            const int target = pixelToPosition(std::clamp(along(pos), 0, trackLength()));
            if (target > position_)
                setPosition(position_ + pageSize_);
            else if (target < position_)
                setPosition(position_ - pageSize_);
        }
    }
    if (OnMouseDown)
        OnMouseDown(this, event->button(), event->modifiers(), pos.x(), pos.y());
}

void TSeSkinTrackBar::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (dragging_)
        setPosition(pixelToPosition(std::clamp(along(pos), 0, trackLength())));
    const bool hot = thumbRect().contains(pos);
    if (hot != thumbHot_) {
        thumbHot_ = hot;
        update();
    }
    if (OnMouseMove)
        OnMouseMove(this, event->button(), event->modifiers(), pos.x(), pos.y());
}

void TSeSkinTrackBar::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        update();
    }
    if (OnMouseUp)
        OnMouseUp(this, event->button(), event->modifiers(), pos.x(), pos.y());
}

void TSeSkinTrackBar::leaveEvent(QEvent*) {
    if (thumbHot_) {
        thumbHot_ = false;
        update();
    }
}

void TSeSkinTrackBar::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_PageUp:
        setPosition(position_ - pageSize_);
        break;
    case Qt::Key_PageDown:
        setPosition(position_ + pageSize_);
        break;
    case Qt::Key_Home:
        setPosition(min_);
        break;
    case Qt::Key_End:
        setPosition(max_);
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        setPosition(position_ - lineSize_);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        setPosition(position_ + lineSize_);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace skin
