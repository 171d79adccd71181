#pragma once

// The playlist box's context menu: every command of the box in its order. A plain QMenu for
// now; the actions carry the item names ("CustomItem63" ...) so a skinned menu can take
// them over.

#include <QObject>
#include <QString>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace playlist {

class PlaylistCommands;
class TCheckListBox;

class PlaylistMenu : public QObject {
    Q_OBJECT
public:
    struct Item {
        const char* name;
        QString caption;
    };
    // The items in menu order.
    static const std::vector<Item>& items();

    // The menu is a child of `parent`, which owns it.
    PlaylistMenu(PlaylistCommands& commands, QWidget* parent);

    QMenu* menu() const { return menu_; }
    // The action with the item name, or nullptr.
    QAction* action(const QString& name) const;

    // Makes the menu the box's context menu, opening where the box was right-clicked.
    void attachTo(TCheckListBox& box);

private:
    QMenu* menu_;
};

} // namespace playlist
