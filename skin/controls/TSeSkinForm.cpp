#include "skin/controls/TSeSkinForm.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QToolTip>
#include <QWidget>

#include "skin/engine/TSeSkinEngine.h"
#include "skin/model/SecondFamily.h"
#include "skin/model/TSeSkinObject.h"
#include "skin/model/TSeSystemButton.h"

namespace skin {

namespace {

FrameZone zoneOfKind(TSeKind kind) {
    switch (kind) {
    case TSeKind::skCaption:
    case TSeKind::skTitle:
        return FrameZone::Caption;
    case TSeKind::skTop:
        return FrameZone::Top;
    case TSeKind::skLeft:
        return FrameZone::Left;
    case TSeKind::skRight:
        return FrameZone::Right;
    case TSeKind::skBottom:
        return FrameZone::Bottom;
    case TSeKind::skTopLeft:
        return FrameZone::TopLeft;
    case TSeKind::skTopRight:
        return FrameZone::TopRight;
    case TSeKind::skBottomLeft:
        return FrameZone::BottomLeft;
    case TSeKind::skBottomRight:
        return FrameZone::BottomRight;
    case TSeKind::skSysButton:
        return FrameZone::Button;
    default:
        return FrameZone::Client;
    }
}

QString hintOf(TSeAction a) {
    switch (a) {
    case TSeAction::sbaClose:
        return QStringLiteral("关闭");
    case TSeAction::sbaHelp:
        return QStringLiteral("帮助");
    case TSeAction::sbaMinimize:
        return QStringLiteral("最小化");
    case TSeAction::sbaMaximize:
        return QStringLiteral("最大化");
    case TSeAction::sbaRestore:
        return QStringLiteral("还原");
    case TSeAction::sbaRollUp:
        return QStringLiteral("卷起");
    case TSeAction::sbaRollDown:
        return QStringLiteral("展开");
    case TSeAction::sbaTray:
        return QStringLiteral("最小化到托盘");
    case TSeAction::sbaSysMenu:
        return QStringLiteral("系统菜单");
    default:
        return {};
    }
}

} // namespace

TSeSkinForm::TSeSkinForm(QWidget* window)
    : TSeCustomForm(window), skin_(window, QStringLiteral("Form")) {
    skin_.onSkinChanged = [this] { skinChanged(); };
}

TSeSkinForm::~TSeSkinForm() {
    skin_.onSkinChanged = nullptr;
    forgetParts();
}

void TSeSkinForm::setSkinEngine(TSeSkinEngine* engine) {
    skin_.setSkinEngine(engine);
}

void TSeSkinForm::setSkinObject(const QString& name) {
    skinObject_ = name;
    forgetParts();
    skin_.setSkinObject(resolvedName());
}

QString TSeSkinForm::resolvedName() const {
    const TSeSkinEngine* engine = skin_.SkinEngine();
    if (!engine)
        return skinObject_;
    const TSeSkinSource& source = engine->source();
    if (source.busy() || !source.hasObjects())
        return skinObject_;
    const std::string wanted = skinObject_.toStdString();
    if (!equalsIgnoreCase(wanted, "Form") && source.findObject(wanted))
        return skinObject_;
    if (const TSeSkinObject* form = source.formObject())
        return QString::fromStdString(form->name());
    return skinObject_;
}

void TSeSkinForm::skinChanged() {
    forgetParts();
    const QString wanted = resolvedName();
    if (wanted != skin_.SkinObject()) {
        // Taking the right object calls back here.
        skin_.setSkinObject(wanted);
        return;
    }
    QWidget* w = window();
    QPalette palette = w->palette();
    if (TSeSkinObject* copy = skin_.skinCopy()) {
        copy->bindTo(this);
        palette.setColor(QPalette::Window, toQColor(resolveColor(copy->Color)));
        w->setFont(copy->Font.toQFont());
        if (!copy->findObjectByKind(TSeKind::skClient) && !isLoading())
            w->resize(copy->width(), copy->height());
    } else {
        palette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    }
    w->setPalette(palette);
    if (!isLoading())
        updateFrame();
}

bool TSeSkinForm::isSkinned() const {
    return !isLoading() && skin_.isSkinned();
}

void TSeSkinForm::forgetParts() {
    hovered_ = nullptr;
    pressed_ = nullptr;
    region_ = QRegion();
    regionSize_ = QSize();
}

bool TSeSkinForm::inTree(const TSeSkinObject* part) {
    TSeSkinObject* copy = skin_.skinCopy();
    if (!part || !copy)
        return false;
    bool found = false;
    copy->forEachInTree([&](TSeSkinObject& o) { found = found || &o == part; });
    return found;
}

TSeSkinObject* TSeSkinForm::prepare(QSize size) {
    if (!isSkinned())
        return nullptr;
    TSeSkinObject* copy = skin_.skinCopy();
    const QScopedValueRollback<bool> quiet(preparing_, true);
    copy->setBounds(0, 0, size.width(), size.height());
    copy->setActive(window()->isActiveWindow());
    copy->setState(stateByte());
    if (TSeSkinObject* title = copy->findObjectByKind(TSeKind::skTitle))
        title->setText(Caption());
    return copy;
}

TSeSkinObject* TSeSkinForm::skinTree() {
    return prepare(window()->size());
}

TSeSkinObject* TSeSkinForm::partOfKind(TSeKind kind) {
    TSeSkinObject* copy = skinTree();
    return copy ? copy->findObjectByKind(kind) : nullptr;
}

TSeSkinObject* TSeSkinForm::partNamed(const char* name) {
    TSeSkinObject* copy = skinTree();
    return copy ? copy->findObject(name) : nullptr;
}

QMargins TSeSkinForm::skinnedInsets(QSize size) {
    TSeSkinObject* copy = prepare(size);
    const TSeSkinObject* client = copy ? copy->findObjectByKind(TSeKind::skClient) : nullptr;
    // A client part at the very edge (left or top 0) leaves the whole window to the client.
    if (!client || client->left() * client->top() == 0)
        return {};
    return QMargins(client->left(), client->top(),
                    std::max(0, size.width() - client->left() - client->width()),
                    std::max(0, size.height() - client->top() - client->height()));
}

FrameZone TSeSkinForm::skinnedZone(QPoint p) {
    TSeSkinObject* copy = skinTree();
    const TSeSkinObject* part = copy ? copy->objectAtPoint(p) : nullptr;
    return part ? zoneOfKind(part->Kind) : FrameZone::Client;
}

void TSeSkinForm::paintSkinned(QPainter& painter, QSize size) {
    TSeSkinObject* copy = prepare(size);
    if (!copy)
        return;
    TSeSkinObject* client = copy->findObjectByKind(TSeKind::skClient);
    if (client)
        client->setVisible(false);
    copy->draw(painter);
    if (client) {
        client->setVisible(true);
        if (client->width() > 0 && client->height() > 0)
            client->draw(painter);
    }
}

void TSeSkinForm::paintSkinnedClient(QPainter& painter, QSize size) {
    TSeSkinObject* copy = prepare(size);
    TSeSkinObject* client = copy ? copy->findObjectByKind(TSeKind::skClient) : nullptr;
    if (client && client->width() > 0 && client->height() > 0)
        client->draw(painter);
    else if (copy)
        copy->draw(painter);
}

QRegion TSeSkinForm::skinnedRegion(QSize size) {
    if (size == regionSize_ && stateByte() == regionState_)
        return region_;
    TSeSkinObject* copy = prepare(size);
    region_ = copy ? copy->region() : QRegion();
    regionSize_ = size;
    regionState_ = stateByte();
    return region_;
}

void TSeSkinForm::frameLaidOut() {
    TSeSkinObject* copy = skinTree();
    if (!copy)
        return;
    const QPoint origin = clientRect().topLeft();
    copy->forEachInTree([&](TSeSkinObject& o) {
        const auto* link = dynamic_cast<const TSeLinkSkinObject*>(&o);
        if (!link || link->LinkControl.empty())
            return;
        auto* control = window()->findChild<QWidget*>(QString::fromStdString(link->LinkControl));
        if (!control)
            return;
        const TSeSkinObject* parent = link->parent();
        const bool inside = !parent || parent->boundsRect().intersects(link->boundsRect());
        control->setGeometry(inside ? link->boundsRect().translated(-origin) : QRect());
    });
}

void TSeSkinForm::skinnedMouse(QMouseEvent* e) {
    TSeSkinObject* copy = skinTree();
    if (!copy)
        return;
    if (pressed_ && !inTree(pressed_))
        pressed_ = nullptr;
    const QPoint pos = e->position().toPoint();
    TSeSkinObject* part = copy->objectAtPoint(pos);
    const auto at = [&](const TSeSkinObject* o) { return pos - QPoint(o->left(), o->top()); };
    QPointer<TSeSkinForm> self(this);
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        pressed_ = part;
        if (part)
            part->mouseDown(e->button(), at(part).x(), at(part).y());
        break;
    case QEvent::MouseButtonDblClick:
        pressed_ = part;
        if (part)
            part->dblClick(e->button(), at(part).x(), at(part).y());
        break;
    case QEvent::MouseMove:
        if (part && (e->buttons() == Qt::NoButton || part == pressed_))
            part->mouseMove(e->buttons(), at(part).x(), at(part).y());
        if (self)
            skinnedHover(pos, window()->rect().contains(pos), e->buttons());
        break;
    case QEvent::MouseButtonRelease: {
        TSeSkinObject* wasPressed = std::exchange(pressed_, nullptr);
        if (part && part == wasPressed)
            part->mouseUp(e->button(), at(part).x(), at(part).y());
        break;
    }
    default:
        break;
    }
}

