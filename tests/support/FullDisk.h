#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <csignal>
#include <optional>

#include <sys/mount.h>
#include <sys/resource.h>

namespace test {

// Every write of this process beyond `bytes` bytes of a file fails (EFBIG), as on a full disk,
// while it lives: the file size limit, with the signal it would raise ignored.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_ {};
    void (*oldHandler_)(int) = nullptr;
};

// A real small file system (tmpfs of `size`, e.g. "1m") mounted on a fresh folder while it
// lives; mounted() is false where the process may not mount (not root, no mount namespace).
class SmallDisk {
public:
    explicit SmallDisk(const char* size)
    {
        const QByteArray options = QByteArray("size=") + size + ",mode=0700";
        mounted_ = dir_.isValid()
            && ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    // Fills what is left of the small disk with one file (nothing when it is not mounted).
    void fill() const
    {
        if (!mounted_)
            return;
        QFile filler(filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        const QByteArray byte(1, 'x');
        while (filler.write(byte) == 1) {
        }
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

} // namespace test
