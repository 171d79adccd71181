#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ScriptAccess.h"
#include "swf/avm1/builtins/ScriptLoad.h"
#include "swf/avm1/builtins/XmlNodeObject.h"
#include "swf/avm1/builtins/XmlParser.h"

namespace swf::avm1::builtins {

namespace {

XmlNodeObject* node(const Value& v) {
    return dynamic_cast<XmlNodeObject*>(v.object());
}

Value nodeValue(XmlNodeObject* n) {
    return n ? Value(static_cast<Object*>(n)) : Value::null();
}

struct XmlClasses {
    Object* nodeProto = nullptr;
    Object* nodeCtor = nullptr;
};

XmlNodeObject* makeNode(Vm& vm, Object* proto, Object* ctor, int type, const QString& text) {
    auto* n = vm.heap().make<XmlNodeObject>(proto);
    vm.initInstance(n, ctor);
    n->nodeType = type;
    if (type == XmlNodeObject::Text)
        n->nodeValue = Value(text);
    else
        n->nodeName = Value(text);
    return n;
}

XmlNodeObject* cloneNode(Vm& vm, XmlNodeObject* src, bool deep, int depth) {
    auto* copy = vm.heap().make<XmlNodeObject>(src->proto());
    if (Property* p = src->findOwn(QStringLiteral("__constructor__")))
        copy->define(QStringLiteral("__constructor__"), p->value, propflag::DontEnum);
    copy->nodeType = src->nodeType;
    copy->nodeName = src->nodeName;
    copy->nodeValue = src->nodeValue;
    Object* attrs = copy->attributes(vm);
    for (const Property& p : src->attributes(vm)->properties())
        attrs->define(p.name, p.value, p.flags);
    if (deep && depth < XmlNodeObject::kMaxDepth)
        for (XmlNodeObject* c : src->children)
            copy->insert(vm, cloneNode(vm, c, true, depth + 1), copy->children.size());
    return copy;
}

// Parses text into doc, replacing what it held, and sets the document's status and
// declarations.
void parseInto(Vm& vm, XmlNodeObject* doc, const QString& text, Object* proto, Object* ctor) {
    doc->removeAllChildren(vm);
    const bool ignoreWhite = vm.toBoolean(vm.getMember(Value(doc), QStringLiteral("ignoreWhite")));
    XmlParser parser(
        [&](bool isText, const QString& s) {
            return makeNode(vm, proto, ctor, isText ? XmlNodeObject::Text : XmlNodeObject::Element,
                            s);
        },
        [&](XmlNodeObject* n, const QString& name, const QString& value) {
            n->attributes(vm)->define(name, Value(value));
            // Elements with an id are also found by it, across every parse of the document.
            if (name == QLatin1String("id"))
                if (Object* ids = vm.getMember(Value(doc), QStringLiteral("idMap")).object())
                    ids->define(value, Value(static_cast<Object*>(n)));
        },
        [&](XmlNodeObject* parent, XmlNodeObject* child) {
            parent->insert(vm, child, parent->children.size());
        });
    const XmlParseResult r = parser.parse(text, doc, ignoreWhite);
    const Value target(static_cast<Object*>(doc));
    vm.setMember(target, QStringLiteral("status"), Value(r.status));
    vm.setMember(target, QStringLiteral("xmlDecl"), r.hasXmlDecl ? Value(r.xmlDecl) : Value());
    vm.setMember(target, QStringLiteral("docTypeDecl"),
                 r.hasDocType ? Value(r.docTypeDecl) : Value());
}

void installNodeAccessors(Vm& vm, Object* proto) {
    auto readOnly = [&](const char* name, std::function<Value(Vm&, XmlNodeObject*)> get) {
        defineAccessor(vm, proto, name, [get](Vm& vm, CallArgs& c) -> Value {
            XmlNodeObject* n = node(c.thisv);
            return n ? get(vm, n) : Value();
        });
    };
    readOnly("nodeType", [](Vm&, XmlNodeObject* n) { return Value(n->nodeType); });
    readOnly("attributes", [](Vm& vm, XmlNodeObject* n) { return Value(n->attributes(vm)); });
    readOnly("childNodes", [](Vm& vm, XmlNodeObject* n) {
        return Value(static_cast<Object*>(n->childArray(vm)));
    });
    readOnly("parentNode", [](Vm&, XmlNodeObject* n) { return nodeValue(n->parent); });
    readOnly("firstChild", [](Vm&, XmlNodeObject* n) {
        return nodeValue(n->children.empty() ? nullptr : n->children.front());
    });
    readOnly("lastChild", [](Vm&, XmlNodeObject* n) {
        return nodeValue(n->children.empty() ? nullptr : n->children.back());
    });
    auto sibling = [](XmlNodeObject* n, int step) -> Value {
        if (!n->parent)
            return Value::null();
        const auto& s = n->parent->children;
        const auto it = std::find(s.begin(), s.end(), n);
        const auto i = (it - s.begin()) + step;
        if (i < 0 || i >= static_cast<std::ptrdiff_t>(s.size()))
            return Value::null();
        return nodeValue(s[static_cast<std::size_t>(i)]);
    };
    readOnly("nextSibling", [sibling](Vm&, XmlNodeObject* n) { return sibling(n, 1); });
    readOnly("previousSibling", [sibling](Vm&, XmlNodeObject* n) { return sibling(n, -1); });
    readOnly("prefix", [](Vm& vm, XmlNodeObject* n) -> Value {
        if (n->nodeName.isNullish())
            return Value::null();
        const QString name = vm.toString(n->nodeName);
        const qsizetype colon = name.indexOf(QLatin1Char(':'));
        return Value(colon < 0 ? QString() : name.left(colon));
    });
    readOnly("localName", [](Vm& vm, XmlNodeObject* n) -> Value {
        if (n->nodeName.isNullish())
            return Value::null();
        const QString name = vm.toString(n->nodeName);
        return Value(name.mid(name.indexOf(QLatin1Char(':')) + 1));
    });
    defineAccessor(
        vm, proto, "nodeName",
        [](Vm&, CallArgs& c) -> Value {
            XmlNodeObject* n = node(c.thisv);
            return n ? n->nodeName : Value();
        },
        [](Vm& vm, CallArgs& c) -> Value {
            if (XmlNodeObject* n = node(c.thisv))
                n->nodeName = c.arg(0).isNullish() ? Value::null() : Value(vm.toString(c.arg(0)));
            return Value();
        });
    defineAccessor(
        vm, proto, "nodeValue",
        [](Vm&, CallArgs& c) -> Value {
            XmlNodeObject* n = node(c.thisv);
            return n ? n->nodeValue : Value();
        },
        [](Vm& vm, CallArgs& c) -> Value {
            if (XmlNodeObject* n = node(c.thisv))
                n->nodeValue = c.arg(0).isNullish() ? Value::null() : Value(vm.toString(c.arg(0)));
            return Value();
        });
}

} // namespace

void installXml(Vm& vm) {
    // The escaping XML text gets, reachable only through the native table.
    registerNative(vm, 100, 5, vm.newNative([](Vm& vm, CallArgs& c) -> Value {
        if (c.count() == 0)
            return Value();
        return Value(XmlNodeObject::escape(vm.toString(c.arg(0))));
    }));
    auto classes = std::make_shared<XmlClasses>();
    Object* nodeProto = vm.newObject();
    NativeFunction* nodeCtor = vm.defineClass(
        vm.global(), QStringLiteral("XMLNode"),
        [](Vm& vm, CallArgs& c) -> Value {
            XmlNodeObject* n = node(c.thisv);
            if (!n)
                return Value();
            n->nodeType = vm.toInt32(c.arg(0)) == XmlNodeObject::Text ? XmlNodeObject::Text
                                                                      : XmlNodeObject::Element;
            const Value text = c.arg(1).isNullish() ? Value::null() : Value(vm.toString(c.arg(1)));
            if (n->nodeType == XmlNodeObject::Text)
                n->nodeValue = text;
            else
                n->nodeName = text;
            return Value();
        },
        nodeProto);
    nodeCtor->setAllocator(
        [](Vm& vm, Object* p) -> Object* { return vm.heap().make<XmlNodeObject>(p); });
    classes->nodeProto = nodeProto;
    classes->nodeCtor = nodeCtor;
    installNodeAccessors(vm, nodeProto);

    vm.defineMethod(nodeProto, QStringLiteral("appendChild"), [](Vm& vm, CallArgs& c) -> Value {
        XmlNodeObject* n = node(c.thisv);
        XmlNodeObject* child = node(c.arg(0));
        // Already one of this node's children: Flash leaves it where it is.
        if (n && child && child->parent != n)
            n->insert(vm, child, n->children.size());
        return Value();
    });
    vm.defineMethod(nodeProto, QStringLiteral("insertBefore"), [](Vm& vm, CallArgs& c) -> Value {
        XmlNodeObject* n = node(c.thisv);
        XmlNodeObject* before = node(c.arg(1));
        XmlNodeObject* child = node(c.arg(0));
        if (!n || !before || before->parent != n || !child || child->parent == n)
            return Value();
        const auto it = std::find(n->children.begin(), n->children.end(), before);
        n->insert(vm, child, static_cast<std::size_t>(it - n->children.begin()));
        return Value();
    });
    vm.defineMethod(nodeProto, QStringLiteral("removeNode"), [](Vm& vm, CallArgs& c) -> Value {
        if (XmlNodeObject* n = node(c.thisv))
            n->detach(vm);
        return Value();
    });
    vm.defineMethod(nodeProto, QStringLiteral("cloneNode"), [](Vm& vm, CallArgs& c) -> Value {
        XmlNodeObject* n = node(c.thisv);
        if (!n)
            return Value();
        return Value(static_cast<Object*>(cloneNode(vm, n, vm.toBoolean(c.arg(0)), 0)));
    });
    vm.defineMethod(nodeProto, QStringLiteral("hasChildNodes"), [](Vm&, CallArgs& c) -> Value {
        XmlNodeObject* n = node(c.thisv);
        return Value(n && !n->children.empty());
    });
    vm.defineMethod(nodeProto, QStringLiteral("toString"), [](Vm& vm, CallArgs& c) -> Value {
        XmlNodeObject* n = node(c.thisv);
        return n ? Value(vm.clipString(n->markup(vm))) : Value(QStringLiteral("[object Object]"));
    });
    auto lookupNamespace = [](bool byPrefix) {
        return [byPrefix](Vm& vm, CallArgs& c) -> Value {
            const QString wanted = vm.toString(c.arg(0));
            for (XmlNodeObject* n = node(c.thisv); n; n = n->parent) {
                for (const Property& p : n->attributes(vm)->properties()) {
                    const bool isNs = p.name == QLatin1String("xmlns") ||
                                      p.name.startsWith(QLatin1String("xmlns:"));
                    if (!isNs)
                        continue;
                    const QString prefix = p.name.mid(6);
                    if (byPrefix && prefix == wanted)
                        return p.value;
                    if (!byPrefix && vm.toString(p.value) == wanted)
                        return Value(prefix);
                }
            }
            return Value::null();
        };
    };
    vm.defineMethod(nodeProto, QStringLiteral("getNamespaceForPrefix"), lookupNamespace(true));
    vm.defineMethod(nodeProto, QStringLiteral("getPrefixForNamespace"), lookupNamespace(false));

    // XML: a document node that parses, builds and loads.
    Object* xmlProto = vm.heap().make<Object>(nodeProto);
    NativeFunction* xmlCtor = vm.defineClass(
        vm.global(), QStringLiteral("XML"),
        [classes](Vm& vm, CallArgs& c) -> Value {
            XmlNodeObject* doc = node(c.thisv);
            if (!doc)
                return Value();
            doc->nodeType = XmlNodeObject::Element;
            doc->define(QStringLiteral("idMap"), Value(vm.newObject()), propflag::DontEnum);
            if (!c.arg(0).isNullish())
                parseInto(vm, doc, vm.toString(c.arg(0)), classes->nodeProto, classes->nodeCtor);
            return Value();
        },
        xmlProto);
    xmlCtor->setAllocator(
        [](Vm& vm, Object* p) -> Object* { return vm.heap().make<XmlNodeObject>(p); });

    xmlProto->define(QStringLiteral("ignoreWhite"), Value(false), propflag::DontEnum);
    xmlProto->define(QStringLiteral("contentType"),
                     Value(QStringLiteral("application/x-www-form-urlencoded")),
                     propflag::DontEnum);
    vm.defineMethod(xmlProto, QStringLiteral("parseXML"), [classes](Vm& vm, CallArgs& c) -> Value {
        if (XmlNodeObject* doc = node(c.thisv))
            parseInto(vm, doc, vm.toString(c.arg(0)), classes->nodeProto, classes->nodeCtor);
        return Value();
    });
    vm.defineMethod(
        xmlProto, QStringLiteral("createElement"), [classes](Vm& vm, CallArgs& c) -> Value {
            return Value(
                static_cast<Object*>(makeNode(vm, classes->nodeProto, classes->nodeCtor,
                                              XmlNodeObject::Element, vm.toString(c.arg(0)))));
        });
    vm.defineMethod(
        xmlProto, QStringLiteral("createTextNode"), [classes](Vm& vm, CallArgs& c) -> Value {
            return Value(
                static_cast<Object*>(makeNode(vm, classes->nodeProto, classes->nodeCtor,
                                              XmlNodeObject::Text, vm.toString(c.arg(0)))));
        });
    vm.defineMethod(xmlProto, QStringLiteral("toString"), [](Vm& vm, CallArgs& c) -> Value {
        XmlNodeObject* doc = node(c.thisv);
        if (!doc)
            return Value(QStringLiteral("[object Object]"));
        QString out;
        const Value decl = vm.getMember(c.thisv, QStringLiteral("xmlDecl"));
        const Value docType = vm.getMember(c.thisv, QStringLiteral("docTypeDecl"));
        if (!decl.isNullish())
            out += vm.toString(decl);
        if (!docType.isNullish())
            out += vm.toString(docType);
        return Value(vm.clipString(out + doc->markup(vm)));
    });
    vm.defineMethod(xmlProto, QStringLiteral("load"), [](Vm& vm, CallArgs& c) -> Value {
        vm.setMember(c.thisv, QStringLiteral("loaded"), Value(false));
        return Value(startScriptLoad(vm, c.thisv, vm.toString(c.arg(0))));
    });
    // The reply is loaded into the target; the document itself cannot travel with the
    // request, since the host's loader only fetches.
    vm.defineMethod(xmlProto, QStringLiteral("sendAndLoad"), [](Vm& vm, CallArgs& c) -> Value {
        const Value target = c.arg(1);
        if (!node(target))
            return Value(false);
        vm.setMember(target, QStringLiteral("loaded"), Value(false));
        return Value(startScriptLoad(vm, target, vm.toString(c.arg(0))));
    });
    defineLoadMethods(vm, xmlProto, QStringLiteral("parseXML"));
}

} // namespace swf::avm1::builtins
