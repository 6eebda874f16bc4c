#include "TemperFixture.h"

#include <map>

using namespace tb;
using namespace tb::test;

namespace {

const QString kA = QStringLiteral("127.0.0.1");
const QString kB = QStringLiteral("127.0.0.2");
const QString kC = QStringLiteral("127.0.0.3");

class SimulatedWeek : public TemperFixture {
protected:
    SimulatedWeek() { clock.setNow(DateTime::of(2024, 3, 4, 0, 0, 0)); } // a Monday, midnight

    // Hosts A, B and C in group 0, a poll every 20 s, the version asked with its hourly check,
    // the reading-age event every 600 ticks shown for 5 s.
    std::unique_ptr<ctlTemper> startWeek()
    {
        processes.files.insert(QStringLiteral("/opt/tb/VerShow.dll"));
        auto t = make();
        t->setProvIP(kA + QLatin1Char(',') + kB + QLatin1Char(',') + kC);
        t->setProgId(QString(QChar(3)));
        t->setCheckVer(true);
        t->setOprosTime(20);
        t->setDifTimeEvent(true);
        t->setDifTimePeriod(600);
        t->setDifTimeDlit(5000);
        t->BeginStart();
        return t;
    }

    int requestsTo(const QString& address) const
    {
        int n = 0;
        for (const auto& s : udp.sent)
            n += s.address == address && s.data.startsWith("tx") ? 1 : 0;
        return n;
    }
    int count(const std::vector<bool>& events, bool value) const { return int(std::count(events.begin(), events.end(), value)); }
};

} // namespace

// A week against hosts that answer by turns: A answers every third temperature request it gets,
// B every second, C none; A and B answer every version request, with 1.4 (this version) until
// Sunday and 1.5 on Sunday. From the fourth poll on (68 s) the exchange repeats every 108 s:
//   68 A answers | 88 A silent, 90 B answers | 110 B silent, 112 C silent, wait |
//   132 A silent, 134 B answers | 154 B silent, 156 C silent, wait | 176 = 68 + 108
// so 9 temperature requests (A 3, B 4, C 2) and 3 readings a cycle. Before it: A, B, C silent
// (0, 2, 4), then A silent and B answering (24, 26), then B and C silent (46, 48): 7 requests,
// 1 reading. 5599 cycles end at 604760; then A answers (604760), A is silent and B answers
// (604780, 604782): 3 requests, 2 readings. The version is asked at the first reading an hour
// or more after the last check; with readings 22, 44 and 42 s apart the checks come 3606 or
// 3630 s apart: 168 of them, 24 on Sunday, each of those announcing 1.5 to the notice program.
TEST_F(SimulatedWeek, AWeekAgainstHostsAnsweringByTurns)
{
    std::map<QString, int> asked;
    bool sunday = false;
    udp.onSend = [&](const FakeUdpPort::Sent& s) {
        if (s.address == kC)
            return;
        if (s.data.startsWith('v')) {
            reply(QByteArray(sunday ? "1.5" : "1.4"), s.address);
            return;
        }
        const int n = ++asked[s.address];
        if ((s.address == kA && n % 3 == 0) || (s.address == kB && n % 2 == 0))
            reply(QStringLiteral("04.03.2024 10:00 -5.3"), s.address);
    };
    auto t = startWeek();
    const int timers = clock.timerCount();
    clock.advanceSecs(6 * 24 * 3600);
    const auto versionsBeforeSunday = versionRequests();
    sunday = true;
    clock.advanceSecs(24 * 3600);

    EXPECT_EQ(requestedHosts().size(), 7u + 9u * 5599u + 3u);
    EXPECT_EQ(requestsTo(kA), 2 + 3 * 5599 + 2);
    EXPECT_EQ(requestsTo(kB), 3 + 4 * 5599 + 1);
    EXPECT_EQ(requestsTo(kC), 2 + 2 * 5599);
    EXPECT_EQ(received.size(), 1u + 3u * 5599u + 2u);
    EXPECT_EQ(versionRequests(), 168);
    EXPECT_EQ(versionRequests() - versionsBeforeSunday, 24);
    ASSERT_EQ(processes.started.size(), 24u);
    EXPECT_EQ(processes.started.back().arguments, QStringList {QStringLiteral("/v1.5")});
    // Every datagram that came in was counted, every one that went out too.
    EXPECT_EQ(t->StatIn(), int(received.size()) + versionRequests());
    EXPECT_EQ(t->StatOut(), int(udp.sent.size()));
    EXPECT_EQ(t->StatRejected(), 0);
    // The reading-age event: 600 ticks, then shown for 5 s, so every 605 s.
    EXPECT_EQ(count(difTimeSet, true), 999);
    EXPECT_EQ(count(difTimeSet, false), 999);
    EXPECT_EQ(clock.timerCount(), timers);
    EXPECT_EQ(registryText(QStringLiteral("Temper")), QStringLiteral("-5,3"));
}

