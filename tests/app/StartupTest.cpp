#include "Codepage.h"
#include "FakeClock.h"
#include "FakeUdpPort.h"
#include "MemoryRegistryStore.h"
#include "MemorySettingsStore.h"
#include "QtPrinters.h"
#include "RecordingMessageBoxes.h"
#include "RecordingProcessLauncher.h"
#include "frmMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tb;

namespace {

struct FakeView : IndicatorView {
    void showCanvas(const QImage& canvas, int alpha) override
    {
        lastSize = canvas.size();
        lastAlpha = alpha;
        ++shownCanvases;
    }
    void setShown(bool v) override { visible = v; }
    bool isShown() const override { return visible; }
    void moveTo(QPoint p) override { pos = p; moves.push_back(p); }
    QPoint position() const override { return pos; }
    void setOnTop(bool on) override { onTop = on; }
    QSize lastSize;
    int lastAlpha = -1, shownCanvases = 0;
    bool visible = false, onTop = false;
    QPoint pos{-1, -1};
    std::vector<QPoint> moves;
};

// Records what would be drawn: the text, the file and the style at that moment.
struct FakeDrawing : OverlayDrawing {
    DrawOutcome draw(const QString& file, OverlayStyle& style, const PicAdjust&, const StaleMark& mark, qreal) override
    {
        texts.append(style.sText);
        files.append(file);
        marks.push_back(mark.fShow);
        DrawOutcome out;
        out.drawn = true;
        out.canvas = QImage(100, 40, QImage::Format_ARGB32_Premultiplied);
        if (style.sFontName == QStringLiteral("Missing Font")) {
            style.sFontName = QStringLiteral("Arial");
            out.fontReplaced = true;
        }
        return out;
    }
    QStringList texts, files;
    std::vector<bool> marks;
};

struct FakeTray : TrayIcon {
    void TrayIconShow(bool add) override { shows.push_back(add); }
    void TrayIconTip(const QString& tip) override { this->tip = tip; }
    void UpdateTrayIcon(double t, const TrayLook& look) override
    {
        last = t;
        lastLook = look;
    }
    bool available() const override { return hasTray; }
    std::vector<bool> shows;
    TrayLook lastLook;
    bool hasTray = true;
    QString tip;
    double last = 0;
};

struct FakePlacement : WindowPlacement {
    QPoint LoadPos(const QString&, QPoint fallback) override { return saved.value_or(fallback); }
    void SavePos(const QString&, QPoint p) override { saved = p; }
    std::optional<QPoint> saved;
};

// Opens at once: the refresh runs, then the menu counts as open until closed.
struct FakeMenu : PopupMenu {
    void popupAt(QPoint at) override
    {
        if (onAboutToShow)
            onAboutToShow();
        open = true;
        openedAt.push_back(at);
    }
    bool isOpen() const override { return open; }
    void setState(const MenuState& s) override { state = s; }
    MenuState state;
    bool open = false;
    std::vector<QPoint> openedAt;
};

struct FakeCompanions : MainWindowCompanions {
    void mnuOptions_Click() override { ++optionsOpened; }
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
    QStringList sent;
};

class Startup : public ::testing::Test {
protected:
    QTemporaryDir dir;
    FakeClock clock{DateTime::of(2024, 3, 7, 14, 5, 0)};
    FakeUdpPort udp{&clock};
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

