#include "swf/render/FilterRenderer.h"

#include "swf/render/BoxDivision.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <type_traits>

#include <QRect>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// At -O2 GCC vectorises only loops whose length it knows in advance; the loops that touch every
// byte of a filtered picture ask for its vectoriser outright (Clang vectorises them at -O2).
// Where the processor has AVX2 they also get a second copy built for it, picked when the
// program loads: its 32-bit multiplies take one instruction for eight values, where SSE2 needs
// a shuffle and two multiplies for four.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define SWF_VECTORISE __attribute__((optimize("tree-vectorize"), target_clones("avx2", "default")))
#elif defined(__GNUC__) && !defined(__clang__)
#define SWF_VECTORISE __attribute__((optimize("tree-vectorize")))
#elif defined(__x86_64__)
#define SWF_VECTORISE __attribute__((target_clones("avx2", "default")))
#else
#define SWF_VECTORISE
#endif

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

// The window of a box covers (box - 1) / 2 values before each position and box / 2 after
// it; outside the picture is transparent. Sums are divided by a multiply and a shift.
struct Box {
    int before, after;
    uint32_t reciprocal;
    explicit Box(int box)
        : before((box - 1) / 2), after(box / 2), reciprocal(BoxDivision::reciprocal(box)) {}
    uint8_t average(int sum) const {
        return BoxDivision::average(static_cast<uint32_t>(sum), reciprocal);
    }
};

// The stretch of a row whose window lies wholly inside it.
template <int Channels>
void middle(const uint8_t* __restrict src, uint8_t* __restrict row, int head, int tail,
            const Box& b, std::array<int, Channels>& sums) {
    if constexpr (Channels == 4) {
        int s0 = sums[0], s1 = sums[1], s2 = sums[2], s3 = sums[3];
        for (int x = head; x < tail; ++x) {
            const uint8_t* in = src + (x + b.after) * 4;
            const uint8_t* out = src + (x - b.before - 1) * 4;
            s0 += in[0] - out[0];
            s1 += in[1] - out[1];
            s2 += in[2] - out[2];
            s3 += in[3] - out[3];
            uint8_t* o = row + x * 4;
            o[0] = b.average(s0);
            o[1] = b.average(s1);
            o[2] = b.average(s2);
            o[3] = b.average(s3);
        }
        sums = {s0, s1, s2, s3};
    } else {
        int s0 = sums[0];
        for (int x = head; x < tail; ++x) {
            s0 += src[x + b.after] - src[x - b.before - 1];
            row[x] = b.average(s0);
        }
        sums[0] = s0;
    }
}

// Along each row, the channels of a pixel side by side.
template <int Channels> void boxRows(uint8_t* data, int width, int height, int stride, int box) {
    const Box b(box);
    std::vector<uint8_t> line(static_cast<std::size_t>(width) * Channels);
    const uint8_t* src = line.data();
    for (int y = 0; y < height; ++y) {
        uint8_t* row = data + static_cast<std::ptrdiff_t>(y) * stride;
        std::copy(row, row + line.size(), line.begin());
        int sum[Channels] = {};
        for (int x = 0; x < std::min(b.after, width); ++x)
            for (int c = 0; c < Channels; ++c)
                sum[c] += src[x * Channels + c];
        // Three stretches, so the loop in the middle tests nothing.
        const int head = std::min(width, b.before + 1);
        const int tail = std::max(head, width - b.after);
        for (int x = 0; x < head; ++x) {
            for (int c = 0; c < Channels; ++c) {
                if (x + b.after < width)
                    sum[c] += src[(x + b.after) * Channels + c];
                row[x * Channels + c] = b.average(sum[c]);
            }
        }
        // The sums live in locals: stores through a byte pointer may alias anything whose
        // address is taken, which would send an array of sums to memory every pixel.
        std::array<int, Channels> local;
        std::copy(sum, sum + Channels, local.begin());
        middle<Channels>(src, row, head, tail, b, local);
        std::copy(local.begin(), local.end(), sum);
        for (int x = tail; x < width; ++x) {
            for (int c = 0; c < Channels; ++c) {
                if (x + b.after < width)
                    sum[c] += src[(x + b.after) * Channels + c];
                if (x - b.before - 1 >= 0)
                    sum[c] -= src[(x - b.before - 1) * Channels + c];
                row[x * Channels + c] = b.average(sum[c]);
            }
        }
    }
}

