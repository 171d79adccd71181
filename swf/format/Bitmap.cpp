#include "swf/format/Bitmap.h"

#include "swf/format/MovieLoader.h"
#include "swf/format/TagParser.h"

#include <QBuffer>
#include <QImageReader>
#include <zlib.h>

namespace swf {

namespace {

constexpr uint64_t kMaxZlibRatio = 1032;

// Flash accepts JPEG data that starts with an extra end-of-image/start-of-image pair, and
// splits the tables of DefineBits into their own tag; both are put back together here.
QByteArray normalizeJpeg(QByteArray data, const QByteArray& tables) {
    static const QByteArray kBadHeader = QByteArray::fromHex("ffd9ffd8");
    while (data.startsWith(kBadHeader))
        data.remove(0, 4);
    if (!tables.isEmpty()) {
        QByteArray head = tables;
        while (head.startsWith(kBadHeader))
            head.remove(0, 4);
        if (head.endsWith(QByteArray::fromHex("ffd9")))
            head.chop(2);
        if (data.startsWith(QByteArray::fromHex("ffd8")))
            data.remove(0, 2);
        if (head.isEmpty())
            head = QByteArray::fromHex("ffd8");
        data = head + data;
    }
    // Some encoders put an EOI/SOI pair between the tables and the image in one stream.
    const qsizetype inner = data.indexOf(kBadHeader, 2);
    if (inner > 0 && data.startsWith(QByteArray::fromHex("ffd8")))
        data.remove(inner, 4);
    return data;
}

QImage decodeImage(const QByteArray& data) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() &&
        static_cast<uint64_t>(size.width()) * static_cast<uint64_t>(size.height()) >
            kMaxBitmapPixels)
        return {};
    QImage img = reader.read();
    if (img.isNull())
        return {};
    return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

bool isJpeg(const QByteArray& data) {
    return data.startsWith(QByteArray::fromHex("ffd8")) ||
           data.startsWith(QByteArray::fromHex("ffd9ffd8"));
}

void applyAlphaPlane(QImage& img, const QByteArray& compressedAlpha) {
    if (img.isNull() || compressedAlpha.isEmpty())
        return;
    const std::size_t count = static_cast<std::size_t>(img.width()) * img.height();
    QByteArray alpha;
    if (!inflateExactly(compressedAlpha, count, alpha))
        return;
    const auto* a = reinterpret_cast<const uint8_t*>(alpha.constData());
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            // The colours of a JPEG with an alpha plane are stored premultiplied already.
            const int av = *a++;
            const QRgb p = line[x];
            line[x] =
                qRgba(std::min(qRed(p), av), std::min(qGreen(p), av), std::min(qBlue(p), av), av);
        }
    }
}

// Premultiplied colours may not exceed their alpha; damaged data sometimes does.
QRgb premultipliedClamped(int r, int g, int b, int a) {
    return qRgba(std::min(r, a), std::min(g, a), std::min(b, a), a);
}

Result<std::shared_ptr<BitmapCharacter>> parseLossless(uint16_t id, Reader& r, bool withAlpha) {
    const int format = r.u8();
    const int width = r.u16();
    const int height = r.u16();
    int colours = 0;
    if (format == 3)
        colours = r.u8() + 1;
    if (r.failed())
        return Error{QStringLiteral("Broken lossless bitmap %1.").arg(id)};
    if (format != 3 && format != 4 && format != 5)
        return std::make_shared<BitmapCharacter>(id, QImage());
    if (width == 0 || height == 0)
        return std::make_shared<BitmapCharacter>(id, QImage());
    const int entry = withAlpha ? 4 : 3;
    std::size_t stride = 0;
    if (format == 3)
        stride = (static_cast<std::size_t>(width) + 3) & ~std::size_t(3);
    else if (format == 4)
        stride = (static_cast<std::size_t>(width) * 2 + 3) & ~std::size_t(3);
    else
        stride = static_cast<std::size_t>(width) * 4;
    const std::size_t tableBytes = static_cast<std::size_t>(colours) * entry;
    const std::size_t expected = tableBytes + stride * height;
    QByteArray raw;
    if (!inflateExactly(r.bytes(r.remaining()), expected, raw))
        return std::make_shared<BitmapCharacter>(id, QImage());
    QImage img(width, height, QImage::Format_ARGB32_Premultiplied);
    if (img.isNull())
        return std::make_shared<BitmapCharacter>(id, QImage());
    const auto* data = reinterpret_cast<const uint8_t*>(raw.constData());
    std::vector<QRgb> table(static_cast<std::size_t>(colours));
    for (int i = 0; i < colours; ++i) {
        const uint8_t* c = data + static_cast<std::size_t>(i) * entry;
        table[static_cast<std::size_t>(i)] =
            withAlpha ? premultipliedClamped(c[0], c[1], c[2], c[3]) : qRgb(c[0], c[1], c[2]);
    }
    const uint8_t* pixels = data + tableBytes;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels + stride * y;
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if (format == 3) {
                const int index = row[x];
                line[x] =
                    index < colours ? table[static_cast<std::size_t>(index)] : qRgba(0, 0, 0, 0);
            } else if (format == 4) {
                const int v = row[2 * x] << 8 | row[2 * x + 1];
                const int r5 = (v >> 10) & 31, g5 = (v >> 5) & 31, b5 = v & 31;
                line[x] = qRgb(r5 << 3 | r5 >> 2, g5 << 3 | g5 >> 2, b5 << 3 | b5 >> 2);
            } else {
                const uint8_t* p = row + 4 * x;
                line[x] = withAlpha ? premultipliedClamped(p[1], p[2], p[3], p[0])
                                    : qRgb(p[1], p[2], p[3]);
            }
        }
    }
    return std::make_shared<BitmapCharacter>(id, std::move(img));
}

} // namespace

