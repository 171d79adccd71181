#include "skin/controls/TSeMessageFrame.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QVariantAnimation>
#include <QWindow>

#include "skin/engine/TSeSkinEngine.h"
#include "skin/model/TSeSkinObject.h"
#include "skin/model/TSeSystemButton.h"

namespace skin {

// Paints the skinned frame under the client widget and takes the mouse on the frame.
class TSeMessageFrame::Background : public QWidget {
public:
    Background(TSeMessageFrame& frame, QWidget* window) : QWidget(window), frame_(frame) {
        setObjectName(QStringLiteral("FrameBackground"));
        setMouseTracking(true);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        frame_.paintFrame(p);
    }
    void mousePressEvent(QMouseEvent* e) override { frame_.mouseEvent(e); }
    void mouseMoveEvent(QMouseEvent* e) override { frame_.mouseEvent(e); }
    void mouseReleaseEvent(QMouseEvent* e) override { frame_.mouseEvent(e); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { frame_.mouseEvent(e); }
    void leaveEvent(QEvent* e) override { frame_.mouseEvent(e); }

private:
    TSeMessageFrame& frame_;
};

// The host of the frame's skin copy: the caption buttons ask it which icons the box has and
// hand it their actions.
class TSeMessageFrame::FrameSkin : public SkinClient {
public:
    FrameSkin(TSeMessageFrame& frame, QWidget* control)
        : SkinClient(control, QStringLiteral("Form")), frame_(frame) {}
    TSeBorderIcons skinBorderIcons() const override { return frame_.borderIcons_; }
    QIcon skinWindowIcon() const override { return frame_.window_->windowIcon(); }
    void skinPerformAction(TSeAction action, TSeSystemButton&) override {
        frame_.performAction(action);
    }

private:
    TSeMessageFrame& frame_;
};

namespace {
constexpr TSeBorderIcons kBoxIcons =
    TSeBorderIcons(TSeBorderIcon::kbiClose) | TSeBorderIcons(TSeBorderIcon::kbiSystemMenu);
}

TSeMessageFrame::TSeMessageFrame(QWidget* window)
    : QObject(window), window_(window), borderIcons_(kBoxIcons) {
    Q_ASSERT(window);
    background_ = new Background(*this, window);
    background_->hide();
    client_ = new QWidget(window);
    client_->setObjectName(QStringLiteral("Client"));
    skin_ = std::make_unique<FrameSkin>(*this, background_);
    skin_->onSkinChanged = [this] { skinChanged(); };
    window_->installEventFilter(this);
    applyFrame();
}

TSeMessageFrame::~TSeMessageFrame() {
    hot_ = nullptr;
}

TSeSkinEngine* TSeMessageFrame::SkinEngine() const {
    return skin_->SkinEngine();
}

void TSeMessageFrame::setSkinEngine(TSeSkinEngine* engine) {
    skin_->setSkinEngine(engine);
}

void TSeMessageFrame::setBorderIcons(TSeBorderIcons icons) {
    borderIcons_ = icons;
    applyFrame();
}

void TSeMessageFrame::setBlending(const TSeBlending& blending) {
    blending_ = blending;
    blending_.Level = std::clamp(blending_.Level, 0, 255);
    window_->setWindowOpacity(blending_.Enabled ? blending_.Level / 255.0 : 1.0);
}

void TSeMessageFrame::setActive(bool on) {
    active_ = on;
    if (TSeSkinObject* copy = skinCopy())
        copy->setActive(on);
    background_->update();
}

bool TSeMessageFrame::isSkinned() const {
    return skin_->isSkinned();
}

TSeSkinObject* TSeMessageFrame::skinCopy() const {
    return skin_->isSkinned() ? skin_->skinCopy() : nullptr;
}

void TSeMessageFrame::skinChanged() {
    // The old copy's objects are gone with it.
    hot_ = nullptr;
    applyFrame();
}

QMargins TSeMessageFrame::insets() const {
    TSeSkinObject* copy = skinCopy();
    if (!copy)
        return {};
    // Measured on the object at its stored size: what lies round its client part is the
    // frame, whatever size the box takes.
    TSeSkinObject* clientPart = copy->findObjectByKind(TSeKind::skClient);
    const QRect outer(0, 0, std::max(copy->width(), 1), std::max(copy->height(), 1));
    if (!clientPart)
        return {};
    copy->setBounds(outer);
    const QRect inner = clientPart->boundsRect();
    return QMargins(inner.left(), inner.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

void TSeMessageFrame::applyFrame() {
    const bool skinned = isSkinned();
    const bool wasVisible = window_->isVisible();
    Qt::WindowFlags flags = Qt::Dialog;
    if (skinned) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (borderIcons_ & TSeBorderIcons(TSeBorderIcon::kbiSystemMenu))
            flags |= Qt::WindowSystemMenuHint;
        if (borderIcons_ & TSeBorderIcons(TSeBorderIcon::kbiClose))
            flags |= Qt::WindowCloseButtonHint;
        if (borderIcons_ & TSeBorderIcons(TSeBorderIcon::kbiHelp))
            flags |= Qt::WindowContextHelpButtonHint;
    }
    if (flags != window_->windowFlags() || skinned != frameless_) {
        frameless_ = skinned;
        const QPoint at = window_->pos();
        window_->setWindowFlags(flags);
        window_->move(at);
        if (wasVisible)
            window_->show();
    }
    background_->setVisible(skinned);
    background_->lower();
    if (clientSize_.isValid())
        setClientSize(clientSize_);
    else
        layoutCopy();
}

void TSeMessageFrame::setClientSize(QSize size) {
    clientSize_ = size;
    const QMargins m = insets();
    const QSize outer(size.width() + m.left() + m.right(), size.height() + m.top() + m.bottom());
    window_->setFixedSize(outer);
    window_->resize(outer);
    client_->setGeometry(QRect(QPoint(m.left(), m.top()), size));
    layoutCopy();
}

QSize TSeMessageFrame::clientSize() const {
    return client_->size();
}

QRect TSeMessageFrame::clientRect() const {
    return client_->geometry();
}

void TSeMessageFrame::layoutCopy() {
    background_->setGeometry(window_->rect());
    TSeSkinObject* copy = skinCopy();
    if (!copy)
        return;
    copy->setBounds(window_->rect());
    // Showing the icons the box has, hiding restore and roll-down: a box is a normal window.
    copy->setState(state::Normal);
    copy->setActive(active_);
    if (TSeSkinObject* title = copy->findObjectByKind(TSeKind::skTitle))
        title->setText(window_->windowTitle());
    // Where the skin leaves key pixels at the corners, the window is not there either.
    const QRegion shape = copy->region();
    if (!shape.isEmpty() && shape != QRegion(window_->rect()))
        window_->setMask(shape);
    else
        window_->clearMask();
    background_->update();
}

void TSeMessageFrame::paintFrame(QPainter& p) {
    TSeSkinObject* copy = skinCopy();
    if (!copy)
        return;
    if (TSeSkinObject* title = copy->findObjectByKind(TSeKind::skTitle))
        title->setText(window_->windowTitle());
    copy->draw(p);
}

bool TSeMessageFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_)
        return false;
    switch (event->type()) {
    case QEvent::Resize:
        background_->setGeometry(window_->rect());
        if (TSeSkinObject* copy = skinCopy(); copy && copy->boundsRect() != window_->rect())
            layoutCopy();
        break;
    case QEvent::WindowTitleChange:
        background_->update();
        break;
    case QEvent::Show:
        fadeIn();
        break;
    case QEvent::WindowActivate:
        setActive(true);
        break;
    case QEvent::WindowDeactivate:
        // A box is modal: it stays drawn active while its own menus or hints show.
        if (!QApplication::activePopupWidget())
            setActive(false);
        break;
    default:
        break;
    }
    return false;
}

void TSeMessageFrame::fadeIn() {
    // The box fades in to its blending level; the directions and effects of other show
    // animations have no counterpart on every window system, so each shows as this fade.
    if (!animation_.Enabled || animation_.Time <= 0)
        return;
    const qreal target = blending_.Enabled ? blending_.Level / 255.0 : 1.0;
    auto* fade = new QVariantAnimation(this);
    fade->setStartValue(0.0);
    fade->setEndValue(target);
    fade->setDuration(animation_.Time);
    connect(fade, &QVariantAnimation::valueChanged, window_,
            [this](const QVariant& v) { window_->setWindowOpacity(v.toReal()); });
    window_->setWindowOpacity(0.0);
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void TSeMessageFrame::setHot(TSeSkinObject* object, Qt::MouseButtons held) {
    if (object == hot_)
        return;
    if (hot_)
        hot_->mouseLeave();
    hot_ = object;
    if (hot_)
        hot_->mouseEnter(held);
}

void TSeMessageFrame::mouseEvent(QEvent* event) {
    TSeSkinObject* copy = skinCopy();
    if (!copy)
        return;
    if (event->type() == QEvent::Leave) {
        if (!moving_)
            setHot(nullptr, Qt::NoButton);
        return;
    }
    auto* e = static_cast<QMouseEvent*>(event);
    const QPoint p = e->position().toPoint();
    if (moving_) {
        if (e->type() == QEvent::MouseMove && (e->buttons() & Qt::LeftButton))
            window_->move(e->globalPosition().toPoint() - moveOffset_);
        else if (e->type() == QEvent::MouseButtonRelease)
            moving_ = false;
        return;
    }
    TSeSkinObject* at = copy->objectAtPoint(p);
    auto* button = dynamic_cast<TSeSystemButton*>(at);
    setHot(button, e->buttons());
    const int x = at ? p.x() - at->left() : 0, y = at ? p.y() - at->top() : 0;
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        if (button) {
            button->mouseDown(e->button(), x, y);
        } else if (e->button() == Qt::LeftButton && dragging_.Moveable && at &&
                   (at->Kind == TSeKind::skCaption || at->Kind == TSeKind::skTitle)) {
            QWindow* handle = window_->windowHandle();
            if (!handle || !handle->startSystemMove()) {
                moving_ = true;
                moveOffset_ = e->globalPosition().toPoint() - window_->pos();
            }
        }
        break;
    case QEvent::MouseMove:
        if (button)
            button->mouseMove(e->buttons(), x, y);
        break;
    case QEvent::MouseButtonRelease:
        // Released away from the button it was pressed on, nothing happens: that button saw
        // the mouse leave.
        if (button)
            button->mouseUp(e->button(), x, y);
        break;
    case QEvent::MouseButtonDblClick:
        if (button)
            button->dblClick(e->button(), x, y);
        break;
    default:
        break;
    }
}

void TSeMessageFrame::close() {
    // The modal result of a window closed by its frame is Cancel, as the desktop's own close
    // button gives a dialog.
    if (auto* dialog = qobject_cast<QDialog*>(window_); dialog && dialog->isModal())
        dialog->done(2);
    else
        window_->close();
}

void TSeMessageFrame::performAction(TSeAction action) {
    switch (action) {
    case TSeAction::sbaClose:
        close();
        break;
    case TSeAction::sbaSysMenu: {
        // A box can only be moved or closed; its menu offers closing.
        QMenu menu(window_);
        QAction* closeItem = menu.addAction(QStringLiteral("&Close"));
        closeItem->setShortcut(QKeySequence(QStringLiteral("Alt+F4")));
        closeItem->setEnabled(borderIcons_ & TSeBorderIcons(TSeBorderIcon::kbiClose));
        QPoint at = window_->mapToGlobal(QPoint(0, 0));
        if (TSeSkinObject* copy = skinCopy())
            if (TSeSkinObject* caption = copy->findObjectByKind(TSeKind::skCaption))
                at = window_->mapToGlobal(
                    QPoint(caption->left(), caption->top() + caption->height()));
        if (menu.exec(at) == closeItem)
            close();
        break;
    }
    default:
        // Help has no help system to open here; the other actions do not apply to a box.
        break;
    }
}

} // namespace skin
