#include "swf/render/TextPainter.h"

#include "swf/display/Stage.h"
#include "swf/display/TextField.h"
#include "swf/format/Font.h"
#include "swf/format/Movie.h"
#include "swf/format/Text.h"

#include <cmath>

namespace swf {

namespace {

const FontCharacter* fontOf(const Movie* movie, uint16_t id) {
    const Character* c = movie ? movie->character(id) : nullptr;
    return c && c->kind() == Character::Kind::Font ? static_cast<const FontCharacter*>(c) : nullptr;
}

// Calls draw(outline, glyphToText, colour) for every glyph of a static text.
template <typename Draw>
void forEachStaticGlyph(const StaticTextCharacter& text, const Movie* movie, Draw&& draw) {
    for (const TextRecord& rec : text.records()) {
        const FontCharacter* font = fontOf(movie, rec.fontId);
        if (!font || rec.height <= 0)
            continue;
        const double scale = rec.height / font->emSize();
        double x = rec.x;
        for (const TextRecord::Entry& e : rec.glyphs) {
            if (e.glyph < font->glyphs().size()) {
                const QPainterPath& outline = font->glyphs()[e.glyph].outline;
                if (!outline.isEmpty())
                    draw(outline, QTransform(scale, 0, 0, scale, x, rec.y), rec.color);
            }
            x += e.advance;
        }
    }
}

// Calls draw(outline, glyphToField, glyph) for every visible glyph of an edit text.
template <typename Draw> void forEachFieldGlyph(const TextField& field, Draw&& draw) {
    const text::Layout& layout = field.layout();
    const QRectF rect = field.rect();
    const QPointF origin = rect.topLeft() - field.scrollOffset();
    for (const text::LayoutLine& line : layout.lines) {
        const double top = line.top + origin.y();
        if (top > rect.bottom())
            break;
        if (top + line.height() < rect.top())
            continue;
        for (const text::PlacedGlyph& g : line.glyphs) {
            if (!g.face)
                continue;
            const QPainterPath& outline = g.face->outline(g.glyph);
            const double scale = g.size / g.face->emSize();
            draw(outline,
                 QTransform(scale, 0, 0, scale, g.x + origin.x(), line.baseline() + origin.y()), g,
                 line);
        }
    }
}

} // namespace

void paintTextField(QPainter& p, const TextField& field, const Movie* movie, const QTransform& m,
                    const ColorTransform& cx) {
    p.save();
    p.setPen(Qt::NoPen);
    if (const StaticTextCharacter* text = field.staticText()) {
        const QTransform base = text->matrix() * m;
        forEachStaticGlyph(
            *text, movie,
            [&](const QPainterPath& outline, const QTransform& at, const QColor& colour) {
                p.setWorldTransform(at * base);
                p.fillPath(outline, cx.isIdentity() ? colour : cx.apply(colour));
            });
        p.restore();
        return;
    }
    const QRectF rect = field.rect();
    p.setWorldTransform(m);
    if (field.background() || field.border()) {
        p.setPen(field.border() ? QPen(cx.apply(field.borderColor()), 0) : QPen(Qt::NoPen));
        p.setBrush(field.background() ? QBrush(cx.apply(field.backgroundColor())) : QBrush());
        p.drawRect(rect);
        p.setPen(Qt::NoPen);
    }
    // Text never spills out of its field.
    p.setClipRect(rect, Qt::IntersectClip);
    const bool focused = field.stage().focus() == &field;
    const int selBegin = focused ? field.selectionBegin() : 0;
    const int selEnd = focused ? field.selectionEnd() : 0;
    const QPointF origin = rect.topLeft() - field.scrollOffset();
    if (selBegin < selEnd) {
        // The selection: black behind, the text over it in white.
        for (const text::LayoutLine& line : field.layout().lines) {
            for (const text::PlacedGlyph& g : line.glyphs) {
                if (g.charIndex < selBegin || g.charIndex >= selEnd)
                    continue;
                p.setWorldTransform(m);
                p.fillRect(QRectF(g.x + origin.x(), line.top + origin.y(), g.advance,
                                  line.ascent + line.descent),
                           cx.apply(QColor(Qt::black)));
            }
        }
    }
    forEachFieldGlyph(field, [&](const QPainterPath& outline, const QTransform& at,
                                 const text::PlacedGlyph& g, const text::LayoutLine& line) {
        const bool selected = g.charIndex >= selBegin && g.charIndex < selEnd;
        const QColor colour = selected ? QColor(Qt::white) : QColor::fromRgba(g.color);
        const QColor drawn = cx.isIdentity() ? colour : cx.apply(colour);
        if (!outline.isEmpty()) {
            p.setWorldTransform(at * m);
            p.fillPath(outline, drawn);
        }
        if (g.underline) {
            p.setWorldTransform(m);
            const double thickness = std::max(20.0, g.size / 16);
            p.fillRect(QRectF(g.x + origin.x(), line.baseline() + origin.y() + g.size / 10,
                              g.advance, thickness),
                       drawn);
        }
    });
    if (field.showsCaret()) {
        const text::Layout& layout = field.layout();
        const double x = layout.caretX(field.caretIndex()) + origin.x();
        double top = text::kGutter + origin.y(), height = field.defaultTextFormat().size * 20;
        if (!layout.lines.empty()) {
            const auto& line =
                layout.lines[static_cast<std::size_t>(layout.lineOf(field.caretIndex()))];
            top = line.top + origin.y();
            height = line.ascent + line.descent;
        }
        p.setWorldTransform(QTransform());
        const QLineF caret = m.map(QLineF(x, top, x, top + height));
        p.setPen(QPen(cx.apply(QColor(Qt::black)), 1));
        p.drawLine(caret);
    }
    p.restore();
}

QPainterPath textFieldOutline(const TextField& field, const Movie* movie) {
    QPainterPath out;
    out.setFillRule(Qt::WindingFill);
    if (const StaticTextCharacter* text = field.staticText()) {
        forEachStaticGlyph(*text, movie,
                           [&](const QPainterPath& outline, const QTransform& at, const QColor&) {
                               out.addPath((at * text->matrix()).map(outline));
                           });
        return out;
    }
    if (field.background())
        out.addRect(field.rect());
    forEachFieldGlyph(field, [&](const QPainterPath& outline, const QTransform& at,
                                 const text::PlacedGlyph&,
                                 const text::LayoutLine&) { out.addPath(at.map(outline)); });
    return out;
}

} // namespace swf
