#include "swf/render/FilterRenderer.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

inline int mul(int a, int b) {
    const int t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

inline uint32_t premultiplied(const QColor& c, int alpha) {
    const int a = mul(c.alpha(), std::clamp(alpha, 0, 255));
    return qRgba(mul(c.red(), a), mul(c.green(), a), mul(c.blue(), a), a);
}

// Source over destination, both premultiplied.
inline QRgb over(QRgb s, QRgb d) {
    const int k = 255 - qAlpha(s);
    return qRgba(qRed(s) + mul(qRed(d), k), qGreen(s) + mul(qGreen(d), k),
                 qBlue(s) + mul(qBlue(d), k), qAlpha(s) + mul(qAlpha(d), k));
}

inline QRgb scaled(QRgb p, int f) {
    return qRgba(mul(qRed(p), f), mul(qGreen(p), f), mul(qBlue(p), f), mul(qAlpha(p), f));
}

// Running box sum along one line of `count` values `step` apart; the window covers
// (box - 1) / 2 values before each position and box / 2 after it, and outside is zero.
void boxLine(uint8_t* line, int count, int step, int box, std::vector<int>& tmp) {
    tmp.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        tmp[static_cast<std::size_t>(i)] = line[static_cast<std::ptrdiff_t>(i) * step];
    const int before = (box - 1) / 2, after = box / 2;
    // Fixed-point reciprocal so the division is a multiply and a shift.
    const uint32_t reciprocal = (1u << 24) / static_cast<uint32_t>(box);
    int sum = 0;
    for (int i = 0; i < std::min(after, count); ++i)
        sum += tmp[static_cast<std::size_t>(i)];
    for (int i = 0; i < count; ++i) {
        const int in = i + after, out = i - before - 1;
        if (in < count)
            sum += tmp[static_cast<std::size_t>(in)];
        if (out >= 0)
            sum -= tmp[static_cast<std::size_t>(out)];
        line[static_cast<std::ptrdiff_t>(i) * step] =
            static_cast<uint8_t>((static_cast<uint32_t>(sum) * reciprocal + (1u << 23)) >> 24);
    }
}

std::vector<uint8_t> alphaPlane(const QImage& image) {
    const int w = image.width(), h = image.height();
    std::vector<uint8_t> plane(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            plane[static_cast<std::size_t>(y) * w + x] = static_cast<uint8_t>(qAlpha(line[x]));
    }
    return plane;
}

// A value of the plane, zero outside it.
inline int at(const std::vector<uint8_t>& plane, int w, int h, int x, int y) {
    return x < 0 || y < 0 || x >= w || y >= h ? 0 : plane[static_cast<std::size_t>(y) * w + x];
}

void blurImage(QImage& image, const Filter& f, double scale) {
    const int bx = FilterRenderer::boxFor(f.blurX, scale);
    const int by = FilterRenderer::boxFor(f.blurY, scale);
    if (f.passes <= 0 || (bx <= 1 && by <= 1))
        return;
    // Each of the four bytes of a pixel is a plane of its own, four bytes apart.
    const int w = image.width(), h = image.height();
    std::vector<int> tmp;
    const auto stride = static_cast<int>(image.bytesPerLine());
    uint8_t* bits = image.bits();
    for (int pass = 0; pass < f.passes; ++pass) {
        if (bx > 1)
            for (int y = 0; y < h; ++y)
                for (int c = 0; c < 4; ++c)
                    boxLine(bits + static_cast<std::ptrdiff_t>(y) * stride + c, w, 4, bx, tmp);
        if (by > 1)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 4; ++c)
                    boxLine(bits + static_cast<std::ptrdiff_t>(x) * 4 + c, h, stride, by, tmp);
    }
}

// Colour of a gradient glow or bevel at a position 0..255.
std::vector<QRgb> rampOf(const Filter& f) {
    std::vector<QRgb> ramp(256, 0);
    if (f.gradient.empty())
        return ramp;
    for (int i = 0; i < 256; ++i) {
        const auto& g = f.gradient;
        std::size_t k = 0;
        while (k < g.size() && g[k].first < i)
            ++k;
        QColor c;
        if (k == 0) {
            c = g.front().second;
        } else if (k == g.size()) {
            c = g.back().second;
        } else {
            const auto& [r0, c0] = g[k - 1];
            const auto& [r1, c1] = g[k];
            const double t = r1 == r0 ? 1 : (i - r0) / static_cast<double>(r1 - r0);
            const auto lerp = [t](int a, int b) {
                return static_cast<int>(std::lround(a + (b - a) * t));
            };
            c = QColor(lerp(c0.red(), c1.red()), lerp(c0.green(), c1.green()),
                       lerp(c0.blue(), c1.blue()), lerp(c0.alpha(), c1.alpha()));
        }
        ramp[static_cast<std::size_t>(i)] = premultiplied(c, 255);
    }
    return ramp;
}

