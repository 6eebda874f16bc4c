#include "QtTestLoop.h"
#include "QtTranslations.h"

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

// A Russian interface gets Qt's own dialogs in Russian from the system's Qt translations; an
// English one, or a folder without them, keeps Qt's English.
TEST(QtTranslations, QtsOwnDialogsSpeakTheInterfaceLanguage)
{
    const QStringList english = qtTexts();
    ASSERT_EQ(english, (QStringList {"Select Color", "Yes", "No", "Save", "Discard", "Cancel"}));

    EXPECT_FALSE(installQtTranslations(*qApp, QLocale(QLocale::English, QLocale::UnitedStates)));
    EXPECT_EQ(qtTexts(), english);
    QTemporaryDir empty;
    EXPECT_FALSE(installQtTranslations(*qApp, QLocale(QLocale::Russian, QLocale::Russia), empty.path()));
    EXPECT_EQ(qtTexts(), english);

    ASSERT_TRUE(installQtTranslations(*qApp, QLocale(QLocale::Russian, QLocale::Russia)))
        << "no qtbase_ru.qm in " << QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString()
        << " (the package qt6-translations-l10n)";
    const QStringList russian = qtTexts();
    removeTranslators();
    for (qsizetype i = 0; i < russian.size(); ++i) {
        EXPECT_NE(russian[i], english[i]) << russian[i].toStdString();
        EXPECT_TRUE(russian[i].contains(QRegularExpression(QStringLiteral("[а-яА-Я]")))) << russian[i].toStdString();
    }
    std::printf("Russian: %s\n", russian.join(QStringLiteral(" | ")).toUtf8().constData());
}
