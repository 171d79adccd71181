#include "swf/render/AutoQuality.h"

#include <cmath>

namespace swf {

namespace {

// A frame or two over budget happens to every movie (a page of text laid out, a sound
// started), so the level follows a smoothed cost, and only after enough frames at the present
// level that the average means something. Rising waits longer and needs the frame to take
// half its budget at most, since the higher level costs more and should not drop back at once.
constexpr double kSmoothing = 1.0 / 8;
constexpr int kFramesBeforeDrop = 8;
constexpr int kFramesBeforeRise = 24;
constexpr double kRiseShare = 0.5;

} // namespace

std::optional<QualityMode> qualityModeFromName(QStringView name) {
    const QString lower = name.trimmed().toString().toLower();
    if (lower == u"low")
        return QualityMode::Low;
    if (lower == u"medium")
        return QualityMode::Medium;
    if (lower == u"high")
        return QualityMode::High;
    if (lower == u"best")
        return QualityMode::Best;
    if (lower == u"autolow")
        return QualityMode::AutoLow;
    if (lower == u"autohigh")
        return QualityMode::AutoHigh;
    return std::nullopt;
}

QString qualityModeName(QualityMode mode) {
    switch (mode) {
    case QualityMode::Low:
        return QStringLiteral("low");
    case QualityMode::Medium:
        return QStringLiteral("medium");
    case QualityMode::High:
        return QStringLiteral("high");
    case QualityMode::Best:
        return QStringLiteral("best");
    case QualityMode::AutoLow:
        return QStringLiteral("autolow");
    case QualityMode::AutoHigh:
        return QStringLiteral("autohigh");
    }
    return QStringLiteral("high");
}

void AutoQuality::setMode(QualityMode mode) {
    mode_ = mode;
    switch (mode) {
    case QualityMode::Low:
    case QualityMode::AutoLow:
        quality_ = RenderQuality::Low;
        break;
    case QualityMode::Medium:
        quality_ = RenderQuality::Medium;
        break;
    case QualityMode::High:
    case QualityMode::AutoHigh:
        quality_ = RenderQuality::High;
        break;
    case QualityMode::Best:
        quality_ = RenderQuality::Best;
        break;
    }
    averageMs_ = 0;
    frames_ = 0;
}

bool AutoQuality::frameDone(double costMs, double budgetMs) {
    if (!automatic() || !std::isfinite(costMs) || costMs < 0 || !(budgetMs > 0))
        return false;
    averageMs_ = frames_ == 0 ? costMs : averageMs_ + (costMs - averageMs_) * kSmoothing;
    ++frames_;
    RenderQuality next = quality_;
    if (quality_ == RenderQuality::High && frames_ >= kFramesBeforeDrop && averageMs_ > budgetMs)
        next = RenderQuality::Low;
    else if (quality_ == RenderQuality::Low && frames_ >= kFramesBeforeRise &&
             averageMs_ <= budgetMs * kRiseShare)
        next = RenderQuality::High;
    if (next == quality_)
        return false;
    quality_ = next;
    averageMs_ = 0;
    frames_ = 0;
    return true;
}

void AutoQuality::fix(RenderQuality quality) {
    quality_ = quality;
    switch (quality) {
    case RenderQuality::Low:
        mode_ = QualityMode::Low;
        break;
    case RenderQuality::Medium:
        mode_ = QualityMode::Medium;
        break;
    case RenderQuality::High:
        mode_ = QualityMode::High;
        break;
    case RenderQuality::Best:
        mode_ = QualityMode::Best;
        break;
    }
    averageMs_ = 0;
    frames_ = 0;
}

} // namespace swf
