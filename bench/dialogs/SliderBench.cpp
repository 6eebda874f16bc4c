// One step of the scale panel's width bar through to the main window's redrawn canvas, with the
// shipped 256 x 128 skin at 150 %: the bar's handler, the height bar following ("Ш+В" ticked,
// so two redraws a step), and the overlay drawn and handed to the window each time.
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
#include "frmSlider.h"

#include <QApplication>
#include <QCheckBox>
#include <QScrollBar>

#include <benchmark/benchmark.h>

using namespace tb;

namespace {

struct NoPlacement final : WindowPlacement {
    QPoint LoadPos(const QString&, QPoint p) override { return p; }
    void SavePos(const QString&, QPoint) override { }
};

void BM_SliderStepToCanvas(benchmark::State& state)
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
    ctlTemper temper(TemperEnvironment {
        clock, clock, udp, registry, boxes, processes, Regional::russian(), QStringLiteral(THERMOBADGE_ASSETS), 1, 4});
    temper.InitProperties();
    GdipLog log(clock);
    OverlayRenderer renderer(log);
    RendererDrawing drawing(renderer);
    SnapshotView view;
    NoTrayIcon tray;
    NoPlacement placement;
    NoCompanions companions;
    NoPopupMenu menu;
    frmMain main(MainWindowEnv {temper, settings, Regional::russian(), clock, clock, boxes, view, drawing, tray, placement,
        companions, menu, QStringLiteral(THERMOBADGE_ASSETS), 1, 4, false});
    main.Form_Load();

    QWidget indicator;
    indicator.setGeometry(300, 200, view.canvas.width(), view.canvas.height());
    frmSlider panel(SliderTarget {main.style(), main.Trans(), main.TransOn(), main.ScaleAutoOff(), main.fSliderOpen(),
                        main.nSliderFocus(), [&main] { main.DrawTemper(false); }},
        main.options(), &indicator);
    panel.open();
    if (!panel.chkScaleSinc()->isChecked() || panel.scrlScale(0)->value() != 150) {
        state.SkipWithError("the panel did not open at 150 % with both bars together");
        return;
    }

    const int drawsBefore = main.drawCount();
    bool up = true;
    for (auto _ : state) {
        panel.scrlScale(0)->triggerAction(up ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub);
        up = !up;
        benchmark::DoNotOptimize(view.canvas.constBits());
    }
    state.counters["redraws_per_step"] = double(main.drawCount() - drawsBefore) / double(state.iterations());
    state.counters["canvas_width"] = view.canvas.width();
    state.counters["scale_y"] = main.style().nScaleY;
    panel.close();
}
BENCHMARK(BM_SliderStepToCanvas)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
