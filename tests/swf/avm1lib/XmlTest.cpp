#include "ScriptFixture.h"

#include "swf/avm1/ArrayObject.h"

namespace quarvel::test {
namespace {

class XmlTest : public ScriptFixture {
protected:
    Value parse(const QString& text, bool ignoreWhite = false) {
        const Value doc = make("XML");
        set(doc, "ignoreWhite", Value(ignoreWhite));
        call(doc, "parseXML", {Value(text)});
        return doc;
    }
    int status(const QString& text) { return static_cast<int>(num(get(parse(text), "status"))); }
    int childCount(const Value& n) {
        return static_cast<int>(num(get(get(n, "childNodes"), "length")));
    }
    // Records each call of a handler as its first argument, printed.
    Value recorder(QStringList& calls) {
        return Value(static_cast<Object*>(vm.newNative([&calls](Vm& vm, swf::avm1::CallArgs& c) {
            calls << vm.toString(c.arg(0));
            return Value();
        })));
    }
};

TEST_F(XmlTest, ParsesTheTreeWithItsLinks) {
    const Value doc = parse("<a x=\"1\" y='two'><b>hi &amp; bye</b><c/>tail</a>");
    EXPECT_EQ(num(get(doc, "status")), 0);
    EXPECT_EQ(num(get(doc, "nodeType")), 1);
    EXPECT_TRUE(get(doc, "nodeName").isNull());
    const Value a = get(doc, "firstChild");
    EXPECT_EQ(str(get(a, "nodeName")), "a");
    EXPECT_EQ(str(get(get(a, "attributes"), "y")), "two");
    EXPECT_EQ(childCount(a), 3);
    const Value b = get(a, "firstChild");
    const Value c = get(b, "nextSibling");
    EXPECT_EQ(str(get(c, "nodeName")), "c");
    EXPECT_EQ(get(c, "previousSibling").object(), b.object());
    EXPECT_EQ(get(b, "parentNode").object(), a.object());
    EXPECT_TRUE(get(b, "previousSibling").isNull());
    const Value text = get(b, "firstChild");
    EXPECT_EQ(num(get(text, "nodeType")), 3);
    EXPECT_EQ(str(get(text, "nodeValue")), "hi & bye");
    EXPECT_TRUE(get(text, "nodeName").isNull());
    EXPECT_EQ(str(get(get(a, "lastChild"), "nodeValue")), "tail");
    EXPECT_TRUE(get(doc, "parentNode").isNull());
}

TEST_F(XmlTest, PrintsWithEntitiesEscapedAndEmptyElementsClosed) {
    const Value doc = parse("<test a=\"&lt;q&gt;\"><test2>\"Test\" Node's</test2><e></e></test>");
    EXPECT_EQ(str(doc),
              "<test a=\"&lt;q&gt;\"><test2>&quot;Test&quot; Node&apos;s</test2><e /></test>");
    const Value cdata = parse("<t><![CDATA[a <b> & c]]></t>");
    EXPECT_EQ(str(get(get(get(cdata, "firstChild"), "firstChild"), "nodeValue")), "a <b> & c");
    EXPECT_EQ(str(parse("A &&thing; &#65;&#x42; B")), "A &amp;&amp;thing; AB B")
        << "unknown entities stay as written";
}

TEST_F(XmlTest, DeclarationsAreKeptApartFromTheTree) {
    const Value doc = parse("<?xml version=\"1.0\"?><!DOCTYPE greeting SYSTEM \"hello.dtd\"><g/>");
    EXPECT_EQ(str(get(doc, "xmlDecl")), "<?xml version=\"1.0\"?>");
    EXPECT_EQ(str(get(doc, "docTypeDecl")), "<!DOCTYPE greeting SYSTEM \"hello.dtd\">");
    EXPECT_EQ(childCount(doc), 1);
    EXPECT_EQ(str(doc), "<?xml version=\"1.0\"?><!DOCTYPE greeting SYSTEM \"hello.dtd\"><g />");
    call(doc, "parseXML", {Value("<h/>")});
    EXPECT_TRUE(get(doc, "docTypeDecl").isUndefined()) << "a new parse forgets the old one";
    EXPECT_EQ(str(doc), "<h />");
}

TEST_F(XmlTest, StatusCodesForBrokenDocuments) {
    EXPECT_EQ(status(""), 0);
    EXPECT_EQ(status("<a><![CDATA[never ends</a>"), -2);
    EXPECT_EQ(status("<?xml version"), -3);
    EXPECT_EQ(status("<!DOCTYPE x"), -4);
    EXPECT_EQ(status("<a><!-- open</a>"), -5);
    EXPECT_EQ(status("<a b></a>"), -6);
    EXPECT_EQ(status("<a b=\"open></a>"), -8);
    // Closing an outer element leaves the inner one unterminated; closing one never opened
    // is the other fault.
    EXPECT_EQ(status("<a><b></a>"), -9);
    EXPECT_EQ(status("<b><c/></a>"), -10);
    EXPECT_EQ(status("<a><b></b>"), -9);
    EXPECT_EQ(status("</a>"), -10);
    // What was read before the fault stays in the tree.
    const Value partial = parse("<a>x</a><b><c></b>");
    EXPECT_EQ(str(get(get(partial, "firstChild"), "nodeName")), "a");
}

TEST_F(XmlTest, HostileNestingIsBounded) {
    QString deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    const Value doc = parse(deep);
    EXPECT_NE(num(get(doc, "status")), 0);
    EXPECT_FALSE(str(doc).isEmpty()) << "printing a very deep tree must not overflow the stack";
}

TEST_F(XmlTest, IgnoreWhiteDropsOnlyBlankText) {
    const Value doc = parse("<a>\n  <b> keep </b>\n</a>", true);
    const Value a = get(doc, "firstChild");
    EXPECT_EQ(childCount(a), 1);
    EXPECT_EQ(str(get(get(get(a, "firstChild"), "firstChild"), "nodeValue")), " keep ");
    EXPECT_EQ(childCount(get(parse("<a>\n  <b/>\n</a>", false), "firstChild")), 3);
}

TEST_F(XmlTest, BuildingMovesNodesAndRefusesCycles) {
    const Value doc = make("XML");
    const Value root = call(doc, "createElement", {Value("root")});
    const Value one = call(doc, "createElement", {Value("one")});
    const Value two = call(doc, "createTextNode", {Value("2 < 3")});
    call(doc, "appendChild", {root});
    call(root, "appendChild", {two});
    call(root, "insertBefore", {one, two});
    EXPECT_EQ(str(doc), "<root><one />2 &lt; 3</root>");
    const Value kids = get(root, "childNodes");
    EXPECT_EQ(num(get(kids, "length")), 2) << "childNodes follows the tree";

    call(one, "appendChild", {root});
    EXPECT_EQ(str(doc), "<root><one />2 &lt; 3</root>") << "a node cannot go inside itself";
    call(one, "appendChild", {one});
    EXPECT_FALSE(call(one, "hasChildNodes").boolean());

    // Appending a node that has a parent moves it.
    const Value other = call(doc, "createElement", {Value("other")});
    call(root, "appendChild", {other});
    call(other, "appendChild", {two});
    EXPECT_EQ(str(doc), "<root><one /><other>2 &lt; 3</other></root>");
    EXPECT_EQ(num(get(kids, "length")), 2);

    call(one, "removeNode");
    EXPECT_TRUE(get(one, "parentNode").isNull());
    EXPECT_EQ(str(doc), "<root><other>2 &lt; 3</other></root>");
}

TEST_F(XmlTest, CloneCopiesAttributesAndOptionallyChildren) {
    const Value doc = parse("<a k=\"v\"><b/></a>");
    const Value a = get(doc, "firstChild");
    const Value shallow = call(a, "cloneNode", {Value(false)});
    const Value deep = call(a, "cloneNode", {Value(true)});
    EXPECT_EQ(str(shallow), "<a k=\"v\" />");
    EXPECT_EQ(str(deep), "<a k=\"v\"><b /></a>");
    EXPECT_TRUE(get(deep, "parentNode").isNull());
    set(get(deep, "attributes"), "k", Value("changed"));
    EXPECT_EQ(str(a), "<a k=\"v\"><b /></a>") << "the copy has its own attributes";
    EXPECT_NE(get(deep, "firstChild").object(), get(a, "firstChild").object());
}

TEST_F(XmlTest, IdMapCollectsElementsByIdAcrossParses) {
    const Value doc = parse("<a id=\"one\"><b id=\"two\"/></a>");
    const Value ids = get(doc, "idMap");
    EXPECT_EQ(get(ids, "one").object(), get(doc, "firstChild").object());
    EXPECT_EQ(str(get(get(ids, "two"), "nodeName")), "b");
    call(doc, "parseXML", {Value("<c id=\"three\"/>")});
    EXPECT_TRUE(get(ids, "one").isObject()) << "earlier entries stay";
    EXPECT_TRUE(get(ids, "three").isObject());
}

TEST_F(XmlTest, ANamedDocumentPrintsAsAnElement) {
    const Value doc = parse("<a/>text");
    set(doc, "nodeName", Value("wrap"));
    EXPECT_EQ(str(get(doc, "nodeName")), "wrap");
    EXPECT_EQ(str(doc), "<wrap><a />text</wrap>");
    set(get(doc, "firstChild"), "nodeName", Value("b"));
    EXPECT_EQ(str(doc), "<wrap><b />text</wrap>");
}

TEST_F(XmlTest, XmlNodeConstructorAndNodeNameParts) {
    const Value n = make("XMLNode", {Value(1), Value("ns:item")});
    EXPECT_EQ(str(get(n, "prefix")), "ns");
    EXPECT_EQ(str(get(n, "localName")), "item");
    const Value t = make("XMLNode", {Value(3), Value("x & y")});
    EXPECT_EQ(str(t), "x &amp; y");
    const Value doc = parse("<r xmlns:q=\"urn:q\"><q:c/></r>");
    const Value c = get(get(doc, "firstChild"), "firstChild");
    EXPECT_EQ(str(call(c, "getNamespaceForPrefix", {Value("q")})), "urn:q");
    EXPECT_EQ(str(call(c, "getPrefixForNamespace", {Value("urn:q")})), "q");
}

TEST_F(XmlTest, LoadDeliversOnALaterTurnAndParses) {
    QStringList calls;
    const Value doc = make("XML");
    set(doc, "onLoad", recorder(calls));
    EXPECT_TRUE(call(doc, "load", {Value("data/menu.xml")}).boolean());
    ASSERT_EQ(host.loads.size(), 1);
    EXPECT_EQ(host.loads[0], "data/menu.xml");
    EXPECT_FALSE(get(doc, "loaded").boolean());
    host.pending[0](true, QByteArray("\xEF\xBB\xBF<m><i>\xE4\xB8\xAD</i></m>"));
    EXPECT_TRUE(calls.isEmpty()) << "nothing runs inside the host's callback";
    vm.runTimers();
    EXPECT_EQ(calls, QStringList{"true"});
    EXPECT_TRUE(get(doc, "loaded").boolean());
    EXPECT_EQ(str(doc), QString::fromUtf8("<m><i>\xE4\xB8\xAD</i></m>"));
    EXPECT_EQ(num(call(doc, "getBytesLoaded")), 20);
    EXPECT_EQ(num(call(doc, "getBytesTotal")), 20);
    vm.runTimers();
    EXPECT_EQ(calls.size(), 1) << "delivered once";
}

TEST_F(XmlTest, FailedLoadReportsFalseAndAnOverriddenOnDataSeesRawText) {
    QStringList calls;
    const Value doc = make("XML");
    set(doc, "onLoad", recorder(calls));
    call(doc, "load", {Value("missing.xml")});
    host.pending[0](false, {});
    vm.runTimers();
    EXPECT_EQ(calls, QStringList{"false"});

    QStringList raw;
    const Value other = make("XML");
    set(other, "onData",
        Value(static_cast<Object*>(vm.newNative([&raw](Vm& vm, swf::avm1::CallArgs& c) {
            raw << vm.toString(c.arg(0))
                << vm.toString(vm.callMethod(c.thisv, "getBytesLoaded", {}));
            return Value();
        }))));
    call(other, "load", {Value("a.xml")});
    host.pending[1](true, "<x/>");
    vm.runTimers();
    EXPECT_EQ(raw, (QStringList{"<x/>", "4"}));
    EXPECT_EQ(str(other), "") << "onData replaced means no parse";
}

TEST_F(XmlTest, ANewerLoadSupersedesTheOlder) {
    QStringList calls;
    const Value doc = make("XML");
    set(doc, "onData", recorder(calls));
    call(doc, "load", {Value("first.xml")});
    call(doc, "load", {Value("second.xml")});
    host.pending[1](true, "second");
    host.pending[0](true, "first");
    vm.runTimers();
    EXPECT_EQ(calls, QStringList{"second"});
}

TEST_F(XmlTest, LoadedDocumentSurvivesCollection) {
    QStringList calls;
    {
        const Value doc = make("XML");
        set(doc, "onData", recorder(calls));
        call(doc, "load", {Value("later.xml")});
    }
    vm.collectGarbage();
    host.pending[0](true, "kept");
    vm.runTimers();
    EXPECT_EQ(calls, QStringList{"kept"});
}

} // namespace
} // namespace quarvel::test
