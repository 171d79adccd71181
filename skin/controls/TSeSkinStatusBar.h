#pragma once

// A status bar of panels laid out left to right at their widths, with a size grip at the
// right end that resizes the window. A panel shows its text and, where it has one, an image
// from the bar's image list; an owner-drawn panel is painted by OnDrawPanel.
//
// With a skin that has the bar's object ("StatusBar" unless told otherwise) the bar draws the
// "Frame" part over the whole bar around the panels, the frame again under each panel with the
// "Panel" part on top, and the "Gripper" part in the grip rectangle, all in the normal state.
// A piece whose part the skin lacks keeps its default look.

#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "skin/engine/SkinClient.h"
#include "skin/engine/SkinProperties.h"

namespace skin {

class TSeSkinObject;
class TSeSkinStatusBar;

enum class TSeStatusPanelStyle { psText, psOwnerDraw };
enum class TSeStatusGliphLayout { sglGlyphLeft, sglGlyphRight };

// The bevel round the bar in its default look: which sides, the inner and outer edges and
// their kind. Each edge that is not bvNone takes one pixel from the bar's inside.
enum class TSeBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum class TSeBevelKind { bkNone, bkTile, bkSoft, bkFlat };
enum TSeBevelEdge : std::uint8_t { beLeft = 1, beTop = 2, beRight = 4, beBottom = 8 };
using TSeBevelEdges = std::uint8_t;

class TSeStatusPanel {
public:
    virtual ~TSeStatusPanel() = default;
    TSeStatusPanel(const TSeStatusPanel&) = delete;
    TSeStatusPanel& operator=(const TSeStatusPanel&) = delete;

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
    void setImageIndex(int index);
    bool ShowImage() const { return showImage_; }
    void setShowImage(bool on);
    TSeStatusGliphLayout Layout() const { return layout_; }
    void setLayout(TSeStatusGliphLayout layout);
    int Margin() const { return margin_; }
    void setMargin(int margin);
    // Gap between the image and the text.
    int Spacing() const { return spacing_; }
    void setSpacing(int spacing);
    TSeStatusPanelStyle Style() const { return style_; }
    void setStyle(TSeStatusPanelStyle style);
    // The panel's place in the bar.
    int Index() const;
    // A control the bar keeps inside the panel's rectangle (and hidden with the panel).
    QWidget* Control() const { return control_; }
    void setControl(QWidget* control);
    // How much the panel wants to stay in view, in percent: when the panels do not fit, those
    // of the lowest priority below 100 give way first.
    int ViewPriority() const { return viewPriority_; }
    void setViewPriority(int percent);
    // The share of the bar's spare width the panel takes, in percent of it (shares adding up
    // to more than 100 are scaled down together).
    int StretchPriority() const { return stretchPriority_; }
    void setStretchPriority(int percent);

protected:
    // Panel classes of a bar's OnCreatePanelClass construct through this.
    explicit TSeStatusPanel(TSeSkinStatusBar* bar) : bar_(bar) {}

private:
    friend class TSeStatusPanels;
    void changed();
    TSeSkinStatusBar* bar_;
    QString text_;
    int width_ = 50;
    int maxWidth_ = 32767;
    int imageIndex_ = -1;
    int margin_ = 2;
    int spacing_ = 4;
    int viewPriority_ = 100;
    int stretchPriority_ = 0;
    QPointer<QWidget> control_;
    bool framed_ = true;
    bool showImage_ = true;
    Qt::Alignment alignment_ = Qt::AlignLeft;
    TSeStatusGliphLayout layout_ = TSeStatusGliphLayout::sglGlyphLeft;
    TSeStatusPanelStyle style_ = TSeStatusPanelStyle::psText;
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
    int indexOf(const TSeStatusPanel* panel) const;

private:
    TSeSkinStatusBar* bar_;
    std::vector<std::unique_ptr<TSeStatusPanel>> panels_;
};

class TSeSkinStatusBar : public QWidget, public SkinProperties<TSeSkinStatusBar> {
    Q_OBJECT
    friend class SkinProperties<TSeSkinStatusBar>;

public:
    using DrawPanelEvent = std::function<void(TSeSkinStatusBar* sender, TSeStatusPanel& panel,
                                              QPainter& painter, const QRect& rect)>;
    using PanelEvent = std::function<void(TSeSkinStatusBar* sender, TSeStatusPanel& panel)>;
    // Makes the panels the collection adds; OnCreatePanelClass may put another in its place.
    using PanelClass = std::function<std::unique_ptr<TSeStatusPanel>(TSeSkinStatusBar* bar)>;
    using CreatePanelClassEvent =
        std::function<void(TSeSkinStatusBar* sender, PanelClass& panelClass)>;

