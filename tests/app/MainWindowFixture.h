#pragma once

// A main window with every part around it faked: drawing, view, tray, menu, dialogs.
#include "QtPrinters.h"
#include "app/frmMain.h"
#include "platform/MemoryRegistryStore.h"
#include "platform/MemorySettingsStore.h"
#include "platform/fakes/FakeClock.h"
#include "platform/fakes/FakeUdpPort.h"
#include "platform/fakes/RecordingMessageBoxes.h"
#include "platform/fakes/RecordingProcessLauncher.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace tb::test {

// Records what the window was asked to show and where it was moved.
struct FakeView : IndicatorView {
    void showCanvas(const QImage& canvas, int alpha) override;
    void setShown(bool v) override { visible = v; }
    bool isShown() const override { return visible; }
    void moveTo(QPoint p) override;
    QPoint position() const override { return pos; }
    void setOnTop(bool on) override { onTop = on; }
    QSize lastSize;
    int lastAlpha = -1, shownCanvases = 0;
    bool visible = false, onTop = false;
    QPoint pos {-1, -1};
    std::vector<QPoint> moves;
};

// Records what would be drawn: the text, the file and the style at that moment. A font named
// "Missing Font" is replaced by "Arial", as a missing face is.
struct FakeDrawing : OverlayDrawing {
    DrawOutcome draw(const QString& file, OverlayStyle& style, const PicAdjust&, const StaleMark& mark, qreal) override;
    QStringList texts, files;
    std::vector<bool> marks;
};

struct FakeTray : TrayIcon {
    void TrayIconShow(bool add) override { shows.push_back(add); }
    void TrayIconTip(const QString& tip) override { this->tip = tip; }
    void UpdateTrayIcon(double t, const TrayLook& look) override;
    bool available() const override { return hasTray; }
    std::vector<bool> shows;
    TrayLook lastLook;
    bool hasTray = true;
    QString tip;
    double last = 0;
};

struct FakePlacement : WindowPlacement {
    QPoint LoadPos(OptionKey, QPoint fallback) override { return saved.value_or(fallback); }
    void SavePos(OptionKey, QPoint p) override { saved = p; }
    std::optional<QPoint> saved;
};

// Opens at once: the refresh runs, then the menu counts as open until closed.
struct FakeMenu : PopupMenu {
    void popupAt(QPoint at) override;
    bool isOpen() const override { return open; }
    void setState(const MenuState& s) override { state = s; }
    MenuState state;
    bool open = false;
    std::vector<QPoint> openedAt;
};

// Counts the dialogs and add-on calls the main window asks for.
struct FakeCompanions : MainWindowCompanions {
    void mnuOptions_Click() override { ++optionsOpened; }
    void showTownChooser() override { ++townChooserOpened; }
    bool townChosen() const override { return hasTown; }
    void SendText(const QString& t) override { sent.append(t); }
    void showSlider() override { ++sliderOpened; }
    void focusSlider() override { ++sliderFocused; }
    void showAbout() override { ++aboutOpened; }
    void mnuSelectSkin_Click() override { ++addonStarted; }
    qint32 CheckOptDll(qint32 handle) override { return linked ? handle : 0; }
    void quit() override { ++quits; }
    int sliderOpened = 0, sliderFocused = 0, aboutOpened = 0, addonStarted = 0, quits = 0;
    bool linked = true;
    int optionsOpened = 0;
    int townChooserOpened = 0;
    bool hasTown = false;
    QStringList sent;
};

class MainWindowFixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    FakeClock clock {DateTime::of(2024, 3, 7, 14, 5, 0)};
    FakeUdpPort udp {&clock};
    MemoryRegistryStore registry;
    MemorySettingsStore settings;
    RecordingMessageBoxes boxes;
    RecordingProcessLauncher processes;
    FakeView view;
    FakeDrawing drawing;
    FakeTray tray;
    FakePlacement placement;
    FakeCompanions companions;
    FakeMenu menu;
    std::unique_ptr<ctlTemper> temper;
    std::unique_ptr<frmMain> main;

    // Writes the program folder's skin list and one skin picture (FotoMark/Winter/snow.png).
    void writeSkins(const QByteArray& ini);
    // Makes the temperature component (two provider groups on loopback) and the main window,
    // and loads it; what Form_Load returns.
    bool load();
    const QString kSelected = QStringLiteral("Winter\\snow.png|Arial|1|20|65535|0|0|0|2|2|128|0|2|1|1|1|0|0|100|100|0|0");
};

} // namespace tb::test
