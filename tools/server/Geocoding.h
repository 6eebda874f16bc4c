#pragma once

#include "platform/Coordinates.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QUrl>

// The Open-Meteo geocoding service as the town search uses it: the request for places whose name
// starts with a text, and the reading of its JSON answer. Pure functions, no network.
namespace tbserver {

// The public service; needs no account or key.
inline constexpr char kGeocodingBase[] = "https://geocoding-api.open-meteo.com";
// At most this many places are asked for and listed.
inline constexpr int kMostPlaces = 10;
// A name longer than this is no town's; the service would refuse it too.
inline constexpr qsizetype kLongestTownName = 200;

// A place as the town list shows it.
struct Place {
    QString name;
    QString region;  // the first-level division (a state, an oblast), possibly empty
    QString country; // possibly empty
    tb::Coordinates at;
    qint64 population = 0; // 0 when the service does not know it
};

// <base>/v1/search?name=..&count=10&language=..&format=json. A path in `base` is kept.
QUrl searchUrl(const QUrl& base, const QString& name, const QString& language);

struct PlaceSearch {
    QList<Place> places; // most populous first; empty when nothing matched
    QString problem;     // set when the answer is not a search answer at all
};

// Reads an answer: "results", an array of objects with "name", "latitude", "longitude" and,
// when known, "admin1", "country" and "population". An answer without "results" means no match.
// Entries without a name or with coordinates outside the earth are skipped; texts lose control
// characters and are cut to 100 characters; at most kMostPlaces are kept.
PlaceSearch parsePlaces(QByteArrayView body);

// One place as a line of `thermobadge-server --find-town`: name, region, country, latitude,
// longitude and population, separated by tabs.
QString placeLine(const Place& place);

} // namespace tbserver
