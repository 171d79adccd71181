#include "skin/model/SkinClassRegistry.h"

#include "skin/model/SecondFamily.h"
#include "skin/model/TSeActiveBitmap.h"
#include "skin/model/TSeActiveObject.h"
#include "skin/model/TSeBitmapObject.h"
#include "skin/model/TSeButtonObject.h"
#include "skin/model/TSeSystemButton.h"
#include "skin/model/TSeTextObject.h"

namespace skin {

namespace {
template <typename T> std::unique_ptr<TSeSkinObject> make() {
    return std::make_unique<T>();
}
} // namespace

SkinClassRegistry SkinClassRegistry::withStandardClasses() {
    SkinClassRegistry r;
    r.registerClass("TSeSkinObject", &make<TSeSkinObject>);
    r.registerClass("TSeActiveObject", &make<TSeActiveObject>);
    r.registerClass("TSeBitmapObject", &make<TSeBitmapObject>);
    r.registerClass("TSeActiveBitmap", &make<TSeActiveBitmap>);
    r.registerClass("TSeSystemButton", &make<TSeSystemButton>);
    r.registerClass("TSeButtonObject", &make<TSeButtonObject>);
    r.registerClass("TSeTextObject", &make<TSeTextObject>);
    r.registerClass("TSeLinkSkinObject", &make<TSeLinkSkinObject>);
    r.registerClass("TSeBitmapSkinObject", &make<TSeBitmapSkinObject>);
    r.registerClass("TSeFormBitmapSkinObject", &make<TSeFormBitmapSkinObject>);
    r.registerClass("TSeSysButtonSkinObject", &make<TSeSysButtonSkinObject>);
    r.registerClass("TSeActiveSkinObject", &make<TSeActiveSkinObject>);
    r.registerClass("TSeColorButtonObject", &make<TSeColorButtonObject>);
    r.registerClass("TSeBitmapBoxObject", &make<TSeBitmapBoxObject>);
    r.registerClass("TSeActiveBitmapBoxObject", &make<TSeActiveBitmapBoxObject>);
    r.registerClass("TSeButtonBitmapBoxObject", &make<TSeButtonBitmapBoxObject>);
    r.registerClass("TSeRollPanelObject", &make<TSeRollPanelObject>);
    return r;
}

void SkinClassRegistry::registerClass(std::string name, Factory factory) {
    for (auto& [n, f] : classes_) {
        if (n == name) {
            f = factory;
            return;
        }
    }
    classes_.emplace_back(std::move(name), factory);
}

std::unique_ptr<TSeSkinObject> SkinClassRegistry::create(std::string_view className) const {
    for (const auto& [n, f] : classes_) {
        if (n == className)
            return f();
    }
    return nullptr;
}

bool SkinClassRegistry::contains(std::string_view className) const {
    for (const auto& [n, f] : classes_) {
        if (n == className)
            return true;
    }
    return false;
}

std::vector<std::string> SkinClassRegistry::classNames() const {
    std::vector<std::string> names;
    for (const auto& [n, f] : classes_)
        names.push_back(n);
    return names;
}

} // namespace skin
