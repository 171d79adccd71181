#include "swf/media/SoundEngine.h"

#include "swf/display/MovieClip.h"
#include "swf/format/Movie.h"
#include "swf/format/Sprite.h"

#include <algorithm>
#include <cmath>

namespace swf::media {

namespace {

Gains multiply(const Gains& a, const Gains& b) {
    // a applies first (the owner's), then b (the whole movie's).
    Gains g;
    g.ll = a.ll * b.ll + a.lr * b.rl;
    g.lr = a.ll * b.lr + a.lr * b.rr;
    g.rl = a.rl * b.ll + a.rr * b.rl;
    g.rr = a.rl * b.lr + a.rr * b.rr;
    return g;
}

uint64_t from44(uint32_t samples44, int rate) {
    return static_cast<uint64_t>(samples44) * static_cast<uint64_t>(rate) / 44100u;
}

} // namespace

SoundEngine::SoundEngine(Mixer& mixer, uint64_t maxDecodedBytes)
    : mixer_(mixer), store_(maxDecodedBytes) {}

SoundEngine::~SoundEngine() {
    for (const Voice& v : voices_)
        mixer_.stop(v.id);
    for (const auto& [clip, s] : streams_)
        mixer_.stop(s.id);
}

void SoundEngine::report(const QString& message) {
    if (sink_)
        sink_(message);
}

const SoundCharacter* SoundEngine::lookUp(const Movie& movie, uint16_t id,
                                          const QByteArray& className) {
    if (!className.isEmpty()) {
        const auto exported = movie.exportedId(className);
        if (!exported)
            return nullptr;
        id = *exported;
    }
    const Character* c = movie.character(id);
    if (!c || c->kind() != Character::Kind::Sound)
        return nullptr;
    return static_cast<const SoundCharacter*>(c);
}

Result<std::shared_ptr<const DecodedSound>> SoundEngine::decoded(const SoundCharacter& c) {
    auto sound = store_.sound(c);
    if (!sound && !reported_[&c]) {
        reported_[&c] = true;
        report(QStringLiteral("Sound %1 stays silent: %2").arg(c.id()).arg(sound.error().message));
    }
    return sound;
}

Mixer::VoiceId SoundEngine::playDecoded(std::shared_ptr<const DecodedSound> sound,
                                        uint64_t startFrame) {
    if (!sound)
        return {};
    VoiceParams p;
    p.sound = std::move(sound);
    p.startFrame = startFrame;
    p.gains = gainsFor(nullptr);
    return mixer_.start(std::move(p));
}

Gains SoundEngine::gainsFor(const void* owner) const {
    const auto all = ownerGains_.find(nullptr);
    const Gains global = all == ownerGains_.end() ? Gains{} : all->second;
    if (!owner)
        return global;
    const auto own = ownerGains_.find(owner);
    return own == ownerGains_.end() ? global : multiply(own->second, global);
}

void SoundEngine::forget() {
    for (Voice& v : voices_)
        v.completed = v.completed || mixer_.completed(v.id);
    mixer_.collect();
    // What script started and finished by itself is kept until script has heard of it (its
    // onSoundComplete), within reason.
    std::size_t kept = 0;
    for (auto it = voices_.rbegin(); it != voices_.rend(); ++it)
        if (it->script && it->completed && ++kept > kMaxCompletedKept)
            it->script = false;
    voices_.erase(std::remove_if(voices_.begin(), voices_.end(),
                                 [&](const Voice& v) {
                                     if (mixer_.playing(v.id))
                                         return false;
                                     return !(v.script && v.completed);
                                 }),
                  voices_.end());
}

uint64_t SoundEngine::play(const SoundCharacter& c, const SoundInfo& info, double offsetSeconds,
                           const void* owner) {
    forget();
    if (info.stop) {
        for (const Voice& v : voices_)
            if (v.sound == &c)
                mixer_.stop(v.id);
        return 0;
    }
    if (info.noMultiple) {
        for (const Voice& v : voices_)
            if (v.sound == &c && mixer_.playing(v.id))
                return 0;
    }
    auto sound = decoded(c);
    if (!sound)
        return 0;
    const DecodedSound& d = *sound.value();
    VoiceParams p;
    p.inFrame = info.inPoint ? from44(*info.inPoint, d.rate) : 0;
    p.outFrame = info.outPoint ? from44(*info.outPoint, d.rate) : UINT64_MAX;
    const double offset = std::isfinite(offsetSeconds) && offsetSeconds > 0 ? offsetSeconds : 0;
    p.startFrame = p.inFrame + static_cast<uint64_t>(std::min(offset * d.rate, 1e15));
    p.loops = info.loops;
    p.envelope = info.envelope;
    p.gains = gainsFor(owner);
    p.sound = std::move(sound.value());
    const Mixer::VoiceId id = mixer_.start(std::move(p));
    if (!id.valid())
        return 0;
    Voice v;
    v.id = id;
    v.sound = &c;
    v.owner = owner;
    v.rate = d.rate;
    v.token = nextToken_++;
    voices_.push_back(v);
    return v.token;
}

void SoundEngine::startSound(MovieClip& clip, const StartSoundCommand& command) {
    const Movie* movie = clip.movie();
    if (!movie)
        return;
    const SoundCharacter* c = lookUp(*movie, command.soundId, command.className);
    if (!c)
        return;
    play(*c, command.info, 0, static_cast<const DisplayObject*>(&clip));
}

void SoundEngine::streamFrame(MovieClip& clip, int frame) {
    Stream& s = streams_[&clip];
    s.reported = true;
    if (mixer_.playing(s.id) && (frame == s.lastFrame || frame == s.lastFrame + 1)) {
        s.lastFrame = frame;
        return;
    }
    const Timeline* timeline = nullptr;
    if (const Movie* movie = clip.movie()) {
        if (clip.isLevelRoot()) {
            timeline = &movie->timeline();
        } else if (clip.character() && clip.character()->kind() == Character::Kind::Sprite) {
            timeline = &static_cast<const SpriteCharacter*>(clip.character())->timeline();
        }
    }
    mixer_.stop(s.id);
    s.id = {};
    s.lastFrame = frame;
    if (!timeline || !timeline->streamHead)
        return;
    auto decoded = store_.stream(*timeline);
    if (!decoded) {
        if (!reported_[timeline]) {
            reported_[timeline] = true;
            report(
                QStringLiteral("The stream sound stays silent: %1").arg(decoded.error().message));
        }
        return;
    }
    s.decoded = decoded.value();
    const DecodedStream& d = *s.decoded;
    // A stream starts where a frame brings data; a jump into the quiet part before its first
    // block waits for that block.
    if (frame < 0 || static_cast<std::size_t>(frame) >= d.hasBlock.size() ||
        !d.hasBlock[static_cast<std::size_t>(frame)])
        return;
    VoiceParams p;
    p.sound = d.sound;
    p.startFrame = d.frameStart[static_cast<std::size_t>(frame)];
    p.gains = gainsFor(static_cast<const DisplayObject*>(&clip));
    s.id = mixer_.start(std::move(p));
    s.startFrame = frame;
}

void SoundEngine::endTick() {
    for (auto it = streams_.begin(); it != streams_.end();) {
        if (!it->second.reported) {
            mixer_.stop(it->second.id);
            it = streams_.erase(it);
            continue;
        }
        it->second.reported = false;
        ++it;
    }
    forget();
}

void SoundEngine::clipRemoved(const MovieClip& clip) {
    const auto it = streams_.find(&clip);
    if (it == streams_.end())
        return;
    mixer_.stop(it->second.id);
    streams_.erase(it);
}

void SoundEngine::stopStreams() {
    for (auto& [clip, s] : streams_)
        mixer_.stop(s.id);
    streams_.clear();
}

void SoundEngine::stopAllSounds() {
    for (const Voice& v : voices_)
        mixer_.stop(v.id);
    // Streams go quiet too; they start again from the next frame a timeline enters.
    for (auto& [clip, s] : streams_) {
        mixer_.stop(s.id);
        s.id = {};
        s.lastFrame = -2;
    }
}

std::optional<int> SoundEngine::streamFrameHeard(const MovieClip& clip) const {
    const auto it = streams_.find(&clip);
    if (it == streams_.end() || !it->second.decoded || !mixer_.playing(it->second.id))
        return std::nullopt;
    const Stream& s = it->second;
    const uint64_t at =
        s.decoded->frameStart[static_cast<std::size_t>(s.startFrame)] + mixer_.consumed(s.id);
    return std::max(s.decoded->frameAt(at), s.startFrame);
}

std::optional<int> SoundEngine::framesDue(const MovieClip& clip) const {
    if (!mixer_.clockLive())
        return std::nullopt;
    const auto heard = streamFrameHeard(clip);
    if (!heard)
        return std::nullopt;
    const int shown = clip.currentFrame() - 1;
    return std::clamp(*heard - shown, 0, kMaxCatchUp);
}

uint64_t SoundEngine::startScriptSound(const Movie& movie, uint16_t soundId, double offsetSeconds,
                                       int loops, const void* owner) {
    const SoundCharacter* c = lookUp(movie, soundId, {});
    if (!c)
        return 0;
    SoundInfo info;
    info.loops = static_cast<uint16_t>(std::clamp(loops, 1, 65535));
    const uint64_t token = play(*c, info, offsetSeconds, owner);
    for (Voice& v : voices_)
        if (v.token == token)
            v.script = true;
    return token;
}

void SoundEngine::keepLoaded(const std::shared_ptr<const SoundCharacter>& sound) {
    if (std::find(loaded_.begin(), loaded_.end(), sound) != loaded_.end())
        return;
    loaded_.push_back(sound);
    if (loaded_.size() > kLoadedKept) {
        const SoundCharacter* old = loaded_.front().get();
        for (const Voice& v : voices_)
            if (v.sound == old)
                mixer_.stop(v.id);
        store_.forget(old);
        reported_.erase(old);
        loaded_.erase(loaded_.begin());
    }
}

uint64_t SoundEngine::startLoadedSound(const std::shared_ptr<const SoundCharacter>& sound,
                                       double offsetSeconds, int loops, const void* owner) {
    if (!sound)
        return 0;
    keepLoaded(sound);
    SoundInfo info;
    info.loops = static_cast<uint16_t>(std::clamp(loops, 1, 65535));
    const uint64_t token = play(*sound, info, offsetSeconds, owner);
    for (Voice& v : voices_)
        if (v.token == token)
            v.script = true;
    return token;
}

double SoundEngine::loadedSoundDurationMs(const std::shared_ptr<const SoundCharacter>& sound) {
    if (!sound)
        return -1;
    keepLoaded(sound);
    auto decodedSound = decoded(*sound);
    return decodedSound ? std::round(decodedSound.value()->seconds() * 1000.0) : -1;
}

void SoundEngine::stopScriptSounds(const void* owner, uint16_t soundId) {
    for (const Voice& v : voices_) {
        if (owner && v.owner != owner)
            continue;
        if (soundId && (!v.sound || static_cast<const SoundCharacter*>(v.sound)->id() != soundId))
            continue;
        mixer_.stop(v.id);
    }
}

bool SoundEngine::soundPlaying(uint64_t token) const {
    for (const Voice& v : voices_)
        if (v.token == token)
            return mixer_.playing(v.id);
    return false;
}

bool SoundEngine::takeSoundCompleted(uint64_t token) {
    for (auto it = voices_.begin(); it != voices_.end(); ++it) {
        if (it->token != token)
            continue;
        if (!it->completed && !mixer_.completed(it->id))
            return false;
        voices_.erase(it);
        return true;
    }
    return false;
}

double SoundEngine::soundPositionMs(uint64_t token) const {
    for (const Voice& v : voices_)
        if (v.token == token)
            return static_cast<double>(mixer_.position(v.id)) * 1000.0 / v.rate;
    return -1;
}

double SoundEngine::soundDurationMs(const Movie& movie, uint16_t soundId) {
    const SoundCharacter* c = lookUp(movie, soundId, {});
    if (!c)
        return -1;
    auto sound = decoded(*c);
    if (!sound)
        return -1;
    return std::round(sound.value()->seconds() * 1000.0);
}

void SoundEngine::setOwnerGains(const void* owner, float ll, float lr, float rl, float rr) {
    ownerGains_[owner] = Gains{ll, lr, rl, rr};
    refreshGains();
}

void SoundEngine::refreshGains() {
    for (const Voice& v : voices_)
        mixer_.setGains(v.id, gainsFor(v.owner));
    for (const auto& [clip, s] : streams_)
        mixer_.setGains(s.id, gainsFor(static_cast<const DisplayObject*>(clip)));
}

} // namespace swf::media
