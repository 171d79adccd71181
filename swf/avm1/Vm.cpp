#include "swf/avm1/Vm.h"

#include "swf/PlayerHost.h"
#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/NumberFormat.h"
#include "swf/avm1/builtins/Builtins.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace swf::avm1 {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Prototype chains longer than this are treated as loops.
constexpr int kMaxChain = 256;
} // namespace

Vm::Vm(int swfVersion, PlayerHost* host)
    : version_(swfVersion), host_(host), heap_(swfVersion >= 7) {
    ownClock_.start();
    installBuiltins();
}

Vm::~Vm() {
    for (auto& [clip, object] : clipObjects_)
        object->detach();
    heap_.clear();
}

void Vm::installBuiltins() {
    protos_.object = heap_.make<Object>(nullptr);
    protos_.function = heap_.make<Object>(protos_.object);
    // The global object stands outside the prototype chains: it has none of Object's
    // methods, and turns into text only as its type.
    global_ = heap_.make<Object>(nullptr);
    builtins::installAll(*this);
}

// ---- conversions ----

Value Vm::toPrimitive(const Value& v, Hint hint, bool* convertible) {
    if (convertible)
        *convertible = true;
    Object* o = v.object();
    if (!o)
        return v;
    // Clips are their path, whatever their prototypes say.
    if (o->isClip()) {
        ClipBridge* c = static_cast<MovieClipObject*>(o)->clip(*this);
        return Value(c ? MovieClipObject::dotPath(c) : QString());
    }
    if (hint == Hint::None) {
        // Dates alone prefer their text when nothing asks for a number.
        hint = Hint::Number;
        int guard = 0;
        for (Object* p = o->proto(); p && guard < kMaxChain; p = p->proto(), ++guard)
            if (p == protos_.date)
                hint = Hint::String;
    }
    const QString first =
        hint == Hint::String ? QStringLiteral("toString") : QStringLiteral("valueOf");
    const QString second =
        hint == Hint::String ? QStringLiteral("valueOf") : QStringLiteral("toString");
    bool converted = false;
    for (const QString& name : {first, second}) {
        Value fn;
        if (lookup(o, name, fn) && fn.object() && fn.object()->isFunction()) {
            converted = true;
            Value r = call(fn, o->conversionThis(v), {});
            // A clip that valueOf gives back counts as a value of its own, like a primitive.
            if (!r.isObject() || r.object()->isClip())
                return r;
            // Text is asked of toString alone: an object it gives back is not passed on to
            // valueOf.
            if (hint == Hint::String)
                break;
        }
    }
    // An object cut off from its prototypes has no way to become a value.
    if (!converted) {
        if (convertible)
            *convertible = false;
        return Value();
    }
    return Value(o->isFunction() ? QStringLiteral("[type Function]")
                                 : QStringLiteral("[type Object]"));
}

double Vm::toNumber(const Value& v) {
    switch (v.type()) {
    case Type::Undefined:
    case Type::Null:
        return version_ >= 7 ? kNaN : 0;
    case Type::Boolean:
        return v.boolean() ? 1 : 0;
    case Type::Number:
        return v.number();
    case Type::String: {
        // Flash 4 reads the number a string starts with and calls anything else zero.
        if (version_ < 5) {
            const double n = leadingNumber(v.string());
            return std::isnan(n) ? 0 : n;
        }
        return stringToNumber(v.string(), true);
    }
    case Type::Object: {
        if (v.object()->isClip() && version_ < 7)
            return kNaN;
        const Value p = toPrimitive(v, Hint::Number);
        if (p.isObject())
            return kNaN;
        if (p.isUndefined())
            return kNaN;
        return toNumber(p);
    }
    }
    return kNaN;
}

