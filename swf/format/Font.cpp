#include "swf/format/Font.h"

#include "swf/format/MovieBudget.h"
#include "swf/format/ShapeBuilder.h"
#include "swf/format/TextEncoding.h"

#include <cmath>
#include <cstring>

namespace swf {

namespace {

constexpr uint16_t kDefineFont = 10;
constexpr uint16_t kDefineFont3 = 75;
constexpr uint16_t kDefineFontInfo2 = 62;

Error broken(const char* what, uint16_t id) {
    return Error{QStringLiteral("Broken %1 tag of font %2.").arg(QLatin1String(what)).arg(id)};
}

// One glyph's SHAPE: bit counts, then records whose fill 1 is the glyph's ink.
QPainterPath readGlyph(Reader r, MovieBudget* budget, bool& overBudget) {
    std::vector<EdgeLayer> layers(1);
    layers[0].fills.resize(1);
    const int fillBits = static_cast<int>(r.ub(4));
    const int lineBits = static_cast<int>(r.ub(4));
    if (!readBudgetedShapeRecords(r, 1, fillBits, lineBits, layers, budget) && budget &&
        budget->exceeded()) {
        overBudget = true;
        return {};
    }
    // A glyph is one fill whatever index its edges name: some tools number it 1 on either side.
    for (StyledEdge& e : layers[0].edges) {
        e.fill0 = e.fill0 ? 1 : 0;
        e.fill1 = e.fill1 ? 1 : 0;
    }
    BuiltLayer built = buildLayer(layers[0], true);
    return built.fillPaths.empty() ? QPainterPath() : built.fillPaths.front().path;
}

// Half-precision float (DefineFontAlignZones).
float half(uint16_t h) {
    const int sign = h >> 15, exponent = (h >> 10) & 0x1f, mantissa = h & 0x3ff;
    float v;
    if (exponent == 0)
        v = std::ldexp(static_cast<float>(mantissa), -24);
    else if (exponent == 31)
        v = mantissa ? NAN : INFINITY;
    else
        v = std::ldexp(static_cast<float>(mantissa | 0x400), exponent - 25);
    return sign ? -v : v;
}

QString fontName(const QByteArray& raw, int swfVersion, bool shiftJis) {
    QByteArray bytes = raw;
    // Names are often stored with their terminator counted in the length.
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return decodeMovieString(bytes, swfVersion, shiftJis);
}

} // namespace

std::shared_ptr<FontCharacter> FontCharacter::copy() const {
    auto c = std::make_shared<FontCharacter>(id());
    c->emSize_ = emSize_;
    c->name_ = name_;
    c->copyright_ = copyright_;
    c->bold_ = bold_;
    c->italic_ = italic_;
    c->smallText_ = smallText_;
    c->shiftJis_ = shiftJis_;
    c->ansi_ = ansi_;
    c->language_ = language_;
    c->hasLayout_ = hasLayout_;
    c->ascent_ = ascent_;
    c->descent_ = descent_;
    c->leading_ = leading_;
    c->zoneHint_ = zoneHint_;
    c->glyphs_ = glyphs_;
    c->zones_ = zones_;
    c->byCode_ = byCode_;
    c->kerning_ = kerning_;
    return c;
}

void FontCharacter::indexCodes() {
    byCode_.clear();
    for (std::size_t i = 0; i < glyphs_.size(); ++i)
        if (glyphs_[i].code != 0)
            byCode_.emplace(glyphs_[i].code, static_cast<int>(i)); // the first one wins
}

std::optional<int> FontCharacter::glyphFor(char32_t c) const {
    const auto it = byCode_.find(c);
    if (it == byCode_.end())
        return std::nullopt;
    return it->second;
}

double FontCharacter::kerning(char32_t left, char32_t right) const {
    if (kerning_.empty())
        return 0;
    const auto it = kerning_.find({left, right});
    return it == kerning_.end() ? 0 : it->second;
}

double FontCharacter::effectiveAscent() const {
    if (hasLayout_ && (ascent_ > 0 || descent_ > 0))
        return ascent_;
    return emSize_ * 0.9; // Flash's own guess for fonts without metrics
}

double FontCharacter::effectiveDescent() const {
    if (hasLayout_ && (ascent_ > 0 || descent_ > 0))
        return descent_;
    return emSize_ * 0.22;
}

Result<std::shared_ptr<FontCharacter>> parseFontTag(uint16_t code, Reader& r, int swfVersion,
                                                    MovieBudget* budget) {
    const uint16_t id = r.u16();
    if (r.failed())
        return broken("DefineFont", id);
    auto font = std::make_shared<FontCharacter>(id);
    bool overBudget = false;
    const auto budgetError = [&]() { return Error{budget->error()}; };
    if (code == kDefineFont) {
        // The offsets table: its first entry says how long it is.
        const std::size_t base = r.position();
        const uint16_t first = r.u16();
        if (r.failed())
            return font; // a font with no glyphs at all
        const std::size_t count = first / 2;
        if (count * 2 > r.remaining() + 2)
            return broken("DefineFont", id);
        std::vector<uint32_t> offsets{first};
        for (std::size_t i = 1; i < count; ++i)
            offsets.push_back(r.u16());
        if (r.failed())
            return broken("DefineFont", id);
        const Reader whole = r.from(base);
        font->glyphs_.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const uint32_t end =
                i + 1 < count ? offsets[i + 1] : static_cast<uint32_t>(whole.size());
            if (offsets[i] > end || end > whole.size())
                continue; // a damaged entry is an empty glyph
            Reader g = whole.from(offsets[i]).sub(end - offsets[i]);
            font->glyphs_[i].outline = readGlyph(g, budget, overBudget);
            if (overBudget)
                return budgetError();
        }
        return font;
    }

