#include "skin/controls/TSeSkinPopupMenu.h"

#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinMenuBar.h"

#include <QMenu>

namespace skin {

TSeSkinPopupMenu::TSeSkinPopupMenu(QObject* owner) : QObject(owner) {
    items_ = new TSeSkinItem(QString(), this);
    items_->setObjectName(QStringLiteral("Items"));
}

TSeSkinPopupMenu::~TSeSkinPopupMenu() = default;

QMenu* TSeSkinPopupMenu::menu() {
    QMenu* m = items_->subMenu();
    watchMenus(items_);
    return m;
}

void TSeSkinPopupMenu::watchMenus(TSeSkinItem* item) {
    if (item->Count() == 0)
        return;
    QMenu* m = item->subMenu();
    m->removeEventFilter(this);
    m->installEventFilter(this);
    for (int i = 0; i < item->Count(); ++i)
        watchMenus(item->Items(i));
}

void TSeSkinPopupMenu::Popup(const QPoint& screenPos) {
    if (OnPopup)
        OnPopup(this);
    QMenu* m = menu();
    if (m->isVisible())
        m->close();
    m->popup(screenPos);
}

bool TSeSkinPopupMenu::isOpen() const {
    return items_->subMenu()->isVisible();
}

void TSeSkinPopupMenu::close() {
    items_->subMenu()->close();
}

bool TSeSkinPopupMenu::eventFilter(QObject* watched, QEvent* event) {
    return closeMenusOnAltOrF10(watched, event);
}

} // namespace skin
