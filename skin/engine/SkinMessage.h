#pragma once

// The messages between the skin engine, the skin objects and the skinned controls, delivered
// as Qt events with sendEvent. The event types keep the message numbers skins were designed
// around (offset into Qt's user range) so a trace reads the same as the original protocol.

#include <QEvent>

class QObject;

namespace skin {

class TSeSkinEngine;
class TSeSkinObject;

// What a skin message means; the values are the window-message numbers.
enum class SkinMessageKind : int {
    // The engine's skin has changed; controls of that engine take fresh copies.
    AfterChange = 1702,
    // The engine's skin is about to change; controls of that engine free their copies.
    BeforeChange = 1703,
    // A bound skin object asks its control to repaint it.
    Repaint = 2121,
    // A bound skin object asks its control for the skinned frame it belongs to.
    QueryFrame = 2122,
};

class SkinMessage : public QEvent {
public:
    static QEvent::Type eventType(SkinMessageKind kind) {
        return QEvent::Type(QEvent::User + static_cast<int>(kind));
    }
    // Whether an event is one of the skin messages (and so a SkinMessage).
    static bool isSkinMessage(const QEvent* event);

    SkinMessage(SkinMessageKind kind, TSeSkinEngine* engine, TSeSkinObject* object = nullptr)
        : QEvent(eventType(kind)), kind_(kind), engine_(engine), object_(object) {}

    SkinMessageKind kind() const { return kind_; }
    // The engine that broadcasts a change (1702, 1703); nullptr for object messages.
    TSeSkinEngine* engine() const { return engine_; }
    // The object asking for a repaint or for its frame (2121, 2122).
    TSeSkinObject* object() const { return object_; }

    // The reply to QueryFrame: a control that sits in a skinned frame sets it.
    QObject* frame() const { return frame_; }
    void setFrame(QObject* frame) { frame_ = frame; }

private:
    SkinMessageKind kind_;
    TSeSkinEngine* engine_;
    TSeSkinObject* object_;
    QObject* frame_{nullptr};
};

} // namespace skin
