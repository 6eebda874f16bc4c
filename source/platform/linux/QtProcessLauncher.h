#pragma once

#include "platform/ProcessLauncher.h"

namespace tb {

// Starts programs with QProcess, by path or through PATH, never through a shell.
class QtProcessLauncher final : public ProcessLauncher {
public:
    // True for a regular file, or a symbolic link to one; false for directories and the rest.
    bool isRegularFile(const QString& path) const override;
    // Starts the program detached from this one; false (and logged) when the system could not
    // run it: missing, not executable, or not a program.
    bool startDetached(const QString& program, const QStringList& arguments) override;
};

} // namespace tb
