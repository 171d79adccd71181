#pragma once

// Callable objects: functions written in the movie's bytecode and functions of the player.

#include "swf/avm1/Object.h"

#include <functional>
#include <span>

namespace swf::avm1 {

struct CallArgs {
    Value thisv;
    std::span<const Value> args;
    Object* callee = nullptr;
    // The object on the prototype chain where the method was found; super starts above it.
    Object* home = nullptr;
    bool construct = false;

    Value arg(std::size_t i) const { return i < args.size() ? args[i] : Value(); }
    std::size_t count() const { return args.size(); }
    Object* thisObject() const { return thisv.object(); }
};

class FunctionObject : public Object {
public:
    using Object::Object;
    QString typeName() const override { return QStringLiteral("function"); }
    bool isFunction() const override { return true; }
    virtual Value call(Vm& vm, CallArgs& call) = 0;
    // Makes the object new Fn() starts from; plain objects unless the class needs its own kind.
    virtual Object* allocate(Vm& vm, Object* proto);
};

class NativeFunction : public FunctionObject {
public:
    using Fn = std::function<Value(Vm&, CallArgs&)>;
    using Allocator = std::function<Object*(Vm&, Object* proto)>;
    NativeFunction(Object* proto, Fn fn) : FunctionObject(proto), fn_(std::move(fn)) {}
    Value call(Vm& vm, CallArgs& call) override { return fn_(vm, call); }
    Object* allocate(Vm& vm, Object* proto) override;
    void setAllocator(Allocator a) { allocator_ = std::move(a); }

private:
    Fn fn_;
    Allocator allocator_;
};

} // namespace swf::avm1
