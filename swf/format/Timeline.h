#pragma once

// A timeline as the file describes it: for each frame the display-list changes that its
// control tags make. The main movie and every sprite have one.

#include "swf/format/Types.h"

#include <QByteArray>
#include <QTransform>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace swf {

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
    bool cacheAsBitmap = false;
};

struct RemoveCommand {
    uint16_t depth = 0;
};

using FrameCommand = std::variant<PlaceCommand, RemoveCommand>;

struct Frame {
    std::vector<FrameCommand> commands;
    QByteArray label;
};

struct Timeline {
    // Complete frames only: a frame joins when its ShowFrame tag has been read.
    std::vector<Frame> frames;
    // Commands read since the last ShowFrame.
    Frame pending;
};

} // namespace swf
