#include "swf/media/Mp3Info.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>

namespace swf::media {

namespace {

uint32_t syncSafe(const QByteArray& b, qsizetype at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 7) | (static_cast<uint8_t>(b[at + i]) & 0x7f);
    return v;
}

uint32_t bigEndian(const QByteArray& b, qsizetype at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return v;
}

// Where a string of the encoding ends (its terminator or the end), and where what follows
// begins.
std::pair<qsizetype, qsizetype> terminated(const QByteArray& b, qsizetype from, int encoding) {
    const bool wide = encoding == 1 || encoding == 2;
    if (!wide) {
        const qsizetype nul = b.indexOf('\0', from);
        return nul < 0 ? std::pair{b.size(), b.size()} : std::pair{nul, nul + 1};
    }
    for (qsizetype i = from; i + 1 < b.size(); i += 2)
        if (b[i] == 0 && b[i + 1] == 0)
            return {i, i + 2};
    return {b.size(), b.size()};
}

QString decodeText(const QByteArray& bytes, int encoding) {
    switch (encoding) {
    case 1: {
        // UTF-16 with a byte-order mark (little-endian without one, as writers mostly are).
        if (bytes.startsWith("\xFE\xFF"))
            return QStringDecoder(QStringDecoder::Utf16BE)(bytes.mid(2));
        if (bytes.startsWith("\xFF\xFE"))
            return QStringDecoder(QStringDecoder::Utf16LE)(bytes.mid(2));
        return QStringDecoder(QStringDecoder::Utf16LE)(bytes);
    }
    case 2:
        return QStringDecoder(QStringDecoder::Utf16BE)(bytes);
    case 3:
        return QString::fromUtf8(bytes);
    default:
        return QString::fromLatin1(bytes);
    }
}

// A text frame's first value; a comment's text after its language and description.
QString frameText(const QString& id, const QByteArray& body) {
    if (body.isEmpty())
        return {};
    const int encoding = static_cast<uint8_t>(body[0]);
    if (encoding > 3)
        return {};
    qsizetype from = 1;
    if (id == QLatin1String("COMM")) {
        if (body.size() < 4)
            return {};
        from = terminated(body, 4, encoding).second;
    }
    const auto [end, next] = terminated(body, from, encoding);
    (void)next;
    return decodeText(body.mid(from, end - from), encoding);
}

// ID3 2.2's three-letter names of the frames Flash shows.
QString fromV22(const QByteArray& id) {
    static const std::array<std::pair<const char*, const char*>, 10> names{{
        {"TT2", "TIT2"},
        {"TT3", "TIT3"},
        {"TP1", "TPE1"},
        {"TP2", "TPE2"},
        {"TAL", "TALB"},
        {"TRK", "TRCK"},
        {"TYE", "TYER"},
        {"TCO", "TCON"},
        {"TCM", "TCOM"},
        {"COM", "COMM"},
    }};
    for (const auto& [from, to] : names)
        if (id == from)
            return QLatin1String(to);
    return {};
}

QByteArray removeUnsync(const QByteArray& b) {
    QByteArray out;
    out.reserve(b.size());
    for (qsizetype i = 0; i < b.size(); ++i) {
        out.append(b[i]);
        if (static_cast<uint8_t>(b[i]) == 0xff && i + 1 < b.size() && b[i + 1] == 0)
            ++i;
    }
    return out;
}

std::vector<Id3Frame> readV2(const QByteArray& mp3) {
    std::vector<Id3Frame> frames;
    const qsizetype total = Mp3Info::id3v2Size(mp3);
    if (total == 0)
        return frames;
    const int version = static_cast<uint8_t>(mp3[3]);
    const uint8_t flags = static_cast<uint8_t>(mp3[5]);
    QByteArray tag = mp3.mid(10, total - 10 - ((flags & 0x10) ? 10 : 0));
    if ((flags & 0x80) && version < 4)
        tag = removeUnsync(tag);
    qsizetype pos = 0;
    if ((flags & 0x40) && version >= 3 && tag.size() >= 4) {
        const uint32_t extended = version == 4 ? syncSafe(tag, 0) : bigEndian(tag, 0, 4) + 4;
        pos =
            static_cast<qsizetype>(std::min<uint32_t>(extended, static_cast<uint32_t>(tag.size())));
    }
    const int headerSize = version == 2 ? 6 : 10;
    while (pos + headerSize <= tag.size()) {
        if (tag[pos] == 0)
            break; // padding
        const QByteArray rawId = tag.mid(pos, version == 2 ? 3 : 4);
        const uint32_t size = version == 2   ? bigEndian(tag, pos + 3, 3)
                              : version == 4 ? syncSafe(tag, pos + 4)
                                             : bigEndian(tag, pos + 4, 4);
        const uint16_t frameFlags = version == 2 ? 0 : bigEndian(tag, pos + 8, 2);
        pos += headerSize;
        if (size > static_cast<uint32_t>(tag.size() - pos))
            break;
        QByteArray body = tag.mid(pos, size);
        pos += size;
        // Compressed or encrypted frames are not read; grouped ones carry a byte before.
        const bool packed = version == 4 ? (frameFlags & 0x000c) : (frameFlags & 0x00c0);
        if (packed)
            continue;
        if (version == 4) {
            if (frameFlags & 0x0040)
                body.remove(0, 1);
            if (frameFlags & 0x0001)
                body.remove(0, 4);
            if (frameFlags & 0x0002)
                body = removeUnsync(body);
        } else if (version == 3 && (frameFlags & 0x0020)) {
            body.remove(0, 1);
        }
        const QString id = version == 2 ? fromV22(rawId) : QString::fromLatin1(rawId);
        if (id.size() != 4 || (!id.startsWith(QLatin1Char('T')) && id != QLatin1String("COMM")) ||
            id == QLatin1String("TXXX"))
            continue;
        frames.push_back({id, frameText(id, body)});
    }
    return frames;
}

std::vector<Id3Frame> readV1(const QByteArray& mp3) {
    std::vector<Id3Frame> frames;
    if (mp3.size() < 128)
        return frames;
    const QByteArray tag = mp3.right(128);
    if (!tag.startsWith("TAG"))
        return frames;
    const auto field = [&](int at, int length) {
        QByteArray b = tag.mid(at, length);
        const qsizetype nul = b.indexOf('\0');
        if (nul >= 0)
            b.truncate(nul);
        return QString::fromLatin1(b).trimmed();
    };
    const auto add = [&](const char* id, const QString& text) {
        if (!text.isEmpty())
            frames.push_back({QLatin1String(id), text});
    };
    add("TIT2", field(3, 30));
    add("TPE1", field(33, 30));
    add("TALB", field(63, 30));
    add("TYER", field(93, 4));
    // ID3 1.1 keeps the track in the comment's last byte, behind a zero.
    const bool hasTrack = tag[125] == 0 && tag[126] != 0;
    add("COMM", field(97, hasTrack ? 28 : 30));
    if (hasTrack)
        add("TRCK", QString::number(static_cast<uint8_t>(tag[126])));
    return frames;
}

} // namespace

