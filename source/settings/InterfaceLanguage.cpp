#include "settings/InterfaceLanguage.h"

#include "settings/OptionKeys.h"

#include <QLoggingCategory>

namespace tb {

Q_LOGGING_CATEGORY(lcLanguage, "thermobadge.language", QtInfoMsg)

namespace {

const QString kRussian = QStringLiteral("ru");
const QString kEnglish = QStringLiteral("en");

QString languageOfLocale(const QLocale& locale)
{
    // LANGUAGE=de:ru asks for German, then Russian: there is no German, so Russian.
    for (const QString& name : locale.uiLanguages()) {
        switch (QLocale(name).language()) {
        case QLocale::Russian:
        case QLocale::C:
            return kRussian;
        case QLocale::English:
            return kEnglish;
        default:
            break;
        }
    }
    return kEnglish;
}

} // namespace

QString interfaceLanguage(const SettingsStore& settings, const QLocale& locale)
{
    const QString stored = mTemperPub::GetOption(settings, optionName(OptionKey::Lang), QString());
    const QString setting = stored.trimmed().toLower();
    if (setting == kRussian || setting == kEnglish)
        return setting;
    const QString chosen = languageOfLocale(locale);
    if (!setting.isEmpty())
        qCWarning(lcLanguage).noquote() << "setting Lang =" << stored << "is not \"ru\", \"en\" or empty - the locale"
                                        << locale.uiLanguages().join(QLatin1Char(':')) << "decides:" << chosen;
    return chosen;
}

} // namespace tb
