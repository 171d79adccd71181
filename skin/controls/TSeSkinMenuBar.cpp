#include "skin/controls/TSeSkinMenuBar.h"

#include "skin/controls/TSeSkinItem.h"
#include "skin/model/TSeSkinObject.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace skin {

namespace {

// Sizes a skin may give the bar; beyond them the skin is broken, not just generous.
constexpr int kMaxSkinHeight = 512;
constexpr int kMaxSkinMargin = 128;

// Gives a skinned bar's entries the skin's sizes and places them inside the frame's margins.
class MenuBarStyle : public QProxyStyle {
public:
    explicit MenuBarStyle(const TSeSkinMenuBar* bar) : bar_(bar) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const auto& m = bar_->skinMetrics();
        switch (metric) {
        case PM_MenuBarPanelWidth:
        case PM_MenuBarItemSpacing:
            return 0;
        case PM_MenuBarHMargin:
            // The bar places entries from this margin on both sides; the left one is what
            // shows.
            return std::clamp(m.frameMargins.left(), 0, kMaxSkinMargin);
        case PM_MenuBarVMargin:
            return std::clamp(m.frameMargins.top(), 0, kMaxSkinMargin);
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        const auto& m = bar_->skinMetrics();
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type != CT_MenuBarItem || !m.hasItem || !item)
            return QProxyStyle::sizeFromContents(type, option, size, widget);
        // An item part without a height is a broken skin; the entries stay usable.
        const int height = m.itemHeight > 0
                               ? m.itemHeight
                               : QProxyStyle::sizeFromContents(type, option, size, widget).height();
        if (item->menuItemType == QStyleOptionMenuItem::Separator)
            return {height, height};
        const int text =
            QFontMetrics(m.itemFont).horizontalAdvance(TSeSkinItem::displayText(item->text));
        return {std::max(1, text + m.itemTextMargins), height};
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        // Hot entries are part of the skinned look, whatever the platform style does.
        if (hint == SH_MenuBar_MouseTracking)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    const TSeSkinMenuBar* bar_;
};

bool inControlBar(const QWidget* bar) {
    const QWidget* parent = bar->parentWidget();
    if (!parent)
        return false;
    return parent->inherits("QToolBar") ||
           QByteArray(parent->metaObject()->className()).endsWith("ControlBar");
}

} // namespace

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
    style_ = new MenuBarStyle(this);
    style_->setParent(this);
    skin_.onSkinChanged = [this] { skinChanged(); };
}

TSeSkinMenuBar::~TSeSkinMenuBar() {
    skin_.onSkinChanged = nullptr;
}

void TSeSkinMenuBar::setSkinEngine(TSeSkinEngine* engine) {
    items_->setSkinEngine(engine);
    skin_.setSkinEngine(engine);
}

const QList<QPixmap>& TSeSkinMenuBar::Images() const {
    return items_->Images();
}

void TSeSkinMenuBar::setImages(const QList<QPixmap>& images) {
    items_->setImages(images);
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

const char* TSeSkinMenuBar::framePartName() const {
    if (inControlBar(this)) {
        if (TSeSkinObject* copy = skin_.skinCopy(); copy && copy->findObject("ToolbarFrame"))
            return "ToolbarFrame";
    }
    return "Frame";
}

void TSeSkinMenuBar::skinChanged() {
    Metrics m;
    if (skin_.isSkinned()) {
        TSeSkinObject* copy = skin_.skinCopy();
        if (const TSeSkinObject* frame = copy->findObject(framePartName())) {
            m.hasFrame = true;
            m.frameHeight = std::clamp(frame->height(), 0, kMaxSkinHeight);
            m.frameMargins = QMargins(frame->MarginLeft, frame->MarginTop, frame->MarginRight,
                                      frame->MarginBottom);
        }
        if (const TSeSkinObject* item = copy->findObject("Item")) {
            m.hasItem = true;
            m.itemHeight = std::clamp(item->height(), 0, kMaxSkinHeight);
            m.itemTextMargins = item->TextMarginLeft + item->TextMarginRight;
            m.itemFont = item->Font.toQFont();
        }
    }
    metrics_ = m;
    // The bar lays its entries out again on a style change; going through no style first
    // makes a new skin's sizes count although the style object stays the same. A style change
    // also sizes the bar to its parent's width, which is not its to choose here.
    const QSize kept = size();
    if (styled_) {
        setStyle(nullptr);
        styled_ = false;
    }
    if (skin_.isSkinned()) {
        setStyle(style_);
        styled_ = true;
    }
    if (size() != kept)
        resize(kept);
    fitHeight();
}

void TSeSkinMenuBar::setAutoSize(bool on) {
    autoSize_ = on;
    fitHeight();
}

void TSeSkinMenuBar::fitHeight() {
    if (!autoSize_)
        return;
    const int height = sizeHint().height();
    if (this->height() != height)
        resize(width(), height);
    updateGeometry();
}

QSize TSeSkinMenuBar::sizeHint() const {
    QSize s = QMenuBar::sizeHint();
    s.setHeight(metrics_.hasFrame && metrics_.frameHeight > 0 ? metrics_.frameHeight
                                                              : kDefaultHeight);
    return s;
}

QSize TSeSkinMenuBar::minimumSizeHint() const {
    QSize s = QMenuBar::minimumSizeHint();
    s.setHeight(sizeHint().height());
    return s;
}

void TSeSkinMenuBar::paintEvent(QPaintEvent* event) {
    if (!skin_.isSkinned()) {
        QMenuBar::paintEvent(event);
        return;
    }
    const QRect dirty = event->rect();
    skin_.paint(dirty, [this, dirty](QPainter& p) { paintSkinned(p, dirty); });
}

void TSeSkinMenuBar::paintSkinned(QPainter& p, const QRect& dirty) {
    TSeSkinObject* copy = skin_.skinCopy();
    if (TSeSkinObject* frame = copy->findObject(framePartName())) {
        frame->setState(0);
        frame->setBounds(rect());
        frame->draw(p);
    } else {
        p.fillRect(rect(), palette().color(QPalette::Window));
    }
    TSeSkinObject* item = copy->findObject("Item");
    for (QAction* action : actions()) {
        if (!action->isVisible() || action->isSeparator())
            continue;
        const QRect r = actionGeometry(action);
        if (r.isEmpty() || !r.intersects(dirty))
            continue;
        const bool enabled = action->isEnabled();
        const bool open = action->menu() && action->menu()->isVisible();
        const bool selected = enabled && action == activeAction();
        const QString caption = TSeSkinItem::displayText(action->text());
        if (item) {
            item->setBounds(r);
            item->setEnabled(enabled);
            item->setState(!enabled ? 8 : open ? 6 : selected ? 5 : 0);
            item->setText(caption);
            item->draw(p);
            continue;
        }
        // A skin without an "Item" part: plain entries on the skinned frame.
        const QPalette& pal = palette();
        if (selected || open)
            p.fillRect(r, pal.color(QPalette::Highlight));
        p.setPen(!enabled             ? pal.color(QPalette::Disabled, QPalette::WindowText)
                 : (selected || open) ? pal.color(QPalette::HighlightedText)
                                      : pal.color(QPalette::WindowText));
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, caption);
    }
}

} // namespace skin
