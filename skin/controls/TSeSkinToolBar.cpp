#include "skin/controls/TSeSkinToolBar.h"

#include "skin/controls/TSeSkinSpeedButton.h"

#include <QPaintEvent>
#include <QPainter>

#include "skin/model/TSeSkinObject.h"

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

void TSeSkinToolBar::setSkinEngine(TSeSkinEngine* engine) {
    skin_.setSkinEngine(engine);
    for (TSeSkinSpeedButton* b : std::as_const(buttons_))
        b->setSkinEngine(engine);
}

TSeSkinSpeedButton* TSeSkinToolBar::addButton(const QString& caption, QSize size) {
    auto* button = new TSeSkinSpeedButton(this);
    button->setSkinEngine(skin_.SkinEngine());
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

void TSeSkinToolBar::paintSkinned(QPainter& p) {
    TSeSkinObject* copy = skin_.skinCopy();
    TSeSkinObject* frame = copy->findObject("Frame");
    if (!frame) {
        copy->setBounds(rect());
        copy->setState(state::Normal);
        copy->draw(p);
        return;
    }
    frame->setBounds(rect());
    frame->setState(state::Normal);
    frame->draw(p);
}

void TSeSkinToolBar::paintEvent(QPaintEvent* event) {
    if (skin_.isSkinned()) {
        skin_.paint(event->rect(), [this](QPainter& p) { paintSkinned(p); });
        return;
    }
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(r.topLeft(), r.topRight());
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(r.bottomLeft(), r.bottomRight());
}

} // namespace skin
