#include "skin/controls/TSeSkinPanel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "skin/engine/TSeSkinEngine.h"
#include "skin/model/TSeBitmapObject.h"
#include "skin/model/TSeSkinObject.h"

namespace skin {

TSeSkinPanel::TSeSkinPanel(QWidget* parent) : QWidget(parent) {
    resize(90, 100);
    normalHeight_ = height();
    setMouseTracking(true);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    updateMargins();
    skin_.onSkinChanged = [this] { skinChanged(); };
}

void TSeSkinPanel::setCaption(const QString& caption) {
    caption_ = caption;
    update(captionRect());
}

void TSeSkinPanel::setBevelWidth(int width) {
    bevelWidth_ = std::max(0, width);
    updateMargins();
    update();
}

void TSeSkinPanel::setBorderWidth(int width) {
    borderWidth_ = std::max(0, width);
    updateMargins();
    update();
}

void TSeSkinPanel::setButtonKind(TSePanelButtonKind kind) {
    buttonKind_ = kind;
    update(buttonRect());
}

void TSeSkinPanel::setShowBevel(bool on) {
    showBevel_ = on;
    update();
}

void TSeSkinPanel::setShowButton(bool on) {
    showButton_ = on;
    update(captionRect());
}

void TSeSkinPanel::setShowCaption(bool on) {
    showCaption_ = on;
    updateMargins();
    update();
}

void TSeSkinPanel::setCaptionHeight(int height) {
    captionHeight_ = std::max(0, height);
    updateMargins();
    update();
}

void TSeSkinPanel::setTransparent(bool on) {
    skin_.setTransparent(on);
    setAutoFillBackground(!(on && skin_.isSkinned()));
}

void TSeSkinPanel::skinChanged() {
    int skinned = -1;
    if (TSeSkinObject* copy = skin_.skinCopy()) {
        if (const TSeSkinObject* caption = copy->findObject("Caption"))
            skinned = std::max(0, caption->height());
        if (const auto* frame = dynamic_cast<const TSeBitmapObject*>(copy->findObject("Frame")))
            skin_.setTransparent(frame->Masked || frame->MaskedBorder || frame->MaskedAngles);
    }
    const int before = RolledHeight();
    skinCaptionHeight_ = skinned;
    updateMargins();
    // A rolled panel is its caption bar; it follows the bar's new height.
    if (rolled_ && RolledHeight() != before)
        stepTo(RolledHeight());
    setAutoFillBackground(!(skin_.Transparent() && skin_.isSkinned()));
}

void TSeSkinPanel::updateMargins() {
    const int side = bevelWidth_ + borderWidth_;
    const int top = bevelWidth_ + (showCaption_ ? CaptionHeight() : 0) + borderWidth_;
    setContentsMargins(side, top, side, side);
}

QRect TSeSkinPanel::captionRect() const {
    if (!showCaption_)
        return {};
    return QRect(bevelWidth_, bevelWidth_, std::max(0, width() - 2 * bevelWidth_), CaptionHeight());
}

QRect TSeSkinPanel::buttonRect() const {
    if (!showCaption_ || !showButton_)
        return {};
    const QRect bar = captionRect();
    const int side = bar.height();
    return QRect(bar.right() + 1 - side, bar.top(), side, side).adjusted(2, 2, -2, -2);
}

void TSeSkinPanel::setRolled(bool rolled) {
    if (rolled == rolled_)
        return;
    if (rolled)
        rollUp();
    else
        unroll();
}

void TSeSkinPanel::loadRolled(bool rolled) {
    rolled_ = rolled;
    if (rolled)
        resize(width(), RolledHeight());
    update();
}

void TSeSkinPanel::stepTo(int height) {
    resize(width(), height);
    if (parentRoll_ && parentWidget())
        parentWidget()->resize(parentWidget()->width(), height);
}

void TSeSkinPanel::rollUp() {
    if (OnBeforeRoll)
        OnBeforeRoll(this);
    normalHeight_ = height();
    const int target = RolledHeight();
    if (animateRoll_) {
        for (int h = height(); h >= target; --h) {
            if (h % 4 == 0) {
                stepTo(h);
                // Each step is shown as it happens; nothing else runs meanwhile.
                if (QWidget* area = parentWidget() ? parentWidget() : this; area->isVisible())
                    area->repaint();
            }
        }
    }
    stepTo(target);
    rolled_ = true;
    update();
    if (OnRollup)
        OnRollup(this);
}

void TSeSkinPanel::unroll() {
    if (OnBeforeRoll)
        OnBeforeRoll(this);
    rolled_ = false;
    if (animateRoll_) {
        for (int h = height(); h <= normalHeight_; ++h) {
            if (h % 4 == 0) {
                stepTo(h);
                if (QWidget* area = parentWidget() ? parentWidget() : this; area->isVisible())
                    area->repaint();
            }
        }
    }
    stepTo(normalHeight_);
    update();
    if (OnRollup)
        OnRollup(this);
}

void TSeSkinPanel::buttonClicked() {
    if (buttonKind_ == TSePanelButtonKind::pbkRoll) {
        setRolled(!rolled_);
    } else {
        if (OnHide)
            OnHide(this);
        hide();
    }
    if (OnButtonClick)
        OnButtonClick(this);
}

void TSeSkinPanel::setHot(bool hot) {
    if (hot == buttonHot_)
        return;
    buttonHot_ = hot;
    update(buttonRect());
}

void TSeSkinPanel::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton && buttonRect().contains(p)) {
        pressStartedOnButton_ = true;
        buttonPressed_ = true;
        update(buttonRect());
        event->accept();
        return;
    }
    // Presses elsewhere belong to whoever holds the panel (a dockable parent is dragged by
    // its children's caption bars too).
    event->ignore();
}

