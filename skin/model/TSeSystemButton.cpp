#include "skin/model/TSeSystemButton.h"

#include <QApplication>
#include <QStyle>

#include "skin/model/PropertyAccess.h"
#include "skin/model/SkinHost.h"

namespace skin {

namespace {

// The caption button a window must offer for a button of this action to show.
TSeBorderIcons iconNeeded(TSeAction a) {
    switch (a) {
    case TSeAction::sbaClose:
        return TSeBorderIcons(TSeBorderIcon::kbiClose);
    case TSeAction::sbaHelp:
        return TSeBorderIcons(TSeBorderIcon::kbiHelp);
    case TSeAction::sbaMinimize:
        return TSeBorderIcons(TSeBorderIcon::kbiMinimize);
    case TSeAction::sbaMaximize:
    case TSeAction::sbaRestore:
        return TSeBorderIcons(TSeBorderIcon::kbiMaximize);
    case TSeAction::sbaRollUp:
    case TSeAction::sbaRollDown:
        return TSeBorderIcons(TSeBorderIcon::kbiRollup);
    case TSeAction::sbaTray:
        return TSeBorderIcons(TSeBorderIcon::kbiTray);
    case TSeAction::sbaSysMenu:
        return TSeBorderIcons(TSeBorderIcon::kbiSystemMenu);
    default:
        return 0;
    }
}

} // namespace

TSeSystemButton::TSeSystemButton() {
    Kind = TSeKind::skSysButton;
}

void TSeSystemButton::assign(const TSeSkinObject& source) {
    TSeActiveBitmap::assign(source);
    if (auto* s = dynamic_cast<const TSeSystemButton*>(&source)) {
        Action = s->Action;
        BitmapHot = s->BitmapHot;
        BitmapPressed = s->BitmapPressed;
    }
}

bool TSeSystemButton::readProperty(std::string_view name, const PropertyValue& v) {
    if (TSeActiveBitmap::readProperty(name, v) ||
        props::readLink("BitmapHot", BitmapHot, name, v) ||
        props::readLink("BitmapPressed", BitmapPressed, name, v))
        return true;
    if (name == "Action") {
        Action = props::toEnum<TSeAction>(v, name);
        return true;
    }
    return false;
}

void TSeSystemButton::writeProperties(PropertyList& out) const {
    TSeActiveBitmap::writeProperties(out);
    if (Action != TSeAction::sbaNone)
        props::putEnum(out, "Action", Action);
    props::writeLink("BitmapHot", BitmapHot, out);
    props::writeLink("BitmapPressed", BitmapPressed, out);
}

void TSeSystemButton::afterLoad() {
    BitmapHot.resolve(bitmaps());
    BitmapPressed.resolve(bitmaps());
    TSeActiveBitmap::afterLoad();
}

const TSeBitmapLink& TSeSystemButton::currentBitmap() const {
    if (drawing_)
        return *drawing_;
    return TSeActiveBitmap::currentBitmap();
}

void TSeSystemButton::setState(std::uint8_t s) {
    bool show = true;
    using A = TSeAction;
    switch (s) {
    case state::Normal:
        show = Action != A::sbaRestore && Action != A::sbaRollDown;
        break;
    case state::Maximized:
        show = Action != A::sbaMaximize && Action != A::sbaRollDown;
        break;
    case state::Minimized:
        show = Action != A::sbaMinimize && Action != A::sbaMaximize && Action != A::sbaRollUp &&
               Action != A::sbaRollDown;
        break;
    case state::RolledUp:
        show = Action != A::sbaRestore && Action != A::sbaRollUp;
        break;
    default:
        break;
    }
    const TSeBorderIcons icons = host() ? host()->skinBorderIcons() : kAllBorderIcons;
    const TSeBorderIcons needed = iconNeeded(Action);
    if (needed && !(icons & needed))
        show = false;
    setVisible(show);
    TSeActiveBitmap::setState(s);
}

void TSeSystemButton::draw(QPainter& painter) {
    if (!hasDrawableSize())
        return;
    if (Action == TSeAction::sbaSysMenu) {
        drawIcon(painter);
        return;
    }
    if (!active()) {
        drawing_ = &Bitmap;
        setStateOnChildren(state::Disabled);
        TSeActiveBitmap::draw(painter);
        drawing_ = nullptr;
        return;
    }
    if (buttonState_ == ButtonState::Normal) {
        TSeActiveBitmap::draw(painter);
        return;
    }
    const bool hot = buttonState_ == ButtonState::Hot;
    const TSeBitmapLink& link = hot ? BitmapHot : BitmapPressed;
    setStateOnChildren(hot ? state::Hot : state::Pressed);
    // The active look must not cover the hot or pressed image while it shows.
    setActive(false);
    drawing_ = link.usable() ? &link : nullptr;
    TSeActiveBitmap::draw(painter);
    drawing_ = nullptr;
    setActive(true);
}

void TSeSystemButton::drawIcon(QPainter& painter) {
    QIcon icon = host() ? host()->skinWindowIcon() : QIcon();
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (icon.isNull() && app)
        icon = QApplication::windowIcon();
    int size = 16;
    if (app) {
        if (icon.isNull())
            icon = QApplication::style()->standardIcon(QStyle::SP_TitleBarMenuButton);
        const int metric = QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize);
        if (metric > 0)
            size = metric;
    }
    if (!icon.isNull())
        icon.paint(&painter, QRect(left(), top(), size, size));
}

void TSeSystemButton::setButtonState(ButtonState s) {
    if (buttonState_ != s) {
        buttonState_ = s;
        invalidate();
    }
}

void TSeSystemButton::perform(TSeAction action) {
    if (action == TSeAction::sbaNone || action == TSeAction::sbaRollPanel)
        return;
    if (host())
        host()->skinPerformAction(action, *this);
}

void TSeSystemButton::mouseEnter(Qt::MouseButtons held) {
    setButtonState(held & Qt::LeftButton ? ButtonState::Pressed : ButtonState::Hot);
}

void TSeSystemButton::mouseLeave() {
    setButtonState(ButtonState::Normal);
}

void TSeSystemButton::mouseDown(Qt::MouseButton button, int, int) {
    if (button == Qt::LeftButton)
        setButtonState(ButtonState::Pressed);
}

void TSeSystemButton::mouseMove(Qt::MouseButtons held, int, int) {
    if (buttonState_ == ButtonState::Pressed && (held & Qt::LeftButton))
        return;
    if (host())
        host()->skinShowHint(*this, host()->skinMapToGlobal(QPoint(left(), top())));
}

void TSeSystemButton::mouseUp(Qt::MouseButton button, int, int) {
    if (button != Qt::LeftButton || buttonState_ != ButtonState::Pressed)
        return;
    setButtonState(ButtonState::Hot);
    perform(Action);
}

void TSeSystemButton::dblClick(Qt::MouseButton button, int, int) {
    if (button == Qt::LeftButton && Action == TSeAction::sbaSysMenu)
        perform(TSeAction::sbaClose);
}

} // namespace skin
