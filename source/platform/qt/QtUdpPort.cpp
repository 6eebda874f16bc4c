#include "QtUdpPort.h"

#include <QHostInfo>
#include <QLoggingCategory>
#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <cerrno>
#include <exception>

namespace tb {

Q_LOGGING_CATEGORY(lcUdp, "thermobadge.udp", QtWarningMsg)

namespace {

// Larger than any UDP payload over IPv4 (65507) or IPv6 without jumbograms (65527).
constexpr qint64 kMaxDatagramSize = 65536;
constexpr int kNameLifetimeMs = 5 * 60 * 1000;
constexpr int kMaxCachedNames = 64;

bool isLocalhostName(const QString& host)
{
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0;
}

// The first IPv4 address, else the first IPv6 one; only loopback ones when asked to.
QHostAddress pickAddress(const QList<QHostAddress>& addresses, bool loopbackOnly)
{
    QHostAddress ipv6;
    for (const QHostAddress& a : addresses) {
        if (loopbackOnly && !a.isLoopback())
            continue;
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            return a;
        if (ipv6.isNull() && a.protocol() == QAbstractSocket::IPv6Protocol)
            ipv6 = a;
    }
    return ipv6;
}

// Calls a handler from the event loop: an exception escaping into Qt would end the program,
// so it is logged and dropped here.
template <typename Handler, typename Arg>
void callHandler(const Handler& handler, const Arg& arg, const char* what)
{
    try {
        handler(arg);
    } catch (const std::exception& e) {
        qCCritical(lcUdp) << what << "raised an error:" << e.what();
    } catch (...) {
        qCCritical(lcUdp) << what << "raised an unknown error";
    }
}

} // namespace

namespace {

// Requests go straight to the server, as they would through a plain datagram socket: never
// through a SOCKS proxy of the desktop's settings. Asking for no proxy also spares the process
// the system proxy resolver (a library and a thread of its own) that a bind would start.
std::unique_ptr<QUdpSocket> newSocket()
{
    auto socket = std::make_unique<QUdpSocket>();
    socket->setProxy(QNetworkProxy::NoProxy);
    return socket;
}

} // namespace

QtUdpPort::QtUdpPort() = default;

QtUdpPort::~QtUdpPort()
{
    releaseSocket();
}

BindResult QtUdpPort::bind()
{
    releaseSocket();
    auto socket = newSocket();
    errno = 0;
    bool ok = socket->bind(QHostAddress::Any, 0);
    int systemErrno = errno;
    if (!ok
        && (socket->error() == QAbstractSocket::UnsupportedSocketOperationError
            || socket->error() == QAbstractSocket::SocketAddressNotAvailableError)) {
        // A system with IPv6 switched off refuses the dual-stack address; IPv4 alone still serves.
        qCDebug(lcUdp) << "dual-stack bind failed, trying IPv4 only:" << socket->errorString();
        socket = newSocket();
        errno = 0;
        ok = socket->bind(QHostAddress::AnyIPv4, 0);
        systemErrno = errno;
    }
    if (!ok) {
        const BindResult failure = bindFailure(socket->error(), systemErrno, socket->errorString());
        qCWarning(lcUdp) << "cannot bind a UDP port:" << failure.error << failure.description;
        return failure;
    }

    const std::weak_ptr<char> alive = alive_;
    const quint64 session = session_;
    QObject::connect(socket.get(), &QUdpSocket::readyRead, socket.get(), [this, alive, session] {
        if (!alive.expired() && session == session_)
            readPending();
    });
    // Errors of single sends and receives (an unreachable host, a refused port) are not the
    // port's failure; the send that met one reports it.
    QObject::connect(socket.get(), &QUdpSocket::errorOccurred, socket.get(), [](QAbstractSocket::SocketError error) {
        qCDebug(lcUdp) << "socket error" << error;
    });
    socket_ = std::move(socket);
    qCDebug(lcUdp) << "bound to port" << socket_->localPort();
    return {};
}

void QtUdpPort::send(const QString& host, quint16 port, const QByteArray& data, SendDone done)
{
    const auto finish = [&done](const SendOutcome& outcome) {
        if (done)
            done(outcome);
    };
    const QString name = host.trimmed();
    QHostAddress numeric;
    const bool isNumeric = numeric.setAddress(name);
    if (loopbackOnly() && !(isNumeric ? numeric.isLoopback() : isLocalhostName(name))) {
        qCWarning(lcUdp) << "THERMOBADGE_LOOPBACK_ONLY is set: refused to send to" << host;
        return finish({});
    }
    if (!socket_) {
        qCDebug(lcUdp) << "not bound: nothing sent to" << host;
        return finish({});
    }
    if (isNumeric)
        return finish(transmit(numeric, port, data));

    const QString key = name.toLower();
    const auto cached = names_.constFind(key);
    if (cached != names_.constEnd() && !cached->expiry.hasExpired())
        return finish(transmit(cached->address, port, data));

    const std::weak_ptr<char> alive = alive_;
    const quint64 session = session_;
    // No context object: Qt 6.4 leaks a pending lookup's callback when its context is deleted
    // first (a port closed or destroyed mid-lookup). The lifetime token and the session number
    // keep a late answer away from a closed or destroyed port instead.
    QHostInfo::lookupHost(name, [this, alive, session, key, port, data, done = std::move(done)](const QHostInfo& info) {
        if (!alive.expired() && session == session_)
            lookedUp(key, port, data, done, info);
    });
}

void QtUdpPort::close()
{
    releaseSocket();
}

bool QtUdpPort::isBound() const
{
    return socket_ != nullptr;
}

void QtUdpPort::setArrivalHandler(Arrival handler)
{
    arrival_ = std::move(handler);
}

quint16 QtUdpPort::localPort() const
{
    return socket_ ? socket_->localPort() : 0;
}

void QtUdpPort::setReadBatchLimit(int datagrams)
{
    readBatchLimit_ = std::max(datagrams, 1);
}

BindResult QtUdpPort::bindFailure(QAbstractSocket::SocketError error, int systemErrno, const QString& description)
{
    // Qt names EACCES on bind and socket creation; EPERM (a sandbox, a security module) it
    // leaves unknown, so the system's own number decides then.
    const bool refused = error == QAbstractSocket::SocketAccessError
                         || (error == QAbstractSocket::UnknownSocketError && (systemErrno == EACCES || systemErrno == EPERM));
    const QString text = description.isEmpty() ? QStringLiteral("Unknown socket error") : description;
    return {refused ? kBindBlocked : 10000 + static_cast<int>(error), text};
}

QString QtUdpPort::addressText(const QHostAddress& address)
{
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    return isIPv4 ? QHostAddress(ipv4).toString() : address.toString();
}

bool QtUdpPort::loopbackOnly()
{
    // Anything but "0" counts as set: when in doubt, refuse rather than send.
    const QString value = qEnvironmentVariable("THERMOBADGE_LOOPBACK_ONLY").trimmed();
    return !value.isEmpty() && value != QLatin1String("0");
}

void QtUdpPort::readPending()
{
    QUdpSocket* const socket = socket_.get();
    const quint64 session = session_;
    const std::weak_ptr<char> alive = alive_;
    for (int count = 0; socket->hasPendingDatagrams(); ++count) {
        if (count >= readBatchLimit_) {
            // The rest waits for the next turn of the event loop, after whatever else is due.
            if (!readQueued_) {
                readQueued_ = true;
                QTimer::singleShot(0, socket, [this, alive, session] {
                    if (alive.expired() || session != session_)
                        return;
                    readQueued_ = false;
                    readPending();
                });
            }
            return;
        }
        // Read at the datagram's own size: a buffer of the largest size for every datagram
        // would stay attached to data a handler keeps. (-1, an error, reads and drops one.)
        const qint64 size = std::clamp<qint64>(socket->pendingDatagramSize(), 0, kMaxDatagramSize);
        const QNetworkDatagram received = socket->receiveDatagram(size);
        if (!received.isValid() || !arrival_)
            continue;
        const Datagram datagram{received.data(), addressText(received.senderAddress()),
                                static_cast<quint16>(std::clamp(received.senderPort(), 0, 65535))};
        const Arrival handler = arrival_; // the handler may replace itself
        ++dispatching_;
        callHandler(handler, datagram, "the datagram handler");
        if (alive.expired())
            return;
        --dispatching_;
        if (session != session_)
            return; // closed (and perhaps bound anew) by the handler
    }
}

void QtUdpPort::lookedUp(const QString& name, quint16 port, const QByteArray& data, const SendDone& done,
                         const QHostInfo& info)
{
    SendOutcome outcome;
    const QHostAddress address = info.error() == QHostInfo::NoError ? pickAddress(info.addresses(), loopbackOnly()) : QHostAddress();
    if (address.isNull()) {
        qCDebug(lcUdp) << "no usable address for" << name << info.errorString() << info.addresses();
    } else {
        remember(name, address);
        outcome = transmit(address, port, data);
    }
    if (!done)
        return;
    const std::weak_ptr<char> alive = alive_;
    ++dispatching_;
    callHandler(done, outcome, "the send handler");
    if (!alive.expired())
        --dispatching_;
}

SendOutcome QtUdpPort::transmit(const QHostAddress& address, quint16 port, const QByteArray& data)
{
    const qint64 written = socket_->writeDatagram(data, address, port);
    if (written != data.size()) {
        qCDebug(lcUdp) << "send to" << address << port << "failed:" << socket_->errorString();
        return {};
    }
    return {true, addressText(address)};
}

void QtUdpPort::remember(const QString& name, const QHostAddress& address)
{
    if (names_.size() >= kMaxCachedNames && !names_.contains(name)) {
        names_.removeIf([](const auto& entry) { return entry.value().expiry.hasExpired(); });
        if (names_.size() >= kMaxCachedNames)
            names_.clear();
    }
    names_.insert(name, {address, QDeadlineTimer(kNameLifetimeMs)});
}

void QtUdpPort::releaseSocket()
{
    ++session_; // queued reads, lookups and signals of the old socket now come to nothing
    readQueued_ = false;
    if (!socket_)
        return;
    socket_->close();
    // A socket must not be deleted inside one of its own signals, and a handler called from
    // one may have closed the port; it goes once control is back in the event loop.
    if (dispatching_ > 0)
        socket_.release()->deleteLater();
    else
        socket_.reset();
}

} // namespace tb
