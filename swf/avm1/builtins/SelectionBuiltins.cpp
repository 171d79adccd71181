// Selection: which object has the keyboard focus, moved by script or by Tab and clicks, with
// onSetFocus told to its listeners; and where the caret and selection are in a focused text
// field.

#include "swf/avm1/DisplayClip.h"
#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"
#include "swf/display/TextField.h"

#include <algorithm>

namespace swf::avm1::builtins {

namespace {

ClipBridge* focused(Vm& vm) {
    return vm.display() ? vm.display()->focus() : nullptr;
}

TextField* focusedField(Vm& vm) {
    auto* d = dynamic_cast<DisplayClip*>(focused(vm));
    return d ? d->object().asTextField() : nullptr;
}

// A number the focused text field reports about its selection, -1 without one.
Value fieldIndex(Vm& vm, int (TextField::*index)() const) {
    TextField* f = focusedField(vm);
    return f ? Value(double((f->*index)())) : Value(-1);
}

} // namespace

void installSelection(Vm& vm) {
    Object* selection = vm.newObject();
    vm.global()->define(QStringLiteral("Selection"), Value(selection), propflag::DontEnum);
    const Value ab = vm.getMember(Value(vm.global()), QStringLiteral("AsBroadcaster"));
    const Value arg(selection);
    vm.callMethod(ab, QStringLiteral("initialize"), {&arg, 1});

    vm.defineMethod(selection, QStringLiteral("getFocus"), [](Vm& vm, CallArgs&) -> Value {
        ClipBridge* f = focused(vm);
        return f ? Value(MovieClipObject::dotPath(f)) : Value::null();
    });
    vm.defineMethod(selection, QStringLiteral("setFocus"), [](Vm& vm, CallArgs& c) -> Value {
        DisplayBridge* display = vm.display();
        if (!display)
            return Value(false);
        const Value target = c.arg(0);
        if (target.isNull() || target.isUndefined())
            return Value(display->setFocus(nullptr));
        Value resolved = target;
        if (target.isString()) {
            ClipBridge* root = vm.root();
            resolved = root ? vm.resolveTarget(Value(static_cast<Object*>(vm.clipObject(root))),
                                               target.string())
                            : Value();
        }
        auto* o = dynamic_cast<MovieClipObject*>(resolved.object());
        ClipBridge* clip = o ? o->clip(vm) : nullptr;
        return Value(clip && display->setFocus(clip));
    });
    vm.defineMethod(selection, QStringLiteral("getBeginIndex"), [](Vm& vm, CallArgs&) -> Value {
        return fieldIndex(vm, &TextField::selectionBegin);
    });
    vm.defineMethod(selection, QStringLiteral("getEndIndex"), [](Vm& vm, CallArgs&) -> Value {
        return fieldIndex(vm, &TextField::selectionEnd);
    });
    vm.defineMethod(selection, QStringLiteral("getCaretIndex"), [](Vm& vm, CallArgs&) -> Value {
        return fieldIndex(vm, &TextField::caretIndex);
    });
    vm.defineMethod(selection, QStringLiteral("setSelection"), [](Vm& vm, CallArgs& c) -> Value {
        if (TextField* f = focusedField(vm)) {
            const auto index = [&](const Value& v) {
                return int(std::clamp(vm.toInteger(v), 0.0, double(f->length())));
            };
            f->setSelection(index(c.arg(0)), index(c.arg(1)));
        }
        return Value();
    });
    for (const char* name :
         {"getFocus", "setFocus", "getBeginIndex", "getEndIndex", "getCaretIndex", "setSelection"})
        selection->findOwn(QLatin1String(name))->flags |= propflag::DontDelete | propflag::ReadOnly;
}

} // namespace swf::avm1::builtins
