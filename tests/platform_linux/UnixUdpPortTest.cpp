#include "LogCapture.h"
#include "ProcessMemory.h"
#include "QtTestLoop.h"
#include "platform/linux/UnixUdpPort.h"

#include <QFile>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <cerrno>
#include <unistd.h>

using namespace tb;
using tb::test::LogCapture;
using tb::test::runFor;
using tb::test::waitUntil;

namespace {

// Every datagram in these tests goes to loopback, whatever the environment says.
class UnixUdpPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("THERMOBADGE_LOOPBACK_ONLY", "1");
        ASSERT_TRUE(listener.bind(QHostAddress::LocalHost, 0));
        ASSERT_TRUE(port.bind().ok());
        port.setArrivalHandler([this](const Datagram& d) { arrivals.push_back(d); });
    }

    // What the listener has received once `count` datagrams are there (or 5 s have passed).
    static QList<QByteArray> receive(QUdpSocket& socket, int count)
    {
        QList<QByteArray> got;
        waitUntil([&] {
            while (socket.hasPendingDatagrams())
                got.append(socket.receiveDatagram().data());
            return got.size() >= count;
        });
        return got;
    }

    SendOutcome sendNow(const QString& host, quint16 to, const QByteArray& data)
    {
        std::vector<SendOutcome> outcomes;
        port.send(host, to, data, [&](const SendOutcome& o) { outcomes.push_back(o); });
        EXPECT_EQ(outcomes.size(), 1u) << "no outcome at once for " << host.toStdString();
        return outcomes.empty() ? SendOutcome{} : outcomes.front();
    }

    QUdpSocket listener;
    UnixUdpPort port;
    std::vector<Datagram> arrivals;
};

[[maybe_unused]] auto* const appEnvironment = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<QCoreApplication>);

} // namespace