// One row of the columns' running sums: what enters the window comes in, what leaves it goes
// out, and the row gets the averages. One pass over each array, free to be vectorised.
SWF_VECTORISE void columnRow(int* __restrict sum, const uint8_t* __restrict add,
                             const uint8_t* __restrict sub, uint8_t* __restrict row, std::size_t n,
                             const Box& b) {
    for (std::size_t i = 0; i < n; ++i) {
        const int s = sum[i] + add[i] - sub[i];
        sum[i] = s;
        row[i] = b.average(s);
    }
}

// The same with 16-bit sums, where the box allows: twice as many to a vector register.
SWF_VECTORISE void columnRowShort(uint16_t* __restrict sum, const uint8_t* __restrict add,
                                  const uint8_t* __restrict sub, uint8_t* __restrict row,
                                  std::size_t n, BoxDivision::Short d) {
    const uint16_t mul = d.mul, addend = d.add;
    const int shift = d.shift;
    for (std::size_t i = 0; i < n; ++i) {
        const auto s = static_cast<uint16_t>(sum[i] + add[i] - sub[i]);
        sum[i] = s;
        const auto high = static_cast<uint16_t>((static_cast<uint32_t>(s) * mul) >> 16);
        row[i] = static_cast<uint8_t>(static_cast<uint16_t>(high + addend) >> shift);
    }
}

// Down the columns, all of them at once row by row, so memory is read in order. Only the rows
// still inside some window are kept as they were, in a ring.
void boxColumns(uint8_t* data, int width, int height, int stride, int channels, int box) {
    const Box b(box);
    const auto n = static_cast<std::size_t>(width) * channels;
    const auto rowAt = [&](int y) { return data + static_cast<std::ptrdiff_t>(y) * stride; };
    // A row leaves the window before + 1 rows after it was written, and the row written then
    // needs a slot of its own: one more slot than that.
    // A picture shorter than that never lets a row leave.
    const int kept = std::min(b.before + 2, std::max(1, height));
    // Every slot is written before it is read: no need to clear it first.
    const std::unique_ptr<uint8_t[]> ring(new uint8_t[n * static_cast<std::size_t>(kept)]);
    const std::vector<uint8_t> zeros(n, 0);
    const auto slotOf = [&](int y) { return ring.get() + static_cast<std::size_t>(y % kept) * n; };
    const auto run = [&](auto& sum, const auto& rowPass) {
        for (int y = 0; y < std::min(b.after, height); ++y) {
            const uint8_t* add = rowAt(y);
            for (std::size_t i = 0; i < n; ++i)
                sum[i] = static_cast<std::decay_t<decltype(sum[i])>>(sum[i] + add[i]);
        }
        for (int y = 0; y < height; ++y) {
            const int in = y + b.after, out = y - b.before - 1;
            const uint8_t* add = in < height ? rowAt(in) : zeros.data();
            const uint8_t* sub = out >= 0 ? slotOf(out) : zeros.data();
            uint8_t* row = rowAt(y);
            std::copy(row, row + n, slotOf(y));
            rowPass(sum.data(), add, sub, row);
        }
    };
    if (const BoxDivision::Short* d = BoxDivision::shortFor(box)) {
        std::vector<uint16_t> sum(n, 0);
        run(sum, [&](uint16_t* s, const uint8_t* add, const uint8_t* sub, uint8_t* row) {
            columnRowShort(s, add, sub, row, n, *d);
        });
    } else {
        std::vector<int> sum(n, 0);
        run(sum, [&](int* s, const uint8_t* add, const uint8_t* sub, uint8_t* row) {
            columnRow(s, add, sub, row, n, b);
        });
    }
}

// Rows and columns swapped: element (x, y) of src, `width` x `height` elements of T with
// srcStride bytes a row, goes to (y, x) of dst, dstStride bytes a row. Square blocks are
// swapped in registers and the blocks visited a few at a time, so both sides stay in the cache.
template <typename T>
void transposeEdge(const uint8_t* src, int srcStride, int x0, int x1, int y0, int y1, uint8_t* dst,
                   int dstStride) {
    for (int y = y0; y < y1; ++y) {
        const auto* row =
            reinterpret_cast<const T*>(src + static_cast<std::ptrdiff_t>(y) * srcStride);
        for (int x = x0; x < x1; ++x)
            reinterpret_cast<T*>(dst + static_cast<std::ptrdiff_t>(x) * dstStride)[y] = row[x];
    }
}

