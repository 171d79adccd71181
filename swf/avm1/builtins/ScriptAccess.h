#pragma once

// Small helpers for built-ins that behave like classes written in script: they read and write
// their fields as ordinary properties, so a movie that stores a string or an object in a
// field sees it come back as it put it, and arithmetic follows the movie's own rules.

#include "swf/avm1/Vm.h"

#include <QStringList>

namespace swf::avm1::builtins {

inline Value field(Vm& vm, const Value& o, const char* name) {
    return vm.getMember(o, QLatin1String(name));
}

inline void setField(Vm& vm, const Value& o, const char* name, const Value& v) {
    vm.setMember(o, QLatin1String(name), v);
}

inline double num(Vm& vm, const Value& o, const char* name) {
    return vm.toNumber(field(vm, o, name));
}

// The object for a dotted package such as "flash.geom", made on first use. Packages belong
// to Flash 8 and later, so movies of older versions never see them.
inline Object* package(Vm& vm, const QString& dotted) {
    Object* at = vm.global();
    bool top = true;
    for (const QString& part : dotted.split(QLatin1Char('.'))) {
        Property* p = at->findOwn(part);
        Object* next = p ? p->value.object() : nullptr;
        if (!next) {
            next = vm.newObject();
            at->define(part, Value(next), top ? propflag::DontEnum | propflag::OnlySwf8Up : 0);
        }
        at = next;
        top = false;
    }
    return at;
}

// The class constructor a package holds, for building results of the same class.
inline Value classIn(Vm& vm, const char* packageName, const char* className) {
    return Value(
        package(vm, QLatin1String(packageName))->findOwn(QLatin1String(className))
            ? package(vm, QLatin1String(packageName))->findOwn(QLatin1String(className))->value
            : Value());
}

inline Value construct(Vm& vm, const char* packageName, const char* className,
                       std::initializer_list<Value> args) {
    const std::vector<Value> list(args);
    return vm.construct(classIn(vm, packageName, className), list);
}

// An accessor property on a prototype, as native classes define their computed fields.
inline void defineAccessor(Vm& vm, Object* on, const char* name, NativeFunction::Fn get,
                           NativeFunction::Fn set = {}) {
    NativeFunction* g = vm.newNative(std::move(get));
    NativeFunction* s = set ? vm.newNative(std::move(set)) : nullptr;
    on->defineAccessor(QLatin1String(name), g, s, propflag::DontEnum);
}

} // namespace swf::avm1::builtins
