// ThermoBadge: the outdoor temperature indicator.
#include "app/AbsentParts.h"
#include "app/AddonLink.h"
#include "app/RendererDrawing.h"
#include "app/TownChoice.h"
#include "app/frmMain.h"
#include "dialogs/DialogCompanions.h"
#include "dialogs/SettingsPlacement.h"
#include "dialogs/frmErr.h"
#include "platform/Codepage.h"
#include "platform/CommandFrame.h"
#include "platform/FileRegistryStore.h"
#include "platform/HeapTuning.h"
#include "platform/IniSettingsStore.h"
#include "platform/MemoryPropertyBag.h"
#include "platform/desktop/DisplayCheck.h"
#include "platform/desktop/GeoClueLocation.h"
#include "platform/desktop/ScreenRescue.h"
#include "platform/linux/QtCommandRunner.h"
#include "platform/linux/QtMessageBoxes.h"
#include "platform/linux/QtProcessLauncher.h"
#include "platform/linux/QtTimerFactory.h"
#include "platform/linux/QtTranslations.h"
#include "platform/linux/SingleInstance.h"
#include "platform/linux/UnixCommandChannel.h"
#include "platform/linux/UnixSignals.h"
#include "platform/linux/UnixUdpPort.h"
#include "platform/linux/WorkingSet.h"
#include "settings/InterfaceLanguage.h"
#include "temperature/ComponentError.h"
#include "temperature/Exchange.h"
#include "window/IndicatorWindow.h"
#include "window/PopupMenuWidget.h"
#include "window/QtTrayIcon.h"
#include "window/RestingMemory.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QSessionManager>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <optional>

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

QStringList argumentList(int argc, char* argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    return args;
}

// What the command line asks for. The options are read before any windowing system is
// touched, so --help, --version and --snapshot work without a display.
struct CommandLine {
    bool done = false; // answered already (help, version or a mistake)
    int exitCode = 0;
    std::optional<QString> snapshot{};
    std::optional<QString> send{};
    qreal scale = 1.0;
};

// The command line answered already, with the exit code.
CommandLine answered(int exitCode)
{
    CommandLine out;
    out.done = true;
    out.exitCode = exitCode;
    return out;
}

