#include "swf/avm1/MovieClipObject.h"

#include "swf/avm1/Vm.h"

namespace swf::avm1 {

namespace {
const char* const kPropertyNames[PropCount] = {
    "_x",           "_y",           "_xscale",       "_yscale",       "_currentframe",
    "_totalframes", "_alpha",       "_visible",      "_width",        "_height",
    "_rotation",    "_target",      "_framesloaded", "_name",         "_droptarget",
    "_url",         "_highquality", "_focusrect",    "_soundbuftime", "_quality",
    "_xmouse",      "_ymouse"};
}

int clipPropertyIndex(const QString& name) {
    if (name.size() < 2 || name[0] != '_')
        return -1;
    for (int i = 0; i < PropCount; ++i)
        if (name.compare(QLatin1String(kPropertyNames[i]), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

MovieClipObject::MovieClipObject(Object* proto, ClipBridge* clip)
    : Object(proto), clip_(clip), path_(dotPath(clip)), movieClip_(clip->isMovieClip()) {}

ClipBridge* MovieClipObject::clip(Vm& vm) {
    if (clip_)
        return clip_;
    const Value found = vm.resolveTarget(Value(), path_);
    if (auto* o = dynamic_cast<MovieClipObject*>(found.object()))
        if (o != this)
            return o->clip_;
    return nullptr;
}

QString MovieClipObject::typeName() const {
    return movieClip_ ? QStringLiteral("movieclip") : QStringLiteral("object");
}

QString MovieClipObject::dotPath(ClipBridge* clip) {
    QStringList parts;
    for (ClipBridge* c = clip; c; c = c->parent()) {
        if (!c->parent()) {
            parts.prepend(QStringLiteral("_level%1").arg(c->level() < 0 ? 0 : c->level()));
            break;
        }
        parts.prepend(c->name());
    }
    return parts.join('.');
}

QString MovieClipObject::slashPath(ClipBridge* clip) {
    QStringList parts;
    ClipBridge* c = clip;
    for (; c && c->parent(); c = c->parent())
        parts.prepend(c->name());
    const QString tail = parts.join('/');
    if (c && c->level() > 0)
        return QStringLiteral("_level%1/").arg(c->level()) + tail;
    return QLatin1Char('/') + tail;
}

bool MovieClipObject::getSpecial(Vm& vm, const QString& name, Value& out) {
    ClipBridge* c = clip(vm);
    if (!c)
        return false;
    if (!movieClip_ && c->textProperty(vm, name, out))
        return true;
    if (name.startsWith('_')) {
        const int index = clipPropertyIndex(name);
        if (index >= 0) {
            switch (index) {
            case PropTarget:
                out = Value(slashPath(c));
                return true;
            case PropName:
                out = Value(c->name());
                return true;
            case PropCurrentFrame:
                out = Value(c->currentFrame());
                return true;
            case PropTotalFrames:
                out = Value(c->totalFrames());
                return true;
            case PropFramesLoaded:
                out = Value(c->framesLoaded());
                return true;
            default:
                out = c->property(index);
                return true;
            }
        }
        if (vm.version() >= 6 && vm.sameName(name, QStringLiteral("_global")) && !findOwn(name)) {
            out = Value(vm.global());
            return true;
        }
        // _lockroot arrived with Flash 7; older movies have a plain variable of that name.
        if (movieClip_ && vm.version() >= 7 && vm.sameName(name, QStringLiteral("_lockroot"))) {
            out = Value(c->lockRoot());
            return true;
        }
        if (name.compare(QLatin1String("_parent"), Qt::CaseInsensitive) == 0) {
            ClipBridge* p = c->parent();
            out = p ? Value(static_cast<Object*>(vm.clipObject(p))) : Value();
            return true;
        }
        bool levelNumber = false;
        if (name.size() > 6 && name.startsWith(QLatin1String("_level"), Qt::CaseInsensitive))
            name.mid(6).toInt(&levelNumber);
        if (name.compare(QLatin1String("_root"), Qt::CaseInsensitive) == 0 || levelNumber) {
            const Value v = vm.resolveTarget(Value(this), name);
            if (!v.isUndefined()) {
                out = v;
                return true;
            }
        }
    }
    if (ClipBridge* child = c->childByName(name, vm.caseSensitive())) {
        // An own property of the same name wins over the instance, as in Flash.
        if (findOwn(name))
            return false;
        out = Value(static_cast<Object*>(vm.clipObject(child)));
        return true;
    }
    return false;
}

bool MovieClipObject::setSpecial(Vm& vm, const QString& name, const Value& v) {
    if (!name.startsWith('_')) {
        ClipBridge* c = movieClip_ ? nullptr : clip(vm);
        return c && c->setTextProperty(vm, name, v);
    }
    if (movieClip_ && vm.version() >= 7 && vm.sameName(name, QStringLiteral("_lockroot"))) {
        if (ClipBridge* c = clip(vm))
            c->setLockRoot(vm.toBoolean(v));
        return true;
    }
    const int index = clipPropertyIndex(name);
    if (index < 0)
        return false;
    ClipBridge* c = clip(vm);
    if (!c)
        return true;
    switch (index) {
    case PropName:
        c->setName(vm.toString(v));
        path_ = dotPath(c);
        break;
    case PropTarget:
    case PropCurrentFrame:
    case PropTotalFrames:
    case PropFramesLoaded:
    case PropDropTarget:
    case PropUrl:
    case PropXMouse:
    case PropYMouse:
        break; // read-only
    default:
        c->setProperty(index, v);
    }
    return true;
}

} // namespace swf::avm1
