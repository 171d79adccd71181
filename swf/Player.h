#pragma once

// Plays a movie: its display tree (the stage), the main timeline's frame, playing or
// stopped, and the picture of the current frame. Runs on one thread (the user-interface
// thread in the player); tick() is called by the owner at the movie's frame rate.

#include "swf/render/AutoQuality.h"

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace swf {

class Movie;
class PlayerHost;
class ScriptHost;
class Stage;
namespace media {
class Mixer;
class SoundEngine;
} // namespace media

struct RenderOptions {
    // Drawn at this level instead of the movie's own (see Player::setQualityMode); a still
    // picture for a test or a thumbnail sets it without changing what script reads.
    std::optional<RenderQuality> quality;
    double zoom = 1.0;        // 1 = the whole stage (show-all); 0.5 shows half the width
    QPointF centre{0.5, 0.5}; // the stage point (as a fraction of the stage) at the view centre
    std::optional<QColor> backgroundOverride; // set by the host's BackgroundColor
};

class Player {
public:
    // Makes the script machine for a stage. Left empty, the Player runs ActionScript 1 and 2
    // (a movie is played as its author meant); withoutScripts() makes a Player that plays
    // the timelines and ignores every script.
    using ScriptHostFactory = std::function<std::unique_ptr<ScriptHost>(Stage&)>;
    static ScriptHostFactory withoutScripts();

    // The first frame is shown (and its scripts run) here, as soon as it has arrived: give
    // the host and the movie's location now for what it traces, asks for or loads.
    // mixer is where the sounds play (see setMixer), given here so the first frame's are heard.
    explicit Player(std::shared_ptr<Movie> movie, const ScriptHostFactory& scripts = {},
                    PlayerHost* host = nullptr, const QString& movieUrl = {},
                    media::Mixer* mixer = nullptr);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Where trace output, page requests, loads and messages go; not owned, may be null, must
    // outlive the Player or be reset before it goes.
    void setHost(PlayerHost* host);
    PlayerHost* host() const;
    // Replaces the script machine (tests use their own). Owned by the Player.
    void setScriptHost(std::unique_ptr<ScriptHost> script);
    ScriptHost* scriptHost() const;
    // Where the movie came from (path or URL): loads and pages relative to it resolve there.
    void setMovieUrl(const QString& url);

    // Where the movie's sounds play; not owned, must outlive the Player. Without one (the
    // default) the movie is silent. A mixer pulled by a live device (Mixer::clockLive) lets
    // a playing stream drive the frame rate.
    void setMixer(media::Mixer* mixer);
    // The movie's sounds; null without a mixer.
    media::SoundEngine* soundEngine() const;

    // The display tree; null without a movie.
    Stage* stage() const;

    // The main timeline goes back to its first frame at the end when set (the default, as the
    // control's Loop property starts true) and stays playing; otherwise it stops on the last
    // frame and isPlaying() turns false. A movie that stops itself stops either way.
    void setLoop(bool loop);
    bool loop() const;

    int totalFrames() const;  // declared frame count (at least the frames present)
    int currentFrame() const; // 0-based; 0 before anything was shown
    bool isPlaying() const;
    void play();
    void stop();
    // Any number is accepted; out-of-range numbers are clamped to the frames loaded so far.
    // The frame's actions run.
    void gotoFrame(int frame);
    void rewind() { gotoFrame(0); }
    // One frame: every clip's timeline and scripts in Flash's order. While the main
    // timeline's stream plays to a live device, its clock decides instead: the tick advances
    // as many frames as the sound has moved on (none when the picture is ahead), so a slow
    // picture skips frames rather than drifting from the sound. Returns the frames advanced.
    int tick();

    // The level the movie is drawn at and, under autolow and autohigh, how it follows the
    // machine. Script's _quality reads and changes the same level; a level set by script ends
    // an automatic mode. High until set.
    void setQualityMode(QualityMode mode);
    QualityMode qualityMode() const;
    RenderQuality quality() const;
    // What the last frame cost to advance and draw, in milliseconds; under autolow and
    // autohigh the level follows it against the time the movie's frame rate allows.
    void frameTook(double ms);

    QColor backgroundColor() const;
    // Draws the current frame into target (a widget's rectangle), keeping the stage's aspect
    // and filling the letterbox with the background colour.
    void render(QPainter& painter, const QRectF& target, const RenderOptions& options) const;
    // The mapping render() uses from the movie's twips to target's coordinates; invert it to
    // find where in the movie a point of the widget lies. Identity without a movie.
    QTransform viewTransform(const QRectF& target, const RenderOptions& options) const;

private:
    struct State;
    std::unique_ptr<State> d_;
};

} // namespace swf
