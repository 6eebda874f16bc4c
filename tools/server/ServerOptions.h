#pragma once

#include "platform/Coordinates.h"

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <optional>

namespace tbserver {

enum class SourceKind { Simulated, Fixed, File, Command, Weather, Sysfs };

// Everything the command line chooses.
struct ServerOptions {
    QHostAddress bind = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 25002;
    SourceKind source = SourceKind::Simulated;
    quint64 seed = 0;
    bool seedGiven = false;
    double fixedCelsius = 0;
    QString file;
    QString sysfs;       // the sensor's sysfs file (millidegrees Celsius)
    QStringList command; // program and arguments
    tb::Coordinates place;   // the weather source's place
    QUrl weatherUrl;     // the weather service's base address
    std::chrono::milliseconds weatherTimeout{15000};
    std::chrono::milliseconds refresh{5000};
    std::chrono::milliseconds commandTimeout{10000};
    // --setup: write the user unit's settings for the weather source at this place, then exit.
    std::optional<tb::Coordinates> setup;
    QString configDir;          // where --setup writes; empty for $XDG_CONFIG_HOME/ThermoBadge
    QStringList setupArguments; // the server arguments --setup writes
    // --find-town: print the places of that name (or those coordinates), then exit.
    std::optional<QString> findTown;
    QUrl geocodingUrl;  // the geocoding service's base address
    QString language;   // the language of the names --find-town prints
    bool log = false;
    int every = 1;
    std::chrono::milliseconds delay{0};
    bool silent = false;
    QByteArray versionReply;
};

struct OptionsOutcome {
    std::optional<ServerOptions> options; // set when the server should run
    QString message;                      // help or version text to print (exit 0), or the error (exit 2)
    bool isError = false;
};

// A service address on this machine: "localhost" or a loopback address.
bool isLoopbackHost(const QUrl& url);

// Reads the command line (arguments[0] is the program). `loopbackOnly` is the
// THERMOBADGE_LOOPBACK_ONLY setting: it refuses --allow-remote, and a weather service that is not
// on loopback.
OptionsOutcome parseServerOptions(const QStringList& arguments, bool loopbackOnly);

} // namespace tbserver
