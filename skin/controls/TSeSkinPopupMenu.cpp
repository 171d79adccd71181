#include "skin/controls/TSeSkinPopupMenu.h"

#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinMenuBar.h"
#include "skin/model/TSeSkinObject.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace skin {

namespace {

// Extra width of a skinned entry beyond its caption, image and shortcut: room for the check
// mark, the sub-menu arrow and the gaps between them.
constexpr int kEntryExtraWidth = 42;
// Sizes a skin may give an entry or the window's border; beyond them the skin is broken.
constexpr int kMaxSkinHeight = 512;
constexpr int kMaxSkinMargin = 64;

// The size an entry's picture is shown at: its own, within reason.
QSize imageSize(const QIcon& icon) {
    if (icon.isNull())
        return {0, 0};
    const QList<QSize> sizes = icon.availableSizes();
    const QSize size = sizes.isEmpty() ? QSize(16, 16) : sizes.first();
    return size.boundedTo(QSize(kMaxSkinHeight, kMaxSkinHeight));
}

// Gives a skinned menu window's entries the skin's sizes; everything else is the ordinary
// style's.
class PopupStyle : public QProxyStyle {
public:
    explicit PopupStyle(const TSeSkinPopupWindow* window) : window_(window) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const auto& m = window_->skinMetrics();
        if (m.hasItem) {
            switch (metric) {
            case PM_MenuPanelWidth:
                return 0;
            case PM_MenuHMargin:
                return std::clamp(m.itemOffset.x(), 0, kMaxSkinMargin);
            case PM_MenuVMargin:
                return std::clamp(m.itemOffset.y(), 0, kMaxSkinMargin);
            default:
                break;
            }
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        const auto& m = window_->skinMetrics();
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type != CT_MenuItem || !m.hasItem || !item)
            return QProxyStyle::sizeFromContents(type, option, size, widget);
        // An item part without a height is a broken skin; the entries stay usable.
        const int itemHeight =
            m.itemHeight > 0 ? m.itemHeight
                             : QProxyStyle::sizeFromContents(type, option, size, widget).height();
        // The menu adds the widest shortcut to the column by itself.
        if (item->menuItemType == QStyleOptionMenuItem::Separator)
            return {kEntryExtraWidth, std::max(1, itemHeight)};
        QString caption = item->text;
        if (const qsizetype tab = caption.indexOf(u'\t'); tab >= 0)
            caption.truncate(tab);
        const int textWidth =
            QFontMetrics(m.itemFont).horizontalAdvance(TSeSkinItem::displayText(caption));
        const QSize image = imageSize(item->icon);
        return {textWidth + image.width() + kEntryExtraWidth,
                std::max({1, itemHeight, image.height() + 4})};
    }

private:
    const TSeSkinPopupWindow* window_;
};

void drawCheck(QPainter& p, const QRect& box, const QColor& colour) {
    const int side = std::min({box.width(), box.height(), 12});
    if (side < 4)
        return;
    const QRectF r(box.center().x() - side / 2.0 + 0.5, box.center().y() - side / 2.0 + 0.5, side,
                   side);
    QPainterPath tick;
    tick.moveTo(r.left() + side * 0.15, r.top() + side * 0.55);
    tick.lineTo(r.left() + side * 0.40, r.top() + side * 0.80);
    tick.lineTo(r.left() + side * 0.85, r.top() + side * 0.20);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, std::max(1.5, side / 6.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
    p.restore();
}

void drawArrow(QPainter& p, const QRect& box, const QColor& colour, bool pointsLeft) {
    const int half = std::min({box.width(), box.height(), 8}) / 2;
    if (half < 2)
        return;
    const QPointF c = QRectF(box).center();
    const qreal dir = pointsLeft ? -1 : 1;
    QPainterPath arrow;
    arrow.moveTo(c + QPointF(-dir * half / 2.0, -half));
    arrow.lineTo(c + QPointF(dir * half / 2.0, 0));
    arrow.lineTo(c + QPointF(-dir * half / 2.0, half));
    arrow.closeSubpath();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(arrow);
    p.restore();
}

QString captionOf(const QAction* action) {
    QString caption = action->text();
    if (const qsizetype tab = caption.indexOf(u'\t'); tab >= 0)
        caption.truncate(tab);
    return TSeSkinItem::displayText(caption);
}

QString shortcutOf(const QAction* action) {
    const QString text = action->text();
    if (const qsizetype tab = text.indexOf(u'\t'); tab >= 0)
        return text.mid(tab + 1);
    return action->shortcut().toString(QKeySequence::NativeText);
}

} // namespace

TSeSkinPopupWindow::TSeSkinPopupWindow(QWidget* parent) : QMenu(parent) {
    style_ = new PopupStyle(this);
    style_->setParent(this);
    skin_.onSkinChanged = [this] { skinChanged(); };
}

TSeSkinPopupWindow::~TSeSkinPopupWindow() {
    skin_.onSkinChanged = nullptr;
}

void TSeSkinPopupWindow::skinChanged() {
    Metrics m;
    if (skin_.isSkinned()) {
        TSeSkinObject* copy = skin_.skinCopy();
        if (const TSeSkinObject* item = copy->findObject("Item")) {
            m.hasItem = true;
            m.itemHeight = std::clamp(item->height(), 0, kMaxSkinHeight);
            m.itemOffset = QPoint(item->left() - copy->left(), item->top() - copy->top());
            m.itemFont = item->Font.toQFont();
        }
    }
    metrics_ = m;
    // The menu lays its entries out again on a style or font change; going through no style
    // first makes a new skin's sizes count even though the style object stays the same.
    if (styled_) {
        setStyle(nullptr);
        setFont(QFont());
        styled_ = false;
    }
    if (skin_.isSkinned()) {
        setStyle(style_);
        // The shortcut column is measured in the window's font.
        if (m.hasItem)
            setFont(m.itemFont);
        styled_ = true;
    }
    if (isVisible())
        adjustSize();
}

