#include "MainWindowFixture.h"
#include "platform/Codepage.h"

using namespace tb;
using namespace tb::test;

using Startup = MainWindowFixture;

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
    // No skins: the text is drawn alone in the fallback look, with no picture file to check.
    EXPECT_EQ(main->style().sFontName, QStringLiteral("Arial"));
    EXPECT_EQ(main->style().nTextColor, 0xFFFFFF);
    EXPECT_TRUE(boxes.shown.empty());
    ASSERT_FALSE(drawing.files.isEmpty());
    EXPECT_TRUE(drawing.files.last().isEmpty());
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
