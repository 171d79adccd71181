#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

#include <QFontDatabase>

namespace swf::avm1::builtins {

namespace {

ClipBridge* fieldOf(Vm& vm, const Value& v) {
    auto* o = dynamic_cast<MovieClipObject*>(v.object());
    ClipBridge* clip = o ? o->clip(vm) : nullptr;
    return clip && clip->isTextField() ? clip : nullptr;
}

} // namespace

void installTextField(Vm& vm) {
    Object* proto = vm.newObject();
    vm.protos().textField = proto;
    Object* ctor = vm.defineClass(
        vm.global(), QStringLiteral("TextField"), [](Vm&, CallArgs& c) -> Value { return c.thisv; },
        proto);
    vm.defineMethod(proto, QStringLiteral("getDepth"), [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* field = fieldOf(vm, c.thisv);
        return field ? Value(field->depth()) : Value();
    });
    vm.defineMethod(proto, QStringLiteral("removeTextField"), [](Vm& vm, CallArgs& c) -> Value {
        // Only what script made can be taken away by script, as with clips.
        if (ClipBridge* field = fieldOf(vm, c.thisv); field && field->depth() >= 0)
            field->remove();
        return Value();
    });
    vm.defineMethod(ctor, QStringLiteral("getFontList"), [](Vm& vm, CallArgs&) -> Value {
        std::vector<Value> names;
        for (const QString& family : QFontDatabase::families())
            names.emplace_back(family);
        return Value(static_cast<Object*>(vm.newArray(std::move(names))));
    });
}

} // namespace swf::avm1::builtins
