#include "swf/text/TextFace.h"

#include "swf/format/Font.h"

#include <QPainterPathStroker>
#include <QTransform>

namespace swf::text {

EmbeddedFace::EmbeddedFace(std::shared_ptr<const FontCharacter> font) : font_(std::move(font)) {}

double EmbeddedFace::emSize() const {
    return font_->emSize();
}

double EmbeddedFace::ascent() const {
    return font_->effectiveAscent();
}

double EmbeddedFace::descent() const {
    return font_->effectiveDescent();
}

double EmbeddedFace::leading() const {
    return font_->hasLayout() ? font_->leading() : 0;
}

std::optional<uint32_t> EmbeddedFace::glyphFor(char32_t c) const {
    const auto g = font_->glyphFor(c);
    if (!g)
        return std::nullopt;
    return static_cast<uint32_t>(*g);
}

double EmbeddedFace::advance(uint32_t glyph) const {
    const auto& glyphs = font_->glyphs();
    if (glyph >= glyphs.size())
        return 0;
    const Glyph& g = glyphs[glyph];
    if (font_->hasLayout())
        return g.advance;
    // Without a layout table the outline's extent stands in for the advance.
    const QRectF box = g.outline.boundingRect();
    return box.isEmpty() ? font_->emSize() / 3 : box.right() + font_->emSize() / 20;
}

double EmbeddedFace::kerning(char32_t a, char32_t b) const {
    return font_->kerning(a, b);
}

const QPainterPath& EmbeddedFace::outline(uint32_t glyph) const {
    static const QPainterPath none;
    const auto& glyphs = font_->glyphs();
    return glyph < glyphs.size() ? glyphs[glyph].outline : none;
}

DeviceFace::DeviceFace(QRawFont raw, bool fakeBold, bool fakeItalic)
    : raw_(std::move(raw)), fakeBold_(fakeBold), fakeItalic_(fakeItalic) {
    raw_.setPixelSize(kEm);
}

std::optional<uint32_t> DeviceFace::glyphFor(char32_t c) const {
    std::lock_guard lock(mutex_);
    if (!raw_.supportsCharacter(static_cast<uint>(c)))
        return std::nullopt;
    const QString s = QString::fromUcs4(&c, 1);
    const QList<quint32> ids = raw_.glyphIndexesForString(s);
    if (ids.isEmpty() || ids.front() == 0)
        return std::nullopt;
    return ids.front();
}

double DeviceFace::advance(uint32_t glyph) const {
    std::lock_guard lock(mutex_);
    const auto it = advances_.find(glyph);
    if (it != advances_.end())
        return it->second;
    const QList<QPointF> a = raw_.advancesForGlyphIndexes(QList<quint32>{glyph});
    // A face made bold by thickening needs the room its wider strokes take.
    const double v = (a.isEmpty() ? 0 : a.front().x()) + (fakeBold_ ? kBoldStroke : 0);
    advances_.emplace(glyph, v);
    return v;
}

const QPainterPath& DeviceFace::outline(uint32_t glyph) const {
    std::lock_guard lock(mutex_);
    auto it = outlines_.find(glyph);
    if (it == outlines_.end()) {
        QPainterPath path = raw_.pathForGlyph(glyph);
        if (fakeBold_ && !path.isEmpty()) {
            // Thickened by a stroke around the outline, kept on its pen position.
            QPainterPathStroker stroker;
            stroker.setWidth(kBoldStroke);
            stroker.setJoinStyle(Qt::MiterJoin);
            path.setFillRule(Qt::WindingFill);
            path = path.united(stroker.createStroke(path)).translated(kBoldStroke / 2, 0);
            path.setFillRule(Qt::WindingFill);
        }
        if (fakeItalic_ && !path.isEmpty()) {
            // Slanted about the baseline (y grows downwards), as an oblique face would be.
            path = QTransform(1, 0, -kItalicSlant, 1, 0, 0).map(path);
        }
        it = outlines_.emplace(glyph, std::move(path)).first;
    }
    return it->second;
}

} // namespace swf::text
