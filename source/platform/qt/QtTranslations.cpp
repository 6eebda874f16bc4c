#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QTranslator>

namespace tb {

Q_LOGGING_CATEGORY(lcTranslations, "thermobadge.translations", QtInfoMsg)

bool installQtTranslations(QCoreApplication& app, const QLocale& locale, const QString& folder)
{
    // Qt's texts are English to begin with: nothing to load for an English interface.
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return false;
    const QString where = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    // Owned by the application, so it lasts as long as the texts are asked for.
    auto* translator = new QTranslator(&app);
    // Tries qtbase_ru_RU, qtbase_ru, ... for each of the locale's interface languages.
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), where)) {
        qCInfo(lcTranslations).noquote() << "no Qt translation for" << locale.name() << "in" << where
                                         << "- Qt's own dialogs stay in English";
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    qCDebug(lcTranslations).noquote() << "Qt's own texts from" << translator->filePath();
    return true;
}

} // namespace tb
