#pragma once

// Filter records of PlaceObject3 and DefineButton2 (and what script sets on a clip's
// `filters`): blur, drop shadow, glow, bevel, gradient glow and bevel, convolution and colour
// matrix. Only the values; drawing them is the renderer's.

#include <QColor>
#include <array>
#include <cstdint>
#include <vector>

namespace swf {

class Reader;

struct Filter {
    enum class Type : uint8_t {
        DropShadow = 0,
        Blur = 1,
        Glow = 2,
        Bevel = 3,
        GradientGlow = 4,
        Convolution = 5,
        ColorMatrix = 6,
        GradientBevel = 7,
    };
    Type type = Type::Blur;

    // Blur, shadows, glows and bevels. Blur sizes are in stage pixels; distance likewise;
    // angle in radians.
    double blurX = 4, blurY = 4;
    int passes = 1;
    double angle = 0.785398, distance = 4;
    double strength = 1;
    bool inner = false;
    bool knockout = false;
    bool compositeSource = true;              // false: the object itself is hidden (hideObject)
    bool onTop = false;                       // bevels: both inside and outside
    QColor color = QColor(0, 0, 0);           // shadow or glow; bevel shadow
    QColor highlight = QColor(255, 255, 255); // bevel highlight
    // Gradient glow and bevel: colours at ratios 0..255.
    std::vector<std::pair<int, QColor>> gradient;

    // Convolution.
    int matrixX = 0, matrixY = 0;
    float divisor = 1, bias = 0;
    std::vector<float> matrix;
    QColor defaultColor = QColor(0, 0, 0, 0);
    bool clamp = true;
    bool preserveAlpha = true;

    // Colour matrix: four rows of five, the last column an offset on 0..255 values.
    std::array<float, 20> colorMatrix{1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};

    // How far past the object's own bounds the filter draws, in stage pixels, per side:
    // left, top, right, bottom.
    std::array<double, 4> margins() const;
};

// Reads a FILTERLIST (count first). Returns false on damaged or truncated input; out keeps
// the filters read before the damage.
bool readFilterList(Reader& r, std::vector<Filter>& out);

} // namespace swf
