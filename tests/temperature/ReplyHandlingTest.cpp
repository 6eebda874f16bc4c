#include "TemperFixture.h"
#include "temperature/ComponentError.h"

using namespace tb;
using namespace tb::test;

namespace {

class Replies : public TemperFixture {
protected:
    void SetUp() override
    {
        // Two hosts, so that a request waits for its answer with the time-out running.
        t = started(QStringLiteral("127.0.0.1,127.0.0.2"));
        ASSERT_TRUE(t->tmr(1)->enabled());
    }
    std::unique_ptr<ctlTemper> t;
};

} // namespace

TEST_F(Replies, TheDocumentedTemperatureReply)
{
    reply(QStringLiteral("24.10.2012 18:33 -5.3"));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(t->valTime(), DateTime::of(2012, 10, 24, 18, 33));
    EXPECT_DOUBLE_EQ(t->valTemper(), -5.3);
    EXPECT_EQ(t->StatIn(), 1);
    EXPECT_FALSE(t->tmr(1)->enabled());
}

TEST_F(Replies, EveryLengthFromZeroToForty)
{
    for (int n = 0; n <= 40; ++n) {
        const bool wasWaiting = t->tmr(1)->enabled();
        QByteArray d = QByteArray("24.10.2012 18:33 -5.3").leftJustified(n, '7', true);
        received.clear();
        reply(d);
        EXPECT_EQ(t->StatIn(), n + 1) << "every datagram counts, length " << n;
        const bool read = n >= 1 && n <= 30;
        if (read)
            EXPECT_FALSE(t->tmr(1)->enabled()) << n;
        else
            EXPECT_EQ(t->tmr(1)->enabled(), wasWaiting) << "an unread datagram leaves the time-out alone, length " << n;
        EXPECT_EQ(received.size(), n >= 18 && n <= 30 ? 1u : 0u) << n;
        t->tmr(1)->enabled() ? void() : t->Opros(); // wait again for the next length
    }
    EXPECT_TRUE(processes.attempts.empty()) << "the short ones read as newer versions, but the notice program is not there";
}

TEST_F(Replies, AThirtyOneByteDatagramIsNotRead)
{
    reply(QByteArray(31, 'x'));
    EXPECT_EQ(t->StatIn(), 1);
    EXPECT_TRUE(t->tmr(1)->enabled());
}

TEST_F(Replies, ATwelveByteDatagramEndsTheWaitAndYieldsNothing)
{
    reply(QByteArray("hello there!"));
    EXPECT_EQ(t->StatIn(), 1);
    EXPECT_FALSE(t->tmr(1)->enabled());
    EXPECT_TRUE(received.empty());
}

TEST_F(Replies, AFieldWithoutANumberReadsAsZeroAndIsAccepted)
{
    reply(QStringLiteral("24.10.2012 18:33 abc"));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].temperature, 0.0);
}

TEST_F(Replies, MisplacedSpacesAreIgnored)
{
    reply(QStringLiteral("4.10.2012 18:33 -5.3"));      // first space at 10
    reply(QStringLiteral("24.10.2012 8:33 -5.3000"));   // second space at 16
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(t->StatIn(), 2);
}

TEST_F(Replies, AReplyThatIsNotUnderstoodLeavesTheReadingAlone)
{
    reply(QStringLiteral("24.10.2012 18:33 -5.3"));
    t->Opros();
    reply(QStringLiteral("24.10.2012 18:43 -4.0"));
    reply(QStringLiteral("31.02.2012 18:53 -1.0")); // no such date
    reply(QStringLiteral("24.10.2012 18:53 ") + QString(8, u'9') + QStringLiteral("РР")); // bytes above 127
    EXPECT_DOUBLE_EQ(t->valTemperPrev(), -4.0) << "the reading before stays: a failed reply shifts nothing";
    EXPECT_DOUBLE_EQ(t->valTemper(), 99999999.0);
    EXPECT_EQ(received.size(), 3u);
}

TEST_F(Replies, StrangersCannotAnswer)
{
    reply(QStringLiteral("24.10.2012 18:33 99"), QStringLiteral("127.0.0.9"));     // never asked
    udp.inject(QByteArray("24.10.2012 18:33 99"), QStringLiteral("127.0.0.1"), 25003); // wrong port
    udp.inject(QByteArray("9.9"), QStringLiteral("127.0.0.66"), 25002);             // a "newer version"
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(t->StatIn(), 0);
    EXPECT_EQ(t->StatRejected(), 3);
    EXPECT_TRUE(t->tmr(1)->enabled()) << "the wait goes on";
    EXPECT_TRUE(processes.attempts.empty());
}

