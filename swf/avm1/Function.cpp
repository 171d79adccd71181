#include "swf/avm1/Function.h"

#include "swf/avm1/Vm.h"

namespace swf::avm1 {

Object* FunctionObject::allocate(Vm& vm, Object* proto) {
    return vm.heap().make<Object>(proto);
}

Object* NativeFunction::allocate(Vm& vm, Object* proto) {
    if (allocator_)
        return allocator_(vm, proto);
    return FunctionObject::allocate(vm, proto);
}

} // namespace swf::avm1
