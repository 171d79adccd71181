#pragma once

// The decoded sounds of one player, bounded: a movie cannot make it hold more than maxBytes
// of samples. Sounds are decoded on first use and kept; when a new one does not fit, the
// least recently used ones are dropped from the store (a voice still playing one keeps it
// alive, and it still counts until that voice lets go). A sound that cannot fit even then is
// refused with an error and stays silent. Engine thread only.

#include "swf/format/Result.h"
#include "swf/format/Sound.h"
#include "swf/format/Timeline.h"
#include "swf/media/DecodedSound.h"
#include "swf/media/SoundDecoder.h"

#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>

namespace swf::media {

class SoundStore {
public:
    // 192 MiB: some eighteen minutes of 44,100 Hz stereo.
    static constexpr uint64_t kDefaultMaxBytes = 192ull << 20;

    explicit SoundStore(uint64_t maxBytes = kDefaultMaxBytes) : maxBytes_(maxBytes) {}

    Result<std::shared_ptr<const DecodedSound>> sound(const SoundCharacter& character);
    // The stream of timeline as far as its frames have loaded; decoded again when more
    // frames arrived since.
    Result<std::shared_ptr<const DecodedStream>> stream(const Timeline& timeline);

    // Drops what the store keeps for key (a sound about to go away).
    void forget(const void* key);

    // Samples held: in the store, and dropped from it but still playing.
    uint64_t bytesHeld();
    uint64_t maxBytes() const { return maxBytes_; }

private:
    struct Entry {
        std::shared_ptr<const void> owner; // the sound, or the stream holding it
        uint64_t bytes = 0;
        std::size_t frames = 0; // for streams: the frames decoded
    };
    struct Released {
        const void* key = nullptr;
        std::weak_ptr<const void> owner;
        uint64_t bytes = 0;
    };
    // Makes room for bytes more; false when even an empty store could not hold them.
    bool makeRoom(uint64_t bytes);
    void touch(const void* key);
    void insert(const void* key, Entry entry);
    // Brings back a dropped sound that a voice still holds, rather than decoding it twice.
    std::shared_ptr<const void> revive(const void* key);

    uint64_t maxBytes_;
    std::unordered_map<const void*, Entry> entries_;
    std::list<const void*> recent_; // most recent first
    std::list<Released> released_;
    std::unordered_map<const void*, QString> failed_; // decoded once, not again
};

} // namespace swf::media