TEST_F(UnixUdpPortTest, ExchangesDatagramsWithALoopbackPeer)
{
    EXPECT_TRUE(port.isBound());
    EXPECT_NE(port.localPort(), 0);
    const QByteArray payload("t?\0\xff\r\n", 6);
    const SendOutcome out = sendNow(QStringLiteral("127.0.0.1"), listener.localPort(), payload);
    EXPECT_TRUE(out.sent);
    EXPECT_EQ(out.address, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(sendNow(QStringLiteral("::ffff:127.0.0.1"), listener.localPort(), "m").address, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(receive(listener, 2), (QList<QByteArray>{payload, "m"}));

    listener.writeDatagram("+12.5", QHostAddress::LocalHost, port.localPort());
    ASSERT_TRUE(waitUntil([&] { return !arrivals.empty(); }));
    EXPECT_EQ(arrivals[0].data, "+12.5");
    // The reply's sender reads exactly as the address the request went to, not ::ffff:127.0.0.1.
    EXPECT_EQ(arrivals[0].senderAddress, out.address);
    EXPECT_EQ(arrivals[0].senderPort, listener.localPort());
}

TEST_F(UnixUdpPortTest, ExchangesDatagramsOverIPv6Loopback)
{
    QUdpSocket peer;
    if (!peer.bind(QHostAddress::LocalHostIPv6, 0))
        GTEST_SKIP() << "no IPv6 loopback on this machine";
    const SendOutcome out = sendNow(QStringLiteral("::1"), peer.localPort(), "six");
    EXPECT_TRUE(out.sent);
    EXPECT_EQ(receive(peer, 1), QList<QByteArray>{"six"});
    peer.writeDatagram("back", QHostAddress::LocalHostIPv6, port.localPort());
    ASSERT_TRUE(waitUntil([&] { return !arrivals.empty(); }));
    EXPECT_EQ(arrivals[0].senderAddress, QStringLiteral("::1"));
    EXPECT_EQ(arrivals[0].senderAddress, out.address);
}

TEST_F(UnixUdpPortTest, LooksUpLocalhostWithoutBlockingThenFromItsCache)
{
    std::vector<SendOutcome> outcomes;
    const auto record = [&](const SendOutcome& o) { outcomes.push_back(o); };
    // Sends made while the name is looked up wait for that one lookup and go in their order.
    port.send(QStringLiteral("localhost"), listener.localPort(), "a", record);
    port.send(QStringLiteral("LOCALHOST"), listener.localPort(), "a2", record);
    EXPECT_TRUE(outcomes.empty());
    ASSERT_TRUE(waitUntil([&] { return outcomes.size() == 2; }));
    EXPECT_TRUE(outcomes[0].sent && outcomes[1].sent);
    EXPECT_EQ(outcomes[0].address, QStringLiteral("127.0.0.1")); // IPv4 preferred
    port.send(QStringLiteral("LocalHost"), listener.localPort(), "b", record);
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_TRUE(outcomes[2].sent);
    EXPECT_EQ(receive(listener, 3), (QList<QByteArray>{"a", "a2", "b"}));
    runFor(50);
    EXPECT_EQ(outcomes.size(), 3u);
}

TEST_F(UnixUdpPortTest, RefusesNonLoopbackDestinationsBeforeAnyLookup)
{
    const LogCapture log(nullptr, QtWarningMsg);
    // Port 0: even a broken guard could not put these on the wire.
    const QStringList refused{"203.0.113.25", "temp1.example.net", "nonexistent.invalid", "::ffff:203.0.113.25",
                              "10.1.2.3", "localhost.example.net", ""};
    for (const QString& host : refused)
        EXPECT_FALSE(sendNow(host, 0, "x").sent) << host.toStdString();
    const QStringList warnings = log.texts();
    EXPECT_EQ(warnings.size(), refused.size());
    EXPECT_TRUE(warnings.value(1).contains(QStringLiteral("temp1.example.net")));
}

TEST_F(UnixUdpPortTest, ReportsAFailedLookupOnceAsNotSent)
{
    // The empty name fails inside the resolver without a query; the guard would refuse it
    // before the lookup, so it is off for this one send.
    qunsetenv("THERMOBADGE_LOOPBACK_ONLY");
    std::vector<SendOutcome> outcomes;
    port.send(QString(), listener.localPort(), "x", [&](const SendOutcome& o) { outcomes.push_back(o); });
    qputenv("THERMOBADGE_LOOPBACK_ONLY", "1");
    EXPECT_TRUE(outcomes.empty());
    ASSERT_TRUE(waitUntil([&] { return !outcomes.empty(); }));
    runFor(50);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_FALSE(outcomes[0].sent);
}

TEST_F(UnixUdpPortTest, ClosingOrDestroyingDropsPendingLookups)
{
    int late = 0;
    port.send(QStringLiteral("localhost"), listener.localPort(), "x", [&](const SendOutcome&) { ++late; });
    port.close();
    port.close();
    EXPECT_FALSE(port.isBound());
    EXPECT_FALSE(sendNow(QStringLiteral("127.0.0.1"), listener.localPort(), "unbound").sent);
    {
        UnixUdpPort other;
        ASSERT_TRUE(other.bind().ok());
        other.send(QStringLiteral("localhost"), listener.localPort(), "y", [&](const SendOutcome&) { ++late; });
    }
    // A lookup started after those has finished, so theirs have too.
    UnixUdpPort control;
    ASSERT_TRUE(control.bind().ok());
    bool controlDone = false;
    control.send(QStringLiteral("localhost"), listener.localPort(), "z", [&](const SendOutcome&) { controlDone = true; });
    ASSERT_TRUE(waitUntil([&] { return controlDone; }));
    runFor(50);
    EXPECT_EQ(late, 0);

    ASSERT_TRUE(port.bind().ok());
    EXPECT_TRUE(sendNow(QStringLiteral("127.0.0.1"), listener.localPort(), "again").sent);
    EXPECT_EQ(receive(listener, 2), (QList<QByteArray>{"z", "again"}));
}

TEST_F(UnixUdpPortTest, AnArrivalHandlerMayCloseOrDestroyThePort)
{
    int seen = 0;
    port.setArrivalHandler([&](const Datagram&) {
        ++seen;
        port.close();
    });
    auto owned = std::make_unique<UnixUdpPort>();
    ASSERT_TRUE(owned->bind().ok());
    int ownedSeen = 0;
    owned->setArrivalHandler([&](const Datagram&) {
        ++ownedSeen;
        owned.reset();
    });
    for (int i = 0; i < 5; ++i) {
        listener.writeDatagram("x", QHostAddress::LocalHost, port.localPort());
        listener.writeDatagram("x", QHostAddress::LocalHost, owned->localPort());
    }
    ASSERT_TRUE(waitUntil([&] { return seen > 0 && !owned; }));
    runFor(50);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(ownedSeen, 1);
    EXPECT_FALSE(port.isBound());
}

TEST_F(UnixUdpPortTest, ReadsAFloodInBatchesSoOtherEventsRun)
{
    port.setReadBatchLimit(10);
    int seen = 0;
    int seenWhenOtherEventRan = -1;
    port.setArrivalHandler([&](const Datagram&) {
        if (++seen == 1)
            QTimer::singleShot(0, [&] { seenWhenOtherEventRan = seen; });
    });
    for (int i = 0; i < 60; ++i)
        listener.writeDatagram("x", QHostAddress::LocalHost, port.localPort());
    ASSERT_TRUE(waitUntil([&] { return seen == 60; }));
    EXPECT_GE(seenWhenOtherEventRan, 10);
    EXPECT_LT(seenWhenOtherEventRan, 60);
}

TEST_F(UnixUdpPortTest, SurvivesAStormOfJunkAndStaysUsable)
{
    QUdpSocket flooder;
    ASSERT_TRUE(flooder.bind(QHostAddress::LocalHost, 0));
    int junk = 0;
    port.setArrivalHandler([&](const Datagram& d) {
        if (d.senderPort == flooder.localPort())
            ++junk;
        else
            arrivals.push_back(d);
    });
    const long residentBefore = test::residentKiB();
    const QByteArray noise(48, '\xAA');
    for (int i = 0; i < 100000; ++i) {
        flooder.writeDatagram(noise, QHostAddress::LocalHost, port.localPort());
        if (i % 500 == 499)
            QCoreApplication::processEvents(); // the port reads while the storm goes on
    }
    runFor(100);
    EXPECT_GT(junk, 0);
    EXPECT_LE(junk, 100000);

    listener.writeDatagram("+3.0", QHostAddress::LocalHost, port.localPort());
    ASSERT_TRUE(waitUntil([&] { return !arrivals.empty(); }));
    EXPECT_EQ(arrivals[0].data, "+3.0");
    EXPECT_TRUE(sendNow(QStringLiteral("127.0.0.1"), listener.localPort(), "ok").sent);
    EXPECT_EQ(receive(listener, 1), QList<QByteArray>{"ok"});
    EXPECT_LT(test::residentKiB() - residentBefore, test::residentSlackKiB(16 * 1024));
}

TEST(UnixUdpPortBindFailure, PermissionRefusalsAreTheBlockedCase)
{
    EXPECT_EQ(UnixUdpPort::bindFailure(EACCES).error, kBindBlocked);
    EXPECT_EQ(UnixUdpPort::bindFailure(EPERM).error, kBindBlocked);
    for (const int systemErrno : {EADDRINUSE, ENOMEM, EMFILE, 0}) {
        const BindResult r = UnixUdpPort::bindFailure(systemErrno);
        EXPECT_FALSE(r.ok());
        EXPECT_NE(r.error, kBindBlocked);
        EXPECT_FALSE(r.description.isEmpty());
    }
    EXPECT_EQ(UnixUdpPort::bindFailure(EADDRINUSE).error, 10000 + EADDRINUSE);
}
