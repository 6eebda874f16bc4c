// The command channel between two processes on this machine. The program starts itself again
// as the other process (--peer HANDLE), which announces its box with "W=<handle>" and answers
// "W=2" the way the look editor does.
//   SetTextRoundTrip: a text sent, its change handler run, the acknowledgement back (goal:
//                     median at most 0.5 ms)
//   ProbeWithAnswer:  the add-on link's liveness probe, "W=2" answered by "W=<handle>" into
//                     the indicator's command box during the wait (goal: median at most 1 ms)
#include "app/AddonLink.h"
#include "platform/linux/UnixCommandChannel.h"

#include "platform/fakes/RecordingMessageBoxes.h"
#include "platform/fakes/RecordingProcessLauncher.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace tb;

namespace {

int runPeer(qint32 indicator)
{
    UnixCommandChannel channel;
    std::unique_ptr<CommandEndpoint> box;
    box = channel.open([&](const QString& text) {
        if (text == QStringLiteral("W=2"))
            channel.setText(indicator, QStringLiteral("W=%1").arg(box->handle()));
        else if (text == QStringLiteral("W=0"))
            QCoreApplication::quit();
    });
    if (!box || !channel.setText(indicator, QStringLiteral("W=%1").arg(box->handle())))
        return 1;
    return QCoreApplication::exec();
}

// The indicator's side: its command box with the add-on link, and the started peer.
struct Indicator {
    Indicator()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        channel = std::make_unique<UnixCommandChannel>();
        link = std::make_unique<AddonLink>(AddonLinkEnv {*channel, launcher, boxes});
        link->attach(AddonLinkTarget {box, iOptWnd, QString(), [] { return 0.0; }});
        peer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--peer"), QString::number(link->boxHandle())});
        const QDeadlineTimer deadline(10000);
        while (iOptWnd < 1 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    ~Indicator()
    {
        link->closeAddon();
        peer.waitForFinished(5000);
    }

    QTemporaryDir runtime;
    RecordingProcessLauncher launcher;
    RecordingMessageBoxes boxes;
    qint32 iOptWnd = 0;
    // The window's command box, with what the interpreter does for "W=".
    CommandBox box {[this](CommandBox& b) {
        if (b.text().size() < 3)
            return;
        const QString text = b.text();
        b.setText(QString());
        if (text.startsWith(QStringLiteral("W=")))
            iOptWnd = text.mid(2).toInt();
    }};
    std::unique_ptr<UnixCommandChannel> channel;
    std::unique_ptr<AddonLink> link;
    QProcess peer;
};

void BM_SetTextRoundTrip(benchmark::State& state)
{
    Indicator indicator;
    if (indicator.iOptWnd < 1) {
        state.SkipWithError("the peer did not announce itself");
        return;
    }
    for (auto _ : state) {
        if (!indicator.channel->setText(indicator.iOptWnd, QStringLiteral("C=65535"))) {
            state.SkipWithError("a text was not acknowledged");
            break;
        }
    }
}
BENCHMARK(BM_SetTextRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ProbeWithAnswer(benchmark::State& state)
{
    Indicator indicator;
    if (indicator.iOptWnd < 1) {
        state.SkipWithError("the peer did not announce itself");
        return;
    }
    for (auto _ : state) {
        if (indicator.link->CheckOptDll() < 1) {
            state.SkipWithError("the probe was not answered");
            break;
        }
    }
}
BENCHMARK(BM_ProbeWithAnswer)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--peer") == 0)
        return runPeer(QByteArray(argv[2]).toInt());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
