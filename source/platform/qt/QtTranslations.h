#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

namespace tb {

// Qt's own texts (the colour chooser, file dialogs, the buttons of question boxes) in the
// interface language: loads "qtbase" for `locale` from `folder` (Qt's translations folder when
// empty) into the application. An English interface, or a language Qt has no translation for,
// keeps Qt's English (logged). True when a translation was installed.
bool installQtTranslations(QCoreApplication& app, const QLocale& locale = QLocale::system(), const QString& folder = {});

} // namespace tb
