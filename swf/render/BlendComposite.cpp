#include "swf/render/BlendComposite.h"

#include <algorithm>
#include <type_traits>

namespace swf {

namespace {

// a * b / 255, rounded, for 8-bit a and b.
inline int mul(int a, int b) {
    const int t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

// The over part of a separable blend: what the source adds where the destination is
// transparent and what the destination keeps where the source is.
inline int outside(int s, int sa, int d, int da) {
    return mul(s, 255 - da) + mul(d, 255 - sa);
}

inline int channel(int s, int sa, int d, int da, BlendMode mode) {
    switch (mode) {
    case BlendMode::Multiply:
        return mul(s, d) + outside(s, sa, d, da);
    case BlendMode::Screen:
        return s + d - mul(s, d);
    case BlendMode::Lighten:
        return std::max(mul(s, da), mul(d, sa)) + outside(s, sa, d, da);
    case BlendMode::Darken:
        return std::min(mul(s, da), mul(d, sa)) + outside(s, sa, d, da);
    case BlendMode::Difference:
        return s + d - 2 * std::min(mul(s, da), mul(d, sa));
    case BlendMode::Add:
        return std::min(255, s + d);
    case BlendMode::Subtract:
        return std::max(0, d - s);
    case BlendMode::Invert:
        // The difference with white wherever the source covers: over an empty layer that
        // is white itself.
        return sa + d - 2 * mul(sa, d);
    case BlendMode::Alpha:
        return mul(d, sa);
    case BlendMode::Erase:
        return mul(d, 255 - sa);
    case BlendMode::Overlay:
    case BlendMode::Hardlight: {
        // Overlay looks at the destination, hard light at the source; otherwise the same.
        const bool low = mode == BlendMode::Overlay ? 2 * d <= da : 2 * s <= sa;
        const int b = low ? 2 * mul(s, d) : mul(sa, da) - 2 * mul(da - d, sa - s);
        return b + outside(s, sa, d, da);
    }
    case BlendMode::Normal:
    case BlendMode::Layer:
        break;
    }
    return s + mul(d, 255 - sa);
}

inline int alphaOf(int sa, int da, BlendMode mode) {
    switch (mode) {
    case BlendMode::Add:
        return std::min(255, sa + da);
    case BlendMode::Subtract:
        return da;
    case BlendMode::Alpha:
        return mul(da, sa);
    case BlendMode::Erase:
        return mul(da, 255 - sa);
    default:
        return sa + mul(da, 255 - sa);
    }
}

// With the mode known at compile time the switches above fold away, leaving each mode's own
// arithmetic in the loop over a layer's pixels.
template <BlendMode Mode> inline QRgb blendAs(QRgb source, QRgb destination) {
    const int sa = qAlpha(source), da = qAlpha(destination);
    const int a = std::clamp(alphaOf(sa, da, Mode), 0, 255);
    const auto c = [&](int s, int d) { return std::clamp(channel(s, sa, d, da, Mode), 0, a); };
    return qRgba(c(qRed(source), qRed(destination)), c(qGreen(source), qGreen(destination)),
                 c(qBlue(source), qBlue(destination)), a);
}

template <BlendMode Mode>
void compositeAs(QImage& target, QPoint at, const QImage& layer, const QRect& area, bool opaque) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(layer.constScanLine(y - at.y())) - at.x();
        auto* dst = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb s = src[x];
            // Alpha clears what its layer leaves empty; the other modes leave it alone.
            if (Mode != BlendMode::Alpha && qAlpha(s) == 0)
                continue;
            QRgb r = blendAs<Mode>(s, opaque ? (dst[x] | 0xff000000u) : dst[x]);
            if (opaque) {
                // A picture without alpha shows what remains over black.
                r |= 0xff000000u;
            }
            dst[x] = r;
        }
    }
}

// Calls f with the mode as a compile-time constant.
template <typename F> auto withMode(BlendMode mode, F&& f) {
    switch (mode) {
    case BlendMode::Multiply:
        return f(std::integral_constant<BlendMode, BlendMode::Multiply>());
    case BlendMode::Screen:
        return f(std::integral_constant<BlendMode, BlendMode::Screen>());
    case BlendMode::Lighten:
        return f(std::integral_constant<BlendMode, BlendMode::Lighten>());
    case BlendMode::Darken:
        return f(std::integral_constant<BlendMode, BlendMode::Darken>());
    case BlendMode::Difference:
        return f(std::integral_constant<BlendMode, BlendMode::Difference>());
    case BlendMode::Add:
        return f(std::integral_constant<BlendMode, BlendMode::Add>());
    case BlendMode::Subtract:
        return f(std::integral_constant<BlendMode, BlendMode::Subtract>());
    case BlendMode::Invert:
        return f(std::integral_constant<BlendMode, BlendMode::Invert>());
    case BlendMode::Alpha:
        return f(std::integral_constant<BlendMode, BlendMode::Alpha>());
    case BlendMode::Erase:
        return f(std::integral_constant<BlendMode, BlendMode::Erase>());
    case BlendMode::Overlay:
        return f(std::integral_constant<BlendMode, BlendMode::Overlay>());
    case BlendMode::Hardlight:
        return f(std::integral_constant<BlendMode, BlendMode::Hardlight>());
    case BlendMode::Layer:
        return f(std::integral_constant<BlendMode, BlendMode::Layer>());
    case BlendMode::Normal:
        break;
    }
    return f(std::integral_constant<BlendMode, BlendMode::Normal>());
}

} // namespace

QRgb BlendComposite::blend(QRgb source, QRgb destination, BlendMode mode) {
    return withMode(mode, [&](auto m) { return blendAs<decltype(m)::value>(source, destination); });
}

bool BlendComposite::composite(QImage& target, QPoint at, const QImage& layer, BlendMode mode) {
    const bool opaque = target.format() == QImage::Format_RGB32;
    if ((!opaque && target.format() != QImage::Format_ARGB32_Premultiplied) ||
        layer.format() != QImage::Format_ARGB32_Premultiplied)
        return false;
    const QRect area = QRect(at, layer.size()) & target.rect();
    withMode(mode,
             [&](auto m) { compositeAs<decltype(m)::value>(target, at, layer, area, opaque); });
    return true;
}

} // namespace swf
