#pragma once

// A typeface text is laid out and drawn in: an embedded font of the movie or an installed font.
// Both give outlines and metrics in an EM square of emSize() units, y down, baseline at 0.

#include <QPainterPath>
#include <QRawFont>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace swf {
class FontCharacter;
}

namespace swf::text {

class TextFace {
public:
    virtual ~TextFace() = default;
    virtual double emSize() const = 0;
    virtual double ascent() const = 0;
    virtual double descent() const = 0;
    virtual double leading() const = 0;
    virtual std::optional<uint32_t> glyphFor(char32_t c) const = 0;
    // EM units; what the glyph moves the pen by.
    virtual double advance(uint32_t glyph) const = 0;
    virtual double kerning(char32_t, char32_t) const { return 0; }
    // EM units; an empty path for a glyph that draws nothing.
    virtual const QPainterPath& outline(uint32_t glyph) const = 0;
    virtual bool embedded() const = 0;
};

// A DefineFont of the movie. The font must outlive the face (faces are made per lookup and
// hold the font by a shared pointer).
class EmbeddedFace final : public TextFace {
public:
    explicit EmbeddedFace(std::shared_ptr<const FontCharacter> font);
    double emSize() const override;
    double ascent() const override;
    double descent() const override;
    double leading() const override;
    std::optional<uint32_t> glyphFor(char32_t c) const override;
    double advance(uint32_t glyph) const override;
    double kerning(char32_t a, char32_t b) const override;
    const QPainterPath& outline(uint32_t glyph) const override;
    bool embedded() const override { return true; }
    const FontCharacter& font() const { return *font_; }

private:
    std::shared_ptr<const FontCharacter> font_;
};

// An installed font loaded at the EM size, so its outlines come in the same units as the
// movie's fonts. Outlines are made on first use and kept.
class DeviceFace final : public TextFace {
public:
    // fakeBold, fakeItalic: the installed family has no such face, so the regular one is
    // thickened or slanted instead, as Windows does for Flash's device text.
    explicit DeviceFace(QRawFont raw, bool fakeBold = false, bool fakeItalic = false);
    double emSize() const override { return kEm; }
    double ascent() const override { return raw_.ascent(); }
    double descent() const override { return raw_.descent(); }
    double leading() const override { return raw_.leading(); }
    std::optional<uint32_t> glyphFor(char32_t c) const override;
    double advance(uint32_t glyph) const override;
    const QPainterPath& outline(uint32_t glyph) const override;
    bool embedded() const override { return false; }
    QString family() const { return raw_.familyName(); }
    bool fakeBold() const { return fakeBold_; }
    bool fakeItalic() const { return fakeItalic_; }

    static constexpr double kEm = 1024;
    static constexpr double kBoldStroke = kEm / 32;
    static constexpr double kItalicSlant = 0.2;

private:
    QRawFont raw_;
    bool fakeBold_ = false;
    bool fakeItalic_ = false;
    mutable std::mutex mutex_;
    mutable std::unordered_map<uint32_t, QPainterPath> outlines_;
    mutable std::unordered_map<uint32_t, double> advances_;
};

} // namespace swf::text
