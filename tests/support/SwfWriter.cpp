#include "tests/support/SwfWriter.h"

#include <QBuffer>
#include <QImageWriter>
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

void SwfWriter::defineRectShape(uint16_t id, QRect px, QColor fill, int version, int lineWidthTwips,
                                QColor line) {
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
    w.ub(0, 1);               // no new styles
    w.ub(hasLine ? 1 : 0, 1); // line style
    w.ub(1, 1);               // fill1
    w.ub(0, 1);               // fill0
    w.ub(1, 1);               // move
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

FillSpec FillSpec::solid(QColor c) {
    FillSpec f;
    f.color = c;
    return f;
}

FillSpec FillSpec::linear(QRect px, std::vector<std::pair<int, QColor>> stops, int spread) {
    FillSpec f;
    f.type = 0x10;
    f.stops = std::move(stops);
    f.spread = spread;
    const double sx = px.width() * 20.0 / 32768.0, sy = px.height() * 20.0 / 32768.0;
    f.matrix = QTransform(sx, 0, 0, sy, (px.left() + px.width() / 2.0) * 20,
                          (px.top() + px.height() / 2.0) * 20);
    return f;
}

FillSpec FillSpec::radial(QRect px, std::vector<std::pair<int, QColor>> stops, double focal) {
    FillSpec f = linear(px, std::move(stops));
    f.type = focal != 0 ? 0x13 : 0x12;
    f.focal = focal;
    return f;
}

FillSpec FillSpec::bitmap(uint16_t id, int type, int xPx, int yPx, double scale) {
    FillSpec f;
    f.type = type;
    f.bitmapId = id;
    f.matrix = QTransform(20 * scale, 0, 0, 20 * scale, xPx * 20, yPx * 20);
    return f;
}

ShapeSpec& ShapeSpec::style(int fill0, int fill1, int line) {
    ops.push_back({Op::Style, fill0, fill1, line, 0, {}, {}});
    return *this;
}
ShapeSpec& ShapeSpec::moveTo(int x, int y) {
    ops.push_back({Op::Move, x, y, 0, 0, {}, {}});
    return *this;
}
ShapeSpec& ShapeSpec::lineTo(int x, int y) {
    ops.push_back({Op::Line, x, y, 0, 0, {}, {}});
    return *this;
}
ShapeSpec& ShapeSpec::curveTo(int cx, int cy, int x, int y) {
    ops.push_back({Op::Curve, cx, cy, x, y, {}, {}});
    return *this;
}
ShapeSpec& ShapeSpec::newStyles(std::vector<FillSpec> f, std::vector<LineSpec> l) {
    ops.push_back({Op::NewStyles, 0, 0, 0, 0, std::move(f), std::move(l)});
    return *this;
}
ShapeSpec& ShapeSpec::rect(QRect px, int fill, int line) {
    const int x0 = px.left() * 20, y0 = px.top() * 20;
    const int x1 = (px.left() + px.width()) * 20, y1 = (px.top() + px.height()) * 20;
    style(0, fill, line);
    moveTo(x0, y0);
    lineTo(x1, y0);
    lineTo(x1, y1);
    lineTo(x0, y1);
    lineTo(x0, y0);
    return *this;
}

namespace {

void writeMatrix(BitWriter& w, const QTransform& m) {
    w.matrix(m.m11(), m.m12(), m.m21(), m.m22(), static_cast<int>(std::lround(m.dx())),
             static_cast<int>(std::lround(m.dy())));
}

void writeFill(BitWriter& w, const FillSpec& f, int version) {
    w.u8(static_cast<uint8_t>(f.type));
    if (f.type == 0x00) {
        if (version >= 3)
            w.rgba(f.color);
        else
            w.rgb(f.color);
    } else if (f.type >= 0x10 && f.type <= 0x13) {
        writeMatrix(w, f.matrix);
        w.ub(static_cast<uint32_t>(f.spread), 2);
        w.ub(static_cast<uint32_t>(f.interpolation), 2);
        w.ub(static_cast<uint32_t>(f.stops.size()), 4);
        for (const auto& [ratio, colour] : f.stops) {
            w.u8(static_cast<uint8_t>(ratio));
            if (version >= 3)
                w.rgba(colour);
            else
                w.rgb(colour);
        }
        if (f.type == 0x13)
            w.u16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(f.focal * 256))));
    } else {
        w.u16(f.bitmapId);
        writeMatrix(w, f.matrix);
    }
}

