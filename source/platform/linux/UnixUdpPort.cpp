#include "platform/linux/UnixUdpPort.h"

#include "platform/linux/SystemError.h"

#include <QLoggingCategory>
#include <QObject>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include <arpa/inet.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

namespace tb {

Q_LOGGING_CATEGORY(lcUdp, "thermobadge.udp", QtWarningMsg)

namespace {

// Larger than any UDP payload over IPv4 (65507) or IPv6 without jumbograms (65527).
constexpr std::size_t kMaxDatagramSize = 65536;
constexpr int kNameLifetimeMs = 5 * 60 * 1000;
constexpr int kMaxCachedNames = 64;
// Sends to one name that wait for its lookup; more are refused until it is answered.
constexpr std::size_t kMaxWaitingSends = 64;

bool isLocalhostName(const QString& host)
{
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0;
}

const sockaddr* asSockaddr(const SocketAddress& address)
{
    return reinterpret_cast<const sockaddr*>(&address.storage);
}

SocketAddress fromSockaddr(const sockaddr* address, socklen_t length)
{
    SocketAddress out;
    out.length = std::min<socklen_t>(length, sizeof out.storage);
    std::memcpy(&out.storage, address, out.length);
    return out;
}

const sockaddr_in& ipv4(const SocketAddress& a)
{
    return *reinterpret_cast<const sockaddr_in*>(&a.storage);
}

const sockaddr_in6& ipv6(const SocketAddress& a)
{
    return *reinterpret_cast<const sockaddr_in6*>(&a.storage);
}

// The port of an address a socket call filled in.
quint16 portOf(const SocketAddress& a)
{
    return ntohs(a.storage.ss_family == AF_INET6 ? ipv6(a).sin6_port : ipv4(a).sin_port);
}

// Where a socket call writes an address; `length` says how much room there is.
sockaddr* filledBy(SocketAddress& a)
{
    a.length = sizeof a.storage;
    return reinterpret_cast<sockaddr*>(&a.storage);
}

bool isMappedIPv4(const SocketAddress& a)
{
    return a.storage.ss_family == AF_INET6 && IN6_IS_ADDR_V4MAPPED(&ipv6(a).sin6_addr);
}

// The IPv4 address inside an IPv4-mapped IPv6 one (::ffff:a.b.c.d).
in_addr mappedIPv4(const SocketAddress& a)
{
    in_addr out {};
    std::memcpy(&out, ipv6(a).sin6_addr.s6_addr + 12, sizeof out);
    return out;
}

bool isLoopback(const SocketAddress& a)
{
    if (a.storage.ss_family == AF_INET)
        return (ntohl(ipv4(a).sin_addr.s_addr) >> 24) == 127;
    if (isMappedIPv4(a))
        return (ntohl(mappedIPv4(a).s_addr) >> 24) == 127;
    return a.storage.ss_family == AF_INET6 && IN6_IS_ADDR_LOOPBACK(&ipv6(a).sin6_addr);
}

// The numeric text of an address, IPv4-mapped IPv6 addresses in IPv4 form.
QString addressText(const SocketAddress& a)
{
    char text[INET6_ADDRSTRLEN + IF_NAMESIZE + 2] = {};
    if (a.storage.ss_family == AF_INET || isMappedIPv4(a)) {
        const in_addr v4 = a.storage.ss_family == AF_INET ? ipv4(a).sin_addr : mappedIPv4(a);
        return QString::fromLatin1(inet_ntop(AF_INET, &v4, text, sizeof text));
    }
    // With the scope of a link-local address ("fe80::1%eth0").
    if (getnameinfo(asSockaddr(a), a.length, text, sizeof text, nullptr, 0, NI_NUMERICHOST) != 0)
        return {};
    return QString::fromLatin1(text);
}

// A numeric IPv4 or IPv6 address, read without any lookup.
std::optional<SocketAddress> numericAddress(const QString& text)
{
    if (text.isEmpty() || text.contains(QChar(0)))
        return std::nullopt;
    addrinfo hints {};
    hints.ai_flags = AI_NUMERICHOST;
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(text.toUtf8().constData(), nullptr, &hints, &found) != 0 || !found)
        return std::nullopt;
    const SocketAddress address = fromSockaddr(found->ai_addr, found->ai_addrlen);
    freeaddrinfo(found);
    return address;
}

// The first IPv4 address, else the first IPv6 one; only loopback ones when asked to.
const SocketAddress* pickAddress(const std::vector<SocketAddress>& addresses, bool loopbackOnly)
{
    const SocketAddress* v6 = nullptr;
    for (const SocketAddress& a : addresses) {
        if (loopbackOnly && !isLoopback(a))
            continue;
        if (a.storage.ss_family == AF_INET)
            return &a;
        if (!v6 && a.storage.ss_family == AF_INET6)
            v6 = &a;
    }
    return v6;
}

// Where a datagram to `address` goes from a socket of `family`: IPv4 addresses are mapped into
// IPv6 for a dual-stack socket; an IPv4 socket reaches IPv6 addresses only when they are mapped.
std::optional<SocketAddress> destination(const SocketAddress& address, quint16 port, int family)
{
    SocketAddress to;
    if (family == AF_INET6) {
        sockaddr_in6 v6 {};
        if (address.storage.ss_family == AF_INET) {
            v6.sin6_family = AF_INET6;
            v6.sin6_addr.s6_addr[10] = v6.sin6_addr.s6_addr[11] = 0xff;
            std::memcpy(v6.sin6_addr.s6_addr + 12, &ipv4(address).sin_addr, 4);
        } else {
            v6 = ipv6(address);
        }
        v6.sin6_port = htons(port);
        return fromSockaddr(reinterpret_cast<const sockaddr*>(&v6), sizeof v6);
    }
    if (address.storage.ss_family != AF_INET && !isMappedIPv4(address))
        return std::nullopt;
    sockaddr_in v4 {};
    v4.sin_family = AF_INET;
    v4.sin_addr = address.storage.ss_family == AF_INET ? ipv4(address).sin_addr : mappedIPv4(address);
    v4.sin_port = htons(port);
    return fromSockaddr(reinterpret_cast<const sockaddr*>(&v4), sizeof v4);
}

// A datagram socket bound to any local address of the family at a system-chosen port; none
// (errno set) when that fails.
UniqueFd boundSocket(int family)
{
    UniqueFd fd(::socket(family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.valid())
        return fd;
    int result;
    if (family == AF_INET6) {
        const int dualStack = 0;
        ::setsockopt(fd.get(), IPPROTO_IPV6, IPV6_V6ONLY, &dualStack, sizeof dualStack);
        sockaddr_in6 any {};
        any.sin6_family = AF_INET6;
        any.sin6_addr = in6addr_any;
        result = ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&any), sizeof any);
    } else {
        sockaddr_in any {};
        any.sin_family = AF_INET;
        any.sin_addr.s_addr = htonl(INADDR_ANY);
        result = ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&any), sizeof any);
    }
    if (result != 0)
        fd.reset();
    return fd;
}

} // namespace

