#pragma once

// A menu entry: caption, check mark, enabled and visible states, shortcut and click handler,
// owning its sub-entries. A caption of "-" makes a separator. The entry mirrors itself into a
// QAction, which the menu windows show and run; the windows of its sub-entries draw through
// the skin engine the entry was given.

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "skin/engine/TSeSkinEngine.h"

class QMenu;

namespace skin {

class TSeSkinPopupWindow;

class TSeSkinItem : public QObject {
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(QObject* sender)>;

    explicit TSeSkinItem(const QString& caption = {}, QObject* owner = nullptr);
    ~TSeSkinItem() override;

    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    bool Checked() const { return checked_; }
    void setChecked(bool checked);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void setVisible(bool visible);
    QKeySequence ShortCut() const { return shortCut_; }
    void setShortCut(const QKeySequence& shortcut);
    bool isSeparator() const { return caption_ == QLatin1String("-"); }
    // The picture shown beside the caption: this index into Images; -1 (or an index the list
    // does not have) shows none.
    int ImageIndex() const { return imageIndex_; }
    void setImageIndex(int index);
    // The pictures of this entry and of every entry below it (entries added later too).
    const QList<QPixmap>& Images() const { return images_; }
    void setImages(const QList<QPixmap>& images);

    // Sub-entries, owned by this entry.
    TSeSkinItem* Add(const QString& caption, NotifyEvent onClick = {});
    int Count() const { return static_cast<int>(items_.size()); }
    TSeSkinItem* Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    TSeSkinItem* Parent() const { return parent_; }

    // Runs OnClick when the entry is enabled, as choosing it from a menu does.
    void Click();

    NotifyEvent OnClick;
    // Runs just before the window of the sub-entries opens, so they can be brought up to date.
    NotifyEvent OnBeforeDropDown;

    // The QAction that stands for this entry in a standard menu.
    QAction* action() { return &action_; }
    // Fills a standard menu with the visible sub-entries, nested menus included.
    void populate(QMenu* menu);
    // The menu of the sub-entries (created on first use and kept in step with Add); the
    // entry's action opens it. It is a window of its own, skinned with this entry's engine.
    QMenu* subMenu();
    // The same window, for the skinned side of it; nullptr until subMenu() made it.
    TSeSkinPopupWindow* subMenuWindow() const { return menu_.get(); }

    // The engine the windows of this entry and of every entry below it draw with; entries
    // added later and windows made later take it too.
    TSeSkinEngine* SkinEngine() const { return engine_; }
    void setSkinEngine(TSeSkinEngine* engine);

    // A caption as menus show it: accelerator markers removed ("&&" stays one "&").
    static QString displayText(const QString& caption);

private:
    void syncAction();

    QString caption_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    int imageIndex_ = -1;
    QList<QPixmap> images_;
    QKeySequence shortCut_;
    std::vector<TSeSkinItem*> items_;
    TSeSkinItem* parent_ = nullptr;
    QAction action_;
    QPointer<TSeSkinEngine> engine_;
    std::unique_ptr<TSeSkinPopupWindow> menu_;
};

} // namespace skin
