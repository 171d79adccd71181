#include "skin/controls/TSeSkinMenuBar.h"

#include "skin/controls/TSeSkinItem.h"

#include <QKeyEvent>
#include <QMenu>

namespace skin {

bool closeMenusOnAltOrF10(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Alt && key != Qt::Key_F10)
        return false;
    // Walk up the chain of open menus and close each; the outermost one closes the rest.
    auto* menu = qobject_cast<QMenu*>(watched);
    while (menu) {
        QMenu* opener = nullptr;
        if (QAction* a = menu->menuAction())
            for (QObject* w : a->associatedObjects())
                if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible() && m != menu)
                    opener = m;
        menu->close();
        menu = opener;
    }
    return true;
}

TSeSkinMenuBar::TSeSkinMenuBar(QWidget* parent) : QMenuBar(parent) {
    items_ = new TSeSkinItem(QString(), this);
    items_->setObjectName(QStringLiteral("Items"));
    setNativeMenuBar(false);
}

void TSeSkinMenuBar::rebuild() {
    clear();
    for (int i = 0; i < items_->Count(); ++i) {
        TSeSkinItem* item = items_->Items(i);
        if (item->Count() > 0)
            item->subMenu();
        addAction(item->action());
        watchMenus(item);
    }
}

void TSeSkinMenuBar::watchMenus(TSeSkinItem* item) {
    if (item->Count() == 0)
        return;
    QMenu* menu = item->subMenu();
    menu->removeEventFilter(this);
    menu->installEventFilter(this);
    for (int i = 0; i < item->Count(); ++i)
        watchMenus(item->Items(i));
}

bool TSeSkinMenuBar::eventFilter(QObject* watched, QEvent* event) {
    return closeMenusOnAltOrF10(watched, event);
}

QSize TSeSkinMenuBar::sizeHint() const {
    QSize s = QMenuBar::sizeHint();
    s.setHeight(21);
    return s;
}

} // namespace skin
