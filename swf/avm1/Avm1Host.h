#pragma once

// Runs the ActionScript 1/2 of a movie for its display tree: the tree says when (frame
// actions, init actions, clip and button events, input), this runs the code in the order
// Flash does, with one machine for the whole movie.

#include "swf/PlayerHost.h"
#include "swf/avm1/ClipBridge.h"
#include "swf/avm1/TextVariables.h"
#include "swf/avm1/Vm.h"
#include "swf/display/ScriptHost.h"

#include <deque>
#include <memory>

namespace swf {
class Stage;
}

namespace swf::avm1 {

class Avm1Host final : public ScriptHost, public DisplayBridge {
public:
    explicit Avm1Host(Stage& stage);
    ~Avm1Host() override;

    Vm& vm() { return *vm_; }
    Stage& stage() { return stage_; }

    void runInitAction(MovieClip& root, const ActionCode& code) override;
    void queueFrameActions(MovieClip& clip, const std::vector<ActionCode>& actions) override;
    void clipEvent(DisplayObject& object, uint32_t event, int keyCode = 0) override;
    void buttonEvent(DisplayObject& object, uint16_t condition, int keyCode = 0) override;
    void runQueuedActions() override;
    void objectRemoved(DisplayObject& object) override;
    bool actsAsButton(DisplayObject& object) override;
    void stageEvent(StageEvent event, int keyCode = 0) override;
    void textFieldJoined(TextField& field) override;
    void textLinkFunction(TextField& field, const QString& function,
                          const QString& argument) override;

    ClipBridge* level(int n) override;
    void loadLevel(int n, const QString& url, ClipBridge::LoadDone done) override;
    ClipBridge* focus() override;
    bool setFocus(ClipBridge* object) override;
    void focusChanged(DisplayObject* oldFocus, DisplayObject* newFocus) override;
    bool isKeyDown(int keyCode) const override;
    int lastKeyCode() const override;
    int lastAscii() const override;
    void setMouseHidden(bool hidden) override;
    QRectF stageRect() const override;
    void fsCommand(const QString& command, const QString& args) override;

    // The script object of a node (made on first use).
    Object* objectOf(DisplayObject& object);
    // The bridge forgot its node (the node is going away).
    void bridgeGone(ClipBridge* bridge);
    // Sets variables from "a=1&b=2" text on a clip (loadVariables) and tells it onData.
    void applyVariables(DisplayObject& target, const QByteArray& text);

private:
    // Trace and status lines, and the files script loads, go out through the stage, whatever
    // host it has by then.
    class Forward : public PlayerHost {
    public:
        explicit Forward(Stage& stage) : stage_(stage) {}
        void trace(const QString& line) override;
        void statusMessage(const QString& text) override;
        void load(const QString& url, qint64 maxBytes, LoadDone done) override;
        std::unique_ptr<PieceLoad> loadInPieces(const QString& url, qint64 maxBytes,
                                                PieceCallbacks callbacks) override;

    private:
        Stage& stage_;
    };
    struct Pending {
        std::weak_ptr<DisplayObject> object;
        std::vector<ActionCode> code; // run with the object's clip as target
        QString method;               // then this method of the object, if any
        uint32_t event = 0;           // a clip event whose handlers run (Unload runs on
                                      // removed clips too)
        int keyCode = 0;
        Object* target = nullptr; // target clip object when code runs elsewhere (buttons)
    };
    void runPending(Pending& p);
    void runCode(Object* target, const ActionCode& code, int version);
    void construct(DisplayObject& object);

    Stage& stage_;
    Forward forward_;
    std::unique_ptr<Vm> vm_;
    std::deque<Pending> queue_;
    bool running_ = false;
    TextVariables textVariables_{*this};
};

} // namespace swf::avm1
