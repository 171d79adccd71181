#pragma once

// A flat or raised button without focus of its own: a click runs OnClick; buttons of one
// parent sharing a GroupIndex latch down one at a time; an optional chevron at the right end
// opens a menu.

#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <functional>

class QMenu;

namespace skin {

class TSeSkinSpeedButton : public QWidget {
    Q_OBJECT
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
    QString SkinObject() const { return skinObject_; }
    void setSkinObject(const QString& name) { skinObject_ = name; }

    int state() const { return state_; }
    bool isMouseInside() const { return mouseInside_; }
    QRect buttonRect() const;
    QRect chevronRect() const;

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

    QString caption_;
    QPixmap glyph_;
    QString skinObject_ = QStringLiteral("SpeedButton");
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
    QTimer repeat_;
};

} // namespace skin
