// ThermoBadge: the outdoor temperature indicator.
#include "AbsentParts.h"
#include "FileRegistryStore.h"
#include "IndicatorWindow.h"
#include "IniSettingsStore.h"
#include "MemoryPropertyBag.h"
#include "QtMessageBoxes.h"
#include "QtProcessLauncher.h"
#include "QtTimerFactory.h"
#include "QtUdpPort.h"
#include "RendererDrawing.h"
#include "SettingsPlacement.h"
#include "UnixSignals.h"
#include "frmErr.h"
#include "frmMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QStandardPaths>

#include <cstdio>

using namespace tb;

namespace {

// Placement, staying on top and dragging need X11: in a Wayland session XWayland is used when
// it is there, unless the user chose a platform.
void preferXWayland()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace

int main(int argc, char* argv[])
{
    preferXWayland();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ThermoBadge"));
    QApplication::setApplicationVersion(QStringLiteral(THERMOBADGE_VERSION));
    // Hiding the indicator never ends the program; only its own exit does.
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser cli;
    cli.setApplicationDescription(QStringLiteral("Indicator of the outdoor temperature."));
    cli.addHelpOption();
    cli.addVersionOption();
    const QCommandLineOption snapshot(QStringLiteral("snapshot"),
                                      QStringLiteral("Draw the current look with the stored reading into FILE.png and exit (no polling)."),
                                      QStringLiteral("FILE.png"));
    cli.addOption(snapshot);
    cli.process(app);

    const QString programDir = QCoreApplication::applicationDirPath();
    const QString configDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/ThermoBadge");
    QDir().mkpath(configDir);
    const Regional regional = Regional::system();

    SystemClock clock;
    QtTimerFactory timers;
    QtUdpPort udp;
    FileRegistryStore registry(configDir + QStringLiteral("/registry.ini"));
    QtMessageBoxes messages;
    QtProcessLauncher processes;
    IniSettingsStore settings(configDir + QStringLiteral("/ThermoBadge.ini"));

    TemperEnvironment temperEnv{clock, timers, udp, registry, messages, processes, regional, programDir,
                                THERMOBADGE_VERSION_MAJOR, THERMOBADGE_VERSION_MINOR,
                                providerListFrom({configDir + QStringLiteral("/providers.txt"), programDir + QStringLiteral("/providers.txt")})};
    ctlTemper temper(temperEnv);
    // The indicator keeps no design-time properties of its own: every one has its default.
    temper.ReadProperties(MemoryPropertyBag{});

    ErrorListWindow errorList;
    GdipLog gdipLog(clock, &errorList);
    OverlayRenderer renderer(gdipLog);
    RendererDrawing drawing(renderer);
    SettingsPlacement placement(settings, regional);
    NoTrayIcon tray;
    NoCompanions companions;
    NoPopupMenu menu;

    const bool snapshotMode = cli.isSet(snapshot);
    SnapshotView snapshotView;
    IndicatorWindow window;
    window.setWindowIcon(QIcon(programDir + QStringLiteral("/ThermoBadge.png")));
    IndicatorView& view = snapshotMode ? static_cast<IndicatorView&>(snapshotView) : window;

    frmMain main(MainWindowEnv{temper, settings, regional, clock, timers, messages, view, drawing, tray, placement, companions, menu, programDir,
                               THERMOBADGE_VERSION_MAJOR, THERMOBADGE_VERSION_MINOR, !snapshotMode});

    if (snapshotMode) {
        main.Form_Load();
        const QString file = cli.value(snapshot);
        if (snapshotView.canvas.isNull()) {
            std::fprintf(stderr, "ThermoBadge: nothing was drawn (no look selected or the picture could not be read)\n");
            return 1;
        }
        if (!snapshotView.canvas.save(file, "PNG")) {
            std::fprintf(stderr, "ThermoBadge: could not write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s: %dx%d\n", qPrintable(file), snapshotView.canvas.width(), snapshotView.canvas.height());
        return 0;
    }

    bool unloaded = false;
    const auto unload = [&] {
        if (unloaded)
            return;
        unloaded = true;
        main.Form_Unload();
        QApplication::quit();
    };
    window.onEscape = unload;
    UnixSignals stopSignals([&](int) { unload(); });
    stopSignals.install();

    if (!main.Form_Load())
        return 1;
    const int rc = QApplication::exec();
    unload();
    return rc;
}
