#pragma once

// The window's menu bar, built from a tree of menu entries: each entry of the root is one
// menu of the bar, and entries keep their menus in step when their caption, check mark,
// enabled or visible state changes. An open menu is driven by the keyboard: Enter performs the
// selected entry, Escape closes the innermost level, Left and Right move between the bar's
// menus, Up and Down move the selection, an accelerator key performs its entry, and Alt or F10
// closes every open level.

#include <QMenuBar>

namespace skin {

class TSeSkinItem;

class TSeSkinMenuBar : public QMenuBar {
    Q_OBJECT
public:
    explicit TSeSkinMenuBar(QWidget* parent = nullptr);

    // The root entry; its sub-entries are the bar's menus.
    TSeSkinItem* Items() const { return items_; }
    // Shows the entries of the root (again, after entries were added).
    void rebuild();

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchMenus(TSeSkinItem* item);
    TSeSkinItem* items_;
};

// Closes every open menu level when Alt or F10 is pressed in one of them; shared by the bar
// and the popup menus.
bool closeMenusOnAltOrF10(QObject* watched, QEvent* event);

} // namespace skin
