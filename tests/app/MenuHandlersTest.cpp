#include "MainWindowFixture.h"

using namespace tb;
using namespace tb::test;

using Menu = MainWindowFixture;

TEST_F(Menu, OpensWithFreshItemsFromTheWindowAndTheTray)
{
    settings.setValue(QStringLiteral("TmprFrmt"), QStringLiteral("3"));
    settings.setValue(QStringLiteral("IndSize"), QStringLiteral("2"));
    ASSERT_TRUE(load());
    main->txtMsg().setText(QStringLiteral("W=77"));
    main->SetMenu(QPoint(10, 20));
    EXPECT_EQ(menu.openedAt, std::vector<QPoint>{QPoint(10, 20)});
    const MenuState& s = menu.state;
    EXPECT_EQ(s.showCaption, QStringLiteral("Скрыть"));
    EXPECT_TRUE(s.showEnabled && s.top && s.ind && s.selectSkin);
    EXPECT_EQ(s.indPos, 0);
    EXPECT_EQ(s.indSize, 2);
    ASSERT_EQ(s.formatCaptions.size(), 10);
    EXPECT_EQ(s.formatCaptions[3], QStringLiteral("+0.0°C"));
    EXPECT_EQ(s.formatChecked, 3);

    // The add-on went away: the refresh finds out and "Вид" loses its mark.
    companions.linked = false;
    menu.open = false;
    main->TrayIconEvent(kTrayRightButtonUp, QPoint(7, 8));
    EXPECT_EQ(menu.openedAt.back(), QPoint(7, 8));
    EXPECT_FALSE(menu.state.selectSkin);
    EXPECT_EQ(main->iOptWnd(), 0);

    // While the menu is open a tray click is ignored.
    main->TrayIconEvent(kTrayLeftButtonDown, QPoint());
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(menu.openedAt.size(), 2u);
}

TEST_F(Menu, ShowAndHideFlipTheCaptionSaveTheStateAndDeferToTheOpenPanel)
{
    ASSERT_TRUE(load());
    main->TrayIconEvent(kTrayLeftButtonDown, QPoint());
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(menu.state.showCaption, QStringLiteral("Показать"));
    EXPECT_EQ(settings.value(QStringLiteral("Show")), QStringLiteral("False"));
    main->mnuShow_Click();
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(menu.state.showCaption, QStringLiteral("Скрыть"));
    EXPECT_EQ(settings.value(QStringLiteral("Show")), QStringLiteral("True"));

    main->mnuScale_Click();
    EXPECT_EQ(main->nSliderFocus(), 1);
    main->mnuTrans_Click();
    EXPECT_EQ(main->nSliderFocus(), 0);
    EXPECT_EQ(companions.sliderOpened, 2);
    main->fSliderOpen() = true;
    main->TrayIconEvent(kTrayLeftButtonDown, QPoint());
    EXPECT_TRUE(view.visible) << "the open panel takes the focus instead";
    EXPECT_EQ(companions.sliderFocused, 1);
}

TEST_F(Menu, WithoutATrayTheWindowCannotBeLost)
{
    tray.hasTray = false;
    settings.setValue(QStringLiteral("Show"), QStringLiteral("False"));
    ASSERT_TRUE(load());
    EXPECT_TRUE(view.visible) << "a stored hidden state is ignored without a tray";
    EXPECT_FALSE(menu.state.showEnabled);
    main->mnuShow_Click();
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(settings.value(QStringLiteral("Show")), QStringLiteral("False")) << "nothing changed, nothing saved";

    // A tray appears: hiding works; the tray goes away again: the window comes back.
    tray.hasTray = true;
    tray.onAvailableChanged(true);
    EXPECT_TRUE(menu.state.showEnabled);
    main->mnuShow_Click();
    EXPECT_FALSE(view.visible);
    tray.hasTray = false;
    tray.onAvailableChanged(false);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(settings.value(QStringLiteral("Show")), QStringLiteral("True"));
}

TEST_F(Menu, TopMarkerItemsAndExit)
{
    ASSERT_TRUE(load());
    main->mnuTop_Click();
    EXPECT_FALSE(view.onTop);
    EXPECT_FALSE(menu.state.top);
    EXPECT_EQ(settings.value(QStringLiteral("WinTop")), QStringLiteral("False"));

    // An old reading: disabling the marker removes it at once, enabling shows it at once.
    clock.advanceSecs(5000);
    EXPECT_TRUE(main->staleMark().fShow);
    main->mnuInd_Click();
    EXPECT_FALSE(main->staleMark().fShow);
    EXPECT_FALSE(drawing.marks.back());
    main->mnuInd_Click();
    EXPECT_TRUE(main->staleMark().fShow);
    EXPECT_TRUE(drawing.marks.back());

    const int draws = main->drawCount();
    main->mnuIndPos_Click(4);
    main->mnuIndSize_Click(5);
    main->mnuIndSize_Click(6); // no such item
    EXPECT_EQ(main->drawCount(), draws + 2);
    EXPECT_EQ(menu.state.indPos, 4);
    EXPECT_EQ(menu.state.indSize, 5);
    EXPECT_EQ(main->staleMark().nSize, 42.0f);

    main->mnuAbout_Click();
    EXPECT_EQ(companions.aboutOpened, 1);
    main->txtMsg().setText(QStringLiteral("W=77"));
    main->mnuExit_Click();
    main->mnuExit_Click(); // a second request (a signal during exit) changes nothing
    EXPECT_EQ(companions.quits, 2);
    EXPECT_EQ(companions.sent.count(QStringLiteral("W=0")), 1);
    EXPECT_EQ(settings.value(QStringLiteral("IndPos")), QStringLiteral("4"));
    EXPECT_EQ(settings.value(QStringLiteral("IndSize")), QStringLiteral("5"));
    EXPECT_EQ(tray.shows, (std::vector<bool>{true, false}));
}

TEST_F(Menu, TheTrayGetsTheStoredLook)
{
    settings.setValue(QStringLiteral("TrBold"), QStringLiteral("1"));
    settings.setValue(QStringLiteral("TrCif"), QStringLiteral("0"));
    settings.setValue(QStringLiteral("TrCol2"), QStringLiteral("123"));
    ASSERT_TRUE(load());
    EXPECT_TRUE(tray.lastLook.TrBold);
    EXPECT_FALSE(tray.lastLook.TrCif);
    EXPECT_TRUE(tray.lastLook.TrTrans);
    EXPECT_EQ(tray.lastLook.TrCol, (std::array<qint32, 4>{255, 16776960, 123, 65535}));
}
