#include "platform/linux/UnixCommandChannel.h"

#include "platform/Codepage.h"
#include "platform/CommandFrame.h"
#include "platform/UniqueFd.h"
#include "platform/linux/SystemError.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tb {
namespace {

constexpr int kAckWaitMs = 2000;
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::size_t kMaxConnections = 128;
// A connection that brings no byte for this long (its handler not running) is closed, so idle
// connections cannot hold every place and lock senders out.
constexpr int kIdleMs = 2000;
constexpr int kSocketFlags = SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC;

// The folder is private to this user (PrivateFolder.h) and short enough for socket paths.
bool preparePrivateFolder(const QString& folder)
{
    if (const std::optional<QString> problem = privateFolderProblem(folder)) {
        qCWarning(lcIpc).noquote() << *problem << "- the command channel is off";
        return false;
    }
    const QByteArray path = QFile::encodeName(folder);
    // The longest socket path, <folder>/2147483647, must fit a socket address.
    sockaddr_un probe {};
    if (!makeAddress(path + "/2147483647", probe)) {
        qCWarning(lcIpc).noquote() << "the channel folder" << folder
                                   << "has too long a path for sockets - the command channel is off";
        return false;
    }
    return true;
}

// A published name is a plain file name that no endpoint's number can take.
bool validName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(u'.') || name.contains(u'/'))
        return false;
    return std::any_of(name.begin(), name.end(), [](QChar c) { return !c.isDigit(); });
}

// The handle written as a link's target: 1 to 2^31 - 1 in plain decimal digits.
std::optional<qint32> handleFromText(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 10 || text.front() == '0')
        return std::nullopt;
    qint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > INT32_MAX)
        return std::nullopt;
    return static_cast<qint32>(value);
}

} // namespace

// The sockets of one channel: listening endpoints and the connections they accepted. The waits
// of setText serve them, and those of every other channel of the process.
class UnixCommandChannel::Core {
public:
    explicit Core(QString folder)
        : folder_(std::move(folder))
        , usable_(preparePrivateFolder(folder_))
    {
        live().push_back(this);
    }
    ~Core()
    {
        live().erase(std::find(live().begin(), live().end(), this));
        while (!listeners_.empty())
            closeListener(listeners_.begin()->first);
        while (!connections_.empty())
            closeConnection(connections_.begin()->first);
    }

    const QString& folder() const { return folder_; }
    bool usable() const { return usable_; }
    std::optional<qint32> openListener(std::function<void(const QString&)> onText);
    void closeListener(qint32 handle);
    bool setText(qint32 handle, const QString& text);
    bool publish(qint32 handle, const QString& name);
    std::optional<qint32> lookup(const QString& name);

private:
    struct Listener {
        UniqueFd fd;
        std::function<void(const QString&)> onText;
        std::unique_ptr<QSocketNotifier> notifier;
    };
    struct Connection {
        UniqueFd fd;
        qint32 handle = 0;
        CommandFrameReader reader;
        bool busy = false; // its change handler runs: nothing more is read from it meanwhile
        QDeadlineTimer idleUntil{kIdleMs};
        std::unique_ptr<QSocketNotifier> notifier;
    };
    enum class Reached { Yes, Gone, Failed };

    QByteArray pathOf(const QString& name) const { return QFile::encodeName(folder_ + u'/' + name); }
    QByteArray pathOf(qint32 handle) const { return pathOf(QString::number(handle)); }
    std::unique_ptr<QSocketNotifier> watch(int fd, std::function<void()> onReady);
    static void drop(std::unique_ptr<QSocketNotifier>& notifier);
    void acceptPending(qint32 handle);
    void closeIdle();
    void serve(quint64 id);
    void closeConnection(quint64 id);
    Reached connectTo(int fd, qint32 handle, const QDeadlineTimer& deadline);
    void removeStale(qint32 handle);
    // Waits until `fd` is ready for `events` (or, without one, for at most the deadline) while
    // serving the endpoints of every channel of this process. False at the deadline.
    static bool waitServing(int fd, short events, const QDeadlineTimer& deadline);
    // The channels of this process; all of them run on its one user-interface thread.
    static std::vector<Core*>& live()
    {
        static std::vector<Core*> cores;
        return cores;
    }

