// How the program presents itself to the desktop: its name, version and
// desktop entry, and Qt's own texts (standard buttons, context menus, file and
// print dialogs) in Japanese like the rest of the program.
#pragma once

class QTranslator;

namespace varno::ui {

// Application name "varno", the program's version, desktop file "varno" (the
// installed varno.desktop), so a Wayland compositor can match window and icon.
void SetApplicationIdentity();

// Loads Qt's Japanese translation (qtbase_ja from Qt's translations folder)
// into `translator`, installs it and makes Japanese the default locale. False
// when the file is not there; the standard texts then stay English.
bool InstallQtJapanese(QTranslator& translator);

}  // namespace varno::ui