    explicit TSeSkinStatusBar(QWidget* parent = nullptr);
    ~TSeSkinStatusBar() override;

    TSeStatusPanels& Panels() { return panels_; }
    const TSeStatusPanels& Panels() const { return panels_; }
    bool SizeGrip() const { return sizeGrip_; }
    void setSizeGrip(bool on);
    // The pictures panels show by ImageIndex.
    const QList<QPixmap>& Images() const { return images_; }
    void setImages(const QList<QPixmap>& images);
    TSeBevelEdges BevelSides() const { return bevelSides_; }
    void setBevelSides(TSeBevelEdges sides);
    TSeBevelCut BevelInner() const { return bevelInner_; }
    void setBevelInner(TSeBevelCut cut);
    TSeBevelCut BevelOuter() const { return bevelOuter_; }
    void setBevelOuter(TSeBevelCut cut);
    TSeBevelKind BevelKind() const { return bevelKind_; }
    void setBevelKind(TSeBevelKind kind);
    // The bar's inside: the whole bar less the bevel's edges (the skin draws its own border).
    QRect contentRect() const;
    // Rectangle of a panel inside the bar.
    QRect panelRect(int index) const;
    // The size grip's rectangle at the bottom right; empty without SizeGrip. Its size is the
    // skin's "Gripper" part's while skinned.
    QRect gripRect() const;
    // The panel under a point, or -1.
    int panelAt(QPoint p) const;
    // How many times a panel or the whole bar asked to be repainted; lets tests see that an
    // unchanged text costs nothing.
    int repaintRequests() const { return repaintRequests_; }

    DrawPanelEvent OnDrawPanel;
    PanelEvent OnPanelClick;
    PanelEvent OnPanelDblClick;
    CreatePanelClassEvent OnCreatePanelClass;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TSeStatusPanel;
    friend class TSeStatusPanels;
    void panelChanged(const TSeStatusPanel* panel);
    void layoutChanged();
    void paintBar(QPainter& p);
    void paintDefaultBackground(QPainter& p);
    void paintDefaultPanelFrame(QPainter& p, int index, const QRect& r);
    void paintPanelContents(QPainter& p, int index, const QRect& r, const TSeSkinObject* part);
    void paintDefaultGrip(QPainter& p, const QRect& grip);
    void paintBevel(QPainter& p);
    int bevelWidth() const;
    // The panels' rectangles after giving way and stretching; empty for hidden panels.
    std::vector<QRect> layoutPanels() const;
    void placeControls();

    TSeStatusPanels panels_{this};
    QList<QPixmap> images_;
    bool sizeGrip_ = true;
    TSeBevelEdges bevelSides_ = beLeft | beTop | beRight | beBottom;
    TSeBevelCut bevelInner_ = TSeBevelCut::bvRaised;
    TSeBevelCut bevelOuter_ = TSeBevelCut::bvLowered;
    TSeBevelKind bevelKind_ = TSeBevelKind::bkNone;
    int repaintRequests_ = 0;
    int pressedPanel_ = -1;
    SkinClient skin_{this, QStringLiteral("StatusBar")};
};

} // namespace skin
