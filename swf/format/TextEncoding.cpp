#include "swf/format/TextEncoding.h"

#include <QList>
#include <cerrno>
#include <iconv.h>

namespace swf {

std::optional<QString> decodeCodePage(const QByteArray& bytes, const char* codePage) {
    if (bytes.isEmpty())
        return QString();
    iconv_t cd = iconv_open("UTF-8", codePage);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    QByteArray out;
    out.resize(bytes.size() * 4 + 8);
    // iconv's interface takes non-const input pointers but never writes through them.
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char* o = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    const size_t rc = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || inLeft != 0)
        return std::nullopt;
    out.resize(out.size() - static_cast<qsizetype>(outLeft));
    return QString::fromUtf8(out);
}

QString decodeMovieString(const QByteArray& bytes, int swfVersion, bool shiftJis) {
    if (swfVersion >= 6)
        return QString::fromUtf8(bytes);
    bool ascii = true;
    for (char c : bytes)
        ascii &= static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return QString::fromLatin1(bytes);
    if (shiftJis)
        if (auto s = decodeCodePage(bytes, "SHIFT_JIS"))
            return *s;
    if (auto s = decodeCodePage(bytes, "GBK"))
        return *s;
    if (auto s = decodeCodePage(bytes, "CP1252"))
        return *s;
    return QString::fromLatin1(bytes);
}

char32_t decodeFontCode(uint16_t code, int swfVersion, bool shiftJis, bool unicode) {
    if (unicode || swfVersion >= 6 || code < 0x80)
        return code;
    QByteArray bytes;
    if (code > 0xff)
        bytes.append(static_cast<char>(code >> 8));
    bytes.append(static_cast<char>(code & 0xff));
    const QString s = decodeMovieString(bytes, swfVersion, shiftJis);
    if (s.isEmpty())
        return code;
    return s.toUcs4().value(0, code);
}

} // namespace swf
