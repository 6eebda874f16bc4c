#include "TemperFixture.h"

#include "temperature/mReg.h"

using namespace tb;
using namespace tb::test;

namespace {
class ReadingStore : public TemperFixture {};
}

TEST_F(ReadingStore, FirstRunWithoutRegistryGivesTheDefaults)
{
    auto t = make();
    EXPECT_EQ(t->valTemper(), 0.0);
    EXPECT_EQ(t->valTemperPrev(), 0.0);
    EXPECT_EQ(t->valTime(), DateTime::of(2012, 10, 24, 18, 33));
    EXPECT_EQ(t->TemperCor(), 0.0);
    EXPECT_EQ(registry.writeCount(), 0) << "reading the defaults writes nothing";
}

TEST_F(ReadingStore, ReadingIsStoredUncorrectedAndAnnouncedCorrected)
{
    auto t = started(QStringLiteral("127.0.0.1"));
    t->setTemperCor(1.5);
    reply(QStringLiteral("24.10.2012 18:33 -3"));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_DOUBLE_EQ(received[0].temperature, -1.5);
    EXPECT_EQ(received[0].time, DateTime::of(2012, 10, 24, 18, 33));
    EXPECT_EQ(registryText(QStringLiteral("Temper")), QStringLiteral("-3"));
    EXPECT_EQ(registryText(QStringLiteral("Time")), QStringLiteral("24.10.2012 18:33:00"));
    EXPECT_EQ(registryText(QStringLiteral("TCorrect")), QStringLiteral("1,5"));
}

TEST_F(ReadingStore, CorrectionChangesBothReadingsAtOnceWithoutAnEvent)
{
    auto t = started(QStringLiteral("127.0.0.1"));
    reply(QStringLiteral("24.10.2012 18:33 -5.3"));
    reply(QStringLiteral("24.10.2012 18:43 -4.1"));
    received.clear();
    changedKeys.clear();
    t->setTemperCor(2);
    EXPECT_DOUBLE_EQ(t->valTemper(), -2.1);
    EXPECT_DOUBLE_EQ(t->valTemperPrev(), -3.3);
    EXPECT_EQ(registryText(QStringLiteral("TCorrect")), QStringLiteral("2"));
    EXPECT_EQ(registryText(QStringLiteral("Temper")), QStringLiteral("-4,1")) << "the raw value stays stored";
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(changedKeys, QStringList{QStringLiteral("TemperCor")});
}

TEST_F(ReadingStore, WithoutSave2RegTheEventStillComesButNothingIsWritten)
{
    auto t = started(QStringLiteral("127.0.0.1"));
    t->setSave2Reg(false);
    reply(QStringLiteral("24.10.2012 18:33 -5.3"));
    EXPECT_EQ(received.size(), 1u);
    EXPECT_EQ(registryText(QStringLiteral("Temper")), QStringLiteral("<missing>"));
    EXPECT_EQ(registryText(QStringLiteral("Time")), QStringLiteral("<missing>"));
}

TEST_F(ReadingStore, ANewComponentRestoresTheLastReadingAndCorrection)
{
    {
        auto t = started(QStringLiteral("127.0.0.1"));
        t->setTemperCor(-0.5);
        reply(QStringLiteral("01.12.2023 07:15 12.25"));
    }
    auto again = make();
    EXPECT_DOUBLE_EQ(again->valTemper(), 11.75);
    EXPECT_DOUBLE_EQ(again->valTemperPrev(), 11.75) << "the previous reading starts equal to the restored one";
    EXPECT_EQ(again->valTime(), DateTime::of(2023, 12, 1, 7, 15));
    EXPECT_DOUBLE_EQ(again->TemperCor(), -0.5);
}

TEST_F(ReadingStore, EnglishRegionalFormatsRoundTrip)
{
    regional = Regional::english();
    {
        auto t = started(QStringLiteral("127.0.0.1"));
        t->setTemperCor(0.25);
        reply(QStringLiteral("01.12.2023 19:15 -12.5"));
    }
    EXPECT_EQ(registryText(QStringLiteral("Temper")), QStringLiteral("-12.5"));
    EXPECT_EQ(registryText(QStringLiteral("Time")), QStringLiteral("12/1/2023 7:15:00 PM"));
    auto again = make();
    EXPECT_DOUBLE_EQ(again->valTemper(), -12.25);
    EXPECT_EQ(again->valTime(), DateTime::of(2023, 12, 1, 19, 15));
}

TEST_F(ReadingStore, StoredTextsThatNoLongerConvertFallBackToTheirDefaults)
{
    const QString key = ctlTemper::registryKey();
    mReg::RegWriteStr(registry, RegRoot::CurrentUser, key, QStringLiteral("Temper"), QStringLiteral("-5.3")); // point, not comma
    mReg::RegWriteStr(registry, RegRoot::CurrentUser, key, QStringLiteral("Time"), QStringLiteral("вчера"));
    registry.setValue(RegRoot::CurrentUser, key, QStringLiteral("TCorrect"), RegValue::dword(3)); // not a string
    auto t = make();
    EXPECT_EQ(t->valTemper(), 0.0);
    EXPECT_EQ(t->valTime(), DateTime::of(2012, 10, 24, 18, 33));
    EXPECT_EQ(t->TemperCor(), 0.0);
}

TEST_F(ReadingStore, ARegistryThatCannotBeWrittenLosesNothingElse)
{
    auto t = started(QStringLiteral("127.0.0.1"));
    registry.setWritable(false);
    reply(QStringLiteral("24.10.2012 18:33 -5.3"));
    t->setTemperCor(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_DOUBLE_EQ(t->valTemper(), -4.3);
}

TEST_F(ReadingStore, AFloodOfRepliesIsAnnouncedButNotWrittenToDiskEachTime)
{
    auto t = started(QStringLiteral("127.0.0.1"));
    const int before = registry.writeCount();
    // 177 different readings within one second, then the same reading 100 times more.
    for (int i = 0; i < 177; ++i)
        reply(QStringLiteral("24.10.2012 18:33 %1").arg(i - 50));
    for (int i = 0; i < 100; ++i)
        reply(QStringLiteral("24.10.2012 18:33 126"));
    EXPECT_EQ(received.size(), 277u) << "every reply is still taken";
    constexpr int kValuesASave = 2; // the reading and its time
    EXPECT_LE(registry.writeCount() - before, 2 * kValuesASave);
    // The poll clock's next tick in a later second stores the last reading.
    clock.advanceSecs(1);
    EXPECT_EQ(registryText(QStringLiteral("Temper")), QStringLiteral("126"));
    EXPECT_EQ(registry.writeCount() - before, 3 * kValuesASave);
}
