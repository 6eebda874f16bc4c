#include "TemperFixture.h"
#include "temperature/ReadingAge.h"

using namespace tb;

TEST(ReadingAge, TextFromMinuteBoundaries)
{
    const DateTime now = DateTime::of(2024, 3, 10, 12, 0, 30);
    EXPECT_EQ(DifTimeText(now.addSecs(-7 * 60), now), QStringLiteral("0:07"));
    EXPECT_EQ(DifTimeText(now.addSecs(-125 * 60), now), QStringLiteral("2:05"));
    EXPECT_EQ(DifTimeText(now.addSecs(-((24 + 3) * 60 + 9) * 60), now), QStringLiteral("1д. 3:09"));
    EXPECT_EQ(DifTimeText(now.addSecs(-1440 * 60), now), QStringLiteral("1д. 0:00"));
    EXPECT_EQ(DifTimeText(now.addSecs(-(40 * 1440 + 23 * 60 + 59) * 60), now), QStringLiteral("40д. 23:59"));
    // 59 seconds: one boundary if a minute starts in between, none otherwise.
    EXPECT_EQ(DifTimeText(DateTime::of(2024, 3, 10, 11, 59, 40), DateTime::of(2024, 3, 10, 12, 0, 39)), QStringLiteral("0:01"));
    EXPECT_EQ(DifTimeText(DateTime::of(2024, 3, 10, 12, 0, 0), DateTime::of(2024, 3, 10, 12, 0, 59)), QStringLiteral("0:00"));
    // A reading time ahead of the clock shows no age rather than negative parts.
    EXPECT_EQ(DifTimeText(now.addSecs(3600), now), QStringLiteral("0:00"));
}

namespace {
class ReadingAgeEvents : public tb::test::TemperFixture {};
}

TEST_F(ReadingAgeEvents, DifTimeStrFollowsTheClock)
{
    auto t = make();
    t->setValTime(clock.now().addSecs(-30));
    clock.advanceSecs(60 * 61);
    // 62 minute boundaries lie between 9:59:30 and 11:01:00.
    EXPECT_EQ(t->DifTimeStr(), QStringLiteral("1:02"));
    try {
        t->setDifTimeStr(QStringLiteral("x"));
        FAIL();
    } catch (const ComponentError& e) {
        EXPECT_EQ(e.number(), 382);
    }
}

TEST_F(ReadingAgeEvents, ShortPeriodAlternatesShowAndHide)
{
    auto t = make();
    t->setDifTimePeriod(1);
    t->setDifTimeDlit(500);
    t->setProvIP(QStringLiteral("127.0.0.1"));
    t->BeginStart();
    clock.advanceMs(999);
    EXPECT_TRUE(difTimeSet.empty());
    clock.advanceMs(1); // 1000 ms: one tick of the period clock
    EXPECT_EQ(difTimeSet, std::vector<bool>{true});
    EXPECT_FALSE(t->tmr(2)->enabled());
    EXPECT_TRUE(t->TmrLoaded(3));
    clock.advanceMs(500);
    EXPECT_EQ(difTimeSet, (std::vector<bool>{true, false}));
    EXPECT_FALSE(t->TmrLoaded(3));
    clock.advanceMs(1000);
    EXPECT_EQ(difTimeSet, (std::vector<bool>{true, false, true}));
    clock.advanceMs(10 * 1500);
    EXPECT_EQ(difTimeSet.size(), 23u);
    for (std::size_t i = 0; i < difTimeSet.size(); ++i)
        EXPECT_EQ(difTimeSet[i], i % 2 == 0);
}

TEST_F(ReadingAgeEvents, DefaultsShowForOneSecondEverySixteen)
{
    auto t = started(QStringLiteral("127.0.0.1"));
    clock.advanceSecs(15);
    EXPECT_EQ(difTimeSet, std::vector<bool>{true});
    clock.advanceSecs(1);
    EXPECT_EQ(difTimeSet, (std::vector<bool>{true, false}));
    clock.advanceSecs(16 * 10);
    EXPECT_EQ(difTimeSet.size(), 22u);
}

TEST_F(ReadingAgeEvents, SwitchedOffNothingComesAndTheCountStaysZero)
{
    auto t = make();
    t->setDifTimeEvent(false);
    t->BeginStart();
    clock.advanceSecs(120);
    EXPECT_TRUE(difTimeSet.empty());
    EXPECT_EQ(t->DifTimeTicks(), 0);
}

TEST_F(ReadingAgeEvents, StopDuringTheShowPhaseDestroysTheDurationTimerSilently)
{
    auto t = make();
    t->setDifTimePeriod(2);
    t->BeginStart();
    clock.advanceSecs(2);
    ASSERT_TRUE(t->TmrLoaded(3));
    t->BeginStop();
    EXPECT_FALSE(t->TmrLoaded(3));
    EXPECT_EQ(t->tmr(3), nullptr);
    clock.advanceSecs(10);
    EXPECT_EQ(difTimeSet, std::vector<bool>{true}) << "no closing event after a stop";
}

TEST_F(ReadingAgeEvents, AHostMayStopTheSourceFromInsideTheEvent)
{
    auto t = make();
    t->setDifTimePeriod(1);
    t->BeginStart();
    t->DifTimeSet = [&](bool) { t->BeginStop(); };
    clock.advanceSecs(5);
    EXPECT_FALSE(t->isStarted());
    EXPECT_EQ(clock.timerCount(), 1) << "only the poll clock is left";
}