QString Vm::toString(const Value& v) {
    switch (v.type()) {
    case Type::Undefined:
        return version_ >= 7 ? QStringLiteral("undefined") : QString();
    case Type::Null:
        return QStringLiteral("null");
    case Type::Boolean:
        return v.boolean() ? QStringLiteral("true") : QStringLiteral("false");
    case Type::Number:
        return numberToString(v.number());
    case Type::String:
        return v.string();
    case Type::Object: {
        Object* o = v.object();
        if (o->isClip()) {
            auto* clip = static_cast<MovieClipObject*>(o);
            if (ClipBridge* c = clip->clip(*this))
                return MovieClipObject::dotPath(c);
            return QString();
        }
        // A String object is its text, whatever toString it was given.
        if (o->hasPrimitive() && o->primitive().isString())
            return o->primitive().string();
        // Text is only what toString gives as text; any other answer names the type.
        if (Value r; callConversion(v, QStringLiteral("toString"), r)) {
            if (r.isString())
                return r.string();
            if (!r.isObject() || !r.object()->isClip())
                return o->isFunction() ? QStringLiteral("[type Function]")
                                       : QStringLiteral("[type Object]");
            return toString(r);
        }
        // Text of an object that cannot convert itself names its type instead.
        bool convertible = true;
        const Value p = toPrimitive(v, Hint::String, &convertible);
        if (!convertible)
            return o->isFunction() ? QStringLiteral("[type Function]")
                                   : QStringLiteral("[type Object]");
        if (p.isObject())
            return QStringLiteral("[type Object]");
        return toString(p);
    }
    }
    return QString();
}

bool Vm::toBoolean(const Value& v) {
    switch (v.type()) {
    case Type::Undefined:
    case Type::Null:
        return false;
    case Type::Boolean:
        return v.boolean();
    case Type::Number:
        return v.number() != 0 && !std::isnan(v.number());
    case Type::String:
        if (version_ >= 7)
            return !v.string().isEmpty();
        {
            const double n = stringToNumber(v.string(), true);
            return n != 0 && !std::isnan(n);
        }
    case Type::Object:
        return true;
    }
    return false;
}

Object* Vm::toObject(const Value& v) {
    switch (v.type()) {
    case Type::Object:
        return v.object();
    case Type::String: {
        Object* o = heap_.make<Object>(protos_.string);
        o->setPrimitive(v);
        // As new String would have it.
        o->define(QStringLiteral("length"), Value(static_cast<double>(v.string().size())),
                  propflag::DontEnum);
        return o;
    }
    case Type::Number: {
        Object* o = heap_.make<Object>(protos_.number);
        o->setPrimitive(v);
        return o;
    }
    case Type::Boolean: {
        Object* o = heap_.make<Object>(protos_.boolean);
        o->setPrimitive(v);
        return o;
    }
    default:
        return nullptr;
    }
}

double Vm::toInteger(const Value& v) {
    const double n = toNumber(v);
    if (std::isnan(n))
        return 0;
    if (std::isinf(n))
        return n;
    return std::trunc(n);
}

int32_t Vm::toInt32(const Value& v) {
    const double n = toNumber(v);
    if (!std::isfinite(n))
        return 0;
    const double m = std::fmod(std::trunc(n), 4294967296.0);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(m)));
}

QString Vm::typeOf(const Value& v) {
    switch (v.type()) {
    case Type::Undefined:
        return QStringLiteral("undefined");
    case Type::Null:
        return QStringLiteral("null");
    case Type::Boolean:
        return QStringLiteral("boolean");
    case Type::Number:
        return QStringLiteral("number");
    case Type::String:
        return QStringLiteral("string");
    case Type::Object:
        return v.object()->typeName();
    }
    return QString();
}

bool Vm::strictEquals(const Value& a, const Value& b) const {
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case Type::Undefined:
    case Type::Null:
        return true;
    case Type::Boolean:
        return a.boolean() == b.boolean();
    case Type::Number:
        return a.number() == b.number();
    case Type::String:
        return a.string() == b.string();
    case Type::Object:
        return a.object() == b.object();
    }
    return false;
}

bool Vm::callConversion(const Value& v, const QString& method, Value& out) {
    Object* o = v.object();
    Value fn;
    if (!o || !lookup(o, method, fn) || !fn.object() || !fn.object()->isFunction())
        return false;
    out = call(fn, o->conversionThis(v), {});
    return true;
}

