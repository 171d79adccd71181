#include "swf/avm1/ArrayObject.h"

#include "swf/avm1/Vm.h"

#include <cmath>

namespace swf::avm1 {

long long ArrayObject::indexOf(const QString& name) {
    if (name.isEmpty() || name.size() > 10)
        return -1;
    long long v = 0;
    for (QChar c : name) {
        if (c < '0' || c > '9')
            return -1;
        v = v * 10 + (c.unicode() - '0');
    }
    if (name.size() > 1 && name[0] == '0')
        return -1;
    return v;
}

bool ArrayObject::setLength(double n) {
    if (std::isnan(n) || n < 0)
        n = 0;
    if (n > kMaxLength)
        return false;
    elements_.resize(static_cast<std::size_t>(n));
    return true;
}

bool ArrayObject::hiddenByAccessor(const QString& name) const {
    if (properties().empty())
        return false;
    const Property* p = findOwn(name);
    return p && p->accessor;
}

bool ArrayObject::getSpecial(Vm&, const QString& name, Value& out) {
    if (hiddenByAccessor(name))
        return false;
    if (name == QLatin1String("length")) {
        out = Value(static_cast<double>(elements_.size()));
        return true;
    }
    const long long i = indexOf(name);
    if (i < 0 || static_cast<std::size_t>(i) >= elements_.size())
        return false;
    out = elements_[i];
    return true;
}

bool ArrayObject::setSpecial(Vm& vm, const QString& name, const Value& v) {
    if (hiddenByAccessor(name))
        return false;
    if (name == QLatin1String("length")) {
        setLength(vm.toNumber(v));
        return true;
    }
    const long long i = indexOf(name);
    if (i < 0)
        return false;
    if (static_cast<std::size_t>(i) >= kMaxLength)
        return true;
    if (static_cast<std::size_t>(i) >= elements_.size())
        elements_.resize(i + 1);
    elements_[i] = v;
    return true;
}

bool ArrayObject::deleteSpecial(Vm&, const QString& name) {
    const long long i = indexOf(name);
    if (i < 0 || static_cast<std::size_t>(i) >= elements_.size())
        return false;
    elements_[i] = Value();
    return true;
}

void ArrayObject::specialNames(Vm&, std::vector<QString>& names) {
    for (std::size_t i = 0; i < elements_.size(); ++i)
        names.push_back(QString::number(i));
}

void ArrayObject::markChildren(std::vector<Object*>& pending) {
    Object::markChildren(pending);
    for (const auto& v : elements_)
        if (Object* o = v.object())
            pending.push_back(o);
}

} // namespace swf::avm1
