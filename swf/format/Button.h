#pragma once

// DefineButton and DefineButton2: the records of every state with their transforms, and the
// actions with the transitions that run them. The up state is also kept as a one-frame
// timeline, so a button can be placed and drawn like a sprite before anything points at it.

#include "swf/format/Character.h"
#include "swf/format/Reader.h"
#include "swf/format/Result.h"
#include "swf/format/Sound.h"
#include "swf/format/Timeline.h"

#include <memory>

namespace swf {

namespace buttonstate {
enum : uint8_t { Up = 1, Over = 2, Down = 4, HitTest = 8 };
}

// Transition bits of a button condition, as the file stores them read little-endian. The
// key code of a key-press condition sits in bits 9 to 15.
namespace buttoncond {
enum : uint16_t {
    IdleToOverUp = 1u << 0,
    OverUpToIdle = 1u << 1,
    OverUpToOverDown = 1u << 2,
    OverDownToOverUp = 1u << 3,
    OverDownToOutDown = 1u << 4,
    OutDownToOverDown = 1u << 5,
    OutDownToIdle = 1u << 6,
    IdleToOverDown = 1u << 7,
    OverDownToIdle = 1u << 8,
};
inline int keyCode(uint16_t conditions) {
    return conditions >> 9;
}
} // namespace buttoncond

struct ButtonRecord {
    uint8_t states = 0; // buttonstate bits
    PlaceCommand place; // character, depth, matrix, colour transform, blend mode
};

struct ButtonAction {
    uint16_t conditions = 0; // buttoncond bits; DefineButton's single block is OverDownToOverUp
    ActionCode code;
};

class ButtonCharacter final : public Character {
public:
    explicit ButtonCharacter(uint16_t id) : Character(id, Kind::Button) {}
    const Timeline& upState() const { return upState_; }
    Timeline& upState() { return upState_; }

    const std::vector<ButtonRecord>& records() const { return records_; }
    std::vector<ButtonRecord>& records() { return records_; }
    const std::vector<ButtonAction>& actions() const { return actions_; }
    std::vector<ButtonAction>& actions() { return actions_; }
    // Menu buttons take a press that started on another button (drag over acts as press).
    bool trackAsMenu() const { return trackAsMenu_; }
    void setTrackAsMenu(bool on) { trackAsMenu_ = on; }

    // Rebuilds upState() from the records; call after changing records().
    void buildUpState();
    // A copy whose records all use cx, as DefineButtonCxform gives one for the whole button.
    std::shared_ptr<ButtonCharacter> withColorTransform(const ColorTransform& cx) const;
    // DefineButtonSound: what plays on rolling out, rolling over, pressing and releasing.
    using Sounds = std::array<std::optional<StartSoundCommand>, 4>;
    const Sounds& sounds() const { return sounds_; }
    std::shared_ptr<ButtonCharacter> withSounds(Sounds sounds) const {
        auto copy = std::make_shared<ButtonCharacter>(id());
        copy->records_ = records_;
        copy->actions_ = actions_;
        copy->trackAsMenu_ = trackAsMenu_;
        copy->sounds_ = std::move(sounds);
        copy->buildUpState();
        return copy;
    }

private:
    Timeline upState_;
    std::vector<ButtonRecord> records_;
    std::vector<ButtonAction> actions_;
    bool trackAsMenu_ = false;
    Sounds sounds_;
};

class MovieBudget;

// Each record and condition action is charged to budget.
Result<std::shared_ptr<ButtonCharacter>> parseButtonTag(uint16_t code, Reader& r,
                                                        MovieBudget& budget);

} // namespace swf
