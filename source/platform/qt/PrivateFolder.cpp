#include "PrivateFolder.h"

#include "SystemError.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tb {

QString commandChannelFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/thermobadge");
    return QStringLiteral("/tmp/thermobadge-%1").arg(::geteuid());
}

std::optional<QString> privateFolderProblem(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) == 0)
        ::chmod(path.constData(), 0700); // whatever the umask took away
    else if (errno != EEXIST)
        return QStringLiteral("cannot create %1 - %2").arg(folder, errnoText(errno));
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return QStringLiteral("%1 is not a folder").arg(folder);
    if (st.st_uid != ::geteuid())
        return QStringLiteral("%1 belongs to user %2, not to this user %3").arg(folder).arg(st.st_uid).arg(::geteuid());
    if ((st.st_mode & 0777) != 0700)
        return QStringLiteral("%1 has mode %2 instead of 700, so other users could reach it").arg(folder, QString::number(st.st_mode & 0777, 8));
    return std::nullopt;
}

std::optional<uid_t> peerUserId(int fd)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof credentials)
        return std::nullopt;
    return credentials.uid;
}

bool peerIsSameUser(int fd)
{
    const std::optional<uid_t> uid = peerUserId(fd);
    return uid && *uid == ::geteuid();
}

bool makeAddress(const QByteArray& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return true;
}

const sockaddr* asAddress(const sockaddr_un& address)
{
    return reinterpret_cast<const sockaddr*>(&address);
}

} // namespace tb