#if defined(__SSE2__)
// Four by four 32-bit values.
inline void block4x4(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride) {
    const auto load = [&](int i) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * srcStride));
    };
    const __m128i r0 = load(0), r1 = load(1), r2 = load(2), r3 = load(3);
    const __m128i t0 = _mm_unpacklo_epi32(r0, r1), t1 = _mm_unpacklo_epi32(r2, r3);
    const __m128i t2 = _mm_unpackhi_epi32(r0, r1), t3 = _mm_unpackhi_epi32(r2, r3);
    const auto store = [&](int i, __m128i v) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i * dstStride), v);
    };
    store(0, _mm_unpacklo_epi64(t0, t1));
    store(1, _mm_unpackhi_epi64(t0, t1));
    store(2, _mm_unpacklo_epi64(t2, t3));
    store(3, _mm_unpackhi_epi64(t2, t3));
}

// Sixteen by sixteen bytes: four rounds of interleaving, each doubling the run that is in place.
inline void block16x16(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride) {
    __m128i a[16], b[16];
    for (int i = 0; i < 16; ++i)
        a[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * srcStride));
    for (int i = 0; i < 8; ++i) {
        b[i] = _mm_unpacklo_epi8(a[2 * i], a[2 * i + 1]);
        b[i + 8] = _mm_unpackhi_epi8(a[2 * i], a[2 * i + 1]);
    }
    for (int i = 0; i < 8; ++i) {
        a[i] = _mm_unpacklo_epi16(b[2 * i], b[2 * i + 1]);
        a[i + 8] = _mm_unpackhi_epi16(b[2 * i], b[2 * i + 1]);
    }
    for (int i = 0; i < 8; ++i) {
        b[i] = _mm_unpacklo_epi32(a[2 * i], a[2 * i + 1]);
        b[i + 8] = _mm_unpackhi_epi32(a[2 * i], a[2 * i + 1]);
    }
    for (int i = 0; i < 8; ++i) {
        a[i] = _mm_unpacklo_epi64(b[2 * i], b[2 * i + 1]);
        a[i + 8] = _mm_unpackhi_epi64(b[2 * i], b[2 * i + 1]);
    }
    // After four rounds output row r sits at the position whose bits are r's reversed.
    static constexpr int kOrder[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
    for (int i = 0; i < 16; ++i)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + kOrder[i] * dstStride), a[i]);
}
#endif

template <typename T>
void transpose(const uint8_t* src, int width, int height, int srcStride, uint8_t* dst,
               int dstStride) {
    constexpr int kSide = sizeof(T) == 4 ? 4 : 16; // one register's worth a row
    constexpr int kTile = 64;                      // blocks visited together
    int fullW = 0, fullH = 0;
#if defined(__SSE2__)
    fullW = width / kSide * kSide;
    fullH = height / kSide * kSide;
    for (int y0 = 0; y0 < fullH; y0 += kTile) {
        for (int x0 = 0; x0 < fullW; x0 += kTile) {
            const int y1 = std::min(fullH, y0 + kTile), x1 = std::min(fullW, x0 + kTile);
            for (int y = y0; y < y1; y += kSide) {
                for (int x = x0; x < x1; x += kSide) {
                    const uint8_t* from =
                        src + static_cast<std::ptrdiff_t>(y) * srcStride + x * sizeof(T);
                    uint8_t* to = dst + static_cast<std::ptrdiff_t>(x) * dstStride + y * sizeof(T);
                    if constexpr (sizeof(T) == 4)
                        block4x4(from, srcStride, to, dstStride);
                    else
                        block16x16(from, srcStride, to, dstStride);
                }
            }
        }
    }
#endif
    // What the blocks leave: the right edge of the full rows, then the bottom rows.
    transposeEdge<T>(src, srcStride, fullW, width, 0, fullH, dst, dstStride);
    transposeEdge<T>(src, srcStride, 0, width, fullH, height, dst, dstStride);
}

// Where the first byte that is not zero is in row, n if there is none; sixteen at a time.
int firstNonZero(const uint8_t* row, int n) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        const int zeros = _mm_movemask_epi8(_mm_cmpeq_epi8(v, zero));
        if (zeros != 0xffff)
            return i + __builtin_ctz(static_cast<unsigned>(~zeros & 0xffff));
    }
#endif
    while (i < n && row[i] == 0)
        ++i;
    return i;
}

