#include "CaptionFit.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmErr.h"
#include "dialogs/frmOptions.h"
#include "dialogs/frmSlider.h"
#include "dialogs/frmTown.h"
#include "platform/MemoryRegistryStore.h"
#include "platform/MemorySettingsStore.h"
#include "platform/fakes/FakeClock.h"
#include "platform/fakes/FakeCommandRunner.h"
#include "platform/fakes/FakeUdpPort.h"
#include "platform/fakes/RecordingMessageBoxes.h"
#include "platform/fakes/RecordingProcessLauncher.h"
#include "platform/linux/QtTranslations.h"
#include "settings/InterfaceLanguage.h"
#include "settings/OptionKeys.h"
#include "temperature/ctlTemper.h"
#include "window/PopupMenuWidget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTranslator>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>

using namespace tb;
using namespace tb::test;

namespace {

// Shows the window as the program would and lists the captions that do not fit.
QStringList checkWindow(QWidget& window)
{
    window.show();
    QStringList misfits = captionMisfits(window);
    window.hide();
    return misfits;
}

// What a person reads in the window, in the order its controls were made: its title, frame
// titles, button and label captions, list entries.
QStringList captionsOf(const QWidget& window)
{
    QStringList out;
    if (!window.windowTitle().isEmpty())
        out << window.windowTitle();
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (const auto* group = qobject_cast<const QGroupBox*>(w))
            out << group->title();
        else if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            out << button->text();
        else if (const auto* label = qobject_cast<const QLabel*>(w))
            out << label->text();
        else if (const auto* list = qobject_cast<const QComboBox*>(w))
            for (int i = 0; i < list->count(); ++i)
                out << list->itemText(i);
    }
    out.removeAll(QString());
    return out;
}

// The menu's items and submenus, depth first, without separators and empty items.
QStringList captionsOf(const QMenu& menu)
{
    QStringList out;
    for (const QAction* a : menu.actions()) {
        if (!a->text().isEmpty())
            out << a->text();
        if (a->menu())
            out << captionsOf(*a->menu());
    }
    return out;
}

// Everything else the window says when asked: tips, names for screen readers, hints in empty
// fields, list headings.
QStringList hintsOf(const QWidget& window)
{
    QStringList out;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        out << w->toolTip() << w->accessibleName();
        if (const auto* edit = qobject_cast<const QLineEdit*>(w))
            out << edit->placeholderText();
        if (const auto* tree = qobject_cast<const QTreeWidget*>(w))
            for (int i = 0; i < tree->columnCount(); ++i)
                out << tree->headerItem()->text(i);
    }
    out.removeAll(QString());
    return out;
}

void printCaptions(const char* name, const QStringList& captions)
{
    std::printf("captions %s: %s\n", name, captions.join(QStringLiteral(" | ")).toUtf8().constData());
}

// The interface language as the programs choose it (the locale of this process, and the
// "Lang" setting a parent test passes in TEST_LANG_SETTING), installed for the life of the
// object.
class InterfaceLanguageScope {
public:
    InterfaceLanguageScope()
    {
        MemorySettingsStore settings;
        if (qEnvironmentVariableIsSet("TEST_LANG_SETTING"))
            settings.setValue(QStringLiteral("Lang"), qEnvironmentVariable("TEST_LANG_SETTING"));
        language = interfaceLanguage(settings);
        installQtTranslations(*qApp, language, QStringLiteral(THERMOBADGE_TRANSLATIONS_DIR));
    }
    ~InterfaceLanguageScope()
    {
        for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
    }
    QString language;
};

// Runs EveryWindowOnThisScreen in a child process under the given settings (NAME=VALUE) on top
// of an offscreen platform without any inherited scaling or language; its output.
QString runOnScreen(const QStringList& settings)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* inherited : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING",
             "QT_USE_PHYSICAL_DPI", "LC_ALL", "LC_MESSAGES", "LANGUAGE", "TEST_LANG_SETTING"})
        env.remove(QString::fromLatin1(inherited));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    for (const QString& setting : settings)
        env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=CaptionsFit.EveryWindowOnThisScreen")});
    if (!child.waitForFinished(60000))
        return QStringLiteral("(did not finish)");
    const QString output = QString::fromUtf8(child.readAll());
    return child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 ? output : output + QStringLiteral("\n(failed)");
}

// The line of the output that starts with `head`, without it.
QString lineOf(const QString& output, const QString& head)
{
    for (const QString& line : output.split(QLatin1Char('\n')))
        if (line.startsWith(head))
            return line.mid(head.size());
    return QStringLiteral("(no line %1)").arg(head);
}

} // namespace