void writeStyles(BitWriter& w, const std::vector<FillSpec>& fills,
                 const std::vector<LineSpec>& lines, int version) {
    if (fills.size() >= 0xff) {
        w.u8(0xff);
        w.u16(static_cast<uint16_t>(fills.size()));
    } else {
        w.u8(static_cast<uint8_t>(fills.size()));
    }
    for (const auto& f : fills)
        writeFill(w, f, version);
    w.u8(static_cast<uint8_t>(lines.size()));
    for (const auto& l : lines) {
        w.u16(static_cast<uint16_t>(l.width));
        if (version == 4) {
            w.ub(static_cast<uint32_t>(l.startCap), 2);
            w.ub(static_cast<uint32_t>(l.join), 2);
            w.ub(l.fill ? 1 : 0, 1);
            w.ub(0, 1);
            w.ub(0, 1);
            w.ub(0, 1);
            w.ub(0, 5);
            w.ub(l.noClose ? 1 : 0, 1);
            w.ub(static_cast<uint32_t>(l.endCap), 2);
            if (l.join == 2)
                w.u16(3 * 256);
            if (l.fill)
                writeFill(w, *l.fill, version);
            else
                w.rgba(l.color);
        } else if (version == 3) {
            w.rgba(l.color);
        } else {
            w.rgb(l.color);
        }
    }
}

int indexBits(std::size_t count) {
    return BitWriter::bitsForUnsigned(static_cast<uint32_t>(count));
}

// Writes the shape records (and the index bit counts before them).
void writeRecords(BitWriter& w, const ShapeSpec& shape, int version, int fillCount, int lineCount) {
    int fillBits = indexBits(static_cast<std::size_t>(fillCount));
    int lineBits = indexBits(static_cast<std::size_t>(lineCount));
    w.ub(static_cast<uint32_t>(fillBits), 4);
    w.ub(static_cast<uint32_t>(lineBits), 4);
    int px = 0, py = 0;
    for (const auto& op : shape.ops) {
        switch (op.kind) {
        case ShapeSpec::Op::Style: {
            w.ub(0, 1);
            w.ub(0, 1); // new styles
            w.ub(op.c >= 0 ? 1 : 0, 1);
            w.ub(op.b >= 0 ? 1 : 0, 1);
            w.ub(op.a >= 0 ? 1 : 0, 1);
            w.ub(0, 1); // move
            if (op.a >= 0)
                w.ub(static_cast<uint32_t>(op.a), fillBits);
            if (op.b >= 0)
                w.ub(static_cast<uint32_t>(op.b), fillBits);
            if (op.c >= 0)
                w.ub(static_cast<uint32_t>(op.c), lineBits);
            break;
        }
        case ShapeSpec::Op::Move: {
            w.ub(0, 1);
            w.ub(0b00001, 5);
            const int n = std::max(BitWriter::bitsForSigned(op.a), BitWriter::bitsForSigned(op.b));
            w.ub(static_cast<uint32_t>(n), 5);
            w.sb(op.a, n);
            w.sb(op.b, n);
            px = op.a;
            py = op.b;
            break;
        }
        case ShapeSpec::Op::Line: {
            const int dx = op.a - px, dy = op.b - py;
            const int n = std::max({BitWriter::bitsForSigned(dx), BitWriter::bitsForSigned(dy), 2});
            w.ub(1, 1);
            w.ub(1, 1);
            w.ub(static_cast<uint32_t>(n - 2), 4);
            w.ub(1, 1); // general line
            w.sb(dx, n);
            w.sb(dy, n);
            px = op.a;
            py = op.b;
            break;
        }
        case ShapeSpec::Op::Curve: {
            const int cdx = op.a - px, cdy = op.b - py, adx = op.c - op.a, ady = op.d - op.b;
            const int n =
                std::max({BitWriter::bitsForSigned(cdx), BitWriter::bitsForSigned(cdy),
                          BitWriter::bitsForSigned(adx), BitWriter::bitsForSigned(ady), 2});
            w.ub(1, 1);
            w.ub(0, 1);
            w.ub(static_cast<uint32_t>(n - 2), 4);
            w.sb(cdx, n);
            w.sb(cdy, n);
            w.sb(adx, n);
            w.sb(ady, n);
            px = op.c;
            py = op.d;
            break;
        }
        case ShapeSpec::Op::NewStyles:
            w.ub(0, 1);
            w.ub(0b10000, 5);
            writeStyles(w, op.fills, op.lines, version);
            fillBits = indexBits(op.fills.size());
            lineBits = indexBits(op.lines.size());
            w.ub(static_cast<uint32_t>(fillBits), 4);
            w.ub(static_cast<uint32_t>(lineBits), 4);
            break;
        }
    }
    w.ub(0, 6);
    w.align();
}

} // namespace