    void writeSkins(const QByteArray& ini)
    {
        QDir(dir.path()).mkpath(QStringLiteral("FotoMark/Winter"));
        QFile pic(dir.filePath(QStringLiteral("FotoMark/Winter/snow.png")));
        pic.open(QIODevice::WriteOnly);
        pic.write("not decoded by the fake drawing");
        QFile f(dir.filePath(QStringLiteral("ThermoBadge.ini")));
        f.open(QIODevice::WriteOnly);
        f.write(ini);
    }
    bool load()
    {
        temper = std::make_unique<ctlTemper>(TemperEnvironment{clock, clock, udp, registry, boxes, processes, Regional::russian(),
                                                               dir.path(), 1, 4, {QStringLiteral("A"), QStringLiteral("1"),
                                                                                  QStringLiteral("127.0.0.1"), QStringLiteral("B"),
                                                                                  QStringLiteral("1"), QStringLiteral("127.0.0.2")}});
        temper->InitProperties();
        main = std::make_unique<frmMain>(MainWindowEnv{*temper, settings, Regional::russian(), clock, clock, boxes, view, drawing, tray,
                                                       placement, companions, menu, dir.path(), 1, 4});
        return main->Form_Load();
    }
    const QString kSelected = QStringLiteral("Winter\\snow.png|Arial|1|20|65535|0|0|0|2|2|128|0|2|1|1|1|0|0|100|100|0|0");
};

} // namespace

TEST_F(Startup, FirstRunWithEmptySettings)
{
    ASSERT_TRUE(load());
    EXPECT_EQ(view.pos, QPoint(0, 0));
    EXPECT_TRUE(view.visible);
    EXPECT_TRUE(view.onTop);
    EXPECT_EQ(main->nTmprFrmt(), 6);
    EXPECT_TRUE(main->mnuIndChecked());
    EXPECT_EQ(main->staleMark().nPos, 0);
    EXPECT_EQ(main->staleMark().nSize, 14.0f);
    EXPECT_TRUE(main->fProvUnset());
    EXPECT_EQ(companions.optionsOpened, 1);
    EXPECT_EQ(tray.shows, std::vector<bool>{true});
    EXPECT_TRUE(main->PicList().isEmpty());
    EXPECT_EQ(temper->strZapros(), QStringLiteral("TbX_14_????"));
    EXPECT_EQ(temper->OprosTime(), 20);
    EXPECT_EQ(toAnsi(temper->ProgId()), QByteArray("\x03"));
    EXPECT_FALSE(temper->DifTimeEvent());
    EXPECT_TRUE(temper->isStarted());
    EXPECT_EQ(main->style().nTextColor, 65535);
    EXPECT_EQ(tray.tip, QStringLiteral("+0,0 °C\r\n24.10.2012 в 18:33")) << "the stored (default) reading";
}

TEST_F(Startup, TheSavedLookIsDrawnFirstInFormatZeroThenInTheSavedFormat)
{
    writeSkins("[General]\nSelected=" + kSelected.toUtf8() + "\n[Dir0]\nPath=Winter\nPic1=snow.png|Snow\n");
    settings.setValue(QStringLiteral("TmprFrmt"), QStringLiteral("4"));
    settings.setValue(QStringLiteral("Prov"), QStringLiteral("1"));
    ASSERT_TRUE(load());
    ASSERT_GE(drawing.texts.size(), 2);
    EXPECT_EQ(drawing.texts[0], QStringLiteral("+0.0"));
    EXPECT_EQ(drawing.files[0], dir.filePath(QStringLiteral("FotoMark/Winter/snow.png")));
    EXPECT_EQ(drawing.texts[1], QStringLiteral("+0.0 °C"));
    EXPECT_TRUE(drawing.files[1].isEmpty()) << "the redraw reuses the picture";
    EXPECT_EQ(main->sPicName(), QStringLiteral("Winter\\snow.png"));
    EXPECT_EQ(temper->strZapros(), QStringLiteral("TbX_14_0001"));
    EXPECT_EQ(temper->Prov(), 1);
    EXPECT_FALSE(main->fProvUnset());
    EXPECT_EQ(companions.optionsOpened, 0);
    EXPECT_EQ(view.lastAlpha, 255);
    EXPECT_EQ(main->style().nShadowAlpha, 128);
}

