#include "skin/engine/SkinClient.h"

#include <QCoreApplication>
#include <QPainter>
#include <QScopedValueRollback>
#include <QWidget>

#include "skin/engine/SkinMessage.h"
#include "skin/engine/TSeSkinEngine.h"
#include "skin/model/TSeSkinObject.h"

namespace skin {

SkinClient::SkinClient(QWidget* control, QString defaultSkinObject)
    : control_(control), skinObject_(std::move(defaultSkinObject)) {
    control_->installEventFilter(this);
}

SkinClient::~SkinClient() {
    destroying_ = true;
    if (engine_)
        engine_->detachClient(this);
    copy_.reset();
}

void SkinClient::setSkinEngine(TSeSkinEngine* engine) {
    if (engine != engine_) {
        if (engine_)
            engine_->detachClient(this);
        engine_ = engine;
        if (engine_)
            engine_->attachClient(this);
    }
    refresh();
}

void SkinClient::setSkinObject(const QString& name) {
    if (name == skinObject_)
        return;
    skinObject_ = name;
    refresh();
}

void SkinClient::setPerformance(TSePerformance performance) {
    performance_ = performance;
    control_->update();
}

void SkinClient::setTransparent(bool on) {
    if (on == transparent_)
        return;
    transparent_ = on;
    control_->update();
}

void SkinClient::setBlending(const TSeBlending& blending) {
    blending_ = blending;
    blending_.Level = std::clamp(blending_.Level, 0, 255);
    control_->update();
}

bool SkinClient::sourceUsable() const {
    if (!engine_)
        return false;
    const TSeSkinSource& source = engine_->source();
    return !source.busy() && source.hasObjects();
}

bool SkinClient::isSkinned() const {
    return !destroying_ && copy_ && sourceUsable() &&
           engine_->source().findObject(skinObject_.toStdString()) != nullptr;
}

TSeSkinObject* SkinClient::part(const char* name) const {
    return isSkinned() ? copy_->findObject(name) : nullptr;
}

void SkinClient::refresh() {
    dropCopy();
    if (sourceUsable())
        takeCopy();
    changed();
}

void SkinClient::takeCopy() {
    const TSeSkinObject* shared = engine_->source().findObject(skinObject_.toStdString());
    if (!shared)
        return;
    // Left at its stored bounds: the control reads sizes from it (a caption's height) before
    // it sizes the parts it draws.
    copy_ = shared->clone();
    copy_->bindTo(this);
}

void SkinClient::dropCopy() {
    copy_.reset();
}

void SkinClient::releaseCopy() {
    dropCopy();
}

void SkinClient::unskin() {
    dropCopy();
    changed();
}

void SkinClient::engineDestroyed(TSeSkinEngine* engine) {
    if (engine != engine_)
        return;
    engine_ = nullptr;
    dropCopy();
    changed();
}

void SkinClient::changed() {
    if (destroying_)
        return;
    if (onSkinChanged)
        onSkinChanged();
    control_->update();
}

bool SkinClient::eventFilter(QObject* watched, QEvent* event) {
    if (watched != control_)
        return false;
    if (!SkinMessage::isSkinMessage(event))
        return false;
    const auto* message = static_cast<const SkinMessage*>(event);
    switch (message->kind()) {
    case SkinMessageKind::BeforeChange:
        // No repaint: the copy comes back with the after-change message, and painting the
        // default look in between would only flicker.
        if (engine_ && message->engine() == engine_)
            dropCopy();
        break;
    case SkinMessageKind::AfterChange:
        if (engine_ && message->engine() == engine_)
            refresh();
        break;
    case SkinMessageKind::Repaint:
        if (const TSeSkinObject* object = message->object();
            object && object->width() > 0 && object->height() > 0)
            control_->update(object->boundsRect());
        else
            control_->update();
        break;
    case SkinMessageKind::QueryFrame:
        break;
    }
    // The control itself may want to see the message too.
    return false;
}

void SkinClient::skinInvalidate(TSeSkinObject& object) {
    // Parts get their texts and states set while they are painted; what is being painted
    // already shows that.
    if (painting_)
        return;
    SkinMessage message(SkinMessageKind::Repaint, nullptr, &object);
    QCoreApplication::sendEvent(control_, &message);
}

QObject* SkinClient::skinFrame() {
    // The control answers if it knows its frame; otherwise its window, where a skinned frame
    // listens.
    SkinMessage message(SkinMessageKind::QueryFrame, nullptr);
    QCoreApplication::sendEvent(control_, &message);
    if (!message.frame() && control_->window() != control_)
        QCoreApplication::sendEvent(control_->window(), &message);
    return message.frame();
}

bool SkinClient::skinRightToLeft() const {
    return control_->layoutDirection() == Qt::RightToLeft;
}

QPoint SkinClient::skinMapToGlobal(QPoint local) const {
    return control_->mapToGlobal(local);
}

void SkinClient::paint(const QRect& dirty, const std::function<void(QPainter&)>& paint) {
    const QScopedValueRollback<bool> painting(painting_, true);
    const QRect area = dirty.intersected(control_->rect());
    if (performance_ == TSePerformance::kspNoBuffer || !engine_ || area.isEmpty()) {
        QPainter painter(control_);
        painter.setClipRect(area);
        paint(painter);
        return;
    }
    const qreal ratio = control_->devicePixelRatioF();
    const QSize needed = (QSizeF(control_->size()) * ratio).toSize();
    if (performance_ == TSePerformance::kspSharedBuffer) {
        QImage& shared = engine_->sharedPaintBuffer(control_);
        // A control larger than the screen does not fit; it gets a buffer of its own.
        if (shared.width() >= needed.width() && shared.height() >= needed.height()) {
            paintBuffered(shared, area, paint);
            return;
        }
    }
    QImage own(needed, QImage::Format_ARGB32_Premultiplied);
    own.fill(Qt::transparent);
    paintBuffered(own, area, paint);
}

void SkinClient::paintBuffered(QImage& buffer, const QRect& dirty,
                               const std::function<void(QPainter&)>& paint) {
    const qreal ratio = control_->devicePixelRatioF();
    buffer.setDevicePixelRatio(ratio);
    {
        QPainter painter(&buffer);
        painter.setClipRect(dirty);
        // Cleared to the key pixel, which here is full transparency: whatever the skin leaves
        // unpainted shows the control's background when the buffer is copied.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(dirty, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        paint(painter);
    }
    QPainter painter(control_);
    if (blending_.Enabled)
        painter.setOpacity(blending_.Level / 255.0);
    const QRectF source(QPointF(dirty.topLeft()) * ratio, QSizeF(dirty.size()) * ratio);
    painter.drawImage(QRectF(dirty), buffer, source);
}

} // namespace skin