// Every window on the screen this process has; the test below runs it in child processes under
// the screens it sets up.
TEST(CaptionsFit, EveryWindowOnThisScreen)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    std::printf("screen: logical dpi %g, pixel ratio %g\n", screen->logicalDotsPerInch(), screen->devicePixelRatio());
    const InterfaceLanguageScope language;
    std::printf("language: %s\n", qPrintable(language.language));

    MemorySettingsStore store;
    Options options(store, Regional::russian());
    OverlayStyle style;
    quint8 trans = 0;
    bool transOn = false, scaleAutoOff = true, sliderOpen = false;
    qint16 sliderFocus = 0;
    SliderTarget target {style, trans, transOn, scaleAutoOff, sliderOpen, sliderFocus, [] {}};
    FakeClock clock;
    FakeUdpPort udp(&clock);
    MemoryRegistryStore registry;
    RecordingMessageBoxes boxes;
    RecordingProcessLauncher processes;
    ctlTemper temper(TemperEnvironment {clock, clock, udp, registry, boxes, processes, Regional::russian(), QString(), 1, 4});
    temper.InitProperties();
    qint32 prov = 0;
    bool provUnset = false, aRun = false, verChk = true;
    TrayLook trayLook;
    FakeCommandRunner commands;
    FakeCompanionProcess companion;
    LocalServer local(LocalServerEnv {commands, companion, [] { return false; }, QString(), QString()});
    TownChoice choice(TownChoiceEnv {options, temper, commands, local, QString(), QString(), {}, {}, {}});

    const std::pair<const char*, std::function<std::unique_ptr<QWidget>()>> windows[] = {
        {"frmErr", [] { return std::make_unique<frmErr>(); }},
        {"frmAbout", [] { return std::make_unique<frmAbout>(1, 4); }},
        {"frmSlider", [&] { return std::make_unique<frmSlider>(target, options, nullptr); }},
        {"frmOptions",
            [&] {
                auto d = std::make_unique<frmOptions>(OptionsTarget {temper, prov, provUnset, aRun, verChk, trayLook, {}, {}},
                    options, Autorun(QString()), RunCommand {});
                d->Show();
                return d;
            }},
        // Its caption says when there is no location service: the longest it gets.
        {"frmTown", [&] { return std::make_unique<frmTown>(TownChooserEnv {commands, choice, nullptr, QString(), QString()}); }},
    };
    QStringList checked;
    for (const auto& [name, make] : windows) {
        std::unique_ptr<QWidget> window = make();
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        const QStringList misfits = checkWindow(*window);
        EXPECT_TRUE(misfits.isEmpty()) << name << ":\n  " << misfits.join(QStringLiteral("\n  ")).toStdString();
        printCaptions(name, captionsOf(*window));
        if (language.language == QLatin1String("en")) {
            const QStringList russian
                = (captionsOf(*window) + hintsOf(*window)).filter(QRegularExpression(QStringLiteral("[а-яА-ЯёЁ]")));
            EXPECT_TRUE(russian.isEmpty()) << name
                                           << " has texts left in Russian: " << russian.join(QStringLiteral(" | ")).toStdString();
        }
        checked << QString::fromLatin1(name);
    }
    std::printf("windows checked: %s\n", qPrintable(checked.join(QStringLiteral(", "))));
    PopupMenuWidget menu;
    printCaptions("mnuPopUp", captionsOf(*menu.menu()));
    // Qt's own buttons follow the same language.
    QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    printCaptions("Qt",
        {box.button(QMessageBox::Yes)->text(), box.button(QMessageBox::No)->text(), box.button(QMessageBox::Cancel)->text()});
}

