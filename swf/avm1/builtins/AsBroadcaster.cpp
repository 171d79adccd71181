#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

namespace swf::avm1::builtins {

namespace {

ArrayObject* listeners(Vm& vm, const Value& self) {
    return dynamic_cast<ArrayObject*>(vm.getMember(self, QStringLiteral("_listeners")).object());
}

} // namespace

void installAsBroadcaster(Vm& vm) {
    // A function, as typeof shows, though nothing is made with new from it.
    Object* broadcaster = vm.defineClass(
        vm.global(), QStringLiteral("AsBroadcaster"),
        [](Vm&, CallArgs&) -> Value { return Value(); }, vm.newObject());
    // Like the listeners it gives out, it came with Flash 6.
    if (Property* p = vm.global()->findOwn(QStringLiteral("AsBroadcaster")))
        p->flags |= propflag::OnlySwf6Up;
    // Listeners are matched with ==, so undefined and null stand for each other. Adding
    // takes out a matching listener before putting the new one at the end.
    auto removeMatching = [](Vm& vm, ArrayObject* list, const Value& listener) {
        auto& e = list->elements();
        for (auto it = e.begin(); it != e.end(); ++it)
            if (vm.equals(*it, listener)) {
                e.erase(it);
                return true;
            }
        return false;
    };
    vm.defineMethod(broadcaster, QStringLiteral("addListener"),
                    [removeMatching](Vm& vm, CallArgs& c) -> Value {
                        ArrayObject* list = listeners(vm, c.thisv);
                        if (!list)
                            return Value(false);
                        removeMatching(vm, list, c.arg(0));
                        list->push(c.arg(0));
                        return Value(true);
                    });
    vm.defineMethod(broadcaster, QStringLiteral("removeListener"),
                    [removeMatching](Vm& vm, CallArgs& c) -> Value {
                        ArrayObject* list = listeners(vm, c.thisv);
                        return Value(list && removeMatching(vm, list, c.arg(0)));
                    });
    NativeFunction* broadcast = vm.defineMethod(
        broadcaster, QStringLiteral("broadcastMessage"), [](Vm& vm, CallArgs& c) -> Value {
            ArrayObject* list = listeners(vm, c.thisv);
            if (!list || c.count() == 0)
                return Value();
            const QString name = vm.toString(c.arg(0));
            // Listeners added or removed by a handler take effect from the next
            // message.
            const std::vector<Value> targets = list->elements();
            const std::span<const Value> args = c.args.subspan(1);
            bool reached = false;
            for (const Value& t : targets) {
                if (t.isNullish())
                    continue;
                reached = true;
                // An empty message name calls the listener itself, as a method call
                // with no name does.
                if (name.isEmpty())
                    vm.call(t, t, args);
                else
                    vm.callMethod(t, name, args);
            }
            return reached ? Value(true) : Value();
        });
    registerNative(vm, 101, 12, broadcast);
    // initialize copies whatever AsBroadcaster's listener methods are now, so movies can
    // override them; broadcastMessage comes from Flash's numbered table instead, as Flash
    // does it.
    vm.defineMethod(broadcaster, QStringLiteral("initialize"), [](Vm& vm, CallArgs& c) -> Value {
        Object* o = c.arg(0).object();
        if (!o)
            return Value();
        const Value global(vm.global());
        const Value source = vm.getMember(global, QStringLiteral("AsBroadcaster"));
        const Value table = vm.getMember(global, QStringLiteral("ASnative"));
        const Value entry[] = {Value(101), Value(12)};
        o->define(QStringLiteral("broadcastMessage"), vm.call(table, global, entry),
                  propflag::DontEnum);
        for (const QString& name :
             {QStringLiteral("addListener"), QStringLiteral("removeListener")})
            o->define(name, vm.getMember(source, name), propflag::DontEnum);
        o->define(QStringLiteral("_listeners"), Value(static_cast<Object*>(vm.newArray())),
                  propflag::DontEnum);
        return Value();
    });
}

} // namespace swf::avm1::builtins
