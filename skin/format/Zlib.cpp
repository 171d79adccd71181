#include "skin/format/Zlib.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "skin/format/SkinError.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace skin::zlib {

namespace {

constexpr std::uint32_t kAdlerBase = 65521;
// The most bytes after which the sums must be reduced, as zlib has it.
constexpr std::size_t kAdlerBlock = 5552;

#if defined(__SSE2__)
std::uint64_t sumLanes(__m128i v) {
    alignas(16) std::uint32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
    return std::uint64_t(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
}
#endif

} // namespace

std::uint32_t adler32(std::uint32_t adler, std::string_view data) {
    std::uint32_t s1 = adler & 0xFFFF, s2 = adler >> 16;
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    std::size_t left = data.size();
#if defined(__SSE2__)
    // Sixteen bytes a round: the byte sums by SAD, the sums weighted 16..1 by multiply-add;
    // each earlier round's bytes count sixteen times more in s2 for every later round.
    const __m128i zero = _mm_setzero_si128();
    const __m128i firstWeights = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
    const __m128i lastWeights = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
    while (left >= 16) {
        const std::size_t n = std::min(left, kAdlerBlock) & ~std::size_t(15);
        __m128i bytes = zero, before = zero, weighted = zero;
        for (std::size_t k = 0; k < n; k += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
            before = _mm_add_epi32(before, bytes);
            bytes = _mm_add_epi32(bytes, _mm_sad_epu8(v, zero));
            weighted =
                _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(v, zero), firstWeights));
            weighted =
                _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(v, zero), lastWeights));
        }
        const std::uint64_t t2 =
            std::uint64_t(s2) + std::uint64_t(s1) * n + 16 * sumLanes(before) + sumLanes(weighted);
        s1 = std::uint32_t((s1 + sumLanes(bytes)) % kAdlerBase);
        s2 = std::uint32_t(t2 % kAdlerBase);
        p += n;
        left -= n;
    }
#endif
    while (left > 0) {
        const std::size_t n = std::min(left, kAdlerBlock);
        for (std::size_t k = 0; k < n; ++k) {
            s1 += p[k];
            s2 += s1;
        }
        s1 %= kAdlerBase;
        s2 %= kAdlerBase;
        p += n;
        left -= n;
    }
    return s2 << 16 | s1;
}

Inflated inflate(std::string_view input, std::size_t maxOutput) {
    Inflated result;
    // The two-byte header is read here and the deflate data inflated raw, so that the
    // checksum of the output is taken by our own vectorised adler32 (zlib's own is a third of
    // its inflating time) and compared with the stream's trailer at the end.
    if (input.size() < 2) {
        result.buffer = std::make_unique<char[]>(1);
        result.error = "Decompression error: the compressed skin data is cut short";
        return result;
    }
    const auto cmf = static_cast<unsigned char>(input[0]);
    const auto flg = static_cast<unsigned char>(input[1]);
    if ((cmf & 0x0F) != Z_DEFLATED || (cmf >> 4) > 7 || (cmf * 256u + flg) % 31 != 0) {
        result.buffer = std::make_unique<char[]>(1);
        result.error = "Decompression error: incorrect header check";
        return result;
    }
    if (flg & 0x20) {
        result.buffer = std::make_unique<char[]>(1);
        result.error = "Decompression error: the stream needs a preset dictionary";
        return result;
    }
    z_stream z{};
    if (inflateInit2(&z, -int(8 + (cmf >> 4))) != Z_OK)
        throw SkinError("Cannot start decompression of the skin");
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data() + 2));
    // Inputs beyond 4 GiB are not skins; zlib counts input in 32 bits.
    z.avail_in = uInt(std::min<std::size_t>(input.size() - 2, 0xFFFFFFFFu));
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
            const std::size_t trailer = 2 + std::size_t(z.total_in);
            if (input.size() < trailer + 4) {
                result.error = "Decompression error: the compressed skin data is cut short";
                break;
            }
            const auto* t = reinterpret_cast<const unsigned char*>(input.data() + trailer);
            const std::uint32_t stored = std::uint32_t(t[0]) << 24 | std::uint32_t(t[1]) << 16 |
                                         std::uint32_t(t[2]) << 8 | std::uint32_t(t[3]);
            if (adler32(1, std::string_view(buffer.get(), filled)) != stored) {
                result.error = "Decompression error: incorrect data check";
                break;
            }
            result.consumed = trailer + 4;
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
