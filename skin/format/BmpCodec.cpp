#include "skin/format/BmpCodec.h"

#include <bit>
#include <vector>

#include "skin/format/ByteReader.h"
#include "skin/format/ByteWriter.h"

namespace skin::bmp {

std::string encode16(const TSeBitmap& bitmap) {
    const int w = bitmap.width(), h = bitmap.height();
    const std::size_t rowBytes = (std::size_t(w) * 2 + 3) & ~std::size_t(3);
    const std::size_t imageSize = rowBytes * std::size_t(h);
    ByteWriter out;
    out.raw("BM");
    out.u32(std::uint32_t(54 + imageSize));
    out.u32(0);
    out.u32(54);
    out.u32(40);
    out.i32(w);
    out.i32(h);
    out.i16(1);
    out.i16(16);
    out.u32(0); // BI_RGB: 5-5-5
    out.u32(std::uint32_t(imageSize));
    out.u32(0);
    out.u32(0);
    out.u32(0);
    out.u32(0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = bitmap.pixel(x, y);
            const auto v = std::uint16_t(((p >> 19) & 0x1F) << 10 | ((p >> 11) & 0x1F) << 5 |
                                         ((p >> 3) & 0x1F));
            out.i16(std::int16_t(v));
        }
        for (std::size_t pad = std::size_t(w) * 2; pad < rowBytes; ++pad)
            out.u8(0);
    }
    return std::move(out.bytes());
}

namespace {

// Scales a masked channel value to 8 bits.
int channel(std::uint32_t value, std::uint32_t mask) {
    if (!mask)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const std::uint32_t v = (value & mask) >> shift;
    if (bits >= 8)
        return int(v >> (bits - 8));
    // Repeat the high bits into the low ones so that full scale maps to 255.
    std::uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
        out = (out << bits) | v;
        filled += bits;
    }
    return int(out >> (filled - 8));
}

} // namespace

std::unique_ptr<TSeBitmap> decode(std::string_view file, std::string name, std::size_t maxPixels) {
    ByteReader r(file.data(), file.size(), "Stream read error: a packed skin bitmap is cut short");
    if (r.bytes(2) != "BM")
        throw SkinError("Packed skin bitmap " + name + " is not a BMP image");
    r.skip(8);
    const std::uint32_t offBits = r.u32();
    const std::uint32_t headerSize = r.u32();
    int width, height, bitCount;
    std::uint32_t compression = 0, colorsUsed = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    if (headerSize == 12) {
        width = r.i16();
        height = r.i16();
        r.skip(2);
        bitCount = r.u16();
    } else if (headerSize >= 40 && headerSize <= 124) {
        width = r.i32();
        height = r.i32();
        r.skip(2);
        bitCount = r.u16();
        compression = r.u32();
        r.skip(12);
        colorsUsed = r.u32();
        r.skip(4);
        if (headerSize >= 52 || compression == 3) {
            for (auto& m : masks)
                m = r.u32();
            if (headerSize > 52)
                r.skip(headerSize - 52);
        }
    } else {
        throw SkinError("Packed skin bitmap " + name + " has an unknown BMP header");
    }
    const bool topDown = height < 0;
    const std::int64_t absHeight = topDown ? -std::int64_t(height) : height;
    if (width < 0 || width > TSeBitmap::kMaxSide || absHeight > TSeBitmap::kMaxSide)
        throw SkinError("Packed skin bitmap " + name + " has an unreasonable size");
    if (std::size_t(width) * std::size_t(absHeight) > maxPixels)
        throw SkinError("Packed skin bitmap " + name + " of " + std::to_string(width) + " x " +
                        std::to_string(absHeight) +
                        " pixels is more than the skin's bitmaps may hold");
    if (compression != 0 && compression != 3)
        throw SkinError("Packed skin bitmap " + name + " uses an unsupported BMP compression");
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        throw SkinError("Packed skin bitmap " + name + " has an unsupported pixel depth");
    if (compression == 0 && bitCount == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (compression == 0 && bitCount == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0xFF00;
        masks[2] = 0xFF;
    }
    std::vector<std::uint32_t> palette;
    if (bitCount <= 8) {
        std::size_t n = colorsUsed ? colorsUsed : (std::size_t(1) << bitCount);
        if (n > 256)
            throw SkinError("Packed skin bitmap " + name + " has an invalid palette");
        const std::size_t entry = headerSize == 12 ? 3 : 4;
        for (std::size_t i = 0; i < n; ++i) {
            const std::string_view e = r.bytes(entry);
            palette.push_back(std::uint32_t(std::uint8_t(e[2])) << 16 |
                              std::uint32_t(std::uint8_t(e[1])) << 8 | std::uint8_t(e[0]));
        }
    }
    if (offBits > file.size())
        throw SkinError("Stream read error: a packed skin bitmap is cut short");
    ByteReader pixels(file.data() + offBits, file.size() - offBits,
                      "Stream read error: a packed skin bitmap is cut short");
    const std::size_t rowBytes = ((std::size_t(width) * bitCount + 31) / 32) * 4;
    if (rowBytes * std::size_t(absHeight) > pixels.remaining())
        throw SkinError("Stream read error: a packed skin bitmap is cut short");

    auto bmp = std::make_unique<TSeBitmap>(std::move(name), width, int(absHeight));
    if (bmp->isEmpty())
        return bmp;
    auto& px = bmp->mutablePixels();
    for (std::int64_t row = 0; row < absHeight; ++row) {
        const std::string_view line = pixels.bytes(rowBytes);
        const auto* b = reinterpret_cast<const std::uint8_t*>(line.data());
        const std::int64_t y = topDown ? row : absHeight - 1 - row;
        std::uint32_t* dst = px.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            std::uint32_t rgb = 0;
            if (bitCount <= 8) {
                const int perByte = 8 / bitCount;
                const int shift = 8 - bitCount * (x % perByte + 1);
                const std::size_t index = (b[x / perByte] >> shift) & ((1u << bitCount) - 1);
                rgb = index < palette.size() ? palette[index] : 0;
            } else if (bitCount == 24) {
                rgb =
                    std::uint32_t(b[x * 3 + 2]) << 16 | std::uint32_t(b[x * 3 + 1]) << 8 | b[x * 3];
            } else {
                std::uint32_t v = 0;
                if (bitCount == 16)
                    v = std::uint32_t(b[x * 2] | b[x * 2 + 1] << 8);
                else
                    v = std::uint32_t(b[x * 4]) | std::uint32_t(b[x * 4 + 1]) << 8 |
                        std::uint32_t(b[x * 4 + 2]) << 16 | std::uint32_t(b[x * 4 + 3]) << 24;
                rgb = std::uint32_t(channel(v, masks[0])) << 16 |
                      std::uint32_t(channel(v, masks[1])) << 8 |
                      std::uint32_t(channel(v, masks[2]));
            }
            dst[x] = 0xFF000000u | rgb;
        }
    }
    return bmp;
}

} // namespace skin::bmp
