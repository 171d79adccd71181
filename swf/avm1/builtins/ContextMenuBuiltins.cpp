// ContextMenu and ContextMenuItem: what a movie says its right-click menu holds. The player
// keeps its own menu; the objects behave as movies expect when they build and copy them.

#include "swf/avm1/ArrayObject.h"
#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

namespace swf::avm1::builtins {

namespace {

// In Flash's order of creation, which for..in shows newest first.
const char* const kBuiltInItems[] = {"print", "forward_back", "rewind", "loop",
                                     "play",  "quality",      "zoom",   "save"};

void setItem(Vm& vm, Object* item, const Value& caption, const Value& onSelect,
             const Value& separatorBefore, const Value& enabled, const Value& visible) {
    vm.setMember(Value(item), QStringLiteral("caption"), caption);
    vm.setMember(Value(item), QStringLiteral("onSelect"), onSelect);
    vm.setMember(Value(item), QStringLiteral("separatorBefore"), separatorBefore);
    vm.setMember(Value(item), QStringLiteral("enabled"), enabled);
    vm.setMember(Value(item), QStringLiteral("visible"), visible);
}

Value newOf(Vm& vm, const char* cls) {
    const Value ctor = vm.getMember(Value(vm.global()), QLatin1String(cls));
    return vm.construct(ctor, {});
}

} // namespace

void installContextMenu(Vm& vm) {
    Object* menuProto = vm.newObject();
    vm.defineClass(
        vm.global(), QStringLiteral("ContextMenu"),
        [](Vm& vm, CallArgs& c) -> Value {
            Object* self = c.thisObject();
            if (!c.construct || !self)
                return Value();
            vm.setMember(c.thisv, QStringLiteral("onSelect"), c.arg(0));
            Object* builtIn = vm.newObject();
            for (const char* name : kBuiltInItems)
                builtIn->define(QLatin1String(name), Value(true));
            vm.setMember(c.thisv, QStringLiteral("builtInItems"), Value(builtIn));
            vm.setMember(c.thisv, QStringLiteral("customItems"),
                         Value(static_cast<Object*>(vm.newArray())));
            return Value();
        },
        menuProto);
    vm.global()->findOwn(QStringLiteral("ContextMenu"))->flags |= propflag::OnlySwf7Up;
    vm.defineMethod(menuProto, QStringLiteral("hideBuiltInItems"),
                    [](Vm& vm, CallArgs& c) -> Value {
                        const Value items = vm.getMember(c.thisv, QStringLiteral("builtInItems"));
                        if (items.object())
                            for (const char* name : kBuiltInItems)
                                vm.setMember(items, QLatin1String(name), Value(false));
                        return Value();
                    });
    vm.defineMethod(menuProto, QStringLiteral("copy"), [](Vm& vm, CallArgs& c) -> Value {
        const Value copy = newOf(vm, "ContextMenu");
        if (!copy.object())
            return Value();
        vm.setMember(copy, QStringLiteral("onSelect"),
                     vm.getMember(c.thisv, QStringLiteral("onSelect")));
        const Value from = vm.getMember(c.thisv, QStringLiteral("builtInItems"));
        const Value to = vm.getMember(copy, QStringLiteral("builtInItems"));
        if (from.object() && to.object())
            for (const char* name : kBuiltInItems)
                vm.setMember(to, QLatin1String(name), vm.getMember(from, QLatin1String(name)));
        ArrayObject* items = vm.newArray();
        if (auto* source = dynamic_cast<ArrayObject*>(
                vm.getMember(c.thisv, QStringLiteral("customItems")).object())) {
            for (const Value& item : source->elements())
                items->push(item.object() ? vm.callMethod(item, QStringLiteral("copy"), {}) : item);
        }
        vm.setMember(copy, QStringLiteral("customItems"), Value(static_cast<Object*>(items)));
        return copy;
    });

    Object* itemProto = vm.newObject();
    vm.defineClass(
        vm.global(), QStringLiteral("ContextMenuItem"),
        [](Vm& vm, CallArgs& c) -> Value {
            Object* self = c.thisObject();
            if (!c.construct || !self)
                return Value();
            setItem(vm, self, c.arg(0), c.arg(1),
                    Value(c.count() > 2 ? vm.toBoolean(c.arg(2)) : false),
                    Value(c.count() > 3 ? vm.toBoolean(c.arg(3)) : true),
                    Value(c.count() > 4 ? vm.toBoolean(c.arg(4)) : true));
            return Value();
        },
        itemProto);
    vm.global()->findOwn(QStringLiteral("ContextMenuItem"))->flags |= propflag::OnlySwf7Up;
    vm.defineMethod(itemProto, QStringLiteral("copy"), [](Vm& vm, CallArgs& c) -> Value {
        const Value copy = newOf(vm, "ContextMenuItem");
        if (Object* o = copy.object()) {
            const auto field = [&](const char* name) {
                return vm.getMember(c.thisv, QLatin1String(name));
            };
            setItem(vm, o, field("caption"), field("onSelect"), field("separatorBefore"),
                    field("enabled"), field("visible"));
        }
        return copy;
    });
}

} // namespace swf::avm1::builtins
