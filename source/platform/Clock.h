#pragma once

#include "platform/DateTime.h"

namespace tb {

// The one source of "now" for everything above the platform layer.
class Clock {
public:
    virtual ~Clock() = default;
    // The current local wall-clock time.
    virtual DateTime now() const = 0;
};

// The system's local time.
class SystemClock final : public Clock {
public:
    DateTime now() const override { return DateTime::fromQDateTime(QDateTime::currentDateTime()); }
};

} // namespace tb
