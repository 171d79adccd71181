#include "playlist/PresenceIndex.h"

#include <QListWidget>
#include <algorithm>
#include <cstring>
#include <functional>

namespace playlist {

namespace {

constexpr std::size_t kSequenceLength = 8;
constexpr unsigned kMinFilterBits = 16;
// Filter bits per indexed sequence after a resize; it grows again at half of this.
constexpr std::size_t kBitsPerSequence = 32;

// The 8 bytes at `p` with the first in the top byte, so that numeric order is the text's
// byte order and all sequences beginning with a prefix form one numeric range.
std::uint64_t sequenceAt(const char* p) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < kSequenceLength; ++i)
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

std::uint64_t mix(std::uint64_t v, std::uint64_t factor) {
    v ^= v >> 29;
    return v * factor;
}

// A new run is sorted in pieces of at most this many sequences, which bounds the scratch
// memory that one very long line needs.
constexpr std::size_t kRunPiece = std::size_t(1) << 20;

struct Entry {
    std::uint64_t sequence;
    std::uint32_t offset;
};

// Stable LSD radix sort a byte at a time: a run built from one long line holds a million
// sequences, where a comparison sort costs several times as much. Being stable, equal
// sequences keep their offsets in ascending order.
void radixSort(std::vector<Entry>& entries) {
    std::vector<Entry> scratch(entries.size());
    for (unsigned shift = 0; shift < 64; shift += 8) {
        std::size_t counts[257] = {};
        for (const Entry& e : entries)
            ++counts[((e.sequence >> shift) & 0xFF) + 1];
        if (counts[((entries.front().sequence >> shift) & 0xFF) + 1] == entries.size())
            continue; // every sequence has the same byte here
        for (int i = 0; i < 256; ++i)
            counts[i + 1] += counts[i];
        for (const Entry& e : entries)
            scratch[counts[(e.sequence >> shift) & 0xFF]++] = e;
        entries.swap(scratch);
    }
}

} // namespace

PresenceIndex::PresenceIndex(QListWidget& box, QObject* parent) : QObject(parent), box_(box) {
    QAbstractItemModel* model = box.model();
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { rowsInserted(first, last); });
    connect(model, &QAbstractItemModel::rowsRemoved, this, &PresenceIndex::invalidate);
    connect(model, &QAbstractItemModel::rowsMoved, this, &PresenceIndex::invalidate);
    connect(model, &QAbstractItemModel::modelReset, this, &PresenceIndex::invalidate);
    connect(model, &QAbstractItemModel::layoutChanged, this, &PresenceIndex::invalidate);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                // Check marks and selection do not change the text.
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole) ||
                    roles.contains(Qt::EditRole))
                    invalidate();
            });
}

void PresenceIndex::rowsInserted(int first, int last) {
    // Appending at the end extends the text; an insertion anywhere else reorders it.
    if (valid_ && first == lines_)
        append(first, last);
    else
        invalidate();
}

void PresenceIndex::append(int first, int last) {
    for (int row = first; row <= last; ++row) {
        const QListWidgetItem* item = box_.item(row);
        if (lines_ > 0)
            joined_ += '\n';
        const std::size_t start = joined_.size();
        if (item)
            joined_ += item->text().toStdString();
        const std::string_view line(joined_.data() + start, joined_.size() - start);
        lineHashes_.emplace(std::hash<std::string_view>{}(line),
                            std::make_pair(start, line.size()));
        ++lines_;
    }
    indexNewText();
}

