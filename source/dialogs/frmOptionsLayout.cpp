#include "dialogs/frmOptionsLayout.h"

#include "dialogs/ControlTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace tb {

namespace {

using C = OptionsControls;
using K = ControlKind;

// How the controls look: their fonts and colours.
constexpr QRgb kSwitchText = 0xFF80FFFF;
constexpr ControlLook kOuterFrame {8.25, true, false, kWhite, 0, 0, true};
constexpr ControlLook kInnerFrame {8.25, false, false, kYellow, 0, 0, true};
constexpr ControlLook kSignFrame {12, true, false, kYellow, 0, 0, true}; // "Arial" 12 point bold
constexpr ControlLook kList {8.25, true, false, kBlack, kValueBackground, 0, true};
constexpr ControlLook kCorrection {9.75, true, false, kBlack, kValueBackground, 0, true}; // "MS Sans Serif" 9.75 point bold
constexpr ControlLook kDegree {12, true, true, kYellow, kDarkBlue, 0, true}; // "Times New Roman" 12 point bold
constexpr ControlLook kOnDarkBlue {8.25, false, false, kWhite, kDarkBlue, 0, true};
constexpr ControlLook kSwitch {8.25, false, false, kSwitchText, 0, 0, true}; // check boxes and option buttons
constexpr ControlLook kPlain {8.25, false, false, kBlack, 0, 0, true}; // the bar, the swatches
constexpr ControlLook kEnter {8.25, true, false, 0xFF00FF00, 0, 0xFF0000FF, true}; // green on a blue face
constexpr ControlLook kCancel {8.25, true, false, 0xFFFFC0C0, 0, 0xFF0000FF, true}; // pink on a blue face

const char* const kProvTip = QT_TRANSLATE_NOOP("frmOptions", "Выбор провайдера сети получения температуры");

// The dialog's controls in the order they are made.
constexpr ControlRow<OptionsControls> kRows[] = {
    {held<&C::fram, 2>, K::Frame, nullptr, "fram(2)", QT_TRANSLATE_NOOP("frmOptions", "Настройки программы"), nullptr, 0, 0, 5130, 1005, kOuterFrame},
    {held<&C::fram, 0>, K::Frame, held<&C::fram, 2>, "fram(0)", QT_TRANSLATE_NOOP("frmOptions", "Выбор провайдера"), kProvTip, 75, 225, 2115, 705, kInnerFrame},
    {held<&C::cmbProv>, K::List, held<&C::fram, 0>, "cmbProv", nullptr, kProvTip, 90, 270, 1845, 315, kList},
    {held<&C::fram, 3>, K::Frame, held<&C::fram, 2>, "fram(3)", QT_TRANSLATE_NOOP("frmOptions", "Коррекция т-ры"), nullptr, 2145, 225, 1545, 705, kInnerFrame},
    {held<&C::lblTCor>, K::Label, held<&C::fram, 3>, "lblTCor", "0.0", QT_TRANSLATE_NOOP("frmOptions", "Коррекция температуры от -10 до +10 °C"), 300, 270, 585,
        300, kCorrection},
    {held<&C::scrlT>, K::VBar, held<&C::fram, 3>, "scrlT", nullptr, nullptr, 855, 255, 165, 330, kPlain},
    {held<&C::lbl, 2>, K::Label, held<&C::fram, 3>, "lbl(2)", "°C", QT_TRANSLATE_NOOP("frmOptions", "Это температура"), 1110, 240, 225, 225, kDegree},
    {held<&C::fram, 1>, K::Frame, held<&C::fram, 2>, "fram(1)", nullptr, nullptr, 3615, 225, 1440, 705, kInnerFrame, nullptr,
        QT_TRANSLATE_NOOP("frmOptions", "Автозапуск и проверка версии")},
    {held<&C::chkAutoRun>, K::Check, held<&C::fram, 1>, "chkAutoRun", QT_TRANSLATE_NOOP("frmOptions", "Автозапуск"),
        QT_TRANSLATE_NOOP("frmOptions", "Вкл/Выкл запуска программы при загрузке Windows"), 150, 120, 1185, 315, kSwitch},
    {held<&C::chkVer>, K::Check, held<&C::fram, 1>, "chkVer", QT_TRANSLATE_NOOP("frmOptions", "Версия"), QT_TRANSLATE_NOOP("frmOptions", "Вкл/Выкл проверку новой верии термометра"), 150, 405, 975,
        255, kSwitch},
    {held<&C::fram, 4>, K::Frame, nullptr, "fram(4)", QT_TRANSLATE_NOOP("frmOptions", "Иконка в трее"), nullptr, 0, 1095, 5130, 1605, kOuterFrame},
    {held<&C::fram, 6>, K::Frame, held<&C::fram, 4>, "fram(6)", QT_TRANSLATE_NOOP("frmOptions", "Вид"), nullptr, 90, 240, 1635, 1275, kInnerFrame},
    {held<&C::optIconTray, 0>, K::Option, held<&C::fram, 6>, "optIconTray(0)", QT_TRANSLATE_NOOP("frmOptions", "Классический"), QT_TRANSLATE_NOOP("frmOptions", "Обычный вид иконки в трее"), 30,
        210, 1455, 255, kSwitch},
    {held<&C::optIconTray, 1>, K::Option, held<&C::fram, 6>, "optIconTray(1)", QT_TRANSLATE_NOOP("frmOptions", "Цифровой"),
        QT_TRANSLATE_NOOP("frmOptions", "Отображает темпер-ру в трее (десятые градуса будут округляться)"), 30, 465, 1185, 255, kSwitch},
    // The two look boxes belong to the tray frame but lie over the lower part of the "Вид" frame,
    // below the option buttons: their numbers are measured from the "Вид" frame. Measured from
    // the tray frame they would cover "Цифровой".
    {held<&C::chkTransparent>, K::Check, held<&C::fram, 4>, "chkTransparent", QT_TRANSLATE_NOOP("frmOptions", "Прозрачный"),
        QT_TRANSLATE_NOOP("frmOptions", "Включает прозрачность фона иконки в трее"), 270, 735, 1245, 225, kSwitch, held<&C::fram, 6>},
    {held<&C::chkFontBold>, K::Check, held<&C::fram, 4>, "chkFontBold", QT_TRANSLATE_NOOP("frmOptions", "Жирный"), QT_TRANSLATE_NOOP("frmOptions", "Жирный шрифт цифр в трее"), 270, 975, 1095, 225,
        kSwitch, held<&C::fram, 6>},
    {held<&C::fram, 7>, K::Frame, held<&C::fram, 4>, "fram(7)", QT_TRANSLATE_NOOP("frmOptions", "Цвет при температуре"), nullptr, 1695, 240, 2280, 1275,
        kInnerFrame},
    {held<&C::fram, 5>, K::Frame, held<&C::fram, 7>, "fram(5)", "(+)", QT_TRANSLATE_NOOP("frmOptions", "При положительной темп-ре"), 75, 255, 1170, 915,
        kSignFrame},
    {held<&C::picTIconColor, 0>, K::Swatch, held<&C::fram, 5>, "picTIconColor(0)", nullptr, nullptr, 60, 330, 345, 225, kPlain,
        nullptr, QT_TRANSLATE_NOOP("frmOptions", "Цвет цифр при температуре ≥ 0")},
    {held<&C::lbl, 12>, K::Label, held<&C::fram, 5>, "lbl(12)", QT_TRANSLATE_NOOP("frmOptions", "Цифры"), QT_TRANSLATE_NOOP("frmOptions", "Цвет цифр в трее при темп-ре большей или равной нулю"),
        450, 330, 555, 225, kOnDarkBlue},
    {held<&C::picTIconColor, 1>, K::Swatch, held<&C::fram, 5>, "picTIconColor(1)", nullptr, nullptr, 60, 555, 345, 225, kPlain,
        nullptr, QT_TRANSLATE_NOOP("frmOptions", "Цвет фона при температуре ≥ 0")},
    {held<&C::lbl, 13>, K::Label, held<&C::fram, 5>, "lbl(13)", QT_TRANSLATE_NOOP("frmOptions", "Фон"),
        QT_TRANSLATE_NOOP("frmOptions", "Цвет фона иконки в трее при темп-ре большей или равной нулю"), 450, 555, 480, 225, kOnDarkBlue},
    {held<&C::fram, 8>, K::Frame, held<&C::fram, 7>, "fram(8)", "(-)", QT_TRANSLATE_NOOP("frmOptions", "При отрицательной темп-ре"), 1110, 255, 1080, 915,
        kSignFrame},
    {held<&C::picTIconColor, 2>, K::Swatch, held<&C::fram, 8>, "picTIconColor(2)", nullptr, nullptr, 75, 330, 345, 225, kPlain,
        nullptr, QT_TRANSLATE_NOOP("frmOptions", "Цвет цифр при температуре < 0")},
    {held<&C::lbl, 1>, K::Label, held<&C::fram, 8>, "lbl(1)", QT_TRANSLATE_NOOP("frmOptions", "Цифры"), nullptr, 450, 330, 600, 225, kOnDarkBlue},
    {held<&C::picTIconColor, 3>, K::Swatch, held<&C::fram, 8>, "picTIconColor(3)", nullptr, nullptr, 75, 555, 345, 225, kPlain,
        nullptr, QT_TRANSLATE_NOOP("frmOptions", "Цвет фона при температуре < 0")},
    {held<&C::lbl, 0>, K::Label, held<&C::fram, 8>, "lbl(0)", QT_TRANSLATE_NOOP("frmOptions", "Фон"), nullptr, 450, 555, 420, 225, kOnDarkBlue},
    {held<&C::chkOkCancel, 1>, K::Button, nullptr, "chkOkCancel(1)", QT_TRANSLATE_NOOP("frmOptions", "Ввод"), nullptr, 900, 2790, 1005, 345, kEnter},
    {held<&C::chkOkCancel, 0>, K::Button, nullptr, "chkOkCancel(0)", QT_TRANSLATE_NOOP("frmOptions", "Отмена"), nullptr, 3285, 2790, 1005, 345, kCancel},
};

} // namespace

