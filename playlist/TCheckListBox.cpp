#include "playlist/TCheckListBox.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace playlist {

namespace {

class FixedHeightDelegate : public QStyledItemDelegate {
public:
    FixedHeightDelegate(const int& height, QObject* parent)
        : QStyledItemDelegate(parent), height_(height) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (height_ > 0)
            size.setHeight(height_);
        return size;
    }

private:
    const int& height_;
};

constexpr Qt::ItemFlags kLineFlags =
    Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;

} // namespace

TCheckListBox::TCheckListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new FixedHeightDelegate(itemHeight_, this));
    // Lines added by any route get their check box, not only those added through addLine().
    connect(model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { giveCheckBoxes(first, last); });
}

void TCheckListBox::giveCheckBoxes(int first, int last) {
    for (int row = first; row <= last; ++row) {
        QListWidgetItem* it = item(row);
        if (!it || it->data(Qt::CheckStateRole).isValid())
            continue;
        it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
        it->setCheckState(Qt::Unchecked);
    }
}

QString TCheckListBox::line(int index) const {
    const QListWidgetItem* it = item(index);
    return it ? it->text() : QString();
}

QStringList TCheckListBox::lines() const {
    QStringList result;
    result.reserve(count());
    for (int row = 0; row < count(); ++row)
        result.append(item(row)->text());
    return result;
}

void TCheckListBox::addLine(const QString& text) {
    auto* it = new QListWidgetItem(text);
    it->setFlags(kLineFlags);
    it->setCheckState(Qt::Unchecked);
    addItem(it);
}

void TCheckListBox::deleteLine(int index) {
    delete takeItem(index);
}

int TCheckListBox::itemIndex() const {
    const QListWidgetItem* current = currentItem();
    if (current && current->isSelected())
        return row(current);
    const QList<QListWidgetItem*> chosen = selectedItems();
    return chosen.isEmpty() ? -1 : row(chosen.front());
}

void TCheckListBox::setItemIndex(int index) {
    if (index < 0 || index >= count()) {
        clearSelection();
        setCurrentItem(nullptr);
        return;
    }
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

bool TCheckListBox::checked(int index) const {
    const QListWidgetItem* it = item(index);
    return it && it->checkState() == Qt::Checked;
}

void TCheckListBox::setChecked(int index, bool on) {
    if (QListWidgetItem* it = item(index))
        it->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

bool TCheckListBox::selected(int index) const {
    const QListWidgetItem* it = item(index);
    return it && it->isSelected();
}

void TCheckListBox::setItemHeight(int pixels) {
    itemHeight_ = qMax(0, pixels);
    // The view caches line sizes; make it ask the delegate again.
    scheduleDelayedItemsLayout();
    viewport()->update();
}

void TCheckListBox::mousePressEvent(QMouseEvent* event) {
    QListWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()))
        emit Click();
}

void TCheckListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

void TCheckListBox::keyPressEvent(QKeyEvent* event) {
    const int before = itemIndex();
    emit KeyDown(event->key(), event->modifiers());
    // The key handler may have changed the lines; the box still handles the key itself.
    QListWidget::keyPressEvent(event);
    const int after = itemIndex();
    if (after >= 0 && after != before)
        emit Click();
}

} // namespace playlist

namespace playlist {

bool TCheckListBox::viewportEvent(QEvent* event) {
    // The box's hint covers its lines too. Without one the request is left unanswered, so it
    // travels up to the parent and the panel's own hint shows.
    if (event->type() == QEvent::ToolTip) {
        if (toolTip().isEmpty()) {
            event->ignore();
            return false;
        }
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), toolTip(), this);
        return true;
    }
    return QListWidget::viewportEvent(event);
}

} // namespace playlist