void SwfWriter::defineShape(uint16_t id, const ShapeSpec& shape, int version) {
    // Bounds: every point the records visit, widened by half the widest line.
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0, widest = 0;
    bool any = false;
    const auto visit = [&](int x, int y) {
        x0 = any ? std::min(x0, x) : x;
        y0 = any ? std::min(y0, y) : y;
        x1 = any ? std::max(x1, x) : x;
        y1 = any ? std::max(y1, y) : y;
        any = true;
    };
    for (const auto& l : shape.lines)
        widest = std::max(widest, l.width);
    for (const auto& op : shape.ops) {
        if (op.kind == ShapeSpec::Op::Move || op.kind == ShapeSpec::Op::Line)
            visit(op.a, op.b);
        else if (op.kind == ShapeSpec::Op::Curve) {
            visit(op.a, op.b);
            visit(op.c, op.d);
        } else if (op.kind == ShapeSpec::Op::NewStyles) {
            for (const auto& l : op.lines)
                widest = std::max(widest, l.width);
        }
    }
    const int half = widest / 2 + 20;
    BitWriter w;
    w.u16(id);
    w.rect(x0 - half, x1 + half, y0 - half, y1 + half);
    if (version == 4) {
        w.rect(x0, x1, y0, y1);
        w.u8(0);
    }
    writeStyles(w, shape.fills, shape.lines, version);
    writeRecords(w, shape, version, static_cast<int>(shape.fills.size()),
                 static_cast<int>(shape.lines.size()));
    static constexpr int codes[] = {0, 2, 22, 32, 83};
    tag(codes[version], w.data());
}

void SwfWriter::defineBitsLossless(uint16_t id, const QImage& source, int version, int format) {
    const QImage img = source.convertToFormat(QImage::Format_ARGB32);
    QByteArray raw;
    int colours = 0;
    if (format == 3) {
        std::vector<QRgb> table;
        std::vector<uint8_t> indices;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb p = img.pixel(x, y);
                auto it = std::find(table.begin(), table.end(), p);
                if (it == table.end()) {
                    table.push_back(p);
                    it = table.end() - 1;
                }
                indices.push_back(static_cast<uint8_t>(it - table.begin()));
            }
        if (table.size() > 256)
            throw std::runtime_error("too many colours for a colour map");
        colours = static_cast<int>(table.size());
        for (QRgb p : table) {
            const int a = qAlpha(p);
            if (version == 2) {
                raw.append(static_cast<char>(qRed(p) * a / 255));
                raw.append(static_cast<char>(qGreen(p) * a / 255));
                raw.append(static_cast<char>(qBlue(p) * a / 255));
                raw.append(static_cast<char>(a));
            } else {
                raw.append(static_cast<char>(qRed(p)));
                raw.append(static_cast<char>(qGreen(p)));
                raw.append(static_cast<char>(qBlue(p)));
            }
        }
        const int stride = (img.width() + 3) & ~3;
        for (int y = 0; y < img.height(); ++y) {
            QByteArray row(stride, '\0');
            for (int x = 0; x < img.width(); ++x)
                row[x] = static_cast<char>(indices[static_cast<std::size_t>(y * img.width() + x)]);
            raw.append(row);
        }
    } else if (format == 4) {
        const int stride = (img.width() * 2 + 3) & ~3;
        for (int y = 0; y < img.height(); ++y) {
            QByteArray row(stride, '\0');
            for (int x = 0; x < img.width(); ++x) {
                const QRgb p = img.pixel(x, y);
                const int v = (qRed(p) >> 3) << 10 | (qGreen(p) >> 3) << 5 | (qBlue(p) >> 3);
                row[2 * x] = static_cast<char>(v >> 8);
                row[2 * x + 1] = static_cast<char>(v & 0xff);
            }
            raw.append(row);
        }
    } else {
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb p = img.pixel(x, y);
                const int a = version == 2 ? qAlpha(p) : 255;
                raw.append(static_cast<char>(version == 2 ? a : 0));
                raw.append(static_cast<char>(qRed(p) * a / 255));
                raw.append(static_cast<char>(qGreen(p) * a / 255));
                raw.append(static_cast<char>(qBlue(p) * a / 255));
            }
    }
    BitWriter w;
    w.u16(id);
    w.u8(static_cast<uint8_t>(format));
    w.u16(static_cast<uint16_t>(img.width()));
    w.u16(static_cast<uint16_t>(img.height()));
    if (format == 3)
        w.u8(static_cast<uint8_t>(colours - 1));
    w.bytes(zlibCompress(raw));
    tag(version == 2 ? 36 : 20, w.data(), true);
}