// Where the last byte that is not zero is in a row that has one.
int lastNonZero(const uint8_t* row, int n) {
    int end = n; // bytes before end are still to look at
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; end >= 16; end -= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + end - 16));
        const int zeros = _mm_movemask_epi8(_mm_cmpeq_epi8(v, zero));
        if (zeros != 0xffff)
            return end - 16 + (31 - __builtin_clz(static_cast<unsigned>(~zeros & 0xffff)));
    }
#endif
    while (end > 0 && row[end - 1] == 0)
        --end;
    return end - 1;
}

// The smallest rectangle (in elements of `channels` bytes) holding every byte that is not zero;
// empty when all are.
QRect nonZeroBounds(const uint8_t* data, int width, int height, int stride, int channels) {
    const int n = width * channels;
    int left = n, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = data + static_cast<std::ptrdiff_t>(y) * stride;
        const int first = firstNonZero(row, n);
        if (first == n)
            continue;
        const int last = lastNonZero(row, n);
        left = std::min(left, first);
        right = std::max(right, last);
        top = top < 0 ? y : top;
        bottom = y;
    }
    if (top < 0)
        return {};
    return QRect(QPoint(left / channels, top), QPoint(right / channels, bottom));
}

void blur(uint8_t* data, int width, int height, int stride, int channels, int boxX, int boxY,
          int passes) {
    // What is zero and further from anything that is not than the passes reach stays zero, so
    // the blur works on the part of the picture it can change. Margins around an object are
    // often as large as the object, made for filters that come after this one.
    const QRect content = nonZeroBounds(data, width, height, stride, channels);
    if (content.isEmpty())
        return;
    const int growX = boxX > 1 ? passes * boxX : 0, growY = boxY > 1 ? passes * boxY : 0;
    const QRect work = content.adjusted(-growX, -growY, growX, growY) & QRect(0, 0, width, height);
    data += static_cast<std::ptrdiff_t>(work.y()) * stride + work.x() * channels;
    width = work.width();
    height = work.height();
    // Along a row each sum waits for the one before it; down the columns a whole row of sums
    // moves at once. So whole pictures are turned on their side for the rows' pass, and turned
    // back, when the copy is of a sensible size.
    constexpr std::size_t kMaxTurned = 16u * 1024 * 1024;
    const auto bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                       static_cast<std::size_t>(channels);
    // Wholly overwritten by each turn: left uncleared.
    std::unique_ptr<uint8_t[]> turned;
    if (boxX > 1 && bytes <= kMaxTurned)
        turned.reset(new uint8_t[bytes]);
    const int turnedStride = height * channels;
    for (int pass = 0; pass < passes; ++pass) {
        if (boxX > 1) {
            if (turned) {
                if (channels == 4) {
                    transpose<uint32_t>(data, width, height, stride, turned.get(), turnedStride);
                    boxColumns(turned.get(), height, width, turnedStride, 4, boxX);
                    transpose<uint32_t>(turned.get(), height, width, turnedStride, data, stride);
                } else {
                    transpose<uint8_t>(data, width, height, stride, turned.get(), turnedStride);
                    boxColumns(turned.get(), height, width, turnedStride, 1, boxX);
                    transpose<uint8_t>(turned.get(), height, width, turnedStride, data, stride);
                }
            } else if (channels == 4) {
                boxRows<4>(data, width, height, stride, boxX);
            } else {
                boxRows<1>(data, width, height, stride, boxX);
            }
        }
        if (boxY > 1)
            boxColumns(data, width, height, stride, channels, boxY);
    }
}

// The alpha bytes of one row of pixels.
SWF_VECTORISE void alphaRow(const uint32_t* __restrict line, uint8_t* __restrict out, int n) {
    for (int x = 0; x < n; ++x)
        out[x] = static_cast<uint8_t>(line[x] >> 24);
}

