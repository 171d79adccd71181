#pragma once

// A tool bar: a band with a border that places its buttons side by side from the left, each
// at its own size, vertically centred.

#include <QWidget>

namespace skin {

class TSeSkinSpeedButton;

class TSeSkinToolBar : public QWidget {
    Q_OBJECT
public:
    explicit TSeSkinToolBar(QWidget* parent = nullptr);

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
    int borderWidth_ = 0;
    QList<TSeSkinSpeedButton*> buttons_;
};

} // namespace skin
