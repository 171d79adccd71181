// Key, Mouse and Stage: simple objects fed by the player, with listeners as AsBroadcaster
// gives them.

#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

namespace swf::avm1::builtins {

namespace {

Object* broadcaster(Vm& vm, const QString& name) {
    Object* o = vm.newObject();
    vm.global()->define(name, Value(o), propflag::DontEnum);
    const Value ab = vm.getMember(Value(vm.global()), QStringLiteral("AsBroadcaster"));
    const Value arg(o);
    vm.callMethod(ab, QStringLiteral("initialize"), std::span<const Value>(&arg, 1));
    // Listeners came with Flash 6: SWF 5 movies see the objects without them.
    for (const char* n : {"_listeners", "addListener", "removeListener", "broadcastMessage"})
        if (Property* p = o->findOwn(QLatin1String(n)))
            p->flags |= propflag::OnlySwf6Up;
    return o;
}

} // namespace

void installInput(Vm& vm) {
    Object* key = broadcaster(vm, QStringLiteral("Key"));
    const struct {
        const char* name;
        int code;
    } keys[] = {{"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46},
                {"DOWN", 40},     {"END", 35},      {"ENTER", 13},   {"ESCAPE", 27},
                {"HOME", 36},     {"INSERT", 45},   {"LEFT", 37},    {"PGDN", 34},
                {"PGUP", 33},     {"RIGHT", 39},    {"SHIFT", 16},   {"SPACE", 32},
                {"TAB", 9},       {"UP", 38},       {"ALT", 18}};
    for (const auto& k : keys)
        key->define(QLatin1String(k.name), Value(k.code), propflag::DontEnum | propflag::ReadOnly);
    vm.defineMethod(key, QStringLiteral("isDown"), [](Vm& vm, CallArgs& c) -> Value {
        return Value(vm.display() && vm.display()->isKeyDown(vm.toInt32(c.arg(0))));
    });
    vm.defineMethod(key, QStringLiteral("getCode"), [](Vm& vm, CallArgs&) -> Value {
        return Value(vm.display() ? vm.display()->lastKeyCode() : 0);
    });
    vm.defineMethod(key, QStringLiteral("getAscii"), [](Vm& vm, CallArgs&) -> Value {
        return Value(vm.display() ? vm.display()->lastAscii() : 0);
    });
    vm.defineMethod(key, QStringLiteral("isToggled"),
                    [](Vm&, CallArgs&) -> Value { return Value(false); });

    Object* mouse = broadcaster(vm, QStringLiteral("Mouse"));
    vm.defineMethod(mouse, QStringLiteral("hide"), [](Vm& vm, CallArgs&) -> Value {
        if (vm.display())
            vm.display()->setMouseHidden(true);
        return Value(0);
    });
    vm.defineMethod(mouse, QStringLiteral("show"), [](Vm& vm, CallArgs&) -> Value {
        if (vm.display())
            vm.display()->setMouseHidden(false);
        return Value(1);
    });

    Object* stage = broadcaster(vm, QStringLiteral("Stage"));
    auto size = [](bool width) {
        return [width](Vm& vm, CallArgs&) -> Value {
            const QRectF r = vm.display() ? vm.display()->stageRect() : QRectF(0, 0, 550, 400);
            return Value(width ? r.width() : r.height());
        };
    };
    stage->defineAccessor(QStringLiteral("width"), vm.newNative(size(true)), nullptr,
                          propflag::DontEnum);
    stage->defineAccessor(QStringLiteral("height"), vm.newNative(size(false)), nullptr,
                          propflag::DontEnum);
    stage->define(QStringLiteral("scaleMode"), Value(QStringLiteral("showAll")),
                  propflag::DontEnum);
    stage->define(QStringLiteral("align"), Value(QString()), propflag::DontEnum);
    stage->define(QStringLiteral("showMenu"), Value(true), propflag::DontEnum);

    vm.defineMethod(vm.global(), QStringLiteral("fscommand"), [](Vm& vm, CallArgs& c) -> Value {
        if (vm.display())
            vm.display()->fsCommand(vm.toString(c.arg(0)), vm.toString(c.arg(1)));
        return Value();
    });
}

} // namespace swf::avm1::builtins
