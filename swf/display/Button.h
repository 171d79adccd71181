#pragma once

// A DefineButton/DefineButton2 instance: its up, over and down states are small display lists
// of their own, its hit-test state decides where the mouse counts, and the mouse moves it
// through the states Flash buttons have, reporting each transition to the script host.

#include "swf/display/DisplayObject.h"
#include "swf/format/Button.h"

#include <map>
#include <memory>

namespace swf {

class Button final : public DisplayObject {
public:
    enum class State { Up, Over, Down };

    Button(Stage& stage, std::shared_ptr<const Movie> movie,
           std::shared_ptr<const ButtonCharacter> character);
    ~Button() override;

    // Records of the states: the file's own, or (for buttons read without them) the up
    // state's placements standing for every state.
    std::vector<ButtonRecord> records() const;

    const Movie* movie() const override { return movie_.get(); }
    const ButtonCharacter& button() const;
    bool trackAsMenu() const;

    State state() const { return state_; }
    // The state's objects by depth, built on first use; what the renderer draws.
    const std::map<int, std::shared_ptr<DisplayObject>>& stateObjects() const;
    // The hit-test state's point test, in local twips (falls back to the up state when a
    // button has no hit-test records, which is what old authoring tools wrote).
    bool hitTestLocal(QPointF localTwips) const;

    // Shows the state's objects; the stage's mouse handling decides the state.
    void setState(State s);
    // The actions whose key-press condition is keyCode (a Flash key code: ASCII, or the
    // special codes 1-19 for arrows, home, end, insert, delete, backspace, enter, escape,
    // page up/down and tab).
    bool hasKeyCondition(int keyCode) const;
    // Any actions at all.
    bool hasActions() const { return !button().actions().empty(); }

    QRectF localBounds() const override;
    bool containsLocalPoint(QPointF localTwips) const override;

protected:
    void onRemoved() override;

private:
    std::map<int, std::shared_ptr<DisplayObject>> build(uint8_t stateBit) const;
    void dropShown() const;

    std::shared_ptr<const Movie> movie_;
    State state_ = State::Up;
    mutable std::map<int, std::shared_ptr<DisplayObject>> shown_;
    mutable bool built_ = false;
    mutable std::map<int, std::shared_ptr<DisplayObject>> hit_;
    mutable bool hitBuilt_ = false;
};

} // namespace swf
