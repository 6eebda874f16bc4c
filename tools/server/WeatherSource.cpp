#include "WeatherSource.h"

#include "OpenMeteo.h"

#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSslSocket>

#include <algorithm>

namespace tbserver {

namespace {

QString duration(std::chrono::milliseconds ms)
{
    if (ms.count() % 60'000 == 0)
        return QStringLiteral("%1 min").arg(ms.count() / 60'000);
    if (ms.count() % 1000 == 0)
        return QStringLiteral("%1 s").arg(ms.count() / 1000);
    return QStringLiteral("%1 ms").arg(ms.count());
}

} // namespace

std::chrono::milliseconds retryDelay(std::chrono::milliseconds refresh, int failures, std::chrono::milliseconds longest)
{
    const auto ceiling = std::max(refresh, longest);
    auto delay = refresh;
    for (int i = 1; i < failures && delay < ceiling; ++i)
        delay *= 2;
    return std::min(delay, ceiling);
}

WeatherSource::WeatherSource(Settings settings, Notify notify)
    : settings_(std::move(settings))
    , url_(forecastUrl(settings_.base, settings_.place))
    , notify_(std::move(notify))
{
    problem_ = QStringLiteral("no answer from the weather service yet");
    if (settings_.direct)
        manager_.setProxy(QNetworkProxy::NoProxy);
    schedule_.setSingleShot(true);
    deadline_.setSingleShot(true);
    connect(&schedule_, &QTimer::timeout, this, &WeatherSource::fetchNow);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        timedOut_ = true;
        if (reply_)
            reply_->abort();
    });
}

WeatherSource::~WeatherSource()
{
    // Nothing is reported any more: a fetch still under way is dropped with the manager.
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
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
        .arg(coordinatesText(settings_.place), settings_.base.toString(), duration(settings_.refresh));
}

void WeatherSource::fetchNow()
{
    if (reply_)
        return;
    schedule_.stop();
    body_.clear();
    timedOut_ = false;
    tooLarge_ = false;
    QNetworkRequest request(url_);
    // A redirect could lead anywhere, also off loopback in a test run: the service never sends one.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader,
        QStringLiteral("thermobadge-server/%1").arg(QStringLiteral(THERMOBADGE_SERVER_VERSION)));
    request.setRawHeader("Accept", "application/json");
    reply_ = manager_.get(request);
    connect(reply_, &QNetworkReply::readyRead, this, [this] {
        collect();
        if (tooLarge_ && reply_)
            reply_->abort(); // finished() runs from here
    });
    connect(reply_, &QNetworkReply::finished, this, &WeatherSource::finished);
    deadline_.start(settings_.timeout);
}

void WeatherSource::collect()
{
    if (!reply_ || tooLarge_ || !reply_->isOpen())
        return; // an aborted fetch has nothing more to read
    const QVariant announced = reply_->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() > kBodyLimit) {
        tooLarge_ = true;
        return;
    }
    body_ += reply_->read(kBodyLimit + 1 - body_.size());
    tooLarge_ = body_.size() > kBodyLimit;
}

void WeatherSource::finished()
{
    deadline_.stop();
    QNetworkReply* reply = reply_;
    if (!reply)
        return;
    collect();
    reply_ = nullptr;
    reply->deleteLater();
    const QString why = failure(*reply);
    if (!why.isEmpty()) {
        fail(why);
    } else {
        const ForecastReading got = parseForecast(body_);
        if (got.reading)
            accept(*got.reading);
        else
            fail(QStringLiteral("answer refused: ") + got.problem);
    }
    body_.clear();
    schedule_.start(nextDelay());
    emit fetched();
}

QString WeatherSource::failure(QNetworkReply& reply) const
{
    if (timedOut_)
        return QStringLiteral("no answer from %1 within %2").arg(url_.host(), duration(settings_.timeout));
    if (tooLarge_)
        return QStringLiteral("the answer is larger than %1 bytes").arg(kBodyLimit);
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 0 && status != 200) {
        const QString reason = serviceReason(body_);
        return QStringLiteral("HTTP %1 %2%3")
            .arg(status)
            .arg(reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString(),
                reason.isEmpty() ? QString() : QStringLiteral(": ") + reason);
    }
    if (reply.error() == QNetworkReply::RemoteHostClosedError)
        return QStringLiteral("the answer was cut short (%1)").arg(reply.errorString());
    if (reply.error() != QNetworkReply::NoError)
        return reply.errorString();
    // A compressed body is counted before Qt inflates it: only a plain one can be checked here.
    const QByteArray encoding = reply.rawHeader("Content-Encoding");
    const QVariant announced = reply.header(QNetworkRequest::ContentLengthHeader);
    if ((encoding.isEmpty() || encoding == "identity") && announced.isValid() && announced.toLongLong() != body_.size())
        return QStringLiteral("the answer was cut short: %1 of %2 bytes").arg(body_.size()).arg(announced.toLongLong());
    return {};
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
