#pragma once

#include "platform/Timer.h"

namespace tb {

// Timers on QTimer, ticking on the thread that creates them (which needs a running Qt event
// loop). A tick may destroy its own timer, even from inside a nested event loop.
class QtTimerFactory final : public TimerFactory {
public:
    // A new disabled timer; an interval of zero or less never fires.
    std::unique_ptr<Timer> create(std::function<void()> onTick, int intervalMs) override;
    // Ticks on the whole seconds of the monotonic clock (Qt::VeryCoarseTimer), so all second
    // clocks of a thread wake it once a second together.
    std::unique_ptr<Timer> createSecondClock(std::function<void()> onTick) override;
};

} // namespace tb
