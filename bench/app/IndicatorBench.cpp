// The main window's whole redraw path with the shipped skins: a reading arrives, the text is
// formatted, the overlay is drawn and handed to the window. Also reports the process's
// resident memory after start-up and 100 redraws.
#include "MainWindowStack.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <fstream>

using namespace tb;

namespace {

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
    tb::bench::MainWindowStack stack;
    frmMain& main = *stack.main;
    SnapshotView& view = stack.view;
    FakeClock& clock = stack.clock;
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

int main(int argc, char** argv) { return tb::bench::runWithApp<QGuiApplication>(argc, argv); }
