// The plain frame: what the window wears when there is no skin to draw it with. A border,
// a caption in the palette's highlight colour with the window's icon and title, and caption
// buttons drawn with the frame's own glyphs.

#include "skin/controls/TSeCustomForm.h"

#include <QApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include "skin/controls/FormImages.h"

namespace skin {

namespace {

// The plain frame's measures.
constexpr int kBorder = 4;
constexpr int kCaption = 20;
constexpr int kToolCaption = 16;
// How near a corner, along an edge, sizing takes both edges.
constexpr int kCornerReach = 20;

const char* glyphOf(TSeAction a) {
    switch (a) {
    case TSeAction::sbaClose:
        return "SE_FORM_CLOSE";
    case TSeAction::sbaMinimize:
        return "SE_FORM_MINIMIZE";
    case TSeAction::sbaMaximize:
        return "SE_FORM_MAXIMIZE";
    case TSeAction::sbaRestore:
    case TSeAction::sbaRollDown:
        return "SE_FORM_RESTORE";
    case TSeAction::sbaRollUp:
        return "SE_FORM_ROLLUP";
    case TSeAction::sbaTray:
        return "SE_FORM_TRAY";
    default:
        return "";
    }
}
bool has(TSeBorderIcons icons, TSeBorderIcon icon) {
    return (icons & TSeBorderIcons(icon)) != 0;
}

} // namespace

QMargins TSeCustomForm::plainInsets() const {
    const int caption = borderStyle_ == TSeBorderStyle::kbsToolWindow ? kToolCaption : kCaption;
    return QMargins(kBorder, kBorder + caption, kBorder, kBorder);
}

FrameZone TSeCustomForm::plainZone(QPoint p) const {
    for (const PlainButton& b : plainButtons()) {
        if (b.rect.contains(p))
            return FrameZone::Button;
    }
    const QRect c = clientRect();
    const int w = window_->width(), h = window_->height();
    if (state_ == TSeWindowState::kwsNormal) {
        const bool left = p.x() < c.left(), right = p.x() >= c.left() + c.width();
        const bool top = p.y() < kBorder, bottom = p.y() >= c.top() + c.height();
        const bool nearLeft = p.x() < kCornerReach, nearRight = p.x() >= w - kCornerReach;
        const bool nearTop = p.y() < kCornerReach, nearBottom = p.y() >= h - kCornerReach;
        if (top || bottom) {
            if (nearLeft)
                return top ? FrameZone::TopLeft : FrameZone::BottomLeft;
            if (nearRight)
                return top ? FrameZone::TopRight : FrameZone::BottomRight;
            return top ? FrameZone::Top : FrameZone::Bottom;
        }
        if (left || right) {
            if (nearTop)
                return left ? FrameZone::TopLeft : FrameZone::TopRight;
            if (nearBottom)
                return left ? FrameZone::BottomLeft : FrameZone::BottomRight;
            return left ? FrameZone::Left : FrameZone::Right;
        }
    }
    return p.y() < c.top() ? FrameZone::Caption : FrameZone::Client;
}

QList<TSeCustomForm::PlainButton> TSeCustomForm::plainButtons() const {
    QList<PlainButton> out;
    if (!frameDrawn())
        return out;
    const QMargins m = plainInsets();
    const int captionHeight = m.top() - kBorder;
    const int size = std::min(16, captionHeight - 2);
    const int y = kBorder + (captionHeight - size) / 2;
    const bool minimized =
        state_ == TSeWindowState::kwsMinimized || state_ == TSeWindowState::kwsTray;
    const bool rolled = state_ == TSeWindowState::kwsRollup;
    const bool maximized = state_ == TSeWindowState::kwsMaximized;
    if (has(borderIcons_, TSeBorderIcon::kbiSystemMenu))
        out.append({QRect(kBorder + 2, y, size, size), TSeAction::sbaSysMenu});
    std::vector<TSeAction> right;
    if (has(borderIcons_, TSeBorderIcon::kbiClose))
        right.push_back(TSeAction::sbaClose);
    if (has(borderIcons_, TSeBorderIcon::kbiMaximize) && !minimized)
        right.push_back(maximized ? TSeAction::sbaRestore : TSeAction::sbaMaximize);
    if (has(borderIcons_, TSeBorderIcon::kbiMinimize) && !minimized)
        right.push_back(TSeAction::sbaMinimize);
    if (has(borderIcons_, TSeBorderIcon::kbiRollup) && !minimized)
        right.push_back(rolled ? TSeAction::sbaRollDown : TSeAction::sbaRollUp);
    if (has(borderIcons_, TSeBorderIcon::kbiTray) && !minimized)
        right.push_back(TSeAction::sbaTray);
    if (has(borderIcons_, TSeBorderIcon::kbiHelp))
        right.push_back(TSeAction::sbaHelp);
    if (minimized)
        out.append(
            {QRect(window_->width() - kBorder - 2 - size, y, size, size), TSeAction::sbaRestore});
    int x = window_->width() - kBorder - 2 - size - (minimized ? size + 2 : 0);
    for (TSeAction a : right) {
        out.append({QRect(x, y, size, size), a});
        x -= size + 2;
    }
    return out;
}

void TSeCustomForm::paintPlain(QPainter& p) {
    const QPalette pal = window_->palette();
    const QRect r = window_->rect();
    const bool activeWindow = window_->isActiveWindow();
    const QMargins m = plainInsets();
    p.fillRect(r, pal.color(QPalette::Button));
    p.setPen(pal.color(QPalette::Shadow));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(pal.color(QPalette::Light));
    p.drawRect(r.adjusted(1, 1, -2, -2));
    const QRect caption(kBorder, kBorder, r.width() - 2 * kBorder, m.top() - kBorder);
    QLinearGradient fill(caption.topLeft(), caption.topRight());
    const QColor from = activeWindow ? pal.color(QPalette::Active, QPalette::Highlight)
                                     : pal.color(QPalette::Inactive, QPalette::Mid);
    fill.setColorAt(0, from);
    fill.setColorAt(1, from.lighter(140));
    p.fillRect(caption, fill);
    const QColor text = activeWindow ? pal.color(QPalette::Active, QPalette::HighlightedText)
                                     : pal.color(QPalette::Inactive, QPalette::Window);
    int textLeft = caption.left() + 4;
    int textRight = caption.right() - 4;
    for (const PlainButton& b : plainButtons()) {
        if (b.action == TSeAction::sbaSysMenu) {
            QIcon icon = window_->windowIcon();
            if (icon.isNull())
                icon = QApplication::windowIcon();
            icon.paint(&p, b.rect);
            textLeft = b.rect.right() + 4;
            continue;
        }
        textRight = std::min(textRight, b.rect.left() - 4);
        const int index = int(plainButtons().indexOf(b));
        const bool down = index == pressedPlain_ && index == hotPlain_;
        p.fillRect(b.rect, pal.color(QPalette::Button));
        p.setPen(pal.color(down ? QPalette::Shadow : QPalette::Light));
        p.drawLine(b.rect.topLeft(), b.rect.topRight());
        p.drawLine(b.rect.topLeft(), b.rect.bottomLeft());
        p.setPen(pal.color(down ? QPalette::Light : QPalette::Shadow));
        p.drawLine(b.rect.bottomLeft(), b.rect.bottomRight());
        p.drawLine(b.rect.topRight(), b.rect.bottomRight());
        const QRect glyph = b.rect.adjusted(2, 2, -2, -2).translated(down ? 1 : 0, down ? 1 : 0);
        if (b.action == TSeAction::sbaHelp) {
            p.setPen(pal.color(QPalette::ButtonText));
            p.drawText(glyph, Qt::AlignCenter, QStringLiteral("?"));
        } else {
            p.drawImage(glyph, formimages::image(QLatin1String(glyphOf(b.action)),
                                                 pal.color(QPalette::ButtonText), glyph.width()));
        }
    }
    p.setPen(text);
    const QRect titleRect(textLeft, caption.top(), std::max(0, textRight - textLeft),
                          caption.height());
    p.drawText(titleRect, Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(Caption(), Qt::ElideRight, titleRect.width()));
    p.fillRect(clientRect(), pal.color(QPalette::Window));
}

void TSeCustomForm::plainMouse(QMouseEvent* e) {
    const QList<PlainButton> buttons = plainButtons();
    int at = -1;
    for (int i = 0; i < buttons.size(); ++i) {
        if (buttons[i].rect.contains(e->position().toPoint()))
            at = i;
    }
    const int hot = hotPlain_, pressed = pressedPlain_;
    switch (e->type()) {
    case QEvent::MouseButtonDblClick:
        if (e->button() == Qt::LeftButton && at >= 0 &&
            buttons[at].action == TSeAction::sbaSysMenu) {
            pressedPlain_ = -1;
            performAction(TSeAction::sbaClose);
            return;
        }
        [[fallthrough]];
    case QEvent::MouseButtonPress:
        if (e->button() == Qt::LeftButton)
            pressedPlain_ = hotPlain_ = at;
        break;
    case QEvent::MouseMove:
        hotPlain_ = pressedPlain_ >= 0 && at != pressedPlain_ ? -1 : at;
        break;
    case QEvent::MouseButtonRelease:
        if (e->button() == Qt::LeftButton) {
            pressedPlain_ = -1;
            if (pressed >= 0 && at == pressed) {
                repaintFrame();
                performAction(buttons[at].action);
                return;
            }
        }
        break;
    default:
        break;
    }
    if (hot != hotPlain_ || pressed != pressedPlain_)
        repaintFrame();
}

} // namespace skin
