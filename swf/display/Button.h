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

    const Movie* movie() const override { return movie_.get(); }
    const ButtonCharacter& button() const;
    bool trackAsMenu() const;

    State state() const { return state_; }
    // The state's objects by depth, built on first use; what the renderer draws.
    const std::map<int, std::shared_ptr<DisplayObject>>& stateObjects() const;
    // The hit-test state's point test, in local twips (falls back to the up state when a
    // button has no hit-test records, which is what old authoring tools wrote).
    bool hitTestLocal(QPointF localTwips) const;

    // The mouse's story from the stage: over/out and the button's press. Each returns the
    // buttoncond transitions that happened (zero if none), already reported to the host.
    uint16_t mouseEnter(bool buttonDown, bool pressStartedHere);
    uint16_t mouseLeave(bool buttonDown, bool pressStartedHere);
    uint16_t mousePress();
    uint16_t mouseRelease(bool inside);
    // A release outside after the press left the button.
    uint16_t releaseOutside();
    // Key-press conditions: runs the actions for the key (a Flash key code: ASCII, or the
    // special codes 1-19 for arrows, home, end, insert, delete, backspace, enter, escape,
    // page up/down, tab). True if the button has a handler for it.
    bool keyPress(int keyCode);
    // Anything waiting for a hit-test or key condition; buttons without actions still show
    // their states but need no hand cursor.
    bool hasKeyCondition(int keyCode) const;

    QRectF localBounds() const override;
    bool containsLocalPoint(QPointF localTwips) const override;

    // Used by the tree when a button advances: sprite children in the shown state play.
    void advanceChildren(uint64_t tick);

private:
    void setState(State s);
    std::map<int, std::shared_ptr<DisplayObject>> build(uint8_t stateBit) const;
    uint16_t report(uint16_t conditions);

    std::shared_ptr<const Movie> movie_;
    State state_ = State::Up;
    mutable std::map<int, std::shared_ptr<DisplayObject>> shown_;
    mutable bool built_ = false;
    mutable std::map<int, std::shared_ptr<DisplayObject>> hit_;
    mutable bool hitBuilt_ = false;
};

} // namespace swf