// Where a lookup thread leaves its answer: the port's receiver while the port lives, nothing
// once it is gone. The thread holds it, so it outlives a port destroyed mid-lookup.
struct UnixUdpPort::LookupMailbox {
    std::mutex mutex;
    QObject* receiver = nullptr; // guarded by the mutex
    UnixUdpPort* port = nullptr; // read and written on the port's thread only
};

UnixUdpPort::UnixUdpPort()
    : answers_(std::make_unique<QObject>())
    , mailbox_(std::make_shared<LookupMailbox>())
{
    mailbox_->receiver = answers_.get();
    mailbox_->port = this;
}

UnixUdpPort::~UnixUdpPort()
{
    {
        const std::lock_guard lock(mailbox_->mutex);
        mailbox_->receiver = nullptr;
    }
    mailbox_->port = nullptr; // answers already on their way come to nothing
    releaseSocket();
    // Destroyed by a handler called from one of the receiver's own events: it goes later.
    if (dispatching_ > 0)
        answers_.release()->deleteLater();
}

BindResult UnixUdpPort::bind()
{
    releaseSocket();
    int family = AF_INET6;
    UniqueFd fd = boundSocket(family);
    if (!fd.valid() && (errno == EAFNOSUPPORT || errno == EADDRNOTAVAIL || errno == EPROTONOSUPPORT)) {
        // A system with IPv6 switched off refuses the dual-stack address; IPv4 alone still serves.
        qCDebug(lcUdp) << "dual-stack bind failed, trying IPv4 only:" << errnoText(errno);
        family = AF_INET;
        fd = boundSocket(family);
    }
    if (!fd.valid()) {
        const BindResult failure = bindFailure(errno);
        qCWarning(lcUdp) << "cannot bind a UDP port:" << failure.error << failure.description;
        return failure;
    }
    SocketAddress local;
    if (::getsockname(fd.get(), filledBy(local), &local.length) == 0)
        localPort_ = portOf(local);
    fd_ = std::move(fd);
    family_ = family;
    if (!buffer_)
        buffer_ = std::make_unique_for_overwrite<char[]>(kMaxDatagramSize);
    notifier_ = std::make_unique<QSocketNotifier>(fd_.get(), QSocketNotifier::Read);
    const std::weak_ptr<char> alive = alive_;
    const quint64 session = session_;
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this, alive, session] {
        if (!alive.expired() && session == session_)
            readPending();
    });
    qCDebug(lcUdp) << "bound to port" << localPort_;
    return {};
}

