#pragma once

// A bar beside an edge-aligned control that resizes that control when dragged. While the
// drag runs a checkered line shows where the edge will go (or the control follows at once);
// Escape ends the drag and leaves the size as it was. A size at or below MinSize snaps to 0
// with AutoSnap, and a collapsed control is still found by the next drag. With a skin engine
// whose skin has an object of the splitter's SkinObject name ("Splitter" unless told
// otherwise) that whole object is drawn over the splitter.

#include "skin/controls/TAlignLayout.h"

#include <QPointer>
#include <QWidget>
#include <functional>

#include "skin/engine/SkinClient.h"
#include "skin/engine/SkinProperties.h"

namespace skin {

enum class TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };

class TSeSkinSplitter : public QWidget, public SkinProperties<TSeSkinSplitter> {
    Q_OBJECT
    friend class SkinProperties<TSeSkinSplitter>;

public:
    using NotifyEvent = std::function<void(QObject* sender)>;
    using CanResizeEvent = std::function<void(QObject* sender, int& newSize, bool& accept)>;

    explicit TSeSkinSplitter(QWidget* parent = nullptr);
    ~TSeSkinSplitter() override;

    // The edge the splitter sits on; mirrors the control's alignment in its parent.
    TAlign Align() const { return alignOf(this); }
    void setAlign(TAlign align);
    bool AutoSnap() const { return autoSnap_; }
    void setAutoSnap(bool on) { autoSnap_ = on; }
    bool Beveled() const { return beveled_; }
    void setBeveled(bool on);
    int MinSize() const { return minSize_; }
    void setMinSize(int size) { minSize_ = std::max(0, size); }
    TResizeStyle ResizeStyle() const { return resizeStyle_; }
    void setResizeStyle(TResizeStyle style) { resizeStyle_ = style; }

    // A transparent skinned splitter stops filling its background.
    void setTransparent(bool on);

    CanResizeEvent OnCanResize;
    NotifyEvent OnMoved;
    NotifyEvent OnPaint;

    // The control beside the splitter that a drag would resize (nullptr when none).
    QWidget* findControl() const;
    bool isDragging() const { return control_ != nullptr; }
    bool isLineVisible() const { return lineVisible_; }
    // Where the drag line is drawn, in the parent's coordinates.
    QRect lineRect() const;

    QSize sizeHint() const override { return {3, 100}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool horizontal() const; // the splitter resizes widths
    void calcSplitSize(const QPoint& p, int& newSize, int& split) const;
    bool doCanResize(int& newSize);
    void drawLine();
    void updateControlSize();
    void stopSizing();
    void updateCursor();
    void skinChanged();
    void paintDefault(QPainter& p);

    bool autoSnap_ = true;
    bool beveled_ = false;
    int minSize_ = 30;
    TResizeStyle resizeStyle_ = TResizeStyle::rsPattern;

    QPointer<QWidget> control_;
    QPoint downPos_;
    int maxSize_ = 0;
    int split_ = 0;
    int newSize_ = 0;
    int oldSize_ = -1;
    bool lineVisible_ = false;
    QPointer<QWidget> line_;
    SkinClient skin_{this, QStringLiteral("Splitter")};
};

} // namespace skin
