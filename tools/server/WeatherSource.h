#pragma once

#include "platform/Coordinates.h"
#include "HttpFetch.h"
#include "TemperatureSource.h"

#include <QObject>
#include <QTimer>
#include <QUrl>

#include <chrono>

namespace tbserver {

// How long to wait before the next fetch after `failures` failed fetches in a row. At log-on the
// network often comes up seconds after the session, so the first failures are tried again soon:
// after 10 s, 30 s, 1, 2 and 5 minutes (each step only while it is shorter than the refresh
// period). Then the refresh period, twice as long after each further failure, but never longer
// than `longest` (unless the refresh period itself is longer). No failure: the refresh period.
std::chrono::milliseconds retryDelay(std::chrono::milliseconds refresh, int failures, std::chrono::milliseconds longest);

// The current outdoor temperature of a place from the Open-Meteo forecast service, fetched in the
// background every `refresh`. Answers are served with the observation time the service gives, so
// the client's age marker tells the truth. A failed fetch (no answer within `timeout`, an HTTP
// error, a body that is not a reading, larger than kBodyLimit or cut short) changes nothing and
// logs one line; the last good reading stays in service, and failures in a row space the next
// fetches out (retryDelay). The fetch itself is an HttpFetch.
class WeatherSource final : public QObject, public TemperatureSource {
    Q_OBJECT
public:
    using Notify = std::function<void(const QString&)>;
    static constexpr qint64 kBodyLimit = HttpFetch::kBodyLimit;

    struct Settings {
        QUrl base; // the service, e.g. https://api.open-meteo.com
        tb::Coordinates place;
        std::chrono::milliseconds refresh {600'000};
        std::chrono::milliseconds timeout {15'000}; // for one whole fetch
        std::chrono::milliseconds longestWait {3'600'000}; // the back-off's ceiling
        bool direct = false; // never through a proxy (loopback-only runs)
    };

    WeatherSource(Settings settings, Notify notify);

    void start() override;
    SourceState state() override;
    QString describe() const override;

    // Starts a fetch now unless one is under way; the regular schedule goes on from its end.
    void fetchNow();
    // The wait chosen for the next fetch after the last one ended.
    std::chrono::milliseconds nextDelay() const { return retryDelay(settings_.refresh, failures_, settings_.longestWait); }

signals:
    // A fetch has ended, whatever it gave.
    void fetched();

private:
    void finished(const FetchResult& result);
    void accept(const Reading& reading);
    void fail(const QString& why);

    Settings settings_;
    QUrl url_;
    Notify notify_;
    HttpFetch fetch_;
    QTimer schedule_;
    int failures_ = 0;
    std::optional<Reading> reading_;
    QString problem_;
};

} // namespace tbserver
