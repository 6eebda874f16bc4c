#include "WeatherSource.h"

#include "OpenMeteo.h"

#include <QSslSocket>

#include <algorithm>

namespace tbserver {

std::chrono::milliseconds retryDelay(std::chrono::milliseconds refresh, int failures, std::chrono::milliseconds longest)
{
    using namespace std::chrono_literals;
    static constexpr std::chrono::milliseconds kSoon[] = {10s, 30s, 1min, 2min, 5min};
    int soon = 0;
    while (soon < static_cast<int>(std::size(kSoon)) && kSoon[soon] < refresh)
        ++soon;
    if (failures >= 1 && failures <= soon)
        return kSoon[failures - 1];
    const auto ceiling = std::max(refresh, longest);
    auto delay = refresh;
    for (int i = soon + 1; i < failures && delay < ceiling; ++i)
        delay *= 2;
    return std::min(delay, ceiling);
}

WeatherSource::WeatherSource(Settings settings, Notify notify)
    : settings_(std::move(settings))
    , url_(forecastUrl(settings_.base, settings_.place))
    , notify_(std::move(notify))
    , fetch_(settings_.timeout, settings_.direct, [this](const FetchResult& result) { finished(result); })
{
    problem_ = QStringLiteral("no answer from the weather service yet");
    schedule_.setSingleShot(true);
    connect(&schedule_, &QTimer::timeout, this, &WeatherSource::fetchNow);
}

void WeatherSource::start()
{
    if (url_.scheme() == QLatin1String("https") && !QSslSocket::supportsSsl() && notify_)
        notify_(QStringLiteral("Qt has no TLS support here, so %1 cannot be reached: install Qt's OpenSSL "
                               "plug-in (libqt6network6 with libssl3)")
                    .arg(url_.host()));
    fetchNow();
}

SourceState WeatherSource::state()
{
    return {reading_, problem_};
}

QString WeatherSource::describe() const
{
    return QStringLiteral("the current air temperature at %1 from %2, fetched every %3")
        .arg(tb::coordinatesText(settings_.place), settings_.base.toString(), duration(settings_.refresh));
}

void WeatherSource::fetchNow()
{
    if (fetch_.start(url_))
        schedule_.stop();
}

void WeatherSource::finished(const FetchResult& result)
{
    if (result.failure != FetchResult::Failure::None) {
        fail(failureText(result));
    } else {
        const ForecastReading got = parseForecast(result.body);
        if (got.reading)
            accept(*got.reading);
        else
            fail(QStringLiteral("answer refused: ") + got.problem);
    }
    schedule_.start(nextDelay());
    emit fetched();
}

void WeatherSource::accept(const Reading& reading)
{
    failures_ = 0;
    if (reading_ && reading.takenAt < reading_->takenAt) {
        // A cache along the way may hand out an older answer: the newer reading stays.
        if (notify_)
            notify_(QStringLiteral("weather service: the observation of %1 is older than the one served (%2); kept")
                        .arg(reading.takenAt.toString(Qt::ISODate), reading_->takenAt.toString(Qt::ISODate)));
        return;
    }
    if (!problem_.isEmpty() && notify_)
        notify_(QStringLiteral("weather service: %1 °C observed at %2")
                    .arg(reading.celsius)
                    .arg(reading.takenAt.toString(QStringLiteral("yyyy-MM-dd hh:mm"))));
    reading_ = reading;
    problem_.clear();
}

void WeatherSource::fail(const QString& why)
{
    ++failures_;
    problem_ = why;
    if (notify_)
        notify_(QStringLiteral("weather service: %1; %2, next try in %3")
                    .arg(why,
                        reading_ ? QStringLiteral("still serving %1 °C of %2")
                                       .arg(reading_->celsius)
                                       .arg(reading_->takenAt.toString(QStringLiteral("yyyy-MM-dd hh:mm")))
                                 : QStringLiteral("nothing to serve yet"),
                        duration(nextDelay())));
}

} // namespace tbserver
