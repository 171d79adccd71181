#include "playlist/PresenceIndex.h"

#include <QListWidget>
#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>

namespace playlist {

namespace {

constexpr std::size_t kSequenceLength = 8;
constexpr unsigned kMinFilterBits = 16;
// Filter bits per indexed sequence after a resize; it grows again at half of this.
constexpr std::size_t kBitsPerSequence = 16;

std::uint64_t sequenceAt(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Both bits of a sequence lie in one 64-bit word: one cache miss per insert and per test.
struct FilterBits {
    std::size_t word;
    std::uint64_t mask;
};

FilterBits filterBits(std::uint64_t sequence, unsigned bits) {
    std::uint64_t h = sequence * 0x9E3779B97F4A7C15ull;
    h ^= h >> 32;
    h *= 0xC2B2AE3D27D4EB4Full;
    const std::size_t word = std::size_t(h >> (64 - (bits - 6)));
    return {word, (std::uint64_t(1) << (h & 63)) | (std::uint64_t(1) << ((h >> 6) & 63))};
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
    const bool atEnd = first == box_.count() - (last - first + 1);
    if (valid_ && atEnd && (pendingFrom_ >= 0 || first == lines_)) {
        if (pendingFrom_ < 0)
            pendingFrom_ = first;
    } else {
        invalidate();
    }
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
    filtered_ += added;
    if (filtered_ * (kBitsPerSequence / 2) > (std::size_t(1) << filterBits_)) {
        // Resizing re-reads everything indexed so far; doing it by doubling keeps the total
        // work linear.
        growFilter();
    } else {
        for (std::size_t i = indexedTo_; i < end; ++i)
            addToFilter(sequenceAt(joined_.data() + i));
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
    const FilterBits b = filterBits(sequence, filterBits_);
    filter_[b.word] |= b.mask;
}

bool PresenceIndex::filterMayHold(std::uint64_t sequence) const {
    const FilterBits b = filterBits(sequence, filterBits_);
    return (filter_[b.word] & b.mask) == b.mask;
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
    pendingFrom_ = -1;
    lineHashes_.clear();
    indexedTo_ = 0;
    filterBits_ = kMinFilterBits;
    filter_.assign((std::size_t(1) << filterBits_) / 64, 0);
    filtered_ = 0;
    // All lines first, then one pass of indexing over the whole text.
    append(0, box_.count() - 1);
    valid_ = true;
}

const std::string& PresenceIndex::joinedText() {
    if (valid_ && pendingFrom_ >= 0) {
        append(pendingFrom_, box_.count() - 1);
        pendingFrom_ = -1;
    }
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
    // A sequence of the needle that the filter lacks is not in the text. Sequences at every
    // position but the last few are in the filter, and a needle of 8 bytes or more never
    // starts among those.
    for (std::size_t i = 0; i + kSequenceLength <= needle.size(); ++i) {
        if (!filterMayHold(sequenceAt(needle.data() + i)))
            return false;
    }
    // UTF-8 never lets one character's bytes match inside another's, so a byte search finds
    // exactly the character matches.
    const std::boyer_moore_horspool_searcher searcher(needle.begin(), needle.end());
    return std::search(text.begin(), text.end(), searcher) != text.end();
}

} // namespace playlist