const QImage& BitmapCharacter::paddedImage() const {
    std::call_once(paddedOnce_, [this] {
        if (image_.isNull())
            return;
        const int w = image_.width(), h = image_.height();
        QImage out(w + 2, h + 2, QImage::Format_ARGB32_Premultiplied);
        if (out.isNull())
            return;
        for (int y = 0; y < h + 2; ++y) {
            const auto* src =
                reinterpret_cast<const QRgb*>(image_.constScanLine(std::clamp(y - 1, 0, h - 1)));
            auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
            dst[0] = src[0];
            std::copy(src, src + w, dst + 1);
            dst[w + 1] = src[w - 1];
        }
        padded_ = std::move(out);
    });
    return padded_;
}

bool inflateExactly(const QByteArray& compressed, std::size_t expectedSize, QByteArray& out) {
    if (expectedSize == 0 || expectedSize > kMaxMovieLength ||
        static_cast<uint64_t>(compressed.size()) * kMaxZlibRatio + 64 < expectedSize)
        return false;
    out = QByteArray(static_cast<qsizetype>(expectedSize), '\0');
    z_stream s{};
    if (inflateInit(&s) != Z_OK)
        return false;
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
    s.avail_in = static_cast<uInt>(compressed.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(expectedSize);
    int ret = Z_OK;
    while (ret == Z_OK && s.avail_out > 0)
        ret = inflate(&s, Z_NO_FLUSH);
    const bool produced = s.total_out > 0;
    inflateEnd(&s);
    // A stream cut short still gives the rows it has; garbage gives nothing.
    return produced && (ret == Z_OK || ret == Z_STREAM_END || ret == Z_BUF_ERROR);
}

Result<std::shared_ptr<BitmapCharacter>> parseBitmapTag(uint16_t code, Reader& r,
                                                        const QByteArray& jpegTables) {
    const uint16_t id = r.u16();
    if (r.failed())
        return Error{QStringLiteral("Broken bitmap tag.")};
    switch (code) {
    case tag::DefineBitsLossless:
        return parseLossless(id, r, false);
    case tag::DefineBitsLossless2:
        return parseLossless(id, r, true);
    case tag::DefineBits:
        return std::make_shared<BitmapCharacter>(
            id, decodeImage(normalizeJpeg(r.bytes(r.remaining()), jpegTables)));
    case tag::DefineBitsJPEG2: {
        QByteArray data = r.bytes(r.remaining());
        if (isJpeg(data))
            data = normalizeJpeg(std::move(data), {});
        return std::make_shared<BitmapCharacter>(id, decodeImage(data));
    }
    default: { // JPEG3 and JPEG4
        const uint32_t alphaOffset = r.u32();
        if (code == tag::DefineBitsJPEG4)
            r.u16(); // deblocking filter strength
        if (r.failed() || alphaOffset > r.remaining())
            return Error{QStringLiteral("Broken bitmap %1.").arg(id)};
        QByteArray data = r.bytes(alphaOffset);
        const bool jpeg = isJpeg(data);
        QImage img = decodeImage(jpeg ? normalizeJpeg(std::move(data), {}) : data);
        // The alpha plane belongs to JPEG data only; PNG and GIF carry their own.
        if (jpeg)
            applyAlphaPlane(img, r.bytes(r.remaining()));
        return std::make_shared<BitmapCharacter>(id, std::move(img));
    }
    }
}

} // namespace swf
