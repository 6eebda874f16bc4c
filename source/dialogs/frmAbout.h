#pragma once

#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class QPushButton;

namespace tb {

// The about box's controls, by the names they are known by.
struct AboutControls {
    QFrame* fram0 = nullptr;
    QLabel* txtVer = nullptr;
    QFrame* fram1 = nullptr;
    std::array<QFrame*, 2> shp {}; // the bands behind the addresses
    QLabel* lbl0 = nullptr; // "Mail"
    QLabel* lbl1 = nullptr; // "www"
    QLabel* txt0 = nullptr;
    QLabel* txt1 = nullptr;
    QLabel* txt3 = nullptr;
    QLabel* txt2 = nullptr; // the author line
    QPushButton* cmdOk = nullptr;
};

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

private:
    AboutControls c_;
};

} // namespace tb
