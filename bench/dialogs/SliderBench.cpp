// One step of the scale panel's width bar through to the main window's redrawn canvas, with the
// shipped 256 x 128 skin at 150 %: the bar's handler, the height bar following ("Ш+В" ticked,
// so two redraws a step), and the overlay drawn and handed to the window each time.
#include "MainWindowStack.h"
#include "dialogs/frmSlider.h"

#include <QApplication>
#include <QCheckBox>
#include <QScrollBar>

#include <benchmark/benchmark.h>

using namespace tb;

namespace {

void BM_SliderStepToCanvas(benchmark::State& state)
{
    tb::bench::MainWindowStack stack;
    frmMain& main = *stack.main;
    SnapshotView& view = stack.view;

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

int main(int argc, char** argv) { return tb::bench::runWithApp<QApplication>(argc, argv); }
