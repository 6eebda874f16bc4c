#include "SingleInstance.h"

#include "PrivateFolder.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tb {

Q_LOGGING_CATEGORY(lcInstance, "thermobadge.instance", QtInfoMsg)

namespace {

// The whole conversation: the request and its confirmation, one line each.
constexpr QByteArrayView kRequest = "show\n";
constexpr QByteArrayView kConfirmation = "shown\n";
constexpr int kServeTimeoutMs = 2000;

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The channel's folder rules (PrivateFolder.h).
bool privateFolder(const QString& folder)
{
    if (const std::optional<QString> problem = privateFolderProblem(folder)) {
        qCWarning(lcInstance).noquote() << *problem << "- a second start is not detected";
        return false;
    }
    return true;
}

} // namespace

SingleInstance::SingleInstance(QString folder)
    : folder_(std::move(folder))
{
}

SingleInstance::~SingleInstance()
{
    if (server_) {
        server_->close(); // removes the socket file
        server_.reset();
    }
    if (lockFd_ >= 0)
        ::close(lockFd_); // lets go of the lock
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
    if (lockFd_ >= 0)
        return true;
    if (!privateFolder(folder_))
        return true;
    // Close-on-exec: the programs the indicator starts must not inherit (and outlive it with) the lock.
    const int fd = ::open(QFile::encodeName(lockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        qCWarning(lcInstance).noquote() << "cannot open" << lockPath() << "-" << errnoText(errno)
                                        << "- a second start is not detected";
        return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return false;
        qCWarning(lcInstance).noquote() << "cannot lock" << lockPath() << "-" << errnoText(error)
                                        << "- a second start is not detected";
        return true;
    }
    lockFd_ = fd;

    // A socket file left by a crashed instance is in the way; no one listens at it any more.
    QLocalServer::removeServer(socketPath());
    server_ = std::make_unique<QLocalServer>();
    server_->setMaxPendingConnections(8);
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] { serveConnection(); });
    if (!server_->listen(socketPath()))
        qCWarning(lcInstance).noquote() << "cannot listen at" << socketPath() << "-" << server_->errorString()
                                        << "- a second start cannot bring this one to the front";
    return true;
}

void SingleInstance::serveConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!peerIsSameUser(static_cast<int>(socket->socketDescriptor()))) {
            qCWarning(lcInstance) << "a request to show the window from another user was refused";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // A peer that says nothing is not waited for.
        QTimer::singleShot(kServeTimeoutMs, socket, [socket] { socket->abort(); });
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (socket->bytesAvailable() < kRequest.size())
                return;
            const QByteArray request = socket->read(kRequest.size());
            if (request != kRequest) {
                qCWarning(lcInstance) << "an unexpected request" << request.left(16) << "was refused";
                socket->abort();
                return;
            }
            qCInfo(lcInstance) << "another start asked this instance to show itself";
            const QPointer<QLocalSocket> alive(socket);
            if (onActivateRequested)
                onActivateRequested();
            if (alive) {
                alive->write(kConfirmation.data(), kConfirmation.size());
                alive->disconnectFromServer();
            }
        });
    }
}

bool SingleInstance::notifyPrimary(std::chrono::milliseconds wait)
{
    const QDeadlineTimer deadline(wait);
    QLocalSocket socket;
    // The holder of the lock listens a moment after taking it: try again until then.
    for (;;) {
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))))
            break;
        if (deadline.hasExpired()) {
            qCWarning(lcInstance).noquote() << "the running instance does not listen at" << socketPath() << "-"
                                            << socket.errorString();
            return false;
        }
        socket.abort();
        QThread::msleep(20);
    }
    socket.write(kRequest.data(), kRequest.size());
    QByteArray answer;
    while (answer.size() < kConfirmation.size() && !deadline.hasExpired()) {
        if (socket.bytesAvailable() == 0
            && !socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))))
            break;
        answer += socket.read(kConfirmation.size() - answer.size());
    }
    if (answer != kConfirmation) {
        qCWarning(lcInstance) << "the running instance did not confirm the request to show itself";
        return false;
    }
    return true;
}

} // namespace tb
