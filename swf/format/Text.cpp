#include "swf/format/Text.h"

#include "swf/format/MovieBudget.h"

namespace swf {

Result<std::shared_ptr<StaticTextCharacter>> parseTextTag(uint16_t code, Reader& r,
                                                          MovieBudget* budget) {
    const bool alpha = code == 33;
    const uint16_t id = r.u16();
    const QRectF bounds = r.rect();
    const QTransform matrix = r.matrix();
    const int glyphBits = r.u8();
    const int advanceBits = r.u8();
    if (r.failed() || glyphBits > 32 || advanceBits > 32)
        return Error{QStringLiteral("Broken DefineText tag of text %1.").arg(id)};
    std::vector<TextRecord> records;
    TextRecord state; // font, height, colour and position carry over to the next record
    state.color = Qt::black;
    while (!r.failed()) {
        const uint8_t flags = r.u8();
        if (r.failed() || flags == 0)
            break;
        TextRecord rec = state;
        rec.glyphs.clear();
        if (flags & 0x08)
            rec.fontId = r.u16();
        if (flags & 0x04)
            rec.color = alpha ? r.rgba() : r.rgb();
        if (flags & 0x01)
            rec.x = r.s16();
        if (flags & 0x02)
            rec.y = r.s16();
        if (flags & 0x08)
            rec.height = r.u16();
        const int count = r.u8();
        // Every glyph takes at least one bit: a count beyond the bytes left is damage.
        if (r.failed() ||
            static_cast<std::size_t>(count) * (glyphBits + advanceBits) > r.remaining() * 8)
            break;
        if (budget && !budget->takeRecords(count ? 1 : 0))
            return Error{budget->error()};
        rec.glyphs.reserve(static_cast<std::size_t>(count));
        double x = rec.x;
        for (int i = 0; i < count; ++i) {
            TextRecord::Entry e;
            e.glyph = r.ub(glyphBits);
            e.advance = r.sb(advanceBits);
            x += e.advance;
            rec.glyphs.push_back(e);
        }
        r.align();
        if (r.failed())
            break; // the records before the damage are drawn
        records.push_back(rec);
        state = rec;
        state.x = x; // a record without an x offset goes on where the last one ended
    }
    return std::make_shared<StaticTextCharacter>(id, bounds, matrix, std::move(records));
}

TextRenderSettings readTextSettings(Reader& r) {
    TextRenderSettings s;
    s.advanced = r.ub(2) == 1;
    s.gridFit = static_cast<int>(r.ub(3));
    r.ub(3);
    s.thickness = r.f32();
    s.sharpness = r.f32();
    return s;
}

} // namespace swf
