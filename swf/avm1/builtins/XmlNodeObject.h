#pragma once

// One node of a script's XML tree. The tree's links live here rather than in properties, so
// script cannot break them (a node is in at most one parent's list, and never inside itself);
// the childNodes array and the attributes object script sees are kept beside them.

#include "swf/avm1/ArrayObject.h"
#include "swf/avm1/Object.h"

namespace swf::avm1 {
class Vm;
}

namespace swf::avm1::builtins {

class XmlNodeObject : public Object {
public:
    enum : int { Element = 1, Text = 3 };
    // Deeper trees are cut off when parsed and not walked further when printed or copied,
    // so a hostile document cannot exhaust the stack.
    static constexpr int kMaxDepth = 2048;

    using Object::Object;

    int nodeType = Element;
    Value nodeName = Value::null();
    Value nodeValue = Value::null();
    XmlNodeObject* parent = nullptr;
    std::vector<XmlNodeObject*> children;

    // Made on first use; the prototype is the machine's Object.prototype and Array.prototype.
    Object* attributes(Vm& vm);
    ArrayObject* childArray(Vm& vm);
    void setAttributes(Object* o) { attributes_ = o; }

    bool isAncestorOrSelf(const XmlNodeObject* other) const;
    void detach(Vm& vm);
    // Inserts child before the child at index (or at the end), taking it from its old parent.
    // False when that would make a cycle.
    bool insert(Vm& vm, XmlNodeObject* child, std::size_t index);
    void removeAllChildren(Vm& vm);
    void syncChildArray(Vm& vm);

    // The markup Flash prints, with entities escaped.
    QString markup(Vm& vm) const;
    static QString escape(const QString& text);

    void markChildren(std::vector<Object*>& pending) override;

private:
    void write(Vm& vm, QString& out, int depth) const;
    Object* attributes_ = nullptr;
    ArrayObject* childArray_ = nullptr;
};

} // namespace swf::avm1::builtins
