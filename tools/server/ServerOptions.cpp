#include "ServerOptions.h"

#include "Geocoding.h"
#include "OpenMeteo.h"
#include "Protocol.h"
#include "Reading.h"

#include <QCommandLineParser>
#include <QProcess>

#include <algorithm>

namespace tbserver {

namespace {

const QString kDescription = QStringLiteral(
    "A UDP temperature server for ThermoBadge: for tests and demonstrations, and with --weather\n"
    "for the real outdoor temperature of a place.\n"
    "\n"
    "Answers \"tx\" + word + checksum (the sum of the word's windows-1251 codes modulo 256) with\n"
    "\"dd.mm.yyyy hh:mm T\" (the local time the reading was taken and the temperature with one\n"
    "decimal), and \"v\" + one character with the version reply. Requests with a wrong checksum\n"
    "and other datagrams get no answer. Prints \"listening on ADDR:PORT\" once it is ready and\n"
    "stops cleanly on SIGINT or SIGTERM.\n"
    "\n"
    "Temperature sources (choose one; --simulate is the default):\n"
    "  --simulate      a simulated day: coldest at 05:00, warmest at 15:00, following the season,\n"
    "                  with a little noise; the same --seed gives the same weather.\n"
    "  --fixed T       always T degrees, read at the moment of the request.\n"
    "  --file PATH     the last number in PATH (a sensor logger's file), taken at the file's\n"
    "                  modification time; looked at whenever the file changes and every\n"
    "                  --refresh seconds, on a worker thread.\n"
    "  --command CMD   the last number printed by CMD, run every --refresh seconds and killed\n"
    "                  after 10 s. CMD is split into program and arguments like a shell would\n"
    "                  for simple cases (blanks, double quotes), but no shell runs it: for pipes\n"
    "                  or variables, say so: --command \"sh -c '...'\".\n"
    "  --weather LAT,LON  the current air temperature at 2 m at that place (decimal degrees,\n"
    "                  north and east positive, such as 55.7558,37.6173) from the Open-Meteo\n"
    "                  forecast service, fetched every --refresh seconds (default 600) and\n"
    "                  served with the time of the service's observation.\n"
    "  --sysfs PATH    a Linux sensor's sysfs file in millidegrees Celsius, such as a 1-wire\n"
    "                  /sys/bus/w1/devices/28-*/temperature or a hwmon\n"
    "                  /sys/class/hwmon/hwmon*/temp1_input, read every --refresh seconds on a\n"
    "                  worker thread and served with the time of the read.\n"
    "Until a file, command, sensor or the weather service has given a plausible reading requests get\n"
    "no answer; later failures keep the last good reading (with its own time) in service.\n"
    "Failed weather fetches are tried again less and less often, at least once an hour.\n"
    "\n"
    "--setup LAT,LON writes THERMOBADGE_SERVER_ARGS=--weather LAT,LON into server.env in\n"
    "$XDG_CONFIG_HOME/ThermoBadge, the settings of the user unit thermobadge-server.service,\n"
    "and makes the \"Локальный\" provider group of providers.txt there 127.0.0.1; then it exits.\n"
    "\n"
    "--find-town TEXT prints the places whose name starts with TEXT, most populous first, from the\n"
    "Open-Meteo geocoding service: one line each, name, region, country, latitude, longitude and\n"
    "population separated by tabs; TEXT written as coordinates (55.75, 37.62) is printed as it is.\n"
    "Exit code 0: places printed, 3: nothing found, 4: the service could not be reached, 5: it\n"
    "answered with an error, 6: the text is empty or too long, 7: the coordinates are off the earth,\n"
    "8: THERMOBADGE_LOOPBACK_ONLY=1 keeps it from asking a service that is not on this machine.");

} // namespace

bool isLoopbackHost(const QUrl& url)
{
    return url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0
           || QHostAddress(url.host()).isLoopback();
}

namespace {

// An http or https base address with a host and nothing the request would drop.
std::optional<QUrl> serviceUrl(const QString& text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        || url.host().isEmpty() || url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty())
        return std::nullopt;
    return url;
}

// The first option given that `allowed` does not hold; empty when there is none.
QString optionBeyond(const QCommandLineParser& parser, const QStringList& allowed)
{
    for (const QString& name : parser.optionNames())
        if (!allowed.contains(name))
            return name;
    return {};
}

std::optional<long long> wholeNumber(const QString& text, long long min, long long max)
{
    bool ok = false;
    const long long v = text.trimmed().toLongLong(&ok);
    if (!ok || v < min || v > max)
        return std::nullopt;
    return v;
}

} // namespace

