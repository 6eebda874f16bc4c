#include "platform/SafeFile.h"

#include "platform/UniqueFd.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tb {

Q_LOGGING_CATEGORY(lcFiles, "thermobadge.files", QtInfoMsg)

namespace {

constexpr qint64 kReadChunk = 64 * 1024;

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}

bool writeAll(int fd, QByteArrayView bytes, int& error)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

NamedFileRead readNamedFile(const QString& path, qint64 maxBytes)
{
    NamedFileRead r;
    const QByteArray name = QFile::encodeName(path);
    UniqueFd file;
    do
        file.reset(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    while (!file.valid() && errno == EINTR);
    if (!file.valid()) {
        if (errno == ENOENT)
            return r;
        r.outcome = NamedFileRead::Outcome::Failed;
        r.problem = QStringLiteral("cannot open %1: %2").arg(path, systemText(errno));
        return r;
    }
    struct stat st {};
    if (::fstat(file.get(), &st) != 0) {
        r.outcome = NamedFileRead::Outcome::Failed;
        r.problem = QStringLiteral("cannot read %1: %2").arg(path, systemText(errno));
        return r;
    }
    if (!S_ISREG(st.st_mode)) {
        r.outcome = NamedFileRead::Outcome::NotRegular;
        r.problem = QStringLiteral("%1 is %2, not a regular file; it is not read").arg(path, kindOf(st.st_mode));
        return r;
    }
    // The size the file reports only helps reserve memory; the bound counts what is read.
    if (st.st_size > 0 && st.st_size <= maxBytes)
        r.bytes.reserve(static_cast<qsizetype>(st.st_size));
    for (;;) {
        const qint64 room = maxBytes + 1 - r.bytes.size();
        const qsizetype want = static_cast<qsizetype>(std::min(kReadChunk, room));
        const qsizetype before = r.bytes.size();
        r.bytes.resize(before + want);
        const ssize_t n = ::read(file.get(), r.bytes.data() + before, static_cast<std::size_t>(want));
        r.bytes.resize(before + std::max<qsizetype>(0, n));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            r.outcome = NamedFileRead::Outcome::Failed;
            r.problem = QStringLiteral("cannot read %1: %2").arg(path, systemText(errno));
            r.bytes.clear();
            return r;
        }
        if (r.bytes.size() > maxBytes) {
            r.outcome = NamedFileRead::Outcome::TooLarge;
            r.problem = QStringLiteral("%1 has more than %2 bytes; it is not read").arg(path).arg(maxBytes);
            r.bytes.clear();
            return r;
        }
        if (n == 0)
            break;
    }
    r.outcome = NamedFileRead::Outcome::Read;
    return r;
}

bool saveFileSafely(const QString& path, QByteArrayView bytes, QString* problem)
{
    const auto fail = [&](const QString& why) {
        if (problem)
            *problem = why;
        return false;
    };
    const QByteArray target = QFile::encodeName(path);
    const QFileInfo info(path);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    struct stat old {};
    const bool hadFile = ::lstat(target.constData(), &old) == 0;
    if (hadFile && S_ISDIR(old.st_mode))
        return fail(QStringLiteral("cannot write %1: it is a folder").arg(path));

    // A fresh name beside it: the rename stays within one file system, and O_EXCL never opens
    // something another program put there.
    QByteArray temporary;
    UniqueFd file;
    for (int attempt = 0; attempt < 16 && !file.valid(); ++attempt) {
        temporary = folder + "/." + QFile::encodeName(info.fileName()) + '.'
                  + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".new";
        do
            file.reset(::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        while (!file.valid() && errno == EINTR);
        if (!file.valid() && errno != EEXIST)
            break;
    }
    if (!file.valid())
        return fail(QStringLiteral("cannot write %1: cannot create a new file beside it: %2").arg(path, systemText(errno)));
    int error = 0;
    bool written = writeAll(file.get(), bytes, error);
    // The old file's permissions where the system lets them be kept; never a reason to fail.
    if (written && hadFile && S_ISREG(old.st_mode))
        (void)::fchmod(file.get(), old.st_mode & 07777);
    if (written && ::fsync(file.get()) != 0) {
        error = errno;
        written = false;
    }
    // A write the file system deferred (NFS does) can still fail here.
    if (file.close() != 0 && written) {
        error = errno;
        written = false;
    }
    if (!written) {
        ::unlink(temporary.constData());
        return fail(QStringLiteral("cannot write %1: %2; the old file is kept").arg(path, systemText(error)));
    }
    // rename() replaces the name itself: a link at `path` is replaced, its target never touched.
    if (::rename(temporary.constData(), target.constData()) != 0) {
        error = errno;
        ::unlink(temporary.constData());
        return fail(QStringLiteral("cannot write %1: %2; the old file is kept").arg(path, systemText(error)));
    }
    if (hadFile && S_ISLNK(old.st_mode))
        qCInfo(lcFiles).noquote() << path << "was a symbolic link: it is replaced by a regular file, its target left as it is";
    // The new name on disk too, so a power cut after a save never brings back the old file.
    if (const UniqueFd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); dir.valid())
        ::fsync(dir.get());
    return true;
}

std::optional<QString> keepAside(const QString& path, QString* problem)
{
    const QByteArray from = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(from.constData(), &st) != 0)
        return std::nullopt;
    if (S_ISDIR(st.st_mode)) {
        if (problem)
            *problem = QStringLiteral("%1 is a folder; it is left as it is").arg(path);
        return std::nullopt;
    }
    const QString stem = path + QStringLiteral(".bad-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n < 100; ++n) {
        const QString kept = n == 1 ? stem : stem + QLatin1Char('-') + QString::number(n);
        const QByteArray to = QFile::encodeName(kept);
        // A link without following: a symbolic link or a FIFO is kept as itself.
        if (::linkat(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), 0) == 0)
            return kept;
        if (errno == EEXIST)
            continue;
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return kept;
        if (errno == EEXIST)
            continue;
        if (problem)
            *problem = QStringLiteral("cannot keep %1 as %2: %3").arg(path, kept, systemText(errno));
        return std::nullopt;
    }
    if (problem)
        *problem = QStringLiteral("cannot keep %1: too many copies kept already").arg(path);
    return std::nullopt;
}

} // namespace tb
