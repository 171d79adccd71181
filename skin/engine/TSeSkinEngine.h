#pragma once

// The non-visual component that owns the loaded skin. It loads the skin from the form's stored
// stream or from a skin file, re-tints it by a hue offset, and tells every window and control
// of the application before and after the skin changes, so that skinned controls drop their
// copies of the old skin and take copies of the new one.

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "skin/engine/SkinMessage.h"
#include "skin/model/SkinClassRegistry.h"
#include "skin/model/TSeSkinSource.h"

class QWidget;

namespace skin {

class SkinClient;

class TSeSkinEngine : public QObject {
    Q_OBJECT
    Q_PROPERTY(int DeltaHue READ DeltaHue WRITE setDeltaHue)
    Q_PROPERTY(QString SkinFile READ SkinFile WRITE setSkinFile)
    Q_PROPERTY(QString SkinStore READ SkinStore WRITE setSkinStore)
    Q_PROPERTY(bool SkinStoreCompression READ SkinStoreCompression WRITE setSkinStoreCompression)
    Q_PROPERTY(QString Version READ Version WRITE setVersion)
public:
    using NotifyEvent = std::function<void(QObject* sender)>;

    // `executableDir` is where relative skin file names are looked for when they are not
    // found as given; empty means the application's own folder.
    explicit TSeSkinEngine(QObject* parent = nullptr, QString executableDir = {});
    TSeSkinEngine(SkinClassRegistry registry, QObject* parent = nullptr,
                  QString executableDir = {});
    ~TSeSkinEngine() override;

    int DeltaHue() const { return deltaHue_; }
    // Re-tints the loaded skin to the offset, telling every window before and after.
    void setDeltaHue(int hue);
    QString SkinFile() const { return skinFile_; }
    // Replaces the skin with the one in the file (an empty name or a file that cannot be
    // found leaves no skin). Throws SkinError when the file cannot be read; the controls have
    // then already let their copies go.
    void setSkinFile(const QString& fileName);
    // Shown in property lists only; a running program has no stored skin name to show.
    QString SkinStore() const { return QStringLiteral("(none)"); }
    void setSkinStore(const QString&) {}
    bool SkinStoreCompression() const { return skinStoreCompression_; }
    void setSkinStoreCompression(bool on) { skinStoreCompression_ = on; }
    QString Version() const { return QStringLiteral("3.2.0"); }
    void setVersion(const QString&) {}

    NotifyEvent OnBeforeChange;
    NotifyEvent OnAfterChange;

    // The stored `SkinStream` value: a presence byte, then the skin. Loads it quietly, with
    // no broadcast, and forgets SkinFile. Returns whether a skin was announced.
    bool readSkinStream(const QByteArray& value);
    QByteArray writeSkinStream();
    // The form holding the engine has finished loading: report a skin that is present.
    void loaded();

    TSeSkinSource& source() { return *source_; }
    const TSeSkinSource& source() const { return *source_; }
    const SkinClassRegistry& registry() const { return registry_; }
    // True while a file or hue change is in progress.
    bool isChanging() const { return changing_; }

    // The paint buffer shared by the controls of this engine that ask for one: the screen's
    // size plus 500 pixels each way, made on first use.
    QImage& sharedPaintBuffer(const QWidget* forControl);

    // Controls register themselves so the engine can take their copies away before it frees
    // the skin they point into, and clear their reference when it goes.
    void attachClient(SkinClient* client);
    void detachClient(SkinClient* client);

    // Top-level windows in the order broadcasts visit them ("screen order"): the active
    // window first, then the others in the order their native windows were made (the order
    // they were first shown), then windows that were never shown.
    static QList<QWidget*> formsInScreenOrder();
    // Delivers a change message to a window and, depth first, to every control inside it
    // (windows inside windows are visited as windows of their own).
    void deliver(QWidget* form, SkinMessageKind kind);

private:
    void runChanges();
    void changeFile();
    void changeHue();
    // Both return false when the engine was destroyed while pending events ran.
    bool broadcastBeforeChange();
    bool broadcastAfterChange();
    bool broadcast(SkinMessageKind kind);
    void releaseCopies();
    void refreshClients();
    void unskinClients();

    SkinClassRegistry registry_;
    QString executableDir_;
    std::unique_ptr<TSeSkinSource> source_;
    int deltaHue_{0};
    QString skinFile_;
    bool skinStoreCompression_{false};
    bool changing_{false};
    bool fileChangePending_{false};
    std::vector<SkinClient*> clients_;
    QImage sharedBuffer_;
};

} // namespace skin