void SwfWriter::defineBitsJpeg2(uint16_t id, const QByteArray& data) {
    BitWriter w;
    w.u16(id);
    w.bytes(data);
    tag(21, w.data(), true);
}

void SwfWriter::defineBitsJpeg3(uint16_t id, const QByteArray& jpeg, const QByteArray& alpha,
                                bool version4) {
    BitWriter w;
    w.u16(id);
    w.u32(static_cast<uint32_t>(jpeg.size()));
    if (version4)
        w.u16(0);
    w.bytes(jpeg);
    w.bytes(zlibCompress(alpha));
    tag(version4 ? 90 : 35, w.data(), true);
}

void SwfWriter::jpegTablesAndDefineBits(uint16_t id, const QByteArray& jpeg) {
    // Quantisation and Huffman tables go to JPEGTables; everything else stays with the image.
    QByteArray tables = QByteArray::fromHex("ffd8");
    QByteArray image = QByteArray::fromHex("ffd8");
    qsizetype i = 2;
    while (i + 4 <= jpeg.size()) {
        const auto marker = static_cast<uint8_t>(jpeg[i + 1]);
        const int len = static_cast<uint8_t>(jpeg[i + 2]) << 8 | static_cast<uint8_t>(jpeg[i + 3]);
        if (marker == 0xda) { // start of scan: the rest is image data
            image.append(jpeg.mid(i));
            break;
        }
        const QByteArray segment = jpeg.mid(i, 2 + len);
        if (marker == 0xdb || marker == 0xc4)
            tables.append(segment);
        else
            image.append(segment);
        i += 2 + len;
    }
    tables.append(QByteArray::fromHex("ffd9"));
    tag(8, tables, true);
    BitWriter w;
    w.u16(id);
    w.bytes(image);
    tag(6, w.data(), true);
}

void SwfWriter::defineSprite(uint16_t id, SwfWriter& inner) {
    inner.end();
    BitWriter w;
    w.u16(id);
    w.u16(static_cast<uint16_t>(inner.frames_));
    w.bytes(inner.tags_);
    tag(39, w.data(), true);
}

