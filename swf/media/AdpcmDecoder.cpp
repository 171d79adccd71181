#include "swf/media/AdpcmDecoder.h"

#include <algorithm>

namespace swf::media {

namespace {

constexpr int kSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

constexpr int kIndex2[2] = {-1, 2};
constexpr int kIndex3[4] = {-1, -1, 2, 4};
constexpr int kIndex4[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr int kIndex5[16] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
constexpr const int* kIndexTables[4] = {kIndex2, kIndex3, kIndex4, kIndex5};

class Bits {
public:
    Bits(const uint8_t* d, std::size_t n) : data_(d), bits_(n * 8) {}
    std::size_t left() const { return bits_ - pos_; }
    uint32_t ub(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i, ++pos_)
            v = (v << 1) | ((data_[pos_ >> 3] >> (7 - (pos_ & 7))) & 1);
        return v;
    }
    int32_t sb(int n) {
        const uint32_t v = ub(n);
        return (v & (1u << (n - 1))) ? static_cast<int32_t>(v | (~0u << n))
                                     : static_cast<int32_t>(v);
    }

private:
    const uint8_t* data_;
    std::size_t bits_;
    std::size_t pos_ = 0;
};

} // namespace

Result<void> AdpcmDecoder::decode(const uint8_t* data, std::size_t size, int channels,
                                  std::size_t maxSamples, std::vector<int16_t>& out) {
    if (channels < 1 || channels > 2)
        return Error{QStringLiteral("ADPCM sound with %1 channels.").arg(channels)};
    Bits in(data, size);
    if (in.left() < 2)
        return {};
    const int codeBits = static_cast<int>(in.ub(2)) + 2;
    const int* indexTable = kIndexTables[codeBits - 2];
    const uint32_t signMask = 1u << (codeBits - 1);
    const std::size_t headerBits = 22u * static_cast<std::size_t>(channels);
    const std::size_t frameBits = static_cast<std::size_t>(codeBits) * channels;
    // Every sample needs bits of the input, so the output is bounded by the input; reserving
    // that much at once is safe once checked against the limit.
    const std::size_t bound = (in.left() / frameBits + 1) * static_cast<std::size_t>(channels);
    out.reserve(out.size() + std::min(bound, maxSamples));

    int sample[2] = {0, 0};
    int index[2] = {0, 0};
    while (in.left() >= headerBits) {
        for (int c = 0; c < channels; ++c) {
            sample[c] = in.sb(16);
            index[c] = static_cast<int>(in.ub(6));
            index[c] = std::min(index[c], 88);
        }
        if (out.size() + static_cast<std::size_t>(channels) > maxSamples)
            return Error{QStringLiteral("The sound decodes to more than the player keeps.")};
        for (int c = 0; c < channels; ++c)
            out.push_back(static_cast<int16_t>(sample[c]));
        for (int i = 1; i < kPacketSamples && in.left() >= frameBits; ++i) {
            if (out.size() + static_cast<std::size_t>(channels) > maxSamples)
                return Error{QStringLiteral("The sound decodes to more than the player keeps.")};
            for (int c = 0; c < channels; ++c) {
                const uint32_t code = in.ub(codeBits);
                int step = kSteps[index[c]];
                int diff = step >> (codeBits - 1);
                for (uint32_t mask = signMask >> 1; mask; mask >>= 1) {
                    if (code & mask)
                        diff += step;
                    step >>= 1;
                }
                sample[c] += (code & signMask) ? -diff : diff;
                sample[c] = std::clamp(sample[c], -32768, 32767);
                index[c] = std::clamp(index[c] + indexTable[code & (signMask - 1)], 0, 88);
                out.push_back(static_cast<int16_t>(sample[c]));
            }
        }
    }
    return {};
}

} // namespace swf::media
