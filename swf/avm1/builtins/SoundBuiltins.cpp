#include "swf/avm1/Avm1Host.h"
#include "swf/avm1/DisplayClip.h"
#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ScriptAccess.h"
#include "swf/avm1/builtins/ScriptLoad.h"

#include "swf/PlayerHost.h"
#include "swf/display/MovieClip.h"
#include "swf/display/SoundHost.h"
#include "swf/display/Stage.h"
#include "swf/format/Movie.h"
#include "swf/media/Mp3Info.h"

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
    uint16_t soundId = 0;         // the attached sound, 0 for none
    const Movie* movie = nullptr; // whose library it came from
    uint64_t token = 0;           // the instance started last
    int watcher = 0;              // the timer that listens for its end
    // A sound loadSound brought in (MP3), played instead of a library sound.
    std::shared_ptr<const SoundCharacter> loaded;
    double loadedMs = -1; // its length from its frames' headers
    double loadSeq = 0;
    void markChildren(std::vector<Object*>& pending) override {
        Object::markChildren(pending);
        if (Object* o = target.object())
            pending.push_back(o);
    }
};

// An MP3 file beyond this is not a sound effect or a song but an attempt on memory.
constexpr qint64 kMaxLoadedSoundBytes = 64ll << 20;

SoundObject* self(const CallArgs& c) {
    return dynamic_cast<SoundObject*>(c.thisObject());
}

// The clip a Sound is aimed at, looked up afresh each time: a name may come to mean another
// clip, or none. Null when it names nothing or is gone.
ClipBridge* aimedAt(Vm& vm, SoundObject* s) {
    Value target = s->target;
    if (!dynamic_cast<MovieClipObject*>(target.object())) {
        ClipBridge* root = vm.root();
        if (!target.isString() || !root)
            return nullptr;
        target =
            vm.resolveTarget(Value(static_cast<Object*>(vm.clipObject(root))), vm.toString(target));
    }
    auto* clip = dynamic_cast<MovieClipObject*>(target.object());
    ClipBridge* live = clip ? clip->clip(vm) : nullptr;
    return live;
}

// The mix a Sound object controls, or null when it is aimed at no clip: Flash then answers
// undefined and ignores changes.
Mix* mixOf(Vm& vm, Mixes& mixes, SoundObject* s) {
    if (!s)
        return nullptr;
    if (!s->targeted)
        return &mixes[nullptr];
    ClipBridge* live = aimedAt(vm, s);
    return live ? &mixes[live] : nullptr;
}

SoundHost* soundHost(Vm& vm) {
    auto* host = dynamic_cast<Avm1Host*>(vm.display());
    return host ? host->stage().soundHost() : nullptr;
}

// The display object a Sound is aimed at: its sounds are the ones it controls. Null for a
// Sound of the whole movie (or of a clip that is gone).
DisplayObject* targetObject(Vm& vm, SoundObject* s) {
    if (!s || !s->targeted)
        return nullptr;
    auto* live = dynamic_cast<DisplayClip*>(aimedAt(vm, s));
    return live ? &live->object() : nullptr;
}

const void* ownerOf(Vm& vm, SoundObject* s) {
    return static_cast<const void*>(targetObject(vm, s));
}

// The library attachSound looks in: the target clip's movie, else the main movie's.
const Movie* libraryOf(Vm& vm, SoundObject* s) {
    if (DisplayObject* o = targetObject(vm, s))
        return o->movie();
    auto* host = dynamic_cast<Avm1Host*>(vm.display());
    return host ? host->stage().root().movie() : nullptr;
}

// Tells the sound side what a mix now means for the sounds of its owner.
void applyMix(Vm& vm, SoundObject* s, const Mix& m) {
    SoundHost* host = soundHost(vm);
    if (!host)
        return;
    const float v = static_cast<float>(m.volume / 100.0);
    host->setOwnerGains(ownerOf(vm, s), static_cast<float>(m.ll / 100.0) * v,
                        static_cast<float>(m.lr / 100.0) * v, static_cast<float>(m.rl / 100.0) * v,
                        static_cast<float>(m.rr / 100.0) * v);
}