    QString folder_;
    bool usable_;
    std::map<qint32, Listener> listeners_;
    std::map<quint64, Connection> connections_;
    std::map<QString, qint32> published_;
    quint64 nextId_ = 1;
    // Closes idle connections while there are any (with an event loop; without, accepting does).
    std::unique_ptr<QTimer> idleSweep_;
    // Left uninitialised: only what a read fills is ever touched, so a quiet channel keeps no
    // resident memory for it.
    std::unique_ptr<char[]> readBuffer_ = std::make_unique_for_overwrite<char[]>(kReadChunk);
};

std::unique_ptr<QSocketNotifier> UnixCommandChannel::Core::watch(int fd, std::function<void()> onReady)
{
    // Without an application object there is no event loop: endpoints are then served only
    // while setText waits.
    if (!QCoreApplication::instance())
        return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, std::move(onReady));
    return notifier;
}

void UnixCommandChannel::Core::drop(std::unique_ptr<QSocketNotifier>& notifier)
{
    // It may be the very notifier whose signal is being handled.
    if (notifier) {
        notifier->setEnabled(false);
        notifier.release()->deleteLater();
    }
}

std::optional<qint32> UnixCommandChannel::Core::openListener(std::function<void(const QString&)> onText)
{
    if (!usable_)
        return std::nullopt;
    UniqueFd fd(::socket(AF_UNIX, kSocketFlags, 0));
    if (!fd.valid()) {
        qCWarning(lcIpc).noquote() << "cannot create a socket:" << errnoText(errno);
        return std::nullopt;
    }
    // A fresh number: bind fails on any existing file, so an endpoint of another process (or a
    // stale one) is never taken over.
    for (int attempt = 0; attempt < 64; ++attempt) {
        const auto handle = static_cast<qint32>(QRandomGenerator::system()->bounded(1u, 0x80000000u));
        sockaddr_un address {};
        makeAddress(pathOf(handle), address);
        if (::bind(fd.get(), asAddress(address), sizeof address) != 0) {
            if (errno == EADDRINUSE)
                continue;
            qCWarning(lcIpc).noquote() << "cannot create an endpoint in" << folder_ << "-" << errnoText(errno);
            return std::nullopt;
        }
        if (::listen(fd.get(), SOMAXCONN) != 0) {
            qCWarning(lcIpc).noquote() << "cannot listen on endpoint" << handle << "-" << errnoText(errno);
            ::unlink(address.sun_path);
            return std::nullopt;
        }
        Listener& listener = listeners_[handle];
        listener.fd = std::move(fd);
        listener.onText = std::move(onText);
        listener.notifier = watch(listener.fd.get(), [this, handle] { acceptPending(handle); });
        qCDebug(lcIpc) << "endpoint" << handle << "opened";
        return handle;
    }
    qCWarning(lcIpc).noquote() << "no free endpoint number found in" << folder_;
    return std::nullopt;
}

void UnixCommandChannel::Core::closeListener(qint32 handle)
{
    const auto it = listeners_.find(handle);
    if (it == listeners_.end())
        return;
    // A connection whose handler is running (and closing its own endpoint) still gets its
    // acknowledgement: serve closes it after that.
    std::vector<quint64> ids;
    for (const auto& [id, connection] : connections_)
        if (connection.handle == handle && !connection.busy)
            ids.push_back(id);
    for (const quint64 id : ids)
        closeConnection(id);
    ::unlink(pathOf(handle).constData());
    drop(it->second.notifier);
    listeners_.erase(it);
    // A name another process has published since points elsewhere and stays.
    for (auto p = published_.begin(); p != published_.end();) {
        if (p->second != handle) {
            ++p;
            continue;
        }
        std::array<char, 32> target {};
        const QByteArray link = pathOf(p->first);
        const ssize_t n = ::readlink(link.constData(), target.data(), target.size() - 1);
        if (n > 0 && QByteArrayView(target.data(), n) == QByteArray::number(handle))
            ::unlink(link.constData());
        p = published_.erase(p);
    }
    qCDebug(lcIpc) << "endpoint" << handle << "closed";
}

