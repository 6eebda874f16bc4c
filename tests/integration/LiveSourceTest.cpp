#include "ProcessMemory.h"
#include "QtPrinters.h"
#include "QtTestLoop.h"
#include "platform/Codepage.h"
#include "platform/MemoryRegistryStore.h"
#include "platform/fakes/RecordingMessageBoxes.h"
#include "platform/linux/QtProcessLauncher.h"
#include "platform/linux/QtTimerFactory.h"
#include "platform/linux/UnixUdpPort.h"
#include "temperature/ComponentError.h"
#include "temperature/ctlTemper.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUdpSocket>


using namespace tb;
using namespace tb::test;

namespace {

const auto* const appEnvironment = ::testing::AddGlobalTestEnvironment(new AppEnvironment<QCoreApplication>);

// The server stand-in on a loopback address, started and stopped by the test.
class Server {
public:
    ~Server() { stop(); }
    // Starts it; port 0 lets the system choose. Returns the port it listens on, 0 on failure.
    quint16 start(const QStringList& extra, quint16 port = 0, const QString& bind = QStringLiteral("127.0.0.1"))
    {
        process_.setProgram(QStringLiteral(THERMOBADGE_SERVER_BINARY));
        process_.setArguments(QStringList{QStringLiteral("--bind"), bind, QStringLiteral("--port"), QString::number(port)} + extra);
        process_.start();
        if (!process_.waitForStarted(5000))
            return 0;
        static const QRegularExpression listening(QStringLiteral("listening on .*:(\\d+)"));
        QString out;
        waitUntil([&] {
            out += QString::fromUtf8(process_.readAllStandardOutput());
            return listening.match(out).hasMatch() || process_.state() == QProcess::NotRunning;
        });
        const auto m = listening.match(out);
        return m.hasMatch() ? static_cast<quint16>(m.captured(1).toUInt()) : 0;
    }
    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(1000);
    }

private:
    QProcess process_;
};

class LiveSource : public ::testing::Test {
protected:
    QTemporaryDir dir;
    SystemClock clock;
    QtTimerFactory timers;
    UnixUdpPort udp;
    MemoryRegistryStore registry;
    RecordingMessageBoxes boxes;
    QtProcessLauncher processes;
    Server server;
    std::unique_ptr<ctlTemper> temper;
    std::vector<double> readings;

    void makeSource(quint16 port, const QString& hosts, int oprosTime = 20)
    {
        temper = std::make_unique<ctlTemper>(TemperEnvironment{clock, timers, udp, registry, boxes, processes, Regional::russian(),
                                                               dir.path(), 1, 4, builtinProviderList(), port});
        temper->InitProperties();
        temper->setProvIP(hosts);
        temper->setOprosTime(oprosTime);
        temper->TemperReceive = [this](double t, DateTime) { readings.push_back(t); };
    }
};

} // namespace

TEST_F(LiveSource, ARealReadingArrives)
{
    const quint16 port = server.start({QStringLiteral("--fixed"), QStringLiteral("-5.3")});
    ASSERT_NE(port, 0);
    makeSource(port, QStringLiteral("127.0.0.1"));
    temper->BeginStart();
    ASSERT_TRUE(waitUntil([&] { return !readings.empty(); }, 3000));
    EXPECT_DOUBLE_EQ(readings[0], -5.3);
    EXPECT_EQ(temper->StatIn(), 1);
    EXPECT_EQ(temper->StatOut(), 1);
    EXPECT_EQ(temper->StatRejected(), 0);
}

TEST_F(LiveSource, ASilentHostIsLeftForALiveOne)
{
    const quint16 port = server.start({QStringLiteral("--fixed"), QStringLiteral("12.5")});
    ASSERT_NE(port, 0);
    // Nothing listens on 127.0.0.2 at that port: after 2 s the next host is asked.
    makeSource(port, QStringLiteral("127.0.0.2,127.0.0.1"));
    temper->BeginStart();
    ASSERT_TRUE(waitUntil([&] { return !readings.empty(); }, 4000));
    EXPECT_DOUBLE_EQ(readings[0], 12.5);
    EXPECT_EQ(temper->providerTable()[0].CurHost, 1);
    EXPECT_EQ(temper->StatOut(), 2);
}

