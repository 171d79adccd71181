#include "skin/controls/FormDragger.h"

#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace skin {

namespace {

Qt::Edges edgesOf(FrameZone z) {
    switch (z) {
    case FrameZone::Left:
        return Qt::LeftEdge;
    case FrameZone::Right:
        return Qt::RightEdge;
    case FrameZone::Top:
        return Qt::TopEdge;
    case FrameZone::Bottom:
        return Qt::BottomEdge;
    case FrameZone::TopLeft:
        return Qt::TopEdge | Qt::LeftEdge;
    case FrameZone::TopRight:
        return Qt::TopEdge | Qt::RightEdge;
    case FrameZone::BottomLeft:
        return Qt::BottomEdge | Qt::LeftEdge;
    case FrameZone::BottomRight:
        return Qt::BottomEdge | Qt::RightEdge;
    default:
        return {};
    }
}

} // namespace

bool FormDragger::begin(FrameZone zone, QPoint globalPos, bool trySystem) {
    end();
    if (zone != FrameZone::Caption && !isSizingZone(zone))
        return false;
    if (trySystem) {
        if (QWindow* handle = window_->windowHandle()) {
            const bool taken = zone == FrameZone::Caption
                                   ? handle->startSystemMove()
                                   : handle->startSystemResize(edgesOf(zone));
            if (taken)
                return true;
        }
    }
    zone_ = zone;
    startGlobal_ = globalPos;
    startGeometry_ = window_->geometry();
    return true;
}

void FormDragger::moveTo(QPoint globalPos) {
    if (!dragging())
        return;
    const QPoint delta = globalPos - startGlobal_;
    if (zone_ == FrameZone::Caption) {
        QRect moved = startGeometry_.translated(delta);
        const QScreen* screen = window_->screen();
        if (gravitation.Enabled && screen)
            moved = snapped(moved, screen->availableGeometry(), gravitation.Size);
        window_->move(moved.topLeft());
        return;
    }
    window_->setGeometry(
        sized(startGeometry_, zone_, delta, window_->minimumSize(), window_->maximumSize()));
}

QRect FormDragger::sized(const QRect& start, FrameZone zone, QPoint delta, QSize minimum,
                         QSize maximum) {
    const Qt::Edges edges = edgesOf(zone);
    int l = start.left(), t = start.top();
    int r = start.left() + start.width(), b = start.top() + start.height();
    const int minW = std::max(1, minimum.width()), minH = std::max(1, minimum.height());
    const int maxW = std::max(minW, maximum.width()), maxH = std::max(minH, maximum.height());
    if (edges & Qt::LeftEdge)
        l = std::clamp(l + delta.x(), r - maxW, r - minW);
    if (edges & Qt::RightEdge)
        r = std::clamp(r + delta.x(), l + minW, l + maxW);
    if (edges & Qt::TopEdge)
        t = std::clamp(t + delta.y(), b - maxH, b - minH);
    if (edges & Qt::BottomEdge)
        b = std::clamp(b + delta.y(), t + minH, t + maxH);
    return QRect(l, t, r - l, b - t);
}

QRect FormDragger::snapped(const QRect& r, const QRect& area, int distance) {
    if (distance <= 0)
        return r;
    QRect out = r;
    const int areaRight = area.left() + area.width();
    const int areaBottom = area.top() + area.height();
    if (std::abs(r.left() - area.left()) < distance)
        out.moveLeft(area.left());
    else if (std::abs(r.left() + r.width() - areaRight) < distance)
        out.moveLeft(areaRight - r.width());
    if (std::abs(r.top() - area.top()) < distance)
        out.moveTop(area.top());
    else if (std::abs(r.top() + r.height() - areaBottom) < distance)
        out.moveTop(areaBottom - r.height());
    return out;
}

} // namespace skin
