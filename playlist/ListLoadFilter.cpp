#include "playlist/ListLoadFilter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace playlist {

namespace {

constexpr std::size_t kGram = 8;

// The 8 bytes at `p`, first byte on top: the first m bytes of the text at p are the top m
// bytes of this value.
std::uint64_t gramAt(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::little)
        v = __builtin_bswap64(v);
    return v;
}

std::uint64_t mix(std::uint64_t v) {
    v ^= v >> 31;
    v *= 0x9E3779B97F4A7C15ull;
    return v ^ (v >> 29);
}

// Open addressing from a 64-bit key to an int, sized once for the keys it will hold. Key
// and value share a slot, so a probe touches one cache line.
class KeyTable {
public:
    explicit KeyTable(std::size_t keys) {
        std::size_t slotCount = 16;
        while (slotCount < keys * 2)
            slotCount *= 2;
        slots_.assign(slotCount, Slot{0, kEmpty});
        mask_ = slotCount - 1;
    }

    // The value of `key`, inserting it with `value` when absent.
    int& insert(std::uint64_t key, int value) {
        std::size_t i = mix(key) & mask_;
        while (slots_[i].value != kEmpty && slots_[i].key != key)
            i = (i + 1) & mask_;
        if (slots_[i].value == kEmpty)
            slots_[i] = Slot{key, value};
        return slots_[i].value;
    }
    int* find(std::uint64_t key) {
        std::size_t i = mix(key) & mask_;
        while (slots_[i].value != kEmpty) {
            if (slots_[i].key == key)
                return &slots_[i].value;
            i = (i + 1) & mask_;
        }
        return nullptr;
    }

private:
    static constexpr int kEmpty = INT_MIN;
    struct Slot {
        std::uint64_t key;
        int value;
    };
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
};

// A Bloom filter whose two bits for a key share one 64-bit word: one memory access per
// test, which matters when every position of a long text is tested.
class WordFilter {
public:
    WordFilter(std::size_t keys, std::size_t bitsPerKey) {
        while ((std::size_t(1) << bits_) < keys * bitsPerKey && bits_ < 34)
            ++bits_;
        words_.assign((std::size_t(1) << bits_) / 64, 0);
    }
    void add(std::uint64_t key) {
        const auto [word, mask] = locate(key);
        words_[word] |= mask;
    }
    bool mayHold(std::uint64_t key) const {
        const auto [word, mask] = locate(key);
        return (words_[word] & mask) == mask;
    }

private:
    std::pair<std::size_t, std::uint64_t> locate(std::uint64_t key) const {
        const std::uint64_t h = mix(key) * 0xC2B2AE3D27D4EB4Full;
        return {std::size_t(h >> (64 - (bits_ - 6))),
                (std::uint64_t(1) << (h & 63)) | (std::uint64_t(1) << ((h >> 6) & 63))};
    }

    unsigned bits_ = 12;
    std::vector<std::uint64_t> words_;
};

// Where the tracked sequences of a value of `length` bytes (more than 8) start: the first 8
// bytes, the last 8, and the middle 8 of a value long enough to have them apart. A few are
// enough: their places are listed, and the rarest one decides where to compare.
std::vector<std::size_t> trackedOffsets(std::size_t length) {
    constexpr std::size_t kMaxTracked = 3;
    const std::size_t last = length - kGram;
    const std::size_t step =
        std::max<std::size_t>(kGram, (last + kMaxTracked - 2) / (kMaxTracked - 1));
    std::vector<std::size_t> offsets;
    for (std::size_t o = 0; o < last; o += step)
        offsets.push_back(o);
    offsets.push_back(last);
    return offsets;
}

} // namespace

