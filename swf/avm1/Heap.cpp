#include "swf/avm1/Heap.h"

namespace swf::avm1 {

void Heap::collect(const std::function<void(std::vector<Object*>&)>& markRoots) {
    std::vector<Object*> pending;
    markRoots(pending);
    while (!pending.empty()) {
        Object* o = pending.back();
        pending.pop_back();
        if (!o || o->marked_)
            continue;
        o->marked_ = true;
        o->markChildren(pending);
    }
    std::vector<std::unique_ptr<Object>> kept;
    kept.reserve(objects_.size());
    for (auto& o : objects_) {
        if (o->marked_) {
            o->marked_ = false;
            kept.push_back(std::move(o));
        }
    }
    // Destroy the rest only after the survivors are safe: a destructor must not see a
    // half-updated list.
    objects_.swap(kept);
}

} // namespace swf::avm1
