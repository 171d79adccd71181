#pragma once

// Text of files that may come from a Windows machine. Our own files are UTF-8; playlists
// written by the Windows build of the player are in code page 936 (GBK, read as its superset
// GB18030). Qt's own converters do not know GB18030, so the conversions go through iconv.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace platform {

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF).
bool isValidUtf8(QByteArrayView bytes);

// Decodes GB18030. A byte sequence that is not GB18030 becomes U+FFFD and decoding carries on
// after it, so one bad byte never costs the rest of the text. `replaced`, when given, is set
// to whether anything had to be replaced.
QString decodeGb18030(QByteArrayView bytes, bool* replaced = nullptr);

// Encodes to GB18030, which can represent every code point.
QByteArray encodeGb18030(const QString& text);

struct DecodedText {
    QString text;
    // Some bytes were neither UTF-8 nor GB18030 and became U+FFFD: writing the text back
    // would not give the original bytes.
    bool lossy = false;
};

// Decodes a text file of unknown origin: a byte-order mark (UTF-8, UTF-16) decides; without
// one, each line is taken as UTF-8 when it is valid UTF-8 and as GB18030 otherwise. Files
// edited on both kinds of system mix the two, and choosing one encoding for the whole file
// would garble every line of the other. The mark is not part of the result.
DecodedText decodeTextLines(QByteArrayView bytes);
inline QString decodeText(QByteArrayView bytes) {
    return decodeTextLines(bytes).text;
}

} // namespace platform
