#pragma once

// A panel with a caption bar whose button rolls the panel up to the caption bar and down
// again (or hides it). Rolling can be animated in steps of four pixels; the height the panel
// returns to is kept in NormalHeight. Children are laid out inside the caption bar, bevel and
// border. With a skin engine whose skin has an object of the panel's SkinObject name ("Panel"
// unless told otherwise) the frame, caption bar and button are drawn from that skin;
// otherwise the panel keeps its own bevelled look.

#include <QWidget>
#include <functional>

#include "skin/engine/SkinClient.h"
#include "skin/engine/SkinProperties.h"

namespace skin {

enum class TSePanelButtonKind { pbkRoll, pbkHide };

class TSeSkinPanel : public QWidget, public SkinProperties<TSeSkinPanel> {
    Q_OBJECT
    friend class SkinProperties<TSeSkinPanel>;

public:
    using NotifyEvent = std::function<void(QObject* sender)>;

    explicit TSeSkinPanel(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    bool AnimateRoll() const { return animateRoll_; }
    void setAnimateRoll(bool on) { animateRoll_ = on; }
    int BevelWidth() const { return bevelWidth_; }
    void setBevelWidth(int width);
    int BorderWidth() const { return borderWidth_; }
    void setBorderWidth(int width);
    TSePanelButtonKind ButtonKind() const { return buttonKind_; }
    void setButtonKind(TSePanelButtonKind kind);
    bool ParentRoll() const { return parentRoll_; }
    void setParentRoll(bool on) { parentRoll_ = on; }
    bool ShowBevel() const { return showBevel_; }
    void setShowBevel(bool on);
    bool ShowButton() const { return showButton_; }
    void setShowButton(bool on);
    bool ShowCaption() const { return showCaption_; }
    void setShowCaption(bool on);
    int NormalHeight() const { return normalHeight_; }
    void setNormalHeight(int height) { normalHeight_ = height; }
    // Height of the caption bar: the skin's "Caption" part while skinned, else the panel's
    // own (20 unless set).
    int CaptionHeight() const {
        return skinCaptionHeight_ >= 0 ? skinCaptionHeight_ : captionHeight_;
    }
    // Sets the panel's own height, which a skin's caption height overrides while it applies.
    void setCaptionHeight(int height);
    // The height a rolled panel keeps: the caption bar and the bevel above and below it.
    int RolledHeight() const { return CaptionHeight() + 2 * bevelWidth_; }

    // Skinning.
    // While skinned, set from the skin's "Frame" part: a masked frame lets the parent show
    // through.
    void setTransparent(bool on);

    bool Rolled() const { return rolled_; }
    // Rolls up or down; setting the current state again does nothing.
    void setRolled(bool rolled);
    // The state as stored in a form: no events, no animation; a rolled panel takes its
    // rolled height and keeps NormalHeight for the first unroll.
    void loadRolled(bool rolled);

    Qt::CursorShape CaptionCursor() const { return captionCursor_; }
    void setCaptionCursor(Qt::CursorShape shape) { captionCursor_ = shape; }
    Qt::CursorShape ButtonCursor() const { return buttonCursor_; }
    void setButtonCursor(Qt::CursorShape shape) { buttonCursor_ = shape; }

    // The caption button's rectangle; empty without a caption or a button.
    QRect buttonRect() const;
    QRect captionRect() const;
    bool isButtonHot() const { return buttonHot_; }
    bool isButtonPressed() const { return buttonPressed_; }

    NotifyEvent OnButtonClick;
    NotifyEvent OnRollup;
    NotifyEvent OnHide;
    NotifyEvent OnBeforeRoll;

    QSize sizeHint() const override { return {90, 100}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void rollUp();
    void unroll();
    void stepTo(int height);
    void buttonClicked();
    void updateMargins();
    void setHot(bool hot);
    void skinChanged();
    void paintDefault(QPainter& p);
    void paintSkinned(QPainter& p);
    void paintDefaultButton(QPainter& p, const QRect& button);
    const char* rollButtonPart() const;

    QString caption_;
    bool animateRoll_ = false;
    int bevelWidth_ = 1;
    int borderWidth_ = 3;
    TSePanelButtonKind buttonKind_ = TSePanelButtonKind::pbkRoll;
    bool parentRoll_ = false;
    bool showBevel_ = true;
    bool showButton_ = true;
    bool showCaption_ = true;
    int normalHeight_ = 100;
    int captionHeight_ = 20;
    int skinCaptionHeight_ = -1; // the skin's, when one applies
    bool rolled_ = false;
    bool buttonHot_ = false;
    bool buttonPressed_ = false;
    bool pressStartedOnButton_ = false;
    Qt::CursorShape captionCursor_ = Qt::ArrowCursor;
    Qt::CursorShape buttonCursor_ = Qt::ArrowCursor;
    SkinClient skin_{this, QStringLiteral("Panel")};
};

} // namespace skin