void UnixUdpPort::send(const QString& host, quint16 port, const QByteArray& data, SendDone done)
{
    const auto finish = [&done](const SendOutcome& outcome) {
        if (done)
            done(outcome);
    };
    const QString name = host.trimmed();
    const std::optional<SocketAddress> numeric = numericAddress(name);
    if (loopbackOnly() && !(numeric ? isLoopback(*numeric) : isLocalhostName(name))) {
        qCWarning(lcUdp) << "THERMOBADGE_LOOPBACK_ONLY is set: refused to send to" << host;
        return finish({});
    }
    if (!fd_.valid()) {
        qCDebug(lcUdp) << "not bound: nothing sent to" << host;
        return finish({});
    }
    if (numeric)
        return finish(transmit(*numeric, port, data));
    if (name.contains(QChar(0))) {
        qCDebug(lcUdp) << "not a host name:" << host;
        return finish({});
    }

    const QString key = name.toLower();
    const auto cached = names_.constFind(key);
    if (cached != names_.constEnd() && !cached->expiry.hasExpired())
        return finish(transmit(cached->address, port, data));

    std::vector<WaitingSend>& waiting = waiting_[key];
    if (waiting.size() >= kMaxWaitingSends) {
        qCDebug(lcUdp) << "too many sends wait for the lookup of" << key;
        return finish({});
    }
    waiting.push_back({port, data, std::move(done)});
    if (waiting.size() == 1)
        lookUp(key);
}

void UnixUdpPort::close()
{
    releaseSocket();
}

bool UnixUdpPort::isBound() const
{
    return fd_.valid();
}

void UnixUdpPort::setArrivalHandler(Arrival handler)
{
    arrival_ = std::move(handler);
}

quint16 UnixUdpPort::localPort() const
{
    return localPort_;
}

void UnixUdpPort::setReadBatchLimit(int datagrams)
{
    readBatchLimit_ = std::max(datagrams, 1);
}

BindResult UnixUdpPort::bindFailure(int systemErrno)
{
    // EPERM comes from a sandbox or a security module, EACCES from a refused port or protocol.
    const bool refused = systemErrno == EACCES || systemErrno == EPERM;
    const QString text = systemErrno == 0 ? QStringLiteral("Unknown socket error") : errnoText(systemErrno);
    return {refused ? kBindBlocked : 10000 + systemErrno, text};
}

bool UnixUdpPort::loopbackOnly()
{
    // Anything but "0" counts as set: when in doubt, refuse rather than send.
    const QString value = qEnvironmentVariable("THERMOBADGE_LOOPBACK_ONLY").trimmed();
    return !value.isEmpty() && value != QLatin1String("0");
}

template <typename Handler, typename Arg>
bool UnixUdpPort::dispatch(const Handler& handler, const Arg& arg, const char* what)
{
    // An exception escaping into Qt would end the program, so it is logged and dropped here.
    const std::weak_ptr<char> alive = alive_;
    ++dispatching_;
    try {
        handler(arg);
    } catch (const std::exception& e) {
        qCCritical(lcUdp) << what << "raised an error:" << e.what();
    } catch (...) {
        qCCritical(lcUdp) << what << "raised an unknown error";
    }
    if (alive.expired())
        return false; // the handler destroyed the port
    --dispatching_;
    return true;
}

void UnixUdpPort::readPending()
{
    const quint64 session = session_;
    // What is left after a batch waits for the next turn of the event loop: the socket is still
    // readable then, and whatever else is due runs first.
    for (int count = 0; count < readBatchLimit_; ++count) {
        SocketAddress sender;
        const ssize_t size = ::recvfrom(fd_.get(), buffer_.get(), kMaxDatagramSize, 0, filledBy(sender), &sender.length);
        if (size < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return;
            if (errno != EINTR)
                qCDebug(lcUdp) << "receive failed:" << errnoText(errno);
            continue;
        }
        if (!arrival_)
            continue;
        // Copied at the datagram's own size: the buffer serves every read.
        const Datagram datagram {QByteArray(buffer_.get(), size), addressText(sender), portOf(sender)};
        const Arrival handler = arrival_; // the handler may replace itself
        if (!dispatch(handler, datagram, "the datagram handler") || session != session_)
            return; // destroyed, or closed (and perhaps bound anew), by the handler
    }
}

