#pragma once

// The four drawing qualities of Flash (_quality, the control's Quality) and what each one
// changes: low draws hard edges and unsmoothed bitmaps; medium smooths the edges of shapes
// but not bitmaps; high smooths bitmaps too where the movie asks for it; best smooths every
// bitmap, whatever the movie asks.

#include <QString>
#include <QStringView>
#include <optional>

namespace swf {

enum class RenderQuality { Low, Medium, High, Best };

inline bool antialiasesShapes(RenderQuality q) {
    return q != RenderQuality::Low;
}

// Whether a bitmap whose own smoothing flag is `requested` is drawn smoothed.
inline bool smoothsBitmaps(RenderQuality q, bool requested) {
    return q == RenderQuality::Best || (q == RenderQuality::High && requested);
}

// The names script reads and writes, in any case: "LOW", "MEDIUM", "HIGH", "BEST".
inline std::optional<RenderQuality> qualityFromName(QStringView name) {
    const QString upper = name.trimmed().toString().toUpper();
    if (upper == u"LOW")
        return RenderQuality::Low;
    if (upper == u"MEDIUM")
        return RenderQuality::Medium;
    if (upper == u"HIGH")
        return RenderQuality::High;
    if (upper == u"BEST")
        return RenderQuality::Best;
    return std::nullopt;
}

inline QString qualityName(RenderQuality q) {
    switch (q) {
    case RenderQuality::Low:
        return QStringLiteral("LOW");
    case RenderQuality::Medium:
        return QStringLiteral("MEDIUM");
    case RenderQuality::High:
        return QStringLiteral("HIGH");
    case RenderQuality::Best:
        return QStringLiteral("BEST");
    }
    return QStringLiteral("HIGH");
}

} // namespace swf
