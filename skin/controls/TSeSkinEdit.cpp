#include "skin/controls/TSeSkinEdit.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

#include "skin/model/TSeSkinObject.h"

namespace skin {

TSeCustomEdit::TSeCustomEdit(QWidget* parent) : QLineEdit(parent) {
    setAttribute(Qt::WA_Hover);
    resize(121, 21);
}

void TSeCustomEdit::setAnchorRight(bool on) {
    QWidget* parent = parentWidget();
    if (anchorRight_ && parent)
        parent->removeEventFilter(this);
    anchorRight_ = on && parent;
    if (anchorRight_) {
        rightGap_ = parent->width() - geometry().right() - 1;
        parent->installEventFilter(this);
    }
}

bool TSeCustomEdit::eventFilter(QObject* watched, QEvent* event) {
    if (anchorRight_ && watched == parentWidget() && event->type() == QEvent::Resize)
        resize(std::max(0, parentWidget()->width() - rightGap_ - x()), height());
    return QLineEdit::eventFilter(watched, event);
}

int TSeCustomEdit::skinState() const {
    if (!isEnabled())
        return state::Disabled;
    if (hasFocus())
        return state::Focused;
    if (hot_)
        return state::Hot;
    return state::Normal;
}

void TSeCustomEdit::enterEvent(QEnterEvent* event) {
    hot_ = true;
    update();
    QLineEdit::enterEvent(event);
}

void TSeCustomEdit::leaveEvent(QEvent* event) {
    hot_ = false;
    update();
    QLineEdit::leaveEvent(event);
}

TSeSkinEdit::TSeSkinEdit(QWidget* parent) : TSeCustomEdit(parent) {
    skin_.onSkinChanged = [this] { takeSkin(); };
}

void TSeSkinEdit::takeSkin() {
    // Skinned, the frame part is the border: the text sits inside its margins and the
    // desktop's own frame goes.
    const TSeSkinObject* frame = skin_.part("Frame");
    if (skin_.isSkinned()) {
        setFrame(false);
        if (frame)
            setTextMargins(frame->MarginLeft, 0, frame->MarginRight, 0);
        QPalette pal = palette();
        pal.setColor(QPalette::Base, Qt::transparent);
        setPalette(pal);
    } else {
        setFrame(true);
        setTextMargins(0, 0, 0, 0);
        setPalette(QPalette());
    }
}

void TSeSkinEdit::paintEvent(QPaintEvent* event) {
    if (skin_.isSkinned()) {
        QPainter p(this);
        TSeSkinObject* copy = skin_.skinCopy();
        TSeSkinObject* frame = copy->findObject("Frame");
        if (!frame)
            frame = copy;
        frame->setState(static_cast<std::uint8_t>(skinState()));
        frame->setBounds(rect());
        frame->draw(p);
    }
    QLineEdit::paintEvent(event);
}

} // namespace skin
