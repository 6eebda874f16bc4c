// Our overlay drawing against the renderers a desktop widget would otherwise use: the same
// overlay as render_bench (256 x 128 skin at 150 %, bold 40 px Arial, fill, outline, shadow at
// alpha 128, colour adjustment, stale marker) drawn by our renderer, by Cairo and by Magick++
// (in process, one thread), each keeping its recoloured and scaled picture between drawings.
//   WithoutPictureChange: a new reading, the picture stays
//   WithPictureChange:    a new skin file every drawing (read, decode, recolour, scale)
// Goal: at least 2x faster than Cairo and 10x faster than Magick++ in both cases.
//
// Before measuring, the three canvases of one drawing are written next to the build tree's
// root (peer-ours.png, peer-cairo.png, peer-magick.png, and -dpr2 versions) to be looked at;
// after the run the medians are printed as peer/ours ratios of CPU time and of real time.
#include "peers/BenchScene.h"
#include "peers/CairoOverlay.h"
#include "peers/MagickOverlay.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tb;
using namespace tb::bench;

const std::string kReadingText[2] = {kReadings[0].toStdString(), kReadings[1].toStdString()};

// One of the three renderers drawing the scene.
class Drawer {
public:
    virtual ~Drawer() = default;
    virtual bool draw(const std::string& file, int reading) = 0;
};

class OursDrawer final : public Drawer {
public:
    explicit OursDrawer(Scene& scene)
        : scene_(scene)
    {
    }
    bool draw(const std::string& file, int reading) override
    {
        scene_.style.sText = kReadings[reading];
        OverlayResult r = scene_.draw(QString::fromStdString(file));
        benchmark::DoNotOptimize(r.canvas.constBits());
        // Kept until the next drawing, as the window keeps the canvas it shows.
        shown_ = std::move(r.canvas);
        return r.drawn;
    }

private:
    Scene& scene_;
    QImage shown_;
};

template <class Peer> class PeerDrawer final : public Drawer {
public:
    explicit PeerDrawer(const Scene& scene)
        : peer_(peerLook(scene))
    {
    }
    bool draw(const std::string& file, int reading) override
    {
        const bool ok = peer_.draw(file, kReadingText[reading]);
        benchmark::DoNotOptimize(peer_.canvas().pixels);
        return ok;
    }

private:
    Peer peer_;
};

std::unique_ptr<Drawer> makeDrawer(const std::string& who, Scene& scene)
{
    if (who == "cairo")
        return std::make_unique<PeerDrawer<peers::CairoOverlay>>(scene);
    if (who == "magick")
        return std::make_unique<PeerDrawer<peers::MagickOverlay>>(scene);
    return std::make_unique<OursDrawer>(scene);
}

// A new reading: the text changes on every drawing, the picture does not.
void redrawWithoutPictureChange(benchmark::State& state, const std::string& who, int ratio)
{
    Scene scene;
    scene.ratio = ratio;
    auto drawer = makeDrawer(who, scene);
    if (!drawer->draw(scene.skins[0].toStdString(), 0))
        state.SkipWithError("the skin did not draw");
    int i = 0;
    for (auto _ : state)
        drawer->draw(std::string(), ++i & 1);
}

// A new skin every drawing.
void redrawWithPictureChange(benchmark::State& state, const std::string& who, int ratio)
{
    Scene scene;
    scene.ratio = ratio;
    auto drawer = makeDrawer(who, scene);
    const std::string files[2] = {scene.skins[0].toStdString(), scene.skins[1].toStdString()};
    int i = 0;
    for (auto _ : state) {
        if (!drawer->draw(files[i++ & 1], 0)) {
            state.SkipWithError("the skin did not draw");
            break;
        }
    }
}

// The three canvases of one drawing with a new picture, as PNG files.
void writeCanvases(int ratio)
{
    Scene scene;
    scene.ratio = ratio;
    scene.style.sText = kReadings[0];
    const std::string suffix = ratio == 1 ? ".png" : "-dpr" + std::to_string(ratio) + ".png";
    const std::string base = std::string(THERMOBADGE_PEER_PNG_DIR) + "/peer-";
    const OverlayResult ours = scene.draw(scene.skins[0]);
    peers::CairoOverlay cairo(peerLook(scene));
    peers::MagickOverlay magick(peerLook(scene));
    const bool written = ours.drawn && ours.canvas.save(QString::fromStdString(base + "ours" + suffix))
        && cairo.draw(scene.skins[0].toStdString(), kReadingText[0]) && cairo.writePng(base + "cairo" + suffix)
        && magick.draw(scene.skins[0].toStdString(), kReadingText[0]) && magick.writePng(base + "magick" + suffix);
    std::fprintf(stderr, written ? "canvases: %s{ours,cairo,magick}%s\n" : "canvases could not be written to %s*%s\n",
        base.c_str(), suffix.c_str());
}

// The console output, plus the medians kept for the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians_[run.run_name.function_name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
    }
    void printRatios() const
    {
        std::printf("\npeer/ours from the medians of this run, CPU time (real time):\n");
        for (const auto& [name, ours] : medians_) {
            const auto slash = name.find("/ours");
            if (slash == std::string::npos || ours.real <= 0 || ours.cpu <= 0)
                continue;
            std::printf("  %-28s", (name.substr(0, slash) + name.substr(slash + 5)).c_str());
            for (const char* peer : {"cairo", "magick"}) {
                const auto it = medians_.find(name.substr(0, slash) + "/" + peer + name.substr(slash + 5));
                if (it != medians_.end())
                    std::printf("  %s %5.2fx (%5.2fx)", peer, it->second.cpu / ours.cpu, it->second.real / ours.real);
            }
            std::printf("\n");
        }
    }

private:
    struct Times {
        double real = 0;
        double cpu = 0;
    };
    std::map<std::string, Times> medians_;
};

// CPU time is that of the whole process: Qt hands parts of large scalings and fills to its
// thread pool, and that work counts. On a loaded machine it is also the steadier figure.
void configure(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->Repetitions(5)->ReportAggregatesOnly(true);
}

void registerAll()
{
    for (const char* who : {"ours", "cairo", "magick"})
        for (int ratio : {1, 2}) {
            const std::string tail = std::string("/") + who + "/dpr:" + std::to_string(ratio);
            benchmark::RegisterBenchmark(("WithoutPictureChange" + tail).c_str(), redrawWithoutPictureChange, who, ratio)
                ->Apply(configure);
            benchmark::RegisterBenchmark(("WithPictureChange" + tail).c_str(), redrawWithPictureChange, who, ratio)
                ->Apply(configure);
        }
}

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
    writeCanvases(1);
    writeCanvases(2);
    registerAll();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
