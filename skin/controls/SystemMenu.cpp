#include "skin/controls/SystemMenu.h"

#include "skin/controls/FormImages.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinPopupMenu.h"

namespace skin {

namespace {

bool has(TSeBorderIcons icons, TSeBorderIcon icon) {
    return (icons & TSeBorderIcons(icon)) != 0;
}

} // namespace

QList<SystemMenuEntry> systemMenuEntries(TSeWindowState state, TSeBorderIcons icons) {
    using S = TSeWindowState;
    const bool normal = state == S::kwsNormal;
    const bool maximized = state == S::kwsMaximized;
    const bool minimized = state == S::kwsMinimized;
    const bool rolled = state == S::kwsRollup;
    const bool tray = state == S::kwsTray;
    QList<SystemMenuEntry> out;
    if (!normal)
        out.append({QStringLiteral("&Restore"), 3, {}});
    if (has(icons, TSeBorderIcon::kbiMinimize) && !minimized && !tray)
        out.append({QStringLiteral("Mi&nimize"), 1, {}});
    if (has(icons, TSeBorderIcon::kbiMaximize) && (normal || rolled))
        out.append({QStringLiteral("Ma&ximize"), 2, {}});
    if (has(icons, TSeBorderIcon::kbiRollup) && (normal || maximized))
        out.append({QStringLiteral("Ro&llup"), 4, {}});
    if (has(icons, TSeBorderIcon::kbiTray) && !minimized && !tray)
        out.append({QStringLiteral("Minimize to &Tray"), 5, {}});
    if (has(icons, TSeBorderIcon::kbiClose)) {
        if (!out.isEmpty())
            out.append({QStringLiteral("-"), -1, {}});
        out.append({QStringLiteral("&Close"), 0, QStringLiteral("Alt+F4")});
    }
    return out;
}

SystemMenuCommand systemMenuCommand(const QString& caption) {
    using C = SystemMenuCommand;
    static const std::pair<const char*, C> table[] = {
        {"&Close", C::Close},   {"Ma&ximize", C::Maximize},     {"Mi&nimize", C::Minimize},
        {"Ro&llup", C::Rollup}, {"Minimize to &Tray", C::Tray}, {"&Restore", C::Restore},
    };
    for (const auto& [text, command] : table) {
        if (caption == QLatin1String(text))
            return command;
    }
    return C::None;
}

std::unique_ptr<TSeSkinPopupMenu>
buildSystemMenu(TSeWindowState state, TSeBorderIcons icons, TSeSkinEngine* engine,
                const std::function<void(SystemMenuCommand)>& run) {
    auto menu = std::make_unique<TSeSkinPopupMenu>();
    menu->setImages(formimages::systemMenuImages());
    for (const SystemMenuEntry& entry : systemMenuEntries(state, icons)) {
        TSeSkinItem* item = menu->Items()->Add(entry.caption);
        item->setImageIndex(entry.imageIndex);
        if (!entry.shortcut.isEmpty())
            item->setShortCut(QKeySequence(entry.shortcut));
        if (!item->isSeparator()) {
            item->OnClick = [run](QObject* sender) {
                if (auto* chosen = qobject_cast<TSeSkinItem*>(sender))
                    run(systemMenuCommand(chosen->Caption()));
            };
        }
    }
    menu->setSkinEngine(engine);
    return menu;
}

} // namespace skin
