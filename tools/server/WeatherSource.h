#pragma once

#include "Coordinates.h"
#include "TemperatureSource.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <chrono>

class QNetworkReply;

namespace tbserver {

// How long to wait before the next fetch after `failures` failed fetches in a row: the refresh
// period, then twice as long after each further failure, but never longer than `longest` (unless
// the refresh period itself is longer).
std::chrono::milliseconds retryDelay(std::chrono::milliseconds refresh, int failures, std::chrono::milliseconds longest);

// The current outdoor temperature of a place from the Open-Meteo forecast service, fetched in the
// background every `refresh`. Answers are served with the observation time the service gives, so
// the client's age marker tells the truth. A failed fetch (no answer within `timeout`, an HTTP
// error, a body that is not a reading, larger than kBodyLimit or cut short) changes nothing and
// logs one line; the last good reading stays in service, and failures in a row space the next
// fetches out (retryDelay). Redirects are not followed.
class WeatherSource final : public QObject, public TemperatureSource {
    Q_OBJECT
public:
    using Notify = std::function<void(const QString&)>;
    static constexpr qint64 kBodyLimit = 1024 * 1024;

    struct Settings {
        QUrl base; // the service, e.g. https://api.open-meteo.com
        Coordinates place;
        std::chrono::milliseconds refresh {600'000};
        std::chrono::milliseconds timeout {15'000}; // for one whole fetch
        std::chrono::milliseconds longestWait {3'600'000}; // the back-off's ceiling
        bool direct = false; // never through a proxy (loopback-only runs)
    };

    WeatherSource(Settings settings, Notify notify);
    ~WeatherSource() override;

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
    void collect();
    void finished();
    // The outcome of the fetch that just ended: empty when the body holds a reading.
    QString failure(QNetworkReply& reply) const;
    void accept(const Reading& reading);
    void fail(const QString& why);

    Settings settings_;
    QUrl url_;
    Notify notify_;
    QNetworkAccessManager manager_;
    QPointer<QNetworkReply> reply_;
    QTimer schedule_;
    QTimer deadline_;
    QByteArray body_;
    bool timedOut_ = false;
    bool tooLarge_ = false;
    int failures_ = 0;
    std::optional<Reading> reading_;
    QString problem_;
};

} // namespace tbserver