OptionsOutcome parseServerOptions(const QStringList& arguments, bool loopbackOnly)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port({"p", "port"}, "UDP port to listen on; 0 picks a free one (default 25002).", "N",
                                  "25002");
    const QCommandLineOption bind("bind", "Numeric address to listen on (default 127.0.0.1).", "ADDR", "127.0.0.1");
    const QCommandLineOption allowRemote(
        "allow-remote", "Allow a --bind address that is not a loopback address (refused when "
                        "THERMOBADGE_LOOPBACK_ONLY=1).");
    const QCommandLineOption simulate("simulate", "Serve a simulated outdoor day (the default).");
    const QCommandLineOption seed("seed", "Seed of the simulated weather (default: random).", "N");
    const QCommandLineOption fixed("fixed", "Serve a fixed temperature.", "T");
    const QCommandLineOption file("file", "Serve the last number in a file.", "PATH");
    const QCommandLineOption command("command", "Serve the last number a command prints.", "CMD");
    const QCommandLineOption sysfs("sysfs", "Serve a sensor's sysfs file in millidegrees Celsius.", "PATH");
    const QCommandLineOption weather("weather", "Serve the current temperature at a place from the weather service.",
                                     "LAT,LON");
    const QCommandLineOption weatherUrl(
        "weather-url",
        QStringLiteral("Base address of the weather service (default %1).").arg(QLatin1String(kOpenMeteoBase)), "URL",
        QLatin1String(kOpenMeteoBase));
    const QCommandLineOption weatherTimeout("weather-timeout",
                                            "Give up a fetch of the weather or geocoding service after MS milliseconds "
                                            "(default 15000).",
                                            "MS",
                                            "15000");
    const QCommandLineOption refresh(
        "refresh", "How often --file, --command and --sysfs are looked at (default 5) and --weather fetches (default 600).",
        "SEC");
    const QCommandLineOption setup("setup", "Write the user unit's settings for --weather LAT,LON, then exit.",
                                   "LAT,LON");
    const QCommandLineOption findTown("find-town", "Print the places of that name, then exit.", "TEXT");
    const QCommandLineOption geocodingUrl(
        "geocoding-url",
        QStringLiteral("Base address of the geocoding service (default %1).").arg(QLatin1String(kGeocodingBase)), "URL",
        QLatin1String(kGeocodingBase));
    const QCommandLineOption language("language", "The language of the names --find-town prints (default en).",
                                      "CODE", "en");
    const QCommandLineOption configDir("config-dir", "Where --setup writes (default $XDG_CONFIG_HOME/ThermoBadge).",
                                       "DIR");
    const QCommandLineOption log("log", "Print one line per request: sender, request, answer or why none.");
    const QCommandLineOption every("every", "Answer only every N-th temperature request (a flapping host).", "N",
                                   "1");
    const QCommandLineOption delay("delay", "Delay every answer by MS milliseconds (at most 60000).", "MS", "0");
    const QCommandLineOption silent("silent", "Never answer (a dead host).");
    const QCommandLineOption versionReply(
        "version-reply", QStringLiteral("Answer version requests with TEXT, 1 to 5 bytes (default %1).")
                             .arg(QStringLiteral(THERMOBADGE_SERVER_VERSION)),
        "TEXT", QStringLiteral(THERMOBADGE_SERVER_VERSION));
    parser.addOptions({port, bind, allowRemote, simulate, seed, fixed, file, command, sysfs, weather, weatherUrl,
                       weatherTimeout, refresh, log, every, delay, silent, versionReply, setup, configDir, findTown, geocodingUrl,
                       language});

    OptionsOutcome out;
    auto fail = [&out](const QString& message) {
        out.isError = true;
        out.message = message;
        return out;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        out.message = parser.helpText();
        return out;
    }
    if (parser.isSet(version)) {
        out.message = QStringLiteral("thermobadge-server %1\n").arg(QStringLiteral(THERMOBADGE_SERVER_VERSION));
        return out;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));
    const QStringList multiple = {"port",    "bind",    "seed",        "fixed",           "file",
                                  "command", "refresh", "every",       "delay",           "version-reply",
                                  "weather", "setup",   "weather-url", "weather-timeout", "config-dir", "sysfs",
                                  "find-town", "geocoding-url", "language"};
    for (const QString& name : multiple)
        if (parser.values(name).size() > 1)
            return fail(QStringLiteral("--%1 is given more than once").arg(name));

    ServerOptions o;
    const auto refreshValue = wholeNumber(parser.value(refresh), 1, 3600);
    if (parser.isSet(refresh) && !refreshValue)
        return fail(QStringLiteral("--refresh must be a whole number of seconds from 1 to 3600, not \"%1\"")
                        .arg(parser.value(refresh)));
    const auto urlValue = serviceUrl(parser.value(weatherUrl));
    if (!urlValue)
        return fail(QStringLiteral("--weather-url needs an http:// or https:// address with a host and without a "
                                   "query, such as %1, not \"%2\"")
                        .arg(QLatin1String(kOpenMeteoBase), parser.value(weatherUrl)));
    QString placeError;
    const auto timeoutValue = wholeNumber(parser.value(weatherTimeout), 100, 120000);
    auto badTimeout = [&] {
        return fail(QStringLiteral("--weather-timeout must be a whole number of milliseconds from 100 to 120000, not \"%1\"")
                        .arg(parser.value(weatherTimeout)));
    };

    if (parser.isSet(setup)) {
        if (const QString extra = optionBeyond(parser, {"setup", "config-dir", "weather-url", "refresh"}); !extra.isEmpty())
            return fail(QStringLiteral("--setup writes the settings and exits; it takes only --config-dir, "
                                       "--weather-url and --refresh, not --%1")
                            .arg(extra));
        o.setup = tb::parseCoordinates(parser.value(setup), &placeError);
        if (!o.setup)
            return fail(QStringLiteral("--setup: ") + placeError);
        o.configDir = parser.value(configDir);
        o.setupArguments = QStringList{"--weather", tb::coordinatesText(*o.setup)};
        if (parser.isSet(weatherUrl))
            o.setupArguments << "--weather-url" << urlValue->toString(QUrl::FullyEncoded);
        if (parser.isSet(refresh))
            o.setupArguments << "--refresh" << QString::number(*refreshValue);
        out.options = o;
        return out;
    }
    if (parser.isSet(configDir))
        return fail(QStringLiteral("--config-dir applies to --setup only"));
    if (parser.isSet(findTown)) {
        if (const QString extra = optionBeyond(parser, {"find-town", "geocoding-url", "language", "weather-timeout"});
            !extra.isEmpty())
            return fail(QStringLiteral("--find-town prints places and exits; it takes only --geocoding-url, "
                                       "--language and --weather-timeout, not --%1")
                            .arg(extra));
        const auto geocoding = serviceUrl(parser.value(geocodingUrl));
        if (!geocoding)
            return fail(QStringLiteral("--geocoding-url needs an http:// or https:// address with a host and "
                                       "without a query, such as %1, not \"%2\"")
                            .arg(QLatin1String(kGeocodingBase), parser.value(geocodingUrl)));
        const QString code = parser.value(language).trimmed().toLower();
        if (code.size() < 2 || code.size() > 3 || std::any_of(code.begin(), code.end(), [](QChar c) { return c < u'a' || c > u'z'; }))
            return fail(QStringLiteral("--language needs a two-letter language code such as en or ru, not \"%1\"")
                            .arg(parser.value(language)));
        if (!timeoutValue)
            return badTimeout();
        o.findTown = parser.value(findTown);
        o.geocodingUrl = *geocoding;
        o.language = code;
        o.weatherTimeout = std::chrono::milliseconds(*timeoutValue);
        out.options = o;
        return out;
    }
    if (parser.isSet(geocodingUrl) || parser.isSet(language))
        return fail(QStringLiteral("--geocoding-url and --language apply to --find-town only"));

    const auto portValue = wholeNumber(parser.value(port), 0, 65535);
    if (!portValue)
        return fail(QStringLiteral("--port must be a whole number from 0 to 65535, not \"%1\"").arg(parser.value(port)));
    o.port = static_cast<quint16>(*portValue);

    const QString bindText = parser.value(bind).trimmed();
    o.bind = bindText.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0
                 ? QHostAddress(QHostAddress::LocalHost)
                 : QHostAddress(bindText);
    if (o.bind.isNull())
        return fail(QStringLiteral("--bind needs a numeric address such as 127.0.0.1 or ::1, not \"%1\"").arg(bindText));
    if (!o.bind.isLoopback()) {
        if (loopbackOnly)
            return fail(QStringLiteral("--bind %1 is not a loopback address, and THERMOBADGE_LOOPBACK_ONLY=1 "
                                       "keeps this server on loopback")
                            .arg(bindText));
        if (!parser.isSet(allowRemote))
            return fail(QStringLiteral("--bind %1 is not a loopback address: other machines could reach the "
                                       "server; add --allow-remote if that is what you want")
                            .arg(bindText));
    }

    const int sources = int(parser.isSet(simulate)) + int(parser.isSet(fixed)) + int(parser.isSet(file))
                        + int(parser.isSet(command)) + int(parser.isSet(weather)) + int(parser.isSet(sysfs));
    if (sources > 1)
        return fail(QStringLiteral("choose one temperature source: --simulate, --fixed, --file, --command, --sysfs or --weather"));
    if (parser.isSet(fixed)) {
        o.source = SourceKind::Fixed;
        QString text = parser.value(fixed).trimmed();
        text.replace(u',', u'.');
        bool ok = false;
        o.fixedCelsius = text.toDouble(&ok);
        if (!ok || !isPlausible(o.fixedCelsius))
            return fail(QStringLiteral("--fixed needs a temperature from %1 to %2, not \"%3\"")
                            .arg(kMinCelsius)
                            .arg(kMaxCelsius)
                            .arg(parser.value(fixed)));
    } else if (parser.isSet(file)) {
        o.source = SourceKind::File;
        o.file = parser.value(file);
        if (o.file.isEmpty())
            return fail(QStringLiteral("--file needs a path"));
    } else if (parser.isSet(sysfs)) {
        o.source = SourceKind::Sysfs;
        o.sysfs = parser.value(sysfs);
        if (o.sysfs.isEmpty())
            return fail(QStringLiteral("--sysfs needs the path of a sensor's file"));
    } else if (parser.isSet(command)) {
        o.source = SourceKind::Command;
        o.command = QProcess::splitCommand(parser.value(command));
        if (o.command.isEmpty())
            return fail(QStringLiteral("--command needs a command to run"));
    } else if (parser.isSet(weather)) {
        o.source = SourceKind::Weather;
        const auto place = tb::parseCoordinates(parser.value(weather), &placeError);
        if (!place)
            return fail(QStringLiteral("--weather: ") + placeError);
        o.place = *place;
        o.weatherUrl = *urlValue;
        if (loopbackOnly && !isLoopbackHost(o.weatherUrl))
            return fail(QStringLiteral("the weather service %1 is not on a loopback address, and "
                                       "THERMOBADGE_LOOPBACK_ONLY=1 keeps this server off the network; "
                                       "point --weather-url at a local stand-in")
                            .arg(o.weatherUrl.toString()));
        if (!timeoutValue)
            return badTimeout();
        o.weatherTimeout = std::chrono::milliseconds(*timeoutValue);
    }
    if ((parser.isSet(weatherUrl) || parser.isSet(weatherTimeout)) && o.source != SourceKind::Weather)
        return fail(QStringLiteral("--weather-url and --weather-timeout apply to --weather only"));
    if (parser.isSet(seed)) {
        if (o.source != SourceKind::Simulated)
            return fail(QStringLiteral("--seed applies to --simulate only"));
        bool ok = false;
        o.seed = parser.value(seed).trimmed().toULongLong(&ok);
        if (!ok)
            return fail(QStringLiteral("--seed must be a whole number from 0 to 18446744073709551615, not \"%1\"")
                            .arg(parser.value(seed)));
        o.seedGiven = true;
    }
    if (parser.isSet(refresh)) {
        if (o.source != SourceKind::File && o.source != SourceKind::Command && o.source != SourceKind::Weather
            && o.source != SourceKind::Sysfs)
            return fail(QStringLiteral("--refresh applies to --file, --command, --sysfs and --weather only"));
        o.refresh = std::chrono::seconds(*refreshValue);
    } else if (o.source == SourceKind::Weather) {
        o.refresh = std::chrono::minutes(10);
    }

    const auto everyValue = wholeNumber(parser.value(every), 1, 1000000);
    if (!everyValue)
        return fail(QStringLiteral("--every must be a whole number from 1 to 1000000, not \"%1\"").arg(parser.value(every)));
    o.every = static_cast<int>(*everyValue);
    const auto delayValue = wholeNumber(parser.value(delay), 0, 60000);
    if (!delayValue)
        return fail(QStringLiteral("--delay must be a whole number of milliseconds from 0 to 60000, not \"%1\"")
                        .arg(parser.value(delay)));
    o.delay = std::chrono::milliseconds(*delayValue);
    o.log = parser.isSet(log);
    o.silent = parser.isSet(silent);

    const VersionReplyCheck reply = makeVersionReply(parser.value(versionReply));
    if (!reply.error.isEmpty())
        return fail(QStringLiteral("--version-reply: %1").arg(reply.error));
    o.versionReply = reply.bytes;

    out.options = o;
    return out;
}

} // namespace tbserver
