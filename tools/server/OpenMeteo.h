#pragma once

#include "platform/Coordinates.h"
#include "Reading.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QUrl>

#include <optional>

// The Open-Meteo forecast service as the weather source uses it: the request for the current air
// temperature at 2 m and the reading of its JSON answer. Pure functions, no network.
namespace tbserver {

// The public service; needs no account or key.
inline constexpr char kOpenMeteoBase[] = "https://api.open-meteo.com";

// Readings outside this range are taken for a fault of the service, not for weather.
inline constexpr double kWeatherMinCelsius = -100;
inline constexpr double kWeatherMaxCelsius = 70;

// `base` with `path` added to its own path (a mirror under a folder keeps it), without query or
// fragment.
QUrl serviceEndpoint(const QUrl& base, const QString& path);

// <base>/v1/forecast?latitude=..&longitude=..&current=temperature_2m&timezone=auto. A path in
// `base` is kept (a mirror under a folder), its query is not.
QUrl forecastUrl(const QUrl& base, const tb::Coordinates& place);

// What an answer of the service gave: a reading, or why there is none.
struct ForecastReading {
    std::optional<Reading> reading; // the temperature and its observation time, in local time
    QString problem;
};

// Reads the "current" object of an answer: "temperature_2m" in degrees Celsius and "time", the
// observation time at the place ("2024-01-05T07:00"), with "utc_offset_seconds" telling how far
// that clock is from UTC. Anything else (not JSON, a field missing or null, another unit, a value
// outside kWeatherMinCelsius..kWeatherMaxCelsius, a time that does not read or lies more than an
// hour after `now`) is a problem.
ForecastReading parseForecast(QByteArrayView body, const QDateTime& now = QDateTime::currentDateTimeUtc());

// The service's own explanation in an error answer ({"error": true, "reason": "..."}), shortened
// for a log line; empty when the body holds none.
QString serviceReason(QByteArrayView body);

struct FetchResult;
// Why a fetch failed, for a log line: the fetch's own words, and the service's explanation when
// it answered with one.
QString failureText(const FetchResult& result);

} // namespace tbserver
