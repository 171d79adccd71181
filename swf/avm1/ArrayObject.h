#pragma once

// Arrays keep their elements in a vector; the numeric names and length are views of it.

#include "swf/avm1/Object.h"

namespace swf::avm1 {

class ArrayObject : public Object {
public:
    // No movie needs more; past this a write is ignored instead of exhausting memory.
    static constexpr std::size_t kMaxLength = 1u << 24;

    using Object::Object;
    bool isArray() const override { return true; }

    std::vector<Value>& elements() { return elements_; }
    const std::vector<Value>& elements() const { return elements_; }
    std::size_t length() const { return elements_.size(); }
    // False (and nothing changes) when n is beyond the limit.
    bool setLength(double n);
    void push(const Value& v) {
        if (elements_.size() < kMaxLength)
            elements_.push_back(v);
    }

    bool getSpecial(Vm& vm, const QString& name, Value& out) override;
    bool setSpecial(Vm& vm, const QString& name, const Value& v) override;
    bool deleteSpecial(Vm& vm, const QString& name) override;
    void specialNames(Vm& vm, std::vector<QString>& names) override;
    void markChildren(std::vector<Object*>& pending) override;

    // The index a property name spells, or -1.
    static long long indexOf(const QString& name);

private:
    // A getter and setter script added under the length or an element's name take its place.
    bool hiddenByAccessor(const QString& name) const;

    std::vector<Value> elements_;
};

} // namespace swf::avm1
