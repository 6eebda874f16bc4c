#pragma once

#include "platform/ProcessLauncher.h"

#include <QSet>

#include <vector>

namespace tb {

// Records program starts instead of making them; files "exist" when a test says so.
class RecordingProcessLauncher final : public ProcessLauncher {
public:
    struct Started {
        QString program;
        QStringList arguments;
    };
    bool isRegularFile(const QString& path) const override { return files.contains(path); }
    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        attempts.push_back({program, arguments});
        if (startsFail)
            return false;
        started.push_back({program, arguments});
        return true;
    }

    QSet<QString> files;
    bool startsFail = false;
    std::vector<Started> attempts;
    std::vector<Started> started;
};

} // namespace tb
