#include "tests/support/SwfWriter.h"

#include <QtEndian>
#include <cmath>
#include <lzma.h>
#include <stdexcept>
#include <zlib.h>

namespace testsupport {

void BitWriter::ub(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
        current_ = static_cast<uint8_t>(current_ << 1 | ((value >> i) & 1u));
        if (++used_ == 8) {
            data_.append(static_cast<char>(current_));
            current_ = 0;
            used_ = 0;
        }
    }
}

void BitWriter::sb(int32_t value, int bits) {
    ub(static_cast<uint32_t>(value) & (bits >= 32 ? 0xffffffffu : ((1u << bits) - 1)), bits);
}

void BitWriter::align() {
    if (used_ > 0)
        ub(0, 8 - used_);
}

void BitWriter::u8(uint8_t v) {
    align();
    data_.append(static_cast<char>(v));
}

void BitWriter::u16(uint16_t v) {
    u8(v & 0xff);
    u8(v >> 8);
}

void BitWriter::u32(uint32_t v) {
    u16(v & 0xffff);
    u16(v >> 16);
}

void BitWriter::bytes(const QByteArray& b) {
    align();
    data_.append(b);
}

int BitWriter::bitsForSigned(int32_t v) {
    int bits = 1;
    while (bits < 32 && (v < -(1 << (bits - 1)) || v > (1 << (bits - 1)) - 1))
        ++bits;
    return bits;
}

int BitWriter::bitsForUnsigned(uint32_t v) {
    int bits = 0;
    while (bits < 32 && (v >> bits) != 0)
        ++bits;
    return bits;
}

void BitWriter::rect(int xmin, int xmax, int ymin, int ymax) {
    int n = 1;
    for (int v : {xmin, xmax, ymin, ymax})
        n = std::max(n, bitsForSigned(v));
    ub(static_cast<uint32_t>(n), 5);
    sb(xmin, n);
    sb(xmax, n);
    sb(ymin, n);
    sb(ymax, n);
    align();
}

void BitWriter::rgb(QColor c) {
    u8(static_cast<uint8_t>(c.red()));
    u8(static_cast<uint8_t>(c.green()));
    u8(static_cast<uint8_t>(c.blue()));
}

void BitWriter::rgba(QColor c) {
    rgb(c);
    u8(static_cast<uint8_t>(c.alpha()));
}

void BitWriter::matrix(double a, double b, double c, double d, int tx, int ty) {
    align();
    const bool hasScale = a != 1.0 || d != 1.0;
    ub(hasScale, 1);
    if (hasScale) {
        const auto sa = static_cast<int32_t>(std::lround(a * 65536));
        const auto sd = static_cast<int32_t>(std::lround(d * 65536));
        const int n = std::max(bitsForSigned(sa), bitsForSigned(sd));
        ub(static_cast<uint32_t>(n), 5);
        sb(sa, n);
        sb(sd, n);
    }
    const bool hasRotate = b != 0.0 || c != 0.0;
    ub(hasRotate, 1);
    if (hasRotate) {
        const auto rb = static_cast<int32_t>(std::lround(b * 65536));
        const auto rc = static_cast<int32_t>(std::lround(c * 65536));
        const int n = std::max(bitsForSigned(rb), bitsForSigned(rc));
        ub(static_cast<uint32_t>(n), 5);
        sb(rb, n);
        sb(rc, n);
    }
    const int n = (tx == 0 && ty == 0) ? 0 : std::max(bitsForSigned(tx), bitsForSigned(ty));
    ub(static_cast<uint32_t>(n), 5);
    if (n > 0) {
        sb(tx, n);
        sb(ty, n);
    }
    align();
}

SwfWriter::SwfWriter(int widthPx, int heightPx, double frameRate, int version)
    : width_(widthPx), height_(heightPx), frameRate_(frameRate), version_(version) {}

