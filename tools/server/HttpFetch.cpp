#include "HttpFetch.h"

#include <QNetworkProxy>
#include <QNetworkReply>

namespace tbserver {

QString duration(std::chrono::milliseconds ms)
{
    if (ms.count() % 60'000 == 0)
        return QStringLiteral("%1 min").arg(ms.count() / 60'000);
    if (ms.count() % 1000 == 0)
        return QStringLiteral("%1 s").arg(ms.count() / 1000);
    return QStringLiteral("%1 ms").arg(ms.count());
}

HttpFetch::HttpFetch(std::chrono::milliseconds timeout, bool direct, Done done)
    : timeout_(timeout)
    , done_(std::move(done))
{
    if (direct)
        manager_.setProxy(QNetworkProxy::NoProxy);
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        timedOut_ = true;
        if (reply_)
            reply_->abort();
    });
}

HttpFetch::~HttpFetch()
{
    // Nothing is reported any more: a fetch still under way is dropped with the manager.
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

bool HttpFetch::start(const QUrl& url)
{
    if (reply_)
        return false;
    body_.clear();
    timedOut_ = false;
    tooLarge_ = false;
    QNetworkRequest request(url);
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
    connect(reply_, &QNetworkReply::finished, this, &HttpFetch::finished);
    deadline_.start(timeout_);
    return true;
}

void HttpFetch::collect()
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

void HttpFetch::finished()
{
    deadline_.stop();
    QNetworkReply* reply = reply_;
    if (!reply)
        return;
    collect();
    reply_ = nullptr;
    reply->deleteLater();
    FetchResult result = outcome(*reply);
    result.body = std::move(body_);
    body_.clear();
    if (done_)
        done_(result);
}

FetchResult HttpFetch::outcome(QNetworkReply& reply) const
{
    using Failure = FetchResult::Failure;
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    auto result = [status](Failure failure, const QString& why) { return FetchResult {failure, why, {}, status}; };
    if (timedOut_)
        return result(Failure::Unreachable, QStringLiteral("no answer from %1 within %2").arg(reply.url().host(), duration(timeout_)));
    if (tooLarge_)
        return result(Failure::Refused, QStringLiteral("the answer is larger than %1 bytes").arg(kBodyLimit));
    if (status != 0 && status != 200)
        return result(Failure::Refused, QStringLiteral("HTTP %1 %2")
                                            .arg(status)
                                            .arg(reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()));
    if (reply.error() == QNetworkReply::RemoteHostClosedError && status != 0)
        return result(Failure::Refused, QStringLiteral("the answer was cut short (%1)").arg(reply.errorString()));
    if (reply.error() != QNetworkReply::NoError)
        return result(status == 0 ? Failure::Unreachable : Failure::Refused, reply.errorString());
    // A compressed body is counted before Qt inflates it: only a plain one can be checked here.
    const QByteArray encoding = reply.rawHeader("Content-Encoding");
    const QVariant announced = reply.header(QNetworkRequest::ContentLengthHeader);
    if ((encoding.isEmpty() || encoding == "identity") && announced.isValid() && announced.toLongLong() != body_.size())
        return result(Failure::Refused, QStringLiteral("the answer was cut short: %1 of %2 bytes")
                                            .arg(body_.size())
                                            .arg(announced.toLongLong()));
    return result(Failure::None, {});
}

} // namespace tbserver
