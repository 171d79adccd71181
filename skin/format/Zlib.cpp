#include "skin/format/Zlib.h"

#include <zlib.h>

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
    char chunk[65536];
    for (;;) {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof chunk;
        const int rc = ::inflate(&z, Z_NO_FLUSH);
        const std::size_t produced = sizeof chunk - z.avail_out;
        if (result.data.size() + produced > maxOutput) {
            result.data.append(chunk, maxOutput - result.data.size());
            result.error = "Decompression error: the skin is larger than " +
                           std::to_string(maxOutput >> 20) + " MiB";
            break;
        }
        result.data.append(chunk, produced);
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
