#include "CaptionFit.h"
#include "FakeClock.h"
#include "FakeUdpPort.h"
#include "MemoryRegistryStore.h"
#include "MemorySettingsStore.h"
#include "OptionKeys.h"
#include "RecordingMessageBoxes.h"
#include "RecordingProcessLauncher.h"
#include "ctlTemper.h"
#include "frmAbout.h"
#include "frmErr.h"
#include "frmOptions.h"
#include "frmSlider.h"
#include "frmTown.h"
#include "FakeCommandRunner.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>

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

} // namespace

// Every window on the screen this process has; the test below runs it in child processes under
// the screens it sets up.
TEST(CaptionsFit, EveryWindowOnThisScreen)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    std::printf("screen: logical dpi %g, pixel ratio %g\n", screen->logicalDotsPerInch(), screen->devicePixelRatio());

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
        checked << QString::fromLatin1(name);
    }
    std::printf("windows checked: %s\n", qPrintable(checked.join(QStringLiteral(", "))));
}

// Every window at 96 dpi and at 144 dpi, the latter both as Qt 6 runs it by default (the 96-dpi
// layout scaled by 1.5) and with Qt's scaling off (twips and fonts at 144 logical dpi).
TEST(CaptionsFit, EveryWindowAt96And144Dpi)
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
    for (const Screen& screen : screens) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* inherited :
            {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING", "QT_USE_PHYSICAL_DPI"})
            env.remove(QString::fromLatin1(inherited));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (const QString& setting : screen.environment)
            env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(
            QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=CaptionsFit.EveryWindowOnThisScreen")});
        ASSERT_TRUE(child.waitForFinished(60000)) << screen.name;
        const QString output = QString::fromLocal8Bit(child.readAll());
        std::printf("--- %s ---\n%s", screen.name, qPrintable(output));
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << screen.name;
        EXPECT_EQ(child.exitCode(), 0) << screen.name;
        EXPECT_TRUE(output.contains(QString::fromLatin1("screen: ") + QString::fromLatin1(screen.expected)))
            << screen.name << ": the screen was not set up";
        EXPECT_TRUE(output.contains(QStringLiteral("windows checked: frmErr, frmAbout, frmSlider, frmOptions, frmTown"))) << screen.name;
    }
}
