#pragma once

// The main window with the real renderer and the shipped skins, everything else faked, for
// benchmarks of the paths that end in a redrawn canvas. The scale is 150 % and the marker on.
#include "BenchMain.h"
#include "app/AbsentParts.h"
#include "app/RendererDrawing.h"
#include "app/frmMain.h"
#include "platform/MemoryRegistryStore.h"
#include "platform/MemorySettingsStore.h"
#include "platform/fakes/FakeClock.h"
#include "platform/fakes/FakeUdpPort.h"
#include "platform/fakes/RecordingMessageBoxes.h"
#include "platform/fakes/RecordingProcessLauncher.h"
#include "render/GdipLog.h"
#include "render/OverlayRenderer.h"

#include <memory>

namespace tb::bench {

struct NoPlacement final : WindowPlacement {
    QPoint LoadPos(OptionKey, QPoint p) override { return p; }
    void SavePos(OptionKey, QPoint) override {}
};

struct MainWindowStack {
    MainWindowStack()
    {
        settings.setValue(QStringLiteral("Prov"), QStringLiteral("0"));
        settings.setValue(QStringLiteral("ScaleAutoOff"), QStringLiteral("0"));
        settings.setValue(QStringLiteral("scX"), QStringLiteral("150"));
        settings.setValue(QStringLiteral("scY"), QStringLiteral("150"));
        temper.InitProperties();
        main = std::make_unique<frmMain>(MainWindowEnv{temper, settings, Regional::russian(), clock, clock, boxes, view, drawing, tray,
                                                       placement, companions, menu, QStringLiteral(THERMOBADGE_ASSETS), 1, 4, false});
        main->Form_Load();
    }

    FakeClock clock;
    FakeUdpPort udp{&clock};
    MemoryRegistryStore registry;
    MemorySettingsStore settings;
    RecordingMessageBoxes boxes;
    RecordingProcessLauncher processes;
    ctlTemper temper{TemperEnvironment{clock, clock, udp, registry, boxes, processes, Regional::russian(),
                                       QStringLiteral(THERMOBADGE_ASSETS), 1, 4}};
    GdipLog log{clock};
    OverlayRenderer renderer{log};
    RendererDrawing drawing{renderer};
    SnapshotView view;
    NoTrayIcon tray;
    NoPlacement placement;
    NoCompanions companions;
    NoPopupMenu menu;
    std::unique_ptr<frmMain> main;
};

} // namespace tb::bench