// Drop shadows, glows and gradient glows.
void shadow(QImage& image, const Filter& f, double scale) {
    const int w = image.width(), h = image.height();
    const std::vector<uint8_t> source = alphaPlane(image);
    std::vector<uint8_t> blurred = source;
    FilterRenderer::blurPlane(blurred.data(), w, h, w, FilterRenderer::boxFor(f.blurX, scale),
                              FilterRenderer::boxFor(f.blurY, scale), f.passes);
    const QPoint off = FilterRenderer::offsetFor(f, scale);
    const bool gradient = f.type == Filter::Type::GradientGlow;
    const std::vector<QRgb> ramp = gradient ? rampOf(f) : std::vector<QRgb>();
    const auto strengthened = [&](int a) {
        return std::min(255, static_cast<int>(std::lround(a * f.strength)));
    };
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int own = source[static_cast<std::size_t>(y) * w + x];
            const int b = at(blurred, w, h, x - off.x(), y - off.y());
            int a = f.inner ? mul(strengthened(255 - b), own) : strengthened(b);
            QRgb s;
            if (gradient) {
                // The ramp runs from the far edge of the glow (0) to the object (255).
                s = f.inner ? scaled(ramp[static_cast<std::size_t>(255 - strengthened(b))], own)
                            : ramp[static_cast<std::size_t>(a)];
            } else {
                s = premultiplied(f.color, a);
            }
            const QRgb object = line[x];
            if (f.inner) {
                // The inner shadow already lies within the object.
                line[x] = f.knockout || !f.compositeSource ? s : over(s, object);
            } else if (f.knockout) {
                line[x] = scaled(s, 255 - own);
            } else {
                line[x] = f.compositeSource ? over(object, s) : s;
            }
        }
    }
}

// Bevels and gradient bevels: light from one side, shade on the other.
void bevel(QImage& image, const Filter& f, double scale) {
    const int w = image.width(), h = image.height();
    const std::vector<uint8_t> source = alphaPlane(image);
    std::vector<uint8_t> blurred = source;
    FilterRenderer::blurPlane(blurred.data(), w, h, w, FilterRenderer::boxFor(f.blurX, scale),
                              FilterRenderer::boxFor(f.blurY, scale), f.passes);
    const QPoint off = FilterRenderer::offsetFor(f, scale);
    const bool gradient = f.type == Filter::Type::GradientBevel;
    const std::vector<QRgb> ramp = gradient ? rampOf(f) : std::vector<QRgb>();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int own = source[static_cast<std::size_t>(y) * w + x];
            // Positive where the light falls: the side facing away from the shadow.
            const int v = at(blurred, w, h, x + off.x(), y + off.y()) -
                          at(blurred, w, h, x - off.x(), y - off.y());
            const int strong = std::clamp(static_cast<int>(std::lround(v * f.strength)), -255, 255);
            QRgb s;
            if (gradient)
                s = ramp[static_cast<std::size_t>(std::clamp(128 + strong / 2, 0, 255))];
            else
                s = strong >= 0 ? premultiplied(f.highlight, strong)
                                : premultiplied(f.color, -strong);
            // Inner bevels show on the object, outer ones around it, full ones both.
            if (!f.onTop)
                s = scaled(s, f.inner ? own : 255 - own);
            const QRgb object = line[x];
            if (f.knockout || !f.compositeSource)
                line[x] = s;
            else
                line[x] = f.inner || f.onTop ? over(s, object) : over(object, s);
        }
    }
}

