#include "swf/Player.h"

#include "swf/display/DisplayList.h"
#include "swf/format/Movie.h"
#include "swf/render/Renderer.h"

#include <algorithm>

namespace swf {

struct Player::State {
    std::shared_ptr<Movie> movie;
    std::unique_ptr<TimelineInstance> root;
    Renderer renderer;
    bool playing = true;
    bool loop = false;
    PlayerHost* host = nullptr;
    uint64_t tick = 1;

    explicit State(std::shared_ptr<Movie> m) : movie(std::move(m)) {
        if (movie)
            root = std::make_unique<TimelineInstance>(*movie, movie->timeline(), 0);
    }
    int loaded() const { return movie ? movie->framesLoaded() : 0; }
    // Shows the first frame as soon as it has arrived.
    void showFirstFrame() {
        if (root && root->currentFrame() < 0 && loaded() > 0)
            root->gotoFrame(0, tick);
    }
    bool atEnd() const {
        return movie && movie->complete() && root->currentFrame() >= loaded() - 1;
    }
};

Player::Player(std::shared_ptr<Movie> movie) : d_(std::make_unique<State>(std::move(movie))) {
    d_->showFirstFrame();
}

Player::~Player() = default;

void Player::setHost(PlayerHost* host) {
    d_->host = host;
}

PlayerHost* Player::host() const {
    return d_->host;
}

void Player::setLoop(bool loop) {
    d_->loop = loop;
}

int Player::totalFrames() const {
    if (!d_->movie)
        return 0;
    return std::max(d_->movie->header().frameCount, d_->loaded());
}

int Player::currentFrame() const {
    return d_->root ? std::max(0, d_->root->currentFrame()) : 0;
}

bool Player::isPlaying() const {
    return d_->playing;
}

void Player::play() {
    // Play at the end of a movie that does not loop starts it again, as the control does.
    if (d_->root && !d_->loop && d_->atEnd() && d_->loaded() > 1)
        d_->root->gotoFrame(0, ++d_->tick);
    d_->playing = true;
}

void Player::stop() {
    d_->playing = false;
}

void Player::gotoFrame(int frame) {
    if (!d_->root || d_->loaded() == 0)
        return;
    d_->root->gotoFrame(std::clamp(frame, 0, d_->loaded() - 1), ++d_->tick);
}

void Player::tick() {
    if (!d_->root)
        return;
    const uint64_t now = ++d_->tick;
    if (d_->root->currentFrame() < 0) {
        d_->showFirstFrame();
        return;
    }
    if (d_->playing) {
        const int next = d_->root->currentFrame() + 1;
        if (next < d_->loaded()) {
            d_->root->gotoFrame(next, now);
        } else if (d_->movie->complete()) {
            if (d_->loop && d_->loaded() > 1)
                d_->root->gotoFrame(0, now);
            else if (!d_->loop)
                d_->playing = false;
        }
        // Otherwise the next frame has not arrived yet: wait for it.
    }
    d_->root->advanceChildren(now);
}

QColor Player::backgroundColor() const {
    if (d_->movie && d_->movie->backgroundColor())
        return *d_->movie->backgroundColor();
    return Qt::white;
}

void Player::render(QPainter& painter, const QRectF& target, const RenderOptions& options) const {
    const QColor background = options.backgroundOverride.value_or(backgroundColor());
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.fillRect(target, background);
    if (d_->movie && d_->root) {
        const QRectF stage = d_->movie->header().stage;
        if (stage.width() > 0 && stage.height() > 0 && target.width() > 0 && target.height() > 0) {
            const double zoom = options.zoom > 0 ? options.zoom : 1.0;
            const double scale =
                std::min(target.width() / stage.width(), target.height() / stage.height()) / zoom;
            const QPointF focus(stage.x() + options.centre.x() * stage.width(),
                                stage.y() + options.centre.y() * stage.height());
            // Twips to pixels of the stage, then the stage to the target.
            QTransform view;
            view.translate(target.center().x(), target.center().y());
            view.scale(scale, scale);
            view.translate(-focus.x(), -focus.y());
            const QTransform twipsToDevice = QTransform::fromScale(0.05, 0.05) * view;
            d_->renderer.render(painter, *d_->movie, *d_->root, twipsToDevice, options.antialias);
        }
    }
    painter.restore();
}

} // namespace swf
