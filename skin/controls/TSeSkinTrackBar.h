#pragma once

// A slider whose position is always inside [Min, Max] and which reports every change of
// position once, whether it came from the mouse, the keyboard or code. With a skin engine
// whose skin has an object of the bar's SkinObject name ("TrackBar" unless told otherwise)
// the background, track, thumb and ticks are drawn from its parts ("Frame", "Track" or
// "TrackHorz"/"TrackVert", "Thumb" or "ThumbHorz"/"ThumbVert", "Tick"); the thumb part's
// stored size then sets the thumb's size.

#include <QWidget>
#include <functional>

#include "skin/engine/SkinClient.h"
#include "skin/engine/SkinProperties.h"

namespace skin {

enum class TTrackBarOrientation { toHorizontal, toVertical };
enum class TTickMark { tmBoth, tmBottomRight, tmTopLeft };
// Which side of the thumb the track shows highlighted.
enum class TIntervalHighlight { htLowInterval, htHighInterval, htNone };

class TSeSkinTrackBar : public QWidget, public SkinProperties<TSeSkinTrackBar> {
    Q_OBJECT
    friend class SkinProperties<TSeSkinTrackBar>;

public:
    using NotifyEvent = std::function<void(QObject* sender)>;
    using MouseEvent = std::function<void(QObject* sender, Qt::MouseButton button,
                                          Qt::KeyboardModifiers shift, int x, int y)>;

    explicit TSeSkinTrackBar(QWidget* parent = nullptr);

    int Position() const { return position_; }
    void setPosition(int value);
    int Min() const { return min_; }
    void setMin(int value);
    int Max() const { return max_; }
    void setMax(int value);
    int LineSize() const { return lineSize_; }
    void setLineSize(int value) { lineSize_ = value; }
    int PageSize() const { return pageSize_; }
    void setPageSize(int value) { pageSize_ = value; }
    int Frequency() const { return frequency_; }
    void setFrequency(int value);
    TTrackBarOrientation Orientation() const { return orientation_; }
    void setOrientation(TTrackBarOrientation o);
    bool ShowTicks() const { return showTicks_; }
    void setShowTicks(bool show);
    TTickMark TickMarks() const { return tickMarks_; }
    void setTickMarks(TTickMark marks);
    TIntervalHighlight IntervalHighlightType() const { return highlight_; }
    void setIntervalHighlightType(TIntervalHighlight type);
    bool TabStop() const { return focusPolicy() == Qt::StrongFocus; }
    void setTabStop(bool on) { setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus); }

    // Geometry along the track: the end margin and the default thumb's length.
    static constexpr int kEndMargin = 2;
    static constexpr int kThumbLength = 9;
    // The thumb's length along the track: the skin's thumb part's, else kThumbLength.
    int thumbLength() const;
    int positionToPixel(int position) const;
    int pixelToPosition(int pixel) const;
    QRect thumbRect() const;
    QRect trackRect() const;
    bool isDragging() const { return dragging_; }
    bool isThumbHot() const { return thumbHot_; }
    // The skin object state the thumb is drawn in.
    int thumbState() const;

    NotifyEvent OnChange;
    MouseEvent OnMouseDown;
    MouseEvent OnMouseMove;
    MouseEvent OnMouseUp;

    QSize sizeHint() const override { return {150, 45}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool horizontal() const { return orientation_ == TTrackBarOrientation::toHorizontal; }
    int trackLength() const;
    int along(const QPoint& p) const;
    // Moves by a step without overflowing at the ends of the integer range.
    void stepBy(long long delta);
    bool ticksBefore() const;
    bool ticksAfter() const;
    // The band across the track that the thumb and track occupy (top and bottom for a
    // horizontal bar, left and right for a vertical one).
    std::pair<int, int> band() const;
    int thumbThickness() const;
    // The skin's thumb as (length along the track, thickness across it); empty without one.
    QSize skinThumbSize() const;
    TSeSkinObject* skinPart(const char* horizontalName, const char* verticalName,
                            const char* name) const;
    QRect highlightRect() const;
    std::vector<int> tickPixels() const;
    void skinChanged();
    void paintDefault(QPainter& p);
    void paintSkinned(QPainter& p);

    int position_ = 3;
    int min_ = 0;
    int max_ = 10;
    int lineSize_ = 1;
    int pageSize_ = 2;
    int frequency_ = 1;
    bool showTicks_ = true;
    TTickMark tickMarks_ = TTickMark::tmBottomRight;
    TIntervalHighlight highlight_ = TIntervalHighlight::htNone;
    TTrackBarOrientation orientation_ = TTrackBarOrientation::toHorizontal;
    bool dragging_ = false;
    bool thumbHot_ = false;
    SkinClient skin_{this, QStringLiteral("TrackBar")};
};

} // namespace skin