bool Vm::equals(const Value& a, const Value& b) {
    // Before SWF 7, NaN equals NaN.
    auto numbersEqual = [this](double x, double y) {
        return x == y || (version_ < 7 && std::isnan(x) && std::isnan(y));
    };
    if (a.isNumber() && b.isNumber())
        return numbersEqual(a.number(), b.number());
    if (a.isObject() && b.isObject() && version_ < 6 && a.object() != b.object()) {
        // Flash 5 compares two objects by what their valueOf gives, so two boxes of one
        // number are equal; objects that stay objects are equal only to themselves.
        const auto valueOf = [this](const Value& v) {
            Value r;
            return !v.object()->isClip() && callConversion(v, QStringLiteral("valueOf"), r) ? r : v;
        };
        const Value pa = valueOf(a);
        const Value pb = valueOf(b);
        if (pa.isObject() || pb.isObject())
            return strictEquals(pa, pb);
        return equals(pa, pb);
    }
    if (a.type() == b.type())
        return strictEquals(a, b);
    if (a.isNullish() && b.isNullish())
        return true;
    if (a.isNullish() || b.isNullish()) {
        // Only valueOf is asked: an object whose valueOf gives undefined, or one cut off
        // from its prototypes, equals undefined and null.
        const Value& v = a.isNullish() ? b : a;
        Object* o = v.object();
        if (!o || o->isClip())
            return false;
        Value fn;
        if (lookup(o, QStringLiteral("valueOf"), fn))
            return fn.object() && fn.object()->isFunction() &&
                   call(fn, o->conversionThis(v), {}).isNullish();
        return !lookup(o, QStringLiteral("toString"), fn);
    }
    // Text that is not a number never equals NaN, even where NaN equals itself.
    if (a.isNumber() && b.isString())
        return a.number() == toNumber(b);
    if (a.isString() && b.isNumber())
        return toNumber(a) == b.number();
    if (a.isBoolean())
        return equals(Value(a.boolean() ? 1.0 : 0.0), b);
    if (b.isBoolean())
        return equals(a, Value(b.boolean() ? 1.0 : 0.0));
    if (a.isObject() && !b.isObject()) {
        const Value p = toPrimitive(a);
        return p.isObject() ? false : equals(p, b);
    }
    if (b.isObject() && !a.isObject()) {
        const Value p = toPrimitive(b);
        return p.isObject() ? false : equals(a, p);
    }
    return false;
}

Value Vm::less(const Value& a, const Value& b) {
    // A clip is not ordered against anything, not even itself.
    const auto isClip = [](const Value& v) { return v.object() && v.object()->isClip(); };
    if (isClip(a) || isClip(b))
        return Value();
    // Ordering asks valueOf alone. An object that stays an object is never less, and the
    // other side is not even asked then.
    const auto orderValue = [this](const Value& v, Value& out) {
        if (!v.isObject()) {
            out = v;
            return true;
        }
        out = Value();
        return !callConversion(v, QStringLiteral("valueOf"), out) || !out.isObject();
    };
    Value pa, pb;
    if (!orderValue(a, pa) || !orderValue(b, pb))
        return Value(false);
    if (pa.isString() && pb.isString())
        return Value(pa.string() < pb.string());
    const double x = toNumber(pa), y = toNumber(pb);
    if (std::isnan(x) || std::isnan(y))
        return Value();
    return Value(x < y);
}

Value Vm::add(const Value& a, const Value& b) {
    const Value pa = toPrimitive(a);
    const Value pb = toPrimitive(b);
    if (pa.isString() || pb.isString())
        return Value(clipString(toString(pa) + toString(pb)));
    return Value(toNumber(pa) + toNumber(pb));
}

QString Vm::clipString(const QString& s) const {
    if (s.size() > limits_.maxStringLength)
        return s.left(limits_.maxStringLength);
    return s;
}

