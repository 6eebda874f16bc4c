#include "platform/linux/SingleInstance.h"

#include "platform/UniqueFd.h"
#include "platform/linux/SystemError.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <array>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

namespace tb {

Q_LOGGING_CATEGORY(lcInstance, "thermobadge.instance", QtInfoMsg)

namespace {

// The whole conversation: the request and its confirmation, one line each.
constexpr QByteArrayView kRequest = "show\n";
constexpr QByteArrayView kConfirmation = "shown\n";
constexpr int kServeTimeoutMs = 2000;
// More connections than this at once are not from starts of the indicator.
constexpr qsizetype kMaxConnections = 32;
constexpr int kSocketFlags = SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC;

// The channel's folder rules (PrivateFolder.h).
bool privateFolder(const QString& folder)
{
    if (const std::optional<QString> problem = privateFolderProblem(folder)) {
        qCWarning(lcInstance).noquote() << *problem << "- a second start is not detected";
        return false;
    }
    return true;
}

// A socket connected to the one at `path`; none (errno set) when nobody listens there.
UniqueFd connectTo(const QByteArray& path)
{
    sockaddr_un address {};
    if (!makeAddress(path, address)) {
        errno = ENAMETOOLONG;
        return {};
    }
    UniqueFd fd(::socket(AF_UNIX, kSocketFlags, 0));
    if (fd.valid() && ::connect(fd.get(), asAddress(address), sizeof address) != 0)
        fd.reset();
    return fd;
}

// One accepted connection. It reads the request as it comes, runs the handler, confirms and
// closes; bad input, a peer that hangs up and one that stays silent for 2 s close it too. Nothing
// in it waits, so the event loop goes on meanwhile.
class ShowRequest final : public QObject {
public:
    ShowRequest(UniqueFd fd, std::function<void()> onRequest, QObject* parent)
        : QObject(parent)
        , fd_(std::move(fd))
        , onRequest_(std::move(onRequest))
        , notifier_(fd_.get(), QSocketNotifier::Read)
    {
        QObject::connect(&notifier_, &QSocketNotifier::activated, this, [this] { read(); });
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            qCWarning(lcInstance) << "a connection that sent no whole request within 2 s was dropped";
            finish();
        });
        timer_.setSingleShot(true);
        timer_.start(kServeTimeoutMs);
    }
    // The notifier goes before the socket it watches (members end in reverse order).
    ~ShowRequest() override { notifier_.setEnabled(false); }
    ShowRequest(const ShowRequest&) = delete;
    ShowRequest& operator=(const ShowRequest&) = delete;

private:
    void read();
    // Closed once the event loop is back: this may run inside the notifier's own signal.
    void finish()
    {
        timer_.stop();
        notifier_.setEnabled(false);
        deleteLater();
    }

    UniqueFd fd_;
    std::function<void()> onRequest_;
    QSocketNotifier notifier_;
    QTimer timer_;
    QByteArray request_;
};

void ShowRequest::read()
{
    std::array<char, kRequest.size()> bytes {};
    const ssize_t n = ::recv(fd_.get(), bytes.data(), static_cast<std::size_t>(kRequest.size() - request_.size()), MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
        return;
    if (n <= 0) {
        qCDebug(lcInstance) << "a connection ended before its request was complete";
        finish();
        return;
    }
    request_.append(bytes.data(), n);
    if (request_.size() < kRequest.size())
        return;
    // The handler may take its time (or open a dialog): the peer is not dropped meanwhile.
    timer_.stop();
    notifier_.setEnabled(false);
    if (request_ != kRequest) {
        qCWarning(lcInstance) << "an unexpected request" << request_ << "was refused";
        finish();
        return;
    }
    qCInfo(lcInstance) << "another start asked this instance to show itself";
    const QPointer<ShowRequest> alive(this);
    onRequest_();
    if (!alive)
        return;
    // A fresh socket's buffer takes the line at once.
    if (::send(fd_.get(), kConfirmation.data(), static_cast<std::size_t>(kConfirmation.size()), MSG_NOSIGNAL | MSG_DONTWAIT) < 0)
        qCDebug(lcInstance) << "the asking start left before it was confirmed";
    finish();
}

} // namespace

SingleInstance::SingleInstance(QString folder)
    : folder_(std::move(folder))
{
}

