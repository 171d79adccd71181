#include "swf/text/TextFormat.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace swf::text {

namespace {

double within(double v, double lo, double hi, double fallback) {
    return std::isnan(v) ? fallback : std::clamp(v, lo, hi);
}

// Far beyond what any movie shows, small enough that twips of it stay exact in a double.
constexpr double kMaxSize = 2000;
constexpr double kMaxSpace = 100000;
constexpr std::size_t kMaxTabStops = 256;

} // namespace

TextFormat TextFormat::sanitized() const {
    TextFormat f = *this;
    f.size = within(size, 0, kMaxSize, 12);
    f.letterSpacing = within(letterSpacing, -kMaxSize, kMaxSize, 0);
    f.leftMargin = within(leftMargin, 0, kMaxSpace, 0);
    f.rightMargin = within(rightMargin, 0, kMaxSpace, 0);
    f.indent = within(indent, -kMaxSpace, kMaxSpace, 0);
    f.blockIndent = within(blockIndent, 0, kMaxSpace, 0);
    f.leading = within(leading, -kMaxSpace, kMaxSpace, 0);
    if (f.tabStops.size() > kMaxTabStops)
        f.tabStops.resize(kMaxTabStops);
    return f;
}

std::size_t TextFormat::hash() const {
    std::size_t h = qHash(font);
    h = h * 31 + qHash(size);
    h = h * 31 + color;
    h = h * 31 + (bold | italic << 1 | underline << 2 | kerning << 3 | bullet << 4);
    h = h * 31 + qHash(url);
    h = h * 31 + static_cast<std::size_t>(align);
    h = h * 31 + qHash(leftMargin + 3 * indent + 7 * blockIndent + 13 * leading);
    return h;
}

#define SWF_FORMAT_FIELDS(X)                                                                       \
    X(font)                                                                                        \
    X(size)                                                                                        \
    X(color)                                                                                       \
    X(bold)                                                                                        \
    X(italic)                                                                                      \
    X(underline)                                                                                   \
    X(url)                                                                                         \
    X(target)                                                                                      \
    X(letterSpacing)                                                                               \
    X(kerning)                                                                                     \
    X(align)                                                                                       \
    X(leftMargin)                                                                                  \
    X(rightMargin)                                                                                 \
    X(indent)                                                                                      \
    X(blockIndent)                                                                                 \
    X(leading)                                                                                     \
    X(bullet)                                                                                      \
    X(tabStops)

void PartialTextFormat::applyTo(TextFormat& f) const {
#define X(name)                                                                                    \
    if (name)                                                                                      \
        f.name = *name;
    SWF_FORMAT_FIELDS(X)
#undef X
}

void PartialTextFormat::intersect(const TextFormat& f) {
#define X(name)                                                                                    \
    if (name && !(*name == f.name))                                                                \
        name.reset();
    SWF_FORMAT_FIELDS(X)
#undef X
}

PartialTextFormat PartialTextFormat::from(const TextFormat& f) {
    PartialTextFormat p;
#define X(name) p.name = f.name;
    SWF_FORMAT_FIELDS(X)
#undef X
    return p;
}

} // namespace swf::text
