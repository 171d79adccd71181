#pragma once

// Answers "is this text anywhere in the playlist?": a case-sensitive substring search of all
// lines joined by line breaks. Loading a list tests every entry against all the lines before
// it, which is quadratic, so:
// - the joined text is kept between calls, extended as lines are appended at the end and
//   rebuilt after any other change of the box;
// - a bit set records (hashes of) every 8-byte sequence of the text. A candidate holding a
//   sequence the set lacks cannot occur in the text, which settles nearly every new entry
//   without a scan. Only when the set cannot rule the candidate out is the text searched,
//   with Boyer-Moore-Horspool. The answer is always that of the plain substring search.

#include <QObject>
#include <QString>
#include <cstdint>
#include <string>
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
    void recordSequences(std::size_t from);
    bool mayContain(const std::string& needle) const;

    QListWidget& box_;
    std::string joined_;
    std::vector<std::uint64_t> sequences_;
    int lines_ = 0;
    bool valid_ = false;
};

} // namespace playlist
