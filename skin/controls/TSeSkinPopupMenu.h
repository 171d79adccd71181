#pragma once

// A context menu built from a tree of menu entries, popped up at a screen position.

#include <QObject>
#include <QPoint>
#include <functional>

class QMenu;

namespace skin {

class TSeSkinItem;

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

    NotifyEvent OnPopup;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchMenus(TSeSkinItem* item);
    TSeSkinItem* items_;
};

} // namespace skin
