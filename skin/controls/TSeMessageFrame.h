#pragma once

// The window frame of the message and input boxes. Without a skin (or without a "Form"
// object in it) the box keeps the desktop's own frame. With one, the box window goes
// frameless and this frame draws the skin's "Form" object round a client widget: borders,
// caption with the box's title and the caption buttons its BorderIcons allow. Pressing the
// caption moves the box; the close button (and the system-menu icon's double click) closes
// it as the desktop's close button would.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>

#include "skin/controls/FormTypes.h"
#include "skin/engine/SkinClient.h"
#include "skin/model/SkinTypes.h"

class QWidget;

namespace skin {

class TSeSkinEngine;
class TSeSkinObject;

class TSeMessageFrame : public QObject {
    Q_OBJECT
public:
    // Attaches to a top-level window; the box's controls go into client().
    explicit TSeMessageFrame(QWidget* window);
    ~TSeMessageFrame() override;

    QWidget* window() const { return window_; }
    QWidget* client() const { return client_; }

    TSeSkinEngine* SkinEngine() const;
    void setSkinEngine(TSeSkinEngine* engine);
    TSeBorderIcons BorderIcons() const { return borderIcons_; }
    void setBorderIcons(TSeBorderIcons icons);
    TSeBlending Blending() const { return blending_; }
    void setBlending(const TSeBlending& blending);
    TSeDragging Dragging() const { return dragging_; }
    void setDragging(const TSeDragging& dragging) { dragging_ = dragging; }
    TSeShadow Shadow() const { return shadow_; }
    void setShadow(const TSeShadow& shadow) { shadow_ = shadow; }
    TSeAnimation Animation() const { return animation_; }
    void setAnimation(const TSeAnimation& animation) { animation_ = animation; }
    bool Active() const { return active_; }
    void setActive(bool on);

    // True when the skin draws the frame.
    bool isSkinned() const;
    // Sizes the window so that its client area is `size`.
    void setClientSize(QSize size);
    QSize clientSize() const;
    // The client area's place in the window.
    QRect clientRect() const;
    // The frame's copy of the skin object, laid out to the window; nullptr when unskinned.
    TSeSkinObject* skinCopy() const;
    // What the close button does; the box answers it as its desktop frame's close button.
    void close();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Background;
    class FrameSkin;
    friend class Background;
    friend class FrameSkin;

    void skinChanged();
    void applyFrame();
    void layoutCopy();
    QMargins insets() const;
    void paintFrame(QPainter& p);
    void mouseEvent(QEvent* event);
    void setHot(TSeSkinObject* object, Qt::MouseButtons held);
    void performAction(TSeAction action);
    void fadeIn();

    QWidget* window_;
    QWidget* client_;
    Background* background_;
    std::unique_ptr<FrameSkin> skin_;
    TSeBorderIcons borderIcons_;
    TSeBlending blending_;
    TSeDragging dragging_;
    TSeShadow shadow_;
    TSeAnimation animation_;
    bool active_{true};
    QSize clientSize_;
    TSeSkinObject* hot_{nullptr};
    bool moving_{false};
    QPoint moveOffset_;
    bool frameless_{false};
};

} // namespace skin
