#pragma once

#include <QString>
#include <QStringList>

// thermobadge-server --setup: the two files that turn an installed ThermoBadge into an indicator of
// the real outdoor temperature. The user unit thermobadge-server.service reads the server's
// arguments from server.env; providers.txt points the indicator's "Локальный" group at this machine.
namespace tbserver {

// The variable of server.env that holds the server's arguments, blank-separated.
inline constexpr char kServerArgsVariable[] = "THERMOBADGE_SERVER_ARGS";

// $XDG_CONFIG_HOME/ThermoBadge, where the indicator looks for providers.txt too.
QString defaultConfigDir();

// `existing` (the text of an environment file, possibly empty) with THERMOBADGE_SERVER_ARGS set to
// `arguments`: the first such line replaced, later ones dropped, every other line kept.
QString serverEnvText(const QString& existing, const QStringList& arguments);

// `existing` (the text of a providers file, possibly empty) with its second group replaced by
// "Локальный" with the one host 127.0.0.1. The first group is kept line for line, comments
// included; when there is no complete first group, the built-in first group's name is written with
// 127.0.0.1 as well. Comments after the first group are kept; other values there are dropped.
QString localProvidersText(const QString& existing);

struct SetupResult {
    bool ok = false;
    QStringList lines; // what was written, or why nothing was
};

// Writes server.env and providers.txt into `configDir` (created if missing), each atomically with
// every write checked (a full disk fails the setup and keeps the old files). A providers file
// that changes keeps its previous bytes in providers.txt.bak. A file that cannot be read, is not
// a regular file or is too large to be a settings file is left alone and the setup fails.
SetupResult writeSetup(const QString& configDir, const QStringList& arguments);

} // namespace tbserver
