#include "swf/media/WavFile.h"

#include "swf/format/Reader.h"

#include <QtEndian>

namespace swf::media {

namespace {

void put32(QByteArray& b, uint32_t v) {
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}
void put16(QByteArray& b, uint16_t v) {
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}

} // namespace

QByteArray encodeWav(const WavData& wav) {
    const uint32_t dataBytes = static_cast<uint32_t>(wav.samples.size() * 2);
    QByteArray b;
    b.reserve(44 + static_cast<qsizetype>(dataBytes));
    b.append("RIFF");
    put32(b, 36 + dataBytes);
    b.append("WAVEfmt ");
    put32(b, 16);
    put16(b, 1); // PCM
    put16(b, static_cast<uint16_t>(wav.channels));
    put32(b, static_cast<uint32_t>(wav.rate));
    put32(b, static_cast<uint32_t>(wav.rate * wav.channels * 2));
    put16(b, static_cast<uint16_t>(wav.channels * 2));
    put16(b, 16);
    b.append("data");
    put32(b, dataBytes);
    for (int16_t s : wav.samples)
        put16(b, static_cast<uint16_t>(s));
    return b;
}

Result<WavData> decodeWav(const QByteArray& bytes) {
    const Error bad{QStringLiteral("Not a 16-bit PCM WAVE file.")};
    Reader r(bytes);
    if (r.bytes(4) != "RIFF")
        return bad;
    r.u32();
    if (r.bytes(4) != "WAVE")
        return bad;
    WavData wav;
    bool haveFormat = false;
    while (!r.atEnd()) {
        const QByteArray id = r.bytes(4);
        const uint32_t size = r.u32();
        if (r.failed() || size > r.remaining())
            return bad;
        Reader chunk = r.sub(size);
        if (size & 1)
            r.skip(std::min<std::size_t>(1, r.remaining()));
        if (id == "fmt ") {
            const uint16_t format = chunk.u16();
            wav.channels = chunk.u16();
            wav.rate = static_cast<int>(chunk.u32());
            chunk.skip(6);
            const uint16_t bits = chunk.u16();
            if (chunk.failed() || format != 1 || bits != 16 || wav.channels < 1)
                return bad;
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat)
                return bad;
            wav.samples.resize(size / 2);
            for (auto& s : wav.samples)
                s = chunk.s16();
            return wav;
        }
    }
    return bad;
}

} // namespace swf::media
