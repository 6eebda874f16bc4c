#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// One step of the store writer that the crash test kills: a value written through each of the
// three stores the programs keep their data in (the registry file, the settings file and a skin
// INI written the look editor's way), and the reading back of all three.
namespace tb::crash {

inline constexpr int kKeys = 8;
enum Store { Registry, Settings, SkinIni, kStores };
inline constexpr const char* kStoreNames[kStores] = {"registry file", "settings file", "skin INI"};

struct StoreFiles {
    QString registry;
    QString settings;
    QString skinIni;
    // The three files in `dir`, named as the programs name them.
    static StoreFiles in(const QString& dir);
};

// Step s writes key keyOf(s) with valueOf(s): a different text of 40 to 200 characters for every
// step, with the characters the stores escape or quote (commas, backslashes, quotes, "=", ";",
// Cyrillic letters, inner blanks), ending in its own length so a cut shows.
QString keyOf(qint64 step);
QString valueOf(qint64 step);

// Writes step s into the registry file (with the value a second time under "Last", in the same
// change) and the settings file (in turns one or the other first), then the skin INI. False (with a message on stderr) when a store refused the write.
bool writeStep(const StoreFiles& files, qint64 step);

// What each store holds now under each key; a value is nothing where the key is absent.
struct Snapshot {
    std::array<std::array<std::optional<QString>, kKeys>, kStores> values;
    QStringList problems; // a file that does not parse, a value of the wrong type
};
Snapshot readStores(const StoreFiles& files);

} // namespace tb::crash
