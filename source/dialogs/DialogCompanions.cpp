#include "DialogCompanions.h"

#include "OnTop.h"
#include "frmAbout.h"
#include "frmMain.h"
#include "frmSlider.h"

#include <QCoreApplication>

namespace tb {

Q_LOGGING_CATEGORY(lcCompanions, "thermobadge.dialogs", QtInfoMsg)

DialogCompanions::DialogCompanions(QWidget* indicatorWindow, int major, int minor) : window_(indicatorWindow), major_(major), minor_(minor) {}

DialogCompanions::~DialogCompanions()
{
    delete slider_.data();
    delete about_.data();
}

void DialogCompanions::mnuOptions_Click() { qCInfo(lcCompanions) << "the options dialog is not part of this build yet"; }

void DialogCompanions::SendText(const QString& text) { qCDebug(lcCompanions) << "no add-on linked; not sent:" << text; }

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
    slider_->raise();
    slider_->activateWindow();
}

void DialogCompanions::showAbout()
{
    // One box at a time: asking again brings the open one forward.
    if (!about_)
        about_ = new frmAbout(major_, minor_);
    about_->show();
    SetOnTop(true, about_);
    about_->raise();
    about_->activateWindow();
}

void DialogCompanions::mnuSelectSkin_Click() { qCInfo(lcCompanions) << "the look editor is not part of this build yet"; }

qint32 DialogCompanions::CheckOptDll(qint32) { return 0; }

void DialogCompanions::quit()
{
    // The panel writes its own keys when it closes; an exit while it is open keeps them too.
    if (slider_ && slider_->isVisible())
        slider_->close();
    QCoreApplication::quit();
}

} // namespace tb
