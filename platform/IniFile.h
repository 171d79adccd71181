#pragma once

// Profile (INI) files: named sections of "key=value" lines, as the Windows private profile
// functions read and write them. Reading follows those functions where it matters for files
// written on Windows: blanks around keys and values are dropped, a value wrapped in matching
// quotes loses them, section and key names compare without regard to case, and a repeated
// section name refers to its first occurrence. Lines before the first section, lines
// starting with ';' and lines without '=' carry no entry.
//
// Files are written in UTF-8 with CR LF line ends; reading also takes files in code page 936
// (see CodePage.h). Saving writes a complete new file beside the old one and renames it over
// the old one, so a failed save leaves the previous file as it was.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <limits>
#include <stdexcept>
#include <vector>

namespace platform {

// A save that did not complete. what() is "Unable to write to <path>".
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const QString& path);
    const QString& path() const { return path_; }

private:
    QString path_;
};

// How reading a file went. Anything but Ok and Missing means the profile holds less than the
// file does, so the file must not be replaced by what was read.
enum class IniReadStatus {
    Ok,
    Missing,    // no file at the path
    NotAFile,   // a folder, device or pipe
    TooLarge,   // over IniFile::kMaxFileSize
    Unreadable, // could not be opened or read to its end
};

struct IniReadOptions {
    // When set, only entries of this section are kept; others are skipped while reading.
    QString onlySection;
    // A section keeps at most this many entries; the rest are dropped.
    qsizetype maxEntriesPerSection = std::numeric_limits<qsizetype>::max();
};

struct IniReadResult {
    IniReadStatus status = IniReadStatus::Ok;
    // Some bytes were neither UTF-8 nor code page 936 and were replaced.
    bool lossyText = false;
    // A section had more entries than the options allowed.
    bool entriesDropped = false;

    // Everything in the file is in the profile (a missing file holds nothing).
    bool complete() const {
        return (status == IniReadStatus::Ok || status == IniReadStatus::Missing) && !lossyText &&
               !entriesDropped;
    }
};

struct IniEntry {
    QString key;
    QString value;
    bool operator==(const IniEntry&) const = default;
};

class IniFile {
public:
    // Files larger than this are not profile files; they are treated as unreadable rather
    // than read into memory.
    static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

    IniFile() = default;

    // Reads the file; a missing, unreadable or oversized file gives an empty profile.
    // `result`, when given, says how complete the reading was.
    static IniFile load(const QString& path, IniReadResult* result = nullptr,
                        const IniReadOptions& options = {});
    static IniFile parse(const QByteArray& bytes, IniReadResult* result = nullptr,
                         const IniReadOptions& options = {});
    static IniFile parse(const QString& text, IniReadResult* result = nullptr,
                         const IniReadOptions& options = {});

    bool hasSection(const QString& section) const;
    QStringList sectionNames() const;
    // The entries of the section in the order they stand in the file; empty when missing.
    std::vector<IniEntry> entries(const QString& section) const;
    // The value of the first entry with the key, or `fallback`.
    QString value(const QString& section, const QString& key,
                  const QString& fallback = QString()) const;

    // Replaces the value of the first entry with the key, or appends an entry (and the
    // section) when there is none.
    void setValue(const QString& section, const QString& key, const QString& value);
    // Appends an entry without looking for an existing key; for writing a whole list fast.
    void appendEntry(const QString& section, const QString& key, const QString& value);
    void removeSection(const QString& section);
    void clear() { sections_.clear(); }

    // The file's bytes: UTF-8, CR LF line ends. A value that would not read back as itself
    // (blanks at either end, or wrapped in quotes) is written in double quotes; line breaks
    // inside names and values become spaces so they cannot start a line of their own.
    QByteArray serialize() const;

    // Writes the whole profile to `path`, replacing the file there in one step. Throws
    // IniWriteError when the file cannot be written completely; the old file is then left
    // untouched.
    void save(const QString& path) const;

private:
    struct Section {
        QString name;
        std::vector<IniEntry> entries;
    };

    const Section* findSection(const QString& name) const;
    Section& sectionForWriting(const QString& name);

    std::vector<Section> sections_;
};

} // namespace platform
