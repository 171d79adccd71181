#include "skin/controls/TAlignLayout.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace skin {

namespace {
constexpr char kAlignProperty[] = "quarvelAlign";
}

TAlign alignOf(const QWidget* control) {
    const QVariant v = control ? control->property(kAlignProperty) : QVariant();
    return v.isValid() ? static_cast<TAlign>(v.toInt()) : TAlign::alNone;
}

void setAlign(QWidget* control, TAlign align) {
    if (!control)
        return;
    control->setProperty(kAlignProperty, static_cast<int>(align));
    if (QWidget* parent = control->parentWidget())
        if (auto* layout = qobject_cast<TAlignLayout*>(parent->layout()))
            layout->realign();
}

TAlignLayout::TAlignLayout(QWidget* parent) : QLayout(parent) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

TAlignLayout::~TAlignLayout() {
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void TAlignLayout::addControl(QWidget* control, TAlign align) {
    insertControl(count(), control, align);
}

void TAlignLayout::insertControl(int index, QWidget* control, TAlign align) {
    control->setProperty(kAlignProperty, static_cast<int>(align));
    addChildWidget(control);
    auto* item = new QWidgetItem(control);
    items_.insert(std::clamp(index, 0, count()), item);
    control->installEventFilter(this);
    // Shown at once unless someone hid it on purpose (the layout would otherwise show it
    // only on the next pass of the event loop).
    if (!(control->isHidden() && control->testAttribute(Qt::WA_WState_ExplicitShowHide)))
        control->show();
    invalidate();
    realign();
}

void TAlignLayout::addItem(QLayoutItem* item) {
    items_.append(item);
    if (QWidget* w = item->widget())
        w->installEventFilter(this);
}

QLayoutItem* TAlignLayout::itemAt(int index) const {
    return index >= 0 && index < count() ? items_.at(index) : nullptr;
}

QLayoutItem* TAlignLayout::takeAt(int index) {
    if (index < 0 || index >= count())
        return nullptr;
    QLayoutItem* item = items_.takeAt(index);
    if (QWidget* w = item->widget())
        w->removeEventFilter(this);
    return item;
}

QSize TAlignLayout::sizeHint() const {
    const QWidget* parent = parentWidget();
    return parent ? parent->size() : QSize(0, 0);
}

void TAlignLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    place(contentsRect());
}

QRect TAlignLayout::area() const {
    const QWidget* parent = parentWidget();
    if (!parent)
        return {};
    const QMargins m = contentsMargins();
    return parent->contentsRect().marginsRemoved(m);
}

void TAlignLayout::realign() {
    place(area());
}

void TAlignLayout::place(const QRect& area) {
    if (placing_)
        return;
    placing_ = true;
    int left = area.left();
    int top = area.top();
    int right = area.left() + area.width();  // exclusive
    int bottom = area.top() + area.height(); // exclusive
    auto width = [&] { return std::max(0, right - left); };
    auto height = [&] { return std::max(0, bottom - top); };
    for (TAlign pass :
         {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
        for (QLayoutItem* item : std::as_const(items_)) {
            QWidget* w = item->widget();
            if (!w || w->isHidden() || alignOf(w) != pass)
                continue;
            switch (pass) {
            case TAlign::alTop: {
                const int h = w->height();
                w->setGeometry(left, top, width(), h);
                top += h;
                break;
            }
            case TAlign::alBottom: {
                const int h = w->height();
                w->setGeometry(left, bottom - h, width(), h);
                bottom -= h;
                break;
            }
            case TAlign::alLeft: {
                const int wd = w->width();
                w->setGeometry(left, top, wd, height());
                left += wd;
                break;
            }
            case TAlign::alRight: {
                const int wd = w->width();
                w->setGeometry(right - wd, top, wd, height());
                right -= wd;
                break;
            }
            case TAlign::alClient:
                w->setGeometry(left, top, width(), height());
                break;
            case TAlign::alNone:
                break;
            }
        }
    }
    placing_ = false;
}

bool TAlignLayout::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        if (!placing_ && static_cast<QWidget*>(watched)->parentWidget() == parentWidget())
            realign();
        break;
    default:
        break;
    }
    return false;
}

} // namespace skin
