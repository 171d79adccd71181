#include "skin/controls/TSeSkinToolBar.h"

#include "skin/controls/TSeSkinSpeedButton.h"

#include <QPainter>

namespace skin {

TSeSkinToolBar::TSeSkinToolBar(QWidget* parent) : QWidget(parent) {
    resize(150, 29);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
}

void TSeSkinToolBar::setBorderWidth(int width) {
    borderWidth_ = std::max(0, width);
    arrange();
    update();
}

TSeSkinSpeedButton* TSeSkinToolBar::addButton(const QString& caption, QSize size) {
    auto* button = new TSeSkinSpeedButton(this);
    button->setCaption(caption);
    button->resize(size);
    button->setFlat(true);
    buttons_.append(button);
    arrange();
    return button;
}

void TSeSkinToolBar::arrange() {
    int x = borderWidth_;
    for (TSeSkinSpeedButton* b : std::as_const(buttons_)) {
        if (b->isHidden())
            continue;
        b->move(x, std::max(borderWidth_, (height() - b->height()) / 2));
        x += b->width();
    }
}

void TSeSkinToolBar::resizeEvent(QResizeEvent*) {
    arrange();
}

void TSeSkinToolBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(r.topLeft(), r.topRight());
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(r.bottomLeft(), r.bottomRight());
}

} // namespace skin
