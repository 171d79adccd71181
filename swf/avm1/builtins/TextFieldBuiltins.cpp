// The TextField class: the methods of text fields (their properties live on the fields, see
// TextFieldProperties), and TextFormat objects read from and written to a field's text.

#include "swf/avm1/ArrayObject.h"
#include "swf/avm1/DisplayClip.h"
#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/StyleSheetBuiltins.h"
#include "swf/avm1/builtins/TextFormatObject.h"
#include "swf/avm1/builtins/TextSnapshotBuiltins.h"
#include "swf/display/TextField.h"

#include <QFontDatabase>
#include <cmath>

namespace swf::avm1::builtins {

namespace {

ClipBridge* fieldBridge(Vm& vm, const Value& v) {
    auto* o = dynamic_cast<MovieClipObject*>(v.object());
    ClipBridge* clip = o ? o->clip(vm) : nullptr;
    return clip && clip->isTextField() ? clip : nullptr;
}

TextField* fieldOf(Vm& vm, const Value& v) {
    auto* d = dynamic_cast<DisplayClip*>(fieldBridge(vm, v));
    return d ? d->object().asTextField() : nullptr;
}

int indexOf(Vm& vm, const Value& v) {
    const double d = vm.toInteger(v);
    return int(std::clamp(d, -1.0, 2147483647.0));
}

} // namespace

void installTextField(Vm& vm) {
    Object* proto = vm.newObject();
    vm.protos().textField = proto;
    Object* ctor = vm.defineClass(
        vm.global(), QStringLiteral("TextField"), [](Vm&, CallArgs& c) -> Value { return c.thisv; },
        proto);
    vm.defineMethod(proto, QStringLiteral("getDepth"), [](Vm& vm, CallArgs& c) -> Value {
        ClipBridge* field = fieldBridge(vm, c.thisv);
        return field ? Value(field->depth()) : Value();
    });
    vm.defineMethod(proto, QStringLiteral("removeTextField"), [](Vm& vm, CallArgs& c) -> Value {
        // Only what script made can be taken away by script, as with clips.
        if (ClipBridge* field = fieldBridge(vm, c.thisv); field && field->depth() >= 0)
            field->remove();
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("replaceSel"), [](Vm& vm, CallArgs& c) -> Value {
        if (TextField* f = fieldOf(vm, c.thisv); f && c.count() > 0)
            f->replaceSel(vm.toString(c.arg(0)));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("replaceText"), [](Vm& vm, CallArgs& c) -> Value {
        TextField* f = fieldOf(vm, c.thisv);
        if (!f || c.count() < 3)
            return Value();
        const int begin = indexOf(vm, c.arg(0)), end = indexOf(vm, c.arg(1));
        if (begin < 0 || end < begin)
            return Value();
        f->replaceText(std::min(begin, f->length()), std::min(end, f->length()),
                       vm.toString(c.arg(2)));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("getTextFormat"), [](Vm& vm, CallArgs& c) -> Value {
        TextField* f = fieldOf(vm, c.thisv);
        if (!f)
            return Value();
        int begin = 0, end = f->length();
        if (c.count() >= 1) {
            begin = indexOf(vm, c.arg(0));
            end = c.count() >= 2 ? indexOf(vm, c.arg(1)) : begin + 1;
        }
        return formatObject(vm, f->textFormat(begin, end));
    });
    vm.defineMethod(proto, QStringLiteral("setTextFormat"), [](Vm& vm, CallArgs& c) -> Value {
        TextField* f = fieldOf(vm, c.thisv);
        if (!f || c.count() == 0)
            return Value();
        // (format), (index, format) or (begin, end, format): the format comes last.
        const Value format = c.arg(c.count() - 1);
        int begin = -1, end = -1;
        if (c.count() == 2) {
            begin = indexOf(vm, c.arg(0));
            end = begin + 1;
        } else if (c.count() >= 3) {
            begin = indexOf(vm, c.arg(0));
            end = indexOf(vm, c.arg(1));
        }
        f->setTextFormat(begin, end, partialOf(vm, format));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("getNewTextFormat"), [](Vm& vm, CallArgs& c) -> Value {
        TextField* f = fieldOf(vm, c.thisv);
        return f ? formatObject(vm, text::PartialTextFormat::from(f->defaultTextFormat()))
                 : Value();
    });
    vm.defineMethod(proto, QStringLiteral("setNewTextFormat"), [](Vm& vm, CallArgs& c) -> Value {
        if (TextField* f = fieldOf(vm, c.thisv))
            f->setDefaultTextFormat(partialOf(vm, c.arg(0)));
        return Value();
    });
    installStyleSheet(vm, ctor);
    installTextSnapshot(vm);
    vm.defineMethod(ctor, QStringLiteral("getFontList"), [](Vm& vm, CallArgs&) -> Value {
        std::vector<Value> names;
        for (const QString& family : QFontDatabase::families())
            names.emplace_back(family);
        return Value(static_cast<Object*>(vm.newArray(std::move(names))));
    });
    // Text fields became objects in Flash 6; replaceText came with Flash 8.
    for (const char* name : {"getDepth", "removeTextField", "replaceSel", "getTextFormat",
                             "setTextFormat", "getNewTextFormat", "setNewTextFormat"})
        proto->findOwn(QLatin1String(name))->flags |= propflag::OnlySwf6Up;
    proto->findOwn(QStringLiteral("replaceText"))->flags |= propflag::OnlySwf8Up;
    // Each field keeps its own listeners (for onChanged and onScroller), made on first use;
    // adding and removing them is AsBroadcaster's.
    for (const char* name : {"addListener", "removeListener"}) {
        const QString method = QLatin1String(name);
        vm.defineMethod(proto, method, [method](Vm& vm, CallArgs& c) -> Value {
            Object* o = c.thisObject();
            if (!o)
                return Value(false);
            if (!o->findOwn(QStringLiteral("_listeners")))
                o->define(QStringLiteral("_listeners"), Value(static_cast<Object*>(vm.newArray())),
                          propflag::DontEnum);
            const Value broadcaster =
                vm.getMember(Value(vm.global()), QStringLiteral("AsBroadcaster"));
            return vm.call(vm.getMember(broadcaster, method), c.thisv, c.args);
        });
    }
}

} // namespace swf::avm1::builtins
