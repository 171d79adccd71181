#pragma once

// A status bar of text panels laid out left to right at their widths, with a size grip.

#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

namespace skin {

class TSeSkinStatusBar;

class TSeStatusPanel {
public:
    const QString& Text() const { return text_; }
    // Setting the same text again does nothing; otherwise only this panel is repainted.
    void setText(const QString& text);
    int Width() const { return width_; }
    // Clamped to [0, MaxWidth] and the bar laid out again.
    void setWidth(int width);
    int MaxWidth() const { return maxWidth_; }
    void setMaxWidth(int maxWidth);
    Qt::Alignment Alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment a);
    bool Framed() const { return framed_; }
    void setFramed(bool framed);
    int ImageIndex() const { return imageIndex_; }
    void setImageIndex(int index) { imageIndex_ = index; }
    int Margin() const { return margin_; }

private:
    friend class TSeStatusPanels;
    explicit TSeStatusPanel(TSeSkinStatusBar* bar) : bar_(bar) {}
    TSeSkinStatusBar* bar_;
    QString text_;
    int width_ = 50;
    int maxWidth_ = 32767;
    int imageIndex_ = -1;
    int margin_ = 2;
    bool framed_ = true;
    Qt::Alignment alignment_ = Qt::AlignLeft;
};

class TSeStatusPanels {
public:
    explicit TSeStatusPanels(TSeSkinStatusBar* bar) : bar_(bar) {}
    TSeStatusPanel& operator[](int index) { return *panels_.at(static_cast<std::size_t>(index)); }
    const TSeStatusPanel& operator[](int index) const {
        return *panels_.at(static_cast<std::size_t>(index));
    }
    int Count() const { return static_cast<int>(panels_.size()); }
    TSeStatusPanel& Add();
    void Clear();

private:
    TSeSkinStatusBar* bar_;
    std::vector<std::unique_ptr<TSeStatusPanel>> panels_;
};

class TSeSkinStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit TSeSkinStatusBar(QWidget* parent = nullptr);

    TSeStatusPanels& Panels() { return panels_; }
    const TSeStatusPanels& Panels() const { return panels_; }
    bool SizeGrip() const { return sizeGrip_; }
    void setSizeGrip(bool on);
    // Rectangle of a panel inside the bar.
    QRect panelRect(int index) const;
    // How many times a panel or the whole bar asked to be repainted; lets tests see that an
    // unchanged text costs nothing.
    int repaintRequests() const { return repaintRequests_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    friend class TSeStatusPanel;
    friend class TSeStatusPanels;
    void panelChanged(const TSeStatusPanel* panel);
    void layoutChanged();

    TSeStatusPanels panels_{this};
    bool sizeGrip_ = true;
    int repaintRequests_ = 0;
};

} // namespace skin
