#pragma once

// Registers the player for a file extension: the five keys of the class registry the way the
// Windows shell reads them, and the same association exported the freedesktop way (a desktop
// entry, the MIME type, the default-application line) so that double-clicking a movie in a
// Linux file manager opens the player.

#include <QByteArray>
#include <QList>
#include <QString>

namespace platform {

// Returns the report flag when all five keys were written; false otherwise. Failures are
// silent: the association is a convenience and never stops the program.
bool RegisterFileType(QString extension, const QString& programPath, QString description,
                      QString verbCaption, int iconIndex, bool report);

// One file of the program's icon in the hicolor theme, by its path inside the theme
// ("48x48/apps/quarvel-flash.png").
struct IconFile {
    QString themePath;
    QByteArray bytes;
};

// The freedesktop side, for the ".swf" type: desktop entry under $XDG_DATA_HOME/applications
// (naming the icon), the MIME package under $XDG_DATA_HOME/mime/packages, the default in
// $XDG_CONFIG_HOME/mimeapps.list, and the icon's files under $XDG_DATA_HOME/icons/hicolor.
// Returns false when a file could not be written.
bool ExportDesktopAssociation(const QString& programPath, const QList<IconFile>& icons = {});

inline constexpr char kSwfMimeType[] = "application/x-shockwave-flash";
inline constexpr char kDesktopFileName[] = "quarvel-flash.desktop";
inline constexpr char kIconName[] = "quarvel-flash";

} // namespace platform
