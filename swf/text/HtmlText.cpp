#include "swf/text/HtmlText.h"

#include <QColor>
#include <map>

namespace swf::text {

namespace {

// Flash reads at most this many nested tags; deeper ones only change nothing.
constexpr std::size_t kMaxNesting = 256;

struct Tag {
    QString name; // lower case
    bool closing = false;
    bool selfClosing = false;
    std::map<QString, QString> attributes; // names lower case, values decoded
};

Tag parseTag(const QString& body) {
    Tag tag;
    int i = 0;
    const int n = static_cast<int>(body.size());
    while (i < n && body[i].isSpace())
        ++i;
    if (i < n && body[i] == QLatin1Char('/')) {
        tag.closing = true;
        ++i;
    }
    int nameStart = i;
    while (i < n && !body[i].isSpace() && body[i] != QLatin1Char('/'))
        ++i;
    tag.name = body.mid(nameStart, i - nameStart).toLower();
    while (i < n) {
        while (i < n && (body[i].isSpace() || body[i] == QLatin1Char('/'))) {
            if (body[i] == QLatin1Char('/'))
                tag.selfClosing = true;
            ++i;
        }
        const int keyStart = i;
        while (i < n && !body[i].isSpace() && body[i] != QLatin1Char('=') &&
               body[i] != QLatin1Char('/'))
            ++i;
        const QString key = body.mid(keyStart, i - keyStart).toLower();
        while (i < n && body[i].isSpace())
            ++i;
        QString value;
        if (i < n && body[i] == QLatin1Char('=')) {
            ++i;
            while (i < n && body[i].isSpace())
                ++i;
            if (i < n && (body[i] == QLatin1Char('"') || body[i] == QLatin1Char('\''))) {
                const QChar quote = body[i++];
                const int vs = i;
                while (i < n && body[i] != quote)
                    ++i;
                value = body.mid(vs, i - vs);
                if (i < n)
                    ++i;
            } else {
                const int vs = i;
                while (i < n && !body[i].isSpace())
                    ++i;
                value = body.mid(vs, i - vs);
            }
        }
        if (!key.isEmpty())
            tag.attributes[key] = decodeEntities(value);
        else if (i < n && keyStart == i)
            ++i;
    }
    return tag;
}

std::optional<QRgb> parseColor(const QString& s) {
    QString v = s.trimmed();
    if (v.startsWith(QLatin1Char('#')))
        v = v.mid(1);
    else if (v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = v.mid(2);
    bool ok = false;
    const uint rgb = v.left(6).toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return 0xff000000u | (rgb & 0xffffff);
}

QString colorString(QRgb c) {
    return QStringLiteral("#%1").arg(c & 0xffffff, 6, 16, QLatin1Char('0')).toUpper();
}

QString alignString(Align a) {
    switch (a) {
    case Align::Right:
        return QStringLiteral("RIGHT");
    case Align::Center:
        return QStringLiteral("CENTER");
    case Align::Justify:
        return QStringLiteral("JUSTIFY");
    case Align::Left:
        break;
    }
    return QStringLiteral("LEFT");
}

std::optional<Align> alignOf(const QString& s) {
    const QString v = s.toLower();
    if (v == QLatin1String("left"))
        return Align::Left;
    if (v == QLatin1String("right"))
        return Align::Right;
    if (v == QLatin1String("center"))
        return Align::Center;
    if (v == QLatin1String("justify"))
        return Align::Justify;
    return std::nullopt;
}

QString escape(const QString& s) {
    QString out;
    for (QChar c : s) {
        if (c == QLatin1Char('<'))
            out += QLatin1String("&lt;");
        else if (c == QLatin1Char('>'))
            out += QLatin1String("&gt;");
        else if (c == QLatin1Char('&'))
            out += QLatin1String("&amp;");
        else if (c == QLatin1Char('"'))
            out += QLatin1String("&quot;");
        else if (c == QLatin1Char('\''))
            out += QLatin1String("&apos;");
        else
            out += c;
    }
    return out;
}

QString number(double v) {
    return QString::number(v, 'g', 10);
}

} // namespace

QString decodeEntities(const QString& s) {
    if (!s.contains(QLatin1Char('&')))
        return s;
    QString out;
    out.reserve(s.size());
    const int n = static_cast<int>(s.size());
    for (int i = 0; i < n; ++i) {
        if (s[i] != QLatin1Char('&')) {
            out += s[i];
            continue;
        }
        const int semi = static_cast<int>(s.indexOf(QLatin1Char(';'), i));
        if (semi < 0 || semi - i > 10) {
            out += s[i];
            continue;
        }
        const QString name = s.mid(i + 1, semi - i - 1);
        QString rep;
        if (name == QLatin1String("lt"))
            rep = QStringLiteral("<");
        else if (name == QLatin1String("gt"))
            rep = QStringLiteral(">");
        else if (name == QLatin1String("amp"))
            rep = QStringLiteral("&");
        else if (name == QLatin1String("quot"))
            rep = QStringLiteral("\"");
        else if (name == QLatin1String("apos"))
            rep = QStringLiteral("'");
        else if (name == QLatin1String("nbsp"))
            rep = QString(QChar(0xa0));
        else if (name.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const uint code = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive)
                                  ? name.mid(2).toUInt(&ok, 16)
                                  : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10ffff && (code < 0xd800 || code > 0xdfff)) {
                const char32_t c = code;
                rep = QString::fromUcs4(&c, 1);
            }
        }
        if (rep.isNull()) {
            out += s[i];
            continue;
        }
        out += rep;
        i = semi;
    }
    return out;
}

