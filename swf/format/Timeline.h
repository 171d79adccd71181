#pragma once

// A timeline as the file describes it: for each frame the display-list changes that its
// control tags make. The main movie and every sprite have one.

#include "swf/format/Filters.h"
#include "swf/format/Sound.h"
#include "swf/format/Types.h"

#include <QByteArray>
#include <QColor>
#include <QRectF>
#include <QTransform>
#include <cstdint>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace swf {

// Clip event bits in the order the file stores them, read as a little-endian number (SWF 5
// movies store only the low 16 bits).
namespace clipevent {
enum : uint32_t {
    Load = 1u << 0,
    EnterFrame = 1u << 1,
    Unload = 1u << 2,
    MouseMove = 1u << 3,
    MouseDown = 1u << 4,
    MouseUp = 1u << 5,
    KeyDown = 1u << 6,
    KeyUp = 1u << 7,
    Data = 1u << 8,
    Initialize = 1u << 9,
    Press = 1u << 10,
    Release = 1u << 11,
    ReleaseOutside = 1u << 12,
    RollOver = 1u << 13,
    RollOut = 1u << 14,
    DragOver = 1u << 15,
    DragOut = 1u << 16,
    KeyPress = 1u << 17,
    Construct = 1u << 18,
};
}

// ActionScript bytecode of one action block. QByteArray shares its data, so frames, clips and
// the interpreter can all hold the same block without copying it.
using ActionCode = QByteArray;

// One handler of a PlaceObject2/3 clip action list.
struct ClipActionRecord {
    uint32_t events = 0; // clipevent bits
    uint8_t keyCode = 0; // the key of a KeyPress handler
    ActionCode code;
};

// DoInitAction: runs once, before the first frame actions of the frame that carries it.
struct InitAction {
    uint16_t spriteId = 0;
    ActionCode code;
};

struct PlaceCommand {
    uint16_t depth = 0;
    bool move = false; // modifies the object at depth instead of placing a new one
    std::optional<uint16_t> characterId;
    std::optional<QTransform> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<uint16_t> ratio;
    std::optional<QByteArray> name;
    std::optional<uint16_t> clipDepth;
    std::optional<BlendMode> blendMode;
    // Shared for the same reason as the clip actions.
    std::shared_ptr<const std::vector<Filter>> filters;
    bool cacheAsBitmap = false;
    std::optional<bool> visible;            // PlaceObject3 of SWF 11 and later
    std::optional<QColor> opaqueBackground; // likewise
    // Shared because a timeline replays the same placement every time it loops.
    std::shared_ptr<const std::vector<ClipActionRecord>> clipActions;
};

struct RemoveCommand {
    uint16_t depth = 0;
};

using FrameCommand = std::variant<PlaceCommand, RemoveCommand>;

struct Frame {
    std::vector<FrameCommand> commands;
    QByteArray label;
    std::vector<ActionCode> actions; // DoAction blocks, in file order
    // For each DoAction block, how many of the frame's commands came before it: a block
    // read before a placement is queued before the placed clip's first frame.
    std::vector<std::size_t> actionPositions;
    std::vector<InitAction> initActions;
    std::vector<StartSoundCommand> sounds; // StartSound/StartSound2, in file order
    QByteArray streamBlock;                // this frame's SoundStreamBlock, if any
};

struct Timeline {
    // Complete frames only: a frame joins when its ShowFrame tag has been read.
    std::vector<Frame> frames;
    // Commands read since the last ShowFrame.
    Frame pending;
    // SoundStreamHead/2: the timeline has a stream whose blocks its frames carry.
    std::shared_ptr<const SoundStreamHead> streamHead;
    // DefineScalingGrid of a sprite, twips of its own space: what lies outside the middle
    // keeps its size when the sprite is scaled.
    std::optional<QRectF> scalingGrid;
};

} // namespace swf