bool Vm::instanceOf(const Value& v, Object* ctor) {
    Object* o = v.object();
    if (!o || !ctor)
        return false;
    Value protoValue;
    if (!lookup(ctor, QStringLiteral("prototype"), protoValue) || !protoValue.object())
        return false;
    Object* target = protoValue.object();
    int guard = 0;
    for (Object* p = o->proto(); p && guard < kMaxChain; p = p->proto(), ++guard) {
        if (p == target)
            return true;
        // Interfaces named by implements count as well.
        std::vector<Object*> pending(p->interfaces().begin(), p->interfaces().end());
        int seen = 0;
        while (!pending.empty() && seen++ < kMaxChain) {
            Object* i = pending.back();
            pending.pop_back();
            if (i == target)
                return true;
            for (Object* j : i->interfaces())
                pending.push_back(j);
        }
    }
    return false;
}

// ---- members ----

bool Vm::propertyVisible(const Property& p) const {
    const uint32_t f = p.flags;
    if (!(f & (propflag::OnlySwf6Up | propflag::IgnoreSwf6 | propflag::OnlySwf7Up |
               propflag::OnlySwf8Up | propflag::OnlySwf9Up | propflag::OnlySwf10Up)))
        return true;
    if ((f & propflag::OnlySwf6Up) && version_ < 6)
        return false;
    if ((f & propflag::IgnoreSwf6) && version_ == 6)
        return false;
    if ((f & propflag::OnlySwf7Up) && version_ < 7)
        return false;
    if ((f & propflag::OnlySwf8Up) && version_ < 8)
        return false;
    if ((f & propflag::OnlySwf9Up) && version_ < 9)
        return false;
    if ((f & propflag::OnlySwf10Up) && version_ < 10)
        return false;
    return true;
}

bool Vm::lookup(Object* o, const QString& name, Value& out, Object** holder, const Value* thisv) {
    if (!o)
        return false;
    if (name.size() == 9 && sameName(name, QStringLiteral("__proto__"))) {
        out = o->proto() ? Value(o->proto()) : Value();
        if (holder)
            *holder = o;
        return o->proto() != nullptr;
    }
    int guard = 0;
    for (Object* p = o; p && guard < kMaxChain; p = p->proto(), ++guard) {
        if (p->getSpecial(*this, name, out)) {
            if (holder)
                *holder = p;
            return true;
        }
        const Property* prop = p->findOwn(name);
        if (prop && propertyVisible(*prop)) {
            if (holder)
                *holder = p;
            if (prop->accessor) {
                Object* getter = prop->getter;
                out = getter ? call(Value(getter), thisv ? *thisv : Value(o), {}) : Value();
            } else {
                out = prop->value;
            }
            return true;
        }
        if (guard == kMaxChain - 1 && p->proto())
            throw ScriptAbort{QStringLiteral("recursion")};
    }
    return false;
}

Value Vm::getMember(const Value& base, const QString& name) {
    Value out;
    switch (base.type()) {
    case Type::Object:
        if (!lookup(base.object(), name, out))
            resolveMissing(base.object(), name, out);
        return out;
    case Type::String:
        if (name == QLatin1String("length"))
            return Value(static_cast<double>(base.string().size()));
        lookup(protos_.string, name, out, nullptr, &base);
        return out;
    case Type::Number:
        lookup(protos_.number, name, out, nullptr, &base);
        return out;
    case Type::Boolean:
        lookup(protos_.boolean, name, out, nullptr, &base);
        return out;
    default:
        return Value();
    }
}

bool Vm::resolveMissing(Object* o, const QString& name, Value& out) {
    static const QString kResolve = QStringLiteral("__resolve");
    if (!o || sameName(name, kResolve))
        return false;
    // Only a plain __resolve answers: one made by addProperty is passed over, and the
    // first plain one found decides even when it is not a function.
    int guard = 0;
    for (Object* p = o; p && guard < kMaxChain; p = p->proto(), ++guard) {
        const Property* prop = p->findOwn(kResolve);
        if (!prop || prop->accessor || !propertyVisible(*prop))
            continue;
        if (!prop->value.object() || !prop->value.object()->isFunction())
            return false;
        const Value handler = prop->value;
        const Value arg(name);
        out = call(handler, Value(o), std::span<const Value>(&arg, 1));
        return true;
    }
    return false;
}