OptionsControls buildOptionsControls(QWidget* dialog)
{
    setDialogFace(dialog, dialogFont());
    dialog->setFixedSize(px(5160, dialog), px(3180, dialog));
    OptionsControls c;
    buildControls(dialog, kRows, c, "frmOptions");

    for (const ControlRow<OptionsControls>& row : kRows) {
        QWidget* w = row.slot(c, nullptr);
        // Without a name of its own a frame is named after its caption: Qt's accessible
        // interface for a group box, a colour swatch or a caption-less frame falls back to the
        // title of the enclosing group box, so a screen reader would read "(+)" for a swatch.
        if (row.kind == K::Frame && !row.accessibleName)
            w->setAccessibleName(QCoreApplication::translate("frmOptions", row.caption));
        // A press that drags the dialog is one on its background or on a frame.
        if (row.kind != K::Frame)
            w->setAttribute(Qt::WA_NoMousePropagation);
    }
    c.lblTCor->setAlignment(Qt::AlignCenter);
    c.scrlT->setRange(-201, -1);
    c.scrlT->setSingleStep(1);
    c.scrlT->setPageStep(5);
    c.scrlT->setValue(-101);
    // Check boxes drawn as push buttons: a click ticks one, its handler unticks it.
    for (QPushButton* button : c.chkOkCancel) {
        button->setCheckable(true);
        button->setAutoDefault(false);
    }

    for (QAbstractButton* w : std::initializer_list<QAbstractButton*> {c.chkAutoRun, c.chkVer, c.chkTransparent, c.chkFontBold,
             c.optIconTray[0], c.optIconTray[1], c.chkOkCancel[0], c.chkOkCancel[1]})
        growToFit(w, w->text());
    for (const std::size_t i : {0, 1, 2, 12, 13})
        growToFit(c.lbl[i], c.lbl[i]->text());
    growToFit(c.lblTCor, QStringLiteral("-10.0")); // its widest value
    return c;
}

} // namespace tb
