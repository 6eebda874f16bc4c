#include "OpenMeteo.h"

#include "HttpFetch.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>

#include <cmath>

namespace tbserver {

namespace {

constexpr int kLongestUtcOffset = 18 * 3600;
constexpr qsizetype kLongestReason = 200;
// How far an observation may be ahead of this machine's clock (a clock a little behind). A time
// further ahead is a fault of the service: served, it would hold off every later reading.
constexpr qint64 kLongestLeadSeconds = 3600;

// "yyyy-MM-ddTHH:mm" or with ":ss": the clock at the place, without a zone of its own.
QDateTime placeClock(const QString& text, int utcOffset)
{
    if (text.size() != 16 && text.size() != 19)
        return {};
    if (text[10] != u'T')
        return {};
    const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    const QTime time = QTime::fromString(text.mid(11), Qt::ISODate);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::OffsetFromUTC, utcOffset);
}

ForecastReading problem(const QString& why)
{
    return {std::nullopt, why};
}

} // namespace

QUrl serviceEndpoint(const QUrl& base, const QString& path)
{
    QUrl url = base;
    QString basePath = url.path();
    while (basePath.endsWith(u'/'))
        basePath.chop(1);
    url.setPath(basePath + path);
    url.setQuery(QString());
    url.setFragment({});
    return url;
}

QUrl forecastUrl(const QUrl& base, const tb::Coordinates& place)
{
    QUrl url = serviceEndpoint(base, QStringLiteral("/v1/forecast"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("latitude"), tb::degreesText(place.latitude));
    query.addQueryItem(QStringLiteral("longitude"), tb::degreesText(place.longitude));
    query.addQueryItem(QStringLiteral("current"), QStringLiteral("temperature_2m"));
    query.addQueryItem(QStringLiteral("timezone"), QStringLiteral("auto"));
    url.setQuery(query);
    return url;
}

ForecastReading parseForecast(QByteArrayView body, const QDateTime& now)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError)
        return problem(QStringLiteral("the answer is not JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset));
    if (!document.isObject())
        return problem(QStringLiteral("the answer is not a JSON object"));
    const QJsonObject root = document.object();
    const QJsonObject current = root.value(QLatin1String("current")).toObject();
    if (current.isEmpty())
        return problem(QStringLiteral("the answer has no \"current\" values"));

    const QJsonValue temperature = current.value(QLatin1String("temperature_2m"));
    if (!temperature.isDouble())
        return problem(QStringLiteral("the answer has no current temperature_2m"));
    const QJsonValue unit = root.value(QLatin1String("current_units")).toObject().value(QLatin1String("temperature_2m"));
    if (!unit.isUndefined() && unit.toString() != QStringLiteral("°C"))
        return problem(QStringLiteral("the temperature is in \"%1\", not in °C").arg(unit.toString()));
    const double celsius = temperature.toDouble();
    if (!std::isfinite(celsius) || celsius < kWeatherMinCelsius || celsius > kWeatherMaxCelsius)
        return problem(QStringLiteral("the temperature %1 °C is outside %2..%3 °C")
                           .arg(celsius)
                           .arg(kWeatherMinCelsius)
                           .arg(kWeatherMaxCelsius));

    const QJsonValue offset = root.value(QLatin1String("utc_offset_seconds"));
    const double offsetSeconds = offset.toDouble(NAN);
    if (!offset.isDouble() || offsetSeconds != std::floor(offsetSeconds) || std::abs(offsetSeconds) > kLongestUtcOffset)
        return problem(QStringLiteral("the answer has no usable utc_offset_seconds"));
    const QString timeText = current.value(QLatin1String("time")).toString();
    const QDateTime observed = placeClock(timeText, static_cast<int>(offsetSeconds));
    if (!observed.isValid())
        return problem(QStringLiteral("the observation time \"%1\" does not read as yyyy-MM-ddTHH:mm").arg(timeText));
    if (observed.secsTo(now) < -kLongestLeadSeconds)
        return problem(QStringLiteral("the observation time %1 is ahead of this machine's clock (%2)")
                           .arg(observed.toString(Qt::ISODate), now.toOffsetFromUtc(observed.offsetFromUtc()).toString(Qt::ISODate)));

    return {Reading {celsius == 0 ? 0.0 : celsius, observed.toLocalTime()}, {}};
}

QString serviceReason(QByteArrayView body)
{
    const QJsonObject root = QJsonDocument::fromJson(body.toByteArray()).object();
    QString reason = root.value(QLatin1String("reason")).toString().simplified();
    if (reason.size() > kLongestReason)
        reason = reason.left(kLongestReason) + QStringLiteral("...");
    return reason;
}

QString failureText(const FetchResult& result)
{
    const QString reason = result.status != 0 ? serviceReason(result.body) : QString();
    return reason.isEmpty() ? result.why : result.why + QStringLiteral(": ") + reason;
}

} // namespace tbserver
