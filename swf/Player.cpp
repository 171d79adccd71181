#include "swf/Player.h"

#include "swf/avm1/Avm1Host.h"
#include "swf/display/MovieClip.h"
#include "swf/display/ScriptHost.h"
#include "swf/display/Stage.h"
#include "swf/format/Movie.h"
#include "swf/media/SoundEngine.h"
#include "swf/media/VideoEngine.h"
#include "swf/render/Renderer.h"

#include <algorithm>
#include <cmath>

namespace swf {

struct Player::State {
    std::shared_ptr<Movie> movie;
    // Declared before the stage so that it outlives it: the nodes' script data may refer to
    // the machine while they go.
    std::unique_ptr<ScriptHost> script;
    // Likewise: clips report their sounds to it until they go.
    std::unique_ptr<media::SoundEngine> sound;
    // Likewise: placed video asks it for decoders.
    media::VideoEngine video;
    std::unique_ptr<Stage> stage;
    Renderer renderer;
    AutoQuality quality;
    bool started = false;

    explicit State(std::shared_ptr<Movie> m) : movie(std::move(m)) {
        if (movie) {
            stage = std::make_unique<Stage>(movie);
            Stage* s = stage.get();
            video.setMessageSink([s](const QString& text) { s->statusMessage(text); });
            stage->setVideoHost(&video);
        }
    }
    int loaded() const { return movie ? movie->framesLoaded() : 0; }
    MovieClip* root() const { return stage ? &stage->root() : nullptr; }
    // Shows the first frame (running its scripts) as soon as it has arrived.
    bool start() {
        if (started || !stage || loaded() == 0)
            return started;
        started = true;
        stage->start();
        return true;
    }
    // Script may have set a level of its own since the automatic choice was made; it wins.
    void followScript() {
        if (stage && stage->quality() != quality.quality())
            quality.fix(stage->quality());
    }
    bool atEnd() const {
        return movie && movie->complete() && root() && root()->currentFrame() >= loaded();
    }
};

Player::Player(std::shared_ptr<Movie> movie, const ScriptHostFactory& scripts, PlayerHost* host,
               const QString& movieUrl, media::Mixer* mixer)
    : d_(std::make_unique<State>(std::move(movie))) {
    if (d_->stage) {
        d_->stage->setHost(host);
        d_->stage->setMovieUrl(movieUrl);
    }
    if (d_->stage) {
        if (scripts)
            d_->script = scripts(*d_->stage);
        // ActionScript 3 movies carry their code in DoABC, which this engine does not run;
        // the AVM1 blocks such a file may still hold are ignored by Flash too.
        else if (!d_->movie->actionScript3())
            d_->script = std::make_unique<avm1::Avm1Host>(*d_->stage);
        d_->stage->setScriptHost(d_->script.get());
    }
    setMixer(mixer);
    d_->start();
}

Player::ScriptHostFactory Player::withoutScripts() {
    return [](Stage&) { return std::unique_ptr<ScriptHost>(); };
}

Player::~Player() {
    if (d_->stage) {
        d_->stage->setHost(nullptr);
        d_->stage->setSoundHost(nullptr);
    }
    d_->stage.reset();
    d_->sound.reset();
}

void Player::setMixer(media::Mixer* mixer) {
    if (d_->stage)
        d_->stage->setSoundHost(nullptr);
    d_->sound.reset();
    if (!mixer || !d_->stage)
        return;
    d_->sound = std::make_unique<media::SoundEngine>(*mixer);
    Stage* stage = d_->stage.get();
    d_->sound->setMessageSink([stage](const QString& m) { stage->statusMessage(m); });
    stage->setSoundHost(d_->sound.get());
}

media::SoundEngine* Player::soundEngine() const {
    return d_->sound.get();
}

void Player::setHost(PlayerHost* host) {
    if (d_->stage)
        d_->stage->setHost(host);
}

PlayerHost* Player::host() const {
    return d_->stage ? d_->stage->host() : nullptr;
}

void Player::setScriptHost(std::unique_ptr<ScriptHost> script) {
    if (!d_->stage)
        return;
    d_->stage->setScriptHost(script.get());
    d_->script = std::move(script);
}

ScriptHost* Player::scriptHost() const {
    return d_->script.get();
}

void Player::setMovieUrl(const QString& url) {
    if (d_->stage)
        d_->stage->setMovieUrl(url);
}

Stage* Player::stage() const {
    return d_->stage.get();
}

void Player::setLoop(bool loop) {
    if (d_->stage)
        d_->stage->setMainTimelineLoops(loop);
}

bool Player::loop() const {
    return d_->stage ? d_->stage->mainTimelineLoops() : true;
}

int Player::totalFrames() const {
    if (!d_->movie)
        return 0;
    return std::max(d_->movie->header().frameCount, d_->loaded());
}

int Player::currentFrame() const {
    return d_->root() ? std::max(0, d_->root()->currentFrame() - 1) : 0;
}

bool Player::isPlaying() const {
    return d_->root() && d_->root()->isPlaying();
}

void Player::play() {
    MovieClip* root = d_->root();
    if (!root)
        return;
    // Play at the end of a movie that does not loop starts it again, as the control does.
    if (!loop() && d_->atEnd() && d_->loaded() > 1) {
        root->gotoFrame(1, true);
        d_->stage->runQueuedActions();
        return;
    }
    root->play();
}

void Player::stop() {
    if (MovieClip* root = d_->root())
        root->stop();
    // Paused means silent now, not after the next tick.
    if (d_->sound)
        d_->sound->stopStreams();
}

void Player::gotoFrame(int frame) {
    MovieClip* root = d_->root();
    if (!root || d_->loaded() == 0)
        return;
    if (!d_->start())
        return;
    // The stream starts again at the sample of the frame shown, not where it was.
    if (d_->sound)
        d_->sound->stopStreams();
    root->gotoFrame(std::clamp(frame, 0, d_->loaded() - 1) + 1, root->isPlaying());
    d_->stage->runQueuedActions();
}

int Player::tick() {
    if (!d_->stage)
        return 0;
    if (!d_->started) {
        d_->start();
        return 0;
    }
    int steps = 1;
    if (d_->sound) {
        if (const auto due = d_->sound->framesDue(*d_->root()))
            steps = *due;
    }
    for (int i = 0; i < steps; ++i) {
        d_->stage->advanceFrame();
        if (d_->sound)
            d_->sound->endTick();
    }
    return steps;
}

void Player::setQualityMode(QualityMode mode) {
    d_->quality.setMode(mode);
    if (d_->stage)
        d_->stage->setQuality(d_->quality.quality());
}

QualityMode Player::qualityMode() const {
    d_->followScript();
    return d_->quality.mode();
}

RenderQuality Player::quality() const {
    return d_->stage ? d_->stage->quality() : d_->quality.quality();
}

void Player::frameTook(double ms) {
    d_->followScript();
    double rate = d_->movie ? d_->movie->header().frameRate : 0;
    // A rate of 0 asks for frames as fast as they come; the control caps it at 120.
    if (!(rate > 0) || !std::isfinite(rate))
        rate = 120;
    if (d_->quality.frameDone(ms, 1000.0 / std::min(rate, 120.0)) && d_->stage)
        d_->stage->setQuality(d_->quality.quality());
}

QColor Player::backgroundColor() const {
    if (d_->movie && d_->movie->backgroundColor())
        return *d_->movie->backgroundColor();
    return Qt::white;
}

QTransform Player::viewTransform(const QRectF& target, const RenderOptions& options) const {
    if (!d_->movie)
        return {};
    const QRectF stage = d_->movie->header().stage;
    if (!(stage.width() > 0 && stage.height() > 0 && target.width() > 0 && target.height() > 0))
        return {};
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
    return QTransform::fromScale(0.05, 0.05) * view;
}

void Player::render(QPainter& painter, const QRectF& target, const RenderOptions& options) const {
    const QColor background = options.backgroundOverride.value_or(backgroundColor());
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.fillRect(target, background);
    if (d_->stage) {
        const QRectF stage = d_->movie->header().stage;
        if (stage.width() > 0 && stage.height() > 0 && target.width() > 0 && target.height() > 0)
            d_->renderer.render(painter, *d_->stage, viewTransform(target, options),
                                options.quality.value_or(d_->stage->quality()));
    }
    painter.restore();
}

} // namespace swf
