#include "skin/controls/TSeSkinItem.h"

#include "skin/controls/TSeSkinPopupMenu.h"
#include "skin/engine/TSeSkinEngine.h"

#include <QMenu>

namespace skin {

TSeSkinItem::TSeSkinItem(const QString& caption, QObject* owner)
    : QObject(owner), caption_(caption) {
    QObject::connect(&action_, &QAction::triggered, this, [this] { Click(); });
    syncAction();
}

TSeSkinItem::~TSeSkinItem() = default;

void TSeSkinItem::setCaption(const QString& caption) {
    caption_ = caption;
    if (menu_)
        menu_->setTitle(caption);
    syncAction();
}

void TSeSkinItem::setChecked(bool checked) {
    checked_ = checked;
    syncAction();
}

void TSeSkinItem::setEnabled(bool enabled) {
    enabled_ = enabled;
    syncAction();
}

void TSeSkinItem::setVisible(bool visible) {
    visible_ = visible;
    syncAction();
}

void TSeSkinItem::setShortCut(const QKeySequence& shortcut) {
    shortCut_ = shortcut;
    syncAction();
}

void TSeSkinItem::setImageIndex(int index) {
    imageIndex_ = index;
    syncAction();
}

void TSeSkinItem::setImages(const QList<QPixmap>& images) {
    images_ = images;
    syncAction();
    for (TSeSkinItem* item : items_)
        item->setImages(images);
}

TSeSkinItem* TSeSkinItem::Add(const QString& caption, NotifyEvent onClick) {
    auto* item = new TSeSkinItem(caption, this);
    item->parent_ = this;
    item->OnClick = std::move(onClick);
    item->engine_ = engine_;
    item->images_ = images_;
    items_.push_back(item);
    if (menu_)
        menu_->addAction(item->action());
    if (Count() == 1 && parent_ && parent_->menu_)
        subMenu();
    return item;
}

void TSeSkinItem::Click() {
    if (enabled_ && OnClick)
        OnClick(this);
}

void TSeSkinItem::syncAction() {
    QSignalBlocker block(&action_);
    action_.setText(caption_);
    action_.setSeparator(isSeparator());
    const bool hasImage = !isSeparator() && imageIndex_ >= 0 && imageIndex_ < images_.size() &&
                          !images_[imageIndex_].isNull();
    action_.setIcon(hasImage ? QIcon(images_[imageIndex_]) : QIcon());
    // The check mark is drawn only on entries that have one, like the skinned menus do.
    action_.setCheckable(checked_);
    action_.setChecked(checked_);
    action_.setEnabled(enabled_);
    action_.setVisible(visible_);
    // The window's key handler runs the commands; the shortcut here is only shown.
    action_.setShortcut(shortCut_);
    action_.setShortcutContext(Qt::WidgetShortcut);
}

void TSeSkinItem::populate(QMenu* menu) {
    menu->clear();
    for (TSeSkinItem* item : items_) {
        if (item->Count() > 0)
            item->subMenu();
        menu->addAction(item->action());
    }
}

void TSeSkinItem::setSkinEngine(TSeSkinEngine* engine) {
    engine_ = engine;
    if (menu_)
        menu_->setSkinEngine(engine);
    for (TSeSkinItem* item : items_)
        item->setSkinEngine(engine);
}

QString TSeSkinItem::displayText(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        // "&x" shows x (underlined by standard menus); "&&" shows one "&"; a last "&" stays.
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        out += caption[i];
    }
    return out;
}

QMenu* TSeSkinItem::subMenu() {
    if (!menu_) {
        menu_ = std::make_unique<TSeSkinPopupWindow>();
        // A window made after the engine was set still draws with it.
        menu_->setSkinEngine(engine_);
        QObject::connect(menu_.get(), &QMenu::aboutToShow, this, [this] {
            if (OnBeforeDropDown)
                OnBeforeDropDown(this);
        });
        menu_->setTitle(caption_);
        populate(menu_.get());
        // The entry's own action opens the menu, so its enabled and visible states (and the
        // caption) apply to the sub-menu as a whole.
        action_.setMenu(menu_.get());
    }
    return menu_.get();
}

} // namespace skin