    font->emSize_ = code == kDefineFont3 ? 20480 : 1024;
    const uint8_t flags = r.u8();
    const bool hasLayout = flags & 0x80;
    font->shiftJis_ = flags & 0x40;
    font->smallText_ = flags & 0x20;
    font->ansi_ = flags & 0x10;
    const bool wideOffsets = flags & 0x08;
    const bool wideCodes = flags & 0x04;
    font->italic_ = flags & 0x02;
    font->bold_ = flags & 0x01;
    font->language_ = r.u8();
    const int nameLength = r.u8();
    font->name_ =
        fontName(r.bytes(static_cast<std::size_t>(nameLength)), swfVersion, font->shiftJis_);
    const std::size_t count = r.u16();
    if (r.failed())
        return broken("DefineFont2", id);
    const std::size_t tableBase = r.position();
    const std::size_t entry = wideOffsets ? 4 : 2;
    // Each glyph needs at least its offset: check before reserving.
    if (count * entry > r.remaining())
        return broken("DefineFont2", id);
    std::vector<uint32_t> offsets(count);
    for (auto& o : offsets)
        o = wideOffsets ? r.u32() : r.u16();
    // A font of no glyphs (a device font's name) may end before its code table offset.
    const uint32_t codeTableOffset = count > 0 || r.remaining() >= entry
                                         ? (wideOffsets ? r.u32() : r.u16())
                                         : static_cast<uint32_t>(r.position() - tableBase);
    if (r.failed())
        return broken("DefineFont2", id);
    const Reader table = r.from(tableBase);
    if (codeTableOffset > table.size())
        return broken("DefineFont2", id);
    font->glyphs_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const uint32_t end = i + 1 < count ? offsets[i + 1] : codeTableOffset;
        if (offsets[i] > end || end > table.size())
            continue;
        Reader g = table.from(offsets[i]).sub(end - offsets[i]);
        font->glyphs_[i].outline = readGlyph(g, budget, overBudget);
        if (overBudget)
            return budgetError();
    }
    Reader rest = table.from(codeTableOffset);
    const bool unicode = !font->ansi_ && !font->shiftJis_;
    for (std::size_t i = 0; i < count; ++i) {
        const uint16_t c = wideCodes ? rest.u16() : rest.u8();
        font->glyphs_[i].code = decodeFontCode(c, swfVersion, font->shiftJis_, unicode);
    }
    if (rest.failed())
        return broken("DefineFont2", id);
    font->indexCodes();
    if (hasLayout) {
        font->ascent_ = rest.u16();
        font->descent_ = rest.u16();
        font->leading_ = rest.s16();
        for (auto& g : font->glyphs_)
            g.advance = rest.s16();
        for (auto& g : font->glyphs_)
            g.bounds = rest.rect();
        const std::size_t kerningCount = rest.u16();
        // A font cut short after its advances keeps them; kerning is a nicety.
        if (!rest.failed() && kerningCount * (wideCodes ? 6 : 4) <= rest.remaining()) {
            for (std::size_t i = 0; i < kerningCount; ++i) {
                const uint16_t a = wideCodes ? rest.u16() : rest.u8();
                const uint16_t b = wideCodes ? rest.u16() : rest.u8();
                const int16_t adjust = rest.s16();
                font->kerning_[{decodeFontCode(a, swfVersion, font->shiftJis_, unicode),
                                decodeFontCode(b, swfVersion, font->shiftJis_, unicode)}] = adjust;
            }
        }
        font->hasLayout_ = true;
    }
    return font;
}

