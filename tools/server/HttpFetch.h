#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <functional>

class QNetworkReply;

namespace tbserver {

// A span of time as a log line says it: "5 min", "30 s" or "400 ms".
QString duration(std::chrono::milliseconds ms);

// What one fetch gave: the body of a 200 answer, or why there is none.
struct FetchResult {
    enum class Failure {
        None,
        Unreachable, // no answer at all: no network, the host unknown or refusing, or no answer in time
        Refused,     // the service answered, but not with a whole 200 answer of a sensible size
    };
    Failure failure = Failure::None;
    QString why;     // for a log line or a message, empty on success
    QByteArray body; // as far as it was read (also for an error answer, for the service's reason)
    int status = 0;  // the HTTP status, 0 when none came
};

// One GET of a small answer from a web service at a time: no redirects (they could lead anywhere,
// also off loopback in a test run), a deadline for the whole fetch, and a cap on the body, so a
// service that answers slowly, endlessly or hugely costs little. `done` is called once for each
// fetch that was started, never from inside start().
class HttpFetch final : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kBodyLimit = 1024 * 1024;
    using Done = std::function<void(const FetchResult&)>;

    // `direct`: never through a proxy (a loopback-only run must not leave the machine).
    HttpFetch(std::chrono::milliseconds timeout, bool direct, Done done);
    ~HttpFetch() override;

    // Starts fetching `url` unless a fetch is under way (then false).
    bool start(const QUrl& url);

private:
    void collect();
    void finished();
    FetchResult outcome(QNetworkReply& reply) const;

    std::chrono::milliseconds timeout_;
    Done done_;
    QNetworkAccessManager manager_;
    QPointer<QNetworkReply> reply_;
    QTimer deadline_;
    QByteArray body_;
    bool timedOut_ = false;
    bool tooLarge_ = false;
};

} // namespace tbserver