// A week of outages and clock changes, hour by hour of running time: A is out every third hour,
// B every second hour, C always, and on Thursday every host is out; the clock jumps an hour
// forward early on Tuesday and back early on Saturday; strangers send datagrams every hour.
// Whatever the rhythm: no hour without an answering host gives a reading; every hour with one
// gives its first reading within two poll periods and two failovers of its start (the hosts
// that went out may be asked first); requests stay within what the period and the failovers
// allow; the clock put forward asks the version at the next reading, put back it holds the
// check off by an hour at most, and otherwise the checks are an hour or more apart.
TEST_F(SimulatedWeek, OutagesAndClockChangesNeverStopThePolling)
{
    int hour = 0; // hours of running time passed
    auto up = [&](const QString& address) {
        if (hour / 24 == 3)
            return false;
        return (address == kA && hour % 3 != 2) || (address == kB && hour % 2 == 0);
    };
    std::vector<std::int64_t> readingAt; // running seconds of each reading
    std::vector<std::int64_t> versionAt; // running seconds of each version request
    std::int64_t elapsed = 0; // running seconds at the start of the hour
    std::int64_t startMs = 0; // the clock's ms at the start of the hour
    auto runningSecs = [&] { return elapsed + (clock.nowMs() - startMs) / 1000; };
    udp.onSend = [&](const FakeUdpPort::Sent& s) {
        if (s.data.startsWith('v'))
            versionAt.push_back(runningSecs());
        if (!up(s.address))
            return;
        reply(s.data.startsWith('v') ? QStringLiteral("1.4") : QStringLiteral("04.03.2024 10:00 %1").arg(-hour % 30), s.address);
    };
    startMs = clock.nowMs();
    auto t = startWeek();
    t->TemperReceive = [&](double v, DateTime when) {
        received.push_back({v, when});
        readingAt.push_back(runningSecs());
    };
    const int timers = clock.timerCount();

    std::int64_t forwardAt = -1, backAt = -1;
    for (hour = 0; hour < 168; ++hour) {
        elapsed = std::int64_t(hour) * 3600;
        startMs = clock.nowMs();
        if (hour == 24 + 2) { // Tuesday 02:00 becomes 03:00 (summer time)
            clock.setNow(DateTime::fromLinearMs(clock.nowMs() + 3600'000));
            startMs = clock.nowMs();
            forwardAt = elapsed;
        }
        if (hour == 5 * 24 + 3) { // Saturday 04:00 becomes 03:00 (winter time)
            clock.setNow(DateTime::fromLinearMs(clock.nowMs() - 3600'000));
            startMs = clock.nowMs();
            backAt = elapsed;
        }
        // A stranger's datagram: from a host never asked, and from an asked host's other port.
        reply(QStringLiteral("04.03.2024 10:00 +99"), QStringLiteral("127.0.0.9"));
        udp.inject(toAnsi(QStringLiteral("04.03.2024 10:00 +98")), kA, 40000);

        const auto sentBefore = requestedHosts().size();
        const auto readingsBefore = readingAt.size();
        clock.advanceSecs(3600);
        const auto requests = requestedHosts().size() - sentBefore;
        const bool anyUp = up(kA) || up(kB);
        SCOPED_TRACE("hour " + std::to_string(hour));
        // At least one poll per period; at most a poll and two failovers per 24 s.
        EXPECT_GE(requests, 3600u / 21);
        EXPECT_LE(requests, 3u * 3600u / 24 + 3);
        if (!anyUp) {
            EXPECT_EQ(readingAt.size(), readingsBefore);
            continue;
        }
        ASSERT_GT(readingAt.size(), readingsBefore);
        EXPECT_LE(readingAt[readingsBefore] - elapsed, 2 * 20 + 2 * 2);
    }

    EXPECT_EQ(t->StatRejected(), 2 * 168);
    for (const auto& r : received)
        EXPECT_LT(r.temperature, 1) << "a stranger's reading was taken";
    // Thursday: nothing; Friday: readings from its first poll period.
    EXPECT_EQ(std::count_if(readingAt.begin(), readingAt.end(), [](auto s) { return s >= 72 * 3600 && s < 96 * 3600; }), 0);
    EXPECT_LE(*std::find_if(readingAt.begin(), readingAt.end(), [](auto s) { return s >= 96 * 3600; }) - 96 * 3600, 20 + 2 * 2);
    // Put forward, the clock has passed an hour at once; put back, it counts the last hour again.
    const auto firstReadingAfter
        = [&](std::int64_t at) { return *std::find_if(readingAt.begin(), readingAt.end(), [&](auto s) { return s >= at; }); };
    EXPECT_NE(std::find(versionAt.begin(), versionAt.end(), firstReadingAfter(forwardAt)), versionAt.end());
    ASSERT_GT(versionAt.size(), 100u);
    for (std::size_t i = 1; i < versionAt.size(); ++i) {
        const auto gap = versionAt[i] - versionAt[i - 1];
        if (versionAt[i - 1] < forwardAt && versionAt[i] >= forwardAt)
            continue;
        EXPECT_GE(gap, 3600) << "check " << i;
        if (versionAt[i - 1] < backAt && versionAt[i] >= backAt) {
            EXPECT_LE(gap, 2 * 3600 + 2 * 20 + 2 * 2) << "check " << i;
        }
    }
    EXPECT_EQ(clock.timerCount(), timers);
    EXPECT_EQ(t->StatOut(), int(udp.sent.size()));
}
