#pragma once

// Qt's own Chinese texts for everything Qt draws itself: the standard file dialogs, message
// box buttons, the edit fields' context menus. The player's own texts are Chinese already;
// these follow them whatever the machine's locale is.

class QCoreApplication;
class QTranslator;

namespace app {

// Installs qtbase_zh_CN from Qt's translations folder into the application. Returns the
// translator (owned by the application), or nullptr when the catalogue is not installed;
// then Qt's texts stay English and the player works on.
QTranslator* installQtTranslations(QCoreApplication& application);

} // namespace app
