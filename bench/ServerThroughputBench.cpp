// Throughput of thermobadge-server on loopback: the real binary on 127.0.0.1 with a free port,
// a client that keeps `window` requests in flight. Every datagram stays on 127.0.0.1.
//   build/bench/server_throughput_bench --benchmark_min_time=2
#include "Protocol.h"
#include "platform/Codepage.h"
#include "temperature/Exchange.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QUdpSocket>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The server for the whole run, started on first use.
class Server {
public:
    static Server& instance()
    {
        static Server server;
        return server;
    }
    quint16 port() const { return port_; }

private:
    Server()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("THERMOBADGE_LOOPBACK_ONLY", "1");
        process_.setProcessEnvironment(env);
        process_.start(THERMOBADGE_SERVER_BINARY, {"--port", "0", "--fixed", "-5.3"});
        const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
        QByteArray out;
        QElapsedTimer t;
        t.start();
        while (port_ == 0 && t.elapsed() < 5000 && process_.waitForReadyRead(1000)) {
            out += process_.readAllStandardOutput();
            if (const auto m = listening.match(QString::fromUtf8(out)); m.hasMatch())
                port_ = static_cast<quint16>(m.captured(1).toUInt());
        }
    }
    ~Server()
    {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
    }
    QProcess process_;
    quint16 port_ = 0;
};

void BM_LoopbackAnswers(benchmark::State& state)
{
    const quint16 port = Server::instance().port();
    if (port == 0) {
        state.SkipWithError("thermobadge-server did not start");
        return;
    }
    QUdpSocket socket;
    if (!socket.bind(QHostAddress::LocalHost, 0)) {
        state.SkipWithError("cannot bind the client socket");
        return;
    }
    const QByteArray request = tb::toAnsi(tb::buildZaprosLine(u"bench"));
    const auto window = static_cast<int>(state.range(0));
    qint64 answered = 0;
    for (auto _ : state) {
        for (int i = 0; i < window; ++i)
            socket.writeDatagram(request, QHostAddress::LocalHost, port);
        for (int got = 0; got < window;) {
            if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(1000)) {
                state.SkipWithError("a reply did not come within 1 s");
                return;
            }
            while (socket.hasPendingDatagrams() && got < window) {
                benchmark::DoNotOptimize(socket.receiveDatagram());
                ++got;
            }
        }
        answered += window;
    }
    state.counters["answers/s"] = benchmark::Counter(static_cast<double>(answered), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoopbackAnswers)->Arg(1)->Arg(16)->Arg(64)->UseRealTime();

void BM_ParseRequestAndBuildReply(benchmark::State& state)
{
    const QByteArray request = tb::toAnsi(tb::buildZaprosLine(u"bench"));
    const tbserver::Reading reading{-5.3, QDateTime::currentDateTime()};
    for (auto _ : state) {
        benchmark::DoNotOptimize(tbserver::parseRequest(request));
        benchmark::DoNotOptimize(tbserver::buildTemperatureReply(reading));
    }
}
BENCHMARK(BM_ParseRequestAndBuildReply);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
