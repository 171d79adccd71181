#include "skin/format/SkinDescription.h"

#include <bit>
#include <cstring>

#include "skin/format/BmpCodec.h"
#include "skin/format/ObjectStreamer.h"

namespace skin::description {

namespace {

void readHeader(TSeSkinSource& source, ByteReader& r) {
    source.clear();
    source.SkinName = r.string32();
    source.SkinVersion = r.string32();
    source.Author = r.string32();
    source.AuthorEMail = r.string32();
    source.AuthorURL = r.string32();
}

void writeHeader(const TSeSkinSource& source, ByteWriter& w) {
    w.string32(source.SkinName);
    w.string32(source.SkinVersion);
    w.string32(source.Author);
    w.string32(source.AuthorEMail);
    w.string32(source.AuthorURL);
}

// Stored little-endian 0xAARRGGBB.
inline std::uint32_t loadPixel(const std::uint8_t* b) {
    std::uint32_t p;
    if constexpr (std::endian::native == std::endian::little)
        std::memcpy(&p, b, 4);
    else
        p = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
            std::uint32_t(b[3]) << 24;
    return p;
}

// Near-magenta (red and blue 250..255, green 0..5) becomes the key pixel.
inline std::uint32_t keyed(std::uint32_t p) {
    const bool nearMagenta = (((p & 0xFF0000u) - 0xFA0000u) < 0x060000u) &
                             ((p & 0xFF00u) < 0x0600u) & (((p & 0xFFu) - 0xFAu) < 6u);
    return nearMagenta ? kKeyPixel : p;
}

// In blocks of eight so that the compiler vectorises the loop without a run-time check;
// the buffers never overlap.
void readPixels(const std::uint8_t* __restrict src, std::uint32_t* __restrict dst,
                std::size_t count) {
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        for (std::size_t k = 0; k < 8; ++k)
            dst[i + k] = keyed(loadPixel(src + 4 * (i + k)));
    }
    for (; i < count; ++i)
        dst[i] = keyed(loadPixel(src + 4 * i));
}

std::string overBudget(const std::string& name, std::int64_t w, std::int64_t h) {
    return "Skin bitmap " + name + " of " + std::to_string(w) + " x " + std::to_string(h) +
           " pixels is more than the skin's bitmaps may hold (" + std::to_string(kMaxSkinPixels) +
           " pixels in all)";
}

std::unique_ptr<TSeBitmap> readBitmap(ByteReader& r, std::size_t& budget) {
    std::string name = r.string32();
    const std::int32_t w = r.i32();
    const std::int32_t h = r.i32();
    if (w < 0 || h < 0 || w > TSeBitmap::kMaxSide || h > TSeBitmap::kMaxSide)
        throw SkinError("Skin bitmap " + name + " has an invalid size " + std::to_string(w) +
                        " x " + std::to_string(h));
    const std::size_t count = std::size_t(w) * std::size_t(h);
    if (count > budget)
        throw SkinError(overBudget(name, w, h));
    budget -= count;
    // The pixels must be there before anything is allocated for them.
    const std::string_view raw = r.bytes(count * 4);
    std::vector<std::uint32_t> px(count);
    readPixels(reinterpret_cast<const std::uint8_t*>(raw.data()), px.data(), count);
    auto bitmap = std::make_unique<TSeBitmap>(std::move(name), w, h, std::move(px));
    return bitmap;
}

} // namespace

void checkBitmapSizes(const TSeSkinSource& source) {
    std::size_t budget = kMaxSkinPixels;
    for (const auto& b : source.bitmaps()) {
        if (b->width() > TSeBitmap::kMaxSide || b->height() > TSeBitmap::kMaxSide)
            throw SkinError("Skin bitmap " + b->name() + " of " + std::to_string(b->width()) +
                            " x " + std::to_string(b->height()) + " pixels has a side over " +
                            std::to_string(TSeBitmap::kMaxSide));
        const std::size_t count = std::size_t(b->width()) * std::size_t(b->height());
        if (count > budget)
            throw SkinError(overBudget(b->name(), b->width(), b->height()));
        budget -= count;
    }
}

void read(TSeSkinSource& source, ByteReader& r, const SkinClassRegistry& registry) {
    readHeader(source, r);
    const std::size_t bitmaps = r.length("bitmap count");
    std::size_t budget = kMaxSkinPixels;
    for (std::size_t i = 0; i < bitmaps; ++i)
        source.addBitmap(readBitmap(r, budget));
    const ObjectStreamer streamer(registry);
    const std::size_t objects = r.length("object count");
    for (std::size_t i = 0; i < objects; ++i) {
        const std::string_view className = r.stringView32();
        const std::string_view text = r.stringView32();
        source.addObject(streamer.readText(className, text));
    }
}

void write(const TSeSkinSource& source, ByteWriter& w, const SkinClassRegistry& registry) {
    checkBitmapSizes(source);
    writeHeader(source, w);
    w.i32(std::int32_t(source.bitmaps().size()));
    for (const auto& b : source.bitmaps()) {
        w.string32(b->name());
        w.i32(b->width());
        w.i32(b->height());
        for (const std::uint32_t p : b->pixels())
            w.u32(p);
    }
    const ObjectStreamer streamer(registry);
    w.i32(std::int32_t(source.objects().size()));
    for (const auto& o : source.objects()) {
        w.string32(o->className());
        w.string32(streamer.writeText(*o));
    }
}

void readPacked(TSeSkinSource& source, ByteReader& r, const SkinClassRegistry& registry) {
    readHeader(source, r);
    const std::size_t bitmaps = r.length("bitmap count");
    std::size_t budget = kMaxSkinPixels;
    for (std::size_t i = 0; i < bitmaps; ++i) {
        std::string name = r.string32();
        const std::size_t size = r.length("bitmap size");
        auto bitmap = bmp::decode(r.bytes(size), std::move(name), budget);
        budget -= std::size_t(bitmap->width()) * std::size_t(bitmap->height());
        bitmap->keyOutNear(0x7F, 0, 0x7F);
        source.addBitmap(std::move(bitmap));
    }
    const ObjectStreamer streamer(registry);
    const std::size_t objects = r.length("object count");
    for (std::size_t i = 0; i < objects; ++i) {
        const std::string className = r.string32();
        const std::size_t length = r.length("object length");
        ByteReader body = r.sub(length);
        source.addObject(streamer.readBinary(className, body));
    }
}

void writePacked(const TSeSkinSource& source, ByteWriter& w, const SkinClassRegistry& registry) {
    checkBitmapSizes(source);
    writeHeader(source, w);
    w.i32(std::int32_t(source.bitmaps().size()));
    for (const auto& b : source.bitmaps()) {
        w.string32(b->name());
        w.string32(bmp::encode16(*b));
    }
    const ObjectStreamer streamer(registry);
    w.i32(std::int32_t(source.objects().size()));
    for (const auto& o : source.objects()) {
        w.string32(o->className());
        w.string32(streamer.writeBinary(*o));
    }
}

} // namespace skin::description
