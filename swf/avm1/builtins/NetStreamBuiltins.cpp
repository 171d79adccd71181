#include "swf/avm1/Avm1Host.h"
#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ScriptAccess.h"
#include "swf/avm1/builtins/ScriptLoad.h"

#include "swf/PlayerHost.h"
#include "swf/display/Stage.h"
#include "swf/media/FlvPlayback.h"
#include "swf/media/SoundEngine.h"

#include <cmath>
#include <memory>

namespace swf::avm1::builtins {

namespace {

// A progressive FLV is read whole into memory; anything larger is refused rather than
// letting a movie take the machine's memory.
constexpr qint64 kMaxFlvBytes = 512ll << 20;

class NetConnectionObject : public Object {
public:
    using Object::Object;
    bool connected = false;
    bool pending = false; // a connection to a server was asked for; none is ever made
};

class NetStreamObject : public Object {
public:
    using Object::Object;
    std::shared_ptr<media::FlvPlayback> playback = std::make_shared<media::FlvPlayback>();
    std::shared_ptr<LoadArrival> arrival; // the load of the last play, until taken
    Value connection;
    int timer = 0;
    void markChildren(std::vector<Object*>& pending) override {
        Object::markChildren(pending);
        if (Object* o = connection.object())
            pending.push_back(o);
    }
};

Stage* stageOf(Vm& vm) {
    auto* host = dynamic_cast<Avm1Host*>(vm.display());
    return host ? &host->stage() : nullptr;
}

media::SoundEngine* soundEngineOf(Vm& vm) {
    Stage* stage = stageOf(vm);
    return stage ? dynamic_cast<media::SoundEngine*>(stage->soundHost()) : nullptr;
}

Value statusInfo(Vm& vm, const QString& code, const QString& level) {
    Object* info = vm.newObject();
    // Flash lists the newest member first, so level comes out before code.
    info->define(QStringLiteral("code"), Value(code));
    info->define(QStringLiteral("level"), Value(level));
    return Value(info);
}

Value fromAmf(Vm& vm, const media::AmfValue& v) {
    using T = media::AmfValue::Type;
    switch (v.type) {
    case T::Undefined:
        return Value();
    case T::Null:
        return Value::null();
    case T::Number:
        return Value(v.number);
    case T::Boolean:
        return Value(v.number != 0);
    case T::String:
        return Value(vm.clipString(v.string));
    case T::Date: {
        const Value ms(v.number);
        return vm.construct(vm.getMember(Value(vm.global()), QStringLiteral("Date")), {&ms, 1});
    }
    case T::Array: {
        std::vector<Value> elements;
        elements.reserve(v.members.size());
        for (const auto& [name, member] : v.members)
            elements.push_back(fromAmf(vm, member));
        return Value(static_cast<Object*>(vm.newArray(std::move(elements))));
    }
    case T::Object: {
        Object* o = vm.newObject();
        for (const auto& [name, member] : v.members)
            o->define(name, fromAmf(vm, member));
        return Value(o);
    }
    }
    return Value();
}

NetStreamObject* streamOf(const Value& v) {
    return dynamic_cast<NetStreamObject*>(v.object());
}

// Hands the stream what arrived, moves its clock and tells script what happened, in order.
void pump(Vm& vm, const Value& self) {
    NetStreamObject* ns = streamOf(self);
    if (!ns)
        return;
    media::FlvPlayback& playback = *ns->playback;
    playback.setSoundEngine(soundEngineOf(vm));
    const double now = vm.timeMs();
    if (ns->arrival && ns->arrival->done) {
        const std::shared_ptr<LoadArrival> arrival = std::move(ns->arrival);
        if (arrival->ok) {
            Stage* stage = stageOf(vm);
            playback.setData(arrival->bytes, true, now, stage ? stage->videoHost() : nullptr);
        } else {
            playback.notFound();
        }
    }
    playback.advance(now);
    for (const media::FlvPlayback::Event& event : playback.takeEvents()) {
        if (const auto* status = std::get_if<media::FlvPlayback::Status>(&event)) {
            const Value info = statusInfo(vm, status->code, status->level);
            vm.callMethod(self, QStringLiteral("onStatus"), {&info, 1});
        } else {
            const auto& tag = std::get<media::FlvScriptTag>(event);
            const Value arg = fromAmf(vm, tag.value);
            vm.callMethod(self, tag.name, {&arg, 1});
        }
    }
}

// Keeps the stream's turn coming while it waits for bytes or plays.
void ensureTimer(Vm& vm, const Value& self) {
    NetStreamObject* ns = streamOf(self);
    if (!ns || ns->timer)
        return;
    Object* relay = vm.newObject();
    relay->define(QStringLiteral("stream"), self, propflag::DontEnum);
    vm.defineMethod(relay, QStringLiteral("tick"), [](Vm& vm, CallArgs& r) -> Value {
        const Value self = vm.getMember(r.thisv, QStringLiteral("stream"));
        NetStreamObject* ns = streamOf(self);
        if (!ns)
            return Value();
        pump(vm, self);
        // An ended or failed stream waits for a seek or play without holding a turn.
        if (!ns->playback->active() && !ns->arrival) {
            vm.clearTimer(ns->timer);
            ns->timer = 0;
        }
        return Value();
    });
    ns->timer = vm.addTimer(Value(relay), QStringLiteral("tick"), {}, 0, false);
}

void installNetConnection(Vm& vm) {
    Object* proto = vm.newObject();
    NativeFunction* ctor = vm.defineClass(
        vm.global(), QStringLiteral("NetConnection"), [](Vm&, CallArgs&) { return Value(); },
        proto);
    ctor->setAllocator(
        [](Vm& vm, Object* p) -> Object* { return vm.heap().make<NetConnectionObject>(p); });
    auto status = [](Vm& vm, const Value& self, const char* code) {
        const Value info = statusInfo(vm, QLatin1String(code), QStringLiteral("status"));
        vm.callMethod(self, QStringLiteral("onStatus"), {&info, 1});
    };
    vm.defineMethod(proto, QStringLiteral("connect"), [status](Vm& vm, CallArgs& c) -> Value {
        auto* nc = dynamic_cast<NetConnectionObject*>(c.thisObject());
        if (!nc)
            return Value(false);
        if (nc->connected || nc->pending) {
            nc->connected = nc->pending = false;
            status(vm, c.thisv, "NetConnection.Connect.Closed");
        }
        if (c.count() == 0 || c.arg(0).isNullish()) {
            // Progressive download: no server, the streams fetch their files themselves.
            nc->connected = true;
            setField(vm, c.thisv, "isConnected", Value(true));
            status(vm, c.thisv, "NetConnection.Connect.Success");
            return Value(true);
        }
        // Flash Media Server connections are not made; the attempt fails quietly later.
        nc->pending = true;
        setField(vm, c.thisv, "isConnected", Value(false));
        Object* relay = vm.newObject();
        relay->define(QStringLiteral("connection"), c.thisv, propflag::DontEnum);
        vm.defineMethod(relay, QStringLiteral("fail"), [](Vm& vm, CallArgs& r) -> Value {
            const Value self = vm.getMember(r.thisv, QStringLiteral("connection"));
            auto* nc = dynamic_cast<NetConnectionObject*>(self.object());
            if (nc && nc->pending) {
                nc->pending = false;
                vm.callMethod(self, QStringLiteral("onStatus"), {});
            }
            return Value();
        });
        vm.addTimer(Value(relay), QStringLiteral("fail"), {}, 0, true);
        return Value(true);
    });
    vm.defineMethod(proto, QStringLiteral("close"), [status](Vm& vm, CallArgs& c) -> Value {
        auto* nc = dynamic_cast<NetConnectionObject*>(c.thisObject());
        if (!nc || (!nc->connected && !nc->pending))
            return Value();
        nc->connected = false;
        setField(vm, c.thisv, "isConnected", Value(false));
        status(vm, c.thisv, "NetConnection.Connect.Closed");
        return Value();
    });
}

void installNetStreamClass(Vm& vm) {
    Object* proto = vm.newObject();
    NativeFunction* ctor = vm.defineClass(
        vm.global(), QStringLiteral("NetStream"),
        [](Vm&, CallArgs& c) -> Value {
            if (NetStreamObject* ns = streamOf(c.thisv))
                ns->connection = c.arg(0);
            return Value();
        },
        proto);
    ctor->setAllocator(
        [](Vm& vm, Object* p) -> Object* { return vm.heap().make<NetStreamObject>(p); });

    vm.defineMethod(proto, QStringLiteral("play"), [](Vm& vm, CallArgs& c) -> Value {
        NetStreamObject* ns = streamOf(c.thisv);
        const QString url = vm.toString(c.arg(0));
        if (!ns || c.count() == 0 || url.isEmpty())
            return Value();
        ns->playback->setSoundEngine(soundEngineOf(vm));
        ns->playback->play(vm.timeMs());
        ns->arrival = requestLoad(vm, url, kMaxFlvBytes);
        ensureTimer(vm, c.thisv);
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("pause"), [](Vm& vm, CallArgs& c) -> Value {
        NetStreamObject* ns = streamOf(c.thisv);
        if (!ns)
            return Value();
        std::optional<bool> want;
        if (c.count() > 0 && !c.arg(0).isUndefined())
            want = vm.toBoolean(c.arg(0));
        ns->playback->setSoundEngine(soundEngineOf(vm));
        ns->playback->pause(want, vm.timeMs());
        ensureTimer(vm, c.thisv);
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("seek"), [](Vm& vm, CallArgs& c) -> Value {
        NetStreamObject* ns = streamOf(c.thisv);
        if (!ns)
            return Value();
        ns->playback->setSoundEngine(soundEngineOf(vm));
        ns->playback->seek(vm.toNumber(c.arg(0)), vm.timeMs());
        ensureTimer(vm, c.thisv);
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("close"), [](Vm& vm, CallArgs& c) -> Value {
        NetStreamObject* ns = streamOf(c.thisv);
        if (!ns)
            return Value();
        ns->playback->close();
        ns->arrival.reset();
        if (ns->timer)
            vm.clearTimer(ns->timer);
        ns->timer = 0;
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("setBufferTime"), [](Vm& vm, CallArgs& c) -> Value {
        if (NetStreamObject* ns = streamOf(c.thisv))
            ns->playback->setBufferTime(vm.toNumber(c.arg(0)));
        return Value();
    });
    // Streams read from files have nothing to send back to a server.
    for (const char* name :
         {"attachAudio", "attachVideo", "publish", "send", "receiveAudio", "receiveVideo"})
        vm.defineMethod(proto, QLatin1String(name), [](Vm&, CallArgs&) { return Value(); });

    auto number = [](double (*read)(const media::FlvPlayback&)) {
        return [read](Vm&, CallArgs& c) -> Value {
            NetStreamObject* ns = streamOf(c.thisv);
            return ns ? Value(read(*ns->playback)) : Value();
        };
    };
    defineAccessor(vm, proto, "time", number([](const media::FlvPlayback& p) {
                       return std::floor(p.timeMs()) / 1000.0;
                   }));
    defineAccessor(vm, proto, "bytesLoaded",
                   number([](const media::FlvPlayback& p) { return p.bytesLoaded(); }));
    defineAccessor(vm, proto, "bytesTotal",
                   number([](const media::FlvPlayback& p) { return p.bytesTotal(); }));
    defineAccessor(vm, proto, "bufferLength",
                   number([](const media::FlvPlayback& p) { return p.bufferLengthSeconds(); }));
    defineAccessor(vm, proto, "bufferTime",
                   number([](const media::FlvPlayback& p) { return p.bufferTime(); }));
    defineAccessor(vm, proto, "currentFps", number([](const media::FlvPlayback& p) {
                       return p.playing() ? p.framesPerSecond() : 0.0;
                   }));
    defineAccessor(vm, proto, "liveDelay", number([](const media::FlvPlayback&) { return 0.0; }));
}

ClipBridge* placedVideo(Vm& vm, const Value& v) {
    auto* clip = dynamic_cast<MovieClipObject*>(v.object());
    ClipBridge* live = clip ? clip->clip(vm) : nullptr;
    return live && live->isVideo() ? live : nullptr;
}

void installVideo(Vm& vm) {
    Object* proto = vm.newObject();
    vm.defineClass(
        vm.global(), QStringLiteral("Video"), [](Vm&, CallArgs&) { return Value(); }, proto);
    vm.defineMethod(proto, QStringLiteral("attachVideo"), [](Vm& vm, CallArgs& c) -> Value {
        // The Video holds the playback itself: the pictures go on while the stream plays,
        // whatever becomes of the script object.
        NetStreamObject* ns = streamOf(c.arg(0));
        if (ClipBridge* placed = placedVideo(vm, c.thisv))
            placed->attachVideo(ns ? ns->playback : nullptr);
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("clear"), [](Vm& vm, CallArgs& c) -> Value {
        if (ClipBridge* placed = placedVideo(vm, c.thisv))
            placed->clearVideo();
        return Value();
    });
}

} // namespace

void installNetStream(Vm& vm) {
    installNetConnection(vm);
    installNetStreamClass(vm);
    installVideo(vm);
    // Flash Player 6 brought streamed video; SWF 5 movies do not see these classes.
    for (const char* name : {"NetConnection", "NetStream", "Video"})
        if (Property* p = vm.global()->findOwn(QLatin1String(name)))
            p->flags |= propflag::OnlySwf6Up;
}

} // namespace swf::avm1::builtins
