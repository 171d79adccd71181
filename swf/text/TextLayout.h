#pragma once

// Lays a formatted text out in a field: paragraphs, word wrap (at spaces, and between any two
// CJK characters), alignment, margins, indents, bullets, tab stops and leading. Everything is
// in twips of the field's own space, with Flash's two-pixel gutter around the text.

#include "swf/text/FormattedText.h"
#include "swf/text/TextFace.h"

#include <QPointF>
#include <QRgb>
#include <functional>
#include <memory>
#include <vector>

namespace swf::text {

// Finds the face a format asks for; fallback finds one for a character that face lacks
// (device text only: embedded fonts show nothing for a character they do not have).
class FaceResolver {
public:
    virtual ~FaceResolver() = default;
    virtual std::shared_ptr<const TextFace> face(const TextFormat& f) = 0;
    virtual std::shared_ptr<const TextFace> fallback(char32_t c, const TextFormat& f) = 0;
};

struct PlacedGlyph {
    const TextFace* face = nullptr;
    uint32_t glyph = 0;
    double x = 0;       // pen position on the baseline, twips
    double advance = 0; // twips, letter spacing included
    double size = 0;    // em height, twips
    QRgb color = 0;
    bool underline = false;
    int charIndex = 0;
};

struct LayoutLine {
    int start = 0; // characters [start, end) of the text
    int end = 0;
    double top = 0; // twips, before scrolling
    double ascent = 0;
    double descent = 0;
    double leading = 0;
    double left = 0; // where the line's first glyph starts
    double width = 0;
    std::vector<PlacedGlyph> glyphs;
    double baseline() const { return top + ascent; }
    double height() const { return ascent + descent + leading; }
};

struct LayoutOptions {
    double width = 0; // the field's width, twips
    bool wordWrap = false;
    bool multiline = true;
    bool password = false;
};

struct Layout {
    std::vector<LayoutLine> lines;
    // The text's extent in pixels as textWidth/textHeight report it (without the gutter).
    double textWidth = 0;
    double textHeight = 0;
    // Holds the faces the glyphs point at.
    std::vector<std::shared_ptr<const TextFace>> faces;

    // The character nearest to a point of the field (twips, before scrolling), for carets,
    // selections and links; the text's length past the end.
    int charAt(QPointF p) const;
    // The line holding character i (the last line past the end).
    int lineOf(int charIndex) const;
    // Where the caret before character i stands: x and the line.
    double caretX(int charIndex) const;
};

inline constexpr double kGutter = 40; // twips: two pixels around the text

Layout layoutText(const FormattedText& text, const LayoutOptions& options, FaceResolver& faces);

// True where a line may break between a and b without a space: either side is CJK.
bool breaksBetween(char32_t a, char32_t b);

} // namespace swf::text