void UnixCommandChannel::Core::acceptPending(qint32 handle)
{
    for (;;) {
        const auto it = listeners_.find(handle);
        if (it == listeners_.end())
            return;
        UniqueFd fd(::accept4(it->second.fd.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd.valid()) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                qCWarning(lcIpc).noquote() << "endpoint" << handle << "cannot accept a connection:" << errnoText(errno);
            return;
        }
        if (!peerIsSameUser(fd.get())) {
            qCWarning(lcIpc).noquote() << "endpoint" << handle << "refused a connection from user"
                                       << (peerUserId(fd.get()) ? QString::number(*peerUserId(fd.get()))
                                                                : QStringLiteral("unknown"));
            continue;
        }
        if (connections_.size() >= kMaxConnections)
            closeIdle();
        if (connections_.size() >= kMaxConnections) {
            qCWarning(lcIpc).noquote() << "endpoint" << handle << "refused a connection: already" << kMaxConnections << "open";
            continue;
        }
        const quint64 id = nextId_++;
        Connection& connection = connections_[id];
        connection.fd = std::move(fd);
        connection.handle = handle;
        connection.notifier = watch(connection.fd.get(), [this, id] { serve(id); });
        if (!idleSweep_ && QCoreApplication::instance()) {
            idleSweep_ = std::make_unique<QTimer>();
            QObject::connect(idleSweep_.get(), &QTimer::timeout, [this] { closeIdle(); });
        }
        if (idleSweep_ && !idleSweep_->isActive())
            idleSweep_->start(kIdleMs / 2);
    }
}

void UnixCommandChannel::Core::closeIdle()
{
    std::vector<quint64> idle;
    for (const auto& [id, connection] : connections_)
        if (!connection.busy && connection.idleUntil.hasExpired())
            idle.push_back(id);
    for (const quint64 id : idle) {
        qCInfo(lcIpc).noquote() << "endpoint" << connections_[id].handle << "closed a connection that sent nothing for 2 s";
        closeConnection(id);
    }
    if (connections_.empty() && idleSweep_)
        idleSweep_->stop();
}

void UnixCommandChannel::Core::serve(quint64 id)
{
    auto it = connections_.find(id);
    if (it == connections_.end() || it->second.busy)
        return;
    ssize_t n = 0;
    do
        n = ::recv(it->second.fd.get(), readBuffer_.get(), kReadChunk, MSG_DONTWAIT);
    while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            closeConnection(id);
        return;
    }
    const bool ended = n == 0;
    it->second.idleUntil.setRemainingTime(kIdleMs);
    it->second.reader.append(QByteArrayView(readBuffer_.get(), n));
    it->second.busy = true;
    if (it->second.notifier)
        it->second.notifier->setEnabled(false);
    for (;;) {
        QByteArray bytes;
        const CommandFrameReader::Next next = it->second.reader.next(bytes);
        if (next == CommandFrameReader::Next::NeedMore)
            break;
        if (next == CommandFrameReader::Next::Malformed) {
            qCWarning(lcIpc).noquote() << "endpoint" << it->second.handle << "got a frame longer than" << kMaxFrameText
                                       << "bytes: connection closed, nothing set";
            closeConnection(id);
            return;
        }
        const auto listener = listeners_.find(it->second.handle);
        if (listener != listeners_.end()) {
            // A copy: the handler may close its own endpoint.
            const std::function<void(const QString&)> onText = listener->second.onText;
            onText(fromAnsi(bytes));
        }
        it = connections_.find(id);
        if (it == connections_.end())
            return; // closed while its handler ran
        if (::send(it->second.fd.get(), &kFrameAck, 1, MSG_NOSIGNAL | MSG_DONTWAIT) != 1) {
            qCDebug(lcIpc) << "endpoint" << it->second.handle << "could not acknowledge: the sender is gone or reads nothing";
            closeConnection(id);
            return;
        }
        if (listeners_.find(it->second.handle) == listeners_.end()) {
            closeConnection(id); // its endpoint was closed by the handler
            return;
        }
    }
    it->second.busy = false;
    it->second.idleUntil.setRemainingTime(kIdleMs);
    if (it->second.notifier)
        it->second.notifier->setEnabled(true);
    if (ended) {
        if (it->second.reader.pending() > 0)
            qCWarning(lcIpc).noquote() << "endpoint" << it->second.handle << "lost its sender in the middle of a frame ("
                                       << it->second.reader.pending() << "bytes ): nothing set";
        closeConnection(id);
    }
}

void UnixCommandChannel::Core::closeConnection(quint64 id)
{
    const auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    drop(it->second.notifier);
    connections_.erase(it);
}

