#pragma once

// The entries of the frame's built-in system menu for a window state and a set of border
// icons, and a skinned popup menu filled with them.

#include <QList>
#include <QString>
#include <functional>
#include <memory>

#include "skin/controls/FormTypes.h"
#include "skin/model/SkinTypes.h"

class QObject;

namespace skin {

class TSeSkinEngine;
class TSeSkinPopupMenu;

struct SystemMenuEntry {
    QString caption;  // "-" for the separator
    int imageIndex;   // into formimages::systemMenuImages(), -1 for none
    QString shortcut; // shown at the right, empty for none
};

// What a chosen entry asks the frame to do, recognised by the entry's caption.
enum class SystemMenuCommand { None, Close, Maximize, Minimize, Rollup, Tray, Restore };

QList<SystemMenuEntry> systemMenuEntries(TSeWindowState state, TSeBorderIcons icons);
SystemMenuCommand systemMenuCommand(const QString& caption);

// A new popup menu with the entries, drawn with the engine (which may be null); choosing an
// entry calls `run` with its command.
std::unique_ptr<TSeSkinPopupMenu>
buildSystemMenu(TSeWindowState state, TSeBorderIcons icons, TSeSkinEngine* engine,
                const std::function<void(SystemMenuCommand)>& run);

} // namespace skin
