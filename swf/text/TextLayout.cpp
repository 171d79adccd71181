#include "swf/text/TextLayout.h"

#include <algorithm>
#include <cmath>

namespace swf::text {

namespace {

constexpr double kDefaultTabPx = 36;
constexpr double kBulletIndentPx = 18; // how far bulleted text sits from its bullet, per 12px

bool isCjk(char32_t c) {
    return (c >= 0x2e80 && c < 0xa000) || (c >= 0xac00 && c < 0xd7b0) ||
           (c >= 0xf900 && c < 0xfb00) || (c >= 0xff00 && c < 0xffef) ||
           (c >= 0x20000 && c < 0x30000);
}

// Closing punctuation that may not start a line, and opening that may not end one.
bool noLineStart(char32_t c) {
    static const std::u32string chars = U"，。、；：？！）》」』】〕…—’”%,.;:?!)]}";
    return chars.find(c) != std::u32string::npos;
}

bool noLineEnd(char32_t c) {
    static const std::u32string chars = U"（《「『【〔‘“([{";
    return chars.find(c) != std::u32string::npos;
}

struct Item {
    int index = 0;
    int units = 1; // UTF-16 units the character takes
    char32_t code = 0;
    const TextFace* face = nullptr;
    uint32_t glyph = 0;
    bool drawn = false;
    double advance = 0; // twips
    double size = 0;    // twips
    const TextFormat* format = nullptr;
};

bool isSpace(char32_t c) {
    return c == U' ' || c == U'\t' || c == 0x3000;
}

} // namespace

bool breaksBetween(char32_t a, char32_t b) {
    if (isSpace(a) || isSpace(b))
        return false; // spaces give their own break opportunity
    if (!isCjk(a) && !isCjk(b) && !noLineStart(b))
        return false;
    if (noLineStart(b) || noLineEnd(a))
        return false;
    return isCjk(a) || isCjk(b);
}

Layout layoutText(const FormattedText& text, const LayoutOptions& options, FaceResolver& resolver) {
    Layout out;
    const QString& s = text.text();
    const int length = text.length();
    double top = kGutter;
    const TextFormat defaults;
    std::vector<std::pair<const TextFormat*, std::shared_ptr<const TextFace>>> faceCache;
    const auto faceFor = [&](const TextFormat& f) -> const TextFace* {
        for (const auto& [fmt, face] : faceCache)
            if (fmt == &f ||
                (fmt->font == f.font && fmt->bold == f.bold && fmt->italic == f.italic))
                return face.get();
        auto face = resolver.face(f);
        faceCache.emplace_back(&f, face);
        if (face)
            out.faces.push_back(face);
        return face.get();
    };

    int start = 0;
    double widest = 0;
    double lastLeading = 0;
    for (;;) {
        int end = static_cast<int>(s.indexOf(QLatin1Char('\r'), start));
        const bool lastParagraph = end < 0;
        if (lastParagraph)
            end = length;
        const TextFormat& para = start < length ? text.formatAt(start)
                                 : length > 0   ? text.formatAt(length - 1)
                                                : defaults;
        // The characters of the paragraph with their glyphs.
        std::vector<Item> items;
        items.reserve(static_cast<std::size_t>(end - start));
        for (int i = start; i < end;) {
            Item it;
            it.index = i;
            char32_t c = s[i].unicode();
            if (s[i].isHighSurrogate() && i + 1 < end && s[i + 1].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(s[i], s[i + 1]);
                it.units = 2;
            }
            i += it.units;
            it.code = options.password ? U'*' : c;
            const TextFormat& f = text.formatAt(it.index);
            it.format = &f;
            it.size = f.size * 20;
            const TextFace* face = faceFor(f);
            std::optional<uint32_t> glyph;
            if (face && it.code != U'\t')
                glyph = face->glyphFor(it.code);
            if (!glyph && it.code != U'\t' && face && !face->embedded()) {
                if (auto other = resolver.fallback(it.code, f)) {
                    glyph = other->glyphFor(it.code);
                    face = other.get();
                    out.faces.push_back(std::move(other));
                }
            }
            it.face = face;
            if (glyph) {
                // Flash places glyphs on whole twips.
                it.glyph = *glyph;
                it.drawn = true;
                it.advance = std::round(face->advance(*glyph) * it.size / face->emSize());
                if (f.kerning && !items.empty() && items.back().face == face)
                    items.back().advance += std::round(face->kerning(items.back().code, it.code) *
                                                       it.size / face->emSize());
            } else if (it.code == U' ' && face) {
                it.advance = it.size / 4; // a face without a space glyph still spaces words
            } else if (it.code != U'\t' && face && face->embedded()) {
                continue; // an embedded font shows nothing for characters it lacks
            }
            it.advance += f.letterSpacing * 20;
            items.push_back(it);
        }

        const double bulletIndent = para.bullet ? kBulletIndentPx * para.size / 12 * 20 : 0;
        std::size_t i = 0;
        bool firstLine = true;
        do {
            const double indent = firstLine ? para.indent * 20 : 0;
            const double left =
                kGutter + (para.leftMargin + para.blockIndent) * 20 + indent + bulletIndent;
            const double avail = options.width - 2 * kGutter -
                                 (para.leftMargin + para.rightMargin + para.blockIndent) * 20 -
                                 indent - bulletIndent;
            const bool wrap = options.wordWrap && options.multiline;
            double x = 0;
            std::size_t lineEnd = items.size();
            std::size_t lastBreak = i;
            for (std::size_t j = i; j < items.size(); ++j) {
                Item& it = items[j];
                if (it.code == U'\t') {
                    double next = 0;
                    const double px = x / 20;
                    bool found = false;
                    for (int stop : it.format->tabStops)
                        if (stop > px + 0.01) {
                            next = stop * 20;
                            found = true;
                            break;
                        }
                    if (!found)
                        next = (std::floor(px / kDefaultTabPx) + 1) * kDefaultTabPx * 20;
                    it.advance = next - x;
                }
                // A word longer than the line is split; on a line with no room at all (an
                // indent past the edge) it is not, and runs out of sight as in Flash.
                if (wrap && j > i && !isSpace(it.code) && x + it.advance > avail &&
                    (lastBreak > i || avail > 0)) {
                    lineEnd = lastBreak > i ? lastBreak : j;
                    break;
                }
                x += it.advance;
                if (isSpace(it.code))
                    lastBreak = j + 1;
                else if (j + 1 < items.size() && breaksBetween(it.code, items[j + 1].code))
                    lastBreak = j + 1;
            }
            if (lineEnd <= i && i < items.size())
                lineEnd = i + 1;

            LayoutLine line;
            line.start = i < items.size() ? items[i].index : (start < end ? end : start);
            line.end = lineEnd < items.size() ? items[lineEnd].index : end;
            if (i >= items.size())
                line.start = line.end = items.empty() ? start : end;
            double pen = 0, width = 0;
            for (std::size_t j = i; j < lineEnd; ++j) {
                const Item& it = items[j];
                if (it.face) {
                    line.ascent = std::max(
                        line.ascent, std::round(it.face->ascent() * it.size / it.face->emSize()));
                    line.descent = std::max(
                        line.descent, std::round(it.face->descent() * it.size / it.face->emSize()));
                }
                pen += it.advance;
                if (!isSpace(it.code))
                    width = pen;
            }
            if (line.ascent == 0 && line.descent == 0) {
                // An empty line is as tall as its format's font.
                if (const TextFace* face = faceFor(para)) {
                    line.ascent = std::round(face->ascent() * para.size * 20 / face->emSize());
                    line.descent = std::round(face->descent() * para.size * 20 / face->emSize());
                } else {
                    line.ascent = std::round(para.size * 20 * 0.9);
                    line.descent = std::round(para.size * 20 * 0.22);
                }
            }
            line.leading = para.leading * 20;
            double shift = 0, spaceExtra = 0;
            if (para.align == Align::Right)
                shift = std::max(0.0, avail - width);
            else if (para.align == Align::Center)
                shift = std::max(0.0, (avail - width) / 2);
            else if (para.align == Align::Justify && lineEnd < items.size()) {
                int spaces = 0;
                for (std::size_t j = i; j < lineEnd; ++j)
                    spaces += items[j].code == U' ' && items[j].index < line.end - 1;
                if (spaces > 0)
                    spaceExtra = std::max(0.0, (avail - width) / spaces);
            }
            line.left = left + shift;
            line.top = top;
            line.width = width;
            pen = line.left;
            for (std::size_t j = i; j < lineEnd; ++j) {
                const Item& it = items[j];
                if (it.drawn) {
                    PlacedGlyph g;
                    g.face = it.face;
                    g.glyph = it.glyph;
                    g.x = pen;
                    g.advance = it.advance;
                    g.size = it.size;
                    g.color = it.format->color;
                    g.underline = it.format->underline;
                    g.charIndex = it.index;
                    line.glyphs.push_back(g);
                }
                pen += it.advance;
                if (it.code == U' ' && spaceExtra > 0)
                    pen += spaceExtra;
            }
            if (para.bullet && firstLine) {
                // The bullet hangs in the indent, in the paragraph's font.
                const TextFace* face = faceFor(para);
                if (face)
                    if (auto glyph = face->glyphFor(U'\u2022')) {
                        PlacedGlyph g;
                        g.face = face;
                        g.glyph = *glyph;
                        g.x = left - bulletIndent;
                        g.size = para.size * 20;
                        g.color = para.color;
                        g.charIndex = line.start;
                        line.glyphs.insert(line.glyphs.begin(), g);
                    }
            }
            widest = std::max(widest, width + (left - kGutter));
            top += line.height();
            lastLeading = line.leading;
            out.lines.push_back(std::move(line));
            i = lineEnd;
            firstLine = false;
        } while (i < items.size());

        if (lastParagraph)
            break;
        start = end + 1;
    }
    out.textWidth = widest / 20;
    out.textHeight = std::max(0.0, top - kGutter - lastLeading) / 20;
    return out;
}

int Layout::lineOf(int charIndex) const {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (charIndex < lines[i].end || (charIndex == lines[i].end &&
                                         (i + 1 == lines.size() || lines[i + 1].start > charIndex)))
            return static_cast<int>(i);
    return lines.empty() ? 0 : static_cast<int>(lines.size()) - 1;
}

double Layout::caretX(int charIndex) const {
    if (lines.empty())
        return kGutter;
    const LayoutLine& line = lines[static_cast<std::size_t>(lineOf(charIndex))];
    double x = line.left;
    for (const PlacedGlyph& g : line.glyphs) {
        if (g.charIndex >= charIndex)
            return g.x;
        x = g.x + g.advance;
    }
    return x;
}

int Layout::charAt(QPointF p) const {
    if (lines.empty())
        return 0;
    std::size_t li = 0;
    while (li + 1 < lines.size() && p.y() >= lines[li].top + lines[li].height())
        ++li;
    const LayoutLine& line = lines[li];
    for (const PlacedGlyph& g : line.glyphs)
        if (p.x() < g.x + g.advance / 2)
            return g.charIndex;
    return line.end;
}

} // namespace swf::text
