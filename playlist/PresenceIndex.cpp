#include "playlist/PresenceIndex.h"

#include <QListWidget>
#include <algorithm>
#include <functional>

namespace playlist {

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
        if (item)
            joined_ += item->text().toStdString();
        ++lines_;
    }
}

void PresenceIndex::rebuild() {
    joined_.clear();
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
    if (needle.size() > text.size())
        return false;
    // UTF-8 never lets one character's bytes match inside another's, so a byte search finds
    // exactly the character matches.
    const std::boyer_moore_horspool_searcher searcher(needle.begin(), needle.end());
    return std::search(text.begin(), text.end(), searcher) != text.end();
}

} // namespace playlist
