#include "platform/ClassRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <map>

namespace platform {
namespace {

struct CaseInsensitiveLess {
    bool operator()(const QString& a, const QString& b) const {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    }
};
using Entries = std::map<QString, QString, CaseInsensitiveLess>;

// One entry per line: the key, a tab, the value. Tabs, line breaks and backslashes inside a
// value are escaped; keys never hold tabs or line breaks.
QString escape(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        if (c == u'\\')
            out += u"\\\\";
        else if (c == u'\t')
            out += u"\\t";
        else if (c == u'\n')
            out += u"\\n";
        else if (c == u'\r')
            out += u"\\r";
        else
            out += c;
    }
    return out;
}

QString unescape(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'\\' && i + 1 < s.size()) {
            const QChar n = s[++i];
            out += n == u't'   ? QChar(u'\t')
                   : n == u'n' ? QChar(u'\n')
                   : n == u'r' ? QChar(u'\r')
                               : n;
        } else {
            out += s[i];
        }
    }
    return out;
}

QString normalised(QString key) {
    key.replace(u'/', u'\\');
    while (key.endsWith(u'\\'))
        key.chop(1);
    return key;
}

Entries readAll(const QString& path) {
    Entries entries;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return entries;
    const QString text = QString::fromUtf8(f.readAll());
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype tab = line.indexOf(u'\t');
        if (tab <= 0)
            continue; // a damaged line is dropped rather than failing every lookup
        entries[line.left(tab)] = unescape(line.mid(tab + 1));
    }
    return entries;
}

bool writeAll(const QString& path, const Entries& entries) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QString text;
    for (const auto& [key, value] : entries)
        text += key + u'\t' + escape(value) + u'\n';
    const QByteArray bytes = text.toUtf8();
    if (f.write(bytes) != bytes.size())
        return false;
    return f.commit();
}

} // namespace

QString xdgDataHome() {
    const QString env = qEnvironmentVariable("XDG_DATA_HOME");
    return env.isEmpty() ? QDir::homePath() + "/.local/share" : env;
}

QString xdgConfigHome() {
    const QString env = qEnvironmentVariable("XDG_CONFIG_HOME");
    return env.isEmpty() ? QDir::homePath() + "/.config" : env;
}

QString ClassRegistry::defaultPath() {
    const QString env = qEnvironmentVariable("QUARVEL_REGISTRY");
    return env.isEmpty() ? xdgDataHome() + "/quarvel/registry" : env;
}

QString systemDirectory() {
    const QString env = qEnvironmentVariable("QUARVEL_SYSTEM_DIR");
    return env.isEmpty() ? xdgDataHome() + "/quarvel/system" : env;
}

ClassRegistry::ClassRegistry(QString path) : path_(std::move(path)) {}

std::optional<QString> ClassRegistry::value(const QString& key) const {
    const Entries entries = readAll(path_);
    const auto it = entries.find(normalised(key));
    if (it == entries.end())
        return std::nullopt;
    return it->second;
}

bool ClassRegistry::setValue(const QString& key, const QString& value) {
    const QString k = normalised(key);
    if (k.isEmpty() || k.contains(u'\t') || k.contains(u'\n'))
        return false;
    Entries entries = readAll(path_);
    entries[k] = value;
    return writeAll(path_, entries);
}

bool ClassRegistry::removeTree(const QString& key) {
    const QString k = normalised(key);
    Entries entries = readAll(path_);
    for (auto it = entries.begin(); it != entries.end();) {
        if (it->first.compare(k, Qt::CaseInsensitive) == 0 ||
            it->first.startsWith(k + u'\\', Qt::CaseInsensitive))
            it = entries.erase(it);
        else
            ++it;
    }
    return writeAll(path_, entries);
}

} // namespace platform
