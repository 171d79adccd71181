#include "swf/format/Filters.h"

#include "swf/format/Reader.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// Flash never blurs further than this, whatever the file says.
constexpr double kMaxBlur = 255;
constexpr int kMaxConvolutionSide = 15;

double blurValue(Reader& r) {
    return std::clamp(r.fixed16(), 0.0, kMaxBlur);
}

void readShadowTail(Reader& r, Filter& f, bool withOnTop) {
    f.blurX = blurValue(r);
    f.blurY = blurValue(r);
    f.angle = r.fixed16();
    f.distance = r.fixed16();
    f.strength = std::clamp(r.fixed8(), 0.0, 255.0);
    const uint8_t bits = r.u8();
    f.inner = bits & 0x80;
    f.knockout = bits & 0x40;
    f.compositeSource = bits & 0x20;
    if (withOnTop) {
        f.onTop = bits & 0x10;
        f.passes = bits & 0x0f;
    } else {
        f.passes = bits & 0x1f;
    }
}

} // namespace

std::array<double, 4> Filter::margins() const {
    switch (type) {
    case Type::Blur:
    case Type::DropShadow:
    case Type::Glow:
    case Type::Bevel:
    case Type::GradientGlow:
    case Type::GradientBevel: {
        // Each pass spreads by half a box; a shadow moves by its distance as well.
        const double x = std::ceil(blurX / 2) * passes, y = std::ceil(blurY / 2) * passes;
        double dx = 0, dy = 0;
        if (type != Type::Blur && type != Type::Glow) {
            dx = std::ceil(std::abs(std::cos(angle) * distance));
            dy = std::ceil(std::abs(std::sin(angle) * distance));
        }
        if (inner && type != Type::Bevel && type != Type::GradientBevel)
            return {0, 0, 0, 0};
        return {x + dx, y + dy, x + dx, y + dy};
    }
    case Type::Convolution:
    case Type::ColorMatrix:
        break;
    }
    return {0, 0, 0, 0};
}

bool readFilterList(Reader& r, std::vector<Filter>& out) {
    const int count = r.u8();
    for (int i = 0; i < count && !r.failed(); ++i) {
        const int id = r.u8();
        Filter f;
        switch (id) {
        case 0: // drop shadow
            f.type = Filter::Type::DropShadow;
            f.color = r.rgba();
            readShadowTail(r, f, false);
            break;
        case 1: // blur
            f.type = Filter::Type::Blur;
            f.blurX = blurValue(r);
            f.blurY = blurValue(r);
            f.passes = r.u8() >> 3;
            break;
        case 2: // glow
            f.type = Filter::Type::Glow;
            f.color = r.rgba();
            f.blurX = blurValue(r);
            f.blurY = blurValue(r);
            f.strength = std::clamp(r.fixed8(), 0.0, 255.0);
            {
                const uint8_t bits = r.u8();
                f.inner = bits & 0x80;
                f.knockout = bits & 0x40;
                f.compositeSource = bits & 0x20;
                f.passes = bits & 0x1f;
            }
            f.distance = 0;
            break;
        case 3: // bevel: the highlight colour comes first in the file
            f.type = Filter::Type::Bevel;
            f.highlight = r.rgba();
            f.color = r.rgba();
            readShadowTail(r, f, true);
            break;
        case 4:   // gradient glow
        case 7: { // gradient bevel
            f.type = id == 4 ? Filter::Type::GradientGlow : Filter::Type::GradientBevel;
            const int n = r.u8();
            std::vector<QColor> colours;
            for (int k = 0; k < n && !r.failed(); ++k)
                colours.push_back(r.rgba());
            for (int k = 0; k < n && !r.failed(); ++k)
                f.gradient.emplace_back(r.u8(), colours[static_cast<std::size_t>(k)]);
            readShadowTail(r, f, true);
            break;
        }
        case 5: { // convolution
            f.type = Filter::Type::Convolution;
            f.matrixX = r.u8();
            f.matrixY = r.u8();
            f.divisor = r.f32();
            f.bias = r.f32();
            const int cells = f.matrixX * f.matrixY;
            if (static_cast<std::size_t>(cells) * 4 > r.remaining()) {
                r.fail();
                break;
            }
            for (int k = 0; k < cells; ++k)
                f.matrix.push_back(r.f32());
            // Flash takes matrices of at most fifteen a side; a larger one does nothing.
            if (f.matrixX > kMaxConvolutionSide || f.matrixY > kMaxConvolutionSide) {
                f.matrixX = f.matrixY = 0;
                f.matrix.clear();
            }
            f.defaultColor = r.rgba();
            const uint8_t bits = r.u8();
            f.clamp = bits & 0x02;
            f.preserveAlpha = bits & 0x01;
            break;
        }
        case 6: // colour matrix
            f.type = Filter::Type::ColorMatrix;
            for (float& v : f.colorMatrix)
                v = r.f32();
            break;
        default:
            r.fail();
            break;
        }
        if (r.failed())
            return false;
        f.passes = std::clamp(f.passes, 0, 15);
        out.push_back(std::move(f));
    }
    return !r.failed();
}

} // namespace swf