void TSeSkinForm::skinnedHover(QPoint p, bool inside, Qt::MouseButtons held) {
    TSeSkinObject* copy = skinTree();
    if (!copy)
        return;
    if (hovered_ && !inTree(hovered_))
        hovered_ = nullptr;
    if (pressed_ && !inTree(pressed_))
        pressed_ = nullptr;
    TSeSkinObject* part = inside ? copy->objectAtPoint(p) : nullptr;
    if (part == hovered_)
        return;
    if (TSeSkinObject* old = std::exchange(hovered_, nullptr))
        old->mouseLeave();
    // While a part holds the mouse, only that part lights up under it.
    if (!part || (pressed_ && pressed_ != part))
        return;
    hovered_ = part;
    part->mouseEnter(held);
}

void TSeSkinForm::skinnedLeft() {
    if (hovered_ && inTree(hovered_))
        hovered_->mouseLeave();
    hovered_ = nullptr;
}

void TSeSkinForm::loading() {
    if (BorderStyle() == TSeBorderStyle::kbsToolWindow)
        skinObject_ = QStringLiteral("ToolWindow");
    skin_.setSkinObject(resolvedName());
    skin_.refresh();
    if (TSeSkinObject* copy = skin_.skinCopy();
        copy && skin_.isSkinned() && !copy->findObjectByKind(TSeKind::skClient))
        window()->resize(copy->width(), copy->height());
}

