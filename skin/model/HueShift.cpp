#include "skin/model/HueShift.h"

#include <algorithm>
#include <cmath>

namespace skin {

namespace {

// Round half to even, the rounding skins were tinted with.
int roundEven(double v) {
    return int(std::nearbyint(v));
}

double hueToChannel(double p, double q, double t) {
    if (t < 0)
        t += 1;
    if (t > 1)
        t -= 1;
    if (t < 1.0 / 6)
        return p + (q - p) * 6 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3)
        return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

} // namespace

Rgb shiftHue(Rgb in, int delta) {
    const double r = in.r / 255.0, g = in.g / 255.0, b = in.b / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const double l = (mx + mn) / 2;
    double h = 0, s = 0;
    if (mx != mn) {
        const double d = mx - mn;
        s = l < 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
        if (mx == r)
            h = (g - b) / d;
        else if (mx == g)
            h = (b - r) / d + 2;
        else
            h = (r - g) / d + 4;
        h /= 6;
        if (h < 0)
            h += 1;
    }
    // With the offset within one turn, a single wrap lands on the circle whatever it was.
    int step = roundEven(h * 255) + reduceHueDelta(delta);
    if (step >= 256)
        step -= 255;
    else if (step < 0)
        step += 255;
    h = step / 255.0;
    if (s == 0) {
        const int v = roundEven(l * 255);
        return {v, v, v};
    }
    const double q = l <= 0.5 ? l * (1 + s) : l + s - l * s;
    const double p = 2 * l - q;
    auto channel = [&](double t) {
        return std::clamp(roundEven(hueToChannel(p, q, t) * 255), 0, 255);
    };
    return {channel(h + 1.0 / 3), channel(h), channel(h - 1.0 / 3)};
}

int reduceHueDelta(long long delta) {
    // The remainder keeps the sign, so -254..254: a step of 0..255 plus that stays far from
    // int's limits, and offsets within one turn come back unchanged.
    return int(delta % 255);
}

std::uint32_t shiftPixelHue(std::uint32_t pixel, int delta) {
    if ((pixel >> 24) == 0)
        return pixel;
    const Rgb out =
        shiftHue({int((pixel >> 16) & 0xFF), int((pixel >> 8) & 0xFF), int(pixel & 0xFF)}, delta);
    return 0xFF000000u | std::uint32_t(out.r) << 16 | std::uint32_t(out.g) << 8 |
           std::uint32_t(out.b);
}

} // namespace skin
