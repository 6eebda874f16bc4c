// A look command from the look editor to the indicator, between two processes: an "A=" text
// sent over the command channel into the main window's command box, interpreted, the overlay
// redrawn with the real renderer and the shipped skins (150 %, marker on), and acknowledged.
// The program starts itself again as the indicator (--indicator), which prints its box's handle.
//   SameSkin:  the look changes (font size and colours), the picture stays (goal: median at
//              most 2 ms)
//   OtherSkin: every command brings another picture of the skin folders (goal: median at most
//              2 ms)
#include "MainWindowStack.h"
#include "app/AddonLink.h"
#include "platform/linux/UnixCommandChannel.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace tb;

namespace {

// The indicator's side: the main window linked to the channel as the program links it.
int runIndicator()
{
    bench::MainWindowStack stack;
    UnixCommandChannel channel;
    RecordingProcessLauncher launcher;
    RecordingMessageBoxes boxes;
    AddonLink link(AddonLinkEnv {channel, launcher, boxes});
    if (!stack.main->attachAddon(link))
        return 1;
    std::printf("%d\n", link.boxHandle());
    std::fflush(stdout);
    return QApplication::exec();
}

// The look of the shipped list's selected skin, with the picture, the size and the colours given.
QString lookCommand(const QString& picture, int size, int colour)
{
    return QStringLiteral("A=%1|DejaVu Sans|1|%2|%3|0|0|0|3|-3|140|1723012|3|1|1|1|0|0|100|100|0|0")
        .arg(picture)
        .arg(size)
        .arg(colour);
}

struct Indicator {
    Indicator()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        qputenv("QT_QPA_PLATFORM", "offscreen");
        channel = std::make_unique<UnixCommandChannel>();
        // The indicator's complaints show; its standard output tells the handle.
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--indicator")});
        if (process.waitForReadyRead(20000))
            handle = process.readLine().trimmed().toInt();
    }
    ~Indicator()
    {
        process.kill();
        process.waitForFinished(5000);
    }

    QTemporaryDir runtime;
    std::unique_ptr<UnixCommandChannel> channel;
    QProcess process;
    qint32 handle = 0;
};

void sendLooks(benchmark::State& state, const QStringList& looks)
{
    Indicator indicator;
    if (indicator.handle < 1) {
        state.SkipWithError("the indicator did not start");
        return;
    }
    qsizetype next = 0;
    for (auto _ : state) {
        if (!indicator.channel->setText(indicator.handle, looks[next])) {
            state.SkipWithError("a look command was not acknowledged");
            break;
        }
        next = (next + 1) % looks.size();
    }
}

void BM_LookCommand_SameSkin(benchmark::State& state)
{
    const QString picture = QStringLiteral("Winter\\frost.png");
    sendLooks(state, {lookCommand(picture, 60, 16777215), lookCommand(picture, 48, 65535), lookCommand(picture, 72, 255)});
}
BENCHMARK(BM_LookCommand_SameSkin)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

void BM_LookCommand_OtherSkin(benchmark::State& state)
{
    QStringList looks;
    for (const char* picture : {"Winter\\frost.png", "Summer\\sun.png", "Winter\\ice.png", "Summer\\meadow.png"})
        looks.append(lookCommand(QString::fromLatin1(picture), 60, 16777215));
    sendLooks(state, looks);
}
BENCHMARK(BM_LookCommand_OtherSkin)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--indicator") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return runIndicator();
    }
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
