// Budgets (median, on the project's 2-core build machine):
//   a redraw without a picture change (a new reading)    <= 1 ms
//   a redraw with a picture change (file read + decode)  <= 3 ms
//   the colour-matrix pass                               >= 200 megapixels/s
// All drawings use a 256 x 128 skin with transparent parts at 150 %, with fill, outline,
// shadow and the stale marker, on a screen of device pixel ratio 1 (dpr:1) and on a screen at
// 200 % (dpr:2: a 768 x 384 device canvas); the budgets hold for both.
#include "peers/BenchScene.h"
#include "render/ImageEffects.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace tb;
using namespace tb::bench;

// A new reading: the text changes on every drawing, the picture does not.
void BM_RedrawWithoutPictureChange(benchmark::State& state)
{
    Scene scene;
    scene.ratio = static_cast<qreal>(state.range(0));
    if (!scene.draw(scene.skins[0]).drawn)
        state.SkipWithError("the skin did not draw");
    int i = 0;
    for (auto _ : state) {
        scene.style.sText = kReadings[i++ & 1];
        OverlayResult r = scene.draw(QString());
        benchmark::DoNotOptimize(r.canvas.constBits());
    }
}
BENCHMARK(BM_RedrawWithoutPictureChange)
    ->ArgName("dpr")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A new skin every drawing: the file is read and decoded, recoloured and scaled again.
void BM_RedrawWithPictureChange(benchmark::State& state)
{
    Scene scene;
    scene.ratio = static_cast<qreal>(state.range(0));
    scene.style.sText = kReadings[0];
    int i = 0;
    for (auto _ : state) {
        OverlayResult r = scene.draw(scene.skins[i++ & 1]);
        if (!r.drawn)
            state.SkipWithError("the skin did not draw");
        benchmark::DoNotOptimize(r.canvas.constBits());
    }
}
BENCHMARK(BM_RedrawWithPictureChange)
    ->ArgName("dpr")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The per-pixel recolouring alone, on a megapixel of random translucent pixels.
void BM_ColorMatrixPass(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    std::mt19937 rng(1);
    for (int y = 0; y < side; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < side; ++x) {
            const int a = static_cast<int>(rng() % 256);
            row[x] = qRgba(
                static_cast<int>(rng() % (a + 1)), static_cast<int>(rng() % (a + 1)), static_cast<int>(rng() % (a + 1)), a);
        }
    }
    const ColorMatrix m = BuildColorMatrix(PicAdjust {0.7F, 0.9F, 1.0F, 0.0F, 1.0F});
    for (auto _ : state) {
        applyColorMatrix(image, m);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(BM_ColorMatrixPass)->Arg(1024)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    // Fonts need a QGuiApplication; no window is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