FormattedText parseHtml(const QString& html, const TextFormat& base, HtmlOptions options) {
    FormattedText out;
    struct Open {
        QString name;
        TextFormat before;  // the format before the tag
        bool hides = false; // display: none
        bool block = false; // ends its paragraph when it closes
    };
    std::vector<Open> stack;
    TextFormat current = base;
    int hidden = 0;
    const StyleSheet* styles =
        options.styles && !options.styles->empty() ? options.styles : nullptr;
    const auto startParagraph = [&]() {
        const QString& t = out.text();
        if (!t.isEmpty() && !t.endsWith(QLatin1Char('\r')))
            out.append(QStringLiteral("\r"), current);
    };
    bool pendingParagraphEnd = false; // a </p> or </li> whose line end waits for more text
    const auto flushParagraphEnd = [&]() {
        if (pendingParagraphEnd) {
            out.append(QStringLiteral("\r"),
                       out.length() ? out.formatAt(out.length() - 1) : current);
            pendingParagraphEnd = false;
        }
    };
    const auto addText = [&](QString t) {
        if (hidden > 0)
            return;
        t = decodeEntities(t);
        if (options.condenseWhite) {
            t = t.simplified();
            if (t.isEmpty())
                return;
            if (!out.text().isEmpty() && !out.text().endsWith(QLatin1Char(' ')) &&
                !out.text().endsWith(QLatin1Char('\r')))
                t.prepend(QLatin1Char(' '));
        }
        if (t.isEmpty())
            return;
        flushParagraphEnd();
        out.append(t, current);
    };
    const int n = static_cast<int>(html.size());
    int i = 0;
    QString run;
    while (i < n) {
        const QChar c = html[i];
        if (c != QLatin1Char('<')) {
            run += c;
            ++i;
            continue;
        }
        const int close = static_cast<int>(html.indexOf(QLatin1Char('>'), i));
        if (close < 0) {
            i = n; // an unfinished tag is dropped, as Flash does; the text before it stays
            break;
        }
        addText(run);
        run.clear();
        const QString body = html.mid(i + 1, close - i - 1);
        i = close + 1;
        if (body.startsWith(QLatin1String("!--")))
            continue;
        const Tag tag = parseTag(body);
        if (tag.closing) {
            // Closes the innermost open tag of that name and everything opened inside it.
            bool block =
                !styles && (tag.name == QLatin1String("p") || tag.name == QLatin1String("li"));
            for (std::size_t k = stack.size(); k-- > 0;) {
                if (stack[k].name != tag.name)
                    continue;
                current = stack[k].before;
                for (std::size_t j = k; j < stack.size(); ++j)
                    hidden -= stack[j].hides ? 1 : 0;
                block = stack[k].block;
                stack.resize(k);
                break;
            }
            if (block && hidden == 0) {
                flushParagraphEnd();
                pendingParagraphEnd = true;
            }
            continue;
        }
        if (hidden > 0 && (tag.name == QLatin1String("br") || tag.name == QLatin1String("sbr")))
            continue;
        if (tag.name == QLatin1String("br") || tag.name == QLatin1String("sbr")) {
            flushParagraphEnd();
            out.append(QStringLiteral("\r"), current);
            continue;
        }
        const auto attr = [&](const char* name) -> std::optional<QString> {
            const auto it = tag.attributes.find(QLatin1String(name));
            if (it == tag.attributes.end())
                return std::nullopt;
            return it->second;
        };
        const auto number = [&](const char* name) -> std::optional<double> {
            const auto v = attr(name);
            if (!v)
                return std::nullopt;
            bool ok = false;
            const double d = v->trimmed().toDouble(&ok);
            return ok ? std::optional<double>(d) : std::nullopt;
        };
        TextFormat before = current;
        bool known = true;
        // What the style sheet says of the tag: its own selector, then its class's.
        const CssStyle* tagStyle = nullptr;
        const CssStyle* classStyle = nullptr;
        if (styles) {
            // Flash styles the tags that stand for text (p, li, a and the movie's own) by
            // their names, never the markup of formats: font, textformat, span.
            if (tag.name != QLatin1String("font") && tag.name != QLatin1String("textformat") &&
                tag.name != QLatin1String("span"))
                tagStyle = styles->forTag(tag.name);
            if (const auto cls = attr("class"))
                classStyle = styles->forClass(*cls);
        }
        const bool paragraphTag = tag.name == QLatin1String("p") || tag.name == QLatin1String("li");
        std::optional<Display> display;
        if (tagStyle)
            display = tagStyle->display;
        if (classStyle && classStyle->display)
            display = classStyle->display;
        // A tag of the movie's own naming is shown inline unless its style says block.
        const bool block =
            display ? *display == Display::Block && (paragraphTag || tagStyle) : paragraphTag;
        const bool hides = display && *display == Display::None;
        if (block && hidden == 0) {
            flushParagraphEnd();
            startParagraph();
        }
        // The sheet's styles first: what the tag itself says (align="justify") wins.
        if (styles) {
            const auto apply = [&](const CssStyle* style) {
                if (style)
                    style->format.applyTo(current);
            };
            apply(tagStyle);
            if (tag.name == QLatin1String("a"))
                apply(styles->find(QStringLiteral("a:link")));
            apply(classStyle);
        }
        if (paragraphTag) {
            if (const auto a = attr("align"))
                if (const auto al = alignOf(*a))
                    current.align = *al;
            current.bullet = tag.name == QLatin1String("li");
        } else if (tag.name == QLatin1String("font")) {
            if (const auto f = attr("face"))
                current.font = *f;
            if (const auto sz = attr("size")) {
                bool ok = false;
                const double v = sz->trimmed().toDouble(&ok);
                if (ok) {
                    // "+2" and "-2" are relative to the size around.
                    const bool relative = sz->trimmed().startsWith(QLatin1Char('+')) ||
                                          sz->trimmed().startsWith(QLatin1Char('-'));
                    current.size = std::max(1.0, relative ? current.size + v : v);
                }
            }
            if (const auto col = attr("color"))
                if (const auto rgb = parseColor(*col))
                    current.color = *rgb;
            if (const auto ls = number("letterspacing"))
                current.letterSpacing = *ls;
            if (const auto k = number("kerning"))
                current.kerning = *k != 0;
        } else if (tag.name == QLatin1String("b")) {
            current.bold = true;
        } else if (tag.name == QLatin1String("i")) {
            current.italic = true;
        } else if (tag.name == QLatin1String("u")) {
            current.underline = true;
        } else if (tag.name == QLatin1String("a")) {
            current.url = attr("href").value_or(QString());
            current.target = attr("target").value_or(QString());
        } else if (tag.name == QLatin1String("textformat")) {
            if (const auto v = number("leftmargin"))
                current.leftMargin = *v;
            if (const auto v = number("rightmargin"))
                current.rightMargin = *v;
            if (const auto v = number("indent"))
                current.indent = *v;
            if (const auto v = number("blockindent"))
                current.blockIndent = *v;
            if (const auto v = number("leading"))
                current.leading = *v;
            if (const auto v = attr("tabstops")) {
                current.tabStops.clear();
                for (const QString& part : v->split(QLatin1Char(','), Qt::SkipEmptyParts))
                    current.tabStops.push_back(part.trimmed().toInt());
            }
        } else if (tag.name == QLatin1String("span") || tag.name == QLatin1String("img")) {
            // Style sheets are the script's; a span without one changes nothing.
        } else {
            known = tagStyle || classStyle;
        }
        if (known && !tag.selfClosing && stack.size() < kMaxNesting) {
            stack.push_back({tag.name, before, hides, block});
            hidden += hides ? 1 : 0;
        }
    }
    addText(run);
    return out;
}

