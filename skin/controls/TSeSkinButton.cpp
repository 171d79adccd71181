#include "skin/controls/TSeSkinButton.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "skin/model/TSeBitmapObject.h"
#include "skin/model/TSeSkinObject.h"

namespace skin {
namespace {
constexpr int kGlyphSide = 16;
constexpr int kGlyphGap = 4;

int textFlags(bool wordWrap) {
    return Qt::AlignCenter | Qt::TextShowMnemonic |
           (wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
}
} // namespace

TSeCustomButton::TSeCustomButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    resize(75, 25);
    // A button with a modal result ends its modal window with that result, as box buttons do.
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (modalResult_ == 0)
            return;
        if (auto* dialog = qobject_cast<QDialog*>(window()))
            dialog->done(modalResult_);
    });
}

void TSeCustomButton::setKind(TBitBtnKind kind) {
    kind_ = kind;
    setGlyph(buttonGlyph(kind));
    if (kind == TBitBtnKind::bkOK || kind == TBitBtnKind::bkYes)
        setDefault(true);
}

void TSeCustomButton::setDefault(bool on) {
    if (on == default_)
        return;
    default_ = on;
    watchWindow();
    update();
}

void TSeCustomButton::setCancel(bool on) {
    cancel_ = on;
    watchWindow();
}

void TSeCustomButton::watchWindow() {
    QWidget* target = (default_ || cancel_) ? window() : nullptr;
    if (target == this)
        target = nullptr;
    if (target == watched_)
        return;
    if (watched_)
        watched_->removeEventFilter(this);
    watched_ = target;
    if (watched_)
        watched_->installEventFilter(this);
}

bool TSeCustomButton::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange)
        watchWindow();
    return QAbstractButton::event(event);
}

void TSeCustomButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

bool TSeCustomButton::eventFilter(QObject* watched, QEvent* event) {
    // Keys nobody inside the window took reach the window, and with it this filter.
    if (watched != watched_ || event->type() != QEvent::KeyPress || !isEnabled() || !isVisible())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if ((enter && default_ && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) ||
        (key->key() == Qt::Key_Escape && cancel_ && key->modifiers() == Qt::NoModifier)) {
        click();
        return true;
    }
    return false;
}

void TSeCustomButton::setGlyph(const QPixmap& glyph) {
    glyph_ = glyph;
    update();
}

void TSeCustomButton::setShowGlyph(bool on) {
    showGlyph_ = on;
    update();
}

void TSeCustomButton::setWordWrap(bool on) {
    wordWrap_ = on;
    update();
}

void TSeCustomButton::setShowHint(bool on) {
    showHint_ = on;
    setToolTip(on ? hint_ : QString());
}

void TSeCustomButton::setHint(const QString& hint) {
    hint_ = hint;
    setToolTip(showHint_ ? hint_ : QString());
}

bool TSeCustomButton::isActiveDefault() const {
    if (!default_)
        return false;
    const QWidget* focused = window()->focusWidget();
    return !qobject_cast<const TSeCustomButton*>(focused) || focused == this;
}

int TSeCustomButton::skinState() const {
    if (!isEnabled())
        return state::Disabled;
    if (isDown())
        return state::Pressed;
    if (hot_)
        return state::Hot;
    if (hasFocus() || isActiveDefault())
        return state::Focused;
    return state::Normal;
}

QSize TSeCustomButton::sizeHint() const {
    const QFontMetrics fm(font());
    int w = fm.size(Qt::TextShowMnemonic, text()).width() + 16;
    if (showGlyph_ && !glyph_.isNull())
        w += kGlyphSide + kGlyphGap;
    return {std::max(75, w), std::max(25, fm.height() + 10)};
}