void PresenceIndex::indexNewText() {
    if (joined_.size() < kSequenceLength)
        return;
    const std::size_t end = joined_.size() - kSequenceLength + 1;
    if (end <= indexedTo_)
        return;
    const std::size_t added = end - indexedTo_;
    if ((filtered_ + added) * (kBitsPerSequence / 2) > (std::size_t(1) << filterBits_)) {
        // Resizing re-reads everything indexed so far; doing it by doubling keeps the total
        // work linear.
        filtered_ += added;
        growFilter();
    } else {
        for (std::size_t i = indexedTo_; i < end; ++i)
            addToFilter(sequenceAt(joined_.data() + i));
        filtered_ += added;
    }

    if (exact_ && joined_.size() > kMaxExactText) {
        exact_ = false;
        runs_.clear();
        runs_.shrink_to_fit();
    }
    if (exact_) {
        for (std::size_t from = indexedTo_; from < end; from += kRunPiece)
            addRun(from, std::min(end, from + kRunPiece));
    }
    indexedTo_ = end;
}

void PresenceIndex::growFilter() {
    unsigned bits = kMinFilterBits;
    while ((std::size_t(1) << bits) < filtered_ * kBitsPerSequence && bits < 40)
        ++bits;
    filterBits_ = bits;
    filter_.assign((std::size_t(1) << bits) / 64, 0);
    const std::size_t end = joined_.size() - kSequenceLength + 1;
    for (std::size_t i = 0; i < end; ++i)
        addToFilter(sequenceAt(joined_.data() + i));
}

void PresenceIndex::addToFilter(std::uint64_t sequence) {
    const std::uint64_t a = mix(sequence, 0x9E3779B97F4A7C15ull) >> (64 - filterBits_);
    const std::uint64_t b = mix(sequence, 0xC2B2AE3D27D4EB4Full) >> (64 - filterBits_);
    filter_[a / 64] |= std::uint64_t(1) << (a % 64);
    filter_[b / 64] |= std::uint64_t(1) << (b % 64);
}

bool PresenceIndex::filterMayHold(std::uint64_t sequence) const {
    const std::uint64_t a = mix(sequence, 0x9E3779B97F4A7C15ull) >> (64 - filterBits_);
    const std::uint64_t b = mix(sequence, 0xC2B2AE3D27D4EB4Full) >> (64 - filterBits_);
    return (filter_[a / 64] >> (a % 64) & 1) && (filter_[b / 64] >> (b % 64) & 1);
}

void PresenceIndex::addRun(std::size_t from, std::size_t to) {
    std::vector<Entry> entries;
    entries.reserve(to - from);
    for (std::size_t i = from; i < to; ++i)
        entries.push_back({sequenceAt(joined_.data() + i), std::uint32_t(i)});
    if (entries.size() > 4096)
        radixSort(entries);
    else
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.sequence < b.sequence; });
    Run run;
    run.sequences.reserve(entries.size());
    run.offsets.reserve(entries.size());
    for (const Entry& e : entries) {
        // The first of equal sequences has the lowest offset.
        if (run.sequences.empty() || run.sequences.back() != e.sequence) {
            run.sequences.push_back(e.sequence);
            run.offsets.push_back(e.offset);
        }
    }
    entries = {};
    runs_.push_back(std::move(run));

    // Keep each run at least twice the size of the next. Older runs hold earlier text, so
    // where both runs hold a sequence the older one's offset is the first.
    while (runs_.size() >= 2 && runs_[runs_.size() - 2].size() <= 2 * runs_.back().size()) {
        const Run& older = runs_[runs_.size() - 2];
        const Run& newer = runs_.back();
        Run merged;
        merged.sequences.reserve(older.size() + newer.size());
        merged.offsets.reserve(older.size() + newer.size());
        std::size_t i = 0;
        std::size_t j = 0;
        while (i < older.size() || j < newer.size()) {
            const bool takeOlder =
                j == newer.size() || (i < older.size() && older.sequences[i] <= newer.sequences[j]);
            if (takeOlder) {
                if (j < newer.size() && newer.sequences[j] == older.sequences[i])
                    ++j;
                merged.sequences.push_back(older.sequences[i]);
                merged.offsets.push_back(older.offsets[i]);
                ++i;
            } else {
                merged.sequences.push_back(newer.sequences[j]);
                merged.offsets.push_back(newer.offsets[j]);
                ++j;
            }
        }
        runs_.pop_back();
        runs_.back() = std::move(merged);
    }
}