void TSeSkinForm::skinInvalidate(TSeSkinObject& object) {
    if (painting() || preparing_ || object.Kind == TSeKind::skClient)
        return;
    if (object.width() > 0 && object.height() > 0)
        repaintFrame(object.boundsRect());
    else
        repaintFrame();
}

QObject* TSeSkinForm::skinFrame() {
    return this;
}

bool TSeSkinForm::skinRightToLeft() const {
    return window()->layoutDirection() == Qt::RightToLeft;
}

TSeBorderIcons TSeSkinForm::skinBorderIcons() const {
    return BorderIcons();
}

QIcon TSeSkinForm::skinWindowIcon() const {
    return window()->windowIcon();
}

void TSeSkinForm::skinPerformAction(TSeAction action, TSeSystemButton& button) {
    if (action == TSeAction::sbaCustom) {
        if (OnCustomAction)
            OnCustomAction(this, button);
        return;
    }
    performAction(action);
}

void TSeSkinForm::skinShowHint(TSeSystemButton& button, QPoint globalPos) {
    const QString hint = hintOf(button.Action);
    if (!hint.isEmpty())
        QToolTip::showText(globalPos + QPoint(0, button.height() + 2), hint, window());
}

QPoint TSeSkinForm::skinMapToGlobal(QPoint local) const {
    return window()->mapToGlobal(local);
}

} // namespace skin