TEST_F(Startup, StoredSettingsAreApplied)
{
    settings.setValue(QStringLiteral("Show"), QStringLiteral("False"));
    settings.setValue(QStringLiteral("WinTop"), QStringLiteral("False"));
    settings.setValue(QStringLiteral("IndShow"), QStringLiteral("0"));
    settings.setValue(QStringLiteral("IndSize"), QStringLiteral("5"));
    settings.setValue(QStringLiteral("IndPos"), QStringLiteral("9"));
    settings.setValue(QStringLiteral("Prov"), QStringLiteral("2"));
    settings.setValue(QStringLiteral("Trans"), QStringLiteral("100"));
    placement.saved = QPoint(300, 200);
    ASSERT_TRUE(load());
    EXPECT_FALSE(view.visible);
    EXPECT_FALSE(view.onTop);
    EXPECT_FALSE(main->mnuIndChecked());
    EXPECT_EQ(main->staleMark().nSize, 42.0f);
    EXPECT_EQ(main->staleMark().nPos, 0) << "a position outside 0 to 5 falls back to 0";
    EXPECT_EQ(view.moves, (std::vector<QPoint>{QPoint(0, 0), QPoint(300, 200)}));
    EXPECT_FALSE(settings.value(QStringLiteral("Prov"))) << "a provider that does not exist is deleted";
    EXPECT_TRUE(main->fProvUnset());
    EXPECT_EQ(companions.optionsOpened, 1);
    EXPECT_EQ(temper->Prov(), 0);
}

TEST_F(Startup, AMissingPictureIsReportedAndNothingIsDrawn)
{
    writeSkins("[General]\nSelected=" + kSelected.toUtf8().replace("snow", "gone") + "\n");
    ASSERT_TRUE(load());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("Ошибка..."));
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Файл: ") + dir.path() + QStringLiteral("/FotoMark/Winter\\gone.png\r\nНет доступа!"));
    EXPECT_EQ(main->sPicFile(), dir.path() + QStringLiteral("/FotoMark/Winter\\gone.png"));
}

TEST_F(Startup, ReadingsFormatsAndTheStaleMarker)
{
    ASSERT_TRUE(load());
    main->mnuFormat_Click(9);
    EXPECT_EQ(drawing.texts.last(), QStringLiteral("+0 °C"));
    EXPECT_EQ(settings.value(QStringLiteral("TmprFrmt")), QStringLiteral("9"));
    udp.inject(QByteArray("07.03.2024 14:05 -6.5"), QStringLiteral("127.0.0.1"), 25002);
    EXPECT_EQ(drawing.texts.last(), QStringLiteral("-7 °C"));
    EXPECT_EQ(tray.tip, QStringLiteral("-6,5 °C\r\n7.03.2024 в 14:05"));
    EXPECT_FALSE(main->staleMark().fShow);
    clock.advanceSecs(1020);
    EXPECT_FALSE(main->staleMark().fShow) << "exactly 1020 seconds is not yet stale";
    clock.advanceSecs(1);
    EXPECT_TRUE(main->staleMark().fShow);
    EXPECT_TRUE(drawing.marks.back());
}

TEST_F(Startup, ShutdownSavesAndTellsTheAddOn)
{
    ASSERT_TRUE(load());
    main->txtMsg().setText(QStringLiteral("W=77"));
    main->txtMsg().setText(QStringLiteral("F=Missing Font"));
    EXPECT_EQ(companions.sent, QStringList{QStringLiteral("F=Arial")});
    view.pos = QPoint(40, 50);
    main->Form_Unload();
    EXPECT_EQ(companions.sent.last(), QStringLiteral("W=0"));
    EXPECT_EQ(companions.sent.count(QStringLiteral("W=0")), 1);
    EXPECT_EQ(placement.saved, QPoint(40, 50));
    EXPECT_EQ(settings.value(QStringLiteral("scX")), QStringLiteral("100"));
    EXPECT_EQ(settings.value(QStringLiteral("IndShow")), QStringLiteral("1"));
    EXPECT_EQ(settings.value(QStringLiteral("IndSize")), QStringLiteral("0"));
    EXPECT_EQ(tray.shows, (std::vector<bool>{true, false}));
    EXPECT_FALSE(temper->isStarted());
}

TEST_F(Startup, ABlockedNetworkEndsStartUpWithFalse)
{
    udp.setBindResult({87, QStringLiteral("Permission denied")});
    EXPECT_FALSE(load());
    EXPECT_EQ(boxes.shown.size(), 1u);
}
