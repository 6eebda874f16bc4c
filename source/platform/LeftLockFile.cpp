#include "platform/LeftLockFile.h"

#include <QFileInfo>
#include <QLockFile>
#include <QLoggingCategory>

namespace tb {

Q_LOGGING_CATEGORY(lcLockFile, "thermobadge.lockfile", QtWarningMsg)

void removeEmptyLeftLockFile(const QString& lockFile)
{
    for (const QString& file : {lockFile + QStringLiteral(".rmlock"), lockFile}) {
        const QFileInfo info(file);
        if (!info.exists() || info.size() != 0)
            continue;
        // Unlinks only when nobody holds the file's flock, as for any stale lock.
        if (QLockFile(file).removeStaleLockFile())
            qCInfo(lcLockFile) << "removed the empty lock file" << file << "that a killed writer left";
    }
}

} // namespace tb