SingleInstance::~SingleInstance()
{
    if (listenFd_.valid()) {
        listener_.reset(); // and with it the connections being served
        listenFd_.reset();
        ::unlink(QFile::encodeName(socketPath()).constData());
    }
    lockFd_.reset(); // lets go of the lock, once the socket file is gone
}

QString SingleInstance::lockPath() const
{
    return folder_ + QStringLiteral("/indicator.lock");
}

QString SingleInstance::socketPath() const
{
    return folder_ + QStringLiteral("/indicator.show");
}

bool SingleInstance::tryBecomePrimary()
{
    if (lockFd_.valid())
        return true;
    if (!privateFolder(folder_))
        return true;
    // Close-on-exec: the programs the indicator starts must not inherit (and outlive it with) the lock.
    UniqueFd fd(::open(QFile::encodeName(lockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.valid()) {
        qCWarning(lcInstance).noquote() << "cannot open" << lockPath() << "-" << errnoText(errno)
                                        << "- a second start is not detected";
        return true;
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK)
            return false;
        qCWarning(lcInstance).noquote() << "cannot lock" << lockPath() << "-" << errnoText(error)
                                        << "- a second start is not detected";
        return true;
    }
    lockFd_ = std::move(fd);
    listen();
    return true;
}

void SingleInstance::listen()
{
    const QByteArray path = QFile::encodeName(socketPath());
    // A socket file left by a crashed instance is in the way; no one listens at it any more.
    ::unlink(path.constData());
    sockaddr_un address {};
    UniqueFd fd;
    if (!makeAddress(path, address)) {
        errno = ENAMETOOLONG;
    } else {
        fd.reset(::socket(AF_UNIX, kSocketFlags, 0));
        if (fd.valid() && ::bind(fd.get(), asAddress(address), sizeof address) == 0 && ::listen(fd.get(), SOMAXCONN) == 0) {
            listenFd_ = std::move(fd);
            listener_ = std::make_unique<QSocketNotifier>(listenFd_.get(), QSocketNotifier::Read);
            QObject::connect(listener_.get(), &QSocketNotifier::activated, listener_.get(), [this] { acceptPending(); });
            return;
        }
    }
    const int error = errno;
    qCWarning(lcInstance).noquote() << "cannot listen at" << socketPath() << "-" << errnoText(error)
                                    << "- a second start cannot bring this one to the front";
}

void SingleInstance::acceptPending()
{
    for (;;) {
        UniqueFd fd(::accept4(listenFd_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd.valid()) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                qCWarning(lcInstance).noquote() << "cannot accept a request to show the window -" << errnoText(errno);
            return;
        }
        if (!peerIsSameUser(fd.get())) {
            qCWarning(lcInstance) << "a request to show the window from another user was refused";
        } else if (listener_->children().size() >= kMaxConnections) {
            qCWarning(lcInstance) << "a request to show the window was refused:" << kMaxConnections << "are open already";
        } else {
            new ShowRequest(
                std::move(fd),
                [this] {
                    if (onActivateRequested)
                        onActivateRequested();
                },
                listener_.get());
        }
    }
}

bool SingleInstance::notifyPrimary(std::chrono::milliseconds wait)
{
    const QDeadlineTimer deadline(wait);
    UniqueFd fd;
    // The holder of the lock listens a moment after taking it: try again until then.
    while (!(fd = connectTo(QFile::encodeName(socketPath()))).valid()) {
        const int error = errno;
        if (deadline.hasExpired()) {
            qCWarning(lcInstance).noquote() << "the running instance does not listen at" << socketPath() << "-"
                                            << errnoText(error);
            return false;
        }
        QThread::msleep(20);
    }
    QByteArray answer;
    if (::send(fd.get(), kRequest.data(), static_cast<std::size_t>(kRequest.size()), MSG_NOSIGNAL) == kRequest.size()) {
        std::array<char, kConfirmation.size()> bytes {};
        pollfd readable {fd.get(), POLLIN, 0};
        while (answer.size() < kConfirmation.size() && ::poll(&readable, 1, static_cast<int>(deadline.remainingTime())) > 0) {
            const ssize_t n = ::recv(fd.get(), bytes.data(), static_cast<std::size_t>(kConfirmation.size() - answer.size()), 0);
            if (n <= 0)
                break;
            answer.append(bytes.data(), n);
        }
    }
    if (answer != kConfirmation) {
        qCWarning(lcInstance) << "the running instance did not confirm the request to show itself";
        return false;
    }
    return true;
}

} // namespace tb
