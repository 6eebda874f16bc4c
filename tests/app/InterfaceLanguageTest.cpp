#include "platform/MemorySettingsStore.h"
#include "settings/InterfaceLanguage.h"

#include <gtest/gtest.h>

#include <optional>

using namespace tb;

// Russian for a Russian or C/POSIX locale, English for every other; "Lang" overrides with "ru"
// or "en" in any case and with blanks around; anything else leaves it to the locale.
TEST(InterfaceLanguage, TheSettingOverridesTheLocaleWhichDecidesOtherwise)
{
    struct Row {
        std::optional<const char*> lang;
        QLocale locale;
        const char* expected;
    };
    const Row rows[] = {
        {std::nullopt, QLocale(QLocale::Russian, QLocale::Russia), "ru"},
        {std::nullopt, QLocale(QLocale::Russian, QLocale::Ukraine), "ru"},
        {std::nullopt, QLocale::c(), "ru"},
        {std::nullopt, QLocale(QLocale::English, QLocale::UnitedStates), "en"},
        {std::nullopt, QLocale(QLocale::German, QLocale::Germany), "en"},
        {std::nullopt, QLocale(QLocale::Spanish, QLocale::Spain), "en"},
        {"", QLocale(QLocale::German, QLocale::Germany), "en"},
        {"ru", QLocale(QLocale::German, QLocale::Germany), "ru"},
        {" RU ", QLocale(QLocale::English, QLocale::UnitedStates), "ru"},
        {"en", QLocale(QLocale::Russian, QLocale::Russia), "en"},
        {"en", QLocale::c(), "en"},
        {"fr", QLocale(QLocale::Russian, QLocale::Russia), "ru"},
        {"fr", QLocale(QLocale::French, QLocale::France), "en"},
        {"русский", QLocale::c(), "ru"},
    };
    for (const Row& row : rows) {
        MemorySettingsStore store;
        if (row.lang)
            store.setValue(QStringLiteral("lang"), QString::fromUtf8(*row.lang));
        EXPECT_EQ(interfaceLanguage(store, row.locale), QLatin1String(row.expected))
            << (row.lang ? *row.lang : "(no setting)") << " in " << row.locale.name().toStdString();
    }
}
