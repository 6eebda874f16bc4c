#include "platform/linux/PrivateFolder.h"

#include "platform/CommandFrame.h"
#include "platform/linux/SystemError.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <utility>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tb {

namespace {

// A folder of this user's that was left with too open a mode is made private again.
void repairMode(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 0777) == 0700)
        return;
    if (::chmod(path.constData(), 0700) == 0)
        qCWarning(lcIpc).noquote() << folder << "had mode" << QString::number(st.st_mode & 0777, 8) << "- made private (700) again";
}

} // namespace

QString commandChannelFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString usual = !runtime.isEmpty() ? runtime + QStringLiteral("/thermobadge")
                                             : QStringLiteral("/tmp/thermobadge-%1").arg(::geteuid());
    repairMode(usual);
    const std::optional<QString> problem = privateFolderProblem(usual);
    if (!problem)
        return usual;
    // A link, a file or another user's folder in its place (under /tmp anybody can make it
    // first): a folder in this user's own cache folder, which no other user can have made.
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(cache))
        cache = QDir::homePath() + QStringLiteral("/.cache");
    const QString fallback = cache + QStringLiteral("/thermobadge-") + QSysInfo::machineHostName();
    QDir().mkpath(cache);
    repairMode(fallback);
    static bool told = false;
    if (!std::exchange(told, true))
        qCWarning(lcIpc).noquote() << *problem << "- the channel and the one-instance lock use" << fallback << "instead";
    return fallback;
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
