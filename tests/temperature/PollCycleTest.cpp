#include "TemperFixture.h"
#include "temperature/ComponentError.h"

using namespace tb;
using namespace tb::test;

namespace {

class PollCycle : public TemperFixture {
protected:
    const QString fourHosts = QStringLiteral("127.0.0.1,127.0.0.2,127.0.0.3,127.0.0.4");

    // Seconds since the start of the test of every temperature request.
    std::vector<double> requestTimes(std::int64_t startMs) const
    {
        std::vector<double> out;
        for (const auto& s : udp.sent)
            if (s.data.startsWith("tx"))
                out.push_back(double(s.atMs - startMs) / 1000.0);
        return out;
    }
    // A server on `address` answering every temperature request at once.
    void answerFrom(const QString& address)
    {
        udp.onSend = [this, address](const FakeUdpPort::Sent& s) {
            if (s.address == address && s.data.startsWith("tx"))
                reply(QStringLiteral("24.10.2012 18:33 -5.3"), address);
        };
    }
};

} // namespace

TEST_F(PollCycle, AnAnsweringServerIsAskedEveryPollPeriod)
{
    answerFrom(QStringLiteral("127.0.0.1"));
    const auto start = clock.nowMs();
    auto t = started(QStringLiteral("127.0.0.1"), 20);
    clock.advanceSecs(100);
    EXPECT_EQ(requestTimes(start), (std::vector<double>{0, 20, 40, 60, 80, 100}));
    EXPECT_EQ(received.size(), 6u);
    EXPECT_EQ(t->StatOut(), 6);
}

TEST_F(PollCycle, StartingMidSecondPollsWithinOneSecondOfThePeriod)
{
    clock.advanceMs(700);
    const auto start = clock.nowMs();
    auto t = started(QStringLiteral("127.0.0.1"), 20);
    clock.advanceSecs(61);
    // Checked once a second, counting second boundaries: 19.3 s after a send at x.7 s.
    EXPECT_EQ(requestTimes(start), (std::vector<double>{0, 20, 40, 60}));
    (void)t;
}

TEST_F(PollCycle, FourSilentHostsAreTriedTwoSecondsApartThenNothingUntilThePeriod)
{
    const auto start = clock.nowMs();
    auto t = started(fourHosts, 20);
    clock.advanceSecs(25);
    EXPECT_EQ(requestTimes(start), (std::vector<double>{0, 2, 4, 6}));
    EXPECT_EQ(requestedHosts(), fourHosts.split(QLatin1Char(',')));
    EXPECT_EQ(t->providerTable()[0].CurHost, 0);
    EXPECT_FALSE(t->tmr(1)->enabled());
    clock.advanceSecs(1); // 20 s after the fourth request: host 0 again
    EXPECT_EQ(requestTimes(start).back(), 26);
    EXPECT_EQ(requestedHosts().back(), QStringLiteral("127.0.0.1"));
}

TEST_F(PollCycle, OnceTheOnlyAnsweringHostHasAnsweredEveryPollGoesStraightToIt)
{
    answerFrom(QStringLiteral("127.0.0.3"));
    auto t = started(fourHosts, 20);
    clock.advanceSecs(4);
    EXPECT_EQ(requestedHosts().size(), 3u);
    clock.advanceSecs(200);
    const QStringList hosts = requestedHosts();
    EXPECT_EQ(hosts.size(), 13u);
    for (qsizetype i = 2; i < hosts.size(); ++i)
        EXPECT_EQ(hosts[i], QStringLiteral("127.0.0.3"));
    EXPECT_EQ(received.size(), 11u);
    EXPECT_EQ(t->providerTable()[0].CurHost, 2);
}

TEST_F(PollCycle, AReplyOfTheWrongLengthEndsTheWaitAndKeepsTheHost)
{
    udp.onSend = [this](const FakeUdpPort::Sent& s) {
        if (s.address == QStringLiteral("127.0.0.2"))
            reply(QByteArray("wrong length"), s.address);
    };
    auto t = started(fourHosts, 20);
    clock.advanceSecs(60);
    EXPECT_EQ(requestedHosts(), (QStringList{QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.2"),
                                             QStringLiteral("127.0.0.2"), QStringLiteral("127.0.0.2")}));
    EXPECT_EQ(t->providerTable()[0].CurHost, 1);
    EXPECT_TRUE(received.empty());
}

TEST_F(PollCycle, ASingleHostGroupNeverWaits)
{
    const auto start = clock.nowMs();
    auto t = started(QStringLiteral("127.0.0.1"), 10);
    EXPECT_FALSE(t->tmr(1)->enabled());
    clock.advanceSecs(30);
    EXPECT_EQ(requestTimes(start), (std::vector<double>{0, 10, 20, 30}));
    EXPECT_FALSE(t->tmr(1)->enabled());
}

TEST_F(PollCycle, ZeroOrNegativePeriodPollsEverySecond)
{
    for (int period : {0, -5}) {
        udp.sent.clear();
        const auto start = clock.nowMs();
        auto t = started(QStringLiteral("127.0.0.1"), period);
        clock.advanceSecs(3);
        EXPECT_EQ(requestTimes(start), (std::vector<double>{0, 1, 2, 3})) << period;
        t->BeginStop();
    }
}

TEST_F(PollCycle, AClockSetBackDoesNotStopPolling)
{
    answerFrom(QStringLiteral("127.0.0.1"));
    auto t = started(QStringLiteral("127.0.0.1"), 20);
    clock.advanceSecs(10);
    clock.setNow(clock.now().addSecs(-3600)); // the autumn change from summer time
    clock.advanceSecs(1);
    EXPECT_EQ(requestedHosts().size(), 2u) << "polled at the next tick, not an hour later";
    clock.advanceSecs(20);
    EXPECT_EQ(requestedHosts().size(), 3u) << "and every period from then on";
    EXPECT_EQ(received.size(), 3u);
}

