#pragma once

// FLV files written tag by tag in tests: header, tags with their times and onMetaData in AMF0.

#include <QByteArray>
#include <bit>
#include <cstdint>

namespace flvwriter {

inline void put(QByteArray& out, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xff));
}

inline void putTag(QByteArray& out, uint8_t type, uint32_t timeMs, const QByteArray& body) {
    put(out, type, 1);
    put(out, static_cast<uint32_t>(body.size()), 3);
    put(out, timeMs & 0xffffff, 3);
    put(out, timeMs >> 24, 1);
    put(out, 0, 3);
    out.append(body);
    put(out, static_cast<uint32_t>(body.size() + 11), 4);
}

inline void amfString(QByteArray& out, const QByteArray& s) {
    put(out, static_cast<uint32_t>(s.size()), 2);
    out.append(s);
}

inline void amfNumber(QByteArray& out, double d) {
    out.append('\0');
    put(out, static_cast<uint32_t>(std::bit_cast<uint64_t>(d) >> 32), 4);
    put(out, static_cast<uint32_t>(std::bit_cast<uint64_t>(d)), 4);
}

inline QByteArray metaData(double duration, int width, int height) {
    QByteArray b;
    b.append('\x02');
    amfString(b, "onMetaData");
    b.append('\x08');
    put(b, 4, 4);
    amfString(b, "duration");
    amfNumber(b, duration);
    amfString(b, "width");
    amfNumber(b, width);
    amfString(b, "height");
    amfNumber(b, height);
    amfString(b, "title");
    b.append('\x02');
    amfString(b, "\xE6\xB5\x8B\xE8\xAF\x95"); // 测试
    amfString(b, "keyframes");
    b.append('\x0a');
    put(b, 2, 4);
    amfNumber(b, 0);
    amfNumber(b, 0.3);
    put(b, 0, 2);
    b.append('\x09');
    return b;
}

// The header of a file with video (and sound when asked), and the size of no tag before it.
inline QByteArray header(bool sound) {
    QByteArray flv("FLV\x01", 4);
    flv.append(static_cast<char>(sound ? 5 : 1));
    put(flv, 9, 4);
    put(flv, 0, 4);
    return flv;
}

} // namespace flvwriter
