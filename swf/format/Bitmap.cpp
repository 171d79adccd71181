#include "swf/format/Bitmap.h"

#include "swf/format/MovieBudget.h"
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

// Fails only when the budget runs out; undecodable data gives an empty image.
Result<QImage> decodeImage(const QByteArray& data, MovieBudget* budget) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    uint64_t charged = 0;
    if (size.isValid()) {
        charged = static_cast<uint64_t>(size.width()) * static_cast<uint64_t>(size.height());
        if (charged > kMaxBitmapPixels)
            return QImage();
        if (budget && !budget->takePixels(charged))
            return Error{budget->error()};
    }
    QImage img = reader.read();
    if (img.isNull()) {
        if (budget)
            budget->returnPixels(charged);
        return QImage();
    }
    // A decoder that could not tell the size beforehand is charged afterwards.
    const uint64_t pixels =
        static_cast<uint64_t>(img.width()) * static_cast<uint64_t>(img.height());
    if (budget && pixels != charged) {
        budget->returnPixels(charged);
        if (!budget->takePixels(pixels))
            return Error{budget->error()};
    }
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

// Inflates a zlib stream piece by piece, so a stream that claims a huge picture but holds
// little costs only what it really holds.
class Inflater {
public:
    explicit Inflater(const QByteArray& compressed) {
        s_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
        s_.avail_in = static_cast<uInt>(compressed.size());
        ok_ = inflateInit(&s_) == Z_OK;
        open_ = ok_;
    }
    ~Inflater() {
        if (ok_)
            inflateEnd(&s_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Fills n bytes, zeros past the end of the stream. False once the data proved corrupt.
    bool read(uint8_t* out, std::size_t n) {
        std::size_t done = 0;
        while (open_ && done < n) {
            s_.next_out = out + done;
            s_.avail_out = static_cast<uInt>(n - done);
            const int ret = inflate(&s_, Z_NO_FLUSH);
            done = n - s_.avail_out;
            if (ret == Z_STREAM_END || ret == Z_BUF_ERROR) {
                open_ = false; // the end, or data cut short: the rest stays empty
            } else if (ret != Z_OK) {
                open_ = false;
                corrupt_ = true;
            }
        }
        std::fill(out + done, out + n, 0);
        return !corrupt_;
    }
    // Bytes the stream has produced.
    uint64_t produced() const { return s_.total_out; }
    // Nothing more will come: the stream ended, was cut short or proved corrupt.
    bool ended() const { return !open_; }
    bool usable() const { return ok_; }

private:
    z_stream s_{};
    bool ok_ = false;
    bool open_ = false;
    bool corrupt_ = false;
};

Result<std::shared_ptr<BitmapCharacter>> parseLossless(uint16_t id, Reader& r, bool withAlpha,
                                                       MovieBudget* budget) {
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
    const QByteArray compressed = r.bytes(r.remaining());
    if (static_cast<uint64_t>(compressed.size()) * kMaxZlibRatio + 64 < expected)
        return std::make_shared<BitmapCharacter>(id, QImage());
    const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (budget && !budget->takePixels(pixels))
        return Error{budget->error()};
    const auto refused = [&] {
        if (budget)
            budget->returnPixels(pixels);
        return std::make_shared<BitmapCharacter>(id, QImage());
    };
    Inflater inflater(compressed);
    if (!inflater.usable())
        return refused();
    std::vector<uint8_t> tableBytesRead(tableBytes);
    if (!inflater.read(tableBytesRead.data(), tableBytes) || (tableBytes && !inflater.produced()))
        return refused();
    std::vector<QRgb> table(static_cast<std::size_t>(colours));
    for (int i = 0; i < colours; ++i) {
        const uint8_t* c = tableBytesRead.data() + static_cast<std::size_t>(i) * entry;
        table[static_cast<std::size_t>(i)] =
            withAlpha ? premultipliedClamped(c[0], c[1], c[2], c[3]) : qRgb(c[0], c[1], c[2]);
    }
    QImage img(width, height, QImage::Format_ARGB32_Premultiplied);
    if (img.isNull())
        return refused();
    // Rows a short stream never reaches stay clear, as Flash shows them.
    img.fill(Qt::transparent);
    std::vector<uint8_t> rowBytes(stride);
    for (int y = 0; y < height; ++y) {
        if (inflater.ended())
            break;
        const uint64_t before = inflater.produced();
        if (!inflater.read(rowBytes.data(), stride))
            return refused(); // garbage gives nothing, as Flash shows nothing for it
        if (inflater.produced() == before) {
            // A stream cut short still gives the rows it has.
            if (before == 0)
                return refused();
            break;
        }
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const uint8_t* row = rowBytes.data();
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
    if (inflater.produced() == 0)
        return refused();
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

Result<std::shared_ptr<BitmapCharacter>>
parseBitmapTag(uint16_t code, Reader& r, const QByteArray& jpegTables, MovieBudget* budget) {
    const uint16_t id = r.u16();
    if (r.failed())
        return Error{QStringLiteral("Broken bitmap tag.")};
    switch (code) {
    case tag::DefineBitsLossless:
        return parseLossless(id, r, false, budget);
    case tag::DefineBitsLossless2:
        return parseLossless(id, r, true, budget);
    case tag::DefineBits: {
        auto img = decodeImage(normalizeJpeg(r.bytes(r.remaining()), jpegTables), budget);
        if (!img)
            return img.error();
        return std::make_shared<BitmapCharacter>(id, std::move(img.value()));
    }
    case tag::DefineBitsJPEG2: {
        QByteArray data = r.bytes(r.remaining());
        if (isJpeg(data))
            data = normalizeJpeg(std::move(data), {});
        auto img = decodeImage(data, budget);
        if (!img)
            return img.error();
        return std::make_shared<BitmapCharacter>(id, std::move(img.value()));
    }
    default: { // JPEG3 and JPEG4
        const uint32_t alphaOffset = r.u32();
        if (code == tag::DefineBitsJPEG4)
            r.u16(); // deblocking filter strength
        if (r.failed() || alphaOffset > r.remaining())
            return Error{QStringLiteral("Broken bitmap %1.").arg(id)};
        QByteArray data = r.bytes(alphaOffset);
        const bool jpeg = isJpeg(data);
        auto decoded = decodeImage(jpeg ? normalizeJpeg(std::move(data), {}) : data, budget);
        if (!decoded)
            return decoded.error();
        QImage img = std::move(decoded.value());
        // The alpha plane belongs to JPEG data only; PNG and GIF carry their own.
        if (jpeg)
            applyAlphaPlane(img, r.bytes(r.remaining()));
        return std::make_shared<BitmapCharacter>(id, std::move(img));
    }
    }
}

} // namespace swf
