#include "platform/linux/QtProcessLauncher.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>

namespace tb {

Q_LOGGING_CATEGORY(lcProcess, "thermobadge.process", QtWarningMsg)

bool QtProcessLauncher::isRegularFile(const QString& path) const
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool QtProcessLauncher::startDetached(const QString& program, const QStringList& arguments)
{
    if (program.isEmpty()) {
        qCWarning(lcProcess) << "no program given to start";
        return false;
    }
    // QProcess runs the file itself (execv), so a file without a "#!" line or the exec bit
    // fails here instead of being handed to /bin/sh.
    qint64 pid = 0;
    if (!QProcess::startDetached(program, arguments, QString(), &pid)) {
        qCWarning(lcProcess) << "cannot start" << program << arguments;
        return false;
    }
    qCDebug(lcProcess) << "started" << program << arguments << "as process" << pid;
    return true;
}

} // namespace tb
