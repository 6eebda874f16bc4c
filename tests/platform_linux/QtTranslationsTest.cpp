#include "QtTestLoop.h"
#include "platform/linux/QtTranslations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>

#include <gtest/gtest.h>

using namespace tb;

namespace {

[[maybe_unused]] auto* const appEnvironment = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<QApplication>);

// What Qt's own windows say: the colour chooser's title and the buttons of a question box.
QStringList qtTexts()
{
    QColorDialog chooser;
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("q"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    QStringList texts {chooser.windowTitle()};
    for (const auto b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Save, QMessageBox::Discard, QMessageBox::Cancel})
        texts << box.button(b)->text().remove(QLatin1Char('&'));
    return texts;
}

void removeTranslators()
{
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

} // namespace

// Each language gets what it lacks, and only that: English the program's own texts from its
// translations folder (Qt is English already), Russian Qt's own dialogs from the system's Qt
// translations (the program is written in Russian). A missing file keeps those texts as written.
TEST(QtTranslations, EachLanguageGetsTheProgramsTextsAndQtsOwnDialogsInIt)
{
    const QStringList english = qtTexts();
    ASSERT_EQ(english, (QStringList {"Select Color", "Yes", "No", "Save", "Discard", "Cancel"}));
    const auto menuItem = [] { return QCoreApplication::translate("PopupMenuWidget", "Настройки"); };
    QTemporaryDir empty;

    EXPECT_FALSE(installQtTranslations(*qApp, QStringLiteral("en"), empty.path())) << "no thermobadge_en.qm there";
    EXPECT_EQ(menuItem(), QStringLiteral("Настройки"));
    EXPECT_FALSE(installQtTranslations(*qApp, QStringLiteral("ru"), empty.path(), empty.path())) << "no qtbase_ru.qm there";
    EXPECT_EQ(qtTexts(), english);

    ASSERT_TRUE(installQtTranslations(*qApp, QStringLiteral("en"), QStringLiteral(THERMOBADGE_TRANSLATIONS_DIR)));
    EXPECT_EQ(menuItem(), QStringLiteral("Options"));
    EXPECT_EQ(qtTexts(), english);
    removeTranslators();

    ASSERT_TRUE(installQtTranslations(*qApp, QStringLiteral("ru"), empty.path()))
        << "no qtbase_ru.qm in " << QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString()
        << " (the package qt6-translations-l10n)";
    EXPECT_EQ(menuItem(), QStringLiteral("Настройки"));
    const QStringList russian = qtTexts();
    removeTranslators();
    for (qsizetype i = 0; i < russian.size(); ++i) {
        EXPECT_NE(russian[i], english[i]) << russian[i].toStdString();
        EXPECT_TRUE(russian[i].contains(QRegularExpression(QStringLiteral("[а-яА-Я]")))) << russian[i].toStdString();
    }
    std::printf("Russian: %s\n", russian.join(QStringLiteral(" | ")).toUtf8().constData());
}
