#pragma once

// Plays a movie's main timeline: the current frame, playing or stopped, and the picture of the
// current frame. Runs on one thread (the user-interface thread in the player); tick() is
// called by the owner at the movie's frame rate.

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <memory>
#include <optional>

namespace swf {

class Movie;
class PlayerHost;

struct RenderOptions {
    bool antialias = true;    // quality high/best on, low off
    double zoom = 1.0;        // 1 = the whole stage (show-all); 0.5 shows half the width
    QPointF centre{0.5, 0.5}; // the stage point (as a fraction of the stage) at the view centre
    std::optional<QColor> backgroundOverride; // set by the host's BackgroundColor
};

class Player {
public:
    explicit Player(std::shared_ptr<Movie> movie);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Where trace output, page requests, loads and messages go; not owned, may be null, must
    // outlive the Player or be reset before it goes.
    void setHost(PlayerHost* host);
    PlayerHost* host() const;

    // The main timeline loops at its end when set (the standalone player's way); otherwise it
    // stops on the last frame and isPlaying() turns false.
    void setLoop(bool loop);

    int totalFrames() const;  // declared frame count (at least the frames present)
    int currentFrame() const; // 0-based; 0 before anything was shown
    bool isPlaying() const;
    void play();
    void stop();
    // Any number is accepted; out-of-range numbers are clamped to the frames loaded so far.
    void gotoFrame(int frame);
    void rewind() { gotoFrame(0); }
    // Advances one frame when playing (and sprites one frame each, playing or not, as Flash).
    void tick();

    QColor backgroundColor() const;
    // Draws the current frame into target (a widget's rectangle), keeping the stage's aspect
    // and filling the letterbox with the background colour.
    void render(QPainter& painter, const QRectF& target, const RenderOptions& options) const;

private:
    struct State;
    std::unique_ptr<State> d_;
};

} // namespace swf
