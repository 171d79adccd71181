#pragma once

// The play worker: a thread that runs the load sequence once for the current movie path and
// ends. Each step touches the window's objects, so each is handed to the user-interface
// thread and the worker waits for it; a failing step ends the sequence with the error box.
// Nobody waits for the worker; it deletes itself when done.

#include <QPointer>
#include <QThread>

namespace app {

class PlaybackCommands;

class my1 : public QThread {
    Q_OBJECT
public:
    explicit my1(PlaybackCommands* commands);

protected:
    void run() override; // Execute

private:
    QPointer<PlaybackCommands> commands_;
};

} // namespace app