qsizetype Mp3Info::id3v2Size(const QByteArray& mp3) {
    if (mp3.size() < 10 || !mp3.startsWith("ID3"))
        return 0;
    const int version = static_cast<uint8_t>(mp3[3]);
    if (version < 2 || version > 4)
        return 0;
    const qsizetype size = 10 + static_cast<qsizetype>(syncSafe(mp3, 6)) +
                           ((static_cast<uint8_t>(mp3[5]) & 0x10) ? 10 : 0);
    return std::min(size, mp3.size());
}

std::vector<Id3Frame> Mp3Info::id3(const QByteArray& mp3) {
    auto frames = readV2(mp3);
    return frames.empty() ? readV1(mp3) : frames;
}

bool Mp3Info::hasId3(const QByteArray& mp3) {
    return id3v2Size(mp3) > 0 || (mp3.size() >= 128 && mp3.right(128).startsWith("TAG"));
}

double Mp3Info::durationMs(const QByteArray& mp3) {
    static constexpr int kBitrates[2][3][16] = {
        // MPEG 1: layers I, II, III
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
        // MPEG 2 and 2.5
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
    };
    static constexpr int kRates[4][3] = {
        {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    qsizetype pos = id3v2Size(mp3);
    qsizetype end = mp3.size();
    if (end - pos >= 128 && mp3.right(128).startsWith("TAG"))
        end -= 128;
    uint64_t samples = 0;
    int rate = 0;
    while (pos + 4 <= end) {
        const uint32_t h = bigEndian(mp3, pos, 4);
        const int version = (h >> 19) & 3; // 0: 2.5, 2: 2, 3: 1
        const int layer = (h >> 17) & 3;   // 1: III, 2: II, 3: I
        const int bitrateIndex = (h >> 12) & 15;
        const int rateIndex = (h >> 10) & 3;
        if ((h >> 21) != 0x7ff || version == 1 || layer == 0 || bitrateIndex == 0 ||
            bitrateIndex == 15 || rateIndex == 3) {
            ++pos; // not a frame: look for the next one
            continue;
        }
        const int sampleRate = kRates[version][rateIndex];
        const int kbps = kBitrates[version == 3 ? 0 : 1][3 - layer][bitrateIndex];
        const int padding = (h >> 9) & 1;
        int frameSamples;
        qsizetype length;
        if (layer == 3) {
            frameSamples = 384;
            length = (12 * kbps * 1000 / sampleRate + padding) * 4;
        } else {
            frameSamples = layer == 1 && version != 3 ? 576 : 1152;
            length = frameSamples / 8 * kbps * 1000 / sampleRate + padding;
        }
        if (length < 4)
            break;
        // A frame cut off by the end of the file is not heard.
        if (pos + length > end)
            break;
        samples += static_cast<uint64_t>(frameSamples);
        rate = sampleRate;
        pos += length;
    }
    if (rate == 0)
        return -1;
    return 1000.0 * static_cast<double>(samples) / rate;
}

} // namespace swf::media