void SwfWriter::defineMorphRect(uint16_t id, QRect a, QColor ca, QRect b, QColor cb, int version) {
    auto corners = [](QRect r) {
        return std::array<int, 4>{r.left() * 20, r.top() * 20, (r.left() + r.width()) * 20,
                                  (r.top() + r.height()) * 20};
    };
    const auto sa = corners(a), sb = corners(b);
    BitWriter w;
    w.u16(id);
    w.rect(sa[0], sa[2], sa[1], sa[3]);
    w.rect(sb[0], sb[2], sb[1], sb[3]);
    if (version == 2) {
        w.rect(sa[0], sa[2], sa[1], sa[3]);
        w.rect(sb[0], sb[2], sb[1], sb[3]);
        w.u8(0);
    }
    // Styles and the start edges first, to learn the offset of the end edges.
    BitWriter start;
    start.u8(1); // one fill
    start.u8(0x00);
    start.rgba(ca);
    start.rgba(cb);
    start.u8(0); // no lines
    ShapeSpec s;
    s.rect(a, 1);
    writeRecords(start, s, 3, 1, 0);
    ShapeSpec e;
    e.moveTo(sb[0], sb[1])
        .lineTo(sb[2], sb[1])
        .lineTo(sb[2], sb[3])
        .lineTo(sb[0], sb[3])
        .lineTo(sb[0], sb[1]);
    BitWriter end;
    writeRecords(end, e, 3, 0, 0);
    w.u32(static_cast<uint32_t>(start.data().size()));
    w.bytes(start.data());
    w.bytes(end.data());
    tag(version == 2 ? 84 : 46, w.data(), true);
}

void SwfWriter::defineButton2(uint16_t id,
                              const std::vector<std::tuple<int, uint16_t, uint16_t>>& records) {
    BitWriter w;
    w.u16(id);
    w.u8(0);  // not a menu button
    w.u16(0); // no actions
    for (const auto& [states, character, depth] : records) {
        w.u8(static_cast<uint8_t>(states));
        w.u16(character);
        w.u16(depth);
        w.identityMatrix();
        w.u8(0); // colour transform: no add, no multiply, 0 bits
    }
    w.u8(0);
    tag(34, w.data());
}

void SwfWriter::removeObject(uint16_t characterId, uint16_t depth) {
    BitWriter w;
    w.u16(characterId);
    w.u16(depth);
    tag(5, w.data());
}

void SwfWriter::placeObject1(uint16_t characterId, uint16_t depth, int xPx, int yPx) {
    BitWriter w;
    w.u16(characterId);
    w.u16(depth);
    w.matrix(1, 0, 0, 1, xPx * 20, yPx * 20);
    tag(4, w.data());
}

void SwfWriter::placeObject(const PlaceSpec& p) {
    BitWriter w;
    uint8_t flags = 0;
    if (p.move)
        flags |= 0x01;
    if (p.characterId)
        flags |= 0x02;
    if (p.matrix)
        flags |= 0x04;
    if (p.colorTransform)
        flags |= 0x08;
    if (p.ratio)
        flags |= 0x10;
    if (p.name)
        flags |= 0x20;
    if (p.clipDepth)
        flags |= 0x40;
    if (!p.clipActions.empty())
        flags |= 0x80;
    w.u8(flags);
    const bool v3 = p.blendMode || p.filters || p.cacheAsBitmap;
    if (v3)
        w.u8(static_cast<uint8_t>((p.filters ? 0x01 : 0) | (p.blendMode ? 0x02 : 0) |
                                  (p.cacheAsBitmap ? 0x04 : 0)));
    w.u16(p.depth);
    if (p.characterId)
        w.u16(*p.characterId);
    if (p.matrix)
        writeMatrix(w, *p.matrix);
    if (p.colorTransform) {
        const auto& c = *p.colorTransform;
        int n = 1;
        for (int v : c)
            n = std::max(n, BitWriter::bitsForSigned(v));
        w.ub(1, 1);
        w.ub(1, 1);
        w.ub(static_cast<uint32_t>(n), 4);
        for (int i = 0; i < 4; ++i)
            w.sb(c[static_cast<std::size_t>(i)], n);
        for (int i = 4; i < 8; ++i)
            w.sb(c[static_cast<std::size_t>(i)], n);
        w.align();
    }
    if (p.ratio)
        w.u16(*p.ratio);
    if (p.name) {
        w.bytes(*p.name);
        w.u8(0);
    }
    if (p.clipDepth)
        w.u16(*p.clipDepth);
    if (p.filters)
        w.bytes(*p.filters);
    if (p.blendMode)
        w.u8(static_cast<uint8_t>(*p.blendMode));
    if (p.cacheAsBitmap)
        w.u8(*p.cacheAsBitmap ? 1 : 0);
    if (!p.clipActions.empty()) {
        const bool wide = p.eventFlagBits.value_or(version_ >= 6 ? 32 : 16) == 32;
        const auto events = [&](uint32_t v) {
            if (wide)
                w.u32(v);
            else
                w.u16(static_cast<uint16_t>(v));
        };
        uint32_t all = 0;
        for (const ClipActionSpec& c : p.clipActions)
            all |= c.events;
        w.u16(0);
        events(all);
        for (const ClipActionSpec& c : p.clipActions) {
            events(c.events);
            const bool key = c.events & (1u << 17);
            w.u32(static_cast<uint32_t>(c.code.size() + (key ? 1 : 0)));
            if (key)
                w.u8(c.keyCode);
            w.bytes(c.code);
        }
        events(0);
    }
    tag(v3 ? 70 : 26, w.data());
}