void colourMatrix(QImage& image, const Filter& f) {
    const auto& m = f.colorMatrix;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = qUnpremultiply(line[x]);
            const float in[4] = {static_cast<float>(qRed(p)), static_cast<float>(qGreen(p)),
                                 static_cast<float>(qBlue(p)), static_cast<float>(qAlpha(p))};
            int out[4];
            for (int r = 0; r < 4; ++r) {
                const float* row = &m[static_cast<std::size_t>(r) * 5];
                const float v =
                    row[0] * in[0] + row[1] * in[1] + row[2] * in[2] + row[3] * in[3] + row[4];
                out[r] = std::clamp(static_cast<int>(std::lround(v)), 0, 255);
            }
            line[x] = qPremultiply(qRgba(out[0], out[1], out[2], out[3]));
        }
    }
}

void convolution(QImage& image, const Filter& f) {
    if (f.matrixX <= 0 || f.matrixY <= 0 || f.divisor == 0 ||
        f.matrix.size() != static_cast<std::size_t>(f.matrixX) * f.matrixY)
        return;
    const int w = image.width(), h = image.height();
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb outside = f.defaultColor.rgba();
    const int cx = f.matrixX / 2, cy = f.matrixY / 2;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            float sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < f.matrixY; ++j) {
                for (int i = 0; i < f.matrixX; ++i) {
                    int sx = x + i - cx, sy = y + j - cy;
                    QRgb p;
                    if (sx < 0 || sy < 0 || sx >= w || sy >= h) {
                        if (!f.clamp) {
                            p = outside;
                        } else {
                            sx = std::clamp(sx, 0, w - 1);
                            sy = std::clamp(sy, 0, h - 1);
                            p = reinterpret_cast<const QRgb*>(source.constScanLine(sy))[sx];
                        }
                    } else {
                        p = reinterpret_cast<const QRgb*>(source.constScanLine(sy))[sx];
                    }
                    const float k = f.matrix[static_cast<std::size_t>(j) * f.matrixX + i];
                    sum[0] += k * qRed(p);
                    sum[1] += k * qGreen(p);
                    sum[2] += k * qBlue(p);
                    sum[3] += k * qAlpha(p);
                }
            }
            const auto value = [&](float s) {
                return std::clamp(static_cast<int>(std::lround(s / f.divisor + f.bias)), 0, 255);
            };
            const QRgb own = reinterpret_cast<const QRgb*>(source.constScanLine(y))[x];
            const int a = f.preserveAlpha ? qAlpha(own) : value(sum[3]);
            line[x] = qPremultiply(qRgba(value(sum[0]), value(sum[1]), value(sum[2]), a));
        }
    }
}

} // namespace

int FilterRenderer::boxFor(double blur, double scale) {
    const double size = blur * scale;
    if (!(size > 1))
        return 1;
    return static_cast<int>(std::min(std::lround(size), 1024L));
}

QPoint FilterRenderer::offsetFor(const Filter& f, double scale) {
    if (f.type == Filter::Type::Blur || f.type == Filter::Type::Glow)
        return {};
    return QPoint(static_cast<int>(std::lround(std::cos(f.angle) * f.distance * scale)),
                  static_cast<int>(std::lround(std::sin(f.angle) * f.distance * scale)));
}

void FilterRenderer::blurPlane(uint8_t* data, int width, int height, int stride, int boxX, int boxY,
                               int passes) {
    std::vector<int> tmp;
    for (int pass = 0; pass < passes; ++pass) {
        if (boxX > 1)
            for (int y = 0; y < height; ++y)
                boxLine(data + static_cast<std::ptrdiff_t>(y) * stride, width, 1, boxX, tmp);
        if (boxY > 1)
            for (int x = 0; x < width; ++x)
                boxLine(data + x, height, stride, boxY, tmp);
    }
}

void FilterRenderer::apply(QImage& image, const Filter& filter, double scale) {
    if (image.isNull() || image.format() != QImage::Format_ARGB32_Premultiplied)
        return;
    switch (filter.type) {
    case Filter::Type::Blur:
        blurImage(image, filter, scale);
        break;
    case Filter::Type::DropShadow:
    case Filter::Type::Glow:
    case Filter::Type::GradientGlow:
        shadow(image, filter, scale);
        break;
    case Filter::Type::Bevel:
    case Filter::Type::GradientBevel:
        bevel(image, filter, scale);
        break;
    case Filter::Type::ColorMatrix:
        colourMatrix(image, filter);
        break;
    case Filter::Type::Convolution:
        convolution(image, filter);
        break;
    }
}

} // namespace swf
