#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "skin/model/TSeSkinObject.h"

namespace skin {

// The skin-object classes a reader may create by name. Names compare exactly.
class SkinClassRegistry {
public:
    using Factory = std::unique_ptr<TSeSkinObject> (*)();

    // The seventeen classes of both families.
    static SkinClassRegistry withStandardClasses();

    void registerClass(std::string name, Factory factory);
    // A new object of the named class, or nullptr when the name is not registered.
    std::unique_ptr<TSeSkinObject> create(std::string_view className) const;
    bool contains(std::string_view className) const;
    std::vector<std::string> classNames() const;

private:
    std::vector<std::pair<std::string, Factory>> classes_;
};

} // namespace skin