void Vm::setMember(const Value& base, const QString& name, const Value& value) {
    Object* o = base.object();
    if (!o)
        return;
    if (name.size() == 9 && sameName(name, QStringLiteral("__proto__"))) {
        o->setProto(value.object());
        return;
    }
    Value v = value;
    Property* own = o->findOwn(name);
    if (!o->watches().empty()) {
        for (const Watch& w : o->watches()) {
            if (!sameName(w.name, name))
                continue;
            Value old;
            if (own && !own->accessor)
                old = own->value;
            else
                lookup(o, name, old);
            const Value args[] = {Value(name), old, v, w.userData};
            Object* cb = w.callback;
            v = call(Value(cb), base, args);
            own = o->findOwn(name); // the callback may have changed the table
            break;
        }
    }
    if (o->setSpecial(*this, name, v))
        return;
    if (own) {
        if (own->accessor) {
            if (own->setter)
                call(Value(own->setter), base, std::span<const Value>(&v, 1));
            return;
        }
        if (own->flags & propflag::ReadOnly)
            return;
        own->value = v;
        return;
    }
    // An inherited addProperty setter takes the write instead of a new own property.
    int guard = 0;
    for (Object* p = o->proto(); p && guard < kMaxChain; p = p->proto(), ++guard) {
        Property* prop = p->findOwn(name);
        if (prop && prop->accessor && propertyVisible(*prop)) {
            if (prop->setter)
                call(Value(prop->setter), base, std::span<const Value>(&v, 1));
            return;
        }
        if (prop)
            break;
    }
    o->define(name, v);
}

bool Vm::deleteMember(Object* o, const QString& name) {
    if (!o)
        return false;
    Property* p = o->findOwn(name);
    if (p) {
        if (p->flags & propflag::DontDelete)
            return false;
        return o->removeOwn(name);
    }
    return o->deleteSpecial(*this, name);
}

bool Vm::hasOwn(Object* o, const QString& name) {
    if (!o)
        return false;
    if (const Property* p = o->findOwn(name))
        return propertyVisible(*p);
    Value dummy;
    return o->getSpecial(*this, name, dummy);
}

std::vector<QString> Vm::enumerate(Object* o) {
    std::vector<QString> names;
    auto seen = [&](const QString& n) {
        for (const auto& m : names)
            if (sameName(m, n))
                return true;
        return false;
    };
    int guard = 0;
    for (Object* p = o; p && guard < kMaxChain; p = p->proto(), ++guard) {
        std::vector<QString> special;
        p->specialNames(*this, special);
        for (auto& n : special)
            if (!seen(n))
                names.push_back(n);
        for (const auto& prop : p->properties()) {
            // for..in lists what a later player would show as well: only DontEnum hides.
            if (prop.flags & propflag::DontEnum)
                continue;
            if (!seen(prop.name))
                names.push_back(prop.name);
        }
    }
    return names;
}

// ---- calls ----

Value Vm::call(const Value& fn, const Value& thisv, std::span<const Value> args, Object* home) {
    Object* f = fn.object();
    if (!f || !f->isFunction())
        return Value();
    CallArgs c;
    c.thisv = thisv;
    c.args = args;
    c.callee = f;
    c.home = home;
    enter();
    struct Leave {
        Vm* vm;
        ~Leave() { vm->leave(); }
    } guard{this};
    return static_cast<FunctionObject*>(f)->call(*this, c);
}

Value Vm::callMethod(const Value& obj, const QString& name, std::span<const Value> args) {
    Value fn;
    Object* holder = nullptr;
    Object* o = obj.isObject() ? obj.object() : nullptr;
    if (o)
        lookup(o, name, fn, &holder);
    else
        fn = getMember(obj, name);
    return call(fn, obj, args, holder);
}

void Vm::initInstance(Object* o, Object* ctor) {
    Value protoValue;
    lookup(ctor, QStringLiteral("prototype"), protoValue);
    o->setProto(protoValue.object());
    o->define(QStringLiteral("__constructor__"), Value(ctor), propflag::DontEnum);
    if (version_ < 6)
        o->define(QStringLiteral("constructor"), Value(ctor), propflag::DontEnum);
}