// The pan Flash reports: how far the left level is from full, else how far the right is,
// the levels taken as magnitudes.
double panOf(const Mix& m) {
    if (m.ll != 100)
        return 100 - std::abs(m.ll);
    return std::abs(m.rr) - 100;
}

// Levels are 32-bit whole numbers; Flash keeps them beyond 100 (louder) and below 0
// (inverted). What does not fit (NaN, the infinities, beyond 32 bits) becomes the lowest
// 32-bit number, as the conversion Flash uses makes it.
double level(double d) {
    constexpr double kLow = -2147483648.0;
    if (!std::isfinite(d) || d < kLow || d >= 2147483648.0)
        return kLow;
    return std::trunc(d);
}

// The aliases Flash gives the ID3 frames it knows by name.
const char* id3Alias(const QString& id) {
    static const std::pair<const char*, const char*> aliases[] = {
        {"COMM", "comment"}, {"TALB", "album"}, {"TCON", "genre"}, {"TIT2", "songname"},
        {"TPE1", "artist"},  {"TRCK", "track"}, {"TYER", "year"},
    };
    for (const auto& [frame, alias] : aliases)
        if (id == QLatin1String(frame))
            return alias;
    return nullptr;
}

// Sound.id3: each frame under its own name and its alias. The object has no prototype, as
// in Flash (it prints as undefined). Repeated comments gather into an array.
Value id3Object(Vm& vm, const std::vector<media::Id3Frame>& frames) {
    Object* o = vm.newObject();
    o->setProto(nullptr);
    for (const media::Id3Frame& f : frames) {
        const Value text(vm.clipString(f.text));
        if (const char* alias = id3Alias(f.id))
            o->define(QLatin1String(alias), text);
        if (f.id == QLatin1String("COMM")) {
            std::vector<Value> all;
            for (const media::Id3Frame& g : frames)
                if (g.id == f.id)
                    all.push_back(Value(vm.clipString(g.text)));
            if (all.size() > 1) {
                o->define(f.id, Value(static_cast<Object*>(vm.newArray(std::move(all)))));
                continue;
            }
        }
        o->define(f.id, text);
    }
    return Value(o);
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
            // Nothing (or undefined, or null) is silence; NaN is not.
            m->volume = c.arg(0).isNullish() ? 0 : level(vm.toNumber(c.arg(0)));
            applyMix(vm, self(c), *m);
        }
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("getPan"), [mixes](Vm& vm, CallArgs& c) -> Value {
        Mix* m = mixOf(vm, *mixes, self(c));
        return m ? Value(panOf(*m)) : Value();
    });
    vm.defineMethod(proto, QStringLiteral("setPan"), [mixes](Vm& vm, CallArgs& c) -> Value {
        if (Mix* m = mixOf(vm, *mixes, self(c))) {
            const double pan = c.arg(0).isNullish() ? 0 : level(vm.toNumber(c.arg(0)));
            // Panning right quietens the left channel and the other way round.
            m->pan = pan;
            m->ll = pan > 0 ? 100 - pan : 100;
            m->rr = pan < 0 ? 100 + pan : 100;
            m->lr = m->rl = 0;
            applyMix(vm, self(c), *m);
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
        // Every level the object has is taken, even one set to undefined (as 0); levels it
        // lacks keep their value.
        auto take = [&](const char* name, double& into) {
            const QString key = QLatin1String(name);
            bool has = false;
            for (Object* o = t.object(); o && !has; o = o->proto())
                has = o->findOwn(key) != nullptr;
            if (has)
                into = vm.toInt32(field(vm, t, name));
        };
        take("ll", m->ll);
        take("lr", m->lr);
        take("rl", m->rl);
        take("rr", m->rr);
        m->pan = panOf(*m);
        applyMix(vm, self(c), *m);
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("attachSound"), [](Vm& vm, CallArgs& c) -> Value {
        SoundObject* s = self(c);
        if (!s)
            return Value();
        s->linkage = vm.toString(c.arg(0));
        s->movie = libraryOf(vm, s);
        const auto id = s->movie ? s->movie->exportedId(s->linkage.toUtf8()) : std::nullopt;
        const Character* ch = id ? s->movie->character(*id) : nullptr;
        s->soundId = ch && ch->kind() == Character::Kind::Sound ? *id : 0;
        s->loaded.reset();
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("start"), [](Vm& vm, CallArgs& c) -> Value {
        SoundObject* s = self(c);
        SoundHost* host = soundHost(vm);
        if (!s || !host || ((!s->soundId || !s->movie) && !s->loaded))
            return Value();
        const double offsetArg = c.count() > 0 ? vm.toNumber(c.arg(0)) : 0;
        const double loopsArg = c.count() > 1 ? vm.toNumber(c.arg(1)) : 1;
        const double offset = std::isfinite(offsetArg) ? offsetArg : 0;
        const int loops =
            std::isfinite(loopsArg) ? static_cast<int>(std::clamp(loopsArg, 1.0, 65535.0)) : 1;
        s->token = s->loaded ? host->startLoadedSound(s->loaded, offset, loops, ownerOf(vm, s))
                             : host->startScriptSound(*s->movie, s->soundId, offset, loops,
                                                      ownerOf(vm, s));
        if (!s->token)
            return Value();
        // Listens each turn for the end of the instance started last, for onSoundComplete.
        if (s->watcher)
            vm.clearTimer(s->watcher);
        Object* relay = vm.newObject();
        relay->define(QStringLiteral("sound"), c.thisv, propflag::DontEnum);
        relay->define(QStringLiteral("token"), Value(static_cast<double>(s->token)),
                      propflag::DontEnum);
        vm.defineMethod(relay, QStringLiteral("check"), [](Vm& vm, CallArgs& r) -> Value {
            const Value sound = vm.getMember(r.thisv, QStringLiteral("sound"));
            auto* so = dynamic_cast<SoundObject*>(sound.object());
            const auto token =
                static_cast<uint64_t>(vm.toNumber(vm.getMember(r.thisv, QStringLiteral("token"))));
            SoundHost* host = soundHost(vm);
            // A newer start has a watcher of its own.
            if (!so || !host || so->token != token)
                return Value();
            if (host->soundPlaying(token))
                return Value();
            vm.clearTimer(so->watcher);
            so->watcher = 0;
            if (host->takeSoundCompleted(token))
                vm.callMethod(sound, QStringLiteral("onSoundComplete"), {});
            return Value();
        });
        s->watcher = vm.addTimer(Value(relay), QStringLiteral("check"), {}, 0, false);
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("stop"), [](Vm& vm, CallArgs& c) -> Value {
        SoundObject* s = self(c);
        SoundHost* host = soundHost(vm);
        if (!s || !host)
            return Value();
        uint16_t id = 0;
        if (c.count() > 0 && !c.arg(0).isUndefined()) {
            // A linkage name stops that sound only; one the library lacks stops nothing.
            const Movie* movie = libraryOf(vm, s);
            const auto found =
                movie ? movie->exportedId(vm.toString(c.arg(0)).toUtf8()) : std::nullopt;
            if (!found)
                return Value();
            id = *found;
        }
        host->stopScriptSounds(ownerOf(vm, s), id);
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("loadSound"), [](Vm& vm, CallArgs& c) -> Value {
        SoundObject* s = self(c);
        const QString url = vm.toString(c.arg(0));
        if (!s || url.isEmpty())
            return Value();
        const bool streaming = vm.toBoolean(c.arg(1));
        const double seq = ++s->loadSeq;
        s->define(QStringLiteral("_bytesLoaded"), Value(0), propflag::DontEnum);
        s->define(QStringLiteral("_bytesTotal"), Value(), propflag::DontEnum);
        // Script hears of the bytes on the machine's timer turn, never inside this call.
        const auto arrival = requestLoad(vm, url, kMaxLoadedSoundBytes);
        Object* relay = vm.newObject();
        relay->define(QStringLiteral("sound"), c.thisv, propflag::DontEnum);
        auto timer = std::make_shared<int>(0);
        vm.defineMethod(
            relay, QStringLiteral("check"),
            [arrival, timer, seq, streaming](Vm& vm, CallArgs& r) -> Value {
                if (!arrival->done)
                    return Value();
                vm.clearTimer(*timer);
                const Value sound = vm.getMember(r.thisv, QStringLiteral("sound"));
                auto* so = dynamic_cast<SoundObject*>(sound.object());
                // A later loadSound on the same object replaced this one.
                if (!so || so->loadSeq != seq)
                    return Value();
                const bool ok = arrival->ok && !arrival->bytes.isEmpty();
                if (ok) {
                    const double size = static_cast<double>(arrival->bytes.size());
                    so->define(QStringLiteral("_bytesLoaded"), Value(size), propflag::DontEnum);
                    so->define(QStringLiteral("_bytesTotal"), Value(size), propflag::DontEnum);
                    SoundFormatInfo format;
                    format.format = soundformat::Mp3;
                    // The two bytes DefineSound's MP3 data opens with.
                    QByteArray data(2, '\0');
                    data.append(arrival->bytes);
                    const auto tags = media::Mp3Info::id3(arrival->bytes);
                    if (!tags.empty()) {
                        so->define(QStringLiteral("id3"), id3Object(vm, tags), propflag::DontEnum);
                        // Flash hands onID3 the same success flag as onLoad.
                        const Value found(true);
                        vm.callMethod(sound, QStringLiteral("onID3"), {&found, 1});
                    }
                    // onID3 may have loaded something else into this object.
                    if (so->loadSeq != seq)
                        return Value();
                    so->loadedMs = media::Mp3Info::durationMs(arrival->bytes);
                    so->loaded = std::make_shared<SoundCharacter>(0, format, 0, std::move(data));
                    so->soundId = 0;
                }
                arrival->bytes.clear();
                const Value result(ok);
                vm.callMethod(sound, QStringLiteral("onLoad"), {&result, 1});
                if (ok && streaming)
                    vm.callMethod(sound, QStringLiteral("start"), {});
                return Value();
            });
        *timer = vm.addTimer(Value(relay), QStringLiteral("check"), {}, 0, false);
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("getBytesLoaded"), [](Vm& vm, CallArgs& c) {
        return vm.getMember(c.thisv, QStringLiteral("_bytesLoaded"));
    });
    vm.defineMethod(proto, QStringLiteral("getBytesTotal"), [](Vm& vm, CallArgs& c) {
        return vm.getMember(c.thisv, QStringLiteral("_bytesTotal"));
    });
    // Milliseconds, as whole numbers; undefined while no sound is attached.
    const auto duration = [](Vm& vm, CallArgs& c) -> Value {
        SoundObject* s = self(c);
        // A loaded MP3's length comes from its frame headers: decoding a whole song only to
        // say how long it is would cost more than playing it.
        if (s && s->loaded && s->loadedMs >= 0)
            return Value(std::round(s->loadedMs));
        // While a file loads, its length is not known yet: nothing, rather than no sound.
        if (s && !s->loaded && s->loadSeq > 0)
            return Value(0);
        SoundHost* host = soundHost(vm);
        if (!s || !host || ((!s->soundId || !s->movie) && !s->loaded))
            return Value();
        const double ms = s->loaded ? host->loadedSoundDurationMs(s->loaded)
                                    : host->soundDurationMs(*s->movie, s->soundId);
        return ms < 0 ? Value() : Value(ms);
    };
    const auto position = [](Vm& vm, CallArgs& c) -> Value {
        SoundObject* s = self(c);
        if (s && !s->loaded && s->loadSeq > 0)
            return Value(0);
        SoundHost* host = soundHost(vm);
        if (!s || !host || (!s->soundId && !s->loaded))
            return Value();
        const double ms = s->token ? host->soundPositionMs(s->token) : 0;
        return Value(ms < 0 ? 0.0 : std::floor(ms));
    };
    vm.defineMethod(proto, QStringLiteral("getDuration"), duration);
    vm.defineMethod(proto, QStringLiteral("getPosition"), position);
    defineAccessor(vm, proto, "duration", duration);
    defineAccessor(vm, proto, "position", position);
}

} // namespace swf::avm1::builtins
