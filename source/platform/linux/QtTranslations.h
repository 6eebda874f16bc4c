#pragma once

#include <QString>

class QCoreApplication;

namespace tb {

// Where the program's own translations lie: "translations" in the program folder.
QString ownTranslationsFolder();

// Every text in `language` ("ru" or "en", as interfaceLanguage() decides): the program's own
// texts from thermobadge_<language>.qm in `ownFolder` (ownTranslationsFolder() when empty;
// Russian needs none, the texts are written in it), and Qt's own (the colour chooser, file
// dialogs, the buttons of question boxes) from qtbase_<language>.qm in `qtFolder` (Qt's
// translations folder when empty; English needs none, Qt is written in it). A file that is
// missing is logged and those texts stay as written. True when everything the language needs
// was installed.
bool installQtTranslations(
    QCoreApplication& app, const QString& language, const QString& ownFolder = {}, const QString& qtFolder = {});

} // namespace tb
