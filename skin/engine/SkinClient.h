#pragma once

// What every skinned control shares: the reference to its engine, the name of the skin
// object it draws with, its private copy of that object's tree, its reaction to the engine's
// change messages and the buffered painting of its skinned look. A control holds one client,
// made with the control as its widget; the client watches the widget's events itself.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "skin/model/SkinHost.h"

class QPainter;
class QWidget;

namespace skin {

class TSeSkinEngine;
class TSeSkinObject;

enum class TSePerformance { kspNoBuffer, kspSharedBuffer, kspDoubleBuffer };

// Alpha blending of a buffered control's painted image over what lies beneath it.
struct TSeBlending {
    bool Enabled{false};
    int Level{255}; // 0 transparent .. 255 opaque
    bool operator==(const TSeBlending&) const = default;
};

class SkinClient : public QObject, public SkinHost {
    Q_OBJECT
public:
    SkinClient(QWidget* control, QString defaultSkinObject);
    ~SkinClient() override;
    SkinClient(const SkinClient&) = delete;
    SkinClient& operator=(const SkinClient&) = delete;

    QWidget* control() const { return control_; }

    TSeSkinEngine* SkinEngine() const { return engine_; }
    // Stores the reference and takes a fresh copy of the skin object when the engine has a
    // usable skin; nullptr returns the control to its default look.
    void setSkinEngine(TSeSkinEngine* engine);
    QString SkinObject() const { return skinObject_; }
    void setSkinObject(const QString& name);
    TSePerformance Performance() const { return performance_; }
    void setPerformance(TSePerformance performance);
    bool Transparent() const { return transparent_; }
    void setTransparent(bool on);
    TSeBlending Blending() const { return blending_; }
    void setBlending(const TSeBlending& blending);
    QString Version() const { return QStringLiteral("3.2.0"); }

    // Skinned: an engine with a loaded skin that is not being changed, an object of our name
    // in it, and our copy of that object. Otherwise the control paints its own default look.
    bool isSkinned() const;
    // The private copy, bound to this client; nullptr when there is none.
    TSeSkinObject* skinCopy() const { return copy_.get(); }
    // A part of the copy by name, nullptr when not skinned or the part is missing.
    TSeSkinObject* part(const char* name) const;

    // Told after the copy was taken or let go, so the control can read what it needs from the
    // skin (sizes, transparency) or restore its own values.
    std::function<void()> onSkinChanged;

    // Paints the skinned look through the buffer `Performance` asks for; `paint` draws the
    // whole control in its own coordinates. Call from the control's paintEvent.
    void paint(const QRect& dirty, const std::function<void(QPainter&)>& paint);

    // The engine's side: as setting the engine again; let the copy go; let it go and return
    // to the default look (a change failed); the engine is gone.
    void refresh();
    void releaseCopy();
    void unskin();
    void engineDestroyed(TSeSkinEngine* engine);

    // SkinHost: the bound copy reaches its control through these.
    void skinInvalidate(TSeSkinObject& object) override;
    QObject* skinFrame() override;
    bool skinRightToLeft() const override;
    QPoint skinMapToGlobal(QPoint local) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool sourceUsable() const;
    void takeCopy();
    void dropCopy();
    void changed();
    void paintBuffered(QImage& buffer, const QRect& dirty,
                       const std::function<void(QPainter&)>& paint);

    QWidget* control_;
    QString skinObject_;
    TSeSkinEngine* engine_{nullptr};
    std::unique_ptr<TSeSkinObject> copy_;
    TSePerformance performance_{TSePerformance::kspNoBuffer};
    bool transparent_{false};
    TSeBlending blending_;
    bool destroying_{false};
    bool painting_{false};
};

} // namespace skin
