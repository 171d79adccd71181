#include "skin/controls/VisualThemes.h"

#include <QApplication>
#include <QStyle>

namespace skin {

bool visualThemesActive() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    const QString name = QApplication::style()->name();
    return name.compare(QLatin1String("windows"), Qt::CaseInsensitive) != 0 &&
           name.compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0;
}

bool themedLook(TSeThemedLook look) {
    switch (look) {
    case TSeThemedLook::Always:
        return true;
    case TSeThemedLook::Never:
        return false;
    case TSeThemedLook::Automatic:
        break;
    }
    return visualThemesActive();
}

} // namespace skin