void SwfWriter::tag(int code, const QByteArray& body, bool forceLong) {
    BitWriter w;
    if (body.size() >= 0x3f || forceLong) {
        w.u16(static_cast<uint16_t>(code << 6 | 0x3f));
        w.u32(static_cast<uint32_t>(body.size()));
    } else {
        w.u16(static_cast<uint16_t>(code << 6 | body.size()));
    }
    w.bytes(body);
    tags_.append(w.data());
}

void SwfWriter::setBackgroundColor(QColor c) {
    BitWriter w;
    w.rgb(c);
    tag(9, w.data());
}

void SwfWriter::showFrame() {
    tag(1, {});
    ++frames_;
}

void SwfWriter::frameLabel(const QByteArray& label) {
    QByteArray body = label;
    body.append('\0');
    tag(43, body);
}

void SwfWriter::defineRectShape(uint16_t id, QRect px, QColor fill, int version,
                                int lineWidthTwips, QColor line) {
    const int x0 = px.left() * 20, y0 = px.top() * 20;
    const int x1 = (px.left() + px.width()) * 20, y1 = (px.top() + px.height()) * 20;
    const int half = lineWidthTwips / 2;
    const bool alpha = version >= 3;
    BitWriter w;
    w.u16(id);
    w.rect(x0 - half, x1 + half, y0 - half, y1 + half);
    if (version == 4) {
        w.rect(x0, x1, y0, y1); // edge bounds
        w.u8(0);                // no scaling-stroke flags
    }
    // Fill styles.
    w.u8(1);
    w.u8(0x00);
    if (alpha)
        w.rgba(fill);
    else
        w.rgb(fill);
    // Line styles.
    const bool hasLine = lineWidthTwips > 0;
    w.u8(hasLine ? 1 : 0);
    if (hasLine) {
        w.u16(static_cast<uint16_t>(lineWidthTwips));
        if (version == 4) {
            w.u16(0); // round caps and joins, no fill
        }
        if (alpha)
            w.rgba(line);
        else
            w.rgb(line);
    }
    w.ub(1, 4); // fill bits
    w.ub(hasLine ? 1 : 0, 4);
    // Style change: move to (x0, y0), fill1 = 1, line = 1.
    w.ub(0, 1);
    w.ub(0, 1);                   // no new styles
    w.ub(hasLine ? 1 : 0, 1);     // line style
    w.ub(1, 1);                   // fill1
    w.ub(0, 1);                   // fill0
    w.ub(1, 1);                   // move
    const int mb = std::max(BitWriter::bitsForSigned(x0), BitWriter::bitsForSigned(y0));
    w.ub(static_cast<uint32_t>(mb), 5);
    w.sb(x0, mb);
    w.sb(y0, mb);
    w.ub(1, 1); // fill1 index
    if (hasLine)
        w.ub(1, 1);
    auto straight = [&w](int dx, int dy) {
        const int nb = std::max({BitWriter::bitsForSigned(dx), BitWriter::bitsForSigned(dy), 2});
        w.ub(1, 1); // edge
        w.ub(1, 1); // straight
        w.ub(static_cast<uint32_t>(nb - 2), 4);
        const bool general = dx != 0 && dy != 0;
        w.ub(general, 1);
        if (general) {
            w.sb(dx, nb);
            w.sb(dy, nb);
        } else {
            w.ub(dx == 0, 1); // vertical?
            w.sb(dx == 0 ? dy : dx, nb);
        }
    };
    straight(x1 - x0, 0);
    straight(0, y1 - y0);
    straight(x0 - x1, 0);
    straight(0, y0 - y1);
    w.ub(0, 6); // end of shape
    static constexpr int codes[] = {0, 2, 22, 32, 83};
    tag(codes[version], w.data());
}

void SwfWriter::placeObject2(uint16_t depth, uint16_t characterId, int xPx, int yPx) {
    BitWriter w;
    w.u8(0x06); // has matrix, has character
    w.u16(depth);
    w.u16(characterId);
    w.matrix(1, 0, 0, 1, xPx * 20, yPx * 20);
    tag(26, w.data());
}

