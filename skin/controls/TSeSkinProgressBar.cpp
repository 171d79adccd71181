#include "skin/controls/TSeSkinProgressBar.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionProgressBar>

#include <cmath>

#include "skin/model/TSeSkinObject.h"

namespace skin {

namespace {

// Halves go to the even neighbour, as the bar's geometry has always been rounded.
int roundEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

TSeSkinProgressBar::TSeSkinProgressBar(QWidget* parent) : QWidget(parent) {
    color_ = palette().color(QPalette::Button);
    resize(140, 16);
    skin_.setPerformance(TSePerformance::kspDoubleBuffer);
    skin_.setTransparent(true);
    skin_.onSkinChanged = [this] { skinChanged(); };
}

void TSeSkinProgressBar::setTransparent(bool value) {
    skin_.setTransparent(value);
    skinChanged();
}

void TSeSkinProgressBar::skinChanged() {
    // Only a skinned transparent bar lets its parent show; the default look paints every pixel.
    const bool seeThrough = skin_.Transparent() && skin_.isSkinned();
    setAttribute(Qt::WA_NoSystemBackground, seeThrough);
    setAttribute(Qt::WA_OpaquePaintEvent, !seeThrough);
}

float TSeSkinProgressBar::fraction(int value) const {
    if (min_ < 0 || value < min_ || value > max_ || min_ == max_)
        return 0.0f;
    return static_cast<float>(value - min_) / static_cast<float>(max_ - min_);
}

void TSeSkinProgressBar::setMin(int value) {
    min_ = value;
    update();
}

void TSeSkinProgressBar::setMax(int value) {
    max_ = value;
    update();
}

void TSeSkinProgressBar::setPosition(int value) {
    if (value == position_)
        return;
    const float before = fraction(position_);
    position_ = value;
    if (fraction(position_) != before && isVisible())
        repaint();
}

void TSeSkinProgressBar::setOrientation(TSeBarOrientation value) {
    if (value == orientation_)
        return;
    orientation_ = value;
    update();
}

void TSeSkinProgressBar::setShowBorder(bool value) {
    if (value == showBorder_)
        return;
    showBorder_ = value;
    update();
}

void TSeSkinProgressBar::setBorderWidth(int value) {
    if (value == borderWidth_)
        return;
    borderWidth_ = value;
    update();
}

void TSeSkinProgressBar::setSmooth(bool value) {
    if (value == smooth_)
        return;
    smooth_ = value;
    update();
}

void TSeSkinProgressBar::setColor(const QColor& value) {
    color_ = value;
    update();
}

QRect TSeSkinProgressBar::contentRect() const {
    if (const TSeSkinObject* frame = skin_.part("Frame")) {
        return rect().adjusted(frame->MarginLeft, frame->MarginTop, -frame->MarginRight,
                               -frame->MarginBottom);
    }
    QRect r = rect();
    if (showBorder_)
        r.adjust(2, 2, -2, -2);
    return r.adjusted(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
}

QRect TSeSkinProgressBar::barRect() const {
    const QRect content = contentRect();
    const float f = fraction(position_);
    QRect bar = content;
    if (orientation_ == TSeBarOrientation::kboHorizontal)
        bar.setWidth(roundEven(static_cast<double>(f) * content.width()));
    else
        bar.setTop(content.top() + content.height() -
                   roundEven(static_cast<double>(f) * content.height()));
    return bar;
}

QVector<QRect> TSeSkinProgressBar::blockRects() const {
    QVector<QRect> blocks;
    const QRect content = contentRect();
    const bool horizontal = orientation_ == TSeBarOrientation::kboHorizontal;
    const int thickness = horizontal ? content.height() : content.width();
    const int length = horizontal ? content.width() : content.height();
    const int size = roundEven(0.64 * thickness);
    const int pitch = size + 2;
    const float f = fraction(position_);
    if (size <= 0 || f < 0.01f)
        return blocks;
    const int whole = length / pitch;
    const int last = roundEven(static_cast<double>(f) * whole);
    for (int i = 0; i <= last; ++i) {
        QRect block;
        if (horizontal)
            block = QRect(content.left() + i * pitch, content.top(), size, content.height());
        else
            block = QRect(content.left(), content.top() + content.height() - i * pitch - size,
                          content.width(), size);
        block = block.intersected(content);
        if (!block.isEmpty())
            blocks.append(block);
    }
    return blocks;
}

void TSeSkinProgressBar::paintEvent(QPaintEvent* event) {
    if (skin_.isSkinned()) {
        skin_.paint(event->rect(), [this](QPainter& p) { paintSkinned(p); });
        return;
    }
    QPainter painter(this);
    paintDefault(painter);
}

void TSeSkinProgressBar::paintSkinned(QPainter& p) {
    TSeSkinObject* copy = skin_.skinCopy();
    if (!skin_.Transparent())
        p.fillRect(rect(), color_);
    if (TSeSkinObject* frame = copy->findObject("Frame")) {
        frame->setBounds(rect());
        frame->draw(p);
    }
    const bool horizontal = orientation_ == TSeBarOrientation::kboHorizontal;
    TSeSkinObject* bar = copy->findObject(horizontal ? "BarHorz" : "BarVert");
    if (!bar)
        bar = copy->findObject("Bar");
    if (!bar)
        return;
    const QRect filled = barRect();
    if (filled.width() <= 0 || filled.height() <= 0)
        return;
    bar->setBounds(filled);
    bar->draw(p);
}

void TSeSkinProgressBar::setThemedLook(TSeThemedLook look) {
    if (look == themedLook_)
        return;
    themedLook_ = look;
    update();
}

void TSeSkinProgressBar::paintThemed(QPainter& painter) {
    const bool horizontal = orientation_ == TSeBarOrientation::kboHorizontal;
    QStyleOptionProgressBar option;
    option.initFrom(this);
    option.minimum = 0;
    option.maximum = 1;
    option.textVisible = false;
    option.state |= horizontal ? QStyle::State_Horizontal : QStyle::State_None;
    if (showBorder_) {
        option.rect = rect();
        option.progress = 0;
        style()->drawControl(QStyle::CE_ProgressBarGroove, &option, &painter, this);
    } else {
        painter.fillRect(rect(), color_);
    }
    // The style's chunk, filling exactly the bar's rectangle.
    const QRect bar = barRect();
    if (bar.isEmpty())
        return;
    option.rect = bar;
    option.progress = 1;
    style()->drawControl(QStyle::CE_ProgressBarContents, &option, &painter, this);
}

void TSeSkinProgressBar::paintDefault(QPainter& painter) {
    if (themedLook(themedLook_)) {
        paintThemed(painter);
        return;
    }
    QRect inside = rect();
    if (showBorder_) {
        // A one-pixel sunken frame: shadow on the top and left, light on the bottom and right.
        const QRect r = rect();
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        inside.adjust(1, 1, -1, -1);
    }
    painter.fillRect(inside, color_);

    const QColor highlight = palette().color(QPalette::Highlight);
    if (smooth_) {
        const QRect bar = barRect();
        if (!bar.isEmpty())
            painter.fillRect(bar, highlight);
    } else {
        for (const QRect& block : blockRects())
            painter.fillRect(block, highlight);
    }
}

} // namespace skin
