#include "skin/controls/TSeSkinLabel.h"

#include <QPaintEvent>
#include <QPainter>

#include "skin/model/TSeSkinObject.h"

namespace skin {

TSeCustomLabel::TSeCustomLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void TSeCustomLabel::setTransparent(bool on) {
    transparent_ = on;
    setAutoFillBackground(!on);
    update();
}

int TSeCustomLabel::drawFlags() const {
    int flags = int(alignment());
    if (wordWrap())
        flags |= Qt::TextWordWrap | Qt::TextExpandTabs;
    else
        flags |= Qt::TextSingleLine;
    return flags;
}

void TSeCustomLabel::fitToText() {
    const QFontMetrics fm(textFont());
    const QRect room = wordWrap() ? QRect(0, 0, width(), 1 << 20) : QRect(0, 0, 1 << 20, 1 << 20);
    const QRect used = fm.boundingRect(room, drawFlags(), text());
    resize(used.width(), used.height());
}

QColor TSeCustomLabel::textColor() const {
    return palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                           QPalette::WindowText);
}

void TSeCustomLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(textFont());
    p.setPen(textColor());
    p.drawText(contentsRect(), drawFlags(), text());
}

TSeSkinLabel::TSeSkinLabel(QWidget* parent) : TSeCustomLabel(parent) {
    skin_.onSkinChanged = [this] { update(); };
}

const TSeSkinObject* TSeSkinLabel::textPart() const {
    if (!skin_.isSkinned())
        return nullptr;
    const TSeSkinObject* text = skin_.part("Text");
    return text ? text : skin_.skinCopy();
}

QFont TSeSkinLabel::textFont() const {
    const TSeSkinObject* part = textPart();
    return part ? part->GetFont().toQFont() : font();
}

QColor TSeSkinLabel::textColor() const {
    const TSeSkinObject* part = textPart();
    if (!part)
        return TSeCustomLabel::textColor();
    return isEnabled() ? part->GetFont().color() : QColor(0x80, 0x80, 0x80);
}

} // namespace skin
