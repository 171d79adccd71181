#include "swf/avm1/builtins/XmlParser.h"

#include "swf/avm1/builtins/XmlNodeObject.h"

#include <algorithm>
#include <vector>

namespace swf::avm1::builtins {

namespace {

bool isSpace(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n');
}

bool allSpace(const QString& s) {
    for (const QChar c : s)
        if (!isSpace(c))
            return false;
    return true;
}

} // namespace

QString XmlParser::unescape(const QString& text) {
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c != QLatin1Char('&')) {
            out += c;
            ++i;
            continue;
        }
        const qsizetype semi = text.indexOf(QLatin1Char(';'), i + 1);
        // Entity names are short; a lone ampersand far from any semicolon is just text.
        if (semi < 0 || semi - i > 12) {
            out += c;
            ++i;
            continue;
        }
        const QStringView name = QStringView(text).mid(i + 1, semi - i - 1);
        QString replacement;
        if (name == u"amp")
            replacement = QStringLiteral("&");
        else if (name == u"lt")
            replacement = QStringLiteral("<");
        else if (name == u"gt")
            replacement = QStringLiteral(">");
        else if (name == u"quot")
            replacement = QStringLiteral("\"");
        else if (name == u"apos")
            replacement = QStringLiteral("'");
        else if (name.size() > 1 && name[0] == QLatin1Char('#')) {
            bool ok = false;
            const uint code = (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'))
                                  ? name.mid(2).toUInt(&ok, 16)
                                  : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                const char32_t cp = code;
                replacement = QString::fromUcs4(&cp, 1);
            }
        }
        if (replacement.isNull()) {
            out += c;
            ++i;
            continue;
        }
        out += replacement;
        i = semi + 1;
    }
    return out;
}

XmlParseResult XmlParser::parse(const QString& s, XmlNodeObject* root, bool ignoreWhite) {
    XmlParseResult r;
    std::vector<XmlNodeObject*> open{root};
    std::vector<QString> openNames{QString()};
    auto fail = [&](int status) {
        if (r.status == Ok)
            r.status = status;
    };
    auto addText = [&](const QString& text, bool raw) {
        if (text.isEmpty() || (ignoreWhite && allSpace(text)))
            return;
        append_(open.back(), make_(true, raw ? text : unescape(text)));
    };

    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n && r.status == Ok) {
        if (s[i] != QLatin1Char('<')) {
            qsizetype end = s.indexOf(QLatin1Char('<'), i);
            if (end < 0)
                end = n;
            addText(s.mid(i, end - i), false);
            i = end;
            continue;
        }
        const QStringView rest = QStringView(s).mid(i);
        if (rest.startsWith(u"<?")) {
            const qsizetype end = s.indexOf(QLatin1String("?>"), i + 2);
            if (end < 0) {
                fail(DeclOpen);
                break;
            }
            r.xmlDecl += s.mid(i, end + 2 - i);
            r.hasXmlDecl = true;
            i = end + 2;
        } else if (rest.startsWith(u"<!--")) {
            const qsizetype end = s.indexOf(QLatin1String("-->"), i + 4);
            if (end < 0) {
                fail(CommentOpen);
                break;
            }
            i = end + 3;
        } else if (rest.startsWith(u"<![CDATA[")) {
            const qsizetype end = s.indexOf(QLatin1String("]]>"), i + 9);
            if (end < 0) {
                fail(CdataOpen);
                break;
            }
            addText(s.mid(i + 9, end - i - 9), true);
            i = end + 3;
        } else if (rest.startsWith(u"<!")) {
            const qsizetype end = s.indexOf(QLatin1Char('>'), i + 2);
            if (end < 0) {
                fail(DocTypeOpen);
                break;
            }
            r.docTypeDecl = s.mid(i, end + 1 - i);
            r.hasDocType = true;
            i = end + 1;
        } else if (rest.startsWith(u"</")) {
            const qsizetype end = s.indexOf(QLatin1Char('>'), i + 2);
            if (end < 0) {
                fail(Malformed);
                break;
            }
            const QString name = s.mid(i + 2, end - i - 2).trimmed();
            if (open.size() < 2 || openNames.back() != name) {
                // Closing an element further out leaves the inner ones unterminated; a name
                // nothing open has ends what never started.
                const bool outer = std::find(openNames.begin(), openNames.end(), name) !=
                                   openNames.end();
                fail(outer ? StartWithoutEnd : EndWithoutStart);
                break;
            }
            open.pop_back();
            openNames.pop_back();
            i = end + 1;
        } else {
            // A start tag: name, attributes, then > or />.
            qsizetype j = i + 1;
            while (j < n && !isSpace(s[j]) && s[j] != QLatin1Char('>') && s[j] != QLatin1Char('/'))
                ++j;
            const QString name = s.mid(i + 1, j - i - 1);
            if (name.isEmpty() || j >= n) {
                fail(Malformed);
                break;
            }
            XmlNodeObject* element = make_(false, name);
            bool selfClosing = false;
            bool closed = false;
            while (j < n && r.status == Ok) {
                while (j < n && isSpace(s[j]))
                    ++j;
                if (j >= n)
                    break;
                if (s[j] == QLatin1Char('>')) {
                    closed = true;
                    ++j;
                    break;
                }
                if (s[j] == QLatin1Char('/')) {
                    if (j + 1 < n && s[j + 1] == QLatin1Char('>')) {
                        selfClosing = closed = true;
                        j += 2;
                        break;
                    }
                    fail(Malformed);
                    break;
                }
                const qsizetype nameStart = j;
                while (j < n && !isSpace(s[j]) && s[j] != QLatin1Char('=') &&
                       s[j] != QLatin1Char('>') && s[j] != QLatin1Char('/'))
                    ++j;
                const QString attrName = s.mid(nameStart, j - nameStart);
                while (j < n && isSpace(s[j]))
                    ++j;
                if (attrName.isEmpty() || j >= n || s[j] != QLatin1Char('=')) {
                    fail(Malformed);
                    break;
                }
                ++j;
                while (j < n && isSpace(s[j]))
                    ++j;
                if (j >= n || (s[j] != QLatin1Char('"') && s[j] != QLatin1Char('\''))) {
                    fail(Malformed);
                    break;
                }
                const QChar quote = s[j];
                const qsizetype close = s.indexOf(quote, j + 1);
                if (close < 0) {
                    fail(AttributeOpen);
                    break;
                }
                setAttribute_(element, attrName, unescape(s.mid(j + 1, close - j - 1)));
                j = close + 1;
            }
            if (r.status != Ok)
                break;
            if (!closed) {
                fail(Malformed);
                break;
            }
            append_(open.back(), element);
            i = j;
            if (!selfClosing) {
                if (open.size() > XmlNodeObject::kMaxDepth) {
                    fail(OutOfMemory);
                    break;
                }
                open.push_back(element);
                openNames.push_back(name);
            }
        }
    }
    if (r.status == Ok && open.size() > 1)
        r.status = StartWithoutEnd;
    return r;
}

} // namespace swf::avm1::builtins