bool PresenceIndex::exactHoldsPrefix(std::string_view prefix) const {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    for (std::size_t i = 0; i < kSequenceLength; ++i) {
        const unsigned byte = i < prefix.size() ? static_cast<unsigned char>(prefix[i]) : 0;
        low = (low << 8) | byte;
        high = (high << 8) | (i < prefix.size() ? byte : 0xFF);
    }
    for (const Run& run : runs_) {
        const auto it = std::lower_bound(run.sequences.begin(), run.sequences.end(), low);
        if (it != run.sequences.end() && *it <= high)
            return true;
    }
    return false;
}

std::size_t PresenceIndex::firstOccurrence(std::uint64_t sequence) const {
    std::size_t first = std::string::npos;
    for (const Run& run : runs_) {
        const auto it = std::lower_bound(run.sequences.begin(), run.sequences.end(), sequence);
        if (it != run.sequences.end() && *it == sequence)
            first =
                std::min<std::size_t>(first, run.offsets[std::size_t(it - run.sequences.begin())]);
    }
    return first;
}

bool PresenceIndex::isLine(std::string_view needle) const {
    const auto [from, to] = lineHashes_.equal_range(std::hash<std::string_view>{}(needle));
    for (auto it = from; it != to; ++it) {
        const auto [start, length] = it->second;
        if (std::string_view(joined_.data() + start, length) == needle)
            return true;
    }
    return false;
}

void PresenceIndex::rebuild() {
    joined_.clear();
    lines_ = 0;
    lineHashes_.clear();
    indexedTo_ = 0;
    filter_.clear();
    filterBits_ = kMinFilterBits;
    filter_.assign((std::size_t(1) << filterBits_) / 64, 0);
    filtered_ = 0;
    runs_.clear();
    exact_ = true;
    // All lines first, then one pass of indexing over the whole text.
    append(0, box_.count() - 1);
    valid_ = true;
}

const std::string& PresenceIndex::joinedText() {
    if (!valid_ || lines_ != box_.count())
        rebuild();
    return joined_;
}

bool PresenceIndex::contains(const QString& candidate) {
    if (candidate.isEmpty())
        return false;
    const std::string& text = joinedText();
    const std::string needleBytes = candidate.toStdString();
    const std::string_view needle(needleBytes);
    if (needle.size() > text.size())
        return false;
    if (isLine(needle))
        return true;

    if (needle.size() <= kSequenceLength && exact_) {
        // Every position of the text but the last few begins an indexed sequence; the
        // needle is there exactly when one of them begins with it, or it is in the tail.
        if (exactHoldsPrefix(needle))
            return true;
        return std::string_view(text).substr(indexedTo_).find(needle) != std::string_view::npos;
    }
    std::size_t from = 0;
    if (needle.size() > kSequenceLength) {
        for (std::size_t i = 0; i + kSequenceLength <= needle.size(); ++i) {
            if (!filterMayHold(sequenceAt(needle.data() + i)))
                return false;
        }
        // The filter lets a few through; the exact index settles most of those, and says
        // where the needle could start at the earliest: its first sequence cannot be found
        // before that sequence first occurs, nor its last one.
        if (exact_) {
            const std::size_t lastAt = needle.size() - kSequenceLength;
            const std::size_t head = firstOccurrence(sequenceAt(needle.data()));
            const std::size_t tail = firstOccurrence(sequenceAt(needle.data() + lastAt));
            if (head == std::string::npos || tail == std::string::npos)
                return false;
            from = std::max(head, tail >= lastAt ? tail - lastAt : 0);
        }
    }
    // UTF-8 never lets one character's bytes match inside another's, so a byte search finds
    // exactly the character matches.
    const std::boyer_moore_horspool_searcher searcher(needle.begin(), needle.end());
    return std::search(text.begin() + std::ptrdiff_t(from), text.end(), searcher) != text.end();
}

} // namespace playlist
