// ASnative(category, index): Flash's numbered table of its own functions, which compilers and
// hand-written movies use to reach a built-in even after script replaced it by name.

#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1::builtins {

namespace {

QString entryKey(int category, int index) {
    return QStringLiteral("%1,%2").arg(category).arg(index);
}

// Script numbers as table indices; anything that is not a modest whole number finds nothing.
int tableIndex(double d) {
    return std::isfinite(d) && std::fabs(d) < 1e6 ? static_cast<int>(d) : -1;
}

Object* nativeEntry(Vm& vm, int category, int index) {
    const Property* table = vm.global()->findOwn(QStringLiteral("ASnative"));
    Object* asNative = table ? table->value.object() : nullptr;
    const Property* entry = asNative ? asNative->findOwn(entryKey(category, index)) : nullptr;
    return entry ? entry->value.object() : nullptr;
}

// A name in ASSetNative's list may start with the first player version that shows it.
QString versionedName(const QString& name, uint32_t& flags) {
    flags = 0;
    if (name.startsWith(QLatin1String("10"))) {
        flags |= propflag::OnlySwf10Up;
        return name.mid(2);
    }
    const QChar first = name.isEmpty() ? QChar() : name[0];
    if (first == QLatin1Char('1'))
        return name.mid(1);
    static const uint32_t byVersion[] = {propflag::OnlySwf6Up, propflag::OnlySwf7Up,
                                         propflag::OnlySwf8Up, propflag::OnlySwf9Up};
    if (first >= QLatin1Char('6') && first <= QLatin1Char('9')) {
        flags |= byVersion[first.unicode() - '6'];
        return name.mid(1);
    }
    return name;
}

// ASSetNative(object, category, "name,name,...", first) and ASSetNativeAccessor: each name
// in the list, empty ones included, takes the next entries of the table (one for a method, a
// getter and its setter for an accessor). A method put over a name the object has already keeps
// that property's place and flags.
Value setNatives(Vm& vm, CallArgs& c, bool accessors) {
    Object* target = c.arg(0).object();
    if (!target || c.count() < 3)
        return Value();
    const int category = tableIndex(vm.toInteger(c.arg(1)));
    const QString list = vm.toString(c.arg(2));
    int index = c.count() > 3 ? tableIndex(vm.toInteger(c.arg(3))) : 0;
    const int step = accessors ? 2 : 1;
    for (const QString& entry : list.split(QLatin1Char(','))) {
        uint32_t flags = 0;
        const QString name = versionedName(entry, flags);
        if (!name.isEmpty()) {
            if (accessors) {
                // An accessor takes the flags of its list even over a name already there.
                target->defineAccessor(name, nativeEntry(vm, category, index),
                                       nativeEntry(vm, category, index + 1), flags);
                target->findOwn(name)->flags = flags;
            } else if (Object* fn = nativeEntry(vm, category, index))
                target->define(name, Value(fn), flags);
        }
        index += step;
    }
    return Value();
}

} // namespace

void installNativeTable(Vm& vm) {
    vm.defineMethod(vm.global(), QStringLiteral("ASnative"), [](Vm& vm, CallArgs& c) -> Value {
        // Exactly two arguments: a third means some other, unknown call.
        if (!c.callee || c.count() != 2)
            return Value();
        const int category = tableIndex(vm.toInteger(c.arg(0)));
        const int index = tableIndex(vm.toInteger(c.arg(1)));
        if (const Property* entry = c.callee->findOwn(entryKey(category, index)))
            return entry->value;
        // Math's table answers every index: the ones it lacks read two numbers and give NaN.
        if (category == 200 && index >= 0)
            return Value(vm.newNative([](Vm& vm, CallArgs& c) -> Value {
                for (std::size_t i = 0; i < std::min<std::size_t>(c.count(), 2); ++i)
                    vm.toNumber(c.arg(i));
                return Value(std::nan(""));
            }));
        return Value();
    });
    vm.defineMethod(vm.global(), QStringLiteral("ASSetNative"),
                    [](Vm& vm, CallArgs& c) { return setNatives(vm, c, false); });
    vm.defineMethod(vm.global(), QStringLiteral("ASSetNativeAccessor"),
                    [](Vm& vm, CallArgs& c) { return setNatives(vm, c, true); });
    // trace as a function, for the movies that reach it through the table.
    registerNative(vm, 100, 4, vm.newNative([](Vm& vm, CallArgs& c) -> Value {
        const Value v = c.arg(0);
        vm.trace(v.isUndefined() ? QStringLiteral("undefined") : vm.toString(v));
        return Value();
    }));
    // ASnew answers whether the script function calling it was called by new.
    registerNative(vm, 2, 0, vm.newNative([](Vm& vm, CallArgs&) -> Value {
        const auto& constructing = vm.callersConstructing();
        return Value(!constructing.empty() && constructing.back());
    }));
}

void registerNative(Vm& vm, int category, int index, Object* fn) {
    // The table keeps the functions as they were made, whatever script later does to their
    // names; they live as hidden properties of ASnative itself, so they are kept alive with it.
    const Property* table = vm.global()->findOwn(QStringLiteral("ASnative"));
    if (Object* asNative = table ? table->value.object() : nullptr)
        asNative->define(entryKey(category, index), Value(fn),
                         propflag::DontEnum | propflag::DontDelete);
}

void recordNativeEntries(Vm& vm) {
    struct Entry {
        int category;
        int index;
        const char* holder; // "Object.prototype", "Math"
        const char* name;
    };
    static const Entry entries[] = {
        {100, 0, "", "escape"},
        {100, 1, "", "unescape"},
        {100, 2, "", "parseInt"},
        {100, 3, "", "parseFloat"},
        {101, 0, "Object.prototype", "watch"},
        {101, 1, "Object.prototype", "unwatch"},
        {101, 2, "Object.prototype", "addProperty"},
        {101, 3, "Object.prototype", "valueOf"},
        {101, 4, "Object.prototype", "toString"},
        {101, 5, "Object.prototype", "hasOwnProperty"},
        {101, 6, "Object.prototype", "isPrototypeOf"},
        {101, 7, "Object.prototype", "isPropertyEnumerable"},
        {101, 12, "AsBroadcaster", "broadcastMessage"},
        {200, 0, "Math", "abs"},
        {200, 1, "Math", "min"},
        {200, 2, "Math", "max"},
        {200, 3, "Math", "sin"},
        {200, 4, "Math", "cos"},
        {200, 5, "Math", "atan2"},
        {200, 6, "Math", "tan"},
        {200, 7, "Math", "exp"},
        {200, 8, "Math", "log"},
        {200, 9, "Math", "sqrt"},
        {200, 10, "Math", "round"},
        {200, 11, "Math", "random"},
        {200, 12, "Math", "floor"},
        {200, 13, "Math", "ceil"},
        {200, 14, "Math", "atan"},
        {200, 15, "Math", "asin"},
        {200, 16, "Math", "acos"},
        {200, 17, "Math", "pow"},
    };
    for (const Entry& e : entries) {
        Value holder(vm.global());
        for (const QString& part :
             QString::fromLatin1(e.holder).split(QLatin1Char('.'), Qt::SkipEmptyParts))
            holder = vm.getMember(holder, part);
        if (Object* fn = vm.getMember(holder, QLatin1String(e.name)).object())
            registerNative(vm, e.category, e.index, fn);
    }
}

} // namespace swf::avm1::builtins
