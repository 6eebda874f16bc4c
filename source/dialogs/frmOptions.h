#pragma once

#include "dialogs/Autorun.h"
#include "dialogs/frmOptionsLayout.h"
#include "render/TrayDigits.h"
#include "settings/OptionKeys.h"

#include "platform/DateTime.h"

#include <QPoint>
#include <QWidget>

#include <array>
#include <functional>

namespace tb {

class ctlTemper;

// The main window's state the options dialog edits in place (frmMain keeps it).
struct OptionsTarget {
    ctlTemper& temper; // provider list, `Prov`, `TemperCor`, the reading
    qint32& Prov; // the provider setting, distinct from the component's `Prov`
    bool& fProvUnset; // no provider was stored at start-up: either button stores
    bool& ARun;
    bool& VerChk;
    TrayLook& tray; // TrCif, TrBold, TrTrans, TrCol(0..3)
    // The main window's reading handler: redraws the indicator and the tray icon.
    std::function<void(double temperature, DateTime time)> TemperReceive;
    // Redraws the tray icon from the tray look.
    std::function<void()> UpdateTrayIcon;
};

// The options dialog: provider, temperature correction, autorun at log-on, the version check
// and the tray icon's look and colours. The correction and the tray look apply live; "Ввод"
// (Enter) stores everything, "Отмена" (Esc) puts the correction and the tray look back as they
// were when the dialog opened. On a first run both buttons store.
//
// A modeless window without owner that deletes itself when it closes; the caller keeps a
// QPointer and calls Show(), which brings an open dialog forward instead of loading it again.
// A close from outside (the window manager) counts as "Отмена".
class frmOptions final : public QWidget {
public:
    frmOptions(OptionsTarget target, Options& options, Autorun autorun, RunCommand command);

    // Loads and shows the dialog; when it is open already, only raises and activates it.
    void Show();
    // Selects a provider in the list, as if the user had (a town chosen elsewhere picks "Локальный").
    void selectProvider(int index);

    // Esc (27) acts as "Отмена", Enter (13) as "Ввод", each once, as a click on the button.
    void Form_KeyDown(int keyCode);
    // The button handler: 1 "Ввод", 0 "Отмена". Stores, restores, redraws and closes.
    void chkOkCancel_Click(int index);
    void picTIconColor_Click(int index);

    // The log-on autorun as `sRunCmd` expects it.
    bool IsAutoRun() const;
    // Installs or removes it; ARun and the key "ARun" take the state read back.
    void SetAutoRun(bool wanted);

    // The colour chooser (SelectColor); tests put their own here.
    std::function<qint32(qint32 initial, QWidget* owner)> chooseColour;

    const OptionsControls& controls() const { return c_; }
    double dCorAtOpen() const { return dCorAtOpen_; }
    const TrayLook& TrayAtOpen() const { return trayAtOpen_; }
    const QString& sRunCmd() const { return sRunCmd_; }
    bool loaded() const { return loaded_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void loadProviders();
    void loadCorrection();
    void scrlT_Change();
    void optIconTray_Click();
    void chkFontBold_Click();
    void chkTransparent_Click();
    void paintSwatch(int index);
    void finish(int index);
    QPoint defaultPosition() const;
    bool drag(QEvent* event);

    OptionsTarget target_;
    Options& options_;
    Autorun autorun_;
    RunCommand command_;
    OptionsControls c_;

    bool fLoading_ = false;
    double dCorAtOpen_ = 0;
    TrayLook trayAtOpen_;
    QString sRunCmd_;
    std::array<qint32, 4> swatch_ {}; // the colour each swatch shows, 0x00BBGGRR

    bool loaded_ = false;
    bool finished_ = false;
    bool pressed_ = false;
    QPoint pressAt_;
};

} // namespace tb
