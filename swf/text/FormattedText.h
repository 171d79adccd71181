#pragma once

// The text of a field with a format for every character. Paragraphs end at '\r' (Flash's own
// line end; '\n' is turned into it on the way in). Formats are shared through a small table, so
// a long text in a few formats costs two bytes a character.

#include "swf/text/TextFormat.h"

#include <QString>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace swf::text {

class FormattedText {
public:
    const QString& text() const { return text_; }
    int length() const { return static_cast<int>(text_.size()); }
    const TextFormat& formatAt(int i) const { return table_[index_[static_cast<std::size_t>(i)]]; }

    // Replaces [from, to) with s in format f (clamped to the text).
    void replace(int from, int to, const QString& s, const TextFormat& f);
    // Appends s in format f.
    void append(const QString& s, const TextFormat& f) { replace(length(), length(), s, f); }
    void clear();
    // Sets what p has on the characters of [from, to). Paragraph values go to whole paragraphs.
    void applyFormat(int from, int to, const PartialTextFormat& p);
    // The values the characters of [from, to) share; an empty range gives the character's at
    // from (or the last one's).
    PartialTextFormat formatOf(int from, int to) const;

    // The paragraph holding character i: [start, end) without its '\r'.
    std::pair<int, int> paragraphAt(int i) const;

    // Normalises line ends: "\r\n" and '\n' become '\r'.
    static QString normaliseLineEnds(const QString& s);

private:
    uint16_t intern(const TextFormat& f);

    QString text_;
    std::vector<uint16_t> index_;
    std::vector<TextFormat> table_;
    std::unordered_multimap<std::size_t, uint16_t> byHash_;
    uint64_t generation_ = 0; // counts compactions of the table
    bool saturated_ = false;  // compacting freed too little to be worth trying again
};

} // namespace swf::text
