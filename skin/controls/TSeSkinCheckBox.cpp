#include "skin/controls/TSeSkinCheckBox.h"

#include <QPaintEvent>
#include <QPainter>

#include "skin/model/TSeSkinObject.h"

namespace skin {

TSeCustomCheckBox::TSeCustomCheckBox(QWidget* parent) : QCheckBox(parent) {
    setAttribute(Qt::WA_Hover);
    resize(120, 17);
}

int TSeCustomCheckBox::skinState() const {
    if (!isEnabled())
        return state::Disabled;
    if (isDown())
        return state::Pressed;
    if (hot_)
        return state::Hot;
    if (hasFocus())
        return state::Focused;
    return state::Normal;
}

void TSeCustomCheckBox::enterEvent(QEnterEvent* event) {
    hot_ = true;
    update();
    QCheckBox::enterEvent(event);
}

void TSeCustomCheckBox::leaveEvent(QEvent* event) {
    hot_ = false;
    update();
    QCheckBox::leaveEvent(event);
}

TSeSkinCheckBox::TSeSkinCheckBox(QWidget* parent) : TSeCustomCheckBox(parent) {
    skin_.setTransparent(true);
}

bool TSeSkinCheckBox::hitButton(const QPoint& pos) const {
    // Skinned, the box and its caption together are the control.
    return skin_.isSkinned() ? rect().contains(pos) : QCheckBox::hitButton(pos);
}

void TSeSkinCheckBox::paintEvent(QPaintEvent* event) {
    if (!skin_.isSkinned()) {
        QCheckBox::paintEvent(event);
        return;
    }
    skin_.paint(event->rect(), [this](QPainter& p) { paintSkinned(p); });
}

void TSeSkinCheckBox::paintSkinned(QPainter& p) {
    TSeSkinObject* copy = skin_.skinCopy();
    // The parts keep their places from the stored object: the box at the left, vertically
    // where the skin put it, the text filling the rest.
    copy->setBounds(rect());
    const auto st = static_cast<std::uint8_t>(skinState());
    TSeSkinObject* box = copy->findObject(isChecked() ? "Check" : "Box");
    if (box) {
        const int side = box->height();
        box->setBounds(0, (height() - side) / 2, box->width(), side);
        box->setState(st);
        p.save();
        box->draw(p);
        p.restore();
    }
    TSeSkinObject* text = copy->findObject("Text");
    if (!text)
        text = copy;
    text->setState(st);
    const TSeFont font = text->GetFont();
    const int left = text == copy ? (box ? box->width() + 6 : 0) : text->TextMarginLeft;
    QRect room = rect().adjusted(left, 0, 0, 0);
    p.setFont(font.toQFont());
    p.setPen(font.color());
    p.drawText(room, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic, this->text());
    if (hasFocus()) {
        const QRect used = p.boundingRect(
            room, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic, this->text());
        p.setPen(QPen(font.color(), 1, Qt::DotLine));
        p.drawRect(used.adjusted(-2, 0, 1, -1));
    }
}

} // namespace skin
