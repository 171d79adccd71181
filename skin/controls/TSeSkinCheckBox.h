#pragma once

// A check box. TSeCustomCheckBox is the desktop's own; TSeSkinCheckBox draws the skin's
// "CheckBox" object: its "Box" part when unchecked or "Check" when checked (hot, pressed,
// focused and disabled states from the part's bitmaps) and the caption in the "Text" part.

#include <QCheckBox>

#include "skin/engine/SkinClient.h"
#include "skin/engine/SkinProperties.h"

namespace skin {

class TSeCustomCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TSeCustomCheckBox(QWidget* parent = nullptr);

    int skinState() const;
    bool isHot() const { return hot_; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool hot_{false};
};

class TSeSkinCheckBox : public TSeCustomCheckBox, public SkinProperties<TSeSkinCheckBox> {
    Q_OBJECT
    friend class SkinProperties<TSeSkinCheckBox>;

public:
    explicit TSeSkinCheckBox(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void paintSkinned(QPainter& p);
    SkinClient skin_{this, QStringLiteral("CheckBox")};
};

} // namespace skin
