#pragma once

// The display tree's only view of the script machine. The tree decides when things happen
// (the order of a frame: placements, constructors, init actions, frame actions, events); the
// host runs the code. A movie without a host plays its timelines and ignores every script.
// Called on the thread that drives the Player.

#include "swf/format/Timeline.h"

#include <QString>
#include <cstdint>

namespace swf {

class TextField;

class DisplayObject;
class MovieClip;

class ScriptHost {
public:
    virtual ~ScriptHost() = default;

    // DoInitAction of a sprite, run at once: before any frame action of the frame that
    // carries it, and only the first time that frame is reached.
    virtual void runInitAction(MovieClip& root, const ActionCode& code) = 0;
    // The DoAction blocks of the frame clip just entered. Queued, in the order clips reach
    // their frames; runQueuedActions runs them.
    virtual void queueFrameActions(MovieClip& clip, const std::vector<ActionCode>& actions) = 0;
    // A clip event (one clipevent bit) for object: its onClipEvent handlers from the
    // placement and the matching method (onLoad, onEnterFrame, onMouseDown ...). Queued like
    // frame actions, except Construct and Initialize, which run at once. A new clip hears
    // Construct, Initialize and Load in that order as it joins the tree, before its first
    // frame's actions are queued; every frame, clips hear EnterFrame newest first, each just
    // before it steps its timeline; Unload comes when a clip leaves, parents before children.
    // Objects shown in a button's states have no parent.
    virtual void clipEvent(DisplayObject& object, uint32_t event, int keyCode = 0) = 0;
    // A button (or a clip acting as one) changed state: condition is a buttoncond bit, or
    // zero with keyCode set for a key press. Runs the matching actions and handlers.
    virtual void buttonEvent(DisplayObject& object, uint16_t condition, int keyCode = 0) = 0;
    // Runs everything queued, including what the running code queues, until nothing is left.
    virtual void runQueuedActions() = 0;
    // object leaves the tree for good: script references to it become dangling paths.
    virtual void objectRemoved(DisplayObject& object) = 0;

    // The clip has onPress, onRelease, onReleaseOutside, onRollOver, onRollOut, onDragOver or
    // onDragOut handlers, so the mouse treats it as a button (hand cursor, button events).
    virtual bool actsAsButton(DisplayObject& object) {
        (void)object;
        return false;
    }
    // Mouse and Key listeners and Stage.onResize: the stage-wide side of input, after the
    // clip events of the same input were queued.
    enum class StageEvent { MouseDown, MouseUp, MouseMove, KeyDown, KeyUp, Resize };
    virtual void stageEvent(StageEvent event, int keyCode = 0) {
        (void)event;
        (void)keyCode;
    }
    // A text field joined the tree; one that shows a variable is kept in step with it.
    virtual void textFieldJoined(TextField& field) { (void)field; }
    // An "asfunction:function,argument" link of the field was clicked: the function, found
    // from the field's parent, is called with the argument.
    virtual void textLinkFunction(TextField& field, const QString& function,
                                  const QString& argument) {
        (void)field;
        (void)function;
        (void)argument;
    }
    // Selection.onSetFocus listeners; either may be null.
    virtual void focusChanged(DisplayObject* oldFocus, DisplayObject* newFocus) {
        (void)oldFocus;
        (void)newFocus;
    }
};

} // namespace swf
