#include "playlist/PresenceIndex.h"

#include <QListWidget>
#include <algorithm>
#include <cstring>
#include <functional>

namespace playlist {

namespace {

constexpr std::size_t kSequenceLength = 8;
constexpr unsigned kSetBits = 23; // 8 Mibit = 1 MiB, a few per cent full at 10,000 entries

std::size_t sequenceHash(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return static_cast<std::size_t>((v * 0x9E3779B97F4A7C15ull) >> (64 - kSetBits));
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
    const std::size_t before = joined_.size();
    for (int row = first; row <= last; ++row) {
        const QListWidgetItem* item = box_.item(row);
        if (lines_ > 0)
            joined_ += '\n';
        if (item)
            joined_ += item->text().toStdString();
        ++lines_;
    }
    // The sequences that end in the new text, including those reaching back across the join.
    recordSequences(before >= kSequenceLength - 1 ? before - (kSequenceLength - 1) : 0);
}

void PresenceIndex::recordSequences(std::size_t from) {
    if (sequences_.empty())
        sequences_.assign((std::size_t(1) << kSetBits) / 64, 0);
    const char* text = joined_.data();
    for (std::size_t i = from; i + kSequenceLength <= joined_.size(); ++i) {
        const std::size_t h = sequenceHash(text + i);
        sequences_[h / 64] |= std::uint64_t(1) << (h % 64);
    }
}

bool PresenceIndex::mayContain(const std::string& needle) const {
    if (needle.size() < kSequenceLength || sequences_.empty())
        return true;
    for (std::size_t i = 0; i + kSequenceLength <= needle.size(); ++i) {
        const std::size_t h = sequenceHash(needle.data() + i);
        if (!(sequences_[h / 64] & (std::uint64_t(1) << (h % 64))))
            return false;
    }
    return true;
}

void PresenceIndex::rebuild() {
    joined_.clear();
    std::fill(sequences_.begin(), sequences_.end(), 0);
    lines_ = 0;
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
    const std::string needle = candidate.toStdString();
    if (needle.size() > text.size() || !mayContain(needle))
        return false;
    // UTF-8 never lets one character's bytes match inside another's, so a byte search finds
    // exactly the character matches.
    const std::boyer_moore_horspool_searcher searcher(needle.begin(), needle.end());
    return std::search(text.begin(), text.end(), searcher) != text.end();
}

} // namespace playlist
