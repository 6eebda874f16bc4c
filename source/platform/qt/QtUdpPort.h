#pragma once

#include "UdpPort.h"

#include <QAbstractSocket>
#include <QDeadlineTimer>
#include <QHash>
#include <QHostAddress>

#include <memory>

class QHostInfo;
class QUdpSocket;

namespace tb {

// The UDP port on QUdpSocket, for the thread that creates it (which needs a running Qt event
// loop). Bound dual-stack to a system-chosen port; host names are looked up without blocking
// and kept for a while. With THERMOBADGE_LOOPBACK_ONLY=1 in the environment it sends to
// loopback destinations only and refuses the rest before any name lookup.
class QtUdpPort final : public UdpPort {
public:
    QtUdpPort();
    // Closes the port; nothing it was asked for calls back afterwards.
    ~QtUdpPort() override;
    QtUdpPort(const QtUdpPort&) = delete;
    QtUdpPort& operator=(const QtUdpPort&) = delete;

    // Binds (again, if bound) to a system-chosen port on all local addresses, IPv4 and IPv6.
    BindResult bind() override;
    // Sends at once to a numeric address or a cached name, else after a non-blocking lookup.
    void send(const QString& host, quint16 port, const QByteArray& data, SendDone done) override;
    // Unbinds; pending lookups and queued reads are dropped, no callback comes after this.
    void close() override;
    // True from a successful bind until close.
    bool isBound() const override;
    // The handler may close or destroy the port; no later datagram of that read is delivered.
    void setArrivalHandler(Arrival handler) override;

    // The bound local port, 0 when not bound.
    quint16 localPort() const;
    // At most this many datagrams are read per turn of the event loop (at least 1), so a
    // flood cannot starve the rest of the program.
    void setReadBatchLimit(int datagrams);

    // The outcome of a failed bind: the "blocked" number for a permission refusal, else a
    // number of its own (10000 + Qt's socket error) with the system's description.
    static BindResult bindFailure(QAbstractSocket::SocketError error, int systemErrno, const QString& description);
    // The numeric text of an address, IPv4-mapped IPv6 addresses in IPv4 form.
    static QString addressText(const QHostAddress& address);
    // Whether THERMOBADGE_LOOPBACK_ONLY is set (any value but empty or 0 counts, to err safe).
    static bool loopbackOnly();

private:
    struct CachedName {
        QHostAddress address;
        QDeadlineTimer expiry;
    };

    void readPending();
    void lookedUp(const QString& name, quint16 port, const QByteArray& data, const SendDone& done, const QHostInfo& info);
    SendOutcome transmit(const QHostAddress& address, quint16 port, const QByteArray& data);
    void remember(const QString& name, const QHostAddress& address);
    void releaseSocket();

    // Also the receiver of the queued work of its binding (lookups, deferred reads).
    std::unique_ptr<QUdpSocket> socket_;
    quint64 session_ = 0; // counts bindings; work queued for an older one comes to nothing
    int dispatching_ = 0; // depth of calls out to handlers made from the event loop
    int readBatchLimit_ = 2048;
    bool readQueued_ = false;
    Arrival arrival_;
    QHash<QString, CachedName> names_;
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

} // namespace tb
