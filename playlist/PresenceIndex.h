#pragma once

// Answers "is this text anywhere in the playlist?": a case-sensitive substring search of all
// lines joined by line breaks, for the commands that add a few entries at a time (a drop,
// the open dialog's selection). Loading a whole list decides in one pass instead (see
// ListLoadFilter). The joined text is kept between calls, extended as lines are appended at
// the end and rebuilt after any other change of the box, with two indexes:
// - the whole lines, by hash: a repeated entry is found at once;
// - every 8-byte sequence in a Bloom filter sized to the text: a candidate holding a
//   sequence the text lacks cannot occur in it, which settles nearly every new file name.
// Anything else is searched for with Boyer-Moore-Horspool. The answer is always that of the
// plain substring search.

#include <QObject>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QListWidget;

namespace playlist {

class PresenceIndex : public QObject {
    Q_OBJECT
public:
    explicit PresenceIndex(QListWidget& box, QObject* parent = nullptr);

    // An empty candidate is never present.
    bool contains(const QString& candidate);

    // The lines joined by "\n", UTF-8.
    const std::string& joinedText();

private:
    void rowsInserted(int first, int last);
    void invalidate() { valid_ = false; }
    void rebuild();
    void append(int first, int last);
    void indexNewText();
    void growFilter();
    void addToFilter(std::uint64_t sequence);
    bool filterMayHold(std::uint64_t sequence) const;
    bool isLine(std::string_view needle) const;

    QListWidget& box_;
    std::string joined_;
    int lines_ = 0;
    // Lines appended at the end since the last question; they are indexed when it comes, so
    // filling the box costs nothing here.
    int pendingFrom_ = -1;
    bool valid_ = false;

    // Hash of a line's text -> where the line starts in joined_ and its length.
    std::unordered_multimap<std::size_t, std::pair<std::size_t, std::size_t>> lineHashes_;

    // Sequences starting before this offset are in the filter; the last few bytes of the
    // text wait until a line appended after them completes their sequences.
    std::size_t indexedTo_ = 0;
    std::vector<std::uint64_t> filter_;
    unsigned filterBits_ = 0; // log2 of the filter's size in bits
    std::size_t filtered_ = 0;
};

} // namespace playlist
