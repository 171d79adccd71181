#include "platform/IniFile.h"

#include "platform/CodePage.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStringList>

namespace platform {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

QStringView trimBlanks(QStringView s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.sliced(begin, end - begin);
}

bool isQuote(QChar c) {
    return c == u'"' || c == u'\'';
}

bool wrappedInQuotes(QStringView s) {
    return s.size() >= 2 && isQuote(s.front()) && s.back() == s.front();
}

// A name or value must stay on its own line.
QString oneLine(const QString& s) {
    if (!s.contains(u'\r') && !s.contains(u'\n'))
        return s;
    QString copy = s;
    copy.replace(u'\r', u' ').replace(u'\n', u' ');
    return copy;
}

QString quotedIfNeeded(const QString& value) {
    if (value.isEmpty())
        return value;
    if (isBlank(value.front()) || isBlank(value.back()) || wrappedInQuotes(value))
        return QChar(u'"') + value + QChar(u'"');
    return value;
}

} // namespace

IniWriteError::IniWriteError(const QString& path)
    : std::runtime_error(QStringLiteral("Unable to write to %1").arg(path).toStdString()),
      path_(path) {}

IniFile IniFile::load(const QString& path, IniReadResult* result, const IniReadOptions& options) {
    IniReadResult scratch;
    IniReadResult& r = result ? *result : scratch;
    r = {};
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        r.status = IniReadStatus::Missing;
        return {};
    }
    // Only regular files: opening a FIFO or a device for reading could block or never end.
    if (!info.isFile()) {
        r.status = info.exists() ? IniReadStatus::NotAFile : IniReadStatus::Missing;
        return {};
    }
    if (info.size() > kMaxFileSize) {
        r.status = IniReadStatus::TooLarge;
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        r.status = IniReadStatus::Unreadable;
        return {};
    }
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize) {
        r.status = IniReadStatus::TooLarge;
        return {};
    }
    // A read error, or a file that shrank under us, leaves only part of it here.
    if (file.error() != QFileDevice::NoError || (!file.atEnd() && bytes.size() < info.size())) {
        r.status = IniReadStatus::Unreadable;
        return {};
    }
    return parse(bytes, &r, options);
}

IniFile IniFile::parse(const QByteArray& bytes, IniReadResult* result,
                       const IniReadOptions& options) {
    const DecodedText decoded = decodeTextLines(bytes);
    if (result)
        result->lossyText = result->lossyText || decoded.lossy;
    return parse(decoded.text, result, options);
}

IniFile IniFile::parse(const QString& text, IniReadResult* result, const IniReadOptions& options) {
    IniFile ini;
    Section* current = nullptr;
    // Entries of a repeated section name are never looked at; nor are those of sections the
    // caller did not ask for. Skipping them keeps hostile files from filling memory.
    bool keeping = false;
    QSet<QString> seen; // case-folded names of the sections kept
    const QStringView all(text);
    qsizetype pos = 0;
    while (pos < all.size()) {
        qsizetype end = pos;
        while (end < all.size() && all[end] != u'\r' && all[end] != u'\n')
            ++end;
        const QStringView line = trimBlanks(all.sliced(pos, end - pos));
        // One line break: CR LF, LF or a lone CR.
        pos = end;
        if (pos < all.size() && all[pos] == u'\r')
            ++pos;
        if (pos < all.size() && all[pos] == u'\n')
            ++pos;

        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.front() == u'[') {
            const qsizetype close = line.lastIndexOf(u']');
            if (close > 0) {
                const QStringView name = trimBlanks(line.sliced(1, close - 1));
                const bool wanted = options.onlySection.isEmpty() ||
                                    name.compare(options.onlySection, Qt::CaseInsensitive) == 0;
                keeping = false;
                if (wanted) {
                    const QString folded = name.toString().toCaseFolded();
                    keeping = !seen.contains(folded);
                    seen.insert(folded);
                }
                if (keeping) {
                    ini.sections_.push_back({name.toString(), {}});
                    current = &ini.sections_.back();
                } else {
                    current = nullptr;
                }
                continue;
            }
        }
        if (!current || !keeping)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        if (qsizetype(current->entries.size()) >= options.maxEntriesPerSection) {
            if (result)
                result->entriesDropped = true;
            continue;
        }
        QStringView value = trimBlanks(line.sliced(eq + 1));
        if (wrappedInQuotes(value))
            value = value.sliced(1, value.size() - 2);
        current->entries.push_back({trimBlanks(line.first(eq)).toString(), value.toString()});
    }
    return ini;
}

const IniFile::Section* IniFile::findSection(const QString& name) const {
    for (const Section& s : sections_) {
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}

IniFile::Section& IniFile::sectionForWriting(const QString& name) {
    if (const Section* found = findSection(name))
        return const_cast<Section&>(*found);
    sections_.push_back({name, {}});
    return sections_.back();
}

bool IniFile::hasSection(const QString& section) const {
    return findSection(section) != nullptr;
}

QStringList IniFile::sectionNames() const {
    QStringList names;
    for (const Section& s : sections_) {
        if (findSection(s.name) == &s)
            names.append(s.name);
    }
    return names;
}

std::vector<IniEntry> IniFile::entries(const QString& section) const {
    if (const Section* s = findSection(section))
        return s->entries;
    return {};
}

QString IniFile::value(const QString& section, const QString& key, const QString& fallback) const {
    if (const Section* s = findSection(section)) {
        for (const IniEntry& e : s->entries) {
            if (e.key.compare(key, Qt::CaseInsensitive) == 0)
                return e.value;
        }
    }
    return fallback;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    Section& s = sectionForWriting(section);
    for (IniEntry& e : s.entries) {
        if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
            e.value = value;
            return;
        }
    }
    s.entries.push_back({key, value});
}

void IniFile::appendEntry(const QString& section, const QString& key, const QString& value) {
    sectionForWriting(section).entries.push_back({key, value});
}

void IniFile::removeSection(const QString& section) {
    std::erase_if(sections_, [&](const Section& s) {
        return s.name.compare(section, Qt::CaseInsensitive) == 0;
    });
}

QByteArray IniFile::serialize() const {
    QString text;
    bool first = true;
    for (const Section& s : sections_) {
        if (!first)
            text += QLatin1String("\r\n");
        first = false;
        text += u'[';
        text += oneLine(s.name);
        text += QLatin1String("]\r\n");
        for (const IniEntry& e : s.entries) {
            text += oneLine(e.key);
            text += u'=';
            text += quotedIfNeeded(oneLine(e.value));
            text += QLatin1String("\r\n");
        }
    }
    return text.toUtf8();
}

void IniFile::save(const QString& path) const {
    const QByteArray bytes = serialize();
    // QSaveFile writes a temporary file in the target's folder and renames it over the target
    // on commit; on any failure the temporary file is removed and the target keeps its bytes.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw IniWriteError(path);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        throw IniWriteError(path);
    }
    if (!file.commit())
        throw IniWriteError(path);
}

} // namespace platform
