#pragma once

// A tool bar: a band with a border that places its buttons side by side from the left, each
// at its own size, vertically centred. With a skin that has the "ToolBar" object the band is
// its "Frame" part (the whole object without one) and the buttons take the same engine.

#include <QWidget>

#include "skin/engine/SkinClient.h"
#include "skin/engine/SkinProperties.h"

namespace skin {

class TSeSkinSpeedButton;

class TSeSkinToolBar : public QWidget, public SkinProperties<TSeSkinToolBar> {
    Q_OBJECT
    friend class SkinProperties<TSeSkinToolBar>;

public:
    explicit TSeSkinToolBar(QWidget* parent = nullptr);

    // The buttons on the bar follow the bar's engine.
    void setSkinEngine(TSeSkinEngine* engine);

    int BorderWidth() const { return borderWidth_; }
    void setBorderWidth(int width);
    // Adds a button at the right end of the row.
    TSeSkinSpeedButton* addButton(const QString& caption, QSize size);
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    TSeSkinSpeedButton* Buttons(int index) const { return buttons_.at(index); }

    QSize sizeHint() const override { return {150, 29}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange();
    void paintSkinned(QPainter& p);
    int borderWidth_ = 0;
    QList<TSeSkinSpeedButton*> buttons_;
    SkinClient skin_{this, QStringLiteral("ToolBar")};
};

} // namespace skin