Result<std::shared_ptr<FontCharacter>> applyFontInfo(const FontCharacter& font, uint16_t code,
                                                     Reader& r, int swfVersion) {
    auto out = font.copy();
    const int nameLength = r.u8();
    const QByteArray name = r.bytes(static_cast<std::size_t>(nameLength));
    const uint8_t flags = r.u8();
    out->smallText_ = flags & 0x20;
    out->shiftJis_ = flags & 0x10;
    out->ansi_ = flags & 0x08;
    out->italic_ = flags & 0x04;
    out->bold_ = flags & 0x02;
    const bool wideCodes = code == kDefineFontInfo2 || (flags & 0x01);
    if (code == kDefineFontInfo2)
        out->language_ = r.u8();
    if (r.failed())
        return broken("DefineFontInfo", font.id());
    out->name_ = fontName(name, swfVersion, out->shiftJis_);
    const bool unicode = !out->ansi_ && !out->shiftJis_;
    for (Glyph& g : out->glyphs_) {
        const uint16_t c = wideCodes ? r.u16() : r.u8();
        if (r.failed())
            break; // the glyphs before the end keep their codes
        g.code = decodeFontCode(c, swfVersion, out->shiftJis_, unicode);
    }
    out->indexCodes();
    return out;
}

Result<std::shared_ptr<FontCharacter>> applyFontName(const FontCharacter& font, Reader& r) {
    auto out = font.copy();
    const QByteArray name = r.string();
    const QByteArray copyright = r.atEnd() ? QByteArray() : r.string();
    if (r.failed())
        return broken("DefineFontName", font.id());
    // The name given here is the one the author picked; the font tag's may be a system name.
    if (!name.isEmpty())
        out->name_ = QString::fromUtf8(name);
    out->copyright_ = QString::fromUtf8(copyright);
    return out;
}

Result<std::shared_ptr<FontCharacter>> applyAlignZones(const FontCharacter& font, Reader& r) {
    auto out = font.copy();
    out->zoneHint_ = static_cast<int>(r.u8() >> 6);
    out->zones_.clear();
    for (std::size_t i = 0; i < out->glyphs_.size() && !r.atEnd(); ++i) {
        const int n = r.u8();
        std::vector<std::pair<float, float>> data;
        for (int k = 0; k < n && !r.failed(); ++k) {
            const float pos = half(r.u16());
            const float range = half(r.u16());
            data.emplace_back(pos, range);
        }
        const uint8_t mask = r.u8();
        if (r.failed())
            break;
        AlignZone zone;
        if ((mask & 0x01) && !data.empty())
            zone.x = data[0];
        if ((mask & 0x02) && data.size() > 1)
            zone.y = data[1];
        out->zones_.push_back(zone);
    }
    return out;
}

} // namespace swf
