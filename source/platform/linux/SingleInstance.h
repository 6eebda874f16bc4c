#pragma once

#include "platform/UniqueFd.h"
#include "platform/linux/PrivateFolder.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace tb {

// One indicator per user. The first start takes a lock in the private runtime folder (the
// command channel's folder, with the same checks) and listens on a local socket beside it; a
// later start finds the lock taken and asks the holder over that socket to show itself. The lock
// is an flock on a file, which the kernel drops however its holder ends, so a crashed instance
// never blocks a new start; the socket file it left behind is replaced. Where the folder cannot
// be used the check is off (logged) and every start runs. The socket is plain POSIX, served by
// the event loop without ever waiting on a peer: a peer of another user is refused, one that
// sends no whole request within 2 s is dropped, and any other request is refused (all logged).
class SingleInstance {
public:
    explicit SingleInstance(QString folder = commandChannelFolder());
    // The primary lets go of the lock and removes its socket.
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the lock unless another instance holds it, then listens for requests to show
    // itself; whether this process is the one that runs. Needs a QCoreApplication; requests are
    // served by its event loop.
    bool tryBecomePrimary();
    // Asks the running instance to show itself; whether it confirmed within `wait`.
    bool notifyPrimary(std::chrono::milliseconds wait = std::chrono::seconds(5));
    // Runs in the primary when another start asks it to show itself.
    std::function<void()> onActivateRequested;

    // Whether this process holds the lock (false where the check is off).
    bool holdsLock() const { return lockFd_.valid(); }
    const QString& folder() const { return folder_; }
    QString lockPath() const;
    QString socketPath() const;

private:
    void listen();
    void acceptPending();

    QString folder_;
    UniqueFd lockFd_;
    UniqueFd listenFd_;
    // Watches the listening socket; the connections being served are its children.
    std::unique_ptr<QSocketNotifier> listener_;
};

} // namespace tb