// The program icon with pictures from 16 to 64 pixels, so window lists and trays need not
// scale one picture on the fly.
QIcon iconAtEverySize(const QString& file)
{
    // The format named and no search: the reader need not load every image plugin to ask it.
    QImageReader reader(file, "png");
    reader.setAutoDetectImageFormat(false);
    const QPixmap source = QPixmap::fromImage(reader.read());
    QIcon icon;
    if (source.isNull())
        return icon;
    for (const int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(size == source.width() ? source : source.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return icon;
}

CommandLine readCommandLine(const QStringList& args)
{
    QCommandLineParser cli;
    cli.setApplicationDescription(QStringLiteral("Indicator of the outdoor temperature."));
    const QCommandLineOption help = cli.addHelpOption();
    const QCommandLineOption version = cli.addVersionOption();
    const QCommandLineOption snapshot(QStringLiteral("snapshot"),
                                      QStringLiteral("Draw the current look with the stored reading into FILE.png and exit (no polling, no display needed)."),
                                      QStringLiteral("FILE.png"));
    const QCommandLineOption scale(QStringLiteral("scale"),
                                   QStringLiteral("With --snapshot: device pixels per pixel of the drawing, 1 to 4 (2 shows it as on a 200 % screen)."),
                                   QStringLiteral("RATIO"), QStringLiteral("1"));
    const QCommandLineOption send(QStringLiteral("send"),
                                  QStringLiteral("Set TEXT into the running indicator's command box, as the look editor does (\"S=48\" "
                                                 "sets the text size), and exit; non-zero when no indicator runs."),
                                  QStringLiteral("TEXT"));
    cli.addOption(snapshot);
    cli.addOption(scale);
    cli.addOption(send);

    CommandLine out;
    if (!cli.parse(args)) {
        std::fprintf(stderr, "ThermoBadge: %s (try --help)\n", qPrintable(cli.errorText()));
        return answered(2);
    }
    if (cli.isSet(help)) {
        // No application object yet: name the program as it was called (help2man calls it
        // through the installed link).
        std::fputs(qPrintable(cli.helpText().replace(QStringLiteral("<executable_name>"), QFileInfo(args.first()).fileName())), stdout);
        return answered(0);
    }
    if (cli.isSet(version)) {
        std::printf("ThermoBadge %s\n", THERMOBADGE_VERSION);
        return answered(0);
    }
    if (!cli.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "ThermoBadge: unexpected argument %s (try --help)\n", qPrintable(cli.positionalArguments().first()));
        return answered(2);
    }
    bool ok = false;
    out.scale = cli.value(scale).toDouble(&ok);
    if (!ok || out.scale < 1 || out.scale > 4) {
        std::fprintf(stderr, "ThermoBadge: --scale takes a number from 1 to 4\n");
        return answered(2);
    }
    if (cli.isSet(snapshot))
        out.snapshot = cli.value(snapshot);
    if (cli.isSet(send))
        out.send = cli.value(send);
    return out;
}

// --send: one text into the running indicator's command box, found by its published name.
int sendToIndicator(const QString& text)
{
    const qsizetype bytes = toAnsi(text).size();
    if (bytes > kMaxFrameText) {
        std::fprintf(stderr, "ThermoBadge: the text is too long to send: %lld bytes, at most %lld\n", static_cast<long long>(bytes),
                     static_cast<long long>(kMaxFrameText));
        return 1;
    }
    UnixCommandChannel channel;
    if (!channel.usable()) {
        std::fprintf(stderr, "ThermoBadge: the command channel folder %s cannot be used (see the message above)\n",
                     qPrintable(channel.folder()));
        return 1;
    }
    const std::optional<qint32> handle = channel.lookup(indicatorEndpointName());
    if (!handle) {
        std::fprintf(stderr, "ThermoBadge: no running indicator found (nothing listens at %s/%s)\n", qPrintable(channel.folder()),
                     qPrintable(indicatorEndpointName()));
        return 1;
    }
    if (!channel.setText(*handle, text)) {
        std::fprintf(stderr, "ThermoBadge: the running indicator did not take the text\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    returnLargeBlocksPromptly();
    QCoreApplication::setApplicationName(QStringLiteral("ThermoBadge"));
    QCoreApplication::setApplicationVersion(QStringLiteral(THERMOBADGE_VERSION));
    const CommandLine command = readCommandLine(argumentList(argc, argv));
    if (command.done)
        return command.exitCode;
    if (command.send)
        return sendToIndicator(*command.send);
    const bool snapshotMode = command.snapshot.has_value();
    if (snapshotMode) {
        // A snapshot draws by itself, whatever display there is or is not.
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
        preferXWayland();
        const QString missing = missingDisplay();
        if (!missing.isEmpty()) {
            std::fprintf(stderr, "ThermoBadge: %s; set DISPLAY or use ./run.sh, which brings a virtual one\n", qPrintable(missing));
            return 1;
        }
    }

    QApplication app(argc, argv);
    // Hiding the indicator never ends the program; only its own exit does.
    QApplication::setQuitOnLastWindowClosed(false);

    const QString programDir = QCoreApplication::applicationDirPath();
    const QString configDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/ThermoBadge");
    QDir().mkpath(configDir);
    const Regional regional = Regional::system();

    SystemClock clock;
    QtTimerFactory timers;
    UnixUdpPort udp;
    FileRegistryStore registry(configDir + QStringLiteral("/registry.ini"));
    QtMessageBoxes messages;
    QtProcessLauncher processes;
    IniSettingsStore settings(configDir + QStringLiteral("/ThermoBadge.ini"));
    // Before the first window: every text, the town chooser's too, in the interface language.
    const QString language = interfaceLanguage(settings);
    installQtTranslations(app, language);

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
    const QIcon programIcon = iconAtEverySize(programDir + QStringLiteral("/ThermoBadge.png"));

    if (snapshotMode) {
        SnapshotView view(command.scale);
        NoTrayIcon tray;
        NoCompanions companions;
        NoPopupMenu menu;
        frmMain main(MainWindowEnv{temper, settings, regional, clock, timers, messages, view, drawing, tray, placement, companions, menu,
                                   programDir, THERMOBADGE_VERSION_MAJOR, THERMOBADGE_VERSION_MINOR, false});
        main.Form_Load();
        const QString& file = *command.snapshot;
        if (view.canvas.isNull()) {
            std::fprintf(stderr, "ThermoBadge: nothing was drawn (the look's picture could not be read)\n");
            return 1;
        }
        if (!view.canvas.save(file, "PNG")) {
            std::fprintf(stderr, "ThermoBadge: could not write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s: %dx%d\n", qPrintable(file), view.canvas.width(), view.canvas.height());
        return 0;
    }

    // One indicator per user: a second start brings the running one to the front and ends.
    SingleInstance instance;
    if (!instance.tryBecomePrimary()) {
        const bool shown = instance.notifyPrimary(); // waits up to 5 s for the running one to confirm
        std::printf(shown ? "ThermoBadge is already running: its window was brought to the front\n"
                          : "ThermoBadge is already running (it did not answer; see the message above)\n");
        return 0;
    }
    if (!instance.holdsLock())
        std::fprintf(stderr, "ThermoBadge: runs without the one-instance lock in %s (see the message above): a second start "
                             "is not detected\n", qPrintable(instance.folder()));

    IndicatorWindow window;
    // Every window of the program shows the icon in window lists and alt-tab.
    QApplication::setWindowIcon(programIcon);
    ScreenRescue screenRescue;
    PopupMenuWidget menu;
    QtTrayIcon tray(programIcon, menu.menu());
    DialogCompanions companions(&window, THERMOBADGE_VERSION_MAJOR, THERMOBADGE_VERSION_MINOR);
    // The command box is an endpoint of the channel: the look editor and scripts write into it.
    UnixCommandChannel channel;
    if (!channel.usable())
        std::fprintf(stderr, "ThermoBadge: the command channel is off (see the message above): the look editor and --send "
                             "cannot reach this indicator\n");

    frmMain main(MainWindowEnv{temper, settings, regional, clock, timers, messages, window, drawing, tray, placement, companions, menu,
                               programDir, THERMOBADGE_VERSION_MAJOR, THERMOBADGE_VERSION_MINOR, true});
    companions.attach(main);
    AddonLink addon(AddonLinkEnv{channel, processes, messages});
    main.attachAddon(addon);
    companions.attachAddon(addon);
    // The town chooser and the local weather server it sets up and keeps running.
    QtCommandRunner commands;
    QtCompanionProcess companion;
    const QString serverProgram = programDir + QStringLiteral("/thermobadge-server");
    LocalServer localServer(LocalServerEnv{commands, companion, [] { return loopbackUdpPortTaken(kServerPort); }, serverProgram, configDir});
    auto pollSoon = [&temper, &app] {
        // The server needs a moment for its first weather answer; the regular poll follows anyway.
        for (const int seconds : {3, 10})
            QTimer::singleShot(seconds * 1000, &app, [&temper] {
                try {
                    if (temper.isStarted())
                        temper.Opros();
                } catch (const ComponentError&) {
                }
            });
    };
    TownChoice townChoice(TownChoiceEnv{main.options(), temper, commands, localServer, serverProgram, configDir,
                                        qEnvironmentVariable("THERMOBADGE_WEATHER_URL"),
                                        [&companions](int prov) { companions.selectProvider(prov); }, pollSoon});
    GeoClueLocation location(QStringLiteral("thermobadge"));
    companions.attachTown(TownChooserEnv{commands, townChoice, &location, serverProgram, qEnvironmentVariable("THERMOBADGE_GEOCODING_URL"), language});

    instance.onActivateRequested = [&] {
        if (!window.isVisible())
            main.mnuShow_Click();
        window.activate();
    };

    // Escape, the window manager's close command, SIGINT/SIGTERM and the end of the desktop
    // session all end the program the way the menu's exit does.
    window.onEscape = [&] { main.mnuExit_Click(); };
    window.onMenu = [&](QPoint at) { main.SetMenu(at); };
    window.onDoubleClick = [&] { main.Form_DblClick(); };
    UnixSignals stopSignals([&](int) { main.mnuExit_Click(); });
    stopSignals.install();
    QObject::connect(&app, &QGuiApplication::commitDataRequest, [&](QSessionManager&) { main.Form_Unload(); });

    if (!main.Form_Load())
        return 1;
    townChoice.resume();
    // Found by `ThermoBadge --send` and scripts once the indicator is up.
    addon.publish(indicatorEndpointName());
    // What start-up and the drawings since freed goes back to the system once a minute, on a
    // whole second when the program is awake anyway.
    QTimer heapTrim;
    heapTrim.setTimerType(Qt::VeryCoarseTimer);
    QObject::connect(&heapTrim, &QTimer::timeout, [] { giveBackFreeHeap(); });
    heapTrim.start(60 * 1000);
    // The code pages start-up and closed dialogs touched, and the free heap, go back once nothing
    // but the indicator is open: 15 s after start-up, or after the last dialog or menu closed.
    const RestingMemory restingMemory(&window, [] { trimWorkingSet(); });
    const int rc = QApplication::exec();
    main.Form_Unload();
    return rc;
}