std::optional<std::vector<bool>> ListLoadFilter::keep(const QStringList& values) {
    const int n = int(values.size());
    std::vector<std::string> bytes;
    bytes.reserve(values.size());
    for (const QString& v : values) {
        if (v.contains(u'\n') || v.contains(u'\r'))
            return std::nullopt;
        bytes.push_back(v.toStdString());
    }

    // All values joined by line breaks, and a few more of them so that every position can
    // be read 8 bytes wide; a line break never matches inside a value.
    std::string text;
    std::size_t total = 0;
    for (const std::string& b : bytes)
        total += b.size() + 1;
    text.reserve(total + kGram);
    std::vector<std::size_t> starts(std::size_t(n) + 1);
    for (int j = 0; j < n; ++j) {
        starts[std::size_t(j)] = text.size();
        text += bytes[std::size_t(j)];
        text += '\n';
    }
    starts[std::size_t(n)] = text.size();
    text.append(kGram, '\n');

    // Short values (up to 8 bytes), per length: the first line they occur in.
    std::size_t shortCount[kGram + 1] = {};
    std::size_t trackedCount = 0;
    for (const std::string& b : bytes) {
        if (b.size() > kGram)
            trackedCount += trackedOffsets(b.size()).size();
        else
            ++shortCount[b.size()];
    }
    std::vector<KeyTable> firstLine;
    for (std::size_t m = 0; m <= kGram; ++m)
        firstLine.emplace_back(shortCount[m]);
    // Long values: a few 8-byte sequences of each are tracked (see trackedOffsets), and every
    // place they occur is listed. A value can only start where each of them occurs at its
    // offset, so the rarest of them before the value's line says where to compare, and very
    // often that none occurs there at all.
    KeyTable trackedSlot(trackedCount);
    int slotCount = 0;
    // Cheap pre-checks that let nearly every position pass with one memory access.
    // The filter of length m holds the first m bytes of every short value at least m bytes
    // long, so a position whose first m bytes it lacks starts no short value of length m or
    // more, and the longer ones need not be looked at.
    std::size_t longestShort = 0;
    std::size_t atLeast[kGram + 2] = {};
    for (std::size_t m = kGram; m >= 1; --m) {
        atLeast[m] = atLeast[m + 1] + shortCount[m];
        if (shortCount[m] > 0 && longestShort == 0)
            longestShort = m;
    }
    std::vector<WordFilter> prefixFilters;
    for (std::size_t m = 0; m <= kGram; ++m)
        prefixFilters.emplace_back(atLeast[m], 16);
    // Tested at every position of the text: kept small enough to stay in the cache, at the
    // price of a few more false hits, which only cost a table lookup.
    WordFilter trackedFilter(trackedCount, 12);
    // Short values of each length whose first line is not known yet. The text is read front
    // to back, so the first place a value is found settles it; once every value of a length
    // is settled, that length needs no more lookups (with a varied list this happens early
    // for the shortest lengths, which would otherwise be looked up at every position).
    std::size_t unresolved[kGram + 1] = {};

    for (int j = 0; j < n; ++j) {
        const std::string& b = bytes[std::size_t(j)];
        const char* at = text.data() + starts[std::size_t(j)];
        if (b.empty())
            continue;
        if (b.size() > kGram) {
            for (const std::size_t offset : trackedOffsets(b.size())) {
                const std::uint64_t g = gramAt(at + offset);
                if (trackedSlot.insert(g, slotCount) == slotCount)
                    ++slotCount;
                trackedFilter.add(g);
            }
            continue;
        }
        const std::size_t m = b.size();
        const std::uint64_t key = gramAt(at) >> (64 - 8 * m);
        if (!firstLine[m].find(key)) {
            firstLine[m].insert(key, INT_MAX);
            ++unresolved[m];
        }
        for (std::size_t k = 1; k <= m; ++k)
            prefixFilters[k].add(key >> (8 * (m - k)));
    }

    // One pass over the text settles the short values and finds the places of the tracked
    // sequences, which are then sorted by sequence (stably, so each one's places stay in
    // ascending order). Offsets are kept as int: the text of a list file stays far below
    // 2 GiB (the file is at most 64 MiB).
    std::vector<std::pair<int, int>> found; // slot, place
    const std::size_t end = starts[std::size_t(n)];
    int line = 0;
    for (std::size_t p = 0; p < end; ++p) {
        while (p >= starts[std::size_t(line) + 1])
            ++line;
        const std::uint64_t g = gramAt(text.data() + p);
        for (std::size_t m = 1; m <= longestShort; ++m) {
            const std::uint64_t key = g >> (64 - 8 * m);
            if (!prefixFilters[m].mayHold(key))
                break;
            if (unresolved[m] > 0) {
                int* first = firstLine[m].find(key);
                if (first && *first == INT_MAX) {
                    *first = line;
                    --unresolved[m];
                }
            }
        }
        if (slotCount == 0)
            continue;
        if (!trackedFilter.mayHold(g))
            continue;
        if (const int* slot = trackedSlot.find(g))
            found.emplace_back(*slot, int(p));
    }
    std::vector<int> placesBegin(std::size_t(slotCount) + 1, 0);
    for (const auto& f : found)
        ++placesBegin[std::size_t(f.first) + 1];
    for (int s = 0; s < slotCount; ++s)
        placesBegin[std::size_t(s) + 1] += placesBegin[std::size_t(s)];
    std::vector<int> places(found.size());
    {
        std::vector<int> filled(placesBegin.begin(), placesBegin.end() - 1);
        for (const auto& f : found)
            places[std::size_t(filled[std::size_t(f.first)]++)] = f.second;
    }
    found = {};

    std::vector<bool> kept(std::size_t(n), false);
    std::unordered_map<std::string_view, int> seen;
    for (int j = 0; j < n; ++j) {
        const std::string& b = bytes[std::size_t(j)];
        const std::size_t start = starts[std::size_t(j)];
        const char* at = text.data() + start;
        if (b.empty()) {
            kept[std::size_t(j)] = true; // an empty text is never present
            continue;
        }
        if (b.size() <= kGram) {
            kept[std::size_t(j)] =
                *firstLine[b.size()].find(gramAt(at) >> (64 - 8 * b.size())) == j;
            continue;
        }
        if (!seen.emplace(b, j).second)
            continue; // the same long value came before
        // The tracked sequence with the fewest places where the value could start before
        // its own line.
        const int* bestFrom = nullptr;
        const int* bestTo = nullptr;
        std::size_t bestOffset = 0;
        for (const std::size_t offset : trackedOffsets(b.size())) {
            const int slot = *trackedSlot.find(gramAt(at + offset));
            const int* first = places.data() + placesBegin[std::size_t(slot)];
            const int* last = places.data() + placesBegin[std::size_t(slot) + 1];
            first = std::lower_bound(first, last, int(offset));
            last = std::lower_bound(first, last, int(start + offset));
            if (!bestFrom || last - first < bestTo - bestFrom) {
                bestFrom = first;
                bestTo = last;
                bestOffset = offset;
            }
            if (first == last)
                break;
        }
        bool present = false;
        for (const int* q = bestFrom; q != bestTo && !present; ++q)
            present =
                std::memcmp(text.data() + (std::size_t(*q) - bestOffset), b.data(), b.size()) == 0;
        kept[std::size_t(j)] = !present;
    }
    return kept;
}

} // namespace playlist
