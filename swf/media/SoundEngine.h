#pragma once

// The sounds of one running movie: what its frames start (event sounds with their sound info
// records), its timelines' streams kept in step with their frames, and what script asks of
// its Sound objects. Decodes through a bounded store and plays into a mixer that it does not
// own (the control's, or a headless one). Engine thread only.

#include "swf/display/SoundHost.h"
#include "swf/media/Mixer.h"
#include "swf/media/SoundStore.h"

#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

namespace swf::media {

class SoundEngine final : public SoundHost {
public:
    // Most frames a stream may make the timeline catch up in one tick; beyond that the
    // picture is so far behind that drawing cannot keep up whatever is skipped.
    static constexpr int kMaxCatchUp = 30;

    explicit SoundEngine(Mixer& mixer, uint64_t maxDecodedBytes = SoundStore::kDefaultMaxBytes);
    ~SoundEngine() override;

    // A sound that cannot be decoded is silent; the first such message of each sound goes
    // here (to the host's message line).
    void setMessageSink(std::function<void(const QString&)> sink) { sink_ = std::move(sink); }

    // ---- SoundHost ----
    void startSound(MovieClip& clip, const StartSoundCommand& command) override;
    void streamFrame(MovieClip& clip, int frame) override;
    void clipRemoved(const MovieClip& clip) override;
    void stopAllSounds() override;
    uint64_t startScriptSound(const Movie& movie, uint16_t soundId, double offsetSeconds, int loops,
                              const void* owner) override;
    uint64_t startLoadedSound(const std::shared_ptr<const SoundCharacter>& sound,
                              double offsetSeconds, int loops, const void* owner) override;
    double loadedSoundDurationMs(const std::shared_ptr<const SoundCharacter>& sound) override;
    void stopScriptSounds(const void* owner, uint16_t soundId) override;
    bool soundPlaying(uint64_t token) const override;
    bool takeSoundCompleted(uint64_t token) override;
    double soundPositionMs(uint64_t token) const override;
    double soundDurationMs(const Movie& movie, uint16_t soundId) override;
    void setOwnerGains(const void* owner, float ll, float lr, float rl, float rr) override;

    // ---- the Player's side ----
    // After each frame of the tree: streams not reported during it have stopped.
    void endTick();
    // Silences every stream now (pause, stop, a new position about to be shown).
    void stopStreams();
    // How many frames the timeline of clip should advance now to be where its stream is
    // heard; nullopt when no stream of clip plays to a live device (the timer decides then).
    std::optional<int> framesDue(const MovieClip& clip) const;
    // Where clip's stream is heard, as a frame of its timeline (0-based); nullopt when none.
    std::optional<int> streamFrameHeard(const MovieClip& clip) const;

    // Sound decoded outside any timeline (the sound of an FLV that script plays), heard once
    // from startFrame through the movie-wide volume. Invalid when no voice is free; the
    // caller stops it through the mixer.
    Mixer::VoiceId playDecoded(std::shared_ptr<const DecodedSound> sound, uint64_t startFrame);

    // What the sounds of owner go through now (its Sound objects' volume and transform, then
    // the movie's); for sound played outside the engine's own voices.
    Gains gainsOf(const void* owner) const { return gainsFor(owner); }

    SoundStore& store() { return store_; }
    Mixer& mixer() { return mixer_; }

private:
    struct Voice {
        Mixer::VoiceId id;
        const void* sound = nullptr; // the character, for stop and no-multiple
        const void* owner = nullptr;
        uint64_t token = 0;
        int rate = 44100;
        bool completed = false;
        bool script = false;
    };
    static constexpr std::size_t kMaxCompletedKept = 256;
    struct Stream {
        Mixer::VoiceId id;
        std::shared_ptr<const DecodedStream> decoded;
        int startFrame = 0;
        int lastFrame = -1;
        bool reported = false;
    };
    const SoundCharacter* lookUp(const Movie& movie, uint16_t id, const QByteArray& className);
    Result<std::shared_ptr<const DecodedSound>> decoded(const SoundCharacter& c);
    uint64_t play(const SoundCharacter& c, const SoundInfo& info, double offsetSeconds,
                  const void* owner);
    Gains gainsFor(const void* owner) const;
    void refreshGains();
    void forget();
    void report(const QString& message);
    // Keeps a loaded sound (and so its key in the store) alive; the oldest beyond a few go.
    void keepLoaded(const std::shared_ptr<const SoundCharacter>& sound);
    static constexpr std::size_t kLoadedKept = 8;

    Mixer& mixer_;
    SoundStore store_;
    std::vector<Voice> voices_;
    std::unordered_map<const MovieClip*, Stream> streams_;
    std::unordered_map<const void*, Gains> ownerGains_;
    uint64_t nextToken_ = 1;
    std::function<void(const QString&)> sink_;
    std::unordered_map<const void*, bool> reported_;
    std::vector<std::shared_ptr<const SoundCharacter>> loaded_;
};

} // namespace swf::media
