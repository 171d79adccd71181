#include "swf/avm1/builtins/UrlVariables.h"

#include <QByteArray>
#include <QStringList>

namespace swf::avm1::builtins {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QString urlEscape(const QString& text) {
    static const char* hex = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    QString out;
    out.reserve(utf8.size());
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            out += QLatin1Char(static_cast<char>(c));
        } else {
            out += QLatin1Char('%');
            out += QLatin1Char(hex[c >> 4]);
            out += QLatin1Char(hex[c & 15]);
        }
    }
    return out;
}

QString urlUnescape(const QString& text) {
    const QByteArray in = text.toUtf8();
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < in.size() && hexValue(in[i + 1]) >= 0 &&
                   hexValue(in[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(in[i + 1]) * 16 + hexValue(in[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return QString::fromUtf8(out);
}

std::vector<std::pair<QString, QString>> decodeUrlVariables(const QString& text) {
    std::vector<std::pair<QString, QString>> vars;
    for (const QString& part : text.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        const QString name = urlUnescape(eq < 0 ? part : part.left(eq));
        if (name.isEmpty())
            continue;
        vars.emplace_back(name, eq < 0 ? QString() : urlUnescape(part.mid(eq + 1)));
    }
    return vars;
}

} // namespace swf::avm1::builtins
