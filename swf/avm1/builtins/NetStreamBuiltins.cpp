#include "swf/avm1/Avm1Host.h"
#include "swf/avm1/DisplayClip.h"
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

// A progressive FLV is kept on disk beyond its first megabytes; anything larger than this is
// refused rather than letting a movie fill the disk.
constexpr qint64 kMaxFlvBytes = 2ll << 30;

// One file on its way. The host's callbacks only note what came, and may come after the
// stream is gone; the stream takes it in on its next turn.
struct Download {
    std::shared_ptr<media::Spool> spool = std::make_shared<media::Spool>(kMaxFlvBytes);
    qint64 total = -1;
    bool changed = false;
    bool done = false;
    bool ok = false;
    std::unique_ptr<PlayerHost::PieceLoad> handle; // dropping it cancels the transfer
};

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
    std::shared_ptr<Download> download; // the file of the last play, while it arrives
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

std::shared_ptr<Download> startDownload(Vm& vm, const QString& url) {
    auto download = std::make_shared<Download>();
    PlayerHost* host = vm.host();
    if (!host) {
        download->done = true;
        return download;
    }
    const std::weak_ptr<Download> weak = download;
    PlayerHost::PieceCallbacks callbacks;
    callbacks.size = [weak](qint64 total) {
        if (auto d = weak.lock())
            d->total = total;
    };
    callbacks.piece = [weak](const QByteArray& piece) {
        auto d = weak.lock();
        if (!d || d->done)
            return;
        d->changed = true;
        if (!d->spool->append(piece)) {
            // Too large, or the disk is full: what came so far still plays.
            d->done = true;
            d->ok = d->spool->size() > 0;
        }
    };
    callbacks.done = [weak](bool ok) {
        auto d = weak.lock();
        if (!d || d->done)
            return;
        d->done = true;
        // A transfer broken off halfway plays what it brought.
        d->ok = ok || d->spool->size() > 0;
    };
    download->handle =
        host->loadInPieces(resolveAgainstMovie(vm, url), kMaxFlvBytes, std::move(callbacks));
    return download;
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
    if (const std::shared_ptr<Download> d = ns->download; d && (d->changed || d->done)) {
        d->changed = false;
        if (d->done && !d->ok) {
            playback.notFound();
        } else {
            Stage* stage = stageOf(vm);
            playback.arrived(d->total, d->done, now, stage ? stage->videoHost() : nullptr);
        }
        if (d->done)
            ns->download.reset();
    }
    playback.advance(now);
    for (const media::FlvPlayback::Event& event : playback.takeEvents()) {
        if (const auto* status = std::get_if<media::FlvPlayback::Status>(&event)) {
            const Value info = statusInfo(vm, status->code, status->level);
            if (status->details)
                info.object()->define(QStringLiteral("details"), Value(*status->details));
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
        if (!ns->playback->active() && !ns->download) {
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

// Flash gives a stream its time, byte counts and buffer figures when it is made on a
// connection, as properties of the stream itself; one made on nothing has none of them.
void defineStreamProperties(Vm& vm, Object* stream) {
    auto number = [](double (*read)(const media::FlvPlayback&)) {
        return [read](Vm&, CallArgs& c) -> Value {
            NetStreamObject* ns = streamOf(c.thisv);
            return ns ? Value(read(*ns->playback)) : Value();
        };
    };
    defineAccessor(vm, stream, "time", number([](const media::FlvPlayback& p) {
                       return std::floor(p.timeMs()) / 1000.0;
                   }));
    defineAccessor(vm, stream, "bytesLoaded",
                   number([](const media::FlvPlayback& p) { return p.bytesLoaded(); }));
    defineAccessor(vm, stream, "bytesTotal",
                   number([](const media::FlvPlayback& p) { return p.bytesTotal(); }));
    defineAccessor(vm, stream, "bufferLength",
                   number([](const media::FlvPlayback& p) { return p.bufferLengthSeconds(); }));
    defineAccessor(vm, stream, "bufferTime",
                   number([](const media::FlvPlayback& p) { return p.bufferTime(); }));
    defineAccessor(vm, stream, "currentFps", number([](const media::FlvPlayback& p) {
                       return p.playing() ? p.framesPerSecond() : 0.0;
                   }));
    defineAccessor(vm, stream, "liveDelay", number([](const media::FlvPlayback&) { return 0.0; }));
}

void installNetStreamClass(Vm& vm) {
    Object* proto = vm.newObject();
    NativeFunction* ctor = vm.defineClass(
        vm.global(), QStringLiteral("NetStream"),
        [](Vm& vm, CallArgs& c) -> Value {
            NetStreamObject* ns = streamOf(c.thisv);
            if (!ns)
                return Value();
            ns->connection = c.arg(0);
            if (dynamic_cast<NetConnectionObject*>(c.arg(0).object()))
                defineStreamProperties(vm, ns);
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
        // The last file's transfer ends before the next begins.
        ns->download.reset();
        ns->download = startDownload(vm, url);
        ns->playback->play(vm.timeMs(), ns->download->spool);
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
        // Stops the download too.
        ns->download.reset();
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
    vm.defineMethod(proto, QStringLiteral("receiveAudio"), [](Vm& vm, CallArgs& c) -> Value {
        if (NetStreamObject* ns = streamOf(c.thisv))
            ns->playback->setReceiveAudio(vm.toBoolean(c.arg(0)));
        return Value();
    });
    // Streams read from files have nothing to send back to a server.
    for (const char* name : {"attachAudio", "attachVideo", "publish", "send", "receiveVideo"})
        vm.defineMethod(proto, QLatin1String(name), [](Vm&, CallArgs&) { return Value(); });
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

// MovieClip.attachAudio(stream): the stream's sound then belongs to the clip, so a Sound
// object made on the clip sets its volume and balance.
void installAttachAudio(Vm& vm) {
    const Value movieClip = vm.getMember(Value(vm.global()), QStringLiteral("MovieClip"));
    Object* proto = vm.getMember(movieClip, QStringLiteral("prototype")).object();
    if (!proto)
        return;
    vm.defineMethod(
        proto, QStringLiteral("attachAudio"),
        [](Vm& vm, CallArgs& c) -> Value {
            NetStreamObject* ns = streamOf(c.arg(0));
            auto* clip = dynamic_cast<MovieClipObject*>(c.thisObject());
            auto* live = clip ? dynamic_cast<DisplayClip*>(clip->clip(vm)) : nullptr;
            if (!ns || !live)
                return Value();
            ns->playback->setAudioOwner(static_cast<const void*>(&live->object()));
            return Value();
        },
        propflag::DontEnum | propflag::OnlySwf6Up);
}

} // namespace

void installNetStream(Vm& vm) {
    installNetConnection(vm);
    installNetStreamClass(vm);
    installVideo(vm);
    installAttachAudio(vm);
    // Flash Player 6 brought streamed video; SWF 5 movies do not see these classes.
    for (const char* name : {"NetConnection", "NetStream", "Video"})
        if (Property* p = vm.global()->findOwn(QLatin1String(name)))
            p->flags |= propflag::OnlySwf6Up;
}

} // namespace swf::avm1::builtins
