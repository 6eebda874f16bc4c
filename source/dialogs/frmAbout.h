#pragma once

#include <QWidget>

namespace tb {

// The about box: program name and version, the project's addresses, "Ok!". A tool window
// without owner; the caller shows it modeless and then puts it on top. Esc (whatever holds the
// focus), Enter or Space on the button close it, and closing deletes it (WA_DeleteOnClose), so
// every opening builds a fresh box. The addresses are selectable, so a user can copy them.
class frmAbout final : public QWidget {
public:
    frmAbout(int major, int minor);
    // "ThermoBadge (version 1.04)" for version 1.4: the minor number has at least two digits.
    static QString versionText(int major, int minor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace tb
