// The font and text tags of the test SWF writer.

#include "tests/support/SwfWriter.h"

#include <algorithm>
#include <cstring>

namespace testsupport {

namespace {

// One glyph's SHAPE: one fill bit, no line bits, each contour a closed polygon of straight
// edges with the ink on fill 1.
QByteArray glyphShape(const GlyphSpec& g) {
    BitWriter w;
    w.ub(1, 4);
    w.ub(0, 4);
    bool first = true;
    for (const QPolygon& contour : g.contours) {
        if (contour.isEmpty())
            continue;
        const QPoint start = contour.front();
        // Style change: move, and fill 1 on the right the first time.
        w.ub(0, 1);
        w.ub(first ? 0b00101 : 0b00001, 5);
        const int n =
            std::max({BitWriter::bitsForSigned(start.x()), BitWriter::bitsForSigned(start.y()), 1});
        w.ub(static_cast<uint32_t>(n), 5);
        w.sb(start.x(), n);
        w.sb(start.y(), n);
        if (first)
            w.ub(1, 1); // fill1 = 1
        first = false;
        QPoint pen = start;
        for (int i = 1; i <= contour.size(); ++i) {
            const QPoint to = contour[i % contour.size()];
            const int dx = to.x() - pen.x(), dy = to.y() - pen.y();
            if (dx == 0 && dy == 0)
                continue;
            const int bits =
                std::max({BitWriter::bitsForSigned(dx), BitWriter::bitsForSigned(dy), 2});
            w.ub(1, 1);
            w.ub(1, 1);
            w.ub(static_cast<uint32_t>(bits - 2), 4);
            w.ub(1, 1);
            w.sb(dx, bits);
            w.sb(dy, bits);
            pen = to;
        }
    }
    w.ub(0, 6);
    w.align();
    return w.data();
}

void writeCode(BitWriter& w, char16_t code, bool wide) {
    if (wide)
        w.u16(code);
    else
        w.u8(static_cast<uint8_t>(code));
}

} // namespace

FontSpec FontSpec::boxes(const QString& chars, int em, int width, int gap) {
    FontSpec f;
    f.name = "Boxes";
    const int ink = em * 7 / 10;
    f.ascent = em * 8 / 10;
    f.descent = em * 2 / 10;
    for (QChar c : chars) {
        GlyphSpec g;
        g.code = c.unicode();
        if (c != QLatin1Char(' '))
            g.contours.push_back(
                QPolygon({QPoint(0, -ink), QPoint(width, -ink), QPoint(width, 0), QPoint(0, 0)}));
        g.advance = width + gap;
        f.glyphs.push_back(g);
    }
    return f;
}

void SwfWriter::defineFont1(uint16_t id, const FontSpec& font) {
    BitWriter w;
    w.u16(id);
    std::vector<QByteArray> shapes;
    for (const auto& g : font.glyphs)
        shapes.push_back(glyphShape(g));
    uint32_t offset = static_cast<uint32_t>(shapes.size() * 2);
    for (const auto& s : shapes) {
        w.u16(static_cast<uint16_t>(offset));
        offset += static_cast<uint32_t>(s.size());
    }
    for (const auto& s : shapes)
        w.bytes(s);
    tag(10, w.data());
}

void SwfWriter::defineFont2(uint16_t id, const FontSpec& font, int version) {
    BitWriter w;
    w.u16(id);
    std::vector<QByteArray> shapes;
    for (const auto& g : font.glyphs)
        shapes.push_back(glyphShape(g));
    const bool wideOffsets = true;
    w.u8(static_cast<uint8_t>((font.layout ? 0x80 : 0) | (font.shiftJis ? 0x40 : 0) |
                              (font.smallText ? 0x20 : 0) | (font.ansi ? 0x10 : 0) |
                              (wideOffsets ? 0x08 : 0) | (font.wideCodes ? 0x04 : 0) |
                              (font.italic ? 0x02 : 0) | (font.bold ? 0x01 : 0)));
    w.u8(1); // language
    w.u8(static_cast<uint8_t>(font.name.size()));
    w.bytes(font.name);
    w.u16(static_cast<uint16_t>(font.glyphs.size()));
    uint32_t offset = static_cast<uint32_t>((shapes.size() + 1) * 4);
    for (const auto& s : shapes) {
        w.u32(offset);
        offset += static_cast<uint32_t>(s.size());
    }
    w.u32(offset); // the code table
    for (const auto& s : shapes)
        w.bytes(s);
    for (const auto& g : font.glyphs)
        writeCode(w, g.code, font.wideCodes);
    if (font.layout) {
        w.u16(static_cast<uint16_t>(font.ascent));
        w.u16(static_cast<uint16_t>(font.descent));
        w.u16(static_cast<uint16_t>(font.leading));
        for (const auto& g : font.glyphs)
            w.u16(static_cast<uint16_t>(g.advance));
        for (const auto& g : font.glyphs) {
            QRect box;
            for (const auto& c : g.contours)
                box |= c.boundingRect();
            w.rect(box.left(), box.right(), box.top(), box.bottom());
        }
        w.u16(static_cast<uint16_t>(font.kerning.size()));
        for (const auto& k : font.kerning) {
            writeCode(w, k.left, font.wideCodes);
            writeCode(w, k.right, font.wideCodes);
            w.u16(static_cast<uint16_t>(k.adjustment));
        }
    }
    tag(version == 3 ? 75 : 48, w.data());
}

void SwfWriter::defineFontInfo(uint16_t id, const FontSpec& font, int version) {
    BitWriter w;
    w.u16(id);
    w.u8(static_cast<uint8_t>(font.name.size()));
    w.bytes(font.name);
    const bool wide = version == 2 || font.wideCodes;
    w.u8(static_cast<uint8_t>((font.smallText ? 0x20 : 0) | (font.shiftJis ? 0x10 : 0) |
                              (font.ansi ? 0x08 : 0) | (font.italic ? 0x04 : 0) |
                              (font.bold ? 0x02 : 0) | (wide ? 0x01 : 0)));
    if (version == 2)
        w.u8(1);
    for (const auto& g : font.glyphs)
        writeCode(w, g.code, wide);
    tag(version == 2 ? 62 : 13, w.data());
}

void SwfWriter::defineFontName(uint16_t id, const QByteArray& name, const QByteArray& copyright) {
    BitWriter w;
    w.u16(id);
    w.bytes(name);
    w.u8(0);
    w.bytes(copyright);
    w.u8(0);
    tag(88, w.data());
}

void SwfWriter::defineFontAlignZones(uint16_t id, int glyphs) {
    BitWriter w;
    w.u16(id);
    w.u8(0x40); // medium hint
    for (int i = 0; i < glyphs; ++i) {
        w.u8(2);
        // Half floats: 0 and 1.0 (0x3c00), then 0 and 0.5 (0x3800).
        w.u16(0);
        w.u16(0x3c00);
        w.u16(0);
        w.u16(0x3800);
        w.u8(0x03);
    }
    tag(73, w.data());
}

void SwfWriter::csmTextSettings(uint16_t textId, bool advanced, int gridFit) {
    BitWriter w;
    w.u16(textId);
    w.ub(advanced ? 1 : 0, 2);
    w.ub(static_cast<uint32_t>(gridFit), 3);
    w.ub(0, 3);
    const float thickness = 0.5f, sharpness = -1.0f;
    uint32_t bits = 0;
    std::memcpy(&bits, &thickness, 4);
    w.u32(bits);
    std::memcpy(&bits, &sharpness, 4);
    w.u32(bits);
    w.u8(0);
    tag(74, w.data());
}

void SwfWriter::defineText(uint16_t id, QRect b, const QTransform& m,
                           const std::vector<TextRecordSpec>& records, int version) {
    BitWriter w;
    w.u16(id);
    w.rect(b.left(), b.left() + b.width(), b.top(), b.top() + b.height());
    w.matrix(m.m11(), m.m12(), m.m21(), m.m22(), static_cast<int>(m.dx()),
             static_cast<int>(m.dy()));
    int glyphBits = 1, advanceBits = 1;
    for (const auto& r : records)
        for (const auto& [g, a] : r.glyphs) {
            glyphBits = std::max(glyphBits, BitWriter::bitsForUnsigned(g));
            advanceBits = std::max(advanceBits, BitWriter::bitsForSigned(a));
        }
    w.u8(static_cast<uint8_t>(glyphBits));
    w.u8(static_cast<uint8_t>(advanceBits));
    for (const auto& r : records) {
        w.u8(static_cast<uint8_t>(0x80 | (r.fontId ? 0x08 : 0) | (r.color ? 0x04 : 0) |
                                  (r.y ? 0x02 : 0) | (r.x ? 0x01 : 0)));
        if (r.fontId)
            w.u16(*r.fontId);
        if (r.color) {
            if (version == 2)
                w.rgba(*r.color);
            else
                w.rgb(*r.color);
        }
        if (r.x)
            w.u16(static_cast<uint16_t>(*r.x));
        if (r.y)
            w.u16(static_cast<uint16_t>(*r.y));
        if (r.fontId)
            w.u16(static_cast<uint16_t>(r.height));
        w.u8(static_cast<uint8_t>(r.glyphs.size()));
        for (const auto& [g, a] : r.glyphs) {
            w.ub(g, glyphBits);
            w.sb(a, advanceBits);
        }
        w.align();
    }
    w.u8(0);
    tag(version == 2 ? 33 : 11, w.data());
}

void SwfWriter::defineEditText(uint16_t id, const EditTextSpec& s) {
    BitWriter w;
    w.u16(id);
    const QRect& b = s.bounds;
    w.rect(b.left(), b.left() + b.width(), b.top(), b.top() + b.height());
    w.u8(static_cast<uint8_t>((s.initialText ? 0x80 : 0) | (s.wordWrap ? 0x40 : 0) |
                              (s.multiline ? 0x20 : 0) | (s.password ? 0x10 : 0) |
                              (s.readOnly ? 0x08 : 0) | (s.color ? 0x04 : 0) |
                              (s.maxLength ? 0x02 : 0) | (s.fontId ? 0x01 : 0)));
    w.u8(static_cast<uint8_t>((s.autoSize ? 0x40 : 0) | (s.align ? 0x20 : 0) |
                              (s.noSelect ? 0x10 : 0) | (s.border ? 0x08 : 0) |
                              (s.wasStatic ? 0x04 : 0) | (s.html ? 0x02 : 0) |
                              (s.useOutlines ? 0x01 : 0)));
    if (s.fontId) {
        w.u16(*s.fontId);
        w.u16(static_cast<uint16_t>(s.fontHeight));
    }
    if (s.color)
        w.rgba(*s.color);
    if (s.maxLength)
        w.u16(static_cast<uint16_t>(*s.maxLength));
    if (s.align) {
        w.u8(static_cast<uint8_t>(*s.align));
        w.u16(static_cast<uint16_t>(s.leftMargin));
        w.u16(static_cast<uint16_t>(s.rightMargin));
        w.u16(static_cast<uint16_t>(s.indent));
        w.u16(static_cast<uint16_t>(s.leading));
    }
    w.bytes(s.variableName);
    w.u8(0);
    if (s.initialText) {
        w.bytes(*s.initialText);
        w.u8(0);
    }
    tag(37, w.data());
}

} // namespace testsupport
