#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ScriptAccess.h"
#include "swf/avm1/builtins/ScriptLoad.h"

#include <cmath>
#include <unordered_map>

namespace swf::avm1::builtins {

namespace {

// The volume, pan and channel mix of one clip (or of the whole movie). Every Sound object
// aimed at the same clip shares them, as in Flash.
struct Mix {
    double volume = 100;
    double pan = 0;
    double ll = 100, lr = 0, rl = 0, rr = 100;
};

// Keyed by the live display object, which is only compared, never followed.
using Mixes = std::unordered_map<const void*, Mix>;

class SoundObject : public Object {
public:
    using Object::Object;
    Value target;
    bool targeted = false;
    QString linkage;
    void markChildren(std::vector<Object*>& pending) override {
        Object::markChildren(pending);
        if (Object* o = target.object())
            pending.push_back(o);
    }
};

SoundObject* self(const CallArgs& c) {
    return dynamic_cast<SoundObject*>(c.thisObject());
}

// The mix a Sound object controls, or null when its clip is gone: Flash then answers
// undefined and ignores changes.
Mix* mixOf(Vm& vm, Mixes& mixes, SoundObject* s) {
    if (!s)
        return nullptr;
    if (!s->targeted)
        return &mixes[nullptr];
    auto* clip = dynamic_cast<MovieClipObject*>(s->target.object());
    if (!clip)
        return &mixes[nullptr];
    ClipBridge* live = clip->clip(vm);
    if (!live)
        return nullptr;
    return &mixes[live];
}

double panOf(const Mix& m) {
    if (m.ll < 100)
        return 100 - m.ll;
    if (m.rr < 100)
        return m.rr - 100;
    return 0;
}

} // namespace

void installSound(Vm& vm) {
    auto mixes = std::make_shared<Mixes>();
    Object* proto = vm.newObject();
    NativeFunction* ctor = vm.defineClass(
        vm.global(), QStringLiteral("Sound"),
        [](Vm&, CallArgs& c) -> Value {
            if (SoundObject* s = self(c)) {
                s->targeted = c.count() > 0 && !c.arg(0).isNullish();
                s->target = c.arg(0);
            }
            return Value();
        },
        proto);
    ctor->setAllocator([](Vm& vm, Object* p) -> Object* { return vm.heap().make<SoundObject>(p); });

    vm.defineMethod(proto, QStringLiteral("getVolume"), [mixes](Vm& vm, CallArgs& c) -> Value {
        Mix* m = mixOf(vm, *mixes, self(c));
        return m ? Value(m->volume) : Value();
    });
    vm.defineMethod(proto, QStringLiteral("setVolume"), [mixes](Vm& vm, CallArgs& c) -> Value {
        if (Mix* m = mixOf(vm, *mixes, self(c))) {
            const double v = vm.toNumber(c.arg(0));
            m->volume = std::isfinite(v) ? std::trunc(v) : 0;
        }
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("getPan"), [mixes](Vm& vm, CallArgs& c) -> Value {
        Mix* m = mixOf(vm, *mixes, self(c));
        return m ? Value(m->pan) : Value();
    });
    vm.defineMethod(proto, QStringLiteral("setPan"), [mixes](Vm& vm, CallArgs& c) -> Value {
        if (Mix* m = mixOf(vm, *mixes, self(c))) {
            const double p = vm.toNumber(c.arg(0));
            const double pan = std::isfinite(p) ? std::clamp(std::trunc(p), -100.0, 100.0) : 0;
            // Panning right quietens the left channel and the other way round.
            m->pan = pan;
            m->ll = pan > 0 ? 100 - pan : 100;
            m->rr = pan < 0 ? 100 + pan : 100;
            m->lr = m->rl = 0;
        }
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("getTransform"), [mixes](Vm& vm, CallArgs& c) -> Value {
        Mix* m = mixOf(vm, *mixes, self(c));
        if (!m)
            return Value();
        Object* t = vm.newObject();
        t->define(QStringLiteral("ll"), Value(m->ll));
        t->define(QStringLiteral("lr"), Value(m->lr));
        t->define(QStringLiteral("rr"), Value(m->rr));
        t->define(QStringLiteral("rl"), Value(m->rl));
        return Value(t);
    });
    vm.defineMethod(proto, QStringLiteral("setTransform"), [mixes](Vm& vm, CallArgs& c) -> Value {
        Mix* m = mixOf(vm, *mixes, self(c));
        const Value t = c.arg(0);
        if (!m || !t.object())
            return Value();
        auto take = [&](const char* name, double& into) {
            const Value v = field(vm, t, name);
            if (v.isUndefined())
                return;
            const double d = vm.toNumber(v);
            into = std::isfinite(d) ? std::clamp(std::trunc(d), -100.0, 100.0) : 0;
        };
        take("ll", m->ll);
        take("lr", m->lr);
        take("rl", m->rl);
        take("rr", m->rr);
        m->pan = panOf(*m);
        return Value();
    });
    // The library's sounds and playback belong to the sound engine; the object records what
    // it was asked to play so that engine can find it.
    vm.defineMethod(proto, QStringLiteral("attachSound"), [](Vm& vm, CallArgs& c) -> Value {
        if (SoundObject* s = self(c))
            s->linkage = vm.toString(c.arg(0));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("start"), [](Vm&, CallArgs&) { return Value(); });
    vm.defineMethod(proto, QStringLiteral("stop"), [](Vm&, CallArgs&) { return Value(); });
    vm.defineMethod(proto, QStringLiteral("loadSound"), [](Vm& vm, CallArgs& c) -> Value {
        SoundObject* s = self(c);
        if (!s)
            return Value();
        // The reply comes to a go-between that turns it into the sound's onLoad.
        Object* relay = vm.newObject();
        relay->define(QStringLiteral("sound"), c.thisv, propflag::DontEnum);
        vm.defineMethod(relay, QStringLiteral("onData"), [](Vm& vm, CallArgs& r) -> Value {
            const Value sound = vm.getMember(r.thisv, QStringLiteral("sound"));
            // A later loadSound on the same object replaced this one.
            if (vm.getMember(sound, QStringLiteral("_loadRelay")).object() != r.thisObject())
                return Value();
            const Value ok(!r.arg(0).isUndefined());
            if (Object* so = sound.object()) {
                for (const char* n : {"_bytesLoaded", "_bytesTotal"})
                    so->define(QLatin1String(n), vm.getMember(r.thisv, QLatin1String(n)),
                               propflag::DontEnum);
            }
            vm.callMethod(sound, QStringLiteral("onLoad"), {&ok, 1});
            return Value();
        });
        s->define(QStringLiteral("_loadRelay"), Value(relay), propflag::DontEnum);
        startScriptLoad(vm, Value(relay), vm.toString(c.arg(0)));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("getBytesLoaded"), [](Vm& vm, CallArgs& c) {
        return vm.getMember(c.thisv, QStringLiteral("_bytesLoaded"));
    });
    vm.defineMethod(proto, QStringLiteral("getBytesTotal"), [](Vm& vm, CallArgs& c) {
        return vm.getMember(c.thisv, QStringLiteral("_bytesTotal"));
    });
    // Nothing is known of a sound's length or place until the sound engine plays it.
    for (const char* n : {"getDuration", "getPosition"})
        vm.defineMethod(proto, QLatin1String(n), [](Vm&, CallArgs&) { return Value(); });
    for (const char* n : {"duration", "position"})
        defineAccessor(vm, proto, n, [](Vm&, CallArgs&) { return Value(); });
}

} // namespace swf::avm1::builtins
