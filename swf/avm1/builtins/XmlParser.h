#pragma once

// Flash's forgiving XML reader: it builds what it can and reports the first problem as the
// status number Flash gives script, instead of refusing the document.

#include <QString>
#include <functional>

namespace swf::avm1::builtins {

class XmlNodeObject;

struct XmlParseResult {
    int status = 0;
    QString xmlDecl;
    QString docTypeDecl;
    bool hasXmlDecl = false;
    bool hasDocType = false;
};

class XmlParser {
public:
    enum Status {
        Ok = 0,
        CdataOpen = -2,
        DeclOpen = -3,
        DocTypeOpen = -4,
        CommentOpen = -5,
        Malformed = -6,
        OutOfMemory = -7,
        AttributeOpen = -8,
        StartWithoutEnd = -9,
        EndWithoutStart = -10,
    };
    // Makes a detached node: an element named name, or a text node holding name.
    using MakeNode = std::function<XmlNodeObject*(bool text, const QString& nameOrValue)>;
    using SetAttribute = std::function<void(XmlNodeObject*, const QString&, const QString&)>;
    using Append = std::function<void(XmlNodeObject* parent, XmlNodeObject* child)>;

    XmlParser(MakeNode make, SetAttribute setAttribute, Append append)
        : make_(std::move(make)), setAttribute_(std::move(setAttribute)),
          append_(std::move(append)) {}

    XmlParseResult parse(const QString& text, XmlNodeObject* root, bool ignoreWhite);

    // &amp; &lt; &gt; &quot; &apos; and numeric references; anything else stays as written.
    static QString unescape(const QString& text);

private:
    MakeNode make_;
    SetAttribute setAttribute_;
    Append append_;
};

} // namespace swf::avm1::builtins