TEST_F(Replies, ALateAnswerFromTheHostAskedBeforeStillCounts)
{
    clock.advanceMs(2000); // host 0 was silent: host 1 is asked now
    ASSERT_EQ(requestedHosts(), (QStringList{QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.2")}));
    reply(QStringLiteral("24.10.2012 18:33 -5.3"), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(received.size(), 1u);
    EXPECT_EQ(t->providerTable()[0].CurHost, 1) << "the current host is not changed by a reply";
}

TEST_F(Replies, HostNamesAreCheckedByTheAddressTheyResolvedTo)
{
    t->BeginStop();
    udp.addHostName(QStringLiteral("thermo.local"), QStringLiteral("127.0.0.7"));
    t->setProvIP(QStringLiteral("thermo.local"));
    t->BeginStart();
    reply(QStringLiteral("24.10.2012 18:33 -5.3"), QStringLiteral("127.0.0.7"));
    EXPECT_EQ(received.size(), 1u);
}

namespace {
class VersionReplies : public Replies {
protected:
    void SetUp() override
    {
        Replies::SetUp();
        processes.files.insert(QStringLiteral("/opt/tb/VerShow.dll"));
    }
};
} // namespace

TEST_F(VersionReplies, ANewerVersionStartsTheNotice)
{
    reply(QByteArray("1.5")); // 1.05 against 1.04
    ASSERT_EQ(processes.started.size(), 1u);
    EXPECT_EQ(processes.started[0].program, QStringLiteral("/opt/tb/VerShow.dll"));
    EXPECT_EQ(processes.started[0].arguments, QStringList{QStringLiteral("/v1.5")});
    reply(QByteArray("2"));
    reply(QByteArray("1,12"));
    EXPECT_EQ(processes.started.size(), 3u);
    EXPECT_EQ(processes.started[2].arguments, QStringList{QStringLiteral("/v1.12")});
}

TEST_F(VersionReplies, SameOrOlderOrMalformedStartsNothing)
{
    for (const char* v : {"1.4", "1.04", "1", "0.99", ".5", "1.2.3", "abc", "-2", "32768", ",", "1,ж"})
        reply(QByteArray(v));
    EXPECT_TRUE(processes.attempts.empty());
}

TEST_F(VersionReplies, AMissingOrBrokenNoticeProgramChangesNothingElse)
{
    processes.files.clear();
    reply(QByteArray("9.9"));
    EXPECT_TRUE(processes.attempts.empty());
    processes.files.insert(QStringLiteral("/opt/tb/VerShow.dll"));
    processes.startsFail = true;
    reply(QByteArray("9.9"));
    EXPECT_EQ(processes.attempts.size(), 1u);
    EXPECT_TRUE(processes.started.empty());
    t->Opros();
    reply(QStringLiteral("24.10.2012 18:33 -5.3"));
    EXPECT_EQ(received.size(), 1u) << "readings go on";
}

TEST_F(TemperFixture, RequestWordAndProgramId)
{
    auto t = make();
    t->setStrZapros(QString());
    EXPECT_EQ(t->strZapros(), QStringLiteral("$vox"));
    EXPECT_EQ(toAnsi(t->ZaprosLine()), QByteArray("tx$vox") + char((36 + 118 + 111 + 120) % 256));
    t->setStrZapros(QStringLiteral("abc"));
    EXPECT_EQ(toAnsi(t->ZaprosLine()).toHex(' '), "74 78 61 62 63 26");
    try {
        t->setStrZapros(QString(200, QChar(u'я')));
        FAIL();
    } catch (const ComponentError& e) {
        EXPECT_EQ(e.number(), kErrOverflow);
    }
    EXPECT_EQ(t->strZapros(), QStringLiteral("abc")) << "a refused word changes nothing";

    t->setProgId(QStringLiteral("ABC"));
    EXPECT_EQ(t->ProgId(), QStringLiteral("C"));
    t->setProgId(QStringLiteral("X="));
    EXPECT_EQ(t->ProgId(), QStringLiteral("C"));
    t->setProgId(QString(QChar(3)));
    EXPECT_EQ(toAnsi(QStringLiteral("v") + t->ProgId()).toHex(), "7603");
    t->setProgId(QString());
    EXPECT_EQ(t->ProgId(), QString());
}