void SwfWriter::moveObject2(uint16_t depth, int xPx, int yPx) {
    BitWriter w;
    w.u8(0x05); // has matrix, move
    w.u16(depth);
    w.matrix(1, 0, 0, 1, xPx * 20, yPx * 20);
    tag(26, w.data());
}

void SwfWriter::removeObject2(uint16_t depth) {
    BitWriter w;
    w.u16(depth);
    tag(28, w.data());
}

void SwfWriter::end() {
    if (!ended_) {
        tag(0, {});
        ended_ = true;
    }
}

QByteArray SwfWriter::finish(Compression compression, int frameCountOverride) {
    end();
    BitWriter after; // everything after the 8-byte signature/version/length
    after.rect(0, width_ * 20, 0, height_ * 20);
    after.u16(static_cast<uint16_t>(std::lround(frameRate_ * 256.0)));
    after.u16(static_cast<uint16_t>(frameCountOverride >= 0 ? frameCountOverride : frames_));
    QByteArray body = after.data();
    body.append(tags_);
    const auto fileLength = static_cast<uint32_t>(8 + body.size());

    QByteArray out;
    const char* sig = compression == Compression::None   ? "FWS"
                      : compression == Compression::Zlib ? "CWS"
                                                         : "ZWS";
    out.append(sig, 3);
    out.append(static_cast<char>(version_));
    char len[4];
    qToLittleEndian(fileLength, len);
    out.append(len, 4);
    if (compression == Compression::None) {
        out.append(body);
    } else if (compression == Compression::Zlib) {
        out.append(zlibCompress(body));
    } else {
        const QByteArray lz = lzmaCompressForSwf(body);
        char clen[4];
        qToLittleEndian(static_cast<uint32_t>(lz.size() - 5), clen);
        out.append(clen, 4);
        out.append(lz);
    }
    return out;
}

QByteArray SwfWriter::zlibCompress(const QByteArray& raw, int level) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    QByteArray out(static_cast<qsizetype>(size), '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(raw.constData()), static_cast<uLong>(raw.size()),
                  level) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    out.resize(static_cast<qsizetype>(size));
    return out;
}

QByteArray SwfWriter::lzmaCompressForSwf(const QByteArray& raw) {
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    lzma_stream strm = LZMA_STREAM_INIT;
    if (lzma_alone_encoder(&strm, &options) != LZMA_OK)
        throw std::runtime_error("lzma encoder failed");
    QByteArray out(raw.size() + raw.size() / 2 + 1024, '\0');
    strm.next_in = reinterpret_cast<const uint8_t*>(raw.constData());
    strm.avail_in = static_cast<size_t>(raw.size());
    strm.next_out = reinterpret_cast<uint8_t*>(out.data());
    strm.avail_out = static_cast<size_t>(out.size());
    const lzma_ret ret = lzma_code(&strm, LZMA_FINISH);
    const size_t produced = static_cast<size_t>(out.size()) - strm.avail_out;
    lzma_end(&strm);
    if (ret != LZMA_STREAM_END)
        throw std::runtime_error("lzma compression failed");
    out.resize(static_cast<qsizetype>(produced));
    // The .lzma header is 5 property bytes and an 8-byte size; a ZWS file keeps only the
    // properties.
    return out.left(5) + out.mid(13);
}

QByteArray makeMovingSquareMovie(int frames, double frameRate, int widthPx, int heightPx,
                                 Compression compression) {
    SwfWriter w(widthPx, heightPx, frameRate);
    w.setBackgroundColor(QColor(0x20, 0x30, 0x50));
    const int side = std::max(8, heightPx / 6);
    w.defineRectShape(1, QRect(0, 0, side, side), QColor(0xf0, 0xa0, 0x20));
    for (int i = 0; i < frames; ++i) {
        const int x = frames > 1 ? (widthPx - side) * i / (frames - 1) : 0;
        const int y = (heightPx - side) / 2;
        if (i == 0)
            w.placeObject2(1, 1, x, y);
        else
            w.moveObject2(1, x, y);
        w.showFrame();
    }
    return w.finish(compression);
}

} // namespace testsupport
