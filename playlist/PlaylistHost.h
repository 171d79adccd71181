#pragma once

// What the playlist commands need from the main window.

#include <QCoreApplication>
#include <QString>
#include <QThread>

namespace playlist {

class PlaylistHost {
public:
    virtual ~PlaylistHost() = default;

    // Makes `location` the current movie path and starts a play worker for it at the given
    // priority. May throw; each command decides what becomes of the error.
    virtual void playMovie(const QString& location, QThread::Priority priority) = 0;

    // Lets the window handle what is waiting in its queue before a command goes on.
    virtual void processPendingEvents() { QCoreApplication::processEvents(); }

    // Switches the playlist timer (single-file and random loop) off and on around playing
    // an entry, so it cannot start another entry meanwhile.
    virtual void setPlaylistTimerEnabled(bool enabled) = 0;

    // The window's own resize handling, run after an entry started playing.
    virtual void relayout() = 0;

    // "网络下载．．．" of the playlist menu.
    virtual void downloadMovie() = 0;

    // The window's default error box, for errors a command does not handle itself.
    virtual void showError(const QString& message) = 0;

    // A note for the status bar: something the user should know but need not answer, such
    // as a list file that could not be read completely.
    virtual void showStatus(const QString& message) { (void)message; }
};

} // namespace playlist