namespace {

void writeColorTransformWithAlpha(BitWriter& w, const std::optional<std::array<int, 8>>& cx) {
    if (!cx) {
        w.u8(0); // no add, no multiply, 0 bits
        return;
    }
    int n = 1;
    for (int v : *cx)
        n = std::max(n, BitWriter::bitsForSigned(v));
    w.ub(1, 1);
    w.ub(1, 1);
    w.ub(static_cast<uint32_t>(n), 4);
    for (int v : *cx)
        w.sb(v, n);
    w.align();
}

void writeButtonRecords(BitWriter& w, const std::vector<ButtonRecordSpec>& records, bool v2) {
    for (const ButtonRecordSpec& r : records) {
        w.u8(static_cast<uint8_t>((r.states & 0x0f) | (v2 && r.blendMode ? 0x20 : 0)));
        w.u16(r.characterId);
        w.u16(r.depth);
        writeMatrix(w, r.matrix);
        if (v2) {
            writeColorTransformWithAlpha(w, r.colorTransform);
            if (r.blendMode)
                w.u8(static_cast<uint8_t>(*r.blendMode));
        }
    }
    w.u8(0);
}

} // namespace

void SwfWriter::defineButton(uint16_t id, const std::vector<ButtonRecordSpec>& records,
                             const QByteArray& actions) {
    BitWriter w;
    w.u16(id);
    writeButtonRecords(w, records, false);
    w.bytes(actions.isEmpty() ? QByteArray(1, '\0') : actions);
    tag(7, w.data());
}

void SwfWriter::defineButton2(uint16_t id, const std::vector<ButtonRecordSpec>& records,
                              const std::vector<ButtonCondSpec>& actions, bool trackAsMenu) {
    BitWriter body;
    writeButtonRecords(body, records, true);
    const QByteArray recordBytes = body.data();
    BitWriter w;
    w.u16(id);
    w.u8(trackAsMenu ? 1 : 0);
    // The offset counts from its own field to the first condition action.
    w.u16(actions.empty() ? 0 : static_cast<uint16_t>(2 + recordBytes.size()));
    w.bytes(recordBytes);
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const bool last = i + 1 == actions.size();
        w.u16(last ? 0 : static_cast<uint16_t>(4 + actions[i].code.size()));
        w.u16(actions[i].conditions);
        w.bytes(actions[i].code);
    }
    tag(34, w.data());
}

void SwfWriter::defineButtonCxform(uint16_t buttonId, const std::array<int, 6>& t) {
    BitWriter w;
    w.u16(buttonId);
    int n = 1;
    for (int v : t)
        n = std::max(n, BitWriter::bitsForSigned(v));
    w.ub(1, 1);
    w.ub(1, 1);
    w.ub(static_cast<uint32_t>(n), 4);
    for (int v : t)
        w.sb(v, n);
    w.align();
    tag(23, w.data());
}

void SwfWriter::doAction(const QByteArray& code) {
    tag(12, code);
}

void SwfWriter::doInitAction(uint16_t spriteId, const QByteArray& code) {
    BitWriter w;
    w.u16(spriteId);
    w.bytes(code);
    tag(59, w.data());
}

void SwfWriter::exportAssets(const std::vector<std::pair<uint16_t, QByteArray>>& names) {
    BitWriter w;
    w.u16(static_cast<uint16_t>(names.size()));
    for (const auto& [id, name] : names) {
        w.u16(id);
        w.bytes(name);
        w.u8(0);
    }
    tag(56, w.data());
}

