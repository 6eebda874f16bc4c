// The real thermobadge-server, started on 127.0.0.1 with a free port and asked over UDP.
#include "HttpStub.h"
#include "ToolsTestSupport.h"
#include "UdpServer.h"
#include "WeatherTestSupport.h"
#include "platform/Codepage.h"
#include "platform/Regional.h"
#include "temperature/Exchange.h"

#include <QFile>
#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr int kNoReplyMs = 300;

// One running server; SIGTERM on stop(), killed if a test ends without stopping it.
class Server {
public:
    explicit Server(const QStringList& args)
    {
        tools_test::qtApp();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("THERMOBADGE_LOOPBACK_ONLY", "1");
        process_.setProcessEnvironment(env);
        process_.start(THERMOBADGE_SERVER_BINARY, QStringList{"--port", "0", "--log"} + args);
        const QRegularExpression listening(QStringLiteral("^listening on 127\\.0\\.0\\.1:(\\d+)$"),
                                           QRegularExpression::MultilineOption);
        tools_test::waitUntil(
            [&] {
                out_ += QString::fromUtf8(process_.readAllStandardOutput());
                const auto m = listening.match(out_);
                if (m.hasMatch())
                    port_ = static_cast<quint16>(m.captured(1).toUInt());
                return port_ != 0 || process_.state() == QProcess::NotRunning;
            },
            5000);
    }
    ~Server()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }
    quint16 port() const { return port_; }
    // Everything the server has printed on stdout so far (the --log lines).
    QString output()
    {
        out_ += QString::fromUtf8(process_.readAllStandardOutput());
        return out_;
    }
    // Whether the server logs `text` within two seconds.
    bool logs(const QString& text)
    {
        return tools_test::waitUntil([&] { return output().contains(text); }, 2000);
    }
    // Sends SIGTERM; the exit code, or -1 when the server crashed or did not stop within 3 s.
    int stop()
    {
        process_.terminate();
        if (!process_.waitForFinished(3000) || process_.exitStatus() != QProcess::NormalExit)
            return -1;
        return process_.exitCode();
    }

private:
    QProcess process_;
    QString out_;
    quint16 port_ = 0;
};

// A client on 127.0.0.1 that sends one datagram and waits a bounded time for one reply.
class Client {
public:
    Client() { EXPECT_TRUE(socket_.bind(QHostAddress::LocalHost, 0)); }
    std::optional<QByteArray> ask(quint16 port, const QByteArray& request, int waitMs = 2000)
    {
        socket_.writeDatagram(request, QHostAddress::LocalHost, port);
        if (!socket_.waitForReadyRead(waitMs))
            return std::nullopt;
        return socket_.receiveDatagram().data();
    }

private:
    QUdpSocket socket_;
};

QByteArray temperatureRequest(const QString& word)
{
    return tb::toAnsi(tb::buildZaprosLine(word));
}

std::optional<double> temperatureIn(const std::optional<QByteArray>& reply)
{
    if (!reply)
        return std::nullopt;
    const auto parsed = tb::parseTemperatureReply(tb::fromAnsi(*reply), tb::Regional::russian());
    if (!parsed)
        return std::nullopt;
    return parsed->temperature;
}

} // namespace

TEST(ServerProgram, AnswersRightRequestsAndIgnoresTheRest)
{
    Server server({"--fixed", "-5.3"});
    ASSERT_NE(server.port(), 0) << server.output().toStdString();
    Client client;

    const auto reply = client.ask(server.port(), temperatureRequest("abc"));
    ASSERT_TRUE(reply);
    EXPECT_GE(reply->size(), 18);
    EXPECT_LE(reply->size(), 30);
    const auto parsed = tb::parseTemperatureReply(tb::fromAnsi(*reply), tb::Regional::russian());
    ASSERT_TRUE(parsed) << reply->toStdString();
    EXPECT_DOUBLE_EQ(parsed->temperature, -5.3);
    const QDateTime wallClockNow = tb::DateTime::fromQDateTime(QDateTime::currentDateTime()).toQDateTime();
    EXPECT_LT(std::abs(parsed->time.toQDateTime().secsTo(wallClockNow)), 120);
    EXPECT_EQ(temperatureIn(client.ask(server.port(), temperatureRequest(QStringLiteral("Москва")))), -5.3);

    QByteArray wrong = temperatureRequest("abc");
    wrong.back() = 0x27;
    EXPECT_FALSE(client.ask(server.port(), wrong, kNoReplyMs));
    EXPECT_FALSE(client.ask(server.port(), "hello", kNoReplyMs));

    EXPECT_EQ(client.ask(server.port(), QByteArray("v\x03", 2)), QByteArray(THERMOBADGE_SERVER_VERSION));
    EXPECT_TRUE(server.logs("temperature \"abc\" -> no answer: wrong checksum 0x27, the word needs 0x26"))
        << server.output().toStdString();
    EXPECT_TRUE(server.logs("5 bytes [68 65 6c 6c 6f] -> no answer: not a request")) << server.output().toStdString();
    EXPECT_EQ(server.stop(), 0);
}

