#include "skin/engine/TSeSkinEngine.h"

#include <QApplication>
#include <QCoreApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "skin/engine/SkinClient.h"
#include "skin/format/SkinFile.h"

namespace skin {

namespace {

// Clears the engine's change mark and the source's busy flag however a change ends, unless
// the engine itself went away while pending events ran.
class ChangeScope {
public:
    ChangeScope(TSeSkinEngine* engine, bool& mark) : engine_(engine), mark_(mark) { mark_ = true; }
    ~ChangeScope() {
        if (!engine_)
            return;
        mark_ = false;
        engine_->source().setBusy(false);
    }
    ChangeScope(const ChangeScope&) = delete;
    ChangeScope& operator=(const ChangeScope&) = delete;

private:
    QPointer<TSeSkinEngine> engine_;
    bool& mark_;
};

void deliverToTree(QWidget* widget, SkinMessageKind kind, TSeSkinEngine* engine) {
    SkinMessage message(kind, engine);
    QCoreApplication::sendEvent(widget, &message);
    // A handler may delete controls; walk a guarded snapshot.
    QList<QPointer<QWidget>> kids;
    for (QObject* child : widget->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && !w->isWindow())
            kids.append(w);
    }
    for (const auto& kid : kids) {
        if (kid)
            deliverToTree(kid, kind, engine);
    }
}

} // namespace

TSeSkinEngine::TSeSkinEngine(QObject* parent, QString executableDir)
    : TSeSkinEngine(SkinClassRegistry::withStandardClasses(), parent, std::move(executableDir)) {}

TSeSkinEngine::TSeSkinEngine(SkinClassRegistry registry, QObject* parent, QString executableDir)
    : QObject(parent), registry_(std::move(registry)), executableDir_(std::move(executableDir)),
      source_(std::make_unique<TSeSkinSource>()) {
    if (executableDir_.isEmpty() && QCoreApplication::instance())
        executableDir_ = QCoreApplication::applicationDirPath();
}

TSeSkinEngine::~TSeSkinEngine() {
    // Controls hold copies that point into our bitmaps: they let go of them, and of us,
    // before the source is freed.
    const auto clients = std::exchange(clients_, {});
    for (SkinClient* client : clients)
        client->engineDestroyed(this);
}

void TSeSkinEngine::setSkinFile(const QString& fileName) {
    skinFile_ = fileName;
    fileChangePending_ = true;
    // A change that is running (its broadcast lets events through, and a handler may set
    // another file) picks the newest request up when it ends; starting a second one inside
    // it would free the skin under copies the first has just handed out.
    if (!changing_)
        runChanges();
}

void TSeSkinEngine::setDeltaHue(int hue) {
    if (hue == deltaHue_ && hue == source_->requestedHue())
        return;
    deltaHue_ = hue;
    if (!changing_)
        runChanges();
}

void TSeSkinEngine::runChanges() {
    QPointer<TSeSkinEngine> self(this);
    try {
        for (;;) {
            if (fileChangePending_) {
                fileChangePending_ = false;
                changeFile();
            } else if (source_->hasObjects() && deltaHue_ != source_->requestedHue()) {
                changeHue();
            } else {
                return;
            }
            if (!self)
                return;
        }
    } catch (...) {
        // The caller hears of the failure; requests made during the failed change are
        // dropped rather than run at some unrelated later moment.
        if (self)
            fileChangePending_ = false;
        throw;
    }
}

void TSeSkinEngine::changeFile() {
    ChangeScope scope(this, changing_);
    if (source_->hasObjects()) {
        source_->setBusy(true);
        if (!broadcastBeforeChange())
            return;
    }
    releaseCopies();
    source_->clear();
    // Fresh pixels carry no tint yet: restart the hue bookkeeping from zero so the whole
    // offset is applied to them below.
    source_->setHue(0);
    try {
        if (!skinFile_.isEmpty())
            loadSkinFile(*source_, skinFile_, registry_, executableDir_);
    } catch (...) {
        unskinClients();
        throw;
    }
    source_->setBusy(false);
    source_->setHue(deltaHue_);
    broadcastAfterChange();
}

