#pragma once

#include "app/MainWindowParts.h"
#include "app/Skins.h"
#include "render/CommandInterpreter.h"
#include "settings/OptionKeys.h"
#include "skinfiles/AppPaths.h"
#include "skinfiles/INI_Class.h"

#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "temperature/ctlTemper.h"

#include <array>
#include <memory>

namespace tb {

// What the main window is given to work with.
struct MainWindowEnv {
    ctlTemper& temper;
    SettingsStore& settings;
    Regional regional;
    Clock& clock;
    TimerFactory& timers;
    MessageBoxes& messages;
    IndicatorView& view;
    OverlayDrawing& drawing;
    TrayIcon& tray;
    WindowPlacement& placement;
    MainWindowCompanions& companions;
    PopupMenu& menu;
    QString programDir;
    int programMajor = 0;
    int programMinor = 0;
    bool startPolling = true; // false: show the stored reading only (snapshots)
};

// Marker sizes offered by the size menu, by index.
inline constexpr std::array<float, 6> kStaleMarkSizes = {14, 19, 23, 30, 35, 42};
// The look used when the skin list selects none: white bold text, dark outline, soft shadow.
inline constexpr const char* kTextOnlyLook = "A=|Arial|1|40|16777215|0|0|0|2|-2|128|0|2|1|1|1|0|0|100|100|0|0";
// A reading older than this many seconds is stale.
inline constexpr int kStaleAfterSeconds = 1020;

// The indicator's main window: brings the program up and down in a fixed order, turns each
// reading into the drawn overlay, runs the command box and keeps the program-wide settings.
class frmMain {
public:
    explicit frmMain(MainWindowEnv env);
    ~frmMain();

    // Start-up; false when the temperature source could not start (the user has been told).
    bool Form_Load();
    void Form_Unload();

    // The handler of each reading, also called with the stored one at start-up.
    void ctlTemper_TemperReceive(double temperature, DateTime time);
    // Redraws the overlay; with `fChangePic` the picture file is checked and read again.
    void DrawTemper(bool fChangePic);
    // The request word follows the current skin picture.
    void ChangeZapros();
    // The user picks a temperature format.
    void mnuFormat_Click(int index);
    // The stale-reading test, once a second while the marker is enabled.
    void tmr_Timer();

    // The pop-up menu: refreshes the add-on link, "Вид" and the format items, then opens the
    // menu at the global position.
    void SetMenu(QPoint globalPos);
    // The refresh steps of SetMenu, run however the menu opens.
    void refreshMenu();
    // "Скрыть" while the window is visible, else "Показать".
    void SetMnuCaption();
    MenuState menuState() const;
    // A mouse message of the tray icon: left press shows or hides the window, right release
    // opens the menu; one that arrives while another is handled, or while the menu is open,
    // is ignored.
    void TrayIconEvent(int message, QPoint globalPos);
    // A tray appeared or went away.
    void trayAvailableChanged(bool available);
    // Redraws the tray icon from the current reading and tray look.
    void UpdateTrayIcon();

    void mnuShow_Click();
    void mnuTop_Click();
    void mnuInd_Click();
    void mnuIndPos_Click(int index);
    void mnuIndSize_Click(int index);
    void mnuScale_Click();
    void mnuTrans_Click();
    void mnuOptions_Click();
    void mnuAbout_Click();
    // Runs the unload and ends the program; Escape, the window manager's close command and
    // the stop signals end the program the same way.
    void mnuExit_Click();

    CommandBox& txtMsg() { return *txtMsg_; }

    // State, for the parts around the window and for tests.
    const OverlayStyle& style() const { return style_; }
    const PicAdjust& picAdjust() const { return adjust_; }
    const StaleMark& staleMark() const { return staleMark_; }
    const QList<PicEntry>& PicList() const { return picList_; }
    const AppPaths& paths() const { return paths_; }
    const QString& sPicName() const { return sPicName_; }
    const QString& sPicFile() const { return sPicFile_; }
    const QString& sZaprosPrefix() const { return sZaprosPrefix_; }
    qint16 nTmprFrmt() const { return nTmprFrmt_; }
    double dTemper() const { return dTemper_; }
    bool fProvUnset() const { return fProvUnset_; }
    qint32 Prov() const { return prov_; }
    qint32 iOptWnd() const { return iOptWnd_; }
    bool mnuIndChecked() const { return mnuInd_; }
    bool mnuTopChecked() const { return mnuTop_; }
    qint16 indSizeTag() const { return indSizeTag_; }
    bool unloaded() const { return unloaded_; }
    const TrayLook& trayLook() const { return trayLook_; }
    void setTrayLook(const TrayLook& look) { trayLook_ = look; }
    Options& options() { return options_; }

    // What the scale and transparency panel edits in place.
    OverlayStyle& style() { return style_; }
    quint8& Trans() { return trans_; }
    bool& TransOn() { return transOn_; }
    bool& ScaleAutoOff() { return scaleAutoOff_; }
    bool& fSliderOpen() { return fSliderOpen_; }
    qint16& nSliderFocus() { return nSliderFocus_; }
    QString lastTooltip() const { return tooltip_; }
    int drawCount() const { return drawCount_; }

    // For the options dialog.
    ctlTemper& temper() { return env_.temper; }
    qint32& Prov() { return prov_; }
    bool& fProvUnset() { return fProvUnset_; }
    bool& ARun() { return aRun_; }
    bool& VerChk() { return verChk_; }
    TrayLook& trayLook() { return trayLook_; }

private:
    void menuCommand(MenuItem item, int index);
    void FileFromIni();
    void DrawStrOnFilePic(const QString& file, const QString& text);

    MainWindowEnv env_;
    Options options_;
    INI_Class IniReader_;
    AppPaths paths_;
    QList<PicEntry> picList_;

    OverlayStyle style_;
    PicAdjust adjust_;
    StaleMark staleMark_;
    QString sPicName_;
    QString sPicFile_;
    qint32 iOptWnd_ = 0;
    std::unique_ptr<CommandInterpreter> interpreter_;
    std::unique_ptr<CommandBox> txtMsg_;
    std::unique_ptr<Timer> tmr0_;

    double dTemper_ = 0;
    qint16 nTmprFrmt_ = 0;
    qint32 prov_ = 0;
    bool fProvUnset_ = false;
    QString sZaprosPrefix_;
    quint8 trans_ = 0;
    bool transOn_ = true;
    bool scaleAutoOff_ = false;
    bool aRun_ = false, verChk_ = true;
    TrayLook trayLook_;
    bool fSliderOpen_ = false;
    qint16 nSliderFocus_ = 0;
    bool trayBusy_ = false;
    bool unloaded_ = false;
    bool mnuInd_ = true;
    bool mnuTop_ = true;
    qint16 indSizeTag_ = 0;
    QString tooltip_;
    int drawCount_ = 0;

    // The add-on link.
public:
    // Makes the command box an endpoint that other processes set texts into, and lets the
    // add-on actions below use `link`, which must last as long as the window runs.
    bool attachAddon(class AddonLink& link);
    // A double-click on the window: a linked add-on that answers the probe comes to the front
    // ("W=1"); otherwise the add-on is started.
    void Form_DblClick();
    // "Вид": a linked add-on is told to close ("W=0") and the link dropped; otherwise the
    // add-on is started.
    void mnuSelectSkin_Click();

private:
    AddonLink* addon_ = nullptr;
};

} // namespace tb
