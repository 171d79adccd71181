#pragma once

// Hexadecimal digits of the text form's binary values, decoded in runs: binary values are most
// of a skin's text, so this is the inner loop of reading one. Inline so that the parser's line
// loop keeps them in registers.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace skin::textform {

inline constexpr auto kHexTable = [] {
    std::array<signed char, 256> t{};
    for (auto& v : t)
        v = -1;
    for (int i = 0; i < 10; ++i)
        t['0' + i] = char(i);
    for (int i = 0; i < 6; ++i) {
        t['A' + i] = char(10 + i);
        t['a' + i] = char(10 + i);
    }
    return t;
}();
inline int hexValue(char c) {
    return kHexTable[static_cast<unsigned char>(c)];
}

// Eight hexadecimal digits into four bytes at once, or false (and nothing written) when any
// of them is not a digit; the byte-wise loop then takes over. Binary values are most of a
// skin's text, so this is the text form's inner loop.
inline bool decodeEightHexDigits(const char* in, char* out) {
    if constexpr (std::endian::native != std::endian::little) {
        return false;
    } else {
        constexpr std::uint64_t ones = 0x0101010101010101u, high = 0x8080808080808080u;
        std::uint64_t x;
        std::memcpy(&x, in, 8);
        if (x & high)
            return false;
        // Per byte, with every byte below 0x80 so that no sum carries into the next: the high
        // bit of x + (0x80 - lo) says c >= lo, that of x + (0x7F - hi) says c > hi.
        const auto inRange = [](std::uint64_t v, std::uint8_t lo, std::uint8_t hi) {
            return (v + ones * (0x80u - lo)) & ~(v + ones * (0x7Fu - hi)) & high;
        };
        const std::uint64_t digits = inRange(x, '0', '9');
        const std::uint64_t letters = inRange(x | ones * 0x20u, 'a', 'f');
        if ((digits | letters) != high)
            return false;
        // '0'..'9' keep their low nibble; 'A'..'F' and 'a'..'f' (bit 6 set) add 9 to it.
        const std::uint64_t n = (x & ones * 0x0Fu) + 9 * ((x >> 6) & ones);
        // The first digit of each pair is the lower byte: high nibble.
        std::uint64_t v = (n & 0x000F000F000F000Fu) << 4 | ((n >> 8) & 0x000F000F000F000Fu);
        v = (v | v >> 8) & 0x0000FFFF0000FFFFu;
        v = (v | v >> 16) & 0x00000000FFFFFFFFu;
        const auto word = std::uint32_t(v);
        std::memcpy(out, &word, 4);
        return true;
    }
}

// Sixteen hexadecimal digits into eight bytes with SSE2 (every x86-64 has it), or false (and
// nothing written) when any of them is not a digit. Twice the digits of the word-wise step
// per round; the word-wise step and the byte-wise loop take the rest of a line.
inline bool decodeSixteenHexDigits(const char* in, char* out) {
#if defined(__SSE2__)
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    // Bytes of 0x80 and above compare as negative, so they are neither digits nor letters.
    const __m128i digits = _mm_and_si128(_mm_cmpgt_epi8(c, _mm_set1_epi8('0' - 1)),
                                         _mm_cmplt_epi8(c, _mm_set1_epi8('9' + 1)));
    const __m128i folded = _mm_or_si128(c, _mm_set1_epi8(0x20));
    const __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8('a' - 1)),
                                          _mm_cmplt_epi8(folded, _mm_set1_epi8('f' + 1)));
    if (_mm_movemask_epi8(_mm_or_si128(digits, letters)) != 0xFFFF)
        return false;
    // '0'..'9' keep their low nibble; 'A'..'F' and 'a'..'f' add 9 to it.
    const __m128i nibbles = _mm_add_epi8(_mm_and_si128(c, _mm_set1_epi8(0x0F)),
                                         _mm_and_si128(letters, _mm_set1_epi8(9)));
    // Each 16-bit lane holds a pair, its first digit in the low byte: the high nibble.
    const __m128i high = _mm_slli_epi16(_mm_and_si128(nibbles, _mm_set1_epi16(0x000F)), 4);
    const __m128i low = _mm_srli_epi16(nibbles, 8);
    const __m128i bytes = _mm_packus_epi16(_mm_or_si128(high, low), _mm_setzero_si128());
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), bytes);
    return true;
#else
    return decodeEightHexDigits(in, out) && decodeEightHexDigits(in + 8, out + 4);
#endif
}

// Decodes whole pairs of digits from the front of `in` for as long as every sixteen characters
// are digits; returns how many characters it took. The rest of a line is left to the narrower
// steps.
inline std::size_t decodeHexRun(const char* in, std::size_t count, char* out) {
    std::size_t p = 0;
    while (p + 16 <= count && decodeSixteenHexDigits(in + p, out + p / 2))
        p += 16;
    return p;
}

} // namespace skin::textform
