// Feeds arbitrary bodies to the reader of the geocoding service's answer (the server's
// --find-town) and checks what must hold for any answer: at most ten places, each named, on the
// earth, most populous first, with texts that stay one field of one line; and that the chooser
// reads each printed line back as the same place. The same bytes go to the chooser's reader of
// the printed list, which must never take more than ten places or a place off the earth.
#include "Geocoding.h"
#include "app/TownPlace.h"

#include "FuzzSupport.h"

#include <cmath>
#include <cstdlib>

using namespace tbserver;

namespace {

bool oneField(const QString& text)
{
    return text.size() <= 100 && !text.contains(u'\t') && !text.contains(u'\n') && !text.contains(u'\r');
}

bool onEarth(double latitude, double longitude)
{
    return std::isfinite(latitude) && std::isfinite(longitude) && std::abs(latitude) <= 90 && std::abs(longitude) <= 180;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quietProgramLogs();
    const QByteArrayView body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const PlaceSearch found = parsePlaces(body);
    if (found.places.size() > kMostPlaces || (!found.problem.isEmpty() && !found.places.isEmpty()))
        std::abort();
    for (qsizetype i = 0; i < found.places.size(); ++i) {
        const Place& p = found.places[i];
        if (p.name.isEmpty() || !oneField(p.name) || !oneField(p.region) || !oneField(p.country) || p.population < 0
            || !onEarth(p.at.latitude, p.at.longitude) || (i > 0 && found.places[i - 1].population < p.population))
            std::abort();
        const QList<tb::TownPlace> back = tb::parseTownPlaces(placeLine(p).toUtf8());
        if (back.size() != 1 || back[0].name != p.name || back[0].region != p.region || back[0].country != p.country
            || std::abs(back[0].latitude - p.at.latitude) > 1e-6 || std::abs(back[0].longitude - p.at.longitude) > 1e-6
            || back[0].population != p.population)
            std::abort();
    }
    for (const tb::TownPlace& p : tb::parseTownPlaces(body))
        if (!onEarth(p.latitude, p.longitude) || p.name.size() > 100 || p.population < 0)
            std::abort();
    if (tb::parseTownPlaces(body).size() > tb::kMostTownPlaces)
        std::abort();
    return 0;
}
