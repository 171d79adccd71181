#include "skin/controls/TSeCustomForm.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QWidget>

#include "skin/controls/TSeSkinPopupMenu.h"
#include "skin/controls/TSeSkinStatusBar.h"
#include "skin/engine/SkinMessage.h"
#include "skin/engine/TSeSkinEngine.h"

namespace skin {

namespace {

Qt::CursorShape cursorOf(FrameZone z) {
    switch (z) {
    case FrameZone::Left:
    case FrameZone::Right:
        return Qt::SizeHorCursor;
    case FrameZone::Top:
    case FrameZone::Bottom:
        return Qt::SizeVerCursor;
    case FrameZone::TopLeft:
    case FrameZone::BottomRight:
        return Qt::SizeFDiagCursor;
    case FrameZone::TopRight:
    case FrameZone::BottomLeft:
        return Qt::SizeBDiagCursor;
    default:
        return Qt::ArrowCursor;
    }
}

bool has(TSeBorderIcons icons, TSeBorderIcon icon) {
    return (icons & TSeBorderIcons(icon)) != 0;
}

} // namespace

TSeCustomForm::TSeCustomForm(QWidget* window) : QObject(window), window_(window), dragger_(window) {
    Q_ASSERT(window && window->isWindow());
    setObjectName(QStringLiteral("SeSkinForm"));
    window_->setWindowFlag(Qt::FramelessWindowHint, true);
    window_->setMouseTracking(true);
    window_->installEventFilter(this);
    hoverTimer_.setInterval(100);
    connect(&hoverTimer_, &QTimer::timeout, this, [this] { hoverTick(); });
    menuTimer_.setSingleShot(true);
    connect(&menuTimer_, &QTimer::timeout, this, [this] { ShowSystemMenu(); });
    // Without a window manager's frame nothing else offers the usual way to close.
    auto* closeKey = new QAction(this);
    closeKey->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    closeKey->setShortcutContext(Qt::WindowShortcut);
    window_->addAction(closeKey);
    connect(closeKey, &QAction::triggered, this, [this] { Close(); });
}

TSeCustomForm::~TSeCustomForm() {
    tray_.reset();
    if (window_)
        window_->removeEventFilter(this);
}

void TSeCustomForm::setActive(bool on) {
    if (on == active_)
        return;
    active_ = on;
    const QRect g = window_->geometry();
    const bool visible = window_->isVisible();
    window_->setWindowFlag(Qt::FramelessWindowHint, on);
    window_->setGeometry(g);
    if (visible)
        window_->show();
    updateFrame();
}

void TSeCustomForm::setBorderIcons(TSeBorderIcons icons) {
    borderIcons_ = icons;
    repaintFrame();
}

void TSeCustomForm::setBorderStyle(TSeBorderStyle style) {
    borderStyle_ = style;
    updateFrame();
}

QString TSeCustomForm::Caption() const {
    return window_->windowTitle();
}

void TSeCustomForm::setCaption(const QString& caption) {
    window_->setWindowTitle(caption);
    repaintFrame();
}

void TSeCustomForm::setBlending(const TSeFormBlending& blending) {
    blending_ = blending;
    blending_.Value = std::clamp(blending_.Value, 0, 255);
    window_->setWindowOpacity(blending_.Enabled ? blending_.Value / 255.0 : 1.0);
}

void TSeCustomForm::setPerformance(TSeFormPerformance p) {
    performance_ = p;
    persistent_ = QImage();
    repaintFrame();
}

bool TSeCustomForm::frameDrawn() const {
    return active_ && !frameHidden_ && borderStyle_ != TSeBorderStyle::kbsNone;
}

void TSeCustomForm::setFrameHidden(bool hidden) {
    if (hidden == frameHidden_)
        return;
    frameHidden_ = hidden;
    updateFrame();
}

QMargins TSeCustomForm::insets() const {
    if (!frameDrawn())
        return {};
    if (!skinned())
        return plainInsets();
    // Measured at a size where the client part has room, also while the window is rolled up.
    const QSize size(window_->width(), std::max(window_->height(), 200));
    return const_cast<TSeCustomForm*>(this)->skinnedInsets(size);
}

QRect TSeCustomForm::clientRect() const {
    const QMargins m = insets();
    const int w = window_->width(), h = window_->height();
    return QRect(m.left(), m.top(), std::max(0, w - m.left() - m.right()),
                 std::max(0, h - m.top() - m.bottom()));
}

int TSeCustomForm::frameHeight() const {
    const QMargins m = insets();
    return m.top() + m.bottom();
}

std::uint8_t TSeCustomForm::stateByte() const {
    switch (state_) {
    case TSeWindowState::kwsMaximized:
        return state::Maximized;
    case TSeWindowState::kwsMinimized:
    case TSeWindowState::kwsTray:
        return state::Minimized;
    case TSeWindowState::kwsRollup:
        return state::RolledUp;
    default:
        return state::Normal;
    }
}

void TSeCustomForm::updateFrame() {
    const QMargins m = insets();
    // A rolled-up or shrunken window shows only its caption strip and bottom border: the
    // controls step out of sight (their layouts would otherwise squeeze them over the caption)
    // and come back as they were.
    stripControls(frameDrawn() && (state_ == TSeWindowState::kwsRollup || shrunk_));
    if (window_->contentsMargins() != m) {
        window_->setContentsMargins(m);
        // Now, not when the posted request comes: whoever changed the size looks at the
        // controls next.
        if (QLayout* layout = window_->layout())
            layout->activate();
    }
    QRegion shape;
    if (frameDrawn() && skinned())
        shape = skinnedRegion(window_->size());
    if (shape.isEmpty())
        window_->clearMask();
    else
        window_->setMask(shape);
    if (frameDrawn() && skinned())
        frameLaidOut();
    repaintFrame();
}

void TSeCustomForm::stripControls(bool strip) {
    if (strip && stripped_.isEmpty()) {
        for (QObject* child : window_->children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (w && !w->isWindow() && !w->isHidden()) {
                stripped_.append(w);
                w->hide();
            }
        }
        // The window's layout asks for no room for them any more.
        if (QLayout* layout = window_->layout())
            layout->activate();
    } else if (!strip && !stripped_.isEmpty()) {
        for (const auto& w : std::exchange(stripped_, {})) {
            if (w)
                w->show();
        }
    }
}

void TSeCustomForm::repaintFrame() {
    persistentValid_ = false;
    if (!painting_)
        window_->update();
}

void TSeCustomForm::repaintFrame(const QRect& area) {
    persistentValid_ = false;
    if (!painting_)
        window_->update(area);
}

QMargins TSeCustomForm::skinnedInsets(QSize) {
    return plainInsets();
}
FrameZone TSeCustomForm::skinnedZone(QPoint p) {
    return plainZone(p);
}
void TSeCustomForm::paintSkinned(QPainter& painter, QSize) {
    paintPlain(painter);
}
void TSeCustomForm::paintSkinnedClient(QPainter& painter, QSize) {
    painter.fillRect(clientRect(), window_->palette().color(QPalette::Window));
}
QRegion TSeCustomForm::skinnedRegion(QSize) {
    return {};
}
void TSeCustomForm::skinnedMouse(QMouseEvent*) {}
void TSeCustomForm::skinnedHover(QPoint, bool, Qt::MouseButtons) {}
void TSeCustomForm::skinnedLeft() {}

FrameZone TSeCustomForm::rawZoneAt(QPoint p) const {
    if (!frameDrawn() || !window_->rect().contains(p))
        return FrameZone::Client;
    for (TSeSkinStatusBar* bar : window_->findChildren<TSeSkinStatusBar*>()) {
        const QRect grip = bar->gripRect();
        if (bar->isVisible() && !grip.isEmpty() &&
            QRect(bar->mapTo(window_, grip.topLeft()), grip.size()).contains(p))
            return FrameZone::BottomRight;
    }
    auto* self = const_cast<TSeCustomForm*>(this);
    return skinned() ? self->skinnedZone(p) : plainZone(p);
}

FrameZone TSeCustomForm::zoneAt(QPoint p) const {
    const FrameZone raw = rawZoneAt(p);
    if (raw == FrameZone::Caption)
        return Dragging.Moveable && state_ != TSeWindowState::kwsMaximized ? raw
                                                                           : FrameZone::Client;
    if (isSizingZone(raw))
        return Dragging.Sizeable && state_ == TSeWindowState::kwsNormal ? raw : FrameZone::Client;
    return raw;
}

void TSeCustomForm::paintFrame(QPainter& painter, const QRect& dirty) {
    const QScopedValueRollback<bool> guard(painting_, true);
    auto draw = [this](QPainter& p) {
        if (skinned())
            paintSkinned(p, window_->size());
        else
            paintPlain(p);
    };
    const qreal ratio = window_->devicePixelRatioF();
    const QSize needed = (QSizeF(window_->size()) * ratio).toSize();
    auto drawInto = [&](QImage& image) {
        image.setDevicePixelRatio(ratio);
        QPainter p(&image);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(QRect(QPoint(0, 0), window_->size()), Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        draw(p);
    };
    switch (performance_) {
    case TSeFormPerformance::ksfpNoBuffer:
        painter.setClipRect(dirty);
        // Controls that do not paint their whole area ask for the window beneath them many
        // times a second; inside the client area that is only the client's background.
        if (clientRect().contains(dirty)) {
            if (skinned())
                paintSkinnedClient(painter, window_->size());
            else
                painter.fillRect(dirty, window_->palette().color(QPalette::Window));
            return;
        }
        draw(painter);
        return;
    case TSeFormPerformance::ksfpPersistentBuffer:
        if (!persistentValid_ || persistent_.size() != needed) {
            persistent_ = QImage(needed, QImage::Format_ARGB32_Premultiplied);
            drawInto(persistent_);
            persistentValid_ = true;
        }
        painter.drawImage(dirty, persistent_,
                          QRectF(QPointF(dirty.topLeft()) * ratio, QSizeF(dirty.size()) * ratio));
        return;
    case TSeFormPerformance::ksfpSharedBuffer:
        if (TSeSkinEngine* engine = menuEngine()) {
            QImage& shared = engine->sharedPaintBuffer(window_);
            if (shared.width() >= needed.width() && shared.height() >= needed.height()) {
                drawInto(shared);
                painter.drawImage(
                    dirty, shared,
                    QRectF(QPointF(dirty.topLeft()) * ratio, QSizeF(dirty.size()) * ratio));
                return;
            }
        }
        [[fallthrough]];
    case TSeFormPerformance::ksfpDoubleBuffer: {
        QImage own(needed, QImage::Format_ARGB32_Premultiplied);
        drawInto(own);
        painter.drawImage(dirty, own,
                          QRectF(QPointF(dirty.topLeft()) * ratio, QSizeF(dirty.size()) * ratio));
        return;
    }
    }
}

bool TSeCustomForm::mouseEvent(QMouseEvent* e) {
    if (!frameDrawn())
        return false;
    const QPoint pos = e->position().toPoint();
    const QPoint global = e->globalPosition().toPoint();
    if (dragger_.dragging()) {
        if (e->type() == QEvent::MouseMove) {
            dragger_.moveTo(global);
            return true;
        }
        if (e->type() == QEvent::MouseButtonRelease && e->button() == Qt::LeftButton)
            dragger_.end();
    }
    const FrameZone raw = rawZoneAt(pos);
    QPointer<TSeCustomForm> self(this);
    if (skinned())
        skinnedMouse(e);
    else
        plainMouse(e);
    if (!self)
        return true;
    if (e->type() == QEvent::MouseButtonPress && e->button() == Qt::LeftButton) {
        const FrameZone zone = zoneAt(pos);
        if (zone == FrameZone::Caption || isSizingZone(zone))
            dragger_.begin(zone, global);
    } else if (e->type() == QEvent::MouseButtonDblClick && e->button() == Qt::LeftButton &&
               raw == FrameZone::Caption && has(borderIcons_, TSeBorderIcon::kbiMaximize)) {
        // As on every desktop: a double click on the caption maximizes and restores.
        dragger_.end();
        Maximize();
        return true;
    } else if (e->type() == QEvent::MouseMove && e->buttons() == Qt::NoButton) {
        updateCursor(zoneAt(pos));
    }
    return raw != FrameZone::Client;
}

void TSeCustomForm::updateCursor(FrameZone zone) {
    if (isSizingZone(zone)) {
        window_->setCursor(cursorOf(zone));
        cursorSet_ = true;
    } else if (cursorSet_) {
        window_->unsetCursor();
        cursorSet_ = false;
    }
}

void TSeCustomForm::hoverTick() {
    if (!window_->isVisible() || !window_->isActiveWindow() || dragger_.dragging())
        return;
    const QPoint global = cursorPos ? cursorPos() : QCursor::pos();
    const QPoint p = window_->mapFromGlobal(global);
    const bool inside = window_->rect().contains(p);
    if (QApplication::mouseButtons() == Qt::NoButton)
        updateCursor(inside ? zoneAt(p) : FrameZone::Client);
    if (skinned())
        skinnedHover(p, inside && rawZoneAt(p) != FrameZone::Client, QApplication::mouseButtons());
}

void TSeCustomForm::watchStatusBars() {
    for (TSeSkinStatusBar* bar : window_->findChildren<TSeSkinStatusBar*>()) {
        bar->removeEventFilter(this);
        bar->installEventFilter(this);
    }
}

bool TSeCustomForm::gripPress(QObject* watched, QMouseEvent* e) {
    auto* bar = qobject_cast<TSeSkinStatusBar*>(watched);
    if (!bar || !frameDrawn())
        return false;
    const QPoint global = e->globalPosition().toPoint();
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (e->button() != Qt::LeftButton || !bar->gripRect().contains(e->position().toPoint()))
            return false;
        // The grip is the window's bottom-right corner, with that corner's rules.
        if (zoneAt(window_->mapFromGlobal(global)) == FrameZone::BottomRight)
            dragger_.begin(FrameZone::BottomRight, global);
        return true;
    }
    case QEvent::MouseMove:
        if (!dragger_.dragging())
            return false;
        dragger_.moveTo(global);
        return true;
    case QEvent::MouseButtonRelease:
        if (!dragger_.dragging())
            return false;
        dragger_.end();
        return true;
    default:
        return false;
    }
}

