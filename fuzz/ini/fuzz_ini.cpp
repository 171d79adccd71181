// Feeds arbitrary bytes to the profile reader as a list file would reach it (UTF-8 or GB18030),
// and checks that writing what was read and reading it again keeps every playlist value.

#include "platform/IniFile.h"

#include <QByteArray>
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
    return 0;
}
