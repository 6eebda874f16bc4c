// The options dialog on the main window with the real renderer and the shipped skins: opening it
// (construction, the eight loading steps, the first paint), and one step of the correction bar
// through to the redrawn indicator canvas and the tray's digits drawn at every icon size.
#include "MainWindowStack.h"
#include "dialogs/frmOptions.h"
#include "window/QtTrayIcon.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tb;

namespace {

// The dialog on the main window's state, as the program opens it; the tray icon's digits are
// drawn by Qt's tray icon after every redraw the dialog asks for.
struct OptionsOnMain {
    tb::bench::MainWindowStack stack;
    QMenu menu;
    QtTrayIcon tray {QIcon(QPixmap(32, 32)), &menu};
    QTemporaryDir home;
    int trayUpdates = 0;

    frmOptions* make()
    {
        frmMain& m = *stack.main;
        return new frmOptions(OptionsTarget {m.temper(), m.Prov(), m.fProvUnset(), m.ARun(), m.VerChk(), m.trayLook(),
                                  [this, &m](double t, DateTime when) {
                                      m.ctlTemper_TemperReceive(t, when);
                                      updateTray();
                                  },
                                  [this] { updateTray(); }},
            m.options(), Autorun(home.filePath(QStringLiteral("autostart/ThermoBadge.desktop"))),
            RunCommand {QStringLiteral("/opt/tb/ThermoBadge"), {}});
    }
    void updateTray()
    {
        tray.UpdateTrayIcon(stack.temper.valTemper(), stack.main->trayLook());
        ++trayUpdates;
    }
};

void BM_OptionsOpen(benchmark::State& state)
{
    OptionsOnMain rig;
    rig.tray.TrayIconShow(true);
    for (auto _ : state) {
        frmOptions* dialog = rig.make();
        dialog->Show();
        benchmark::DoNotOptimize(dialog->grab().cacheKey());
        state.PauseTiming();
        delete dialog;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OptionsOpen)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_CorrectionStepToIndicatorAndTray(benchmark::State& state)
{
    OptionsOnMain rig;
    rig.tray.TrayIconShow(true);
    frmOptions* dialog = rig.make();
    dialog->Show();
    QScrollBar* bar = dialog->controls().scrlT;
    const int drawsBefore = rig.stack.main->drawCount();
    const int trayBefore = rig.trayUpdates;
    bool up = true;
    for (auto _ : state) {
        bar->triggerAction(up ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
        up = !up;
        benchmark::DoNotOptimize(rig.stack.view.canvas.constBits());
    }
    if (dialog->controls().lblTCor->text() != QStringLiteral("0.0")
        && dialog->controls().lblTCor->text() != QStringLiteral("0.1"))
        state.SkipWithError("the bar did not step between 0.0 and 0.1");
    state.counters["redraws_per_step"] = double(rig.stack.main->drawCount() - drawsBefore) / double(state.iterations());
    state.counters["tray_updates_per_step"] = double(rig.trayUpdates - trayBefore) / double(state.iterations());
    state.counters["canvas_width"] = rig.stack.view.canvas.width();
    delete dialog;
}
BENCHMARK(BM_CorrectionStepToIndicatorAndTray)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    return tb::bench::runWithApp<QApplication>(argc, argv);
}
