#pragma once

// Strings inside movies. From SWF 6 on they are UTF-8; before that they are in the code page
// of the machine that made the movie, which for our users is mostly code page 936 (GBK), with
// Latin (1252) and Shift-JIS movies around as well. Qt knows none of these code pages, so the
// conversions go through the C library's iconv.

#include <QByteArray>
#include <QString>
#include <optional>

namespace swf {

// Decodes bytes strictly in the named iconv code page; nullopt when any byte sequence is not
// valid there (or the code page is unknown).
std::optional<QString> decodeCodePage(const QByteArray& bytes, const char* codePage);

// A movie's string (text, variable names, HTML). SWF 6 and later: UTF-8. Earlier: plain ASCII
// as it is; otherwise GBK when the bytes are valid GBK (Chinese movies), Shift-JIS for text
// whose font says so, and code page 1252 for the rest.
QString decodeMovieString(const QByteArray& bytes, int swfVersion, bool shiftJis = false);

// A code of a font's code table in an SWF 5 or earlier movie, where codes above 0xFF hold the
// two bytes of a double-byte character (lead byte high).
char32_t decodeFontCode(uint16_t code, int swfVersion, bool shiftJis, bool unicode);

} // namespace swf
