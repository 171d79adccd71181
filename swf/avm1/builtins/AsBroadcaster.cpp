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
    NativeFunction* add = vm.defineMethod(broadcaster, QStringLiteral("addListener"),
                                          [](Vm& vm, CallArgs& c) -> Value {
                                              ArrayObject* list = listeners(vm, c.thisv);
                                              if (!list)
                                                  return Value(false);
                                              // A listener is only ever on the list once.
                                              for (const Value& v : list->elements())
                                                  if (vm.strictEquals(v, c.arg(0)))
                                                      return Value(true);
                                              list->push(c.arg(0));
                                              return Value(true);
                                          });
    NativeFunction* remove = vm.defineMethod(broadcaster, QStringLiteral("removeListener"),
                                             [](Vm& vm, CallArgs& c) -> Value {
                                                 ArrayObject* list = listeners(vm, c.thisv);
                                                 if (!list)
                                                     return Value(false);
                                                 auto& e = list->elements();
                                                 for (auto it = e.begin(); it != e.end(); ++it)
                                                     if (vm.strictEquals(*it, c.arg(0))) {
                                                         e.erase(it);
                                                         return Value(true);
                                                     }
                                                 return Value(false);
                                             });
    NativeFunction* broadcast = vm.defineMethod(
        broadcaster, QStringLiteral("broadcastMessage"), [](Vm& vm, CallArgs& c) -> Value {
            ArrayObject* list = listeners(vm, c.thisv);
            if (!list || c.count() == 0)
                return Value();
            const QString name = vm.toString(c.arg(0));
            // Listeners added or removed by a handler take effect from the next message.
            const std::vector<Value> targets = list->elements();
            const std::span<const Value> args = c.args.subspan(1);
            for (const Value& t : targets)
                vm.callMethod(t, name, args);
            return Value(!targets.empty());
        });
    vm.defineMethod(broadcaster, QStringLiteral("initialize"),
                    [add, remove, broadcast](Vm& vm, CallArgs& c) -> Value {
                        Object* o = c.arg(0).object();
                        if (!o)
                            return Value();
                        o->define(QStringLiteral("_listeners"),
                                  Value(static_cast<Object*>(vm.newArray())), propflag::DontEnum);
                        o->define(QStringLiteral("addListener"), Value(static_cast<Object*>(add)),
                                  propflag::DontEnum);
                        o->define(QStringLiteral("removeListener"),
                                  Value(static_cast<Object*>(remove)), propflag::DontEnum);
                        o->define(QStringLiteral("broadcastMessage"),
                                  Value(static_cast<Object*>(broadcast)), propflag::DontEnum);
                        return Value();
                    });
}

} // namespace swf::avm1::builtins
