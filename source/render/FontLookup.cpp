#include "render/FontLookup.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>

#include <QStringList>

#include <array>

namespace tb {

namespace {

// Qt lists only real families: "Arial" is not among them on Linux, although fontconfig gives
// Liberation Sans (same widths, same line spacing) whenever "Arial" is asked for. The drawing
// falls back to "Arial" when a skin's family is missing, so "Arial" has to count as installed
// when such a stand-in answers for it. An arbitrary unknown name is also answered by
// fontconfig (with its default sans), which is why only these well-known names qualify, and
// only with a stand-in that keeps their metrics.
struct StandIn {
    const char* name;
    const char* family;
};
const std::array<StandIn, 13> kMetricCompatible = {{
    {"Arial", "Liberation Sans"},
    {"Arial", "Arimo"},
    {"Arial Narrow", "Liberation Sans Narrow"},
    {"Helvetica", "Liberation Sans"},
    {"Helvetica", "Arimo"},
    {"Helvetica", "Nimbus Sans"},
    {"Helvetica", "TeX Gyre Heros"},
    {"Times New Roman", "Liberation Serif"},
    {"Times New Roman", "Tinos"},
    {"Courier New", "Liberation Mono"},
    {"Courier New", "Cousine"},
    {"Calibri", "Carlito"},
    {"Cambria", "Caladea"},
}};

} // namespace

QString findInstalledFamily(const QString& name)
{
    if (name.trimmed().isEmpty())
        return {};
    const QStringList families = QFontDatabase::families();
    for (const QString& family : families) {
        if (family.compare(name, Qt::CaseInsensitive) == 0)
            return family;
    }
    QString resolved; // asked of fontconfig only for a name in the table
    for (const StandIn& alias : kMetricCompatible) {
        if (name.compare(QLatin1String(alias.name), Qt::CaseInsensitive) != 0)
            continue;
        if (resolved.isNull()) {
            QFont probe;
            probe.setFamilies(QStringList {name}); // setFamilies: a name is never split at commas
            resolved = QFontInfo(probe).family();
        }
        if (resolved.compare(QLatin1String(alias.family), Qt::CaseInsensitive) == 0)
            return resolved;
    }
    return {};
}

} // namespace tb
