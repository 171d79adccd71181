#pragma once

// What a running movie asks of whoever shows it: the control in the player, swfrender on the
// command line, a test. Every call comes on the thread that drives the Player. The defaults do
// nothing, so a host overrides only what it cares about.

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

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

    // A load whose bytes are wanted as they arrive (a video played while it downloads).
    // Dropping the handle cancels it: no callback comes after that. It is never dropped from
    // inside one of its own callbacks.
    class PieceLoad {
    public:
        virtual ~PieceLoad() = default;
    };
    struct PieceCallbacks {
        // The size the server announced, once, when it is known.
        std::function<void(qint64 total)> size;
        // The next bytes, in order, at most about a megabyte at a time.
        std::function<void(const QByteArray& piece)> piece;
        // The end: ok false when the load failed (some pieces may have come before).
        std::function<void(bool ok)> done;
    };
    static constexpr qint64 kPieceBytes = 1 << 20;
    // url as for load(). The callbacks may come before this returns. The default hands over
    // what load() brings, in pieces; null when nothing is left to cancel.
    virtual std::unique_ptr<PieceLoad> loadInPieces(const QString& url, qint64 maxBytes,
                                                    PieceCallbacks callbacks);

protected:
    // Reads a local file or file: URL piece by piece, all before returning; false (and no
    // callback) when url names no local file.
    static bool readLocalInPieces(const QString& url, qint64 maxBytes,
                                  const PieceCallbacks& callbacks);
};

} // namespace swf
