// The link to the look editor add-on, through the main window's own actions, with the
// channel, program starts and message boxes faked. The add-on is a stand-in that answers as
// the real one does.
#include "MainWindowFixture.h"
#include "app/AddonLink.h"
#include "platform/fakes/FakeCommandChannel.h"

using namespace tb;
using namespace tb::test;

namespace {

// The dialogs part of the program as it hands the add-on calls to the link.
struct LinkCompanions : FakeCompanions {
    void SendText(const QString& text) override { link->SendText(text); }
    void mnuSelectSkin_Click() override { main->mnuSelectSkin_Click(); }
    qint32 CheckOptDll(qint32) override { return link->CheckOptDll(); }
    AddonLink* link = nullptr;
    frmMain* main = nullptr;
};

// A started look editor: announces its box, answers the probe, and can end without notice.
struct StandInAddon {
    StandInAddon(FakeCommandChannel& channel, const RecordingProcessLauncher::Started& start, qint32 handle)
        : channel(channel)
        , handle(handle)
        , indicator(start.arguments.value(0).section(u'|', 0, 0).toInt())
    {
        channel.addRemote(handle, [this](const QString& text) {
            if (text == QStringLiteral("W=2") && answers)
                this->channel.setText(indicator, QStringLiteral("W=%1").arg(this->handle));
        });
    }
    void announce() const { channel.setText(indicator, QStringLiteral("W=%1").arg(handle)); }
    void end() const { channel.removeRemote(handle); }
    QStringList received() const { return channel.sentTo(handle); }

    FakeCommandChannel& channel;
    qint32 handle;
    qint32 indicator;
    bool answers = true;
};

class AddonLinkTest : public ::testing::Test {
protected:
    // The program folder has blanks in its name.
    void load(bool withModule = true)
    {
        ASSERT_TRUE(root.isValid());
        programDir = root.filePath(QStringLiteral("Thermo Badge 1.4"));
        ASSERT_TRUE(QDir().mkpath(programDir));
        module = programDir + QStringLiteral("/ThermoBadgeOpt.dll");
        if (withModule)
            processes.files.insert(module);
        temper = std::make_unique<ctlTemper>(
            TemperEnvironment {clock, clock, udp, registry, boxes, processes, Regional::russian(), programDir, 1, 4,
                {QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("127.0.0.1"), QStringLiteral("B"), QStringLiteral("1"),
                    QStringLiteral("127.0.0.2")}});
        temper->InitProperties();
        main = std::make_unique<frmMain>(MainWindowEnv {*temper, settings, Regional::russian(), clock, clock, boxes, view,
            drawing, tray, placement, companions, menu, programDir, 1, 4, false});
        companions.link = &link;
        companions.main = main.get();
        ASSERT_TRUE(main->attachAddon(link));
        ASSERT_TRUE(link.publish(indicatorEndpointName()));
        main->Form_Load();
        main->ctlTemper_TemperReceive(6.5, DateTime::of(2024, 3, 7, 14, 0, 0));
    }
    // Opens the menu as the user does: the link is probed, "Вид" shows it.
    bool lookChecked()
    {
        menu.open = false;
        main->SetMenu(QPoint(1, 1));
        menu.open = false;
        return menu.state.selectSkin;
    }
    StandInAddon startedAddon(std::size_t start, qint32 handle)
    {
        return StandInAddon(channel, processes.started.at(start), handle);
    }

    QTemporaryDir root;
    QString programDir, module;
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
    LinkCompanions companions;
    FakeMenu menu;
    FakeCommandChannel channel;
    AddonLink link {AddonLinkEnv {channel, processes, boxes}};
    std::unique_ptr<ctlTemper> temper;
    std::unique_ptr<frmMain> main;
};

} // namespace

TEST_F(AddonLinkTest, AMissingModuleIsReportedAndNothingStarts)
{
    load(false);
    main->Form_DblClick();
    main->mnuSelectSkin_Click();
    ASSERT_EQ(boxes.shown.size(), 2u);
    for (const auto& box : boxes.shown) {
        EXPECT_EQ(box.icon, MessageBoxes::Icon::Critical);
        EXPECT_EQ(box.title, QStringLiteral("Ошибка..."));
        EXPECT_EQ(box.text, QStringLiteral("Не найден модуль: \r\n") + programDir + QStringLiteral("/ThermoBadgeOpt.dll"));
    }
    EXPECT_TRUE(processes.attempts.empty());
    EXPECT_EQ(link.state(), AddonLink::State::NotLinked);
    main->mnuExit_Click();
    EXPECT_TRUE(channel.sent.empty()) << "nothing is sent at exit when no add-on is linked";
}

