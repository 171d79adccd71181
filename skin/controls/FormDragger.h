#pragma once

// Moving and sizing a frameless window from its frame. Where the window system can do it
// (QWindow::startSystemMove/startSystemResize) it is handed over; where it cannot (no window
// manager, the offscreen platform) the window follows the mouse here, snapping to the edges
// of the work area when it comes near them.

#include <QPoint>
#include <QRect>
#include <QSize>

#include "skin/controls/FormTypes.h"

class QWidget;

namespace skin {

class FormDragger {
public:
    explicit FormDragger(QWidget* window) : window_(window) {}

    // Starts moving (FrameZone::Caption) or sizing (an edge or corner) at a global mouse
    // position. Returns false for a zone that neither moves nor sizes.
    bool begin(FrameZone zone, QPoint globalPos, bool trySystem = true);
    // True while the window follows the mouse here.
    bool dragging() const { return zone_ != FrameZone::Client; }
    FrameZone zone() const { return zone_; }
    void moveTo(QPoint globalPos);
    void end() { zone_ = FrameZone::Client; }

    TSeGravitation gravitation;

    // The geometry after dragging an edge or corner of `start` by `delta`, within the
    // window's smallest and largest sizes; the opposite edges stay where they are.
    static QRect sized(const QRect& start, FrameZone zone, QPoint delta, QSize minimum,
                       QSize maximum);
    // A rectangle moved so that an edge within `distance` of the same edge of `area` lies on
    // it.
    static QRect snapped(const QRect& r, const QRect& area, int distance);

private:
    QWidget* window_;
    FrameZone zone_{FrameZone::Client};
    QPoint startGlobal_;
    QRect startGeometry_;
};

} // namespace skin
