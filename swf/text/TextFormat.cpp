#include "swf/text/TextFormat.h"

namespace swf::text {

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