void UnixUdpPort::lookUp(const QString& name)
{
    const auto answer = [](const std::shared_ptr<LookupMailbox>& mailbox, const QString& name,
                           const std::vector<SocketAddress>& found, const QString& failure) {
        if (UnixUdpPort* port = mailbox->port)
            port->lookedUp(name, found, failure);
    };
    try {
        std::thread([mailbox = mailbox_, name, answer] {
            addrinfo hints {};
            hints.ai_family = AF_UNSPEC;
            hints.ai_socktype = SOCK_DGRAM;
            addrinfo* list = nullptr;
            const int status = getaddrinfo(name.toUtf8().constData(), nullptr, &hints, &list);
            std::vector<SocketAddress> found;
            QString failure;
            if (status != 0) {
                failure = status == EAI_SYSTEM ? errnoText(errno) : QString::fromLocal8Bit(gai_strerror(status));
            } else {
                for (const addrinfo* a = list; a; a = a->ai_next)
                    if (a->ai_family == AF_INET || a->ai_family == AF_INET6)
                        found.push_back(fromSockaddr(a->ai_addr, a->ai_addrlen));
                freeaddrinfo(list);
            }
            const std::lock_guard lock(mailbox->mutex);
            if (mailbox->receiver)
                QMetaObject::invokeMethod(
                    mailbox->receiver, [=] { answer(mailbox, name, found, failure); }, Qt::QueuedConnection);
        }).detach();
    } catch (const std::system_error& e) {
        // No thread to be had: the sends waiting for this name are answered now.
        lookedUp(name, {}, QString::fromLocal8Bit(e.what()));
    }
}

void UnixUdpPort::lookedUp(const QString& name, const std::vector<SocketAddress>& found, const QString& failure)
{
    std::vector<WaitingSend> sends;
    if (const auto it = waiting_.find(name); it != waiting_.end()) {
        sends = std::move(*it);
        waiting_.erase(it);
    }
    const SocketAddress* address = pickAddress(found, loopbackOnly());
    if (address)
        remember(name, *address);
    else
        qCDebug(lcUdp) << "no usable address for" << name << failure << found.size() << "found";
    const quint64 session = session_;
    for (const WaitingSend& send : sends) {
        const SendOutcome outcome = address && fd_.valid() ? transmit(*address, send.port, send.data) : SendOutcome {};
        if (send.done && !dispatch(send.done, outcome, "the send handler"))
            return;
        if (session != session_)
            return; // closed by the handler: the rest are dropped with it
    }
}

SendOutcome UnixUdpPort::transmit(const SocketAddress& address, quint16 port, const QByteArray& data)
{
    const std::optional<SocketAddress> to = destination(address, port, family_);
    if (!to) {
        qCDebug(lcUdp) << "an IPv4 port cannot send to" << addressText(address);
        return {};
    }
    ssize_t sent;
    do
        sent = ::sendto(fd_.get(), data.constData(), static_cast<std::size_t>(data.size()), 0, asSockaddr(*to), to->length);
    while (sent < 0 && errno == EINTR);
    if (sent != data.size()) {
        qCDebug(lcUdp) << "send to" << addressText(address) << port << "failed:" << errnoText(errno);
        return {};
    }
    return {true, addressText(address)};
}

void UnixUdpPort::remember(const QString& name, const SocketAddress& address)
{
    if (names_.size() >= kMaxCachedNames && !names_.contains(name)) {
        names_.removeIf([](const auto& entry) { return entry.value().expiry.hasExpired(); });
        if (names_.size() >= kMaxCachedNames)
            names_.clear();
    }
    names_.insert(name, {address, QDeadlineTimer(kNameLifetimeMs)});
}

void UnixUdpPort::releaseSocket()
{
    ++session_; // reads and waiting sends of the old socket now come to nothing
    waiting_.clear();
    if (notifier_) {
        notifier_->setEnabled(false);
        // A notifier must not be deleted inside its own signal, and a handler called from one
        // may have closed the port; it goes once control is back in the event loop.
        if (dispatching_ > 0)
            notifier_.release()->deleteLater();
        else
            notifier_.reset();
    }
    fd_.reset();
    localPort_ = 0;
}

} // namespace tb
