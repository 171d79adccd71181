#pragma once

// Owns every script object of one machine and frees the unreachable ones. Collection runs
// only between scripts (the machine asks for it between frames), so nothing on a running
// interpreter's stack can be freed under it.

#include "swf/avm1/Object.h"

#include <functional>
#include <memory>
#include <vector>

namespace swf::avm1 {

class Heap {
public:
    explicit Heap(bool caseSensitive) : caseSensitive_(caseSensitive) {}

    template <typename T, typename... Args> T* make(Args&&... args) {
        auto owned = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = owned.get();
        raw->caseSensitive_ = caseSensitive_;
        objects_.push_back(std::move(owned));
        return raw;
    }

    std::size_t size() const { return objects_.size(); }
    // Frees everything not reachable from the roots markRoots pushes.
    void collect(const std::function<void(std::vector<Object*>&)>& markRoots);
    // Frees everything: the machine is going away.
    void clear() { objects_.clear(); }

private:
    std::vector<std::unique_ptr<Object>> objects_;
    bool caseSensitive_;
};

} // namespace swf::avm1
