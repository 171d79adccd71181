#include "swf/avm1/builtins/XmlNodeObject.h"

#include "swf/avm1/Vm.h"

#include <algorithm>

namespace swf::avm1::builtins {

Object* XmlNodeObject::attributes(Vm& vm) {
    if (!attributes_)
        attributes_ = vm.newObject();
    return attributes_;
}

ArrayObject* XmlNodeObject::childArray(Vm& vm) {
    if (!childArray_) {
        childArray_ = vm.newArray();
        syncChildArray(vm);
    }
    return childArray_;
}

void XmlNodeObject::syncChildArray(Vm& vm) {
    if (!childArray_)
        return;
    (void)vm;
    auto& e = childArray_->elements();
    e.clear();
    for (XmlNodeObject* c : children)
        e.push_back(Value(static_cast<Object*>(c)));
}

bool XmlNodeObject::isAncestorOrSelf(const XmlNodeObject* other) const {
    for (const XmlNodeObject* n = other; n; n = n->parent)
        if (n == this)
            return true;
    return false;
}

void XmlNodeObject::detach(Vm& vm) {
    if (!parent)
        return;
    auto& siblings = parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    parent->syncChildArray(vm);
    parent = nullptr;
}

bool XmlNodeObject::insert(Vm& vm, XmlNodeObject* child, std::size_t index) {
    if (!child || child->isAncestorOrSelf(this))
        return false;
    if (child->parent == this) {
        // Moving within the same list: account for the slot it leaves.
        const auto it = std::find(children.begin(), children.end(), child);
        const auto at = static_cast<std::size_t>(it - children.begin());
        if (at < index)
            --index;
    }
    child->detach(vm);
    index = std::min(index, children.size());
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(index), child);
    child->parent = this;
    syncChildArray(vm);
    return true;
}

void XmlNodeObject::removeAllChildren(Vm& vm) {
    for (XmlNodeObject* c : children)
        c->parent = nullptr;
    children.clear();
    syncChildArray(vm);
}

QString XmlNodeObject::escape(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        switch (ch.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&apos;");
            break;
        default:
            out += ch;
        }
    }
    return out;
}

QString XmlNodeObject::markup(Vm& vm) const {
    QString out;
    write(vm, out, 0);
    return out;
}

void XmlNodeObject::write(Vm& vm, QString& out, int depth) const {
    if (depth > kMaxDepth || out.size() > vm.limits().maxStringLength)
        return;
    if (nodeType == Text) {
        out += escape(nodeValue.isNullish() ? QString() : vm.toString(nodeValue));
        return;
    }
    // A nameless element (the document itself) prints only its children.
    const bool named = !nodeName.isNullish();
    QString name;
    if (named) {
        name = vm.toString(nodeName);
        out += QLatin1Char('<') + name;
        if (attributes_) {
            for (const Property& p : attributes_->properties()) {
                if (p.flags & propflag::DontEnum)
                    continue;
                out += QLatin1Char(' ') + p.name + QLatin1String("=\"") +
                       escape(vm.toString(p.value)) + QLatin1Char('"');
            }
        }
        if (children.empty()) {
            out += QLatin1String(" />");
            return;
        }
        out += QLatin1Char('>');
    }
    for (const XmlNodeObject* c : children)
        c->write(vm, out, depth + 1);
    if (named)
        out += QLatin1String("</") + name + QLatin1Char('>');
}

void XmlNodeObject::markChildren(std::vector<Object*>& pending) {
    Object::markChildren(pending);
    if (parent)
        pending.push_back(parent);
    for (XmlNodeObject* c : children)
        pending.push_back(c);
    if (attributes_)
        pending.push_back(attributes_);
    if (childArray_)
        pending.push_back(childArray_);
    if (Object* o = nodeName.object())
        pending.push_back(o);
    if (Object* o = nodeValue.object())
        pending.push_back(o);
}

} // namespace swf::avm1::builtins