void TSeSkinEngine::changeHue() {
    ChangeScope scope(this, changing_);
    if (!broadcastBeforeChange())
        return;
    source_->setHue(deltaHue_);
    broadcastAfterChange();
}

bool TSeSkinEngine::broadcastBeforeChange() {
    QPointer<TSeSkinEngine> self(this);
    if (OnBeforeChange)
        OnBeforeChange(this);
    if (!self)
        return false;
    return broadcast(SkinMessageKind::BeforeChange);
}

bool TSeSkinEngine::broadcastAfterChange() {
    QPointer<TSeSkinEngine> self(this);
    if (!broadcast(SkinMessageKind::AfterChange))
        return false;
    if (OnAfterChange)
        OnAfterChange(this);
    return static_cast<bool>(self);
}

bool TSeSkinEngine::broadcast(SkinMessageKind kind) {
    QPointer<TSeSkinEngine> self(this);
    QList<QPointer<QWidget>> forms;
    for (QWidget* form : formsInScreenOrder())
        forms.append(form);
    for (const auto& form : forms) {
        if (!form)
            continue;
        deliver(form, kind);
        if (!self)
            return false;
        // Let each window repaint before the next is told, as the user would see it.
        QCoreApplication::processEvents();
        if (!self)
            return false;
    }
    return true;
}

void TSeSkinEngine::deliver(QWidget* form, SkinMessageKind kind) {
    deliverToTree(form, kind, this);
}

QList<QWidget*> TSeSkinEngine::formsInScreenOrder() {
    const QList<QWidget*> all = QApplication::topLevelWidgets();
    QList<QWidget*> ordered;
    ordered.reserve(all.size());
    if (QWidget* active = QApplication::activeWindow(); active && all.contains(active))
        ordered.append(active);
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        for (QWidget* w : all) {
            if (w->windowHandle() == window && !ordered.contains(w))
                ordered.append(w);
        }
    }
    for (QWidget* w : all) {
        if (!ordered.contains(w))
            ordered.append(w);
    }
    return ordered;
}

bool TSeSkinEngine::readSkinStream(const QByteArray& value) {
    // No broadcast here, but a control that already holds a copy must not be left pointing
    // into the skin being replaced.
    releaseCopies();
    skinFile_.clear();
    source_->clear();
    source_->setHue(0);
    bool present = false;
    try {
        present = skin::readSkinStream(*source_, value, registry_);
    } catch (...) {
        unskinClients();
        throw;
    }
    source_->setHue(deltaHue_);
    refreshClients();
    return present;
}

QByteArray TSeSkinEngine::writeSkinStream() {
    return skin::writeSkinStream(*source_, registry_);
}

void TSeSkinEngine::loaded() {
    if (OnAfterChange && source_->hasObjects())
        OnAfterChange(this);
}

QImage& TSeSkinEngine::sharedPaintBuffer(const QWidget* forControl) {
    if (sharedBuffer_.isNull()) {
        const QScreen* screen = forControl ? forControl->screen() : nullptr;
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        const QSize size = screen ? screen->size() : QSize(1024, 768);
        const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
        sharedBuffer_ = QImage((QSizeF(size) * ratio).toSize() + QSize(500, 500),
                               QImage::Format_ARGB32_Premultiplied);
    }
    return sharedBuffer_;
}

void TSeSkinEngine::attachClient(SkinClient* client) {
    if (client && std::find(clients_.begin(), clients_.end(), client) == clients_.end())
        clients_.push_back(client);
}

void TSeSkinEngine::detachClient(SkinClient* client) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

void TSeSkinEngine::releaseCopies() {
    // The broadcast has reached every control it can; this also covers one whose window was
    // being torn down while it ran.
    const auto clients = clients_;
    for (SkinClient* client : clients)
        client->releaseCopy();
}

void TSeSkinEngine::unskinClients() {
    // After a failed load no after-change message comes; controls go back to their own look
    // and sizes instead of keeping the old skin's caption heights around an unskinned face.
    const auto clients = clients_;
    for (SkinClient* client : clients)
        client->unskin();
}

void TSeSkinEngine::refreshClients() {
    const auto clients = clients_;
    for (SkinClient* client : clients)
        client->refresh();
}

} // namespace skin
