#pragma once

#include "app/MainWindowParts.h"

#include <QMenu>

#include <array>

class QAction;

namespace tb {

// The pop-up menu as a QMenu: the window opens it with the right button, the tray icon hands
// it to the tray (an XEmbed tray pops it up, a StatusNotifierItem host shows it over D-Bus).
// Items carry their names (mnuShow, mnuIndPos3, ...) as object names.
class PopupMenuWidget final : public PopupMenu {
public:
    PopupMenuWidget();

    void popupAt(QPoint globalPos) override;
    bool isOpen() const override;
    void setState(const MenuState& state) override;

    QMenu* menu() { return &mnuPopUp_; }

private:
    QAction* command(QMenu& parent, const char* name, const QString& caption, MenuItem item, int index = 0, bool checkable = false);

    QMenu mnuPopUp_;
    // Children of the menu, so a search from the top finds them.
    QMenu mnuIndM_{&mnuPopUp_}, mnuIndPosM_{&mnuIndM_}, mnuIndSizeM_{&mnuIndM_}, mnuFmtM_{&mnuPopUp_};
    QAction* mnuShow_ = nullptr;
    QAction* mnuTop_ = nullptr;
    QAction* mnuInd_ = nullptr;
    QAction* mnuSelectSkin_ = nullptr;
    std::array<QAction*, 6> mnuIndPos_{};
    std::array<QAction*, 6> mnuIndSize_{};
    std::array<QAction*, 10> mnuFormat_{};
};

} // namespace tb