TEST_F(LiveSource, TheVersionReplyStartsTheNoticeProgram)
{
    const QString marker = dir.filePath(QStringLiteral("notice-args"));
    QFile notice(dir.filePath(QStringLiteral("VerShow.dll")));
    ASSERT_TRUE(notice.open(QIODevice::WriteOnly));
    notice.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\n").arg(marker).toUtf8());
    notice.close();
    notice.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const quint16 port = server.start({QStringLiteral("--fixed"), QStringLiteral("1"), QStringLiteral("--version-reply"), QStringLiteral("1.5")});
    ASSERT_NE(port, 0);
    makeSource(port, QStringLiteral("127.0.0.1"));
    temper->setProgId(QString(QChar(3)));
    temper->BeginStart();
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(marker) && QFile(marker).size() > 0; }, 5000));
    QFile args(marker);
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_EQ(args.readAll(), QByteArray("/v1.5\n"));
}

TEST_F(LiveSource, ANoticeProgramThatCannotRunChangesNothing)
{
    QFile notice(dir.filePath(QStringLiteral("VerShow.dll")));
    ASSERT_TRUE(notice.open(QIODevice::WriteOnly));
    notice.write("not a program");
    notice.close();
    const quint16 port = server.start({QStringLiteral("--fixed"), QStringLiteral("3"), QStringLiteral("--version-reply"), QStringLiteral("9.9")});
    ASSERT_NE(port, 0);
    makeSource(port, QStringLiteral("127.0.0.1"), 1);
    temper->setProgId(QString(QChar(3)));
    temper->BeginStart();
    ASSERT_TRUE(waitUntil([&] { return readings.size() >= 2; }, 5000)) << "polling goes on";
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(LiveSource, PollingRecoversWhenTheServerComesBack)
{
    const quint16 port = server.start({QStringLiteral("--fixed"), QStringLiteral("1")});
    ASSERT_NE(port, 0);
    makeSource(port, QStringLiteral("127.0.0.1"), 1);
    temper->BeginStart();
    ASSERT_TRUE(waitUntil([&] { return readings.size() >= 1; }, 3000));
    server.stop();
    runFor(2500);
    const auto before = readings.size();
    ASSERT_NE(server.start({QStringLiteral("--fixed"), QStringLiteral("2")}, port), 0);
    ASSERT_TRUE(waitUntil([&] { return readings.size() > before; }, 4000));
    EXPECT_DOUBLE_EQ(readings.back(), 2.0);
}

TEST_F(LiveSource, AStormOfJunkChangesNothing)
{
    const quint16 port = server.start({QStringLiteral("--fixed"), QStringLiteral("7")});
    ASSERT_NE(port, 0);
    makeSource(port, QStringLiteral("127.0.0.1"), 1);
    temper->BeginStart();
    ASSERT_TRUE(waitUntil([&] { return !readings.empty(); }, 3000));
    runFor(200);
    const long memoryBefore = residentKiB();

    QUdpSocket junk;
    ASSERT_TRUE(junk.bind(QHostAddress::LocalHost, 0));
    const QByteArray lengths[] = {QByteArray(3, 'v'), QByteArray(21, 'x'), QByteArray(40, 'y'), QByteArray(1000, 'z')};
    for (int i = 0; i < 100'000; ++i) {
        junk.writeDatagram(lengths[i % 4], QHostAddress::LocalHost, udp.localPort());
        if (i % 2000 == 0)
            QCoreApplication::processEvents();
    }
    runFor(500);
    EXPECT_GT(temper->StatRejected(), 0);
    const auto before = readings.size();
    ASSERT_TRUE(waitUntil([&] { return readings.size() > before; }, 3000)) << "the next real reply is accepted";
    EXPECT_DOUBLE_EQ(readings.back(), 7.0);
    EXPECT_LT(residentKiB() - memoryBefore, residentSlackKiB(32 * 1024)) << "memory stays flat";
}
