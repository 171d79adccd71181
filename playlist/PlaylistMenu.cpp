#include "playlist/PlaylistMenu.h"

#include "playlist/PlaylistCommands.h"
#include "playlist/TCheckListBox.h"

#include <QAction>
#include <QMenu>
#include <functional>

namespace playlist {

const std::vector<PlaylistMenu::Item>& PlaylistMenu::items() {
    static const std::vector<Item> list = {
        {"CustomItem63", QStringLiteral("从列表转载")},
        {"CustomItem48", QStringLiteral("选定/撤销选定")},
        {"CustomItem47", QStringLiteral("全部选定")},
        {"CustomItem57", QStringLiteral("全部取消选定")},
        {"CustomItem60", QStringLiteral("反向选择")},
        {"CustomItem58", QStringLiteral("删除此文件")},
        {"CustomItem59", QStringLiteral("删除所有选定文件")},
        {"CustomItem61", QStringLiteral("清空列表")},
        {"CustomItem46", QStringLiteral("文件另存为．．．")},
        {"CustomItem62", QStringLiteral("列表另存为．．．")},
        {"CustomItem68", QStringLiteral("网络下载．．．")},
    };
    return list;
}

PlaylistMenu::PlaylistMenu(PlaylistCommands& commands, QWidget* parent)
    : QObject(parent), menu_(new QMenu(parent)) {
    menu_->setObjectName(QStringLiteral("SeSkinPopupMenu2"));
    const std::vector<std::function<void()>> handlers = {
        [&commands] { commands.loadListFromFile(); },
        [&commands] { commands.toggleHighlightedCheck(); },
        [&commands] { commands.checkAll(); },
        [&commands] { commands.uncheckAll(); },
        [&commands] { commands.invertChecks(); },
        [&commands] { commands.removeHighlighted(); },
        [&commands] { commands.removeSelected(); },
        [&commands] { commands.clearList(); },
        [&commands] { commands.saveFileAs(); },
        [&commands] { commands.saveListAs(); },
        [&commands] { commands.downloadMovie(); },
    };
    const auto& list = items();
    Q_ASSERT(handlers.size() == list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        QAction* act = menu_->addAction(list[i].caption);
        act->setObjectName(QString::fromLatin1(list[i].name));
        connect(act, &QAction::triggered, &commands, handlers[i]);
    }
}

QAction* PlaylistMenu::action(const QString& name) const {
    for (QAction* act : menu_->actions()) {
        if (act->objectName() == name)
            return act;
    }
    return nullptr;
}

void PlaylistMenu::attachTo(TCheckListBox& box) {
    box.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&box, &QWidget::customContextMenuRequested, menu_, [this, &box](const QPoint& pos) {
        // A scroll area reports the position in its viewport's coordinates.
        menu_->popup(box.viewport()->mapToGlobal(pos));
    });
}

} // namespace playlist
