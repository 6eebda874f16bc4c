// The tray icon after a reading: the icon handed to Qt's tray icon and the pictures a tray host
// then asks for, the whole of what each reading costs on the tray's side. The digits are drawn
// at a size when it is asked for: an XEmbed tray asks for its one size (22 px here), a
// StatusNotifier host for every size the icon offers. Offscreen there is no tray host, so the
// benchmark asks as each would.
#include "BenchMain.h"
#include "window/QtTrayIcon.h"

#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <benchmark/benchmark.h>

using namespace tb;

namespace {

// Readings from -30 to +40 degrees in steps that change the digits, bold and not, both colour
// pairs: every update draws new pictures.
void BM_TrayUpdateAfterReading(benchmark::State& state)
{
    const bool everySize = state.range(1) != 0;
    QMenu menu;
    QPixmap program(32, 32);
    program.fill(Qt::green);
    QtTrayIcon tray(QIcon(program), &menu);
    tray.TrayIconShow(true);
    TrayLook look;
    look.TrBold = state.range(0) != 0;
    double t = -30;
    int drawn = 0;
    for (auto _ : state) {
        tray.UpdateTrayIcon(t, look);
        const QIcon icon = tray.systemTrayIcon().icon();
        const QList<QSize> sizes = everySize ? icon.availableSizes() : QList<QSize> {QSize(22, 22)};
        for (const QSize& size : sizes)
            benchmark::DoNotOptimize(icon.pixmap(size).cacheKey());
        drawn = int(sizes.size());
        t = t > 40 ? -30 : t + 1.3;
    }
    state.counters["sizes"] = drawn;
}
BENCHMARK(BM_TrayUpdateAfterReading)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"bold", "every_size"})
    ->Unit(benchmark::kMicrosecond);

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
