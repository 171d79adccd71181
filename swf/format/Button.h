#pragma once

// DefineButton and DefineButton2. Until buttons react to the mouse, a button shows its up
// state, which is kept as a one-frame timeline so it is placed and drawn like a sprite.

#include "swf/format/Character.h"
#include "swf/format/Reader.h"
#include "swf/format/Result.h"
#include "swf/format/Timeline.h"

#include <memory>

namespace swf {

class ButtonCharacter final : public Character {
public:
    explicit ButtonCharacter(uint16_t id) : Character(id, Kind::Button) {}
    const Timeline& upState() const { return upState_; }
    Timeline& upState() { return upState_; }

private:
    Timeline upState_;
};

Result<std::shared_ptr<ButtonCharacter>> parseButtonTag(uint16_t code, Reader& r);

} // namespace swf
