#include "platform/fakes/FakeUdpPort.h"

#include <QRegularExpression>

namespace tb {

BindResult FakeUdpPort::bind()
{
    ++bindCount;
    if (bindResult_.ok())
        bound_ = true;
    return bindResult_;
}

void FakeUdpPort::send(const QString& host, quint16 port, const QByteArray& data, SendDone done)
{
    static const QRegularExpression numeric(QStringLiteral("^[0-9.]+$|:"));
    Sent s{host, {}, port, data, clock_ ? clock_->now().toLinearMs() : 0, false};
    if (bound_ && !sendsFail_) {
        if (numeric.match(host).hasMatch())
            s.address = host;
        else
            s.address = names_.value(host.toLower());
        s.delivered = !s.address.isEmpty();
    }
    sent.push_back(s);
    if (done)
        done(SendOutcome{s.delivered, s.address});
    if (s.delivered && onSend)
        onSend(s);
}

void FakeUdpPort::inject(const QByteArray& data, const QString& from, quint16 fromPort)
{
    if (bound_ && arrival_)
        arrival_(Datagram{data, from, fromPort});
}

} // namespace tb
