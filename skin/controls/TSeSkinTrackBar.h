#pragma once

// A slider whose position is always inside [Min, Max] and which reports every change of
// position once, whether it came from the mouse, the keyboard or code.

#include <QWidget>
#include <functional>

namespace skin {

enum class TTrackBarOrientation { toHorizontal, toVertical };

class TSeSkinTrackBar : public QWidget {
    Q_OBJECT
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
    void setFrequency(int value) { frequency_ = value > 0 ? value : 1; }
    TTrackBarOrientation Orientation() const { return orientation_; }
    void setOrientation(TTrackBarOrientation o);
    bool ShowTicks() const { return showTicks_; }
    void setShowTicks(bool show);
    QString SkinObject() const { return skinObject_; }
    void setSkinObject(const QString& name) { skinObject_ = name; }

    // Geometry along the track: the end margin and the thumb's length.
    static constexpr int kEndMargin = 2;
    static constexpr int kThumbLength = 9;
    int positionToPixel(int position) const;
    int pixelToPosition(int pixel) const;
    bool isDragging() const { return dragging_; }
    bool isThumbHot() const { return thumbHot_; }

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

private:
    int trackLength() const;
    int along(const QPoint& p) const;
    QRect thumbRect() const;

    int position_ = 3;
    int min_ = 0;
    int max_ = 10;
    int lineSize_ = 1;
    int pageSize_ = 2;
    int frequency_ = 1;
    bool showTicks_ = true;
    TTrackBarOrientation orientation_ = TTrackBarOrientation::toHorizontal;
    QString skinObject_ = QStringLiteral("TrackBar");
    bool dragging_ = false;
    bool thumbHot_ = false;
};

} // namespace skin
