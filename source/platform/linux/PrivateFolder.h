#pragma once

#include <QString>

#include <sys/socket.h>
#include <sys/types.h>
#include <sys/un.h>

#include <optional>

namespace tb {

// The folder of the program's per-user sockets (the command channel's endpoints, the
// one-instance lock): $XDG_RUNTIME_DIR/thermobadge, or without a runtime folder the private
// folder /tmp/thermobadge-<user id>. That folder left by this user with too open a mode is made
// private (700) again; where a link, a file or another user's folder stands in its place,
// <cache folder>/thermobadge-<host name> is used instead (logged once), so every program of this
// user still meets at one place that no other user can have made.
QString commandChannelFolder();

// Makes sure `folder` is a private folder of this user: created with mode 0700 when missing;
// a directory, not a link, owned by this user, mode 0700. Nothing when it is; else what is
// wrong, for the caller's log line.
std::optional<QString> privateFolderProblem(const QString& folder);

// The user id of the process at the other end of a connected Unix-domain socket.
std::optional<uid_t> peerUserId(int fd);
// Only a process of this program's own user may be talked to.
bool peerIsSameUser(int fd);

// The address of the Unix-domain socket at `path`; false when the path is too long for one.
bool makeAddress(const QByteArray& path, sockaddr_un& address);
// The address as the socket calls take it.
const sockaddr* asAddress(const sockaddr_un& address);

} // namespace tb
