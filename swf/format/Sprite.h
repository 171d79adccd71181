#pragma once

// DefineSprite: a movie clip with its own timeline, placed like any other character.

#include "swf/format/Character.h"
#include "swf/format/Timeline.h"

namespace swf {

class SpriteCharacter final : public Character {
public:
    explicit SpriteCharacter(uint16_t id) : Character(id, Kind::Sprite) {}
    const Timeline& timeline() const { return timeline_; }
    Timeline& timeline() { return timeline_; }

private:
    Timeline timeline_;
};

} // namespace swf
