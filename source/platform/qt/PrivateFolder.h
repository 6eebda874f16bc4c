#pragma once

#include <QString>

#include <sys/types.h>

#include <optional>

namespace tb {

// The folder of the program's per-user sockets (the command channel's endpoints, the
// one-instance lock): $XDG_RUNTIME_DIR/thermobadge, or without a runtime folder the private
// folder /tmp/thermobadge-<user id>.
QString commandChannelFolder();

// Makes sure `folder` is a private folder of this user: created with mode 0700 when missing;
// a directory, not a link, owned by this user, mode 0700. Nothing when it is; else what is
// wrong, for the caller's log line.
std::optional<QString> privateFolderProblem(const QString& folder);

// The user id of the process at the other end of a connected Unix-domain socket.
std::optional<uid_t> peerUserId(int fd);
// Only a process of this program's own user may be talked to.
bool peerIsSameUser(int fd);

} // namespace tb
