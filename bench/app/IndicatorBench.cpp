// The main window's whole redraw path with the shipped skins: a reading arrives, the text is
// formatted, the overlay is drawn and handed to the window. Also reports the process's
// resident memory after start-up and 100 redraws.
#include "AbsentParts.h"
#include "FakeClock.h"
#include "FakeUdpPort.h"
#include "GdipLog.h"
#include "MemoryRegistryStore.h"
#include "MemorySettingsStore.h"
#include "OverlayRenderer.h"
#include "RecordingMessageBoxes.h"
#include "RecordingProcessLauncher.h"
#include "RendererDrawing.h"
#include "frmMain.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <fstream>

using namespace tb;

namespace {

struct NoPlacement final : WindowPlacement {
    QPoint LoadPos(const QString&, QPoint p) override { return p; }
    void SavePos(const QString&, QPoint) override {}
};

double residentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kib = 0;
            status >> kib;
            return kib / 1024.0;
        }
    }
    return 0;
}

void BM_ReadingToCanvas(benchmark::State& state)
{
    FakeClock clock;
    FakeUdpPort udp(&clock);
    MemoryRegistryStore registry;
    MemorySettingsStore settings;
    settings.setValue(QStringLiteral("Prov"), QStringLiteral("0"));
    settings.setValue(QStringLiteral("ScaleAutoOff"), QStringLiteral("0"));
    settings.setValue(QStringLiteral("scX"), QStringLiteral("150"));
    settings.setValue(QStringLiteral("scY"), QStringLiteral("150"));
    RecordingMessageBoxes boxes;
    RecordingProcessLauncher processes;
    ctlTemper temper(TemperEnvironment{clock, clock, udp, registry, boxes, processes, Regional::russian(), QStringLiteral(THERMOBADGE_ASSETS),
                                       1, 4});
    temper.InitProperties();
    GdipLog log(clock);
    OverlayRenderer renderer(log);
    RendererDrawing drawing(renderer);
    SnapshotView view;
    NoTrayIcon tray;
    NoPlacement placement;
    NoCompanions companions;
    NoPopupMenu menu;
    frmMain main(MainWindowEnv{temper, settings, Regional::russian(), clock, clock, boxes, view, drawing, tray, placement, companions, menu,
                               QStringLiteral(THERMOBADGE_ASSETS), 1, 4, false});
    main.Form_Load();
    for (int i = 0; i < 100; ++i)
        main.ctlTemper_TemperReceive(-20.0 + i * 0.4, clock.now());
    state.counters["resident_MiB_after_100_redraws"] = residentMiB();
    state.counters["canvas_width"] = view.canvas.width();
    double t = -30;
    for (auto _ : state) {
        main.ctlTemper_TemperReceive(t, clock.now());
        t += 0.1;
        benchmark::DoNotOptimize(view.canvas.constBits());
    }
}
BENCHMARK(BM_ReadingToCanvas)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
