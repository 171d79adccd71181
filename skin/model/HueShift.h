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

// Shifts a 0xAARRGGBB pixel; pixels with alpha 0 (the key pixel among them) stay as they are,
// the others come back with alpha 255.
std::uint32_t shiftPixelHue(std::uint32_t pixel, int delta);

} // namespace skin
