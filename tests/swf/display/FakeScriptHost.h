#pragma once

// A stand-in for the script machine that the display tree's tests drive: its "bytecode" is
// text ("trace:hello;stop;goto:3;play"), and everything the tree asks of it is written to a
// log, so a test can check the order Flash runs things in without the real interpreter.

#include "swf/display/MovieClip.h"
#include "swf/display/ScriptHost.h"
#include "swf/display/Stage.h"
#include "swf/format/Button.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <set>

namespace testsupport {

class FakeScriptHost final : public swf::ScriptHost {
public:
    explicit FakeScriptHost(swf::Stage& stage) : stage_(stage) {}

    QStringList log;
    // Which clip events are written to the log (by default the ones with a visible order).
    uint32_t loggedEvents = swf::clipevent::Load | swf::clipevent::EnterFrame |
                            swf::clipevent::Unload | swf::clipevent::Construct;
    // Clips (by name) that have onPress-style handlers.
    std::set<QString> buttonClips;
    std::vector<QString> removed;

    void runInitAction(swf::MovieClip& root, const swf::ActionCode& code) override {
        run(root, code);
    }
    void queueFrameActions(swf::MovieClip& clip,
                           const std::vector<swf::ActionCode>& actions) override {
        for (const auto& code : actions)
            queue_.push_back({clip.weak_from_this(), code});
    }
    void clipEvent(swf::DisplayObject& object, uint32_t event, int keyCode) override {
        if (!(event & loggedEvents))
            return;
        QString name = eventName(event);
        if (keyCode)
            name += QStringLiteral("(%1)").arg(keyCode);
        const QString line = QStringLiteral("%1 %2").arg(nameOf(object), name);
        // Construct and Initialize run at once; the rest waits its turn like frame actions.
        if (event == swf::clipevent::Construct || event == swf::clipevent::Initialize)
            log << line;
        else
            queue_.push_back({object.weak_from_this(), "log:" + line.toUtf8()});
    }
    void buttonEvent(swf::DisplayObject& object, uint16_t condition, int keyCode) override {
        log << QStringLiteral("%1 button %2 %3").arg(nameOf(object)).arg(condition).arg(keyCode);
    }
    void runQueuedActions() override {
        while (!queue_.empty()) {
            auto [weak, code] = queue_.front();
            queue_.pop_front();
            auto object = weak.lock();
            if (!object)
                continue;
            if (swf::MovieClip* clip = object->asMovieClip())
                run(*clip, code);
            else
                log << QString::fromUtf8(code.mid(4));
        }
    }
    void objectRemoved(swf::DisplayObject& object) override { removed.push_back(nameOf(object)); }
    bool actsAsButton(swf::DisplayObject& object) override {
        return buttonClips.count(object.name()) > 0;
    }

    static QString nameOf(const swf::DisplayObject& object) {
        return object.parent() ? object.name() : QStringLiteral("_root");
    }

private:
    static QString eventName(uint32_t event) {
        switch (event) {
        case swf::clipevent::Load:
            return QStringLiteral("load");
        case swf::clipevent::EnterFrame:
            return QStringLiteral("enterFrame");
        case swf::clipevent::Unload:
            return QStringLiteral("unload");
        case swf::clipevent::Construct:
            return QStringLiteral("construct");
        case swf::clipevent::Initialize:
            return QStringLiteral("initialize");
        case swf::clipevent::MouseDown:
            return QStringLiteral("mouseDown");
        case swf::clipevent::MouseUp:
            return QStringLiteral("mouseUp");
        case swf::clipevent::KeyDown:
            return QStringLiteral("keyDown");
        case swf::clipevent::KeyPress:
            return QStringLiteral("keyPress");
        default:
            return QStringLiteral("event%1").arg(event);
        }
    }

    void run(swf::MovieClip& clip, const QByteArray& code) {
        if (code.startsWith("log:")) {
            log << QString::fromUtf8(code.mid(4));
            return;
        }
        for (const QByteArray& statement : code.split(';')) {
            const int colon = statement.indexOf(':');
            const QByteArray op = colon < 0 ? statement : statement.left(colon);
            const QString arg = colon < 0 ? QString() : QString::fromUtf8(statement.mid(colon + 1));
            if (op == "trace")
                log << arg;
            else if (op == "stop")
                clip.stop();
            else if (op == "play")
                clip.play();
            else if (op == "goto")
                clip.gotoFrame(arg.toInt(), false);
            else if (op == "gotoPlay")
                clip.gotoFrame(arg.toInt(), true);
            else if (op == "getUrl")
                stage_.getUrl(arg, QStringLiteral("_blank"));
            else if (op == "remove")
                if (auto* child = stage_.findTarget(arg, &clip))
                    if (auto* c = child->asMovieClip())
                        c->removeByScript();
        }
    }

    struct Queued {
        std::weak_ptr<swf::DisplayObject> object;
        QByteArray code;
    };
    swf::Stage& stage_;
    std::deque<Queued> queue_;
};

} // namespace testsupport
