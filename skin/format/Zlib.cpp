#include "skin/format/Zlib.h"

#include <zlib.h>

#include <cstring>
#include <memory>

#include "skin/format/SkinError.h"

namespace skin::zlib {

Inflated inflate(std::string_view input, std::size_t maxOutput) {
    Inflated result;
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        throw SkinError("Cannot start decompression of the skin");
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    // Inputs beyond 4 GiB are not skins; zlib counts input in 32 bits.
    z.avail_in = uInt(std::min<std::size_t>(input.size(), 0xFFFFFFFFu));
    // Inflate straight into an uninitialised buffer that grows geometrically (the data decides
    // how far, never beyond maxOutput + 1 so that an oversized skin is noticed). Skins shrink
    // about tenfold, so sixteen times the input rarely needs to grow at all.
    std::size_t capacity = std::min(maxOutput + 1, std::max<std::size_t>(input.size() * 16, 65536));
    auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
    std::size_t filled = 0;
    for (;;) {
        if (filled == capacity) {
            const std::size_t grown = std::min(maxOutput + 1, capacity * 2);
            auto bigger = std::make_unique_for_overwrite<char[]>(grown);
            std::memcpy(bigger.get(), buffer.get(), filled);
            buffer = std::move(bigger);
            capacity = grown;
        }
        z.next_out = reinterpret_cast<Bytef*>(buffer.get() + filled);
        z.avail_out = uInt(std::min<std::size_t>(capacity - filled, 0x40000000));
        const uInt before = z.avail_out;
        const int rc = ::inflate(&z, Z_NO_FLUSH);
        const std::size_t produced = before - z.avail_out;
        filled += produced;
        if (filled > maxOutput) {
            filled = maxOutput;
            result.error = "Decompression error: the skin is larger than " +
                           std::to_string(maxOutput >> 20) + " MiB";
            break;
        }
        if (rc == Z_STREAM_END) {
            result.consumed = std::size_t(z.total_in);
            break;
        }
        if (rc == Z_BUF_ERROR || (rc == Z_OK && z.avail_in == 0 && produced == 0)) {
            result.error = "Decompression error: the compressed skin data is cut short";
            break;
        }
        if (rc != Z_OK) {
            result.error = std::string("Decompression error: ") + (z.msg ? z.msg : "corrupt data");
            break;
        }
    }
    inflateEnd(&z);
    result.buffer = std::move(buffer);
    result.size = filled;
    return result;
}

std::string deflate(std::string_view input, int level) {
    uLongf bound = compressBound(uLong(input.size()));
    std::string out(bound, '\0');
    const int rc =
        compress2(reinterpret_cast<Bytef*>(out.data()), &bound,
                  reinterpret_cast<const Bytef*>(input.data()), uLong(input.size()), level);
    if (rc != Z_OK)
        throw SkinError("Compression of the skin failed");
    out.resize(bound);
    return out;
}

} // namespace skin::zlib
