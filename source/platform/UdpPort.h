#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace tb {

// Outcome of binding the port: 0 for success, else an error number and its description.
struct BindResult {
    int error = 0;
    QString description;
    bool ok() const { return error == 0; }
};

// Error number of a bind that the system refused for lack of permission (a firewall or a
// sandbox): the "blocked" case the user is told about in its own words.
inline constexpr int kBindBlocked = 87;

// What became of one send.
struct SendOutcome {
    bool sent = false;
    // The numeric address the datagram went to (text form, IPv4 dotted or IPv6), when sent.
    QString address;
};

// One datagram as it arrived.
struct Datagram {
    QByteArray data;
    QString senderAddress; // numeric, IPv4-mapped addresses given in IPv4 form
    quint16 senderPort = 0;
};

// A UDP endpoint: bound to any local port on all addresses, sending to a host and port per
// datagram, reporting each arrival.
class UdpPort {
public:
    using SendDone = std::function<void(const SendOutcome&)>;
    using Arrival = std::function<void(const Datagram&)>;

    virtual ~UdpPort() = default;
    // Binds to a system-chosen local port on all local addresses.
    virtual BindResult bind() = 0;
    // Sends one datagram. `host` is a name or a numeric address; name lookups never block
    // the caller. `done` is called exactly once, now or later, unless the port is closed or
    // destroyed first. A failed lookup or send is reported as not sent, never raised.
    virtual void send(const QString& host, quint16 port, const QByteArray& data, SendDone done) = 0;
    // Unbinds; pending sends are dropped. Closing a closed port does nothing.
    virtual void close() = 0;
    virtual bool isBound() const = 0;
    // Called for every datagram that arrives while bound.
    virtual void setArrivalHandler(Arrival handler) = 0;
};

} // namespace tb
