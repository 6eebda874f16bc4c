#include "app/TownPlace.h"

#include "platform/Coordinates.h"

#include <QLoggingCategory>

namespace tb {

Q_LOGGING_CATEGORY(lcTown, "thermobadge.town", QtInfoMsg)

namespace {

constexpr qsizetype kLongestText = 100;

QString field(QStringView text)
{
    QString out = text.trimmed().toString();
    if (out.size() > kLongestText)
        out.truncate(out[kLongestText - 1].isHighSurrogate() ? kLongestText - 1 : kLongestText);
    return out;
}

std::optional<TownPlace> placeAt(QStringView latitudeText, QStringView longitudeText)
{
    const auto latitude = parseDegrees(latitudeText.toString(), 90);
    const auto longitude = parseDegrees(longitudeText.toString(), 180);
    if (!latitude || !longitude)
        return std::nullopt;
    TownPlace place;
    place.latitude = *latitude;
    place.longitude = *longitude;
    return place;
}

} // namespace

QList<TownPlace> parseTownPlaces(QByteArrayView output)
{
    QList<TownPlace> places;
    const QString text = QString::fromUtf8(output);
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (places.size() == kMostTownPlaces)
            break;
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QList<QStringView> fields = line.split(u'\t');
        if (fields.size() != 6)
            continue;
        auto place = placeAt(fields[3], fields[4]);
        if (!place)
            continue;
        place->name = field(fields[0]);
        place->region = field(fields[1]);
        place->country = field(fields[2]);
        bool ok = false;
        const qint64 population = fields[5].toLongLong(&ok);
        place->population = ok && population > 0 ? population : 0;
        places.append(*place);
    }
    return places;
}

QString coordinatesCaption(const TownPlace& place)
{
    // Four decimals are about 10 m: as exact as a town needs, short enough to read.
    return degreesText(place.latitude, 4) + QStringLiteral(", ") + degreesText(place.longitude, 4);
}

QString townCaption(const TownPlace& place)
{
    if (place.name.isEmpty())
        return coordinatesCaption(place);
    QStringList parts {place.name};
    if (!place.region.isEmpty() && place.region != place.name)
        parts << place.region;
    if (!place.country.isEmpty())
        parts << place.country;
    return parts.join(QStringLiteral(", "));
}

QString setupCoordinates(const TownPlace& place)
{
    // Six decimals, as the server writes them back.
    return coordinatesText({place.latitude, place.longitude});
}

std::optional<TownPlace> storedTown(const Options& options)
{
    const QString at = options.text(OptionKey::TownAt);
    if (at.isEmpty())
        return std::nullopt;
    const std::optional<Coordinates> coordinates = parseCoordinates(at, nullptr);
    if (!coordinates) {
        qCWarning(lcTown) << "the stored town's coordinates" << at << "do not read; no town is taken as chosen";
        return std::nullopt;
    }
    TownPlace place;
    place.latitude = coordinates->latitude;
    place.longitude = coordinates->longitude;
    place.name = field(options.text(OptionKey::Town));
    return place;
}

void storeTown(Options& options, const TownPlace& place)
{
    options.setText(OptionKey::Town, townCaption(place));
    options.setText(OptionKey::TownAt, setupCoordinates(place));
}

} // namespace tb
