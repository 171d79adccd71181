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
// after it, so one bad byte never costs the rest of the text.
QString decodeGb18030(QByteArrayView bytes);

// Encodes to GB18030, which can represent every code point.
QByteArray encodeGb18030(const QString& text);

// Decodes a text file of unknown origin: a byte-order mark (UTF-8, UTF-16) decides; else valid
// UTF-8 is taken as UTF-8 and anything else as GB18030. The mark is not part of the result.
QString decodeText(QByteArrayView bytes);

} // namespace platform