void TSeCustomButton::enterEvent(QEnterEvent* event) {
    hot_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TSeCustomButton::leaveEvent(QEvent* event) {
    hot_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void TSeCustomButton::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    repaintWindowButtons();
}

void TSeCustomButton::focusOutEvent(QFocusEvent* event) {
    QAbstractButton::focusOutEvent(event);
    repaintWindowButtons();
}

void TSeCustomButton::repaintWindowButtons() {
    // The default button's mark follows the focus between the other buttons.
    for (TSeCustomButton* b : window()->findChildren<TSeCustomButton*>())
        if (b->default_ || b == this)
            b->update();
}

QPixmap TSeCustomButton::currentGlyph() const {
    if (!showGlyph_ || glyph_.isNull())
        return {};
    const qreal ratio = glyph_.devicePixelRatio();
    const int logicalWidth = int(glyph_.width() / ratio);
    const int logicalHeight = int(glyph_.height() / ratio);
    // A single image serves both states; two side by side split into normal and disabled.
    if (logicalWidth < 2 * logicalHeight)
        return glyph_;
    const int half = glyph_.width() / 2;
    return glyph_.copy(isEnabled() ? 0 : half, 0, half, glyph_.height());
}

void TSeCustomButton::paintContent(QPainter& p, const QRect& content, const QFont& font,
                                   const QColor& color) {
    const QPixmap glyph = currentGlyph();
    const QSize glyphSize = glyph.isNull() ? QSize() : glyph.deviceIndependentSize().toSize();
    const int glyphRoom =
        glyph.isNull() ? 0 : glyphSize.width() + (text().isEmpty() ? 0 : kGlyphGap);
    QFontMetrics fm(font);
    const QRect textRoom(0, 0, std::max(0, content.width() - glyphRoom), content.height());
    const QSize textSize =
        text().isEmpty() ? QSize() : fm.boundingRect(textRoom, textFlags(wordWrap_), text()).size();
    const int total = glyphRoom + textSize.width();
    int x = content.left() + (content.width() - total) / 2;
    const int shift = isDown() ? 1 : 0;
    if (!glyph.isNull()) {
        const int y = content.top() + (content.height() - glyphSize.height()) / 2;
        p.drawPixmap(QPoint(x + shift, y + shift), glyph);
        x += glyphRoom;
    }
    if (!text().isEmpty()) {
        const int y = content.top() + (content.height() - textSize.height()) / 2;
        p.setFont(font);
        p.setPen(color);
        p.drawText(QRect(QPoint(x + shift, y + shift), textSize), textFlags(wordWrap_), text());
    }
}

void TSeCustomButton::paintButton(QPainter& p) {
    QStyleOptionButton option;
    option.initFrom(this);
    option.features = QStyleOptionButton::None;
    if (default_ && isActiveDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    if (isDown())
        option.state |= QStyle::State_Sunken;
    else
        option.state |= QStyle::State_Raised;
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &p, this);
    const QRect content = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    paintContent(
        p, content, font(),
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
}

void TSeCustomButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintButton(p);
}

TSeSkinButton::TSeSkinButton(QWidget* parent) : TSeCustomButton(parent) {
    skin_.onSkinChanged = [this] { takeSkin(); };
}

void TSeSkinButton::takeSkin() {
    // A masked face leaves the parent showing through its corners.
    if (!skin_.isSkinned())
        return;
    if (const auto* face = dynamic_cast<const TSeBitmapObject*>(skin_.part("Face")))
        skin_.setTransparent(face->Masked || face->MaskedBorder || face->MaskedAngles);
}

void TSeSkinButton::paintEvent(QPaintEvent* event) {
    if (!skin_.isSkinned()) {
        TSeCustomButton::paintEvent(event);
        return;
    }
    skin_.paint(event->rect(), [this](QPainter& p) { paintSkinned(p); });
}

void TSeSkinButton::paintSkinned(QPainter& p) {
    TSeSkinObject* copy = skin_.skinCopy();
    const auto st = static_cast<std::uint8_t>(skinState());
    TSeSkinObject* face = copy->findObject("Face");
    if (!face)
        face = copy;
    face->setState(st);
    face->setBounds(rect());
    p.save();
    face->draw(p);
    p.restore();
    TSeSkinObject* textPart = copy->findObject("Text");
    if (!textPart)
        textPart = copy;
    textPart->setState(st);
    const TSeFont font = textPart->GetFont();
    QRect content = rect();
    if (face != copy)
        content.adjust(face->MarginLeft, face->MarginTop, -face->MarginRight, -face->MarginBottom);
    QColor color = font.color();
    if (!isEnabled() && st == state::Disabled && textPart == copy)
        color = QColor(0x80, 0x80, 0x80);
    paintContent(p, content, font.toQFont(), color);
}

} // namespace skin
