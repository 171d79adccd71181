#pragma once

// The control's quality settings: the four fixed levels, and "autolow" and "autohigh", which
// start low or high and then follow the machine: a movie whose frames take longer than its
// frame rate allows drops to low, and one drawn with time to spare rises to high again.

#include "swf/render/RenderQuality.h"

#include <QString>
#include <QStringView>
#include <optional>

namespace swf {

enum class QualityMode { Low, Medium, High, Best, AutoLow, AutoHigh };

// "low", "medium", "high", "best", "autolow", "autohigh", in any case.
std::optional<QualityMode> qualityModeFromName(QStringView name);
QString qualityModeName(QualityMode mode); // lower case

class AutoQuality {
public:
    // Starts the mode afresh: its level, and no memory of earlier frames.
    void setMode(QualityMode mode);
    QualityMode mode() const { return mode_; }
    bool automatic() const {
        return mode_ == QualityMode::AutoLow || mode_ == QualityMode::AutoHigh;
    }
    // The level to draw at now.
    RenderQuality quality() const { return quality_; }

    // One frame took costMs to advance and draw where the frame rate allows budgetMs. Returns
    // true when the level changed because of it.
    bool frameDone(double costMs, double budgetMs);

    // Script chose a level itself: from now on it stays there.
    void fix(RenderQuality quality);

private:
    QualityMode mode_ = QualityMode::High;
    RenderQuality quality_ = RenderQuality::High;
    double averageMs_ = 0; // smoothed over the last few frames
    int frames_ = 0;       // frames seen at the present level
};

} // namespace swf
