#pragma once

// The push button of the boxes: a caption, an optional glyph of its kind, a modal result it
// gives its window when clicked, and the default (Enter) and cancel (Escape) marks.
// A focused button takes Enter and Space itself; otherwise Enter anywhere in its window goes
// to the default button and Escape to the cancel button.
// TSeCustomButton paints the desktop's own button; TSeSkinButton paints the "Face" and "Text"
// parts of the skin's "Button" object when its engine has one.

#include <QAbstractButton>
#include <QPixmap>
#include <QPointer>

#include "skin/controls/ButtonGlyphs.h"
#include "skin/engine/SkinClient.h"
#include "skin/engine/SkinProperties.h"

namespace skin {

class TSeCustomButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TSeCustomButton(QWidget* parent = nullptr);

    TBitBtnKind Kind() const { return kind_; }
    // Takes the kind's glyph; OK and Yes also make the button a default button.
    void setKind(TBitBtnKind kind);
    int ModalResult() const { return modalResult_; }
    void setModalResult(int result) { modalResult_ = result; }
    bool Default() const { return default_; }
    void setDefault(bool on);
    bool Cancel() const { return cancel_; }
    void setCancel(bool on);
    // Two images side by side: normal and disabled.
    QPixmap Glyph() const { return glyph_; }
    void setGlyph(const QPixmap& glyph);
    bool ShowGlyph() const { return showGlyph_; }
    void setShowGlyph(bool on);
    bool WordWrap() const { return wordWrap_; }
    void setWordWrap(bool on);
    // The hint shown over the button while ShowHint is on.
    bool ShowHint() const { return showHint_; }
    void setShowHint(bool on);
    QString Hint() const { return hint_; }
    void setHint(const QString& hint);

    // A default button that no other button of its window has taken the focus from.
    bool isActiveDefault() const;
    // The skin object state: disabled, pressed, hot, focused (or the active default), normal.
    int skinState() const;
    bool isHot() const { return hot_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The image to show for the current enabled state, or a null pixmap.
    QPixmap currentGlyph() const;
    // Glyph and caption centred together in the content rectangle.
    void paintContent(QPainter& p, const QRect& content, const QFont& font, const QColor& color);
    virtual void paintButton(QPainter& p);

private:
    void repaintWindowButtons();
    // Watches the window's keys while the button carries a mark.
    void watchWindow();
    QPointer<QWidget> watched_;
    TBitBtnKind kind_{TBitBtnKind::bkCustom};
    int modalResult_{0};
    bool default_{false};
    bool cancel_{false};
    QPixmap glyph_;
    bool showGlyph_{true};
    bool wordWrap_{false};
    bool showHint_{false};
    QString hint_;
    bool hot_{false};
};

class TSeSkinButton : public TSeCustomButton, public SkinProperties<TSeSkinButton> {
    Q_OBJECT
    friend class SkinProperties<TSeSkinButton>;

public:
    explicit TSeSkinButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void takeSkin();
    void paintSkinned(QPainter& p);
    SkinClient skin_{this, QStringLiteral("Button")};
};

} // namespace skin
