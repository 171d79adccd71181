#pragma once

// A flat or raised button without focus of its own: a click runs OnClick; buttons of one
// parent sharing a GroupIndex latch down one at a time; an optional chevron at the right end
// opens a menu. With a skin engine whose skin has an object of the button's SkinObject name
// ("SpeedButton" unless told otherwise) the face, chevron and caption font come from its
// "Face" (or "FlatFace"), "Chevron" and "Text" parts.

#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "skin/engine/SkinClient.h"
#include "skin/engine/SkinProperties.h"

class QMenu;

namespace skin {

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TSeSkinSpeedButton : public QWidget, public SkinProperties<TSeSkinSpeedButton> {
    Q_OBJECT
    friend class SkinProperties<TSeSkinSpeedButton>;

public:
    using NotifyEvent = std::function<void(QObject* sender)>;

    // Button states.
    enum State { bsUp = 0, bsPressed = 2, bsLatched = 3, bsChevronPressed = 4 };

    explicit TSeSkinSpeedButton(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    bool Down() const { return down_; }
    void setDown(bool down);
    int GroupIndex() const { return groupIndex_; }
    void setGroupIndex(int index) { groupIndex_ = index; }
    bool AllowAllUp() const { return allowAllUp_; }
    void setAllowAllUp(bool on) { allowAllUp_ = on; }
    bool AllowTimer() const { return allowTimer_; }
    void setAllowTimer(bool on) { allowTimer_ = on; }
    bool Flat() const { return flat_; }
    void setFlat(bool on);
    QPixmap Glyph() const { return glyph_; }
    void setGlyph(const QPixmap& glyph);
    bool ShowCaption() const { return showCaption_; }
    void setShowCaption(bool on);
    bool ShowGlyph() const { return showGlyph_; }
    void setShowGlyph(bool on);
    bool ShowChevron() const { return showChevron_; }
    void setShowChevron(bool on);
    QMenu* ChevronMenu() const { return chevronMenu_; }
    void setChevronMenu(QMenu* menu) { chevronMenu_ = menu; }
    // Where the glyph sits beside the caption; Margin is the distance from the edge it is on
    // (-1 centres glyph and caption together); Spacing the gap between them (-1 centres the
    // caption in what the glyph leaves).
    TButtonLayout Layout() const { return layout_; }
    void setLayout(TButtonLayout layout);
    int Margin() const { return margin_; }
    void setMargin(int margin);
    int Spacing() const { return spacing_; }
    void setSpacing(int spacing);

    // Graphic controls paint straight onto their parent's image, so a button stays unbuffered
    // unless told otherwise.

    // The skin object state the face is drawn in: pressed, latched, hot, disabled or normal.
    int skinState() const;

    int state() const { return state_; }
    bool isMouseInside() const { return mouseInside_; }
    QRect buttonRect() const;
    QRect chevronRect() const;
    // Where the glyph and the caption go inside the face, before the pressed offsets.
    struct ContentPlace {
        QRect glyph;
        QRect text;
    };
    ContentPlace placeContent(const QFont& font) const;

    // Runs OnClick, unless the chevron is held.
    void Click();

    NotifyEvent OnClick;
    NotifyEvent OnChevronClick;
    NotifyEvent OnDblClick;

    QSize sizeHint() const override { return {29, 29}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void groupDown();
    void paintDefault(QPainter& p);
    void paintSkinned(QPainter& p);
    void paintContent(QPainter& p, const QFont& font, const QColor& textColor);

    QString caption_;
    QPixmap glyph_;
    bool down_ = false;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    bool allowTimer_ = false;
    bool flat_ = false;
    bool showCaption_ = true;
    bool showGlyph_ = true;
    bool showChevron_ = false;
    QMenu* chevronMenu_ = nullptr;
    int state_ = bsUp;
    bool mouseInside_ = false;
    TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    QTimer repeat_;
    SkinClient skin_{this, QStringLiteral("SpeedButton")};
};

} // namespace skin
