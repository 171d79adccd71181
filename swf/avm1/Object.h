#pragma once

// A script object: its own properties in the order they were made, a prototype, and the
// hooks that arrays, clips and boxed values use to keep some properties elsewhere.

#include "swf/avm1/Value.h"

#include <QHash>
#include <vector>

namespace swf::avm1 {

class Vm;

namespace propflag {
enum : uint32_t {
    DontEnum = 1,
    DontDelete = 2,
    ReadOnly = 4,
    // Visible only to movies of some versions; built-ins added in later players carry them.
    OnlySwf6Up = 1u << 7,
    IgnoreSwf6 = 1u << 8,
    OnlySwf7Up = 1u << 10,
    OnlySwf8Up = 1u << 12,
    OnlySwf9Up = 1u << 13,
    OnlySwf10Up = 1u << 14,
};
}

struct Property {
    QString name;
    Value value;
    Object* getter = nullptr; // set for properties made by addProperty
    Object* setter = nullptr;
    uint32_t flags = 0;
    bool accessor = false;
};

struct Watch {
    QString name;
    Object* callback = nullptr;
    Value userData;
};

class Object {
public:
    explicit Object(Object* proto) : proto_(proto) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    Object* proto() const { return proto_; }
    void setProto(Object* p) { proto_ = p; }

    // Own properties, ignoring version flags and special storage.
    Property* findOwn(const QString& name);
    const Property* findOwn(const QString& name) const {
        return const_cast<Object*>(this)->findOwn(name);
    }
    // Creates or overwrites a plain value property; flags apply when it is created.
    void define(const QString& name, const Value& v, uint32_t flags = 0);
    void defineAccessor(const QString& name, Object* getter, Object* setter, uint32_t flags = 0);
    bool removeOwn(const QString& name);
    const std::vector<Property>& properties() const { return props_; }
    std::vector<Property>& properties() { return props_; }

    // What typeof answers for objects of this class.
    virtual QString typeName() const { return QStringLiteral("object"); }
    virtual bool isFunction() const { return false; }
    virtual bool isClip() const { return false; }
    virtual bool isArray() const { return false; }
    // The this that toString and valueOf get when the object is converted to a value;
    // super hands on the this of the method it was made for.
    virtual Value conversionThis(const Value& self) const { return self; }

    // Properties kept outside the table. get/set return true when the name was theirs.
    virtual bool getSpecial(Vm& vm, const QString& name, Value& out);
    virtual bool setSpecial(Vm& vm, const QString& name, const Value& v);
    virtual bool deleteSpecial(Vm& vm, const QString& name);
    // Names of special properties a for..in should see, in enumeration order.
    virtual void specialNames(Vm& vm, std::vector<QString>& names);
    virtual void markChildren(std::vector<Object*>& pending);

    // The primitive a Number, String, Boolean or Date object wraps.
    bool hasPrimitive() const { return hasPrimitive_; }
    const Value& primitive() const { return primitive_; }
    void setPrimitive(const Value& v) {
        primitive_ = v;
        hasPrimitive_ = true;
    }

    std::vector<Watch>& watches() { return watches_; }
    // The interfaces a class prototype says it implements (ActionImplementsOp).
    std::vector<Object*>& interfaces() { return interfaces_; }

    bool caseSensitive() const { return caseSensitive_; }

private:
    friend class Heap;
    QString key(const QString& name) const { return caseSensitive_ ? name : name.toLower(); }
    void reindex();

    Object* proto_ = nullptr;
    std::vector<Property> props_;
    QHash<QString, int> index_;
    std::vector<Watch> watches_;
    std::vector<Object*> interfaces_;
    Value primitive_;
    bool hasPrimitive_ = false;
    bool caseSensitive_ = true;
    bool marked_ = false;
};

} // namespace swf::avm1