Value Vm::construct(const Value& fn, std::span<const Value> args) {
    Object* f = fn.object();
    if (!f || !f->isFunction())
        return Value();
    Value protoValue;
    lookup(f, QStringLiteral("prototype"), protoValue);
    Object* o = static_cast<FunctionObject*>(f)->allocate(*this, protoValue.object());
    initInstance(o, f);
    CallArgs c;
    c.thisv = Value(o);
    c.args = args;
    c.callee = f;
    c.home = protoValue.object();
    c.construct = true;
    enter();
    struct Leave {
        Vm* vm;
        ~Leave() { vm->leave(); }
    } guard{this};
    const Value r = static_cast<FunctionObject*>(f)->call(*this, c);
    // Built-in constructors may answer with an object of their own making.
    if (r.isObject() && dynamic_cast<NativeFunction*>(f))
        return r;
    return Value(o);
}

// ---- making things ----

Object* Vm::newObject() {
    return heap_.make<Object>(protos_.object);
}

ArrayObject* Vm::newArray(std::vector<Value> elements) {
    auto* a = heap_.make<ArrayObject>(protos_.array);
    if (elements.size() > ArrayObject::kMaxLength)
        elements.resize(ArrayObject::kMaxLength);
    a->elements() = std::move(elements);
    return a;
}

NativeFunction* Vm::newNative(NativeFunction::Fn fn) {
    return heap_.make<NativeFunction>(protos_.function, std::move(fn));
}

NativeFunction* Vm::defineMethod(Object* on, const QString& name, NativeFunction::Fn fn,
                                 uint32_t flags) {
    NativeFunction* f = newNative(std::move(fn));
    on->define(name, Value(static_cast<Object*>(f)), flags);
    return f;
}

NativeFunction* Vm::defineClass(Object* on, const QString& name, NativeFunction::Fn fn,
                                Object* prototype) {
    NativeFunction* f = newNative(std::move(fn));
    f->define(QStringLiteral("prototype"), Value(prototype),
              propflag::DontEnum | propflag::DontDelete);
    prototype->define(QStringLiteral("constructor"), Value(static_cast<Object*>(f)),
                      propflag::DontEnum | propflag::DontDelete);
    if (on)
        on->define(name, Value(static_cast<Object*>(f)), propflag::DontEnum);
    return f;
}

Object* Vm::newError(const QString& message) {
    Value ctor = getMember(Value(global_), QStringLiteral("Error"));
    const Value arg(message);
    return construct(ctor, std::span<const Value>(&arg, 1)).object();
}

void Vm::throwError(const QString& message) {
    throw ScriptException{Value(newError(message))};
}

// ---- display objects ----

MovieClipObject* Vm::clipObject(ClipBridge* clip) {
    if (!clip)
        return nullptr;
    const auto it = clipObjects_.find(clip);
    if (it != clipObjects_.end())
        return it->second;
    Object* proto =
        clip->isTextField() && protos_.textField ? protos_.textField : protos_.movieClip;
    // A placed Video is an instance of the Video class, with attachVideo and clear.
    if (clip->isVideo()) {
        const Property* ctor = global_->findOwn(QStringLiteral("Video"));
        const Property* videoProto =
            ctor && ctor->value.object()
                ? ctor->value.object()->findOwn(QStringLiteral("prototype"))
                : nullptr;
        if (videoProto && videoProto->value.object())
            proto = videoProto->value.object();
    }
    auto* o = heap_.make<MovieClipObject>(proto, clip);
    clipObjects_.emplace(clip, o);
    return o;
}

void Vm::clipRemoved(ClipBridge* clip) {
    const auto it = clipObjects_.find(clip);
    if (it == clipObjects_.end())
        return;
    it->second->detach();
    orphans_.push_back(it->second);
    clipObjects_.erase(it);
}

ClipBridge* Vm::root() {
    return display_ ? display_->level(0) : nullptr;
}

