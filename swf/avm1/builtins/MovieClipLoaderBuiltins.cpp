// MovieClipLoader: loads a movie into a clip or a level and tells its listeners how it goes
// (onLoadStart, onLoadProgress, onLoadComplete, then onLoadInit once the movie's first frame
// has run, or onLoadError). The loader is its own first listener.

#include "swf/avm1/ArrayObject.h"
#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

#include <memory>

namespace swf::avm1::builtins {

namespace {

struct Outcome {
    bool done = false;
    bool ok = false;
    double bytes = 0;
};

// Where a loadClip target points: a clip, or a level by number or "_levelN".
struct Target {
    ClipBridge* clip = nullptr;
    int level = -1;
};

Target resolve(Vm& vm, const Value& v) {
    Target t;
    if (v.isNumber()) {
        t.level = v.number() >= 0 && v.number() < 65536 ? int(v.number()) : -1;
    } else if (v.isString()) {
        const QString s = v.string().trimmed();
        bool isNumber = false;
        const int n = s.startsWith(QLatin1String("_level"), Qt::CaseInsensitive)
                          ? s.mid(6).toInt(&isNumber)
                          : -1;
        if (isNumber && n >= 0 && n < 65536 && !s.mid(6).contains(QLatin1Char('.'))) {
            t.level = n;
            return t;
        }
        ClipBridge* root = vm.root();
        if (root) {
            const Value found =
                vm.resolveTarget(Value(static_cast<Object*>(vm.clipObject(root))), s);
            if (auto* o = dynamic_cast<MovieClipObject*>(found.object()))
                t.clip = o->clip(vm);
        }
    } else if (auto* o = dynamic_cast<MovieClipObject*>(v.object())) {
        t.clip = o->clip(vm);
    }
    return t;
}

Value clipValue(Vm& vm, ClipBridge* clip) {
    return clip ? Value(static_cast<Object*>(vm.clipObject(clip))) : Value();
}

void broadcast(Vm& vm, const Value& loader, const char* event, std::vector<Value> args) {
    args.insert(args.begin(), Value(QLatin1String(event)));
    vm.callMethod(loader, QStringLiteral("broadcastMessage"), args);
}

// Waits for the outcome frame by frame, kept alive by its timer, then tells the listeners.
void watch(Vm& vm, const Value& loader, const Target& target, std::shared_ptr<Outcome> outcome,
           const QString& levelPath) {
    auto timerId = std::make_shared<int>(0);
    auto initPending = std::make_shared<bool>(false);
    auto selfRef = std::make_shared<Object*>(nullptr);
    NativeFunction* poll = vm.newNative(
        [outcome, timerId, initPending, selfRef, levelPath](Vm& vm, CallArgs&) -> Value {
            Object* self = *selfRef;
            if (!outcome->done || !self)
                return Value();
            const Value loader = vm.getMember(Value(self), QStringLiteral("loader"));
            Value clip = vm.getMember(Value(self), QStringLiteral("clip"));
            if (!levelPath.isEmpty())
                clip = vm.resolveTarget(Value(vm.global()), levelPath);
            if (*initPending) {
                // The loaded movie's first frame has run by now.
                vm.clearTimer(*timerId);
                broadcast(vm, loader, "onLoadInit", {clip});
                return Value();
            }
            if (!outcome->ok) {
                vm.clearTimer(*timerId);
                // No HTTP status reached us: Flash reports 0.
                broadcast(vm, loader, "onLoadError",
                          {clip, Value(QStringLiteral("URLNotFound")), Value(0)});
                return Value();
            }
            broadcast(vm, loader, "onLoadStart", {clip});
            broadcast(vm, loader, "onLoadProgress",
                      {clip, Value(outcome->bytes), Value(outcome->bytes)});
            broadcast(vm, loader, "onLoadComplete", {clip, Value(200)});
            *initPending = true;
            return Value();
        });
    *selfRef = poll;
    // What the function keeps as properties, the collector sees through its timer.
    poll->define(QStringLiteral("loader"), loader, propflag::DontEnum);
    poll->define(QStringLiteral("clip"), clipValue(vm, target.clip), propflag::DontEnum);
    *timerId = vm.addTimer(Value(static_cast<Object*>(poll)), QString(), {}, 0, false);
}

} // namespace

void installMovieClipLoader(Vm& vm) {
    Object* proto = vm.newObject();
    vm.defineClass(
        vm.global(), QStringLiteral("MovieClipLoader"),
        [](Vm& vm, CallArgs& c) -> Value {
            if (!c.construct || !c.thisObject())
                return Value();
            const Value broadcaster =
                vm.getMember(Value(vm.global()), QStringLiteral("AsBroadcaster"));
            const Value self = c.thisv;
            vm.callMethod(broadcaster, QStringLiteral("initialize"), {&self, 1});
            vm.callMethod(self, QStringLiteral("addListener"), {&self, 1});
            return Value();
        },
        proto);
    vm.global()->findOwn(QStringLiteral("MovieClipLoader"))->flags |= propflag::OnlySwf7Up;

    vm.defineMethod(proto, QStringLiteral("loadClip"), [](Vm& vm, CallArgs& c) -> Value {
        const QString url = vm.toString(c.arg(0));
        const Target target = resolve(vm, c.arg(1));
        if (url.trimmed().isEmpty() || (!target.clip && target.level < 0))
            return Value(false);
        auto outcome = std::make_shared<Outcome>();
        auto done = [outcome](bool ok, double bytes) {
            outcome->done = true;
            outcome->ok = ok;
            outcome->bytes = bytes;
        };
        if (target.clip) {
            target.clip->loadClip(url, done);
            watch(vm, c.thisv, target, outcome, QString());
        } else {
            DisplayBridge* display = vm.display();
            if (!display)
                return Value(false);
            display->loadLevel(target.level, url, done);
            watch(vm, c.thisv, target, outcome, QStringLiteral("_level%1").arg(target.level));
        }
        return Value(true);
    });
    vm.defineMethod(proto, QStringLiteral("unloadClip"), [](Vm& vm, CallArgs& c) -> Value {
        const Target target = resolve(vm, c.arg(0));
        if (target.clip)
            target.clip->loadClip(QString(), {});
        else if (target.level >= 0 && vm.display())
            vm.display()->loadLevel(target.level, QString(), {});
        else
            return Value(false);
        return Value(true);
    });
    vm.defineMethod(proto, QStringLiteral("getProgress"), [](Vm& vm, CallArgs& c) -> Value {
        Target target = resolve(vm, c.arg(0));
        if (!target.clip && target.level >= 0 && vm.display())
            target.clip = vm.display()->level(target.level);
        if (!target.clip)
            return Value();
        Object* out = vm.newObject();
        out->define(QStringLiteral("bytesLoaded"), Value(target.clip->bytesLoaded()));
        out->define(QStringLiteral("bytesTotal"), Value(target.clip->bytesTotal()));
        return Value(out);
    });
}

} // namespace swf::avm1::builtins
