#pragma once

// What the display tree tells whoever makes its sound: the sounds a frame starts and the frames
// a timeline with a stream enters. The tree knows nothing of decoding or mixing; the media
// side implements this and the Player connects the two. Called on the engine's thread only.

#include "swf/format/Sound.h"

#include <cstdint>
#include <memory>

namespace swf {

class Movie;
class MovieClip;

class SoundHost {
public:
    virtual ~SoundHost() = default;
    // clip entered a frame carrying StartSound/StartSound2 (the command's sound is looked up
    // in clip's movie).
    virtual void startSound(MovieClip& clip, const StartSoundCommand& command) = 0;
    // clip, whose timeline has a stream head, is showing frame (0-based) while playing or
    // after a jump. A stream not reported during a tick has stopped.
    virtual void streamFrame(MovieClip& clip, int frame) = 0;
    // clip left the tree: its stream stops now.
    virtual void clipRemoved(const MovieClip& clip) = 0;
    // The stopAllSounds action and the like.
    virtual void stopAllSounds() = 0;

    // ---- what script's Sound objects ask for ----
    // owner is the clip a Sound object is aimed at, null for the whole movie; it is only
    // compared. Starts sound soundId of movie at offsetSeconds, loops times; 0 when nothing
    // started, else a token for the questions below.
    virtual uint64_t startScriptSound(const Movie& movie, uint16_t soundId, double offsetSeconds,
                                      int loops, const void* owner) = 0;
    // A sound that came from outside the movie (Sound.loadSound): the host keeps it alive as
    // long as it may play it.
    virtual uint64_t startLoadedSound(const std::shared_ptr<const SoundCharacter>& sound,
                                      double offsetSeconds, int loops, const void* owner) = 0;
    virtual double loadedSoundDurationMs(const std::shared_ptr<const SoundCharacter>& sound) = 0;
    // Stops what owner started (every sound when owner is null); soundId 0 means any sound.
    virtual void stopScriptSounds(const void* owner, uint16_t soundId) = 0;
    virtual bool soundPlaying(uint64_t token) const = 0;
    // True once, after the sound of token played to its end by itself.
    virtual bool takeSoundCompleted(uint64_t token) = 0;
    // Milliseconds into the sound (of its current pass); -1 when unknown.
    virtual double soundPositionMs(uint64_t token) const = 0;
    // Length of a sound in milliseconds; -1 when it cannot be decoded.
    virtual double soundDurationMs(const Movie& movie, uint16_t soundId) = 0;
    // Levels (0 to 1) that the sounds of owner reach the left and right outputs with; for a
    // null owner, what every sound goes through last.
    virtual void setOwnerGains(const void* owner, float ll, float lr, float rl, float rr) = 0;
};

} // namespace swf
