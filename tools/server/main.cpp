// thermobadge-server: a UDP temperature server for ThermoBadge's tests and demos, and with
// --weather the server an installed indicator asks for the real outdoor temperature.
// See --help for the protocol and the options.

#include "CommandSource.h"
#include "FileSource.h"
#include "FixedSource.h"
#include "ServerOptions.h"
#include "ServerSetup.h"
#include "SignalPipe.h"
#include "SimulatedSource.h"
#include "SysfsSource.h"
#include "TownSearch.h"
#include "UdpServer.h"
#include "WeatherSource.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <cstdio>
#include <memory>

using namespace tbserver;

namespace {

void printLine(std::FILE* to, const QString& line)
{
    std::fputs(line.toUtf8().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

void note(const QString& line)
{
    printLine(stderr, QStringLiteral("thermobadge-server: ") + line);
}

std::unique_ptr<TemperatureSource> makeSource(const ServerOptions& o, bool loopbackOnly)
{
    const Now now = [] { return QDateTime::currentDateTime(); };
    switch (o.source) {
    case SourceKind::Simulated:
        return std::make_unique<SimulatedSource>(o.seedGiven ? o.seed : QRandomGenerator::system()->generate64(), now);
    case SourceKind::Fixed:
        return std::make_unique<FixedSource>(o.fixedCelsius, now);
    case SourceKind::File:
        return std::make_unique<FileSource>(o.file, o.refresh, note);
    case SourceKind::Command:
        return std::make_unique<CommandSource>(o.command, o.refresh, o.commandTimeout, now, note);
    case SourceKind::Sysfs:
        return std::make_unique<SysfsSource>(o.sysfs, o.refresh, now, note);
    case SourceKind::Weather: {
        WeatherSource::Settings settings;
        settings.base = o.weatherUrl;
        settings.place = o.place;
        settings.refresh = o.refresh;
        settings.timeout = o.weatherTimeout;
        settings.direct = loopbackOnly; // a proxy would take the request off loopback
        return std::make_unique<WeatherSource>(settings, note);
    }
    }
    return nullptr;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("thermobadge-server"));
    QCoreApplication::setApplicationVersion(QStringLiteral(THERMOBADGE_SERVER_VERSION));

    const bool loopbackOnly = qEnvironmentVariable("THERMOBADGE_LOOPBACK_ONLY") == u"1";
    const OptionsOutcome parsed = parseServerOptions(QCoreApplication::arguments(), loopbackOnly);
    if (!parsed.options) {
        if (parsed.isError) {
            note(parsed.message);
            printLine(stderr, QStringLiteral("Try 'thermobadge-server --help'."));
            return 2;
        }
        std::fputs(parsed.message.toUtf8().constData(), stdout);
        return 0;
    }
    const ServerOptions& options = *parsed.options;
    if (options.setup) {
        const SetupResult setup = writeSetup(options.configDir, options.setupArguments);
        for (const QString& line : setup.lines)
            setup.ok ? printLine(stdout, line) : note(line);
        return setup.ok ? 0 : 1;
    }

    if (options.findTown) {
        TownSearch search({options.geocodingUrl, options.language, options.weatherTimeout, loopbackOnly},
            [](const QString& line) { printLine(stdout, line); }, note);
        QObject::connect(&search, &TownSearch::finished, &app, [](int code) { QCoreApplication::exit(code); });
        search.start(*options.findTown);
        return app.exec();
    }

    SignalPipe signals_;
    if (!signals_.install()) {
        note(signals_.errorString());
        return 1;
    }
    QObject::connect(&signals_, &SignalPipe::stopRequested, &app, [](int number) {
        note(QStringLiteral("stopping on signal %1").arg(number));
        QCoreApplication::quit();
    });

    const std::unique_ptr<TemperatureSource> source = makeSource(options, loopbackOnly);
    UdpServer::LogLine log;
    if (options.log)
        log = [](const QString& line) { printLine(stdout, line); };
    UdpServer server(options, *source, log);
    if (!server.listen()) {
        note(QStringLiteral("cannot listen on %1: %2")
                 .arg(endpointText(options.bind, options.port), server.errorString()));
        return 1;
    }
    printLine(stdout, QStringLiteral("listening on %1").arg(server.localEndpoint()));
    note(QStringLiteral("serving %1").arg(source->describe()));
    source->start();
    return app.exec() == 0 ? 0 : 1;
}
