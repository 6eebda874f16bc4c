#pragma once

#include <QFile>

#include <unistd.h>

namespace tb::test {

// Resident memory of this process in KiB (0 when it cannot be read).
inline long residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

// How much resident memory a "stays flat" check allows to grow: `normalKiB`, or far more under
// AddressSanitizer, which keeps freed memory in quarantine (its own leak check covers real
// leaks there).
constexpr long residentSlackKiB(long normalKiB)
{
#ifdef __SANITIZE_ADDRESS__
    return normalKiB > 512 * 1024 ? normalKiB : 512 * 1024;
#else
    return normalKiB;
#endif
}

} // namespace tb::test
