#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

namespace swf::avm1::builtins {

namespace {

Value objectToString(Vm& vm, CallArgs& c) {
    Object* o = c.thisObject();
    if (o && o->isFunction())
        return Value(QStringLiteral("[type Function]"));
    (void)vm;
    return Value(QStringLiteral("[object Object]"));
}

Value addProperty(Vm& vm, CallArgs& c) {
    Object* o = c.thisObject();
    const QString name = vm.toString(c.arg(0));
    Object* getter = c.arg(1).object();
    const Value setterValue = c.arg(2);
    if (!o || name.isEmpty() || !getter || !getter->isFunction())
        return Value(false);
    Object* setter = setterValue.object();
    if (setter && !setter->isFunction())
        return Value(false);
    if (!setter && !setterValue.isNull())
        return Value(false);
    o->defineAccessor(name, getter, setter);
    return Value(true);
}

Value watch(Vm& vm, CallArgs& c) {
    Object* o = c.thisObject();
    const QString name = vm.toString(c.arg(0));
    Object* cb = c.arg(1).object();
    if (!o || !cb || !cb->isFunction())
        return Value(false);
    for (Watch& w : o->watches())
        if (vm.sameName(w.name, name)) {
            w.callback = cb;
            w.userData = c.arg(2);
            return Value(true);
        }
    o->watches().push_back(Watch{name, cb, c.arg(2)});
    return Value(true);
}

Value unwatch(Vm& vm, CallArgs& c) {
    Object* o = c.thisObject();
    if (!o)
        return Value(false);
    const QString name = vm.toString(c.arg(0));
    auto& ws = o->watches();
    for (auto it = ws.begin(); it != ws.end(); ++it)
        if (vm.sameName(it->name, name)) {
            ws.erase(it);
            return Value(true);
        }
    return Value(false);
}

// ASSetPropFlags(object, names, set, clear): names is an array, a comma-separated string or
// null for every property.
Value asSetPropFlags(Vm& vm, CallArgs& c) {
    Object* o = c.arg(0).object();
    if (!o)
        return Value();
    const uint32_t set = vm.toUint32(c.arg(2));
    const uint32_t clear = vm.toUint32(c.arg(3));
    std::vector<QString> names;
    bool all = false;
    const Value list = c.arg(1);
    if (list.isNull() || list.isUndefined()) {
        all = true;
    } else if (auto* a = dynamic_cast<ArrayObject*>(list.object())) {
        for (const Value& v : a->elements())
            names.push_back(vm.toString(v));
    } else {
        for (const QString& n : vm.toString(list).split(','))
            names.push_back(n);
    }
    for (Property& p : o->properties()) {
        bool hit = all;
        for (const QString& n : names)
            if (vm.sameName(n, p.name))
                hit = true;
        if (hit)
            p.flags = (p.flags & ~clear) | set;
    }
    return Value();
}

} // namespace

void installObject(Vm& vm) {
    Object* proto = vm.protos().object;
    NativeFunction* ctor = vm.defineClass(
        vm.global(), QStringLiteral("Object"),
        [](Vm& vm, CallArgs& c) -> Value {
            if (c.count() > 0 && !c.arg(0).isNullish())
                return Value(vm.toObject(c.arg(0)));
            if (c.construct)
                return c.thisv;
            return Value(vm.newObject());
        },
        proto);
    (void)ctor;
    vm.defineMethod(proto, QStringLiteral("toString"), objectToString);
    vm.defineMethod(proto, QStringLiteral("toLocaleString"), objectToString);
    vm.defineMethod(proto, QStringLiteral("valueOf"),
                    [](Vm&, CallArgs& c) -> Value { return c.thisv; });
    vm.defineMethod(proto, QStringLiteral("hasOwnProperty"), [](Vm& vm, CallArgs& c) -> Value {
        // No name, or the empty one, is never an own property, even where "" was set.
        const QString name = c.count() ? vm.toString(c.arg(0)) : QString();
        // Every object holds the link to its prototype as a property of its own.
        if (Object* o = c.thisObject();
            o && o->proto() && vm.sameName(name, QStringLiteral("__proto__")))
            return Value(true);
        return Value(!name.isEmpty() && vm.hasOwn(c.thisObject(), name));
    });
    vm.defineMethod(
        proto, QStringLiteral("isPropertyEnumerable"), [](Vm& vm, CallArgs& c) -> Value {
            Object* o = c.thisObject();
            if (!o)
                return Value(false);
            const Property* p = o->findOwn(vm.toString(c.arg(0)));
            return Value(p && vm.propertyVisible(*p) && !(p->flags & propflag::DontEnum));
        });
    vm.defineMethod(proto, QStringLiteral("isPrototypeOf"), [](Vm&, CallArgs& c) -> Value {
        Object* self = c.thisObject();
        Object* o = c.arg(0).object();
        int guard = 0;
        for (Object* p = o ? o->proto() : nullptr; p && guard < 256; p = p->proto(), ++guard)
            if (p == self)
                return Value(true);
        return Value(false);
    });
    vm.defineMethod(proto, QStringLiteral("addProperty"), addProperty);
    vm.defineMethod(proto, QStringLiteral("watch"), watch);
    vm.defineMethod(proto, QStringLiteral("unwatch"), unwatch);
    vm.defineMethod(vm.global()->findOwn(QStringLiteral("Object"))->value.object(),
                    QStringLiteral("registerClass"), [](Vm& vm, CallArgs& c) -> Value {
                        if (c.count() < 2)
                            return Value(false);
                        Object* ctor = c.arg(1).object();
                        if (ctor && !ctor->isFunction())
                            return Value(false);
                        vm.registerClass(vm.toString(c.arg(0)), ctor);
                        return Value(true);
                    });
    vm.defineMethod(vm.global(), QStringLiteral("ASSetPropFlags"), asSetPropFlags);
    for (const char* name : {"hasOwnProperty", "isPropertyEnumerable", "isPrototypeOf"})
        proto->findOwn(QLatin1String(name))->flags |= propflag::OnlySwf6Up;
}

void installFunction(Vm& vm) {
    Object* proto = vm.protos().function;
    vm.defineClass(
        vm.global(), QStringLiteral("Function"),
        [](Vm& vm, CallArgs& c) -> Value {
            if (c.count() > 0)
                return c.arg(0);
            return Value(vm.newObject());
        },
        proto);
    vm.global()->findOwn(QStringLiteral("Function"))->flags |= propflag::OnlySwf6Up;
    // call and apply came with Flash 6; SWF 5 movies do not see them.
    const uint32_t swf6 = propflag::DontEnum | propflag::OnlySwf6Up;
    vm.defineMethod(
        proto, QStringLiteral("call"),
        [](Vm& vm, CallArgs& c) -> Value {
            // No object to call on means the global object.
            const Value thisv = c.arg(0).isNullish() ? Value(vm.global()) : c.arg(0);
            const std::span<const Value> rest =
                c.args.size() > 1 ? c.args.subspan(1) : std::span<const Value>();
            return vm.call(c.thisv, thisv, rest);
        },
        swf6);
    vm.defineMethod(
        proto, QStringLiteral("apply"),
        [](Vm& vm, CallArgs& c) -> Value {
            const Value thisv = c.arg(0).isNullish() ? Value(vm.global()) : c.arg(0);
            // Any object with a length serves as the arguments, as arguments itself does.
            std::vector<Value> args;
            if (auto* a = dynamic_cast<ArrayObject*>(c.arg(1).object())) {
                args = a->elements();
            } else if (Object* list = c.arg(1).object()) {
                const double length =
                    vm.toInteger(vm.getMember(c.arg(1), QStringLiteral("length")));
                const int count =
                    length > 0 ? static_cast<int>(std::min<double>(length, 65536)) : 0;
                for (int i = 0; i < count; ++i)
                    args.push_back(vm.getMember(Value(list), QString::number(i)));
            }
            return vm.call(c.thisv, thisv, args);
        },
        swf6);
}

} // namespace swf::avm1::builtins