TEST(ServerProgram, AFloodIsSummedUpInTheLog)
{
    Server server({"--fixed", "-5.3"});
    ASSERT_NE(server.port(), 0) << server.output().toStdString();
    QUdpSocket flood;
    for (int i = 0; i < 2000; ++i)
        flood.writeDatagram("hello", QHostAddress::LocalHost, server.port());
    tools_test::waitUntil([] { return false; }, 1200);
    Client client;
    EXPECT_TRUE(client.ask(server.port(), temperatureRequest("abc")));
    ASSERT_TRUE(server.logs("more lines like these in one second were not shown")) << server.output().right(500).toStdString();
    EXPECT_LE(server.output().count("not a request"), 2 * tbserver::UdpServer::kLogLinesASecond);
    EXPECT_EQ(server.stop(), 0);
}

TEST(ServerProgram, FlappingSilentAndSlowHosts)
{
    Server every2({"--fixed", "1.5", "--every", "2", "--version-reply", "1.5"});
    Server silent({"--fixed", "1.5", "--silent"});
    Server slow({"--fixed", "1.5", "--delay", "200"});
    ASSERT_TRUE(every2.port() && silent.port() && slow.port());
    Client client;

    std::vector<bool> answered;
    for (int i = 0; i < 4; ++i)
        answered.push_back(client.ask(every2.port(), temperatureRequest("x"), kNoReplyMs).has_value());
    EXPECT_EQ(answered, (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(client.ask(every2.port(), "v?"), QByteArray("1.5"));

    EXPECT_FALSE(client.ask(silent.port(), temperatureRequest("x"), kNoReplyMs));
    EXPECT_FALSE(client.ask(silent.port(), "v?", kNoReplyMs));

    QElapsedTimer t;
    t.start();
    EXPECT_EQ(temperatureIn(client.ask(slow.port(), temperatureRequest("x"))), 1.5);
    EXPECT_GE(t.elapsed(), 190);

    EXPECT_EQ(every2.stop(), 0);
    EXPECT_EQ(silent.stop(), 0);
    EXPECT_EQ(slow.stop(), 0);
}

TEST(ServerProgram, FileSourceAnswersOnlyOnceThereIsAReading)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("outdoor.log");
    Server server({"--file", path});
    ASSERT_NE(server.port(), 0);
    Client client;
    EXPECT_FALSE(client.ask(server.port(), temperatureRequest("x"), kNoReplyMs));
    EXPECT_TRUE(server.logs("no answer: no reading yet")) << server.output().toStdString();

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("2024-01-05 07:00 -12.5\n");
    f.close();
    std::optional<double> got;
    for (int i = 0; i < 20 && !got; ++i)
        got = temperatureIn(client.ask(server.port(), temperatureRequest("x"), 150));
    EXPECT_EQ(got, -12.5);
    EXPECT_EQ(server.stop(), 0);
}

TEST(ServerProgram, WeatherSourceServesTheServicesReadingAtItsObservationTime)
{
    tools_test::HttpStub stub;
    stub.setAnswer({200, tools_test::forecastAnswer("2024-01-05T07:00", -3.5)});
    Server server({"--weather", "55.75,37.62", "--weather-url", stub.url()});
    ASSERT_NE(server.port(), 0) << server.output().toStdString();
    Client client;
    std::optional<tb::TemperatureReply> got;
    for (int i = 0; i < 30 && !got; ++i)
        if (const auto reply = client.ask(server.port(), temperatureRequest("x"), 150))
            got = tb::parseTemperatureReply(tb::fromAnsi(*reply), tb::Regional::russian());
    ASSERT_TRUE(got) << server.output().toStdString();
    EXPECT_DOUBLE_EQ(got->temperature, -3.5);
    // 07:00 at UTC+3 is 04:00 UTC; the reply carries it on this machine's clock.
    const QDateTime observed = QDateTime(QDate(2024, 1, 5), QTime(4, 0), Qt::UTC).toLocalTime();
    EXPECT_EQ(got->time.date(), observed.date());
    EXPECT_EQ(got->time.time(), observed.time());
    EXPECT_EQ(stub.requests(), 1);
    EXPECT_TRUE(stub.lastRequestLine().contains("latitude=55.75&longitude=37.62")) << stub.lastRequestLine().toStdString();
    EXPECT_EQ(server.stop(), 0);
}

TEST(ServerProgram, RefusesToListenBeyondLoopback)
{
    tools_test::qtApp();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("THERMOBADGE_LOOPBACK_ONLY", "1");
    p.setProcessEnvironment(env);
    for (const QStringList& args : {QStringList{"--bind", "0.0.0.0"}, QStringList{"--bind", "0.0.0.0", "--allow-remote"},
                                    QStringList{"--version-reply", "123456"}, QStringList{"--weather", "55.75,37.62"}}) {
        p.start(THERMOBADGE_SERVER_BINARY, QStringList{"--port", "0"} + args);
        ASSERT_TRUE(p.waitForFinished(3000));
        EXPECT_EQ(p.exitCode(), 2) << args.join(u' ').toStdString();
        EXPECT_FALSE(p.readAllStandardOutput().contains("listening"));
        EXPECT_FALSE(p.readAllStandardError().isEmpty());
    }
}
