#pragma once

#include "settings/OptionKeys.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace tb {

// A place the town chooser offers, as `thermobadge-server --find-town` prints it.
struct TownPlace {
    QString name;    // empty for a place typed as coordinates
    QString region;  // possibly empty
    QString country; // possibly empty
    double latitude = 0;
    double longitude = 0;
    qint64 population = 0; // 0 when unknown
};

// At most this many places are listed.
inline constexpr int kMostTownPlaces = 10;

// The places in the town search's output: one line each, name, region, country, latitude,
// longitude and population separated by tabs. A line that does not read so (too few fields,
// coordinates that are not numbers on the earth) is skipped; texts are cut to 100 characters;
// at most kMostTownPlaces places are taken.
QList<TownPlace> parseTownPlaces(QByteArrayView output);

// "55.7522, 37.6156": the place's coordinates as the chooser shows them.
QString coordinatesCaption(const TownPlace& place);
// "Москва, Россия": the name, the region where it is not the name again, and the country; the
// coordinates for a place without a name.
QString townCaption(const TownPlace& place);
// "55.7522,37.6156": the coordinates as `thermobadge-server --setup` takes them.
QString setupCoordinates(const TownPlace& place);

// The town chosen last (keys "Town" and "TownAt"); nothing when none was chosen or the stored
// coordinates do not read.
std::optional<TownPlace> storedTown(const Options& options);
void storeTown(Options& options, const TownPlace& place);

} // namespace tb
