#include "dialogs/DialogCompanions.h"

#include "app/frmMain.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmSlider.h"
#include "platform/desktop/OnTop.h"
#include "platform/desktop/WindowFront.h"

#include <QCoreApplication>
#include <QScreen>

#include <algorithm>

namespace tb {

Q_LOGGING_CATEGORY(lcCompanions, "thermobadge.dialogs", QtInfoMsg)

namespace {

// Places `window` beside `other` on the screen: to its right, else to its left, else below it,
// whichever lies wholly on the screen; failing all, `other` moves over to make room on its right.
void placeBeside(QWidget& window, QWidget& other)
{
    constexpr int kGap = 16;
    const QScreen* screen = other.screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect beside = other.frameGeometry();
    const QSize size = window.size();
    const QPoint candidates[] = {{beside.right() + kGap, beside.top()},
                                 {beside.left() - kGap - size.width(), beside.top()},
                                 {beside.left(), beside.bottom() + kGap}};
    for (const QPoint& at : candidates)
        if (area.contains(QRect(at, size))) {
            window.move(at);
            return;
        }
    const int left = std::max(area.left(), area.right() + 1 - size.width() - kGap - beside.width());
    other.move(left, beside.top());
    window.move(std::min(left + beside.width() + kGap, std::max(area.left(), area.right() + 1 - size.width())), beside.top());
}

} // namespace

DialogCompanions::DialogCompanions(QWidget* indicatorWindow, int major, int minor) : window_(indicatorWindow), major_(major), minor_(minor) {}

DialogCompanions::~DialogCompanions()
{
    // Deleted, not closed: closing is the dialog's cancel, which must not run after the unload.
    delete options_.data();
    delete slider_.data();
    delete about_.data();
    delete townChooser_.data();
}

void DialogCompanions::mnuOptions_Click()
{
    if (!main_)
        return;
    if (!options_) {
        frmMain& m = *main_;
        options_ = new frmOptions(OptionsTarget{m.temper(), m.Prov(), m.fProvUnset(), m.ARun(), m.VerChk(), m.trayLook(),
                                                [&m](double t, DateTime when) { m.ctlTemper_TemperReceive(t, when); },
                                                [&m] { m.UpdateTrayIcon(); }},
                                  m.options(), Autorun(Autorun::userEntryFile()), RunCommand::ofThisProgram());
    }
    options_->Show();
}

void DialogCompanions::showTownChooser()
{
    if (!town_) {
        qCWarning(lcCompanions) << "no town chooser in this program";
        return;
    }
    if (!townChooser_) {
        townChooser_ = new frmTown(*town_);
        // Beside the options dialog when both open at the first start, not on top of it.
        if (options_ && options_->isVisible())
            placeBeside(*townChooser_, *options_);
    }
    townChooser_->Show();
}

bool DialogCompanions::townChosen() const { return town_ && town_->choice.current().has_value(); }

void DialogCompanions::selectProvider(int index)
{
    if (main_)
        main_->Prov() = index;
    if (options_)
        options_->selectProvider(index);
}

void DialogCompanions::SendText(const QString& text)
{
    if (addon_)
        addon_->SendText(text);
}

void DialogCompanions::showSlider()
{
    if (!main_)
        return;
    if (!slider_) {
        frmMain& m = *main_;
        slider_ = new frmSlider(SliderTarget{m.style(), m.Trans(), m.TransOn(), m.ScaleAutoOff(), m.fSliderOpen(), m.nSliderFocus(),
                                             [&m] { m.DrawTemper(false); }},
                                m.options(), window_);
    }
    slider_->open();
}

void DialogCompanions::focusSlider()
{
    if (!slider_)
        return;
    // Minimising the modal panel minimises the indicator with it: both come back.
    unminimise(window_);
    bringToFront(slider_);
}

void DialogCompanions::showAbout()
{
    // One box at a time: asking again brings the open one forward.
    if (!about_)
        about_ = new frmAbout(major_, minor_);
    unminimise(about_);
    about_->show();
    SetOnTop(true, about_);
    about_->raise();
    about_->activateWindow();
}

void DialogCompanions::mnuSelectSkin_Click()
{
    if (main_)
        main_->mnuSelectSkin_Click();
}

qint32 DialogCompanions::CheckOptDll(qint32) { return addon_ ? addon_->CheckOptDll() : 0; }

void DialogCompanions::quit()
{
    // The panel writes its own keys when it closes; an exit while it is open keeps them too.
    if (slider_ && slider_->isVisible())
        slider_->close();
    delete options_.data();
    QCoreApplication::quit();
}

} // namespace tb
