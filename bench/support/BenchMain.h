#pragma once

#include <benchmark/benchmark.h>

#include <QByteArray>

namespace tb::bench {

// Runs the registered benchmarks inside an application object of type App, offscreen.
template <typename App>
int runWithApp(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace tb::bench
