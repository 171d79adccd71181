#pragma once

// Small value types shared by the parser, the display list and the renderer.

#include <QColor>
#include <QRgb>
#include <algorithm>
#include <array>
#include <cstdint>

namespace swf {

// Flash's colour transform: each channel becomes channel * mul + add, clamped to 0..255.
struct ColorTransform {
    std::array<float, 4> mul{1, 1, 1, 1}; // r g b a
    std::array<float, 4> add{0, 0, 0, 0};

    bool isIdentity() const {
        return mul == std::array<float, 4>{1, 1, 1, 1} && add == std::array<float, 4>{0, 0, 0, 0};
    }
    // Only the alpha is scaled: the painter's opacity can do the work.
    bool isAlphaOnly() const {
        return mul[0] == 1 && mul[1] == 1 && mul[2] == 1 && add == std::array<float, 4>{0, 0, 0, 0};
    }
    // This transform applied after inner (the parent's transform is the outer one).
    ColorTransform then(const ColorTransform& outer) const {
        ColorTransform r;
        for (int i = 0; i < 4; ++i) {
            r.mul[i] = mul[i] * outer.mul[i];
            r.add[i] = add[i] * outer.mul[i] + outer.add[i];
        }
        return r;
    }
    static int channel(float v) { return std::clamp(static_cast<int>(v), 0, 255); }
    QColor apply(const QColor& c) const {
        return QColor(channel(c.red() * mul[0] + add[0]), channel(c.green() * mul[1] + add[1]),
                      channel(c.blue() * mul[2] + add[2]), channel(c.alpha() * mul[3] + add[3]));
    }
    // A premultiplied pixel: unpremultiply, transform, premultiply again.
    QRgb applyPremultiplied(QRgb p) const {
        const int a = qAlpha(p);
        int r = 0, g = 0, b = 0;
        if (a > 0) {
            r = qRed(p) * 255 / a;
            g = qGreen(p) * 255 / a;
            b = qBlue(p) * 255 / a;
        }
        const int na = channel(a * mul[3] + add[3]);
        const int nr = channel(r * mul[0] + add[0]);
        const int ng = channel(g * mul[1] + add[1]);
        const int nb = channel(b * mul[2] + add[2]);
        return qRgba(nr * na / 255, ng * na / 255, nb * na / 255, na);
    }
};

enum class BlendMode : uint8_t {
    Normal = 1,
    Layer = 2,
    Multiply = 3,
    Screen = 4,
    Lighten = 5,
    Darken = 6,
    Difference = 7,
    Add = 8,
    Subtract = 9,
    Invert = 10,
    Alpha = 11,
    Erase = 12,
    Overlay = 13,
    Hardlight = 14,
};

} // namespace swf
