#pragma once

// Fonts and texts for the test SWF writer: what DefineFont, DefineFont2/3, DefineFontInfo(2),
// DefineText(2) and DefineEditText hold, as plain values.

#include <QByteArray>
#include <QColor>
#include <QPolygon>
#include <QRect>
#include <QString>
#include <QTransform>
#include <optional>
#include <vector>

namespace testsupport {

struct GlyphSpec {
    char16_t code = 0;
    // Closed outlines in EM units (y down, baseline at 0): a glyph's ink.
    std::vector<QPolygon> contours;
    int advance = 0; // EM units; written when the font has a layout
};

struct FontSpec {
    QByteArray name; // as the file stores it (UTF-8 from SWF 6 on)
    bool bold = false, italic = false, smallText = false, shiftJis = false, ansi = false;
    bool wideCodes = true;
    bool layout = true;
    int ascent = 0, descent = 0, leading = 0; // EM units
    std::vector<GlyphSpec> glyphs;
    struct Kerning {
        char16_t left, right;
        int adjustment;
    };
    std::vector<Kerning> kerning;

    // A font whose glyphs are solid boxes of the EM square's ink height, one per character
    // of chars; each glyph is `width` units wide and advances by width + gap.
    static FontSpec boxes(const QString& chars, int em = 1024, int width = 400, int gap = 112);
};

struct TextRecordSpec {
    std::optional<uint16_t> fontId;
    int height = 0; // twips, with the font
    std::optional<QColor> color;
    std::optional<int> x, y;                      // twips
    std::vector<std::pair<uint32_t, int>> glyphs; // index, advance in twips
};

struct EditTextSpec {
    QRect bounds; // twips
    bool wordWrap = false, multiline = false, password = false, readOnly = false;
    bool autoSize = false, noSelect = false, border = false, wasStatic = false, html = false;
    bool useOutlines = false;
    std::optional<uint16_t> fontId;
    int fontHeight = 240; // twips
    std::optional<QColor> color;
    std::optional<int> maxLength;
    std::optional<int> align; // with layout: 0 left, 1 right, 2 center, 3 justify
    int leftMargin = 0, rightMargin = 0, indent = 0, leading = 0; // twips
    QByteArray variableName;
    std::optional<QByteArray> initialText; // bytes as the file stores them
};

} // namespace testsupport
