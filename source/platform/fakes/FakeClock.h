#pragma once

#include "platform/Clock.h"
#include "platform/Timer.h"

#include <cstdint>
#include <vector>

namespace tb {

// A clock whose time moves only when a test advances it, and the factory of timers that run
// on it. Advancing fires every due tick in time order (ties in the order the timers were
// armed), each at its own instant, so hours of run time pass in milliseconds and exactly.
class FakeClock final : public Clock, public TimerFactory {
public:
    explicit FakeClock(DateTime start = DateTime::of(2024, 1, 15, 12, 0, 0));
    ~FakeClock() override;

    DateTime now() const override { return DateTime::fromLinearMs(nowMs_); }
    std::unique_ptr<Timer> create(std::function<void()> onTick, int intervalMs) override;

    // Moves time forward, firing due timer ticks on the way.
    void advanceMs(std::int64_t ms);
    void advanceSecs(std::int64_t s) { advanceMs(s * 1000); }
    // Sets the wall clock without firing timers (a clock change, or a test's starting point).
    // Timers keep their periods, as real ones do: they run on a monotonic clock.
    void setNow(DateTime t);
    std::int64_t nowMs() const { return nowMs_; }

    // Timers that exist now, and those of them that are enabled.
    int timerCount() const { return static_cast<int>(timers_.size()); }
    int enabledTimerCount() const;

private:
    class FakeTimer;
    friend class FakeTimer;
    std::int64_t nowMs_;
    std::uint64_t armSeq_ = 0;
    std::vector<FakeTimer*> timers_;
};

} // namespace tb
