#pragma once

// A context menu built from a tree of menu entries, popped up at a screen position, and the
// window that shows one level of entries (of a context menu or of a menu bar's menu). The
// windows are top-level windows of their own, so the skin engine's change messages reach them
// directly; they take the engine from the entry whose sub-entries they show.

#include <QMenu>
#include <QObject>
#include <QPoint>
#include <functional>

#include "skin/engine/SkinClient.h"
#include "skin/engine/SkinProperties.h"

class QProxyStyle;

namespace skin {

class TSeSkinItem;
class TSeSkinObject;

// One open level of a menu. Unskinned it is a standard menu; with a skin that has the window's
// object ("PopupMenu" unless told otherwise) it draws that object's "Frame" over the whole
// window and every entry with its "Item" part: the selected entry in the hot state (the part's
// ActiveColor and ActiveFont), disabled entries greyed, separators as the part's separator
// line, check marks and sub-menu arrows in the part's text margins. Entries then take the
// part's height and are as wide as the widest caption plus the shortcut column plus 42.
class TSeSkinPopupWindow : public QMenu, public SkinProperties<TSeSkinPopupWindow> {
    Q_OBJECT
    friend class SkinProperties<TSeSkinPopupWindow>;

public:
    explicit TSeSkinPopupWindow(QWidget* parent = nullptr);
    ~TSeSkinPopupWindow() override;

    // What the skin says about entry sizes, read when the copy is taken (the parts are moved
    // about while painting afterwards).
    struct Metrics {
        bool hasItem = false;
        int itemHeight = 0;
        QPoint itemOffset; // the "Item" part's place inside the stored object
        QFont itemFont;    // for widths
    };
    const Metrics& skinMetrics() const { return metrics_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void skinChanged();
    void paintSkinned(QPainter& p, const QRect& dirty);
    void paintEntry(QPainter& p, TSeSkinObject* item, QAction* action, const QRect& r);

    Metrics metrics_;
    QProxyStyle* style_ = nullptr; // owned as a child; set on the window only while skinned
    bool styled_ = false;
    SkinClient skin_{this, QStringLiteral("PopupMenu")};
};

class TSeSkinPopupMenu : public QObject {
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(QObject* sender)>;

    explicit TSeSkinPopupMenu(QObject* owner = nullptr);
    ~TSeSkinPopupMenu() override;

    TSeSkinItem* Items() const { return items_; }
    // Opens the menu with its top-left corner at a screen position and returns at once;
    // OnPopup runs first.
    void Popup(const QPoint& screenPos);
    void Popup(int x, int y) { Popup(QPoint(x, y)); }
    bool isOpen() const;
    void close();
    // The open menu's window (for tests and for placing it).
    QMenu* menu();
    TSeSkinPopupWindow* popupWindow();

    // The pictures the entries show by ImageIndex.
    const QList<QPixmap>& Images() const;
    void setImages(const QList<QPixmap>& images);

    // The engine every level of the menu draws with (sub-menus made later included).
    TSeSkinEngine* SkinEngine() const;
    void setSkinEngine(TSeSkinEngine* engine);

    NotifyEvent OnPopup;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchMenus(TSeSkinItem* item);
    TSeSkinItem* items_;
};

} // namespace skin
