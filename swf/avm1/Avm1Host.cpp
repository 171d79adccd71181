#include "swf/avm1/Avm1Host.h"

#include "swf/avm1/ArrayObject.h"
#include "swf/avm1/DisplayClip.h"
#include "swf/avm1/Interpreter.h"
#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/TextFieldProperties.h"
#include "swf/display/Button.h"
#include "swf/display/MovieClip.h"
#include "swf/display/Stage.h"
#include "swf/display/TextField.h"
#include "swf/format/Button.h"
#include "swf/format/Movie.h"

#include <QUrlQuery>

namespace swf::avm1 {

namespace {

// The method a clip event calls, after its onClipEvent handlers.
QString eventMethod(uint32_t event) {
    switch (event) {
    case clipevent::Load:
        return QStringLiteral("onLoad");
    case clipevent::EnterFrame:
        return QStringLiteral("onEnterFrame");
    case clipevent::Unload:
        return QStringLiteral("onUnload");
    case clipevent::MouseMove:
        return QStringLiteral("onMouseMove");
    case clipevent::MouseDown:
        return QStringLiteral("onMouseDown");
    case clipevent::MouseUp:
        return QStringLiteral("onMouseUp");
    case clipevent::KeyDown:
        return QStringLiteral("onKeyDown");
    case clipevent::KeyUp:
        return QStringLiteral("onKeyUp");
    case clipevent::Data:
        return QStringLiteral("onData");
    case clipevent::Press:
        return QStringLiteral("onPress");
    case clipevent::Release:
        return QStringLiteral("onRelease");
    case clipevent::ReleaseOutside:
        return QStringLiteral("onReleaseOutside");
    case clipevent::RollOver:
        return QStringLiteral("onRollOver");
    case clipevent::RollOut:
        return QStringLiteral("onRollOut");
    case clipevent::DragOver:
        return QStringLiteral("onDragOver");
    case clipevent::DragOut:
        return QStringLiteral("onDragOut");
    default:
        return QString();
    }
}

QString buttonMethod(uint16_t condition) {
    switch (condition) {
    case buttoncond::IdleToOverUp:
        return QStringLiteral("onRollOver");
    case buttoncond::OverUpToIdle:
        return QStringLiteral("onRollOut");
    case buttoncond::OverUpToOverDown:
        return QStringLiteral("onPress");
    case buttoncond::OverDownToOverUp:
        return QStringLiteral("onRelease");
    case buttoncond::OverDownToOutDown:
    case buttoncond::OverDownToIdle:
        return QStringLiteral("onDragOut");
    case buttoncond::OutDownToOverDown:
    case buttoncond::IdleToOverDown:
        return QStringLiteral("onDragOver");
    case buttoncond::OutDownToIdle:
        return QStringLiteral("onReleaseOutside");
    default:
        return QString();
    }
}

} // namespace

void Avm1Host::Forward::trace(const QString& line) {
    stage_.trace(line);
}
void Avm1Host::Forward::statusMessage(const QString& text) {
    stage_.statusMessage(text);
}
// Without this, script's loads (XML, LoadVars, Sound, NetStream) would only ever read local
// files, whatever the control's host can fetch.
void Avm1Host::Forward::load(const QString& url, qint64 maxBytes, LoadDone done) {
    if (PlayerHost* host = stage_.host())
        host->load(url, maxBytes, std::move(done));
    else
        PlayerHost::load(url, maxBytes, std::move(done));
}
std::unique_ptr<PlayerHost::PieceLoad>
Avm1Host::Forward::loadInPieces(const QString& url, qint64 maxBytes, PieceCallbacks callbacks) {
    if (PlayerHost* host = stage_.host())
        return host->loadInPieces(url, maxBytes, std::move(callbacks));
    return PlayerHost::loadInPieces(url, maxBytes, std::move(callbacks));
}

Avm1Host::Avm1Host(Stage& stage)
    : stage_(stage), forward_(stage), vm_(std::make_unique<Vm>(stage.swfVersion(), &forward_)) {
    vm_->setDisplay(this);
}

// The tree's nodes may keep their bridges after this; bridgeGone then finds no machine.
Avm1Host::~Avm1Host() {
    vm_.reset();
}

Object* Avm1Host::objectOf(DisplayObject& object) {
    return vm_->clipObject(DisplayClip::of(object, *this));
}

void Avm1Host::bridgeGone(ClipBridge* bridge) {
    if (vm_)
        vm_->clipRemoved(bridge);
}

void Avm1Host::runCode(Object* target, const ActionCode& code, int version) {
    vm_->runTopLevel([&] { Interpreter::runBlock(*vm_, code, target, version); });
}

void Avm1Host::runInitAction(MovieClip& root, const ActionCode& code) {
    const Movie* movie = root.movie();
    runCode(objectOf(root), code, movie ? movie->header().version : vm_->version());
}

void Avm1Host::queueFrameActions(MovieClip& clip, const std::vector<ActionCode>& actions) {
    if (actions.empty())
        return;
    Pending p;
    p.object = clip.shared_from_this();
    p.code = actions;
    queue_.push_back(std::move(p));
}

void Avm1Host::construct(DisplayObject& object) {
    // A symbol registered with Object.registerClass becomes an instance of that class.
    const Character* character = object.character();
    const Movie* movie = object.movie();
    if (!character || !movie)
        return;
    for (const auto& [name, ctor] : vm_->registeredClasses()) {
        if (movie->exportedId(name.toUtf8()) != character->id())
            continue;
        Object* self = objectOf(object);
        Object* constructor = ctor;
        vm_->runTopLevel([&] {
            Value prototype;
            vm_->lookup(constructor, QStringLiteral("prototype"), prototype);
            self->setProto(prototype.object());
            self->define(QStringLiteral("__constructor__"), Value(constructor), propflag::DontEnum);
            vm_->call(Value(constructor), Value(self), {});
        });
        return;
    }
}

void Avm1Host::clipEvent(DisplayObject& object, uint32_t event, int keyCode) {
    Pending p;
    p.object = object.shared_from_this();
    p.event = event;
    p.keyCode = keyCode;
    p.method = eventMethod(event);
    if (event == clipevent::Construct) {
        construct(object);
        return;
    }
    if (event == clipevent::Initialize) {
        runPending(p);
        return;
    }
    queue_.push_back(std::move(p));
}

void Avm1Host::buttonEvent(DisplayObject& object, uint16_t condition, int keyCode) {
    if (Button* button = object.asButton()) {
        MovieClip* parent = button->parent();
        Pending p;
        p.object = object.shared_from_this();
        p.target = parent ? objectOf(*parent) : nullptr;
        for (const ButtonAction& a : button->button().actions()) {
            const bool matches = condition ? (a.conditions & condition) != 0
                                           : buttoncond::keyCode(a.conditions) == keyCode;
            if (matches)
                p.code.push_back(a.code);
        }
        if (!p.code.empty())
            queue_.push_back(std::move(p));
    }
    const QString method = buttonMethod(condition);
    if (method.isEmpty())
        return;
    Pending handler;
    handler.object = object.shared_from_this();
    handler.method = method;
    queue_.push_back(std::move(handler));
}

void Avm1Host::runPending(Pending& p) {
    std::shared_ptr<DisplayObject> object = p.object.lock();
    if (!object)
        return;
    // Only unload still reaches a clip that left the tree.
    if (object->removed() && p.event != clipevent::Unload)
        return;
    Object* self = objectOf(*object);
    const Movie* movie = object->movie();
    const int version = movie ? movie->header().version : vm_->version();
    Object* target = p.target ? p.target : self;
    for (const ActionCode& code : p.code)
        runCode(target, code, version);
    if (p.event) {
        if (MovieClip* mc = object->asMovieClip(); mc && mc->clipActions()) {
            for (const ClipActionRecord& r : *mc->clipActions()) {
                if (!(r.events & p.event))
                    continue;
                if (p.event == clipevent::KeyPress && r.keyCode != p.keyCode)
                    continue;
                runCode(self, r.code, version);
            }
        }
    }
    if (!p.method.isEmpty()) {
        // Even finding the handler runs script (getters, prototype loops), so it is bounded
        // like any other.
        vm_->runTopLevel([&] {
            Value fn;
            if (vm_->lookup(self, p.method, fn) && fn.object() && fn.object()->isFunction())
                vm_->call(fn, Value(self), {});
        });
    }
}

void Avm1Host::runQueuedActions() {
    // Code that runs may queue more; a nested call just lets the outer loop carry on.
    if (running_)
        return;
    // What was typed since the last frame reaches the variables before scripts read them.
    textVariables_.sync();
    running_ = true;
    auto drain = [this] {
        while (!queue_.empty()) {
            Pending p = std::move(queue_.front());
            queue_.pop_front();
            vm_->checkBudget();
            runPending(p);
        }
    };
    // One time limit for the whole pass: scripts that keep queueing more (a frame that goes
    // to itself) are stopped like a loop inside one script.
    vm_->runTopLevel([&] {
        drain();
        vm_->runTimers();
        drain();
    });
    queue_.clear();
    running_ = false;
    textVariables_.sync();
    vm_->maybeCollectGarbage();
}

void Avm1Host::textFieldJoined(TextField& field) {
    std::weak_ptr<DisplayObject> weak = field.shared_from_this();
    // Typing, pasting and cutting tell the field's onChanged and its listeners.
    field.setChangeHandler([this, weak] {
        auto object = weak.lock();
        if (!object)
            return;
        textVariables_.sync();
        const Value self(objectOf(*object));
        vm_->runTopLevel([&] {
            vm_->callMethod(self, QStringLiteral("onChanged"), {&self, 1});
            if (auto* list = dynamic_cast<ArrayObject*>(
                    vm_->getMember(self, QStringLiteral("_listeners")).object())) {
                const std::vector<Value> targets = list->elements();
                for (const Value& t : targets)
                    if (t.object() != self.object()) // the field itself heard it above
                        vm_->callMethod(t, QStringLiteral("onChanged"), {&self, 1});
            }
        });
    });
    watchScrolling(*this, field);
    textVariables_.bind(field);
}

void Avm1Host::textLinkFunction(TextField& field, const QString& function,
                                const QString& argument) {
    callLinkFunction(*this, field, function, argument);
}

void Avm1Host::objectRemoved(DisplayObject& object) {
    if (auto* bridge = dynamic_cast<DisplayClip*>(object.scriptSlot()))
        vm_->clipRemoved(bridge);
}

bool Avm1Host::actsAsButton(DisplayObject& object) {
    Object* self = objectOf(object);
    bool found = false;
    vm_->runTopLevel([&] {
        for (const char* name : {"onPress", "onRelease", "onReleaseOutside", "onRollOver",
                                 "onRollOut", "onDragOver", "onDragOut"}) {
            Value fn;
            if (vm_->lookup(self, QLatin1String(name), fn) && fn.object() &&
                fn.object()->isFunction()) {
                found = true;
                return;
            }
        }
    });
    return found;
}

void Avm1Host::stageEvent(StageEvent event, int keyCode) {
    (void)keyCode;
    QString object, message;
    switch (event) {
    case StageEvent::MouseDown:
        object = QStringLiteral("Mouse"), message = QStringLiteral("onMouseDown");
        break;
    case StageEvent::MouseUp:
        object = QStringLiteral("Mouse"), message = QStringLiteral("onMouseUp");
        break;
    case StageEvent::MouseMove:
        object = QStringLiteral("Mouse"), message = QStringLiteral("onMouseMove");
        break;
    case StageEvent::KeyDown:
        object = QStringLiteral("Key"), message = QStringLiteral("onKeyDown");
        break;
    case StageEvent::KeyUp:
        object = QStringLiteral("Key"), message = QStringLiteral("onKeyUp");
        break;
    case StageEvent::Resize:
        object = QStringLiteral("Stage"), message = QStringLiteral("onResize");
        break;
    }
    const Value arg(message);
    vm_->runTopLevel([&] {
        const Value broadcaster = vm_->getMember(Value(vm_->global()), object);
        vm_->callMethod(broadcaster, QStringLiteral("broadcastMessage"),
                        std::span<const Value>(&arg, 1));
    });
}

ClipBridge* Avm1Host::level(int n) {
    MovieClip* mc = stage_.level(n);
    return mc ? DisplayClip::of(*mc, *this) : nullptr;
}

ClipBridge* Avm1Host::focus() {
    DisplayObject* f = stage_.focus();
    return f ? DisplayClip::of(*f, *this) : nullptr;
}

bool Avm1Host::setFocus(ClipBridge* object) {
    auto* d = dynamic_cast<DisplayClip*>(object);
    if (object && !d)
        return false;
    return stage_.setFocus(d ? &d->object() : nullptr);
}

void Avm1Host::focusChanged(DisplayObject* oldFocus, DisplayObject* newFocus) {
    const Value oldValue = oldFocus ? Value(objectOf(*oldFocus)) : Value::null();
    const Value newValue = newFocus ? Value(objectOf(*newFocus)) : Value::null();
    vm_->runTopLevel([&] {
        // The objects hear it first, then Selection's listeners.
        if (oldFocus)
            vm_->callMethod(oldValue, QStringLiteral("onKillFocus"), {&newValue, 1});
        if (newFocus)
            vm_->callMethod(newValue, QStringLiteral("onSetFocus"), {&oldValue, 1});
        const Value selection = vm_->getMember(Value(vm_->global()), QStringLiteral("Selection"));
        if (selection.object()) {
            const Value args[] = {Value(QStringLiteral("onSetFocus")), oldValue, newValue};
            vm_->callMethod(selection, QStringLiteral("broadcastMessage"), args);
        }
    });
}

void Avm1Host::loadLevel(int n, const QString& url, ClipBridge::LoadDone done) {
    stage_.loadMovieNum(n, url, [done = std::move(done)](bool ok, qint64 bytes) {
        if (done)
            done(ok, double(bytes));
    });
}

bool Avm1Host::isKeyDown(int keyCode) const {
    return stage_.isKeyDown(keyCode);
}
int Avm1Host::lastKeyCode() const {
    return stage_.lastKeyCode();
}
int Avm1Host::lastAscii() const {
    return stage_.lastAscii();
}
void Avm1Host::setMouseHidden(bool hidden) {
    stage_.setMouseHidden(hidden);
}

QRectF Avm1Host::stageRect() const {
    const QRectF r = stage_.stageRect();
    return QRectF(r.x() / 20, r.y() / 20, r.width() / 20, r.height() / 20);
}

void Avm1Host::fsCommand(const QString& command, const QString& args) {
    stage_.fsCommand(command, args);
}

void Avm1Host::applyVariables(DisplayObject& target, const QByteArray& text) {
    Object* self = objectOf(target);
    // Variables arrive as a form: name=value pairs joined by "&", "+" for spaces.
    QByteArray body = text;
    body.replace('+', ' ');
    const QUrlQuery query(QString::fromUtf8(body).trimmed());
    vm_->runTopLevel([&] {
        for (const auto& [name, value] : query.queryItems(QUrl::FullyDecoded))
            vm_->setMember(Value(self), name, Value(value));
    });
    clipEvent(target, clipevent::Data);
}

} // namespace swf::avm1
