#include "skin/controls/TSeSkinSpeedButton.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "skin/model/TSeSkinObject.h"

namespace skin {

namespace {
constexpr int kChevronWidth = 12;
constexpr int kRepeatInterval = 400;
} // namespace

TSeSkinSpeedButton::TSeSkinSpeedButton(QWidget* parent) : QWidget(parent) {
    resize(29, 29);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
    skin_.setTransparent(true);
    repeat_.setInterval(kRepeatInterval);
    // While an auto-repeating button is held inside, it clicks again at every tick.
    connect(&repeat_, &QTimer::timeout, this, [this] {
        if (state_ == bsPressed && mouseInside_)
            Click();
    });
}

void TSeSkinSpeedButton::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TSeSkinSpeedButton::setFlat(bool on) {
    flat_ = on;
    update();
}

void TSeSkinSpeedButton::setGlyph(const QPixmap& glyph) {
    glyph_ = glyph;
    update();
}

void TSeSkinSpeedButton::setShowCaption(bool on) {
    showCaption_ = on;
    update();
}

void TSeSkinSpeedButton::setShowGlyph(bool on) {
    showGlyph_ = on;
    update();
}

void TSeSkinSpeedButton::setLayout(TButtonLayout layout) {
    layout_ = layout;
    update();
}

void TSeSkinSpeedButton::setMargin(int margin) {
    margin_ = std::max(-1, margin);
    update();
}

void TSeSkinSpeedButton::setSpacing(int spacing) {
    spacing_ = std::max(-1, spacing);
    update();
}

void TSeSkinSpeedButton::setShowChevron(bool on) {
    showChevron_ = on;
    update();
}

QRect TSeSkinSpeedButton::chevronRect() const {
    if (!showChevron_)
        return {};
    return QRect(width() - kChevronWidth, 0, kChevronWidth, height());
}

QRect TSeSkinSpeedButton::buttonRect() const {
    QRect r = rect();
    if (showChevron_)
        r.setRight(width() - kChevronWidth - 1);
    return r;
}

void TSeSkinSpeedButton::setDown(bool down) {
    if (down == down_)
        return;
    down_ = down;
    if (!down)
        state_ = bsUp;
    else if (groupIndex_ != 0)
        state_ = bsLatched;
    else if (mouseInside_)
        state_ = bsPressed;
    else
        state_ = bsUp;
    if (down)
        groupDown();
    update();
}

void TSeSkinSpeedButton::groupDown() {
    if (groupIndex_ == 0 || !parentWidget())
        return;
    const auto siblings =
        parentWidget()->findChildren<TSeSkinSpeedButton*>(Qt::FindDirectChildrenOnly);
    for (TSeSkinSpeedButton* other : siblings) {
        if (other == this || other->groupIndex_ != groupIndex_)
            continue;
        if (other->down_) {
            other->down_ = false;
            other->state_ = bsUp;
            other->update();
        }
        other->allowAllUp_ = allowAllUp_;
    }
}

void TSeSkinSpeedButton::Click() {
    if (state_ == bsChevronPressed)
        return;
    if (OnClick)
        OnClick(this);
}

void TSeSkinSpeedButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    const QPoint p = event->position().toPoint();
    if (chevronRect().contains(p)) {
        state_ = bsChevronPressed;
        if (OnChevronClick)
            OnChevronClick(this);
    } else if (buttonRect().contains(p)) {
        state_ = bsPressed;
        if (allowTimer_)
            repeat_.start();
    }
    update();
}

void TSeSkinSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    repeat_.stop();
    if (state_ == bsChevronPressed) {
        if (chevronMenu_)
            chevronMenu_->popup(mapToGlobal(chevronRect().bottomLeft()));
        state_ = bsUp;
        update();
        return;
    }
    const int was = state_;
    if (!down_)
        state_ = bsUp;
    const bool inside = buttonRect().contains(event->position().toPoint());
    if (inside && (was == bsPressed || was == bsLatched)) {
        if (!down_ && groupIndex_ != 0)
            setDown(true);
        else if (allowAllUp_)
            setDown(false);
        else if (groupIndex_ != 0)
            state_ = bsLatched;
        update();
        Click();
        return;
    }
    if (down_ && groupIndex_ != 0)
        state_ = bsLatched;
    update();
}

void TSeSkinSpeedButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && OnDblClick)
        OnDblClick(this);
    else
        mousePressEvent(event);
}

void TSeSkinSpeedButton::enterEvent(QEnterEvent*) {
    mouseInside_ = true;
    update();
}

void TSeSkinSpeedButton::leaveEvent(QEvent*) {
    mouseInside_ = false;
    update();
}

void TSeSkinSpeedButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

int TSeSkinSpeedButton::skinState() const {
    if (!isEnabled())
        return state::Disabled;
    if (state_ == bsPressed)
        return state::Pressed;
    if (!flat_)
        return state_ == bsLatched ? state::Focused : state::Normal;
    if (mouseInside_)
        return state::Hot;
    return state_ == bsLatched ? state::Focused : state::Normal;
}

