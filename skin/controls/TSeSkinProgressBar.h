#pragma once

// The download progress bar. Position is deliberately not held to [Min, Max]: a value outside
// the range simply shows an empty bar. Setting a position repaints at once, but only when the
// filled fraction actually changes, so a stream of small progress steps stays cheap. With a
// skin engine whose skin has an object of the bar's SkinObject name ("ProgressBar" unless
// told otherwise) the frame and the bar are drawn from its "Frame" and "Bar" parts.

#include <QColor>
#include <QRect>
#include <QString>
#include <QVector>
#include <QWidget>

#include "skin/controls/VisualThemes.h"
#include "skin/engine/SkinClient.h"
#include "skin/engine/SkinProperties.h"

namespace skin {

enum class TSeBarOrientation { kboHorizontal, kboVertical };

class TSeSkinProgressBar : public QWidget, public SkinProperties<TSeSkinProgressBar> {
    Q_OBJECT
    friend class SkinProperties<TSeSkinProgressBar>;

public:
    explicit TSeSkinProgressBar(QWidget* parent = nullptr);

    int Min() const { return min_; }
    void setMin(int value);
    int Max() const { return max_; }
    void setMax(int value);
    int Position() const { return position_; }
    void setPosition(int value);
    TSeBarOrientation Orientation() const { return orientation_; }
    void setOrientation(TSeBarOrientation value);
    bool ShowBorder() const { return showBorder_; }
    void setShowBorder(bool value);
    int BorderWidth() const { return borderWidth_; }
    void setBorderWidth(int value);
    bool Smooth() const { return smooth_; }
    void setSmooth(bool value);
    QColor Color() const { return color_; }
    void setColor(const QColor& value);
    // While skinned and transparent, what the frame leaves uncovered shows the parent.
    void setTransparent(bool value);
    // Unskinned, whether the bar takes the desktop theme's look (its groove and chunk drawn by
    // the current style) or the classic sunken frame and blocks.
    TSeThemedLook ThemedLook() const { return themedLook_; }
    void setThemedLook(TSeThemedLook look);

    // The filled share of the bar for a value: 0 when Min is negative, when the value lies
    // outside the range or when the range is empty.
    float fraction(int value) const;
    // The area inside the border, where the bar is drawn; while skinned, inside the margins of
    // the skin's "Frame" part.
    QRect contentRect() const;
    // The filled part of the content for the current position.
    QRect barRect() const;
    // The blocks of the non-smooth bar for the current position, each clipped to the content.
    QVector<QRect> blockRects() const;

    QSize sizeHint() const override { return {140, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void skinChanged();
    void paintDefault(QPainter& p);
    void paintSkinned(QPainter& p);
    void paintThemed(QPainter& p);

    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    TSeBarOrientation orientation_ = TSeBarOrientation::kboHorizontal;
    bool showBorder_ = true;
    int borderWidth_ = 0;
    bool smooth_ = false;
    QColor color_;
    TSeThemedLook themedLook_ = TSeThemedLook::Automatic;
    SkinClient skin_{this, QStringLiteral("ProgressBar")};
};

} // namespace skin