void TSeSkinPopupWindow::paintEvent(QPaintEvent* event) {
    if (!skin_.isSkinned()) {
        QMenu::paintEvent(event);
        return;
    }
    const QRect dirty = event->rect();
    skin_.paint(dirty, [this, dirty](QPainter& p) { paintSkinned(p, dirty); });
}

void TSeSkinPopupWindow::paintSkinned(QPainter& p, const QRect& dirty) {
    TSeSkinObject* copy = skin_.skinCopy();
    if (TSeSkinObject* frame = copy->findObject("Frame")) {
        frame->setState(0);
        frame->setBounds(rect());
        frame->draw(p);
    } else {
        const QPalette& pal = palette();
        p.fillRect(rect(), pal.color(QPalette::Window));
        p.setPen(pal.color(QPalette::Mid));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    TSeSkinObject* item = copy->findObject("Item");
    for (QAction* action : actions()) {
        if (!action->isVisible())
            continue;
        const QRect r = actionGeometry(action);
        if (r.isEmpty() || !r.intersects(dirty))
            continue;
        paintEntry(p, item, action, r);
    }
}

void TSeSkinPopupWindow::paintEntry(QPainter& p, TSeSkinObject* item, QAction* action,
                                    const QRect& r) {
    const bool separator = action->isSeparator();
    const bool enabled = action->isEnabled();
    const bool selected = !separator && enabled && action == activeAction();
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    QColor ink;
    int leftRoom = 24;
    int rightRoom = 16;
    const QSize image = separator ? QSize() : imageSize(action->icon());
    if (item) {
        // A picture wider than the left text margin pushes the caption along.
        const int storedLeft = item->TextMarginLeft;
        if (!image.isEmpty())
            item->TextMarginLeft = std::max(storedLeft, image.width() + 4);
        item->setBounds(r);
        item->setEnabled(enabled || separator);
        item->setState(separator ? 0 : !enabled ? 8 : selected ? 5 : 0);
        item->setText(separator ? QStringLiteral("-") : captionOf(action));
        item->setRightText(separator ? QString() : shortcutOf(action));
        item->draw(p);
        ink = enabled ? item->GetFont().color() : QColor(0x80, 0x80, 0x80);
        leftRoom = item->TextMarginLeft;
        rightRoom = item->TextMarginRight;
        item->TextMarginLeft = storedLeft;
    } else {
        // A skin without an "Item" part: the entries keep a plain look on the skinned frame.
        const QPalette& pal = palette();
        if (separator) {
            p.fillRect(QRect(r.left() + 3, r.center().y(), r.width() - 6, 1),
                       pal.color(QPalette::Mid));
            return;
        }
        if (selected)
            p.fillRect(r, pal.color(QPalette::Highlight));
        ink = !enabled   ? pal.color(QPalette::Disabled, QPalette::WindowText)
              : selected ? pal.color(QPalette::HighlightedText)
                         : pal.color(QPalette::WindowText);
        p.save();
        p.setPen(ink);
        if (!image.isEmpty())
            leftRoom = std::max(leftRoom, image.width() + 4);
        const QRect text = r.adjusted(leftRoom, 0, -rightRoom, 0);
        const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
        p.drawText(text, flags | (rtl ? Qt::AlignRight : Qt::AlignLeft), captionOf(action));
        p.drawText(text, flags | (rtl ? Qt::AlignLeft : Qt::AlignRight), shortcutOf(action));
        p.restore();
    }
    if (separator)
        return;
    // The check mark and the arrow sit in the text margins, mirrored for right-to-left menus.
    const QRect leftBox(r.left(), r.top(), std::max(leftRoom, 0), r.height());
    const QRect rightBox(r.right() + 1 - std::max(rightRoom, 0), r.top(), std::max(rightRoom, 0),
                         r.height());
    const QRect imageBox = rtl ? rightBox : leftBox;
    if (!image.isEmpty()) {
        const QPixmap picture =
            action->icon().pixmap(image, enabled ? QIcon::Normal : QIcon::Disabled);
        const QRect place(QPoint(imageBox.left() + (imageBox.width() - image.width()) / 2,
                                 imageBox.top() + (imageBox.height() - image.height()) / 2),
                          image);
        p.drawPixmap(place, picture);
        // A checked entry with a picture shows it framed, as the check mark has no room.
        if (action->isChecked()) {
            p.setPen(ink);
            p.setBrush(Qt::NoBrush);
            p.drawRect(place.adjusted(-2, -2, 1, 1));
        }
    } else if (action->isChecked()) {
        drawCheck(p, imageBox, ink);
    }
    if (action->menu())
        drawArrow(p, rtl ? leftBox : rightBox, ink, rtl);
}

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

TSeSkinPopupWindow* TSeSkinPopupMenu::popupWindow() {
    menu();
    return items_->subMenuWindow();
}

const QList<QPixmap>& TSeSkinPopupMenu::Images() const {
    return items_->Images();
}

void TSeSkinPopupMenu::setImages(const QList<QPixmap>& images) {
    items_->setImages(images);
}

TSeSkinEngine* TSeSkinPopupMenu::SkinEngine() const {
    return items_->SkinEngine();
}

void TSeSkinPopupMenu::setSkinEngine(TSeSkinEngine* engine) {
    items_->setSkinEngine(engine);
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
