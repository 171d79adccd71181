#pragma once

// Answers "is this text anywhere in the playlist?": a case-sensitive substring search of all
// lines joined by line breaks. Loading a list tests every entry against all the lines before
// it, which would be quadratic with a plain search, so the joined text is kept between calls
// (extended as lines are appended at the end, rebuilt after any other change of the box) and
// indexed three ways:
// - the whole lines, by hash: a repeated entry is found at once;
// - every 8-byte sequence, exactly, with where it first occurs, in sorted runs: a candidate of
//   up to 8 bytes is answered by looking up the sequences it begins, with no search at all,
//   and a longer one cannot start before its first and last sequences first occur;
// - every 8-byte sequence again in a Bloom filter sized to the text: a longer candidate
//   holding a sequence the text lacks cannot occur in it.
// Only a longer candidate that none of them rules out is searched for, with Boyer-Moore-
// Horspool, from the first place it could start. The answer is always that of the plain substring
// search.

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
    // Past this much text the exact sequence index would cost more memory than it is worth
    // (12 bytes per byte of text); candidates are then searched for whenever the filter
    // cannot rule them out.
    static constexpr std::size_t kMaxExactText = std::size_t(16) << 20;

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
    bool exactHoldsPrefix(std::string_view prefix) const;
    // Where the sequence first occurs in the text, or npos.
    std::size_t firstOccurrence(std::uint64_t sequence) const;
    void addRun(std::size_t from, std::size_t to);
    bool isLine(std::string_view needle) const;

    QListWidget& box_;
    std::string joined_;
    int lines_ = 0;
    bool valid_ = false;

    // Hash of a line's text -> where the line starts in joined_ and its length.
    std::unordered_multimap<std::size_t, std::pair<std::size_t, std::size_t>> lineHashes_;

    // Sequences starting before this offset are in the indexes; the last few bytes of the
    // text wait until a line appended after them completes their sequences.
    std::size_t indexedTo_ = 0;

    std::vector<std::uint64_t> filter_;
    unsigned filterBits_ = 0; // log2 of the filter's size in bits
    std::size_t filtered_ = 0;

    // Distinct sequences in ascending order, each with its first offset in the text.
    struct Run {
        std::vector<std::uint64_t> sequences;
        std::vector<std::uint32_t> offsets;
        std::size_t size() const { return sequences.size(); }
    };
    // Largest first; merged as they pile up so that there are only logarithmically many.
    std::vector<Run> runs_;
    bool exact_ = true;
};

} // namespace playlist
