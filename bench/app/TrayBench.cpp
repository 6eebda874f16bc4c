// The tray icon after a reading: the digits drawn at every size of the icon and handed to Qt's
// tray icon, the whole of what each reading costs on the tray's side. Offscreen there is no
// tray host, so a host's later request for the pictures is not part of it.
#include "BenchMain.h"
#include "QtTrayIcon.h"

#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <benchmark/benchmark.h>

using namespace tb;

namespace {

// Readings from -30 to +40 degrees in steps that change the digits, bold and not, both colour
// pairs: every update draws a new picture.
void BM_TrayUpdateAfterReading(benchmark::State& state)
{
    QMenu menu;
    QPixmap program(32, 32);
    program.fill(Qt::green);
    QtTrayIcon tray(QIcon(program), &menu);
    tray.TrayIconShow(true);
    TrayLook look;
    look.TrBold = state.range(0) != 0;
    double t = -30;
    for (auto _ : state) {
        tray.UpdateTrayIcon(t, look);
        t = t > 40 ? -30 : t + 1.3;
    }
    state.counters["sizes"] = double(tray.systemTrayIcon().icon().availableSizes().size());
}
BENCHMARK(BM_TrayUpdateAfterReading)->Arg(0)->Arg(1)->ArgName("bold")->Unit(benchmark::kMicrosecond);

// One picture alone, the 16-pixel base.
void BM_TrayDigits16(benchmark::State& state)
{
    double t = -30;
    for (auto _ : state) {
        benchmark::DoNotOptimize(TextToIcon(trayIconText(t, false), 0xFF, 0xFFFF00, false, true, 16).constBits());
        t = t > 40 ? -30 : t + 1.3;
    }
}
BENCHMARK(BM_TrayDigits16)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) { return tb::bench::runWithApp<QApplication>(argc, argv); }
