#pragma once

// Which entries of a list file the presence test lets into an empty playlist, worked out for
// the whole list at once. Loading adds an entry unless it occurs in the lines added before
// it. An entry that holds no line break can only occur inside one line, and an entry left
// out already occurs in an earlier line, so: an entry is left out exactly when it occurs in
// an earlier entry of the file, added or not. That needs one pass over the text, whatever
// the lengths of the entries, instead of one search per entry.

#include <QStringList>
#include <optional>
#include <vector>

namespace playlist {

class ListLoadFilter {
public:
    // For each value, whether loading it into a box that holds the values kept before it
    // adds it: it is not empty-and-present, i.e. an empty value is always kept and any other
    // is kept when no earlier value contains it. Nothing when a value holds a line break
    // (values read from a list file never do); the caller then tests them one by one.
    static std::optional<std::vector<bool>> keep(const QStringList& values);
};

} // namespace playlist