std::vector<uint8_t> alphaPlane(const QImage& image) {
    const int w = image.width(), h = image.height();
    std::vector<uint8_t> plane(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        alphaRow(reinterpret_cast<const uint32_t*>(image.constScanLine(y)),
                 plane.data() + static_cast<std::size_t>(y) * w, w);
    return plane;
}

// A value of the plane, zero outside it.
inline int at(const std::vector<uint8_t>& plane, int w, int h, int x, int y) {
    return x < 0 || y < 0 || x >= w || y >= h ? 0 : plane[static_cast<std::size_t>(y) * w + x];
}

void blurImage(QImage& image, const Filter& f, double scale) {
    // Premultiplied channels blur independently, four bytes to a pixel.
    blur(image.bits(), image.width(), image.height(), static_cast<int>(image.bytesPerLine()), 4,
         FilterRenderer::boxFor(f.blurX, scale), FilterRenderer::boxFor(f.blurY, scale), f.passes);
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

// The alpha plane blurred as the filter's sizes and passes say.
std::vector<uint8_t> blurredPlane(std::vector<uint8_t> plane, int w, int h, const Filter& f,
                                  double scale) {
    FilterRenderer::blurPlane(plane.data(), w, h, w, FilterRenderer::boxFor(f.blurX, scale),
                              FilterRenderer::boxFor(f.blurY, scale), f.passes);
    return plane;
}

// Drop shadows, glows and gradient glows.
void shadow(QImage& image, const Filter& f, double scale) {
    const int w = image.width(), h = image.height();
    const bool gradient = f.type == Filter::Type::GradientGlow;
    const bool usual = !f.inner && !gradient && !f.knockout && f.compositeSource;
    // The usual glow or shadow reads the object's alpha from the picture itself: its own
    // plane is only needed, kept apart from the blurred one, by the others.
    std::vector<uint8_t> source = alphaPlane(image);
    const std::vector<uint8_t> blurred = usual ? blurredPlane(std::move(source), w, h, f, scale)
                                               : blurredPlane(source, w, h, f, scale);
    const QPoint off = FilterRenderer::offsetFor(f, scale);
    const std::vector<QRgb> ramp = gradient ? rampOf(f) : std::vector<QRgb>();
    // Per-pixel work is table look-ups: strength and colour for each alpha.
    std::array<int, 256> strong;
    std::array<QRgb, 256> tint;
    for (int a = 0; a < 256; ++a) {
        strong[static_cast<std::size_t>(a)] =
            std::min(255, static_cast<int>(std::lround(a * f.strength)));
        tint[static_cast<std::size_t>(a)] = premultiplied(f.color, a);
    }
    const auto strengthened = [&](int a) { return strong[static_cast<std::size_t>(a)]; };
    if (usual) {
        // The usual glow or shadow behind the object. Where the object is opaque, or the shadow
        // empty (its tint at alpha 0 is transparent), the pixel stays as it is; over a
        // transparent pixel the shadow shows as it is. Only the rest needs the arithmetic.
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            const int by = y - off.y();
            if (by < 0 || by >= h)
                continue;
            const uint8_t* shade = blurred.data() + static_cast<std::size_t>(by) * w;
            const int from = std::max(0, off.x()), to = std::min(w, w + off.x());
            for (int x = from; x < to; ++x) {
                const int b = shade[x - off.x()];
                const QRgb object = line[x];
                if (b == 0 || qAlpha(object) == 255)
                    continue;
                const QRgb tinted = tint[static_cast<std::size_t>(strengthened(b))];
                line[x] = qAlpha(object) == 0 ? tinted : over(object, tinted);
            }
        }
        return;
    }
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const uint8_t* owns = source.data() + static_cast<std::size_t>(y) * w;
        const int by = y - off.y();
        // The shadow's row, offset; outside the picture it is transparent.
        const uint8_t* shade =
            by >= 0 && by < h ? blurred.data() + static_cast<std::size_t>(by) * w : nullptr;
        for (int x = 0; x < w; ++x) {
            const int bx = x - off.x();
            const int b = shade && bx >= 0 && bx < w ? shade[bx] : 0;
            const int own = owns[x];
            int a = f.inner ? mul(strengthened(255 - b), own) : strengthened(b);
            QRgb s;
            if (gradient) {
                // The ramp runs from the far edge of the glow (0) to the object (255).
                s = f.inner ? scaled(ramp[static_cast<std::size_t>(255 - strengthened(b))], own)
                            : ramp[static_cast<std::size_t>(a)];
            } else {
                s = tint[static_cast<std::size_t>(a)];
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
    const std::vector<uint8_t> blurred = blurredPlane(source, w, h, f, scale);
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
    // A large kernel over a large picture would hold up the whole frame; past this much work
    // the object is drawn without it.
    constexpr double kMaxWork = 64.0 * 1024 * 1024;
    if (static_cast<double>(w) * h * static_cast<double>(f.matrix.size()) > kMaxWork)
        return;
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
    blur(data, width, height, stride, 1, boxX, boxY, passes);
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
