#pragma once

// Answers "is this text anywhere in the playlist?": a case-sensitive substring search of all
// lines joined by line breaks. Loading a list tests every entry against all the lines before
// it, so the joined text is kept between calls (extended as lines are appended at the end,
// rebuilt after any other change of the box) and searched with Boyer-Moore-Horspool.

#include <QObject>
#include <QString>
#include <string>

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

    QListWidget& box_;
    std::string joined_;
    int lines_ = 0;
    bool valid_ = false;
};

} // namespace playlist