bool TSeCustomForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return gripPress(watched, static_cast<QMouseEvent*>(event));
        default:
            return false;
        }
    }
    if (SkinMessage::isSkinMessage(event)) {
        auto* message = static_cast<SkinMessage*>(event);
        if (message->kind() == SkinMessageKind::QueryFrame)
            message->setFrame(this);
        else if (message->kind() == SkinMessageKind::BeforeChange)
            forgetParts();
        return false;
    }
    switch (event->type()) {
    case QEvent::Paint: {
        if (!frameDrawn())
            return false;
        QPainter painter(window_);
        paintFrame(painter, static_cast<QPaintEvent*>(event)->rect());
        painter.end();
        if (OnPaint)
            OnPaint(this);
        return false;
    }
    case QEvent::Resize:
        updateFrame();
        if (OnResize && !loading_)
            OnResize(this);
        return false;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        repaintFrame();
        return false;
    case QEvent::WindowStateChange:
        windowStateChanged();
        return false;
    case QEvent::ChildPolished:
    case QEvent::Show:
        // Status bars may sit anywhere inside; look again whenever the window fills up.
        watchStatusBars();
        return false;
    case QEvent::Leave:
        if (skinned() && QApplication::mouseButtons() == Qt::NoButton)
            skinnedLeft();
        if (cursorSet_)
            updateCursor(FrameZone::Client);
        if (hotPlain_ >= 0 && pressedPlain_ < 0) {
            hotPlain_ = -1;
            repaintFrame();
        }
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        return mouseEvent(static_cast<QMouseEvent*>(event));
    default:
        return false;
    }
}

} // namespace skin
