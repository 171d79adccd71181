#pragma once

// The published value types of the window frame: border style, window state, painting buffer
// and the small settings records the frame keeps for its look and behaviour.

#include <QMargins>
#include <QString>
#include <functional>

class QObject;

namespace skin {

enum class TSeBorderStyle { kbsNone, kbsStandard, kbsToolWindow };

enum class TSeWindowState { kwsNormal, kwsMaximized, kwsMinimized, kwsRollup, kwsTray };

// How the frame paints: straight into the window, through the engine's shared bitmap, through
// a bitmap the frame keeps between paints, or through a bitmap made for each paint.
enum class TSeFormPerformance {
    ksfpNoBuffer,
    ksfpSharedBuffer,
    ksfpPersistentBuffer,
    ksfpDoubleBuffer
};

enum class TSeDragMode { kfdmFullDrag, kfdmBorder };

struct TSeDragging {
    bool Moveable{true};
    bool Sizeable{true};
    TSeDragMode DragMode{TSeDragMode::kfdmFullDrag};
};

// Translucency of the whole window, 0 transparent .. 255 opaque.
struct TSeFormBlending {
    bool Enabled{false};
    int Value{150};
};

struct TSeGravitation {
    bool Enabled{true};
    int Size{20};
};

struct TSeShadow {
    bool Enabled{false};
    int Size{4};
};

struct TSeAnimation {
    bool Enabled{false};
};

struct TSePopupMenuOptions {
    bool Blending{false};
    bool Shadow{false};
    bool Animation{false};
};

// Which part of the window a point is in, as moving, sizing and the mouse see it.
enum class FrameZone {
    Client,
    Caption,
    Left,
    Top,
    Right,
    Bottom,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight,
    Button
};

// Whether a zone is an edge or corner that sizes the window.
constexpr bool isSizingZone(FrameZone z) {
    return z != FrameZone::Client && z != FrameZone::Caption && z != FrameZone::Button;
}

using FormNotifyEvent = std::function<void(QObject* sender)>;
// Called before an action of the frame; setting allow to false vetoes it.
using TSeFormActionEvent = std::function<void(QObject* sender, bool& allow)>;

} // namespace skin