void TSeSkinPanel::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const bool overButton = buttonRect().contains(p);
    if (overButton)
        setCursor(buttonCursor_);
    else if (captionRect().contains(p))
        setCursor(captionCursor_);
    else
        unsetCursor();
    setHot(overButton);
    if (pressStartedOnButton_ && (event->buttons() & Qt::LeftButton)) {
        if (overButton != buttonPressed_) {
            buttonPressed_ = overButton;
            update(buttonRect());
        }
        event->accept();
        return;
    }
    event->ignore();
}

void TSeSkinPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressStartedOnButton_ || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    pressStartedOnButton_ = false;
    const bool inside = buttonRect().contains(event->position().toPoint());
    buttonPressed_ = false;
    update(buttonRect());
    event->accept();
    if (inside)
        buttonClicked();
}

void TSeSkinPanel::leaveEvent(QEvent*) {
    setHot(false);
}

void TSeSkinPanel::paintEvent(QPaintEvent* event) {
    if (skin_.isSkinned()) {
        skin_.paint(event->rect(), [this](QPainter& p) { paintSkinned(p); });
        return;
    }
    QPainter p(this);
    paintDefault(p);
}

const char* TSeSkinPanel::rollButtonPart() const {
    if (buttonKind_ == TSePanelButtonKind::pbkHide)
        return "ButtonHide";
    return rolled_ ? "ButtonRolldown" : "ButtonRollup";
}

void TSeSkinPanel::paintSkinned(QPainter& p) {
    TSeSkinObject* copy = skin_.skinCopy();
    if (TSeSkinObject* frame = copy->findObject("Frame")) {
        frame->setBounds(rect());
        frame->draw(p);
    }
    const QRect bar = captionRect();
    if (bar.isEmpty())
        return;
    if (!skin_.Transparent()) {
        const QWidget* parent = parentWidget();
        p.fillRect(bar, (parent ? parent : this)->palette().color(QPalette::Window));
    }
    TSeSkinObject* title = copy->findObject("Title");
    if (!title)
        title = copy->findObject("Caption");
    if (title) {
        title->setText(caption_);
        title->setBounds(bar);
        title->draw(p);
        const TSeFont font = title->GetFont();
        p.setFont(font.toQFont());
        p.setPen(font.color());
    } else {
        p.setFont(font());
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(bar.adjusted(5, 0, -5, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                   caption_);
    }
    const QRect button = buttonRect();
    if (button.isEmpty())
        return;
    TSeSkinObject* part = copy->findObject(rollButtonPart());
    if (!part)
        part = copy->findObject("Button");
    if (!part) {
        // A skin without any button part still shows where to click.
        paintDefaultButton(p, button);
        return;
    }
    part->setBounds(button);
    part->setState(buttonPressed_ ? 6 : buttonHot_ ? 5 : 0);
    part->draw(p);
}

void TSeSkinPanel::paintDefault(QPainter& p) {
    const QPalette& pal = palette();
    const QRect all = rect();
    if (showBevel_ && bevelWidth_ > 0) {
        for (int i = 0; i < bevelWidth_; ++i) {
            const QRect r = all.adjusted(i, i, -i - 1, -i - 1);
            p.setPen(pal.color(QPalette::Light));
            p.drawLine(r.topLeft(), r.topRight());
            p.drawLine(r.topLeft(), r.bottomLeft());
            p.setPen(pal.color(QPalette::Dark));
            p.drawLine(r.bottomLeft(), r.bottomRight());
            p.drawLine(r.topRight(), r.bottomRight());
        }
    }
    const QRect bar = captionRect();
    if (bar.isEmpty())
        return;
    QLinearGradient gradient(bar.topLeft(), bar.topRight());
    const QColor base = pal.color(QPalette::Highlight);
    gradient.setColorAt(0, base);
    gradient.setColorAt(1, base.lighter(150));
    p.fillRect(bar, gradient);
    p.setPen(pal.color(QPalette::HighlightedText));
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    const QRect button = buttonRect();
    QRect text = bar.adjusted(2, 0, 0, 0);
    if (!button.isEmpty())
        text.setRight(button.left() - 2);
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               p.fontMetrics().elidedText(caption_, Qt::ElideRight, text.width()));
    if (!button.isEmpty())
        paintDefaultButton(p, button);
}

void TSeSkinPanel::paintDefaultButton(QPainter& p, const QRect& button) {
    const QPalette& pal = palette();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QColor face = pal.color(QPalette::Button);
    if (buttonPressed_)
        face = face.darker(120);
    else if (buttonHot_)
        face = face.lighter(115);
    p.setPen(pal.color(QPalette::Dark));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(button).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    // The arrow shows where the click takes the panel: up to roll, down to unroll, a cross to
    // hide.
    const QPointF c =
        QRectF(button).center() + (buttonPressed_ ? QPointF(0.5, 0.5) : QPointF(0, 0));
    const qreal s = std::max<qreal>(2.0, button.width() / 4.0);
    p.setPen(QPen(pal.color(QPalette::ButtonText), 1.5));
    if (buttonKind_ == TSePanelButtonKind::pbkHide) {
        p.drawLine(c + QPointF(-s, -s), c + QPointF(s, s));
        p.drawLine(c + QPointF(-s, s), c + QPointF(s, -s));
    } else {
        QPainterPath arrow;
        const qreal dir = rolled_ ? 1 : -1;
        arrow.moveTo(c + QPointF(-s, -dir * s / 2));
        arrow.lineTo(c + QPointF(0, dir * s / 2));
        arrow.lineTo(c + QPointF(s, -dir * s / 2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(arrow);
    }
    p.restore();
}

} // namespace skin
