#include "platform/CodePage.h"

#include <QStringDecoder>
#include <cerrno>
#include <iconv.h>

namespace platform {

namespace {

// Owns one iconv conversion descriptor.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid())
            iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

constexpr char kReplacementUtf8[] = "\xEF\xBF\xBD";

// Runs the whole input through the converter. Returns false when the converter cannot be
// opened. Input the converter rejects is replaced by `replacement` one byte at a time, and
// `replaced` counts how often that happened.
bool convert(const char* to, const char* from, QByteArrayView input, QByteArrayView replacement,
             QByteArray& output, qsizetype& replaced) {
    replaced = 0;
    IconvHandle handle(to, from);
    if (!handle.valid())
        return false;

    output.clear();
    output.reserve(input.size() + input.size() / 2 + 16);
    char buffer[4096];
    // iconv's interface takes non-const input pointers but never writes through them.
    char* in = const_cast<char*>(input.data());
    size_t inLeft = static_cast<size_t>(input.size());
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof(buffer);
        const size_t rc = iconv(handle.get(), &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<qsizetype>(out - buffer));
        if (rc != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ (an invalid sequence) or EINVAL (a sequence cut off by the end of the input).
        output.append(replacement);
        ++replaced;
        ++in;
        --inLeft;
        iconv(handle.get(), nullptr, nullptr, nullptr, nullptr);
    }
    // Flush any shift state; GB18030 has none, but the call is cheap and keeps this general.
    char* out = buffer;
    size_t outLeft = sizeof(buffer);
    iconv(handle.get(), nullptr, nullptr, &out, &outLeft);
    output.append(buffer, static_cast<qsizetype>(out - buffer));
    return true;
}

// Qt passes unpaired UTF-16 surrogates through; no encoding can write them back.
// A lone surrogate cannot be written back in any encoding the lists are saved in, so it
// becomes U+FFFD here; otherwise what is read and what is saved later would differ.
bool replaceLoneSurrogates(QString& text) {
    bool replaced = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            text[i] = QChar(0xFFFD);
            replaced = true;
        }
    }
    return replaced;
}

} // namespace

bool isValidUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        char32_t cp;
        char32_t minimum;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
            minimum = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
            minimum = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (n - i <= extra)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char cc = p[i + k];
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

QString decodeGb18030(QByteArrayView bytes, bool* replaced) {
    QByteArray utf8;
    qsizetype replacements = 0;
    if (!convert("UTF-8", "GB18030", bytes, kReplacementUtf8, utf8, replacements)) {
        // Without the converter only the ASCII part can be trusted.
        QString result;
        result.reserve(bytes.size());
        bool lost = false;
        for (const char c : bytes) {
            const bool ascii = static_cast<unsigned char>(c) < 0x80;
            lost = lost || !ascii;
            result.append(ascii ? QChar(c) : QChar(0xFFFD));
        }
        if (replaced)
            *replaced = lost;
        return result;
    }
    if (replaced)
        *replaced = replacements > 0;
    return QString::fromUtf8(utf8);
}

QByteArray encodeGb18030(const QString& text) {
    QByteArray out;
    // GB18030 maps every code point; a lone surrogate became U+FFFD in toUtf8() already.
    // '?' stands in only if the converter rejects something all the same.
    qsizetype replaced = 0;
    if (!convert("GB18030", "UTF-8", text.toUtf8(), "?", out, replaced))
        return text.toLatin1();
    return out;
}

DecodedText decodeTextLines(QByteArrayView bytes) {
    DecodedText result;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const auto encoding =
            bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
        // Stateless: a character cut off at the end is an error, not something to wait for.
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
        result.text = decoder(bytes.sliced(2));
        const bool replaced = replaceLoneSurrogates(result.text);
        result.lossy = decoder.hasError() || replaced;
        return result;
    }
    if (isValidUtf8(bytes)) {
        result.text = QString::fromUtf8(bytes);
        return result;
    }

    // Line breaks are ASCII in both encodings and GB18030 never uses CR or LF inside a
    // character, so a line can be judged on its own. Neighbouring GB18030 lines go to the
    // converter together, breaks included, to keep the number of conversions small.
    result.text.reserve(bytes.size());
    const qsizetype n = bytes.size();
    qsizetype gbStart = -1;
    const auto flushGb = [&](qsizetype end) {
        if (gbStart < 0)
            return;
        bool replaced = false;
        result.text += decodeGb18030(bytes.sliced(gbStart, end - gbStart), &replaced);
        result.lossy = result.lossy || replaced;
        gbStart = -1;
    };
    qsizetype pos = 0;
    while (true) {
        qsizetype end = pos;
        while (end < n && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const QByteArrayView line = bytes.sliced(pos, end - pos);
        if (isValidUtf8(line)) {
            flushGb(pos);
            result.text += QString::fromUtf8(line);
        } else if (gbStart < 0) {
            gbStart = pos;
        }
        if (end == n)
            break;
        if (gbStart < 0)
            result.text += QChar(bytes[end]);
        pos = end + 1;
    }
    flushGb(n);
    return result;
}

} // namespace platform
