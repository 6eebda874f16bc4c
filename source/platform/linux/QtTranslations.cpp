#include "platform/linux/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QTranslator>

namespace tb {

Q_LOGGING_CATEGORY(lcTranslations, "thermobadge.translations", QtInfoMsg)

namespace {

// Loads `file` (thermobadge_en.qm, qtbase_ru.qm, ...) from `folder` into the application.
bool install(QCoreApplication& app, const QString& file, const QString& folder, const char* missing)
{
    // Owned by the application, so it lasts as long as the texts are asked for.
    auto* translator = new QTranslator(&app);
    if (!translator->load(file, folder)) {
        qCWarning(lcTranslations).noquote() << "no" << file << "in" << folder << "-" << missing;
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    qCDebug(lcTranslations).noquote() << "texts from" << translator->filePath();
    return true;
}

} // namespace

QString ownTranslationsFolder()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
}

bool installQtTranslations(QCoreApplication& app, const QString& language, const QString& ownFolder, const QString& qtFolder)
{
    bool complete = true;
    // The program's texts are written in Russian, Qt's in English: each needs a translation
    // only for the other language.
    if (language != QLatin1String("ru"))
        complete &= install(app, QStringLiteral("thermobadge_") + language + QStringLiteral(".qm"),
            ownFolder.isEmpty() ? ownTranslationsFolder() : ownFolder, "the program's texts stay in Russian");
    if (language != QLatin1String("en"))
        complete &= install(app, QStringLiteral("qtbase_") + language + QStringLiteral(".qm"),
            qtFolder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : qtFolder,
            "Qt's own dialogs stay in English");
    qCDebug(lcTranslations).noquote() << "interface language" << language << (complete ? "" : "(incomplete)");
    return complete;
}

} // namespace tb
