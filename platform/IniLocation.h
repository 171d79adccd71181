#pragma once

// Where the player keeps Flash.ini: beside the executable, as the Windows player did, so a
// copy of the program carried on a stick keeps its playlist with it. An installed program
// usually lives in a folder the user cannot write to; then the file goes to
// $XDG_CONFIG_HOME/quarvel/Flash.ini (~/.config when XDG_CONFIG_HOME is unset).

#include <QString>

namespace platform {

class IniLocation {
public:
    static constexpr const char* kFileName = "Flash.ini";

    // For the running program (QCoreApplication::applicationDirPath()).
    static QString flashIniPath();
    // For a program in `executableDir`. Creates the configuration folder when it is chosen,
    // so that a later save can write there.
    static QString flashIniPath(const QString& executableDir);

    // $XDG_CONFIG_HOME/quarvel, or ~/.config/quarvel.
    static QString userConfigDirectory();
};

} // namespace platform
