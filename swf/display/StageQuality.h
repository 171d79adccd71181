#pragma once

// How finely the whole movie is drawn. Script (_quality, _highquality, toggleQuality) and the
// control that shows the movie (its Quality property) both change the one value the stage
// keeps; how each level draws is the renderer's business.

#include <QString>
#include <QStringView>
#include <optional>

namespace swf {

enum class RenderQuality { Low, Medium, High, Best };

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
