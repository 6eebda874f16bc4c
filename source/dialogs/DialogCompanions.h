#pragma once

#include "app/AddonLink.h"
#include "app/MainWindowParts.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmOptions.h"
#include "dialogs/frmSlider.h"
#include "dialogs/frmTown.h"

#include <QLoggingCategory>
#include <QPointer>

class QWidget;

namespace tb {

Q_DECLARE_LOGGING_CATEGORY(lcCompanions)

class frmMain;

// The windows the indicator opens: the options dialog (one at a time, modeless, without
// owner), the scale and transparency panel (one for the run, modal to the indicator window)
// and the about box (modeless, above other windows), and the look editor add-on's link.
class DialogCompanions final : public MainWindowCompanions {
public:
    DialogCompanions(QWidget* indicatorWindow, int major, int minor);
    ~DialogCompanions() override;
    // The main window whose state the panel edits; set once it exists.
    void attach(frmMain& main) { main_ = &main; }
    // The look editor add-on's link, which carries SendText and the link probe.
    void attachAddon(AddonLink& link) { addon_ = &link; }
    // What the town chooser works with; without it "Город..." opens nothing.
    void attachTown(TownChooserEnv env) { town_.emplace(std::move(env)); }
    // A town chosen in the chooser makes "Локальный" the provider, in an open options dialog too.
    void selectProvider(int index);

    void mnuOptions_Click() override;
    void showTownChooser() override;
    bool townChosen() const override;
    void SendText(const QString& text) override;
    void showSlider() override;
    void focusSlider() override;
    void showAbout() override;
    void mnuSelectSkin_Click() override;
    qint32 CheckOptDll(qint32 iOptWnd) override;
    void quit() override;

    frmSlider* slider() const { return slider_; }
    frmAbout* about() const { return about_; }
    frmTown* townChooser() const { return townChooser_; }
    frmOptions* optionsDialog() const { return options_; }

private:
    QWidget* window_;
    int major_, minor_;
    frmMain* main_ = nullptr;
    AddonLink* addon_ = nullptr;
    QPointer<frmOptions> options_;
    QPointer<frmSlider> slider_;
    QPointer<frmAbout> about_;
    std::optional<TownChooserEnv> town_;
    QPointer<frmTown> townChooser_;
};

} // namespace tb
