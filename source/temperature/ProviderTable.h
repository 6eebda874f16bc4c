#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace tb {

// One way of reaching the temperature server: a named list of hosts tried in order.
struct ProvGroup {
    QString Name;
    qint16 HostCount = 0;
    QStringList Hosts;
    qint16 CurHost = 0; // the host addressed now
};

inline constexpr int kProvGroupCount = 2;
using ProvTable = std::array<ProvGroup, kProvGroupCount>;

// The built-in flat list: for each group its name, its host count, then its hosts. The
// Internet hosts are reserved documentation addresses and names: no public server exists.
QStringList builtinProviderList();

// Builds the two groups from a flat list; nothing when the list does not describe exactly
// two groups (a count that is not a number from 1 to 32767, fewer hosts than counted, or
// values left over).
std::optional<ProvTable> FillProvTable(const QStringList& flatList);

// The flat list in a providers file's text: one value per line, blank lines and lines starting
// with "#" skipped; nothing when it does not describe two groups.
std::optional<QStringList> parseProvidersText(const QString& text);

// Reads a providers file: one value per line, blank lines and lines starting with "#"
// skipped. Nothing when the file is missing, unreadable or does not describe two groups; the
// reason is logged.
std::optional<QStringList> loadProvidersFile(const QString& path);

// The flat list to use: the first providers file that exists and is valid among `candidates`,
// else the built-in list.
QStringList providerListFrom(const QStringList& candidates);

} // namespace tb
