#include "platform/fakes/FakeClock.h"

#include <gtest/gtest.h>

#include <string>

using namespace tb;

TEST(FakeClock, FiresDueTicksInTimeOrderAtTheirOwnInstants)
{
    FakeClock clock(DateTime::of(2024, 1, 1));
    const auto start = clock.nowMs();
    std::string log;
    auto a = clock.create([&] { log += "a" + std::to_string(clock.nowMs() - start) + " "; }, 300);
    auto b = clock.create([&] { log += "b" + std::to_string(clock.nowMs() - start) + " "; }, 200);
    a->setEnabled(true);
    b->setEnabled(true);
    clock.advanceMs(650);
    EXPECT_EQ(log, "b200 a300 b400 a600 b600 ");
    EXPECT_EQ(clock.nowMs() - start, 650);
}

TEST(FakeClock, TimersChangedInsideATickTakeEffectAtOnce)
{
    FakeClock clock;
    int ticks = 0;
    std::unique_ptr<Timer> t;
    t = clock.create([&] {
        if (++ticks == 2)
            t.reset(); // a tick may destroy its own timer
    }, 100);
    t->setEnabled(true);
    clock.advanceMs(1000);
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(clock.timerCount(), 0);

    int fast = 0;
    auto u = clock.create([&] { ++fast; }, 0);
    u->setEnabled(true);
    clock.advanceMs(1000);
    EXPECT_EQ(fast, 0) << "an interval of 0 never fires";
    u->setInterval(250); // restarts the period from now
    clock.advanceMs(1000);
    EXPECT_EQ(fast, 4);
}
