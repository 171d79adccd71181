#include "skin/controls/TSeSkinGroupBox.h"

#include <QPaintEvent>
#include <QPainter>

#include "skin/model/TSeSkinObject.h"

namespace skin {

TSeSkinGroupBox::TSeSkinGroupBox(QWidget* parent) : TSeSkinGroupBox(QString(), parent) {}

TSeSkinGroupBox::TSeSkinGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
    skin_.onSkinChanged = [this] { takeSkin(); };
}

QRect TSeSkinGroupBox::captionRect() const {
    int h = fontMetrics().height() + 2;
    if (const TSeSkinObject* caption = skin_.part("Caption"); caption && caption->height() > 0)
        h = caption->height();
    return QRect(0, 0, width(), h);
}

void TSeSkinGroupBox::takeSkin() {
    // The controls inside stay clear of the skin's caption and frame borders.
    if (!skin_.isSkinned()) {
        setContentsMargins(0, 0, 0, 0);
        return;
    }
    const TSeSkinObject* frame = skin_.part("Frame");
    const int top = captionRect().height();
    setContentsMargins(frame ? frame->MarginLeft : 2, top, frame ? frame->MarginRight : 2,
                       frame ? frame->MarginBottom : 2);
}

void TSeSkinGroupBox::paintEvent(QPaintEvent* event) {
    if (!skin_.isSkinned()) {
        QGroupBox::paintEvent(event);
        return;
    }
    skin_.paint(event->rect(), [this](QPainter& p) { paintSkinned(p); });
}

void TSeSkinGroupBox::paintSkinned(QPainter& p) {
    TSeSkinObject* copy = skin_.skinCopy();
    const QRect caption = captionRect();
    const std::uint8_t st = isEnabled() ? state::Normal : state::Disabled;
    TSeSkinObject* frame = copy->findObject("Frame");
    if (frame) {
        // The frame's top line runs through the middle of the caption.
        frame->setBounds(QRect(0, caption.height() / 2, width(), height() - caption.height() / 2));
        frame->setState(st);
        p.save();
        frame->draw(p);
        p.restore();
    }
    TSeSkinObject* title = copy->findObject("Title");
    if (!title)
        title = copy->findObject("Caption");
    if (title) {
        title->setText(this->title());
        const int w =
            std::min(width() - 16, title->textWidth(this->title()) + title->TextMarginLeft +
                                       title->TextMarginRight + 8);
        title->setBounds(QRect(8, 0, std::max(0, w), caption.height()));
        title->setState(st);
        title->setEnabled(isEnabled());
        p.save();
        title->draw(p);
        p.restore();
        return;
    }
    const TSeFont font = copy->GetFont();
    p.setFont(font.toQFont());
    p.setPen(isEnabled() ? font.color() : QColor(0x80, 0x80, 0x80));
    p.drawText(caption.adjusted(8, 0, -8, 0),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, this->title());
}

} // namespace skin
