// The store writer the crash test kills: writes steps FIRST, FIRST+1, ... (see CrashStep.h) into
// the stores in FOLDER until it is killed or has written COUNT steps, printing each step's number
// once all three stores hold it.
//   crash_writer FOLDER FIRST [COUNT]
#include "CrashStep.h"

#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fputs("usage: crash_writer FOLDER FIRST [COUNT]\n", stderr);
        return 2;
    }
    QLoggingCategory::setFilterRules(QStringLiteral("thermobadge.*.debug=false"));
    const auto files = tb::crash::StoreFiles::in(QString::fromLocal8Bit(argv[1]));
    const long long first = std::atoll(argv[2]);
    const long long count = argc > 3 ? std::atoll(argv[3]) : -1;
    // Unbuffered: a step reported is a step done, and nothing waits in a buffer when the kill comes.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::puts("ready");
    for (long long step = first; count < 0 || step < first + count; ++step) {
        if (!tb::crash::writeStep(files, step))
            return 1;
        std::printf("%lld\n", step);
    }
    return 0;
}
