#include "skin/model/TSeSkinSource.h"

#include <cctype>

#include "skin/model/HueShift.h"
#include "skin/model/SkinTypes.h"

namespace skin {

TSeSkinSource::TSeSkinSource() = default;

TSeSkinSource::~TSeSkinSource() {
    // Trees point into the bitmaps; let them go first.
    objects_.clear();
    bitmaps_.clear();
}

void TSeSkinSource::clear() {
    objects_.clear();
    bitmaps_.clear();
}

void TSeSkinSource::addBitmap(std::unique_ptr<TSeBitmap> bitmap) {
    bitmaps_.push_back(std::move(bitmap));
}

TSeSkinObject& TSeSkinSource::addObject(std::unique_ptr<TSeSkinObject> object) {
    object->setCharset(1);
    objects_.push_back(std::move(object));
    TSeSkinObject& added = *objects_.back();
    added.setBitmaps(&bitmaps_);
    added.afterLoad();
    return added;
}

TSeSkinObject* TSeSkinSource::findObject(std::string_view name) const {
    if (busy_)
        return nullptr;
    for (const auto& o : objects_) {
        if (equalsIgnoreCase(o->name(), name))
            return o.get();
    }
    return nullptr;
}

TSeSkinObject* TSeSkinSource::formObject() const {
    if (busy_)
        return nullptr;
    if (auto* form = findObject("Form"))
        return form;
    for (const auto& o : objects_) {
        if (o->Kind == TSeKind::skForm)
            return o.get();
    }
    return nullptr;
}

const TSeBitmap* TSeSkinSource::findBitmap(std::string_view name) const {
    const TSeBitmap* found = nullptr;
    for (const auto& b : bitmaps_) {
        if (equalsIgnoreCase(b->name(), name))
            found = b.get();
    }
    return found;
}

void TSeSkinSource::setHue(int offset) {
    if (offset == requestedHue_)
        return;
    requestedHue_ = offset;
    // The difference of two ints may not fit one; reduced, it is the same turn of the circle.
    const int step = reduceHueDelta(static_cast<long long>(offset) - appliedHue_);
    if (step != 0) {
        for (auto& b : bitmaps_)
            b->shiftHue(step);
        for (auto& o : objects_)
            o->shiftHue(step);
    }
    appliedHue_ = offset;
}

} // namespace skin
