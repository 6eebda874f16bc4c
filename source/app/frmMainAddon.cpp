// The main window's side of the add-on link: the double-click and "Вид".
#include "app/AddonLink.h"
#include "app/frmMain.h"

namespace tb {

bool frmMain::attachAddon(AddonLink& link)
{
    addon_ = &link;
    return link.attach(AddonLinkTarget {*txtMsg_, iOptWnd_, paths_.AppDir, [this] { return dTemper_; }});
}

void frmMain::Form_DblClick()
{
    if (!addon_)
        return;
    if (addon_->CheckOptDll() != 0)
        addon_->SendText(QStringLiteral("W=1"));
    else
        addon_->RunOptDll();
}

void frmMain::mnuSelectSkin_Click()
{
    if (!addon_)
        return;
    // The menu probed the link as it opened: a checked "Вид" means the add-on is open, and
    // the click closes it.
    if (iOptWnd_ >= 1)
        addon_->closeAddon();
    else
        addon_->RunOptDll();
    SetMnuCaption();
}

} // namespace tb
