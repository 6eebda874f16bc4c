#include "app/TownPlace.h"

#include <QLoggingCategory>

#include <cmath>

namespace tb {

Q_LOGGING_CATEGORY(lcTown, "thermobadge.town", QtInfoMsg)

namespace {

constexpr qsizetype kLongestText = 100;

std::optional<double> degrees(QStringView text, double limit)
{
    for (QChar c : text)
        if (!c.isDigit() && c != u'.' && c != u'-')
            return std::nullopt;
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < -limit || v > limit)
        return std::nullopt;
    return v;
}

QString field(QStringView text)
{
    QString out = text.trimmed().toString();
    if (out.size() > kLongestText)
        out.truncate(out[kLongestText - 1].isHighSurrogate() ? kLongestText - 1 : kLongestText);
    return out;
}

// Degrees with at most `decimals` decimals, without trailing zeros or "-0".
QString degreesText(double degrees, int decimals)
{
    QString text = QString::number(degrees, 'f', decimals);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

std::optional<TownPlace> placeAt(QStringView latitudeText, QStringView longitudeText)
{
    const auto latitude = degrees(latitudeText.trimmed(), 90);
    const auto longitude = degrees(longitudeText.trimmed(), 180);
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
    return degreesText(place.latitude, 6) + u',' + degreesText(place.longitude, 6);
}

std::optional<TownPlace> storedTown(const Options& options)
{
    const QString at = options.text(OptionKey::TownAt);
    if (at.isEmpty())
        return std::nullopt;
    const qsizetype comma = at.indexOf(u',');
    auto place = comma < 0 ? std::nullopt : placeAt(QStringView(at).left(comma), QStringView(at).mid(comma + 1));
    if (!place) {
        qCWarning(lcTown) << "the stored town's coordinates" << at << "do not read; no town is taken as chosen";
        return std::nullopt;
    }
    place->name = field(options.text(OptionKey::Town));
    return place;
}

void storeTown(Options& options, const TownPlace& place)
{
    options.setText(OptionKey::Town, townCaption(place));
    options.setText(OptionKey::TownAt, setupCoordinates(place));
}

} // namespace tb