// Every window in both languages at 96 dpi and at 144 dpi, the latter both as Qt 6 runs it by
// default (the 96-dpi layout scaled by 1.5) and with Qt's scaling off (twips and fonts at 144
// logical dpi).
TEST(CaptionsFit, EveryWindowInBothLanguagesAt96And144Dpi)
{
    struct Screen {
        const char* name;
        QStringList environment;
        const char* expected;
    };
    const Screen screens[] = {
        {"96 dpi", {QStringLiteral("QT_FONT_DPI=96")}, "logical dpi 96, pixel ratio 1\n"},
        {"144 dpi, scaled by Qt", {QStringLiteral("QT_FONT_DPI=144")}, "logical dpi 96, pixel ratio 1.5\n"},
        {"144 dpi, unscaled", {QStringLiteral("QT_FONT_DPI=144"), QStringLiteral("QT_ENABLE_HIGHDPI_SCALING=0")},
            "logical dpi 144, pixel ratio 1\n"},
    };
    const std::pair<const char*, const char*> languages[] = {{"C.UTF-8", "ru"}, {"en_US.UTF-8", "en"}};
    for (const auto& [locale, language] : languages) {
        for (const Screen& screen : screens) {
            const QString output
                = runOnScreen(screen.environment + QStringList {QStringLiteral("LANG=") + QLatin1String(locale)});
            const std::string where = std::string(screen.name) + ", LANG=" + locale;
            std::printf("--- %s ---\n%s", where.c_str(), qPrintable(output));
            EXPECT_FALSE(output.contains(QStringLiteral("(failed)"))) << where;
            EXPECT_TRUE(output.contains(QString::fromLatin1("screen: ") + QString::fromLatin1(screen.expected)))
                << where << ": the screen was not set up";
            EXPECT_EQ(lineOf(output, QStringLiteral("language: ")), QLatin1String(language)) << where;
            EXPECT_TRUE(output.contains(QStringLiteral("windows checked: frmErr, frmAbout, frmSlider, frmOptions, frmTown")))
                << where;
        }
    }
}

// The menu, the options dialog and Qt's own buttons speak Russian in a Russian locale and
// English in a German one, exactly as written and as translated; the "Lang" setting overrides
// the locale.
TEST(Language, MenuAndOptionsFollowTheLocaleAndTheLangSetting)
{
    const QString russianMenu = QStringLiteral(
        "Скрыть | Впереди | Инд-р t° | Задействовать | Положение | Верх-Слева | Низ-Справа | Верх-Справа | Низ-Слева | "
        "Центр-Сверху | Центр-Снизу | Размер | 14 | 19 | 23 | 30 | 35 | 42 | Вид | Формат | Масштаб | Прозрачность | "
        "Настройки | Город... | О программе | E&xit");
    const QString englishMenu = QStringLiteral(
        "Hide | On top | Stale t° mark | Enabled | Position | Top left | Bottom right | Top right | Bottom left | "
        "Top centre | Bottom centre | Size | 14 | 19 | 23 | 30 | 35 | 42 | Look | Format | Scale | Transparency | "
        "Options | Town... | About | E&xit");
    const QString russianOptions = QStringLiteral(
        "Настройки программы | Выбор провайдера | Интернет | Локальный | Коррекция т-ры | 0.0 | °C | Автозапуск | Версия | "
        "Иконка в трее | Вид | Классический | Цифровой | Прозрачный | Жирный | Цвет при температуре | (+) | Цифры | Фон | (-) | "
        "Цифры | Фон | Ввод | Отмена");
    const QString englishOptions = QStringLiteral(
        "Program settings | Provider | Internet | Local | Correction | 0.0 | °C | Autostart | Version | Tray icon | Style | "
        "Classic | Digital | Transparent | Bold | Colours by temperature | (+) | Digits | Back | (-) | Digits | Back | OK | "
        "Cancel");
    struct Row {
        QStringList environment;
        QString menu, options, qt;
    };
    const Row rows[] = {
        {{QStringLiteral("LANG=ru_RU.UTF-8")}, russianMenu, russianOptions, QStringLiteral("&Да | &Нет | Отмена")},
        {{QStringLiteral("LANG=de_DE.UTF-8")}, englishMenu, englishOptions, QStringLiteral("&Yes | &No | Cancel")},
        {{QStringLiteral("LANG=ru_RU.UTF-8"), QStringLiteral("TEST_LANG_SETTING=en")}, englishMenu, englishOptions,
            QStringLiteral("&Yes | &No | Cancel")},
        {{QStringLiteral("LANG=de_DE.UTF-8"), QStringLiteral("TEST_LANG_SETTING=ru")}, russianMenu, russianOptions,
            QStringLiteral("&Да | &Нет | Отмена")},
    };
    for (const Row& row : rows) {
        const QString output = runOnScreen(row.environment + QStringList {QStringLiteral("QT_FONT_DPI=96")});
        const std::string where = row.environment.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(lineOf(output, QStringLiteral("captions mnuPopUp: ")), row.menu) << where;
        EXPECT_EQ(lineOf(output, QStringLiteral("captions frmOptions: ")), row.options) << where;
        EXPECT_EQ(lineOf(output, QStringLiteral("captions Qt: ")), row.qt) << where;
        std::printf("--- %s ---\n%s", where.c_str(), qPrintable(output));
    }
}
