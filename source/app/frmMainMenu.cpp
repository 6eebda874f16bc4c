// The pop-up menu of the indicator and the tray icon's clicks.
#include "app/frmMain.h"

#include "app/TemperatureText.h"

#include <QCoreApplication>
#include <QLoggingCategory>

namespace tb {

Q_LOGGING_CATEGORY(lcMenu, "thermobadge.menu", QtInfoMsg)

MenuState frmMain::menuState() const
{
    MenuState s;
    const bool visible = env_.view.isShown();
    s.showCaption = visible ? QCoreApplication::translate("PopupMenuWidget", "Скрыть")
                            : QCoreApplication::translate("PopupMenuWidget", "Показать");
    // Without a tray nothing could bring a hidden window back.
    s.showEnabled = !visible || env_.tray.available();
    s.top = mnuTop_;
    s.ind = mnuInd_;
    s.indPos = staleMark_.nPos;
    s.indSize = indSizeTag_;
    s.selectSkin = iOptWnd_ != 0;
    const FormatMenu formats = SetTemperFormat(dTemper_, nTmprFrmt_);
    s.formatCaptions = formats.captions;
    s.formatChecked = formats.checked;
    return s;
}

void frmMain::SetMnuCaption() { env_.menu.setState(menuState()); }

void frmMain::refreshMenu()
{
    if (iOptWnd_ != 0)
        iOptWnd_ = env_.companions.CheckOptDll(iOptWnd_);
    env_.menu.setState(menuState());
}

void frmMain::SetMenu(QPoint globalPos)
{
    // The menu refreshes itself (refreshMenu) however it opens, so a tray host that opens it
    // over D-Bus sees the same items.
    if (!env_.menu.isOpen())
        env_.menu.popupAt(globalPos);
}

void frmMain::menuCommand(MenuItem item, int index)
{
    switch (item) {
    case MenuItem::Show: mnuShow_Click(); break;
    case MenuItem::Top: mnuTop_Click(); break;
    case MenuItem::Ind: mnuInd_Click(); break;
    case MenuItem::IndPos: mnuIndPos_Click(index); break;
    case MenuItem::IndSize: mnuIndSize_Click(index); break;
    case MenuItem::SelectSkin: env_.companions.mnuSelectSkin_Click(); break;
    case MenuItem::Format: mnuFormat_Click(index); break;
    case MenuItem::Scale: mnuScale_Click(); break;
    case MenuItem::Trans: mnuTrans_Click(); break;
    case MenuItem::Options: mnuOptions_Click(); break;
    case MenuItem::Town: env_.companions.showTownChooser(); break;
    case MenuItem::About: mnuAbout_Click(); break;
    case MenuItem::Exit: mnuExit_Click(); break;
    }
}

void frmMain::TrayIconEvent(int message, QPoint globalPos)
{
    // A click while an earlier one is handled, or while its menu is still open, is ignored.
    if (trayBusy_ || env_.menu.isOpen())
        return;
    trayBusy_ = true;
    if (message == kTrayLeftButtonDown)
        mnuShow_Click();
    else if (message == kTrayRightButtonUp)
        SetMenu(globalPos);
    trayBusy_ = false;
}

void frmMain::trayAvailableChanged(bool available)
{
    qCInfo(lcMenu) << (available ? "a tray is on the desktop now" : "the tray went away");
    if (!available && !env_.view.isShown()) {
        qCWarning(lcMenu) << "the window was hidden and no tray can bring it back: shown again";
        env_.view.setShown(true);
        options_.setBoolean(OptionKey::Show, true);
    }
    SetMnuCaption();
}

void frmMain::UpdateTrayIcon() { env_.tray.UpdateTrayIcon(env_.temper.valTemper(), trayLook_); }

void frmMain::mnuShow_Click()
{
    if (fSliderOpen_) {
        env_.companions.focusSlider();
        return;
    }
    const bool visible = !env_.view.isShown();
    if (!visible && !env_.tray.available()) {
        qCWarning(lcMenu) << "no tray on this desktop: the window stays visible, nothing could bring it back";
        return;
    }
    env_.view.setShown(visible);
    options_.setBoolean(OptionKey::Show, visible);
    SetMnuCaption();
    if (visible)
        env_.view.activate();
}

void frmMain::mnuTop_Click()
{
    mnuTop_ = !mnuTop_;
    env_.view.setOnTop(mnuTop_);
    options_.setBoolean(OptionKey::WinTop, mnuTop_);
    SetMnuCaption();
}

void frmMain::mnuInd_Click()
{
    mnuInd_ = !mnuInd_;
    tmr0_->setEnabled(mnuInd_);
    if (staleMark_.fShow && !mnuInd_) {
        staleMark_.fShow = false;
        DrawTemper(false);
    } else if (!staleMark_.fShow && mnuInd_) {
        tmr_Timer();
    }
    SetMnuCaption();
}

void frmMain::mnuIndPos_Click(int index)
{
    if (index < 0 || index >= kIndPosCaptions.size())
        return;
    staleMark_.nPos = static_cast<qint16>(index);
    DrawTemper(false);
    SetMnuCaption();
}

void frmMain::mnuIndSize_Click(int index)
{
    if (index < 0 || index >= static_cast<int>(kStaleMarkSizes.size()))
        return;
    indSizeTag_ = static_cast<qint16>(index);
    staleMark_.nSize = kStaleMarkSizes[static_cast<std::size_t>(index)];
    DrawTemper(false);
    SetMnuCaption();
}

void frmMain::mnuScale_Click()
{
    nSliderFocus_ = 1;
    env_.companions.showSlider();
}

void frmMain::mnuTrans_Click()
{
    nSliderFocus_ = 0;
    env_.companions.showSlider();
}

void frmMain::mnuOptions_Click() { env_.companions.mnuOptions_Click(); }

void frmMain::mnuAbout_Click() { env_.companions.showAbout(); }

void frmMain::mnuExit_Click()
{
    Form_Unload();
    env_.companions.quit();
}

} // namespace tb
