#pragma once

#include <QLoggingCategory>

// The program's own log lines would drown the fuzzer's output: they are switched off once.
inline void quietProgramLogs()
{
    static const bool done = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("thermobadge.*=false"));
        return true;
    }();
    (void)done;
}