TEST_F(PollCycle, OprosBeforeBeginStartIsAnErrorToTheCaller)
{
    auto t = make();
    try {
        t->Opros();
        FAIL();
    } catch (const ComponentError& e) {
        EXPECT_EQ(e.number(), kErrNoSuchTimer);
    }
    EXPECT_TRUE(udp.sent.empty());
}

TEST_F(PollCycle, StopTwiceAndStartAgain)
{
    auto t = started(fourHosts, 20);
    ASSERT_TRUE(t->TmrLoaded(1));
    ASSERT_TRUE(t->TmrLoaded(2));
    t->BeginStop();
    EXPECT_FALSE(t->TmrLoaded(1));
    EXPECT_FALSE(t->TmrLoaded(2));
    EXPECT_EQ(clock.timerCount(), 1);
    EXPECT_EQ(clock.enabledTimerCount(), 0);
    EXPECT_FALSE(udp.isBound());
    t->BeginStop();
    EXPECT_EQ(udp.closeCount, 2);
    const auto sentBefore = udp.sent.size();
    clock.advanceSecs(100);
    EXPECT_EQ(udp.sent.size(), sentBefore) << "a stopped source sends nothing";
    t->BeginStart();
    EXPECT_EQ(udp.sent.size(), sentBefore + 1);
    t->BeginStart(); // starting again restarts rather than leaking timers
    EXPECT_EQ(clock.timerCount(), 3);
}

TEST_F(PollCycle, ABlockedPortIsToldInItsOwnWordsAndRaised)
{
    udp.setBindResult({87, QStringLiteral("Permission denied")});
    auto t = make();
    try {
        t->BeginStart();
        FAIL();
    } catch (const ComponentError& e) {
        EXPECT_EQ(e.number(), 87);
    }
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].icon, MessageBoxes::Icon::Critical);
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("Блокировано открытие порта..."));
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Какая-то программа защиты не даёт работать с сетью.\r\n"
                                                  "Возможно антивирус или фаервол.\r\nРабота программы невозможна!"));
    EXPECT_FALSE(t->isStarted());
    EXPECT_TRUE(udp.sent.empty());
    clock.advanceSecs(100);
    EXPECT_TRUE(udp.sent.empty());
}

TEST_F(PollCycle, AnyOtherBindFailureShowsItsNumberAndDescription)
{
    udp.setBindResult({10048, QStringLiteral("Address in use")});
    auto t = make();
    EXPECT_THROW(t->BeginStart(), ComponentError);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("Ошибка загрузки формы..."));
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Номер: 10048\r\nAddress in use"));
}

TEST_F(PollCycle, TheVersionIsAskedWithTheFirstReadingAndThenHourly)
{
    answerFrom(QStringLiteral("127.0.0.1"));
    auto t = make();
    t->setProvIP(QStringLiteral("127.0.0.1"));
    t->setProgId(QString(QChar(3)));
    t->setOprosTime(600);
    t->BeginStart();
    clock.advanceSecs(600); // two readings 10 minutes apart
    EXPECT_EQ(received.size(), 2u);
    EXPECT_EQ(versionRequests(), 1);
    EXPECT_EQ(udp.sent[1].data, QByteArray("v\x03"));
    clock.advanceSecs(3000); // the reading at 3600 s is the next one an hour on
    EXPECT_EQ(versionRequests(), 2);
}

TEST_F(PollCycle, WithTheCheckOffNoVersionRequestGoesOutButTheHourStillMoves)
{
    answerFrom(QStringLiteral("127.0.0.1"));
    auto t = make();
    t->setProvIP(QStringLiteral("127.0.0.1"));
    t->setProgId(QString(QChar(3)));
    t->setCheckVer(false);
    t->BeginStart();
    EXPECT_EQ(t->LastVerTime(), clock.now());
    clock.advanceSecs(7200);
    EXPECT_EQ(versionRequests(), 0);
    EXPECT_EQ(t->LastVerTime(), clock.now());
}

// A whole day against a flapping server: host 0 answers every second temperature request
// it gets (and every version request), host 1 never answers. Per 42 s after the first poll:
// an answered poll, then an unanswered one, host 1 two seconds later, and the next poll 20 s
// after that. The counts below follow from that rhythm.
TEST_F(PollCycle, ASimulatedDayAgainstAFlappingServer)
{
    int asked = 0;
    udp.onSend = [&](const FakeUdpPort::Sent& s) {
        if (s.address != QStringLiteral("127.0.0.1"))
            return;
        if (s.data.startsWith('v'))
            reply(QByteArray("1.4"), s.address);
        else if (++asked % 2 == 0)
            reply(QStringLiteral("24.10.2012 18:33 -5.3"), s.address);
    };
    auto t = make();
    t->setProvIP(QStringLiteral("127.0.0.1,127.0.0.2"));
    t->setProgId(QString(QChar(3)));
    t->setOprosTime(20);
    t->setDifTimeEvent(false);
    t->BeginStart();
    clock.advanceSecs(24 * 3600);

    // Readings at 22 + 42k s; unanswered polls at 0 and 42 + 42k s, each followed by host 1.
    EXPECT_EQ(received.size(), 2057u);
    EXPECT_EQ(requestedHosts().size(), 2057u + 2 * 2058u);
    EXPECT_EQ(versionRequests(), 24);
    EXPECT_EQ(t->StatIn(), 2057 + 24);
    EXPECT_EQ(t->StatOut(), int(udp.sent.size()));
    EXPECT_TRUE(processes.attempts.empty());
}
