#include "swf/avm1/Object.h"

namespace swf::avm1 {

Property* Object::findOwn(const QString& name) {
    if (props_.size() < 8) {
        for (auto& p : props_)
            if (caseSensitive_ ? p.name == name : p.name.compare(name, Qt::CaseInsensitive) == 0)
                return &p;
        return nullptr;
    }
    const auto it = index_.constFind(key(name));
    return it == index_.constEnd() ? nullptr : &props_[*it];
}

void Object::define(const QString& name, const Value& v, uint32_t flags) {
    if (Property* p = findOwn(name)) {
        p->value = v;
        p->accessor = false;
        p->getter = p->setter = nullptr;
        return;
    }
    props_.push_back(Property{name, v, nullptr, nullptr, flags, false});
    index_.insert(key(name), static_cast<int>(props_.size() - 1));
}

void Object::defineAccessor(const QString& name, Object* getter, Object* setter, uint32_t flags) {
    Property* p = findOwn(name);
    if (!p) {
        props_.push_back(Property{name, Value(), nullptr, nullptr, flags, false});
        index_.insert(key(name), static_cast<int>(props_.size() - 1));
        p = &props_.back();
    }
    p->accessor = true;
    p->getter = getter;
    p->setter = setter;
    p->value = Value();
}

bool Object::removeOwn(const QString& name) {
    for (auto it = props_.begin(); it != props_.end(); ++it) {
        if (caseSensitive_ ? it->name == name : it->name.compare(name, Qt::CaseInsensitive) == 0) {
            props_.erase(it);
            reindex();
            return true;
        }
    }
    return false;
}

void Object::reindex() {
    index_.clear();
    for (int i = 0; i < static_cast<int>(props_.size()); ++i)
        index_.insert(key(props_[i].name), i);
}

bool Object::getSpecial(Vm&, const QString&, Value&) {
    return false;
}
bool Object::setSpecial(Vm&, const QString&, const Value&) {
    return false;
}
bool Object::deleteSpecial(Vm&, const QString&) {
    return false;
}
void Object::specialNames(Vm&, std::vector<QString>&) {}

void Object::markChildren(std::vector<Object*>& pending) {
    auto add = [&](const Value& v) {
        if (Object* o = v.object())
            pending.push_back(o);
    };
    if (proto_)
        pending.push_back(proto_);
    for (const auto& p : props_) {
        add(p.value);
        if (p.getter)
            pending.push_back(p.getter);
        if (p.setter)
            pending.push_back(p.setter);
    }
    for (const auto& w : watches_) {
        if (w.callback)
            pending.push_back(w.callback);
        add(w.userData);
    }
    for (Object* i : interfaces_)
        pending.push_back(i);
    add(primitive_);
}

} // namespace swf::avm1
