#pragma once

#include <QString>
#include <QStringList>

namespace tb {

// Starts other programs, never through a shell.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Whether a regular file exists at the path.
    virtual bool isRegularFile(const QString& path) const = 0;
    // Starts the program with the arguments as a new process, without waiting for it; false
    // when it could not be started (not found, not executable, not a program).
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
};

} // namespace tb
