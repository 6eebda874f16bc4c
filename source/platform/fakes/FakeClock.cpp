#include "platform/fakes/FakeClock.h"

#include <algorithm>

namespace tb {

class FakeClock::FakeTimer final : public Timer {
public:
    FakeTimer(FakeClock& clock, std::function<void()> onTick, int intervalMs)
        : clock_(clock), onTick_(std::move(onTick)), interval_(intervalMs)
    {
        clock_.timers_.push_back(this);
    }
    ~FakeTimer() override { std::erase(clock_.timers_, this); }

    void setInterval(int ms) override
    {
        interval_ = ms;
        if (enabled_)
            arm();
    }
    int interval() const override { return interval_; }
    void setEnabled(bool on) override
    {
        if (on == enabled_)
            return;
        enabled_ = on;
        if (on)
            arm();
    }
    bool enabled() const override { return enabled_; }

    bool runnable() const { return enabled_ && interval_ > 0; }
    void shift(std::int64_t ms) { due_ += ms; }
    std::int64_t due() const { return due_; }
    std::uint64_t seq() const { return seq_; }
    void fire()
    {
        due_ += interval_;
        // The tick may destroy this timer, so the callback runs from a copy and nothing of
        // the timer is touched after it.
        auto tick = onTick_;
        tick();
    }

private:
    void arm()
    {
        due_ = clock_.nowMs_ + interval_;
        seq_ = ++clock_.armSeq_;
    }

    FakeClock& clock_;
    std::function<void()> onTick_;
    int interval_;
    bool enabled_ = false;
    std::int64_t due_ = 0;
    std::uint64_t seq_ = 0;
};

FakeClock::FakeClock(DateTime start) : nowMs_(start.toLinearMs()) {}

FakeClock::~FakeClock() = default;

std::unique_ptr<Timer> FakeClock::create(std::function<void()> onTick, int intervalMs)
{
    return std::make_unique<FakeTimer>(*this, std::move(onTick), intervalMs);
}

void FakeClock::advanceMs(std::int64_t ms)
{
    const std::int64_t target = nowMs_ + std::max<std::int64_t>(ms, 0);
    for (;;) {
        FakeTimer* next = nullptr;
        for (FakeTimer* t : timers_) {
            if (!t->runnable() || t->due() > target)
                continue;
            if (!next || t->due() < next->due() || (t->due() == next->due() && t->seq() < next->seq()))
                next = t;
        }
        if (!next)
            break;
        nowMs_ = std::max(nowMs_, next->due());
        next->fire();
    }
    nowMs_ = target;
}

void FakeClock::setNow(DateTime t)
{
    const std::int64_t delta = t.toLinearMs() - nowMs_;
    nowMs_ += delta;
    for (FakeTimer* timer : timers_)
        timer->shift(delta);
}

int FakeClock::enabledTimerCount() const
{
    return static_cast<int>(std::count_if(timers_.begin(), timers_.end(), [](const FakeTimer* t) { return t->enabled(); }));
}

} // namespace tb