void UnixCommandChannel::Core::removeStale(qint32 handle)
{
    const QByteArray path = pathOf(handle);
    struct stat st { };
    if (::lstat(path.constData(), &st) != 0)
        return;
    if (!S_ISSOCK(st.st_mode)) {
        qCWarning(lcIpc).noquote() << QFile::decodeName(path) << "is not an endpoint (not a socket) - left as it is";
        return;
    }
    if (::unlink(path.constData()) == 0)
        qCInfo(lcIpc).noquote() << "endpoint" << handle << "had nobody listening - its file was removed";
}

UnixCommandChannel::Core::Reached UnixCommandChannel::Core::connectTo(int fd, qint32 handle, const QDeadlineTimer& deadline)
{
    sockaddr_un address {};
    makeAddress(pathOf(handle), address);
    for (;;) {
        if (::connect(fd, asAddress(address), sizeof address) == 0)
            break;
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error == EAGAIN) {
            // Its queue of connections is full: try again shortly.
            if (deadline.hasExpired()) {
                qCWarning(lcIpc) << "endpoint" << handle << "accepted no connection within 2 s";
                return Reached::Failed;
            }
            waitServing(-1, 0, QDeadlineTimer(1));
            continue;
        }
        if (error == ENOENT) {
            qCDebug(lcIpc) << "no endpoint" << handle;
            return Reached::Gone;
        }
        if (error == ECONNREFUSED) {
            removeStale(handle);
            return Reached::Gone;
        }
        qCWarning(lcIpc).noquote() << "cannot reach endpoint" << handle << "-" << errnoText(error);
        return Reached::Failed;
    }
    if (!peerIsSameUser(fd)) {
        qCWarning(lcIpc) << "endpoint" << handle << "belongs to another user - nothing sent";
        return Reached::Failed;
    }
    return Reached::Yes;
}

bool UnixCommandChannel::Core::waitServing(int fd, short events, const QDeadlineTimer& deadline)
{
    struct Owner {
        Core* core;
        bool listener;
        quint64 key; // handle or connection id
    };
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<Owner> owners;
        if (fd >= 0)
            fds.push_back({fd, events, 0});
        for (Core* core : live()) {
            for (const auto& [handle, listener] : core->listeners_) {
                fds.push_back({listener.fd.get(), POLLIN, 0});
                owners.push_back({core, true, static_cast<quint64>(handle)});
            }
            for (const auto& [id, connection] : core->connections_) {
                if (connection.busy)
                    continue;
                fds.push_back({connection.fd.get(), POLLIN, 0});
                owners.push_back({core, false, id});
            }
        }
        const int timeout = static_cast<int>(std::max<qint64>(0, deadline.remainingTime()));
        const int ready = ::poll(fds.data(), fds.size(), timeout);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const std::size_t first = fd >= 0 ? 1 : 0;
        for (std::size_t i = first; i < fds.size(); ++i) {
            const Owner& owner = owners[i - first];
            // A handler run just before may have closed a whole channel.
            if (fds[i].revents == 0 || std::find(live().begin(), live().end(), owner.core) == live().end())
                continue;
            if (owner.listener)
                owner.core->acceptPending(static_cast<qint32>(owner.key));
            else
                owner.core->serve(owner.key);
        }
        if (fd < 0)
            return false;
        if (fds[0].revents != 0)
            return true;
    }
}

bool UnixCommandChannel::Core::setText(qint32 handle, const QString& text)
{
    if (!usable_)
        return false;
    if (handle < 1) {
        qCDebug(lcIpc) << "no endpoint can have the handle" << handle;
        return false;
    }
    const std::optional<QByteArray> frame = encodeFrame(toAnsi(text));
    if (!frame) {
        qCWarning(lcIpc) << "a text of" << text.size() << "characters is longer than a frame carries - not sent";
        return false;
    }
    const QDeadlineTimer deadline(kAckWaitMs);
    UniqueFd fd(::socket(AF_UNIX, kSocketFlags, 0));
    if (!fd.valid() || connectTo(fd.get(), handle, deadline) != Reached::Yes)
        return false;
    for (qsizetype sent = 0; sent < frame->size();) {
        const ssize_t n = ::send(
            fd.get(), frame->constData() + sent, static_cast<std::size_t>(frame->size() - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += n;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!waitServing(fd.get(), POLLOUT, deadline)) {
                qCWarning(lcIpc) << "endpoint" << handle << "took no text within 2 s";
                return false;
            }
        } else if (errno != EINTR) {
            qCInfo(lcIpc) << "endpoint" << handle << "went away while a text was sent";
            return false;
        }
    }
    for (;;) {
        if (!waitServing(fd.get(), POLLIN, deadline)) {
            qCWarning(lcIpc) << "endpoint" << handle << "did not acknowledge within 2 s";
            return false;
        }
        char answer = 0;
        const ssize_t n = ::recv(fd.get(), &answer, 1, MSG_DONTWAIT);
        if (n == 1 && answer == kFrameAck)
            return true;
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        qCInfo(lcIpc) << "endpoint" << handle << "closed the connection without acknowledging";
        return false;
    }
}

