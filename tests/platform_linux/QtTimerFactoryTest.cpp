#include "QtTestLoop.h"
#include "platform/linux/QtTimerFactory.h"

#include <QElapsedTimer>

using namespace tb;
using tb::test::runFor;
using tb::test::waitUntil;

namespace {
[[maybe_unused]] auto* const appEnvironment = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<QCoreApplication>);
}

TEST(QtTimerFactory, TicksOnlyWhileEnabledWithAPositiveInterval)
{
    QtTimerFactory factory;
    int ticks = 0;
    auto timer = factory.create([&] { ++ticks; }, 10);
    runFor(60);
    EXPECT_FALSE(timer->enabled());
    EXPECT_EQ(ticks, 0);

    timer->setEnabled(true);
    EXPECT_TRUE(waitUntil([&] { return ticks >= 3; }));

    for (int ms : {0, -5}) {
        timer->setInterval(ms);
        ticks = 0;
        runFor(60);
        EXPECT_EQ(ticks, 0) << "interval " << ms;
    }
    timer->setInterval(10); // still enabled: it runs again
    EXPECT_TRUE(waitUntil([&] { return ticks >= 1; }));

    timer->setEnabled(false);
    ticks = 0;
    runFor(60);
    EXPECT_EQ(ticks, 0);

    timer->setEnabled(true);
    timer.reset(); // destroyed while running
    runFor(60);
    EXPECT_EQ(ticks, 0);
}

TEST(QtTimerFactory, IntervalChangeStartsAFullPeriodFromNow)
{
    QtTimerFactory factory;
    QElapsedTimer elapsed;
    std::vector<qint64> ticks;
    auto timer = factory.create([&] { ticks.push_back(elapsed.elapsed()); }, 300);
    elapsed.start();
    timer->setEnabled(true);
    runFor(200);
    const qint64 restartedAt = elapsed.elapsed();
    timer->setInterval(300);
    ASSERT_TRUE(waitUntil([&] { return !ticks.empty() && ticks.back() >= restartedAt; }));
    // Without the restart the tick would come about 100 ms after it (a busy machine may
    // only make it later).
    EXPECT_GE(ticks.back(), restartedAt + 298);
}

TEST(QtTimerFactory, ATickMayDestroyItsOwnTimer)
{
    QtTimerFactory factory;
    std::unique_ptr<Timer> timer;
    int ticks = 0;
    timer = factory.create([&] {
        ++ticks;
        timer.reset();
    }, 5);
    timer->setEnabled(true);
    ASSERT_TRUE(waitUntil([&] { return !timer; }));
    runFor(50);
    EXPECT_EQ(ticks, 1);

    // The tick runs a nested event loop (as a modal message box does), in which another timer
    // destroys this one; the tick then returns into a timer that is gone.
    ticks = 0;
    timer = factory.create([&] {
        ++ticks;
        waitUntil([&] { return !timer; }, 2000);
    }, 5);
    auto other = factory.create([&] {
        if (ticks > 0)
            timer.reset();
    }, 20);
    timer->setEnabled(true);
    other->setEnabled(true);
    ASSERT_TRUE(waitUntil([&] { return !timer; }));
    runFor(50);
    EXPECT_EQ(ticks, 1);
}
