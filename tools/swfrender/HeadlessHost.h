#pragma once

// What a movie run without a window talks to: trace lines go to a stream (standard output in
// swfrender), everything the person watching would otherwise see goes to the diagnostics
// stream, and loads read local files, relative ones beside the movie.

#include "swf/Player.h"
#include "swf/PlayerHost.h"

#include <QDir>
#include <QString>
#include <cstdio>

// The ActionScript machine that movies run with outside the control.
swf::Player::ScriptHostFactory actionScriptMachine();

class HeadlessHost : public swf::PlayerHost {
public:
    HeadlessHost(const QString& moviePath, std::FILE* traceOut, std::FILE* diagnostics);

    void trace(const QString& line) override;
    void openUrl(const QString& url, const QString& target) override;
    void fsCommand(const QString& command, const QString& args) override;
    void statusMessage(const QString& text) override;
    void load(const QString& url, qint64 maxBytes, LoadDone done) override;

    // Where a url the movie asks for is read from: a relative path beside the movie, an
    // absolute path or file: URL as it stands; empty for anything else (http and the like,
    // which a headless run does not fetch).
    QString localPath(const QString& url) const;

    int traceLines() const { return traceLines_; }
    // The movie asked to quit (fscommand "quit"), as a projector would: no more frames run.
    bool quitRequested() const { return quit_; }

private:
    QDir movieDir_;
    std::FILE* traceOut_;
    std::FILE* diagnostics_;
    int traceLines_ = 0;
    bool quit_ = false;
};
