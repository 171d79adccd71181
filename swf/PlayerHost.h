#pragma once

// What a running movie asks of whoever shows it: the control in the player, swfrender on the
// command line, a test. Every call comes on the thread that drives the Player. The defaults do
// nothing, so a host overrides only what it cares about.

#include <QByteArray>
#include <QString>
#include <functional>

namespace swf {

class PlayerHost {
public:
    virtual ~PlayerHost() = default;

    // One line of the movie's trace output.
    virtual void trace(const QString& line) { (void)line; }
    // getURL of a page (http, https, mailto): the host opens it in the desktop's browser. Other
    // schemes never reach the host.
    virtual void openUrl(const QString& url, const QString& target) {
        (void)url;
        (void)target;
    }
    // fscommand quit, fullscreen, allowscale, showmenu, trapallkeys; the host may ignore them.
    virtual void fsCommand(const QString& command, const QString& args) {
        (void)command;
        (void)args;
    }
    // Something the person watching should know, such as a script stopped for running too
    // long. The control shows it in its host's status text.
    virtual void statusMessage(const QString& text) { (void)text; }

    // Reads what loadMovie, loadVariables, LoadVars and XML.load ask for. url is already
    // resolved against the movie's own location (a local path or a URL). done is called
    // exactly once, at once or later, with ok false on failure or when more than maxBytes
    // would arrive; the Player applies what arrived on its next frame either way. The
    // default reads local files and file: URLs only.
    using LoadDone = std::function<void(bool ok, QByteArray bytes)>;
    virtual void load(const QString& url, qint64 maxBytes, LoadDone done);
};

} // namespace swf