bool UnixCommandChannel::Core::publish(qint32 handle, const QString& name)
{
    if (!usable_)
        return false;
    if (!validName(name) || listeners_.find(handle) == listeners_.end()) {
        qCWarning(lcIpc).noquote() << "cannot publish endpoint" << handle << "as" << name;
        return false;
    }
    // Made beside it and renamed over it, so a finder sees the old link or the new one.
    const QByteArray temporary = pathOf(QStringLiteral(".%1.%2").arg(name).arg(::getpid()));
    ::unlink(temporary.constData());
    if (::symlink(QByteArray::number(handle).constData(), temporary.constData()) != 0
        || ::rename(temporary.constData(), pathOf(name).constData()) != 0) {
        qCWarning(lcIpc).noquote() << "cannot publish endpoint" << handle << "as" << name << "-" << errnoText(errno);
        ::unlink(temporary.constData());
        return false;
    }
    published_[name] = handle;
    qCDebug(lcIpc) << "endpoint" << handle << "published as" << name;
    return true;
}

std::optional<qint32> UnixCommandChannel::Core::lookup(const QString& name)
{
    if (!usable_ || !validName(name))
        return std::nullopt;
    const QByteArray link = pathOf(name);
    std::array<char, 32> target {};
    const ssize_t n = ::readlink(link.constData(), target.data(), target.size() - 1);
    if (n < 0) {
        qCDebug(lcIpc).noquote() << "nothing is published as" << name;
        return std::nullopt;
    }
    const std::optional<qint32> handle = handleFromText(QByteArrayView(target.data(), n));
    if (!handle) {
        qCWarning(lcIpc).noquote() << name << "points at" << QByteArray(target.data(), n) << "which is no endpoint";
        return std::nullopt;
    }
    UniqueFd fd(::socket(AF_UNIX, kSocketFlags, 0));
    if (!fd.valid())
        return std::nullopt;
    switch (connectTo(fd.get(), *handle, QDeadlineTimer(kAckWaitMs))) {
    case Reached::Yes:
        return handle;
    case Reached::Gone:
        qCInfo(lcIpc).noquote() << "the endpoint published as" << name << "is gone - the name was removed";
        ::unlink(link.constData());
        return std::nullopt;
    case Reached::Failed:
        break;
    }
    return std::nullopt;
}

namespace {

class UnixEndpoint final : public CommandEndpoint {
public:
    UnixEndpoint(std::weak_ptr<UnixCommandChannel::Core> core, qint32 handle)
        : core_(std::move(core))
        , handle_(handle)
    {
    }
    ~UnixEndpoint() override
    {
        if (const auto core = core_.lock())
            core->closeListener(handle_);
    }
    qint32 handle() const override { return handle_; }

private:
    std::weak_ptr<UnixCommandChannel::Core> core_;
    qint32 handle_;
};

} // namespace

UnixCommandChannel::UnixCommandChannel(const QString& folder)
    : core_(std::make_shared<Core>(folder))
{
}

UnixCommandChannel::~UnixCommandChannel() = default;

std::unique_ptr<CommandEndpoint> UnixCommandChannel::open(std::function<void(const QString& text)> onText)
{
    const std::optional<qint32> handle = core_->openListener(std::move(onText));
    if (!handle)
        return nullptr;
    return std::make_unique<UnixEndpoint>(core_, *handle);
}

bool UnixCommandChannel::setText(qint32 handle, const QString& text)
{
    return core_->setText(handle, text);
}

bool UnixCommandChannel::publish(const CommandEndpoint& endpoint, const QString& name)
{
    return core_->publish(endpoint.handle(), name);
}

std::optional<qint32> UnixCommandChannel::lookup(const QString& name)
{
    return core_->lookup(name);
}

bool UnixCommandChannel::usable() const
{
    return core_->usable();
}

const QString& UnixCommandChannel::folder() const
{
    return core_->folder();
}

} // namespace tb
