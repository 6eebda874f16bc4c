#pragma once

#include <QString>

#include <cstring>

namespace tb {

// The system's description of an error number, for log lines.
inline QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace tb
