#include "swf/media/Mixer.h"

#include <algorithm>
#include <cmath>

namespace swf::media {

Mixer::Mixer(int outputRate) : outputRate_(outputRate > 0 ? outputRate : 44100) {}

const Mixer::Slot* Mixer::slotOf(VoiceId id) const {
    if (id.slot < 0 || id.slot >= kVoices)
        return nullptr;
    const Slot& s = slots_[static_cast<std::size_t>(id.slot)];
    return s.generation == id.generation ? &s : nullptr;
}

Mixer::Slot* Mixer::slotOf(VoiceId id) {
    return const_cast<Slot*>(static_cast<const Mixer*>(this)->slotOf(id));
}

Mixer::VoiceId Mixer::start(VoiceParams params) {
    // Rates no real sound has would only overflow the resampler's step.
    if (!params.sound || params.sound->frames() == 0 || params.sound->rate <= 0 ||
        params.sound->rate > 768000)
        return {};
    const uint64_t frames = params.sound->frames();
    params.outFrame = std::min(params.outFrame, frames);
    params.inFrame = std::min(params.inFrame, params.outFrame);
    params.startFrame = std::clamp(params.startFrame, params.inFrame, params.outFrame);
    params.loops = std::max(1, params.loops);
    // An in point at or past the out point leaves nothing to hear.
    if (params.inFrame >= params.outFrame)
        return {};
    collect();
    for (int i = 0; i < kVoices; ++i) {
        Slot& s = slots_[static_cast<std::size_t>(i)];
        if (s.state.load(std::memory_order_acquire) != Free)
            continue;
        ++s.generation;
        s.ll.store(params.gains.ll, std::memory_order_relaxed);
        s.lr.store(params.gains.lr, std::memory_order_relaxed);
        s.rl.store(params.gains.rl, std::memory_order_relaxed);
        s.rr.store(params.gains.rr, std::memory_order_relaxed);
        s.consumed.store(0, std::memory_order_relaxed);
        s.position.store(params.startFrame, std::memory_order_relaxed);
        s.completed.store(false, std::memory_order_relaxed);
        s.params = std::move(params);
        // Publishes the parameters written above to the audio thread.
        s.state.store(Starting, std::memory_order_release);
        return VoiceId{i, s.generation};
    }
    return {};
}

void Mixer::stop(VoiceId id) {
    Slot* s = slotOf(id);
    if (!s)
        return;
    for (int st : {Starting, Playing}) {
        int expected = st;
        if (s->state.compare_exchange_strong(expected, Stopping, std::memory_order_acq_rel))
            return;
    }
}

void Mixer::stopAll() {
    for (int i = 0; i < kVoices; ++i)
        stop(VoiceId{i, slots_[static_cast<std::size_t>(i)].generation});
}

void Mixer::setGains(VoiceId id, Gains g) {
    if (Slot* s = slotOf(id)) {
        s->ll.store(g.ll, std::memory_order_relaxed);
        s->lr.store(g.lr, std::memory_order_relaxed);
        s->rl.store(g.rl, std::memory_order_relaxed);
        s->rr.store(g.rr, std::memory_order_relaxed);
    }
}

bool Mixer::playing(VoiceId id) const {
    const Slot* s = slotOf(id);
    if (!s)
        return false;
    const int st = s->state.load(std::memory_order_acquire);
    return st == Starting || st == Playing;
}

bool Mixer::completed(VoiceId id) const {
    const Slot* s = slotOf(id);
    return s && s->state.load(std::memory_order_acquire) == Finished &&
           s->completed.load(std::memory_order_relaxed);
}

uint64_t Mixer::consumed(VoiceId id) const {
    const Slot* s = slotOf(id);
    if (!s || !s->params.sound)
        return 0;
    const uint64_t produced = s->consumed.load(std::memory_order_relaxed);
    const uint64_t held = static_cast<uint64_t>(latency_.load(std::memory_order_relaxed)) *
                          static_cast<uint64_t>(s->params.sound->rate) /
                          static_cast<uint64_t>(outputRate_);
    return produced > held ? produced - held : 0;
}

uint64_t Mixer::position(VoiceId id) const {
    const Slot* s = slotOf(id);
    return s ? s->position.load(std::memory_order_relaxed) : 0;
}

void Mixer::collect() {
    for (Slot& s : slots_) {
        if (s.state.load(std::memory_order_acquire) != Finished)
            continue;
        // The generation stays, so an old id asks about a voice that is over; the sound is
        // released here, on the engine's thread.
        s.params = VoiceParams{};
        s.state.store(Free, std::memory_order_release);
    }
}

int Mixer::activeVoices() const {
    int n = 0;
    for (const Slot& s : slots_) {
        const int st = s.state.load(std::memory_order_acquire);
        n += st == Starting || st == Playing;
    }
    return n;
}

void Mixer::mix(int16_t* out, int frames) {
    constexpr int kChunk = 512;
    float acc[kChunk * 2];
    const VolumeSource source = volume_.load(std::memory_order_relaxed);
    const uint32_t volume = source ? source() : 0xFFFFFFFFu;
    const float left = static_cast<float>(volume & 0xFFFFu) / 65535.0f;
    const float right = static_cast<float>(volume >> 16) / 65535.0f;
    while (frames > 0) {
        const int n = std::min(frames, kChunk);
        std::fill(acc, acc + n * 2, 0.0f);
        for (Slot& s : slots_) {
            int st = s.state.load(std::memory_order_acquire);
            if (st == Starting) {
                s.pos = s.params.startFrame << 32;
                s.playedBefore = 0;
                s.passFrom = s.params.startFrame;
                s.passesLeft = s.params.loops;
                s.envIndex = 0;
                if (!s.state.compare_exchange_strong(st, Playing, std::memory_order_acq_rel))
                    st = s.state.load(std::memory_order_acquire);
                else
                    st = Playing;
            }
            if (st == Stopping) {
                s.state.store(Finished, std::memory_order_release);
                continue;
            }
            if (st == Playing)
                render(s, acc, n);
        }
        for (int i = 0; i < n; ++i) {
            const float l = acc[2 * i] * left, r = acc[2 * i + 1] * right;
            out[2 * i] = static_cast<int16_t>(std::clamp(std::lround(l), -32768l, 32767l));
            out[2 * i + 1] = static_cast<int16_t>(std::clamp(std::lround(r), -32768l, 32767l));
        }
        out += n * 2;
        frames -= n;
    }
}

void Mixer::render(Slot& s, float* acc, int frames) {
    const VoiceParams& p = s.params;
    const DecodedSound& sound = *p.sound;
    const int16_t* data = sound.samples.data();
    const bool stereo = sound.channels == 2;
    const uint64_t step = (static_cast<uint64_t>(sound.rate) << 32) / outputRate_;
    const float ll = s.ll.load(std::memory_order_relaxed),
                lr = s.lr.load(std::memory_order_relaxed);
    const float rl = s.rl.load(std::memory_order_relaxed),
                rr = s.rr.load(std::memory_order_relaxed);
    const std::vector<SoundEnvelopePoint>* env = p.envelope.get();
    const double to44 = 44100.0 / sound.rate;
    for (int i = 0; i < frames; ++i) {
        uint64_t frame = s.pos >> 32;
        // A loop: inFrame < outFrame, so the pass that follows has something to play.
        if (frame >= p.outFrame) {
            s.playedBefore += p.outFrame - s.passFrom;
            if (--s.passesLeft <= 0) {
                s.consumed.store(s.playedBefore, std::memory_order_relaxed);
                s.position.store(p.outFrame, std::memory_order_relaxed);
                s.completed.store(true, std::memory_order_relaxed);
                s.state.store(Finished, std::memory_order_release);
                return;
            }
            s.pos = p.inFrame << 32;
            s.passFrom = p.inFrame;
            s.envIndex = 0;
            frame = p.inFrame;
        }
        const float frac = static_cast<float>(s.pos & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
        const uint64_t next = frame + 1 < p.outFrame ? frame + 1 : frame;
        float l, r;
        if (stereo) {
            l = data[2 * frame] + (data[2 * next] - data[2 * frame]) * frac;
            r = data[2 * frame + 1] + (data[2 * next + 1] - data[2 * frame + 1]) * frac;
        } else {
            l = r = data[frame] + (data[next] - data[frame]) * frac;
        }
        if (env) {
            // Levels between two points change in a straight line; before the first point and
            // after the last the nearest one holds.
            const double at = static_cast<double>(frame) * to44;
            while (s.envIndex + 1 < env->size() && (*env)[s.envIndex + 1].pos44 <= at)
                ++s.envIndex;
            const SoundEnvelopePoint& a = (*env)[s.envIndex];
            float el = a.left / 32768.0f, er = a.right / 32768.0f;
            if (at < a.pos44) {
                // before the first point
            } else if (s.envIndex + 1 < env->size()) {
                const SoundEnvelopePoint& b = (*env)[s.envIndex + 1];
                const float t = static_cast<float>((at - a.pos44) / (b.pos44 - a.pos44));
                el += (b.left / 32768.0f - el) * t;
                er += (b.right / 32768.0f - er) * t;
            }
            l *= el;
            r *= er;
        }
        acc[2 * i] += l * ll + r * rl;
        acc[2 * i + 1] += l * lr + r * rr;
        s.pos += step;
    }
    const uint64_t frame = std::min<uint64_t>(s.pos >> 32, p.outFrame);
    s.consumed.store(s.playedBefore + (frame - s.passFrom), std::memory_order_relaxed);
    s.position.store(frame, std::memory_order_relaxed);
}

} // namespace swf::media
