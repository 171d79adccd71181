#pragma once

// Everything the dictionary can hold. Characters are immutable once their defining tag has been
// read, so several players (the control and its mirrors) can share one parsed movie.

#include <QRectF>
#include <cstdint>

namespace swf {

class Character {
public:
    enum class Kind {
        Shape,
        MorphShape,
        Bitmap,
        Sprite,
        Button,
        Sound,
        Font,
        Text,
        EditText,
        Video
    };

    Character(uint16_t id, Kind kind) : id_(id), kind_(kind) {}
    virtual ~Character() = default;
    Character(const Character&) = delete;
    Character& operator=(const Character&) = delete;

    uint16_t id() const { return id_; }
    Kind kind() const { return kind_; }

private:
    uint16_t id_;
    Kind kind_;
};

} // namespace swf