std::vector<QString> Vm::splitPath(const QString& path) const {
    std::vector<QString> parts;
    QString cur;
    for (int i = 0; i < path.size(); ++i) {
        const QChar c = path[i];
        if (c == '/' || c == '.' || c == ':') {
            // ".." is the parent in slash paths.
            if (c == '.' && i + 1 < path.size() && path[i + 1] == '.') {
                if (!cur.isEmpty())
                    parts.push_back(cur);
                cur.clear();
                parts.push_back(QStringLiteral(".."));
                ++i;
                continue;
            }
            if (!cur.isEmpty())
                parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.isEmpty())
        parts.push_back(cur);
    return parts;
}

Value Vm::resolveTarget(const Value& base, const QString& path) {
    Value cur = base;
    QString rest = path;
    if (rest.startsWith('/')) {
        ClipBridge* r = root();
        cur = r ? Value(static_cast<Object*>(clipObject(r))) : Value();
    }
    if (path.isEmpty())
        return base;
    for (const QString& part : splitPath(rest)) {
        if (part == QLatin1String("..") ||
            part.compare(QLatin1String("_parent"), Qt::CaseInsensitive) == 0) {
            auto* o = dynamic_cast<MovieClipObject*>(cur.object());
            ClipBridge* c = o ? o->clip(*this) : nullptr;
            ClipBridge* p = c ? c->parent() : nullptr;
            if (!p)
                return Value();
            cur = Value(static_cast<Object*>(clipObject(p)));
        } else if (part.compare(QLatin1String("_root"), Qt::CaseInsensitive) == 0) {
            ClipBridge* c = nullptr;
            if (auto* o = dynamic_cast<MovieClipObject*>(cur.object()))
                c = o->clip(*this);
            // The root is the level's, unless a clip on the way up locked it to itself.
            if (c)
                while (c->parent() && !c->lockRoot())
                    c = c->parent();
            else
                c = root();
            if (!c)
                return Value();
            cur = Value(static_cast<Object*>(clipObject(c)));
        } else if (part.startsWith(QLatin1String("_level"), Qt::CaseInsensitive) &&
                   part.size() > 6) {
            bool ok = false;
            const int n = part.mid(6).toInt(&ok);
            ClipBridge* c = ok && display_ ? display_->level(n) : nullptr;
            if (!c)
                return Value();
            cur = Value(static_cast<Object*>(clipObject(c)));
        } else if (part == QLatin1String("this")) {
            continue;
        } else {
            if (!cur.isObject())
                return Value();
            cur = getMember(cur, part);
        }
        if (!cur.isObject())
            return Value();
    }
    return cur;
}

// ---- host services ----

void Vm::trace(const QString& line) {
    if (!host_)
        return;
    // Half of a surrogate pair (a string cut in the middle of a character) shows as the
    // replacement character rather than as a byte the log cannot hold.
    QString text = line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            text[i] = QChar(QChar::ReplacementCharacter);
        }
    }
    host_->trace(text);
}

void Vm::statusMessage(const QString& text) {
    if (host_)
        host_->statusMessage(text);
}

double Vm::timeMs() const {
    if (clock_)
        return clock_();
    return static_cast<double>(ownClock_.elapsed());
}

int Vm::addTimer(const Value& target, const QString& method, std::vector<Value> args,
                 double intervalMs, bool once) {
    if (std::isnan(intervalMs) || intervalMs < 0)
        intervalMs = 0;
    // A movie cannot flood the player with timers.
    if (timers_.size() >= 10000)
        return 0;
    const int id = nextTimerId_++;
    timers_.push_back(
        Timer{id, target, method, std::move(args), intervalMs, timeMs() + intervalMs, once});
    return id;
}

void Vm::clearTimer(int id) {
    std::erase_if(timers_, [id](const Timer& t) { return t.id == id; });
}

void Vm::runTimers() {
    const double now = timeMs();
    // Only timers due now run; those they add wait for the next turn.
    std::vector<int> due;
    for (const Timer& t : timers_)
        if (t.due <= now)
            due.push_back(t.id);
    for (int id : due) {
        auto it = std::find_if(timers_.begin(), timers_.end(),
                               [id](const Timer& t) { return t.id == id; });
        if (it == timers_.end())
            continue;
        Timer t = *it;
        if (t.once) {
            timers_.erase(it);
        } else {
            // Never more than once per turn, however short the interval (the list of due
            // timers is taken before any runs); a zero interval means every turn.
            it->due = std::max(now, t.due) + t.interval;
        }
        runTopLevel([&] {
            if (t.method.isEmpty())
                call(t.target, Value(), t.args);
            else
                callMethod(t.target, t.method, t.args);
        });
    }
}