void SwfWriter::fileAttributes(uint8_t flags) {
    BitWriter w;
    w.u8(flags);
    w.u8(0);
    w.u8(0);
    w.u8(0);
    tag(69, w.data());
}

QByteArray SwfWriter::encodeJpeg(const QImage& image, int quality) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32)))
        throw std::runtime_error("jpeg encoding failed");
    return out;
}

QByteArray SwfWriter::encodePng(const QImage& image) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw std::runtime_error("png encoding failed");
    return out;
}

} // namespace testsupport

namespace testsupport {

QByteArray SwfWriter::soundInfo(const SoundInfoSpec& info) {
    BitWriter w;
    uint8_t flags = 0;
    flags |= info.stop ? 0x20 : 0;
    flags |= info.noMultiple ? 0x10 : 0;
    flags |= info.envelope.empty() ? 0 : 0x08;
    flags |= info.loops ? 0x04 : 0;
    flags |= info.outPoint ? 0x02 : 0;
    flags |= info.inPoint ? 0x01 : 0;
    w.u8(flags);
    if (info.inPoint)
        w.u32(*info.inPoint);
    if (info.outPoint)
        w.u32(*info.outPoint);
    if (info.loops)
        w.u16(*info.loops);
    if (!info.envelope.empty()) {
        w.u8(static_cast<uint8_t>(info.envelope.size()));
        for (const auto& [pos, left, right] : info.envelope) {
            w.u32(pos);
            w.u16(left);
            w.u16(right);
        }
    }
    return w.data();
}

void SwfWriter::defineSound(uint16_t id, int format, int rateCode, bool sixteenBit, bool stereo,
                            uint32_t sampleCount, const QByteArray& data) {
    BitWriter w;
    w.u16(id);
    w.u8(static_cast<uint8_t>((format << 4) | (rateCode << 2) | (sixteenBit ? 2 : 0) |
                              (stereo ? 1 : 0)));
    w.u32(sampleCount);
    w.bytes(data);
    tag(14, w.data());
}

void SwfWriter::startSound(uint16_t soundId, const SoundInfoSpec& info) {
    BitWriter w;
    w.u16(soundId);
    w.bytes(soundInfo(info));
    tag(15, w.data());
}

void SwfWriter::startSound2(const QByteArray& className, const SoundInfoSpec& info) {
    BitWriter w;
    w.bytes(className);
    w.u8(0);
    w.bytes(soundInfo(info));
    tag(89, w.data());
}

void SwfWriter::soundStreamHead(int format, int rateCode, bool sixteenBit, bool stereo,
                                uint16_t samplesPerBlock, bool head1, int16_t latencySeek) {
    BitWriter w;
    const uint8_t low =
        static_cast<uint8_t>((rateCode << 2) | (sixteenBit ? 2 : 0) | (stereo ? 1 : 0));
    w.u8(low);
    w.u8(static_cast<uint8_t>((format << 4) | low));
    w.u16(samplesPerBlock);
    if (format == 2)
        w.u16(static_cast<uint16_t>(latencySeek));
    tag(head1 ? 18 : 45, w.data());
}

void SwfWriter::soundStreamBlock(const QByteArray& data) {
    tag(19, data);
}

void SwfWriter::defineVideoStream(uint16_t id, uint16_t frameCount, uint16_t width, uint16_t height,
                                  uint8_t flags, uint8_t codec) {
    BitWriter w;
    w.u16(id);
    w.u16(frameCount);
    w.u16(width);
    w.u16(height);
    w.u8(flags);
    w.u8(codec);
    tag(60, w.data());
}

void SwfWriter::videoFrame(uint16_t streamId, uint16_t frameNumber, const QByteArray& data) {
    BitWriter w;
    w.u16(streamId);
    w.u16(frameNumber);
    w.bytes(data);
    tag(61, w.data(), true);
}

void SwfWriter::defineButtonSound(uint16_t buttonId, const std::array<uint16_t, 4>& sounds,
                                  const SoundInfoSpec& info) {
    BitWriter w;
    w.u16(buttonId);
    for (uint16_t id : sounds) {
        w.u16(id);
        if (id)
            w.bytes(soundInfo(info));
    }
    tag(17, w.data());
}

} // namespace testsupport
