#include "swf/text/StyleSheet.h"

#include <cmath>

namespace swf::text {

namespace {

bool isWhite(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n');
}

// "font-size" is fontSize to script: a dash goes and the character after it is raised.
QString scriptName(const QString& css) {
    QString out;
    out.reserve(css.size());
    for (qsizetype i = 0; i < css.size(); ++i) {
        if (css[i] == QLatin1Char('-') && i + 1 < css.size()) {
            out += css[i + 1].toUpper();
            ++i;
        } else {
            out += css[i];
        }
    }
    return out;
}

void put(CssProperties& props, const QString& name, const QString& value) {
    for (auto& [n, v] : props)
        if (n == name) {
            v = value;
            return;
        }
    props.emplace_back(name, value);
}

void put(CssRules& rules, const QString& selector, const CssProperties& props) {
    for (auto& [s, p] : rules)
        if (s == selector) {
            p = props;
            return;
        }
    rules.emplace_back(selector, props);
}

class CssReader {
public:
    explicit CssReader(const QString& s) : s_(s), n_(s.size()) {}

    std::optional<CssRules> read() {
        CssRules rules;
        for (;;) {
            std::vector<QString> selectors;
            bool open = false;
            for (;;) {
                skipWhite();
                if (atEnd()) {
                    if (!selectors.empty())
                        return std::nullopt; // a selector with no block
                    return rules;
                }
                if (s_[i_] == QLatin1Char(',')) {
                    ++i_;
                    continue;
                }
                if (s_[i_] == QLatin1Char('{')) {
                    open = true;
                    break;
                }
                const qsizetype start = i_;
                while (!atEnd() && !isWhite(s_[i_]) && s_[i_] != QLatin1Char(',') &&
                       s_[i_] != QLatin1Char('{'))
                    ++i_;
                selectors.push_back(s_.mid(start, i_ - start));
                skipWhite();
                if (atEnd())
                    return std::nullopt;
                if (s_[i_] == QLatin1Char(',')) {
                    ++i_;
                    continue;
                }
                if (s_[i_] != QLatin1Char('{'))
                    return std::nullopt; // "a b": a selector with a space in it
            }
            if (!open || selectors.empty())
                return std::nullopt;
            ++i_;
            CssProperties props;
            if (!readBlock(props))
                return std::nullopt;
            for (const QString& selector : selectors)
                put(rules, selector, props);
        }
    }

private:
    bool atEnd() const { return i_ >= n_; }
    void skipWhite() {
        while (!atEnd() && isWhite(s_[i_]))
            ++i_;
    }

    bool readBlock(CssProperties& props) {
        for (;;) {
            skipWhite();
            if (atEnd())
                return true; // a block left open at the end still counts
            if (s_[i_] == QLatin1Char('}')) {
                ++i_;
                return true;
            }
            const qsizetype nameStart = i_;
            while (!atEnd() && !isWhite(s_[i_]) && s_[i_] != QLatin1Char(':'))
                ++i_;
            while (!atEnd() && isWhite(s_[i_]))
                ++i_; // trailing white space stays part of the name, as in Flash
            if (atEnd() || s_[i_] != QLatin1Char(':'))
                return false;
            const QString name = s_.mid(nameStart, i_ - nameStart);
            ++i_;
            skipWhite();
            const qsizetype valueStart = i_;
            while (!atEnd() && s_[i_] != QLatin1Char(';') && s_[i_] != QLatin1Char('}'))
                ++i_;
            if (atEnd())
                return false;
            if (!name.isEmpty())
                put(props, scriptName(name), s_.mid(valueStart, i_ - valueStart));
            if (s_[i_] == QLatin1Char('}')) {
                ++i_;
                return true;
            }
            ++i_;
        }
    }

