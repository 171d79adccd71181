#pragma once

// The window's menu bar, built from a tree of menu entries: each entry of the root is one
// menu of the bar, and entries keep their menus in step when their caption, check mark,
// enabled or visible state changes. An open menu is driven by the keyboard: Enter performs the
// selected entry, Escape closes the innermost level, Left and Right move between the bar's
// menus, Up and Down move the selection, an accelerator key performs its entry, and Alt or F10
// closes every open level.
//
// With a skin that has the bar's object ("MenuBar" unless told otherwise) the bar takes the
// height of its "Frame" part, draws that part ("ToolbarFrame" inside a control bar) over its
// whole area and lays its entries out inside the part's margins, each as wide as its caption
// in the "Item" part's font plus that part's text margins and as high as the part; the entry
// under the mouse or whose menu is open is drawn with the part in the hot or pressed state,
// which shows its ActiveColor. The menus it opens draw with the same engine.

#include <QMenuBar>

#include "skin/engine/SkinClient.h"
#include "skin/engine/SkinProperties.h"

class QProxyStyle;

namespace skin {

class TSeSkinItem;

class TSeSkinMenuBar : public QMenuBar, public SkinProperties<TSeSkinMenuBar> {
    Q_OBJECT
    friend class SkinProperties<TSeSkinMenuBar>;

public:
    explicit TSeSkinMenuBar(QWidget* parent = nullptr);
    ~TSeSkinMenuBar() override;

    // The root entry; its sub-entries are the bar's menus.
    TSeSkinItem* Items() const { return items_; }
    // Shows the entries of the root (again, after entries were added).
    void rebuild();
    // The pictures the entries show by ImageIndex.
    const QList<QPixmap>& Images() const;
    void setImages(const QList<QPixmap>& images);
    // Whether a skin sets the bar's height (on unless told otherwise).
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool on);

    // Skinning; the engine is handed on to every menu of the bar.
    void setSkinEngine(TSeSkinEngine* engine);

    // What the skin says about the bar's sizes, read when the copy is taken.
    struct Metrics {
        bool hasFrame = false;
        int frameHeight = 0;
        QMargins frameMargins;
        bool hasItem = false;
        int itemHeight = 0;
        int itemTextMargins = 0; // TextMarginLeft + TextMarginRight
        QFont itemFont;
    };
    const Metrics& skinMetrics() const { return metrics_; }
    // The frame part the bar draws: "ToolbarFrame" when it sits in a control bar and the skin
    // has one, else "Frame".
    const char* framePartName() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void watchMenus(TSeSkinItem* item);
    void skinChanged();
    void fitHeight();
    void paintSkinned(QPainter& p, const QRect& dirty);
    // Height without a skin, which the player's layout is made for.
    static constexpr int kDefaultHeight = 21;

    TSeSkinItem* items_;
    bool autoSize_ = true;
    Metrics metrics_;
    QProxyStyle* style_ = nullptr; // owned as a child; set on the bar only while skinned
    bool styled_ = false;
    SkinClient skin_{this, QStringLiteral("MenuBar")};
};

// Closes every open menu level when Alt or F10 is pressed in one of them; shared by the bar
// and the popup menus.
bool closeMenusOnAltOrF10(QObject* watched, QEvent* event);

} // namespace skin
