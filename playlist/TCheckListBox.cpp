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
    static constexpr qsizetype kMaxPainted = 8192;

    FixedHeightDelegate(const int& height, QObject* parent)
        : QStyledItemDelegate(parent), height_(height) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (height_ > 0)
            size.setHeight(height_);
        return size;
    }

    // The base class scans the whole text for line breaks on every paint; no row shows more
    // than a few hundred characters, so it only ever sees a bounded prefix.
    QString displayText(const QVariant& value, const QLocale& locale) const override {
        if (value.typeId() == QMetaType::QString) {
            const QString text = value.toString();
            if (text.size() > kMaxPainted)
                return QStyledItemDelegate::displayText(text.left(kMaxPainted), locale);
        }
        return QStyledItemDelegate::displayText(value, locale);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        // The style lays out the whole text to elide it, on every repaint; a line of a
        // megabyte would freeze the window. Only what fits the row can show, so the style
        // gets a prefix a little longer than the row is wide in pixels (no character is
        // narrower than a pixel) and elides that.
        const qsizetype keep = qMax<qsizetype>(option->rect.width(), 256) + 16;
        if (option->text.size() > keep) {
            // left() copies only the prefix; truncating would first copy the shared line.
            option->text = option->text.left(keep) + QChar(0x2026);
        }
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

QFont TCheckListBox::fontFittingRows(QFont font, int rowHeight) {
    // Underscores and descenders hang below the baseline; a font whose line is taller than
    // the row loses them to the clip. Take the largest size, at most 12 pixels (9 points at
    // 96 dots per inch), whose line and whose lowest glyphs fit.
    const QString low = QStringLiteral("_gjpqy路");
    for (int pixels = qMin(12, rowHeight); pixels > 4; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        const int top = (rowHeight - metrics.height()) / 2;
        const int bottom = top + metrics.ascent() +
                           qMax(metrics.descent(), metrics.boundingRect(low).bottom() + 1);
        if (metrics.height() <= rowHeight && top >= 0 && bottom <= rowHeight)
            return font;
    }
    return font;
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
        // A hint of a megabyte would take the tip as long to lay out as the line would the
        // box; no screen shows more than its start anyway.
        constexpr qsizetype kMaxShown = 2048;
        QString tip = toolTip();
        if (tip.size() > kMaxShown) {
            tip = tip.left(kMaxShown) + QChar(0x2026);
        }
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, this);
        return true;
    }
    return QListWidget::viewportEvent(event);
}

} // namespace playlist
