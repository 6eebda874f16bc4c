#include "Geocoding.h"

#include "OpenMeteo.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace tbserver {

namespace {

constexpr qsizetype kLongestText = 100;

// A text of the answer as one line of a list: no tabs, line breaks or other control characters.
QString plainText(const QJsonValue& value)
{
    QString text = value.toString();
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line
            || c.category() == QChar::Separator_Paragraph)
            c = u' ';
    text = text.simplified();
    if (text.size() > kLongestText) {
        qsizetype cut = kLongestText;
        if (text[cut - 1].isHighSurrogate())
            --cut; // never half a character
        text.truncate(cut);
    }
    return text;
}

std::optional<double> degrees(const QJsonValue& value, double limit)
{
    if (!value.isDouble())
        return std::nullopt;
    const double v = value.toDouble();
    if (!std::isfinite(v) || v < -limit || v > limit)
        return std::nullopt;
    return v == 0 ? 0.0 : v;
}

} // namespace

QUrl searchUrl(const QUrl& base, const QString& name, const QString& language)
{
    QUrl url = serviceEndpoint(base, QStringLiteral("/v1/search"));
    // Encoded by hand: a name may hold "&", "+" or "=", which must reach the service as text.
    url.setQuery(QString::fromLatin1("name=" + QUrl::toPercentEncoding(name) + "&count=" + QByteArray::number(kMostPlaces)
                                     + "&language=" + QUrl::toPercentEncoding(language) + "&format=json"));
    return url;
}

PlaceSearch parsePlaces(QByteArrayView body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError)
        return {{}, QStringLiteral("the answer is not JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset)};
    if (!document.isObject())
        return {{}, QStringLiteral("the answer is not a JSON object")};
    const QJsonObject root = document.object();
    const QJsonValue results = root.value(QLatin1String("results"));
    if (results.isUndefined())
        return {}; // the service leaves the list out when nothing matches
    if (!results.isArray())
        return {{}, QStringLiteral("the answer's \"results\" is not a list")};

    PlaceSearch out;
    for (const QJsonValue& entry : results.toArray()) {
        const QJsonObject o = entry.toObject();
        const auto latitude = degrees(o.value(QLatin1String("latitude")), 90);
        const auto longitude = degrees(o.value(QLatin1String("longitude")), 180);
        Place place;
        place.name = plainText(o.value(QLatin1String("name")));
        if (place.name.isEmpty() || !latitude || !longitude)
            continue;
        place.region = plainText(o.value(QLatin1String("admin1")));
        place.country = plainText(o.value(QLatin1String("country")));
        place.at = {*latitude, *longitude};
        const double population = o.value(QLatin1String("population")).toDouble(0);
        place.population = std::isfinite(population) && population > 0 && population < 1e11
            ? static_cast<qint64>(population)
            : 0;
        out.places.append(place);
    }
    std::stable_sort(out.places.begin(), out.places.end(),
        [](const Place& a, const Place& b) { return a.population > b.population; });
    if (out.places.size() > kMostPlaces)
        out.places.resize(kMostPlaces);
    return out;
}

QString placeLine(const Place& place)
{
    return QStringList {place.name, place.region, place.country, tb::degreesText(place.at.latitude),
        tb::degreesText(place.at.longitude), QString::number(place.population)}
        .join(u'\t');
}

} // namespace tbserver
