#pragma once

// The character and paragraph formats of text fields, as Flash's TextFormat holds them. Sizes,
// margins, indents and leading are in pixels, as script sees them.

#include <QRgb>
#include <QString>
#include <optional>
#include <vector>

namespace swf::text {

enum class Align { Left, Right, Center, Justify };

struct TextFormat {
    QString font = QStringLiteral("Times New Roman");
    double size = 12;
    QRgb color = 0xff000000;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QString url;
    QString target;
    double letterSpacing = 0;
    bool kerning = false;
    // Paragraph formats: the first character of a paragraph decides them.
    Align align = Align::Left;
    double leftMargin = 0;
    double rightMargin = 0;
    double indent = 0;
    double blockIndent = 0;
    double leading = 0;
    bool bullet = false;
    std::vector<int> tabStops;

    bool operator==(const TextFormat&) const = default;

    // The same format with its numbers brought into ranges text can be laid out in: a size of
    // a million pixels or a margin of NaN from script becomes something drawable.
    TextFormat sanitized() const;
    std::size_t hash() const;
};

// A TextFormat with only some of its values set, as script passes to setTextFormat and gets
// from getTextFormat (a value the range does not share reads as unset).
struct PartialTextFormat {
    std::optional<QString> font;
    std::optional<double> size;
    std::optional<QRgb> color;
    std::optional<bool> bold, italic, underline;
    std::optional<QString> url, target;
    std::optional<double> letterSpacing;
    std::optional<bool> kerning;
    std::optional<Align> align;
    std::optional<double> leftMargin, rightMargin, indent, blockIndent, leading;
    std::optional<bool> bullet;
    std::optional<std::vector<int>> tabStops;

    // Sets what this one has on f.
    void applyTo(TextFormat& f) const;
    // Keeps only the values f shares with this one.
    void intersect(const TextFormat& f);
    static PartialTextFormat from(const TextFormat& f);
};

} // namespace swf::text
