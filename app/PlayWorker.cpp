#include "app/PlayWorker.h"

#include "app/PlaybackCommands.h"

#include <functional>

namespace app {

my1::my1(PlaybackCommands* commands) : commands_(commands) {
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void my1::run() {
    // Runs one step on the user-interface thread and reports whether it went through. The
    // window may be gone by the time a step arrives; then the sequence simply ends.
    auto step = [this](const std::function<void(PlaybackCommands&)>& action) {
        bool ok = false;
        PlaybackCommands* target = commands_.data();
        if (!target)
            return false;
        QMetaObject::invokeMethod(
            target,
            [&] {
                if (!commands_ || commands_->closing())
                    return;
                try {
                    action(*commands_);
                    ok = true;
                } catch (...) {
                }
            },
            Qt::BlockingQueuedConnection);
        return ok;
    };

    QObject* self = this;
    const bool done = step([](PlaybackCommands& c) { c.LoadStepWriteMovie(); }) &&
                      step([](PlaybackCommands& c) { c.LoadStepShowControl(); }) &&
                      step([self](PlaybackCommands& c) { c.LoadStepStartIfLoaded(self); }) &&
                      step([](PlaybackCommands& c) { c.LoadStepEnableLoadTimer(); }) &&
                      step([](PlaybackCommands& c) { c.LoadStepAddDialogSelection(); }) &&
                      step([](PlaybackCommands& c) { c.LoadStepEnableProgressTimer(); });
    if (!done)
        step([](PlaybackCommands& c) { c.LoadFailed(); });
}

} // namespace app