TSeSkinSpeedButton::ContentPlace TSeSkinSpeedButton::placeContent(const QFont& font) const {
    const QRect face = buttonRect();
    const bool hasGlyph = showGlyph_ && !glyph_.isNull();
    const bool hasText = showCaption_ && !caption_.isEmpty();
    const QSize glyph = hasGlyph ? glyph_.deviceIndependentSize().toSize() : QSize(0, 0);
    const QSize text =
        hasText ? QFontMetrics(font).size(Qt::TextSingleLine, caption_) : QSize(0, 0);
    const bool across =
        layout_ == TButtonLayout::blGlyphLeft || layout_ == TButtonLayout::blGlyphRight;
    const int room = across ? face.width() : face.height();
    const int glyphLength = across ? glyph.width() : glyph.height();
    const int textLength = across ? text.width() : text.height();

    int gap = hasGlyph && hasText ? spacing_ : 0;
    int start = 0; // of the glyph, measured from the edge the layout puts it on
    if (margin_ < 0) {
        if (gap < 0)
            gap = (room - glyphLength - textLength) / 3;
        start = (room - glyphLength - gap - textLength) / 2;
    } else {
        start = margin_;
        if (gap < 0)
            gap = (room - margin_ - glyphLength - textLength) / 2;
    }
    gap = std::max(0, gap);
    const int textStart = start + glyphLength + gap;

    ContentPlace place;
    // Across the layout direction both are centred.
    auto centreAcross = [&](QSize size) {
        return across ? face.top() + (face.height() - size.height()) / 2
                      : face.left() + (face.width() - size.width()) / 2;
    };
    auto rectAt = [&](int from, QSize size) {
        // `from` counts from the glyph's edge of the face.
        int along = 0;
        switch (layout_) {
        case TButtonLayout::blGlyphLeft:
            along = face.left() + from;
            return QRect(along, centreAcross(size), size.width(), size.height());
        case TButtonLayout::blGlyphRight:
            along = face.right() + 1 - from - size.width();
            return QRect(along, centreAcross(size), size.width(), size.height());
        case TButtonLayout::blGlyphTop:
            along = face.top() + from;
            return QRect(centreAcross(size), along, size.width(), size.height());
        case TButtonLayout::blGlyphBottom:
            along = face.bottom() + 1 - from - size.height();
            return QRect(centreAcross(size), along, size.width(), size.height());
        }
        return QRect();
    };
    if (hasGlyph)
        place.glyph = rectAt(start, glyph);
    if (hasText)
        place.text = rectAt(hasGlyph ? textStart : start, text);
    return place;
}

void TSeSkinSpeedButton::paintEvent(QPaintEvent* event) {
    if (skin_.isSkinned()) {
        skin_.paint(event->rect(), [this](QPainter& p) { paintSkinned(p); });
        return;
    }
    QPainter p(this);
    paintDefault(p);
}

void TSeSkinSpeedButton::paintContent(QPainter& p, const QFont& font, const QColor& textColor) {
    const ContentPlace place = placeContent(font);
    const QPoint glyphShift =
        (state_ == bsPressed || state_ == bsLatched) ? QPoint(1, 1) : QPoint();
    const QPoint textShift = (state_ == bsLatched || down_) ? QPoint(1, 1) : QPoint();
    if (!place.glyph.isEmpty()) {
        p.save();
        if (!isEnabled())
            p.setOpacity(0.4);
        p.drawPixmap(place.glyph.topLeft() + glyphShift, glyph_);
        p.restore();
    }
    if (!place.text.isEmpty()) {
        p.setFont(font);
        p.setPen(textColor);
        p.drawText(place.text.translated(textShift), Qt::AlignCenter | Qt::TextSingleLine,
                   caption_);
    }
}

void TSeSkinSpeedButton::paintSkinned(QPainter& p) {
    TSeSkinObject* copy = skin_.skinCopy();
    const auto st = static_cast<std::uint8_t>(skinState());
    TSeSkinObject* face = copy->findObject(flat_ ? "FlatFace" : "Face");
    if (!face)
        face = copy;
    face->setState(st);
    face->setBounds(buttonRect());
    p.save();
    face->draw(p);
    p.restore();
    if (showChevron_) {
        TSeSkinObject* chevron = copy->findObject(flat_ ? "FlatChevron" : "Chevron");
        if (!chevron)
            chevron = face;
        chevron->setState(st);
        chevron->setBounds(chevronRect());
        p.save();
        chevron->draw(p);
        p.restore();
    }
    TSeSkinObject* text = copy->findObject("Text");
    if (!text)
        text = copy;
    text->setState(st);
    const TSeFont font = text->GetFont();
    paintContent(p, font.toQFont(), font.color());
}

void TSeSkinSpeedButton::paintDefault(QPainter& p) {
    const QPalette& pal = palette();
    const QRect face = buttonRect();
    const bool sunken = state_ == bsPressed || state_ == bsLatched || down_;
    const bool raised = !flat_ || (mouseInside_ && isEnabled());
    QColor fill = pal.color(QPalette::Button);
    if (state_ == bsLatched || (down_ && state_ != bsPressed))
        fill = fill.lighter(108);
    if (flat_ && mouseInside_ && isEnabled() && !sunken)
        fill = fill.lighter(110);
    if (!flat_ || sunken || raised)
        p.fillRect(face, fill);
    if (sunken || raised) {
        const QColor hi = pal.color(QPalette::Light), lo = pal.color(QPalette::Dark);
        const QRect r = face.adjusted(0, 0, -1, -1);
        p.setPen(sunken ? lo : hi);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(sunken ? hi : lo);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
    paintContent(p, font(),
                 isEnabled() ? pal.color(QPalette::ButtonText)
                             : pal.color(QPalette::Disabled, QPalette::ButtonText));
    if (showChevron_) {
        const QRect c = chevronRect();
        if (state_ == bsChevronPressed)
            p.fillRect(c, pal.color(QPalette::Mid));
        const QPoint m = c.center();
        p.setPen(pal.color(QPalette::ButtonText));
        p.drawLine(m + QPoint(-3, -1), m + QPoint(0, 2));
        p.drawLine(m + QPoint(0, 2), m + QPoint(3, -1));
    }
}

} // namespace skin