// ---- bounds ----

void Vm::enter() {
    // The running block itself counts as a level.
    if (depth_ + 1 >= limits_.maxRecursion) {
        throw ScriptAbort{QStringLiteral("recursion")};
    }
    ++depth_;
}

void Vm::startRun() {
    runClock_.start();
    running_ = true;
}

void Vm::checkBudget() {
    if (running_ && runClock_.isValid() && runClock_.elapsed() > limits_.timeoutMs)
        throw ScriptAbort{QStringLiteral("timeout")};
    if (heap_.size() > limits_.maxObjects) {
        // Whatever the script made may be garbage already; only a full heap of live objects
        // stops it, and only between scripts can that be told apart.
        throw ScriptAbort{QStringLiteral("memory")};
    }
}

void Vm::runTopLevel(const std::function<void()>& fn) {
    const bool outer = !running_;
    if (outer)
        startRun();
    const int depth = depth_;
    try {
        fn();
    } catch (const ScriptException&) {
        // An uncaught throw ends this block only.
        depth_ = depth;
    } catch (const ScriptAbort& abort) {
        depth_ = depth;
        // Too deep a recursion ends the block it started in; running out of time or memory
        // ends everything up to the outermost run.
        if (!outer && abort.reason != QLatin1String("recursion"))
            throw;
        if (!outer) {
            statusMessage(QStringLiteral("影片中的脚本递归层数过多，已被停止。"));
            return;
        }
        running_ = false;
        if (abort.reason == QLatin1String("memory"))
            collectGarbage();
        if (abort.reason == QLatin1String("timeout"))
            statusMessage(QStringLiteral("影片中的脚本运行时间过长，已被停止。"));
        else if (abort.reason == QLatin1String("memory"))
            statusMessage(QStringLiteral("影片中的脚本占用内存过多，已被停止。"));
        else
            statusMessage(QStringLiteral("影片中的脚本递归层数过多，已被停止。"));
        return;
    }
    if (outer)
        running_ = false;
}

void Vm::registerClass(const QString& exportName, Object* ctor) {
    if (ctor)
        classes_[exportName.toLower()] = ctor;
    else
        classes_.erase(exportName.toLower());
}

Object* Vm::registeredClass(const QString& exportName) const {
    const auto it = classes_.find(exportName.toLower());
    return it == classes_.end() ? nullptr : it->second;
}

void Vm::unpin(Object* o) {
    const auto it = std::find(pinned_.begin(), pinned_.end(), o);
    if (it != pinned_.end())
        pinned_.erase(it);
}

void Vm::collectGarbage() {
    if (depth_ > 0 || running_)
        return;
    // A removed clip's object only lives on while script refers to it.
    orphans_.clear();
    heap_.collect([this](std::vector<Object*>& roots) {
        roots.push_back(global_);
        for (Object* p :
             {protos_.object, protos_.function, protos_.array, protos_.string, protos_.number,
              protos_.boolean, protos_.date, protos_.error, protos_.movieClip})
            if (p)
                roots.push_back(p);
        for (auto& [clip, object] : clipObjects_)
            roots.push_back(object);
        for (Object* o : pinned_)
            roots.push_back(o);
        for (auto& [name, ctor] : classes_)
            roots.push_back(ctor);
        for (const Timer& t : timers_) {
            if (Object* o = t.target.object())
                roots.push_back(o);
            for (const Value& v : t.args)
                if (Object* o = v.object())
                    roots.push_back(o);
        }
    });
    lastHeapSize_ = heap_.size();
}

void Vm::maybeCollectGarbage() {
    if (heap_.size() > 2 * lastHeapSize_ + 10000)
        collectGarbage();
}

} // namespace swf::avm1
