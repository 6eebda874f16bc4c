#pragma once

#include <functional>
#include <memory>

namespace tb {

// A repeating timer created at run time. Destroying the object destroys the timer; no tick
// arrives after that. A tick may destroy its own timer.
class Timer {
public:
    virtual ~Timer() = default;
    // Sets the period in milliseconds; a running timer restarts its period from now.
    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    // Starts (from now, a full period before the first tick) or stops the timer.
    virtual void setEnabled(bool on) = 0;
    virtual bool enabled() const = 0;
};

// Creates timers; each calls `onTick` on the owner's thread once per period while enabled.
class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    // A new timer, disabled, with the given interval.
    virtual std::unique_ptr<Timer> create(std::function<void()> onTick, int intervalMs) = 0;
    // A new timer, disabled, ticking once a second for an owner that counts ticks or second
    // boundaries, not milliseconds: a tick may come late (the first after starting as early as
    // half a second), and the program's second clocks may share one wakeup.
    virtual std::unique_ptr<Timer> createSecondClock(std::function<void()> onTick) { return create(std::move(onTick), 1000); }
};

} // namespace tb