TEST_F(AddonLinkTest, StartAnnouncementProbeAndClose)
{
    load();
    // The command line: the path with its blanks, then one argument handle|temperature.
    main->Form_DblClick();
    ASSERT_EQ(processes.started.size(), 1u);
    EXPECT_EQ(processes.started[0].program, module);
    EXPECT_EQ(processes.started[0].arguments, QStringList {QStringLiteral("%1|+7°").arg(link.boxHandle())});
    EXPECT_EQ(channel.lookup(indicatorEndpointName()), link.boxHandle());
    EXPECT_EQ(link.state(), AddonLink::State::Started);

    // Not announced yet: "Вид" is unchecked, and choosing it starts a second one.
    EXPECT_FALSE(lookChecked());
    main->mnuSelectSkin_Click();
    ASSERT_EQ(processes.started.size(), 2u);
    StandInAddon addon = startedAddon(1, 777);
    addon.announce();
    EXPECT_EQ(main->iOptWnd(), 777);
    EXPECT_EQ(link.state(), AddonLink::State::Linked);

    // Linked and answering: "W=2" then "W=1", no further start; the menu shows the link.
    main->Form_DblClick();
    EXPECT_EQ(addon.received(), (QStringList {QStringLiteral("W=2"), QStringLiteral("W=1")}));
    EXPECT_EQ(processes.started.size(), 2u);
    EXPECT_TRUE(lookChecked());

    // Its commands reach the window; a missing font family comes back as "Arial".
    channel.setText(link.boxHandle(), QStringLiteral("F=Missing Font"));
    EXPECT_EQ(addon.received().last(), QStringLiteral("F=Arial"));

    // "Вид" unchecked: "W=0" and the link goes; exit then sends nothing more.
    main->mnuSelectSkin_Click();
    EXPECT_EQ(addon.received().last(), QStringLiteral("W=0"));
    EXPECT_EQ(main->iOptWnd(), 0);
    EXPECT_FALSE(menu.state.selectSkin);
    const std::size_t sent = channel.sent.size();
    main->mnuExit_Click();
    EXPECT_EQ(channel.sent.size(), sent);
    EXPECT_EQ(processes.started.size(), 2u);
}

TEST_F(AddonLinkTest, AnAddonThatEndedOrStoppedAnsweringIsUnlinked)
{
    load();
    main->Form_DblClick();
    StandInAddon silent = startedAddon(0, 501);
    silent.announce();
    silent.answers = false;
    // The probe is not answered: a fresh start instead of "W=1".
    main->Form_DblClick();
    EXPECT_EQ(silent.received(), QStringList {QStringLiteral("W=2")});
    ASSERT_EQ(processes.started.size(), 2u);

    StandInAddon gone = startedAddon(1, 502);
    gone.announce();
    gone.end();
    // A text to an ended add-on fails at once and drops the link.
    channel.setText(link.boxHandle(), QStringLiteral("F=Missing Font"));
    EXPECT_EQ(main->iOptWnd(), 0);
    EXPECT_FALSE(lookChecked());

    // The add-on may end the link itself.
    StandInAddon polite = startedAddon(1, 503);
    polite.announce();
    channel.setText(link.boxHandle(), QStringLiteral("W=0"));
    EXPECT_EQ(link.state(), AddonLink::State::NotLinked);

    // None of them hears anything more, not even at exit.
    main->mnuExit_Click();
    EXPECT_EQ(silent.received(), QStringList {QStringLiteral("W=2")});
    EXPECT_EQ(gone.received(), QStringList {QStringLiteral("F=Arial")});
    EXPECT_TRUE(polite.received().isEmpty());
}

TEST_F(AddonLinkTest, ExitTellsALinkedAddonOnceAndScriptsReachTheBox)
{
    load();
    main->Form_DblClick();
    StandInAddon addon = startedAddon(0, 900);
    addon.announce();
    // A script's text arrives as any command does.
    ASSERT_TRUE(channel.setText(*channel.lookup(indicatorEndpointName()), QStringLiteral("S=48")));
    EXPECT_FLOAT_EQ(main->style().nFontSize, 48);
    main->mnuExit_Click();
    main->Form_Unload();
    EXPECT_EQ(addon.received(), QStringList {QStringLiteral("W=0")});

    // Without an endpoint the editor still starts, with handle 0, which it cannot link to.
    FakeCommandChannel closed;
    closed.opensFail = true;
    AddonLink unreachable(AddonLinkEnv {closed, processes, boxes});
    CommandBox box([](CommandBox&) {});
    qint32 wnd = 0;
    EXPECT_FALSE(unreachable.attach(AddonLinkTarget {box, wnd, programDir + u'/', [] { return -6.5; }}));
    EXPECT_FALSE(unreachable.publish(indicatorEndpointName()));
    unreachable.RunOptDll();
    EXPECT_EQ(processes.started.back().arguments, QStringList {QStringLiteral("0|-7°")});
}
