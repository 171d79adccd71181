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

// Moving and sizing of a window by its frame; kfdmBorder drags an outline.
struct TSeDragging {
    bool Moveable{true};
    bool Sizeable{true};
    TSeDragMode DragMode{TSeDragMode::kfdmFullDrag};
    bool operator==(const TSeDragging&) const = default;
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

// A drop shadow under the window.
struct TSeShadow {
    bool Enabled{false};
    int Size{4};
    bool operator==(const TSeShadow&) const = default;
};

enum class TSeAnimationDirection { kdNone, kdLeft, kdRight, kdTop, kdBottom };

// How the window appears when it is shown.
struct TSeAnimation {
    TSeAnimationDirection Direction{TSeAnimationDirection::kdNone};
    int Effect{1};
    bool Enabled{false};
    int Resolution{1};
    int TileCount{1};
    int Time{400};
    bool operator==(const TSeAnimation&) const = default;
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