QString toHtml(const FormattedText& text) {
    QString html;
    const QString& s = text.text();
    const int length = text.length();
    int start = 0;
    const TextFormat defaults;
    for (;;) {
        int end = static_cast<int>(s.indexOf(QLatin1Char('\r'), start));
        const bool last = end < 0;
        if (last)
            end = length;
        const TextFormat& para = start < length ? text.formatAt(start)
                                 : length > 0   ? text.formatAt(length - 1)
                                                : defaults;
        const bool textFormat = para.leftMargin != 0 || para.rightMargin != 0 || para.indent != 0 ||
                                para.blockIndent != 0 || para.leading != 0 ||
                                !para.tabStops.empty();
        if (textFormat) {
            html += QLatin1String("<TEXTFORMAT");
            if (para.leftMargin != 0)
                html += QStringLiteral(" LEFTMARGIN=\"%1\"").arg(number(para.leftMargin));
            if (para.rightMargin != 0)
                html += QStringLiteral(" RIGHTMARGIN=\"%1\"").arg(number(para.rightMargin));
            if (para.indent != 0)
                html += QStringLiteral(" INDENT=\"%1\"").arg(number(para.indent));
            if (para.blockIndent != 0)
                html += QStringLiteral(" BLOCKINDENT=\"%1\"").arg(number(para.blockIndent));
            if (para.leading != 0)
                html += QStringLiteral(" LEADING=\"%1\"").arg(number(para.leading));
            if (!para.tabStops.empty()) {
                QStringList stops;
                for (int t : para.tabStops)
                    stops << QString::number(t);
                html += QStringLiteral(" TABSTOPS=\"%1\"").arg(stops.join(QLatin1Char(',')));
            }
            html += QLatin1Char('>');
        }
        html += para.bullet ? QStringLiteral("<LI>")
                            : QStringLiteral("<P ALIGN=\"%1\">").arg(alignString(para.align));
        // Runs of one format inside the paragraph.
        int i = start;
        if (i == end) {
            html +=
                QStringLiteral("<FONT FACE=\"%1\" SIZE=\"%2\" COLOR=\"%3\" LETTERSPACING=\"%4\" "
                               "KERNING=\"%5\"></FONT>")
                    .arg(escape(para.font), number(para.size), colorString(para.color),
                         number(para.letterSpacing), QString::number(para.kerning ? 1 : 0));
        }
        while (i < end) {
            const TextFormat& f = text.formatAt(i);
            int j = i + 1;
            while (j < end && text.formatAt(j) == f)
                ++j;
            QString inner = escape(s.mid(i, j - i));
            if (f.underline)
                inner = QStringLiteral("<U>%1</U>").arg(inner);
            if (f.italic)
                inner = QStringLiteral("<I>%1</I>").arg(inner);
            if (f.bold)
                inner = QStringLiteral("<B>%1</B>").arg(inner);
            if (!f.url.isEmpty())
                inner = QStringLiteral("<A HREF=\"%1\" TARGET=\"%2\">%3</A>")
                            .arg(escape(f.url), escape(f.target), inner);
            html +=
                QStringLiteral("<FONT FACE=\"%1\" SIZE=\"%2\" COLOR=\"%3\" LETTERSPACING=\"%4\" "
                               "KERNING=\"%5\">%6</FONT>")
                    .arg(escape(f.font), number(f.size), colorString(f.color),
                         number(f.letterSpacing), QString::number(f.kerning ? 1 : 0), inner);
            i = j;
        }
        html += para.bullet ? QStringLiteral("</LI>") : QStringLiteral("</P>");
        if (textFormat)
            html += QLatin1String("</TEXTFORMAT>");
        if (last)
            break;
        start = end + 1;
    }
    return html;
}

} // namespace swf::text
