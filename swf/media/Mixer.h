#pragma once

// Mixes the playing voices into 16-bit stereo at the output's rate. Two sides:
//  - the engine side (start, stop, gains, positions, collect) runs on the engine's thread;
//  - mix() runs on the audio thread (or the engine's, when nothing plays to a device).
// They share only the voice slots: what a voice plays (the decoded sound, its points, loops
// and envelope) is written before the slot is handed over and never changed while it plays;
// everything that does change (state, gains, position) is an atomic. mix() takes no lock,
// allocates nothing and frees nothing: the engine releases finished voices in collect().

#include "swf/format/Sound.h"
#include "swf/media/DecodedSound.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace swf::media {

// How a voice's left and right reach the output, each 0 to 1 (Sound.setTransform's ll, lr,
// rl, rr over 100, times the volume).
struct Gains {
    float ll = 1, lr = 0, rl = 0, rr = 1;
};

struct VoiceParams {
    std::shared_ptr<const DecodedSound> sound;
    uint64_t inFrame = 0;           // where each pass starts, in the sound's frames
    uint64_t outFrame = UINT64_MAX; // where each pass ends (clamped to the sound)
    uint64_t startFrame = 0;        // where the first pass starts (a start offset)
    int loops = 1;                  // passes, at least 1
    std::shared_ptr<const std::vector<SoundEnvelopePoint>> envelope;
    Gains gains;
};

class Mixer {
public:
    static constexpr int kVoices = 32;

    struct VoiceId {
        int slot = -1;
        uint32_t generation = 0;
        bool valid() const { return slot >= 0; }
        bool operator==(const VoiceId&) const = default;
    };

    explicit Mixer(int outputRate = 44100);
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    int outputRate() const { return outputRate_; }

    // ---- engine side ----
    // An invalid id when every voice is busy or there is nothing to play.
    VoiceId start(VoiceParams params);
    void stop(VoiceId id);
    void stopAll();
    void setGains(VoiceId id, Gains gains);
    // True from start until the voice ends or is stopped.
    bool playing(VoiceId id) const;
    // Ended by itself (all its passes played), as opposed to stopped.
    bool completed(VoiceId id) const;
    // Frames of the sound played since start across passes, less what the device still holds
    // unplayed; the sound's own rate.
    uint64_t consumed(VoiceId id) const;
    // Where the voice is inside its sound, in the sound's frames.
    uint64_t position(VoiceId id) const;
    // Frees the slots of voices that ended; their ids stay answerable as not playing.
    void collect();
    int activeVoices() const;

    // The device pulls mix() at its own pace: stream sound may then drive the frame rate.
    void setClockLive(bool live) { clockLive_.store(live, std::memory_order_relaxed); }
    bool clockLive() const { return clockLive_.load(std::memory_order_relaxed); }
    // Output frames that mix() produced but the device has not yet played.
    void setLatencyFrames(int frames) { latency_.store(frames, std::memory_order_relaxed); }
    // The player's wave-out volume (left in the low 16 bits, right in the high); read by mix()
    // each time. Null means full volume.
    using VolumeSource = uint32_t (*)();
    void setVolumeSource(VolumeSource source) { volume_.store(source, std::memory_order_relaxed); }

    // ---- audio side ----
    // Writes frames stereo frames (2 × frames samples).
    void mix(int16_t* out, int frames);

private:
    enum State : int { Free, Starting, Playing, Stopping, Finished };
    struct Slot {
        std::atomic<int> state{Free};
        VoiceParams params; // fixed while not Free
        std::atomic<float> ll{1}, lr{0}, rl{0}, rr{1};
        std::atomic<uint64_t> consumed{0};
        std::atomic<uint64_t> position{0};
        std::atomic<bool> completed{false};
        // audio thread only
        uint64_t pos = 0;          // 32.32 fixed point, frames of the sound
        uint64_t playedBefore = 0; // frames of the passes already over
        uint64_t passFrom = 0;     // where the current pass began
        int passesLeft = 0;
        std::size_t envIndex = 0;
        // engine only
        uint32_t generation = 0;
    };
    const Slot* slotOf(VoiceId id) const;
    Slot* slotOf(VoiceId id);
    void render(Slot& s, float* acc, int frames);

    const int outputRate_;
    std::array<Slot, kVoices> slots_;
    std::atomic<bool> clockLive_{false};
    std::atomic<int> latency_{0};
    std::atomic<VolumeSource> volume_{nullptr};
};

} // namespace swf::media
