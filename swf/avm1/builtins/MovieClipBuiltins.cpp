#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

#include <cmath>

namespace swf::avm1::builtins {

namespace {

ClipBridge* clipOf(Vm& vm, CallArgs& c) {
    return swf::avm1::clipOf(vm, c.thisv);
}

void gotoArg(Vm& vm, ClipBridge* clip, const Value& frame, bool play) {
    if (frame.isString()) {
        // "path:frame" sends another timeline there, the path read from this clip.
        QString s = frame.string();
        if (const int colon = s.lastIndexOf(':'); colon > 0) {
            clip =
                swf::avm1::clipOf(vm, vm.resolveTarget(Value(vm.clipObject(clip)), s.left(colon)));
            if (!clip)
                return;
            s = s.mid(colon + 1);
        }
        bool ok = false;
        const double n = s.toDouble(&ok);
        if (ok) {
            clip->gotoFrame(static_cast<int>(n), play);
            return;
        }
        const int f = clip->frameForLabel(s);
        if (f > 0)
            clip->gotoFrame(f, play);
        return;
    }
    const double n = vm.toNumber(frame);
    if (std::isfinite(n))
        clip->gotoFrame(static_cast<int>(n), play);
}

} // namespace

void installMovieClipDisplay(Vm& vm, Object* proto);

void installMovieClip(Vm& vm) {
    Object* proto = vm.newObject();
    vm.protos().movieClip = proto;
    vm.defineClass(
        vm.global(), QStringLiteral("MovieClip"), [](Vm&, CallArgs& c) -> Value { return c.thisv; },
        proto);
    using Fn = void (*)(ClipBridge*);
    auto simple = [&](const char* name, Fn fn) {
        vm.defineMethod(proto, QLatin1String(name), [fn](Vm& vm, CallArgs& c) -> Value {
            if (ClipBridge* clip = clipOf(vm, c))
                fn(clip);
            return Value();
        });
    };
    simple("play", [](ClipBridge* c) { c->play(); });
    simple("stop", [](ClipBridge* c) { c->stop(); });
    simple("nextFrame", [](ClipBridge* c) { c->gotoFrame(c->currentFrame() + 1, false); });
    simple("prevFrame", [](ClipBridge* c) {
        if (c->currentFrame() > 1)
            c->gotoFrame(c->currentFrame() - 1, false);
    });
    simple("stopDrag", [](ClipBridge* c) { c->stopDrag(); });
    simple("removeMovieClip", [](ClipBridge* c) { c->remove(); });
    vm.defineMethod(proto, QStringLiteral("gotoAndPlay"), [](Vm& vm, CallArgs& c) -> Value {
        if (ClipBridge* clip = clipOf(vm, c))
            gotoArg(vm, clip, c.arg(0), true);
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("gotoAndStop"), [](Vm& vm, CallArgs& c) -> Value {
        if (ClipBridge* clip = clipOf(vm, c))
            gotoArg(vm, clip, c.arg(0), false);
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("duplicateMovieClip"), [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = clipOf(vm, c);
        if (!clip)
            return Value();
        const double depth = vm.toNumber(c.arg(1));
        if (!std::isfinite(depth))
            return Value();
        ClipBridge* copy = clip->duplicate(vm.toString(c.arg(0)), static_cast<int>(depth));
        if (!copy)
            return Value();
        Object* o = vm.clipObject(copy);
        if (Object* init = c.arg(2).object())
            for (const QString& name : vm.enumerate(init))
                vm.setMember(Value(o), name, vm.getMember(Value(init), name));
        return Value(o);
    });
    vm.defineMethod(proto, QStringLiteral("startDrag"), [](Vm& vm, CallArgs& c) -> Value {
        if (ClipBridge* clip = clipOf(vm, c)) {
            double rect[4];
            const bool constrain = c.count() >= 5;
            for (int i = 0; i < 4 && constrain; ++i)
                rect[i] = vm.toNumber(c.arg(1 + i));
            clip->startDrag(vm.toBoolean(c.arg(0)), constrain ? rect : nullptr);
        }
        return Value();
    });
    auto urlMethod = [](bool loadTarget, bool variables) {
        return [loadTarget, variables](Vm& vm, CallArgs& c) -> Value {
            ClipBridge* clip = clipOf(vm, c);
            if (!clip)
                return Value();
            const QString method = vm.toString(c.arg(loadTarget ? 1 : 2)).toUpper();
            const int m =
                method == QLatin1String("GET") ? 1 : (method == QLatin1String("POST") ? 2 : 0);
            const QString target =
                loadTarget ? MovieClipObject::slashPath(clip) : vm.toString(c.arg(1));
            clip->getUrl(vm.toString(c.arg(0)), target, m, loadTarget, variables);
            return Value();
        };
    };
    vm.defineMethod(proto, QStringLiteral("getURL"), urlMethod(false, false));
    vm.defineMethod(proto, QStringLiteral("loadMovie"), urlMethod(true, false));
    vm.defineMethod(proto, QStringLiteral("loadVariables"), urlMethod(true, true));
    vm.defineMethod(proto, QStringLiteral("unloadMovie"), [](Vm& vm, CallArgs& c) -> Value {
        if (ClipBridge* clip = clipOf(vm, c))
            clip->getUrl(QString(), MovieClipObject::slashPath(clip), 0, true, false);
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("getSWFVersion"), [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* clip = clipOf(vm, c);
        return Value(clip ? clip->swfVersion() : -1);
    });
    installMovieClipDisplay(vm, proto);
    // Methods added in later players stay hidden from movies made for earlier ones.
    const std::pair<const char*, uint32_t> later[] = {
        {"createEmptyMovieClip", propflag::OnlySwf6Up},
        {"getDepth", propflag::OnlySwf6Up},
        {"setMask", propflag::OnlySwf6Up},
        {"lineStyle", propflag::OnlySwf6Up},
        {"beginFill", propflag::OnlySwf6Up},
        {"beginGradientFill", propflag::OnlySwf6Up},
        {"moveTo", propflag::OnlySwf6Up},
        {"lineTo", propflag::OnlySwf6Up},
        {"curveTo", propflag::OnlySwf6Up},
        {"endFill", propflag::OnlySwf6Up},
        {"clear", propflag::OnlySwf6Up},
        {"getNextHighestDepth", propflag::OnlySwf7Up},
        {"getRect", propflag::OnlySwf8Up},
    };
    for (const auto& [name, flag] : later)
        if (Property* p = proto->findOwn(QLatin1String(name)))
            p->flags |= flag;
}

} // namespace swf::avm1::builtins
