#include "swf/media/SoundStore.h"

#include <algorithm>

namespace swf::media {

uint64_t SoundStore::bytesHeld() {
    uint64_t held = 0;
    for (const auto& [key, e] : entries_)
        held += e.bytes;
    released_.remove_if([](const Released& r) { return r.owner.expired(); });
    for (const Released& r : released_)
        held += r.bytes;
    return held;
}

bool SoundStore::makeRoom(uint64_t bytes) {
    if (bytes > maxBytes_)
        return false;
    while (bytesHeld() + bytes > maxBytes_ && !recent_.empty()) {
        const void* oldest = recent_.back();
        recent_.pop_back();
        const auto it = entries_.find(oldest);
        if (it == entries_.end())
            continue;
        released_.push_back(Released{it->first, it->second.owner, it->second.bytes});
        entries_.erase(it);
    }
    return bytesHeld() + bytes <= maxBytes_;
}

void SoundStore::forget(const void* key) {
    if (const auto it = entries_.find(key); it != entries_.end()) {
        // Still counted while a voice plays it, but no longer findable under a key that may
        // be reused.
        released_.push_back(Released{nullptr, it->second.owner, it->second.bytes});
        entries_.erase(it);
    }
    recent_.remove(key);
    failed_.erase(key);
    for (Released& r : released_)
        if (r.key == key)
            r.key = nullptr;
}

void SoundStore::touch(const void* key) {
    recent_.remove(key);
    recent_.push_front(key);
}

void SoundStore::insert(const void* key, Entry entry) {
    entries_[key] = std::move(entry);
    touch(key);
}

std::shared_ptr<const void> SoundStore::revive(const void* key) {
    for (auto it = released_.begin(); it != released_.end(); ++it) {
        if (it->key != key)
            continue;
        auto owner = it->owner.lock();
        const uint64_t bytes = it->bytes;
        released_.erase(it);
        if (owner)
            insert(key, Entry{owner, bytes, 0});
        return owner;
    }
    return nullptr;
}

Result<std::shared_ptr<const DecodedSound>> SoundStore::sound(const SoundCharacter& character) {
    const void* key = &character;
    if (auto back = revive(key))
        return std::static_pointer_cast<const DecodedSound>(back);
    if (const auto it = entries_.find(key); it != entries_.end()) {
        touch(key);
        return std::static_pointer_cast<const DecodedSound>(it->second.owner);
    }
    if (const auto f = failed_.find(key); f != failed_.end())
        return Error{f->second};
    const uint64_t room = maxBytes_ > bytesHeld() ? maxBytes_ - bytesHeld() : 0;
    // First try within what is free; only a sound that does not fit makes others go.
    auto decoded =
        SoundDecoder::decode(character.format(), character.data(), room, character.sampleCount());
    if (!decoded) {
        makeRoom(maxBytes_);
        decoded = SoundDecoder::decode(character.format(), character.data(),
                                       maxBytes_ - std::min(maxBytes_, bytesHeld()),
                                       character.sampleCount());
    }
    if (!decoded) {
        failed_[key] = decoded.error().message;
        return decoded.error();
    }
    const uint64_t bytes = decoded.value()->bytes();
    makeRoom(bytes);
    insert(key, Entry{decoded.value(), bytes, 0});
    return decoded.value();
}

Result<std::shared_ptr<const DecodedStream>> SoundStore::stream(const Timeline& timeline) {
    if (!timeline.streamHead)
        return Error{QStringLiteral("The timeline has no stream.")};
    const void* key = &timeline;
    const std::size_t frames = timeline.frames.size();
    if (const auto it = entries_.find(key); it != entries_.end() && it->second.frames == frames) {
        touch(key);
        return std::static_pointer_cast<const DecodedStream>(it->second.owner);
    }
    if (const auto f = failed_.find(key); f != failed_.end())
        return Error{f->second};
    // The older, shorter decoding goes: it would otherwise count twice.
    if (const auto it = entries_.find(key); it != entries_.end()) {
        released_.push_back(Released{key, it->second.owner, it->second.bytes});
        entries_.erase(it);
        recent_.remove(key);
    }
    std::vector<QByteArray> blocks;
    blocks.reserve(frames);
    for (const Frame& f : timeline.frames)
        blocks.push_back(f.streamBlock);
    makeRoom(maxBytes_);
    auto decoded = SoundDecoder::decodeStream(*timeline.streamHead, blocks,
                                              maxBytes_ - std::min(maxBytes_, bytesHeld()));
    if (!decoded) {
        failed_[key] = decoded.error().message;
        return decoded.error();
    }
    const uint64_t bytes = decoded.value()->sound->bytes();
    insert(key, Entry{decoded.value(), bytes, frames});
    return decoded.value();
}

} // namespace swf::media