    const QString& s_;
    const qsizetype n_;
    qsizetype i_ = 0;
};

// Script's parseInt and parseFloat as CSS values use them: a leading number, units ignored.
std::optional<double> leadingNumber(const QString& s, bool fraction) {
    const QString t = s.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        ++i;
    const qsizetype digits = i;
    while (i < t.size() && (t[i].isDigit() || (fraction && t[i] == QLatin1Char('.'))))
        ++i;
    if (i == digits)
        return std::nullopt;
    bool ok = false;
    const double v = t.left(i).toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

std::optional<CssRules> parseCss(const QString& css) {
    return CssReader(css).read();
}

std::optional<QRgb> parseCssColor(const QString& s) {
    if (s.size() != 7 || s[0] != QLatin1Char('#'))
        return std::nullopt;
    bool ok = false;
    const uint rgb = s.mid(1).toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return 0xff000000u | rgb;
}

QString cssFontFamily(const QString& family) {
    const QString lower = family.toLower();
    if (lower == QLatin1String("mono"))
        return QStringLiteral("_typewriter");
    if (lower == QLatin1String("sans-serif"))
        return QStringLiteral("_sans");
    if (lower == QLatin1String("serif"))
        return QStringLiteral("_serif");
    return family;
}

CssStyle cssStyle(const CssProperties& properties) {
    CssStyle style;
    PartialTextFormat& f = style.format;
    for (const auto& [name, raw] : properties) {
        const QString value = raw.trimmed();
        const QString lower = value.toLower();
        if (name == QLatin1String("color")) {
            if (const auto c = parseCssColor(value))
                f.color = *c;
        } else if (name == QLatin1String("display")) {
            if (lower == QLatin1String("none"))
                style.display = Display::None;
            else if (lower == QLatin1String("inline"))
                style.display = Display::Inline;
            else if (lower == QLatin1String("block"))
                style.display = Display::Block;
        } else if (name == QLatin1String("fontFamily")) {
            // A list of families: the first one is asked for, the rest are Flash's to ignore.
            QString first = value.section(QLatin1Char(','), 0, 0).trimmed();
            if (first.size() >= 2 &&
                (first.startsWith(QLatin1Char('"')) || first.startsWith(QLatin1Char('\''))))
                first = first.mid(1, first.size() - 2);
            if (!first.isEmpty())
                f.font = cssFontFamily(first);
        } else if (name == QLatin1String("fontSize")) {
            if (const auto v = leadingNumber(value, false); v && *v > 0)
                f.size = *v;
        } else if (name == QLatin1String("fontStyle")) {
            if (lower == QLatin1String("italic"))
                f.italic = true;
            else if (lower == QLatin1String("normal"))
                f.italic = false;
        } else if (name == QLatin1String("fontWeight")) {
            if (lower == QLatin1String("bold"))
                f.bold = true;
            else if (lower == QLatin1String("normal"))
                f.bold = false;
        } else if (name == QLatin1String("kerning")) {
            if (lower == QLatin1String("true"))
                f.kerning = true;
            else if (lower == QLatin1String("false"))
                f.kerning = false;
            else if (const auto v = leadingNumber(value, false))
                f.kerning = *v != 0;
        } else if (name == QLatin1String("leading")) {
            if (const auto v = leadingNumber(value, false))
                f.leading = *v;
        } else if (name == QLatin1String("letterSpacing")) {
            if (const auto v = leadingNumber(value, true))
                f.letterSpacing = *v;
        } else if (name == QLatin1String("marginLeft")) {
            if (const auto v = leadingNumber(value, false))
                f.leftMargin = std::max(0.0, *v);
        } else if (name == QLatin1String("marginRight")) {
            if (const auto v = leadingNumber(value, false))
                f.rightMargin = std::max(0.0, *v);
        } else if (name == QLatin1String("textAlign")) {
            if (lower == QLatin1String("left"))
                f.align = Align::Left;
            else if (lower == QLatin1String("right"))
                f.align = Align::Right;
            else if (lower == QLatin1String("center"))
                f.align = Align::Center;
            else if (lower == QLatin1String("justify"))
                f.align = Align::Justify;
        } else if (name == QLatin1String("textDecoration")) {
            if (lower == QLatin1String("underline"))
                f.underline = true;
            else if (lower == QLatin1String("none"))
                f.underline = false;
        } else if (name == QLatin1String("textIndent")) {
            if (const auto v = leadingNumber(value, false))
                f.indent = *v;
        }
    }
    return style;
}

void StyleSheet::clear() {
    styles_.clear();
    touch();
}

void StyleSheet::set(const QString& selector, CssStyle style) {
    styles_[selector] = std::move(style);
    touch();
}

const CssStyle* StyleSheet::find(const QString& selector) const {
    const auto it = styles_.find(selector);
    return it == styles_.end() ? nullptr : &it->second;
}

const CssStyle* StyleSheet::forTag(const QString& tag) const {
    if (const CssStyle* s = find(tag))
        return s;
    for (const auto& [selector, style] : styles_)
        if (selector.compare(tag, Qt::CaseInsensitive) == 0)
            return &style;
    return nullptr;
}

const CssStyle* StyleSheet::forClass(const QString& className) const {
    if (className.isEmpty())
        return nullptr;
    const QString selector = QLatin1Char('.') + className;
    if (const CssStyle* s = find(selector))
        return s;
    for (const auto& [name, style] : styles_)
        if (name.compare(selector, Qt::CaseInsensitive) == 0)
            return &style;
    return nullptr;
}

} // namespace swf::text
