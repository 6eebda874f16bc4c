#pragma once

#include "platform/UdpPort.h"
#include "platform/UniqueFd.h"

#include <QDeadlineTimer>
#include <QHash>

#include <memory>
#include <vector>

#include <sys/socket.h>

class QObject;
class QSocketNotifier;

namespace tb {

// An address a datagram can go to: IPv4 or IPv6, without a port.
struct SocketAddress {
    sockaddr_storage storage {};
    socklen_t length = 0;
};

// The UDP port on a datagram socket of the system, for the thread that creates it (which needs a
// running Qt event loop). Bound dual-stack to a system-chosen port; host names are looked up on a
// thread of their own, never blocking the caller, and kept for a while. With
// THERMOBADGE_LOOPBACK_ONLY=1 in the environment it sends to loopback destinations only and
// refuses the rest before any name lookup.
class UnixUdpPort final : public UdpPort {
public:
    UnixUdpPort();
    // Closes the port; nothing it was asked for calls back afterwards.
    ~UnixUdpPort() override;
    UnixUdpPort(const UnixUdpPort&) = delete;
    UnixUdpPort& operator=(const UnixUdpPort&) = delete;

    // Binds (again, if bound) to a system-chosen port on all local addresses, IPv4 and IPv6.
    BindResult bind() override;
    // Sends at once to a numeric address or a cached name, else after a lookup.
    void send(const QString& host, quint16 port, const QByteArray& data, SendDone done) override;
    // Unbinds; pending lookups and unread datagrams are dropped, no callback comes after this.
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

    // The outcome of a failed bind from the system's error number: the "blocked" number for a
    // permission refusal, else 10000 + the number, with the system's description.
    static BindResult bindFailure(int systemErrno);
    // Whether THERMOBADGE_LOOPBACK_ONLY is set (any value but empty or 0 counts, to err safe).
    static bool loopbackOnly();

private:
    struct CachedName {
        SocketAddress address;
        QDeadlineTimer expiry;
    };
    struct WaitingSend {
        quint16 port = 0;
        QByteArray data;
        SendDone done;
    };
    struct LookupMailbox;

    void readPending();
    void lookUp(const QString& name);
    void lookedUp(const QString& name, const std::vector<SocketAddress>& found, const QString& failure);
    SendOutcome transmit(const SocketAddress& address, quint16 port, const QByteArray& data);
    void remember(const QString& name, const SocketAddress& address);
    template <typename Handler, typename Arg>
    bool dispatch(const Handler& handler, const Arg& arg, const char* what);
    void releaseSocket();

    UniqueFd fd_;
    quint64 session_ = 0; // counts bindings and closes; work of an older one comes to nothing
    int family_ = 0; // of the bound socket: AF_INET6 (dual-stack) or AF_INET
    quint16 localPort_ = 0;
    // Also the receiver of the lookups' answers; deleted later when a handler is running.
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QObject> answers_;
    std::shared_ptr<LookupMailbox> mailbox_;
    int dispatching_ = 0; // depth of calls out to handlers made from the event loop
    int readBatchLimit_ = 2048;
    std::unique_ptr<char[]> buffer_;
    Arrival arrival_;
    QHash<QString, CachedName> names_;
    QHash<QString, std::vector<WaitingSend>> waiting_; // names being looked up -> their sends
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

} // namespace tb
