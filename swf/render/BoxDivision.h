#pragma once

// The average of a box blur's window: its sum divided by the box, rounded, without a division.
// The blur adds and drops one value a step, so sums fit in 16 bits whenever the box is at most
// 257 values; for nearly all such boxes a 16-bit high multiply, an add and a shift give the
// same average as the 32-bit multiply does, and take half the room in a vector register.

#include <cstdint>

namespace swf {

class BoxDivision {
public:
    // The 32-bit form: exact rounding for every sum the blur makes with a box up to 1024.
    static uint32_t reciprocal(int box) { return (1u << 24) / static_cast<uint32_t>(box); }
    static uint8_t average(uint32_t sum, uint32_t reciprocal) {
        return static_cast<uint8_t>((sum * reciprocal + (1u << 23)) >> 24);
    }

    // The 16-bit form for one box: ((sum * mul) >> 16 + add) >> shift.
    struct Short {
        uint16_t mul = 0;
        uint8_t add = 0, shift = 0;
        uint8_t average(uint16_t sum) const {
            const auto high = static_cast<uint16_t>((static_cast<uint32_t>(sum) * mul) >> 16);
            return static_cast<uint8_t>((high + add) >> shift);
        }
    };
    // The 16-bit form that agrees with the 32-bit one for every sum of 255 * box or less;
    // nullptr for boxes that have none.
    static const Short* shortFor(int box);
};

} // namespace swf
