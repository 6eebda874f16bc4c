#pragma once

#include "platform/Clock.h"
#include "platform/UdpPort.h"

#include <QHash>

#include <vector>

namespace tb {

// A UDP port that records what is sent and lets a test deliver datagrams. Numeric hosts
// resolve to themselves, names through a table the test fills; sends complete at once.
class FakeUdpPort final : public UdpPort {
public:
    struct Sent {
        QString host;
        QString address; // as resolved; empty when the send failed
        quint16 port = 0;
        QByteArray data;
        std::int64_t atMs = 0; // the clock's time, when a clock was given
        bool delivered = false;
    };

    explicit FakeUdpPort(const Clock* clock = nullptr) : clock_(clock) {}

    BindResult bind() override;
    void send(const QString& host, quint16 port, const QByteArray& data, SendDone done) override;
    void close() override { bound_ = false; ++closeCount; }
    bool isBound() const override { return bound_; }
    void setArrivalHandler(Arrival handler) override { arrival_ = std::move(handler); }

    // Delivers a datagram to the bound port (ignored when not bound).
    void inject(const QByteArray& data, const QString& from = QStringLiteral("127.0.0.1"), quint16 fromPort = 25002);

    void setBindResult(BindResult r) { bindResult_ = std::move(r); }
    void addHostName(const QString& name, const QString& address) { names_.insert(name.toLower(), address); }
    void setSendsFail(bool on) { sendsFail_ = on; }
    // Called after every successful send; a fake server answers from here.
    std::function<void(const Sent&)> onSend;

    std::vector<Sent> sent; // every send attempt, failed ones included
    int bindCount = 0;
    int closeCount = 0;

private:
    const Clock* clock_;
    bool bound_ = false;
    bool sendsFail_ = false;
    BindResult bindResult_;
    QHash<QString, QString> names_;
    Arrival arrival_;
};

} // namespace tb
