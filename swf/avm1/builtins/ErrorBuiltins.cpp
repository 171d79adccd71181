#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

namespace swf::avm1::builtins {

void installError(Vm& vm) {
    Object* proto = vm.newObject();
    vm.protos().error = proto;
    vm.defineClass(
        vm.global(), QStringLiteral("Error"),
        [](Vm& vm, CallArgs& c) -> Value {
            Object* o = c.construct ? c.thisObject() : nullptr;
            if (!o) {
                o = vm.newObject();
                o->setProto(vm.protos().error);
            }
            if (!c.arg(0).isUndefined())
                o->define(QStringLiteral("message"), c.arg(0));
            return Value(o);
        },
        proto);
    proto->define(QStringLiteral("name"), Value(QStringLiteral("Error")), propflag::DontEnum);
    proto->define(QStringLiteral("message"), Value(QStringLiteral("Error")), propflag::DontEnum);
    vm.defineMethod(proto, QStringLiteral("toString"), [](Vm& vm, CallArgs& c) -> Value {
        return Value(vm.toString(vm.getMember(c.thisv, QStringLiteral("message"))));
    });
}

} // namespace swf::avm1::builtins
