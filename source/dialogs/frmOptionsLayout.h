#pragma once

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QWidget;

namespace tb {

// The controls of the options dialog, by the names and indexes they are known by. Object names
// are the same ("fram(2)", "chkOkCancel(1)", ...).
struct OptionsControls {
    std::array<QGroupBox*, 9> fram {};
    QComboBox* cmbProv = nullptr;
    QLabel* lblTCor = nullptr;
    QScrollBar* scrlT = nullptr;
    QCheckBox* chkAutoRun = nullptr;
    QCheckBox* chkVer = nullptr;
    std::array<QRadioButton*, 2> optIconTray {};
    QCheckBox* chkTransparent = nullptr;
    QCheckBox* chkFontBold = nullptr;
    std::array<QLabel*, 4> picTIconColor {}; // the colour swatches
    std::array<QPushButton*, 2> chkOkCancel {}; // 0 "Отмена", 1 "Ввод"; checkable push buttons
    std::array<QLabel*, 14> lbl {}; // lbl(0), lbl(1), lbl(2), lbl(12), lbl(13); the rest unused
};

// Builds every control of the dialog on `dialog` in the order of its control table, with its
// caption, tooltip, font and colours, and places them: positions in twips converted for the
// dialog's screen, a control too small for its caption with this machine's fonts grown to the
// right and downwards. Also gives the dialog its fixed client size (5160 x 3180 twips) and
// background. Controls other than the frames keep mouse presses to themselves, so a press
// that drags the dialog is one on its background or on a frame.
OptionsControls buildOptionsControls(QWidget* dialog);

} // namespace tb
