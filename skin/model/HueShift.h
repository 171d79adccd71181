#pragma once

#include <cstdint>

namespace skin {

// Rotates the hue of an RGB colour by `delta` steps of 1/255 of the colour circle, keeping
// saturation and lightness. Channels are 0..255; the wrap is by 255 steps, as skins expect.
struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};
Rgb shiftHue(Rgb in, int delta);

// An offset of any size brought within one turn (-254..254) once, so that a shift over many
// pixels does no more than a single wrap for each. Offsets within one turn are unchanged.
int reduceHueDelta(long long delta);

// Shifts a 0xAARRGGBB pixel; pixels with alpha 0 (the key pixel among them) stay as they are,
// the others come back with alpha 255.
std::uint32_t shiftPixelHue(std::uint32_t pixel, int delta);

} // namespace skin
