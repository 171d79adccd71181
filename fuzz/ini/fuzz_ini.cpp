// Feeds arbitrary bytes to the profile reader as a list file would reach it (UTF-8 or GB18030,
// line by line), and checks that writing what was read and reading it again keeps every
// playlist value, and that reading only the playlist section with an entry limit gives the
// first entries of the full reading.

#include "platform/IniFile.h"

#include <QByteArray>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const platform::IniFile ini = platform::IniFile::parse(bytes);
    const QString section = QStringLiteral("播放列表");
    const auto entries = ini.entries(section);
    platform::IniFile copy;
    for (const auto& e : entries)
        copy.appendEntry(section, QString::number(&e - entries.data()), e.value);
    const auto again = platform::IniFile::parse(copy.serialize()).entries(section);
    if (again.size() != entries.size())
        std::abort();
    for (std::size_t i = 0; i < again.size(); ++i)
        if (again[i].value != entries[i].value)
            std::abort();

    platform::IniReadOptions options;
    options.onlySection = section;
    options.maxEntriesPerSection = 8;
    platform::IniReadResult result;
    const auto limited = platform::IniFile::parse(bytes, &result, options).entries(section);
    if (limited.size() != std::min<std::size_t>(entries.size(), 8) ||
        result.entriesDropped != (entries.size() > 8))
        std::abort();
    for (std::size_t i = 0; i < limited.size(); ++i)
        if (!(limited[i] == entries[i]))
            std::abort();
    return 0;
}
