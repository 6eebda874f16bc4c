#include "frmOptionsLayout.h"

#include "Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>

namespace tb {

namespace {

enum class Kind { Frame, List, Label, VBar, Check, Option, Swatch, Button };

// How a control looks: its font and colours.
enum class Look {
    OuterFrame, // bold caption, white
    InnerFrame, // yellow caption
    SignFrame, // "Arial" 12 point bold, yellow
    List, // bold, black on FFC080
    Correction, // "MS Sans Serif" 9.75 point bold, black on FFC080
    Degree, // "Times New Roman" 12 point bold, yellow on 0000C0
    OnDarkBlue, // white on 0000C0
    Switch, // check boxes and option buttons, 80FFFF
    Plain, // scroll bar, swatches
    Enter, // bold, green on a blue face
    Cancel, // bold, pink (FFC0C0) on a blue face
};

struct Row {
    const char* name;
    Kind kind;
    const char* parent; // nullptr: the dialog
    const char* caption;
    const char* tip;
    int left, top, width, height; // twips inside the parent, or inside `origin`
    Look look;
    const char* origin = nullptr; // a control of the parent the position is measured from
    // What a screen reader calls the control when its caption does not say it (or it has none).
    const char* accessibleName = nullptr;
};

const char* const kProvTip = QT_TRANSLATE_NOOP("frmOptions", "Выбор провайдера сети получения температуры");

// The dialog's controls in the order they are made (which is also the order they stack in and
// the focus order).
const Row kRows[] = {
    {"fram(2)", Kind::Frame, nullptr, QT_TRANSLATE_NOOP("frmOptions", "Настройки программы"), nullptr, 0, 0, 5130, 1005,
        Look::OuterFrame},
    {"fram(0)", Kind::Frame, "fram(2)", QT_TRANSLATE_NOOP("frmOptions", "Выбор провайдера"), kProvTip, 75, 225, 2115, 705,
        Look::InnerFrame},
    {"cmbProv", Kind::List, "fram(0)", nullptr, kProvTip, 90, 270, 1845, 315, Look::List},
    {"fram(3)", Kind::Frame, "fram(2)", QT_TRANSLATE_NOOP("frmOptions", "Коррекция т-ры"), nullptr, 2145, 225, 1545, 705,
        Look::InnerFrame},
    {"lblTCor", Kind::Label, "fram(3)", "0.0", QT_TRANSLATE_NOOP("frmOptions", "Коррекция температуры от -10 до +10 °C"), 300,
        270, 585, 300, Look::Correction},
    {"scrlT", Kind::VBar, "fram(3)", nullptr, nullptr, 855, 255, 165, 330, Look::Plain},
    {"lbl(2)", Kind::Label, "fram(3)", "°C", QT_TRANSLATE_NOOP("frmOptions", "Это температура"), 1110, 240, 225, 225,
        Look::Degree},
    {"fram(1)", Kind::Frame, "fram(2)", nullptr, nullptr, 3615, 225, 1440, 705, Look::InnerFrame, nullptr,
        QT_TRANSLATE_NOOP("frmOptions", "Автозапуск и проверка версии")},
    {"chkAutoRun", Kind::Check, "fram(1)", QT_TRANSLATE_NOOP("frmOptions", "Автозапуск"),
        QT_TRANSLATE_NOOP("frmOptions", "Вкл/Выкл запуска программы при загрузке Windows"), 150, 120, 1185, 315, Look::Switch},
    {"chkVer", Kind::Check, "fram(1)", QT_TRANSLATE_NOOP("frmOptions", "Версия"),
        QT_TRANSLATE_NOOP("frmOptions", "Вкл/Выкл проверку новой верии термометра"), 150, 405, 975, 255, Look::Switch},
    {"fram(4)", Kind::Frame, nullptr, QT_TRANSLATE_NOOP("frmOptions", "Иконка в трее"), nullptr, 0, 1095, 5130, 1605,
        Look::OuterFrame},
    {"fram(6)", Kind::Frame, "fram(4)", QT_TRANSLATE_NOOP("frmOptions", "Вид"), nullptr, 90, 240, 1635, 1275, Look::InnerFrame},
    {"optIconTray(0)", Kind::Option, "fram(6)", QT_TRANSLATE_NOOP("frmOptions", "Классический"),
        QT_TRANSLATE_NOOP("frmOptions", "Обычный вид иконки в трее"), 30, 210, 1455, 255, Look::Switch},
    {"optIconTray(1)", Kind::Option, "fram(6)", QT_TRANSLATE_NOOP("frmOptions", "Цифровой"),
        QT_TRANSLATE_NOOP("frmOptions", "Отображает темпер-ру в трее (десятые градуса будут округляться)"), 30, 465, 1185, 255,
        Look::Switch},
    // The two look boxes belong to the tray frame but lie over the lower part of the "Вид" frame,
    // below the option buttons: their numbers are measured from the "Вид" frame. Measured from
    // the tray frame they would cover "Цифровой".
    {"chkTransparent", Kind::Check, "fram(4)", QT_TRANSLATE_NOOP("frmOptions", "Прозрачный"),
        QT_TRANSLATE_NOOP("frmOptions", "Включает прозрачность фона иконки в трее"), 270, 735, 1245, 225, Look::Switch,
        "fram(6)"},
    {"chkFontBold", Kind::Check, "fram(4)", QT_TRANSLATE_NOOP("frmOptions", "Жирный"),
        QT_TRANSLATE_NOOP("frmOptions", "Жирный шрифт цифр в трее"), 270, 975, 1095, 225, Look::Switch, "fram(6)"},
    {"fram(7)", Kind::Frame, "fram(4)", QT_TRANSLATE_NOOP("frmOptions", "Цвет при температуре"), nullptr, 1695, 240, 2280, 1275,
        Look::InnerFrame},
    {"fram(5)", Kind::Frame, "fram(7)", "(+)", QT_TRANSLATE_NOOP("frmOptions", "При положительной темп-ре"), 75, 255, 1170, 915,
        Look::SignFrame},
    {"picTIconColor(0)", Kind::Swatch, "fram(5)", nullptr, nullptr, 60, 330, 345, 225, Look::Plain, nullptr,
        QT_TRANSLATE_NOOP("frmOptions", "Цвет цифр при температуре ≥ 0")},
    {"lbl(12)", Kind::Label, "fram(5)", QT_TRANSLATE_NOOP("frmOptions", "Цифры"),
        QT_TRANSLATE_NOOP("frmOptions", "Цвет цифр в трее при темп-ре большей или равной нулю"), 450, 330, 555, 225,
        Look::OnDarkBlue},
    {"picTIconColor(1)", Kind::Swatch, "fram(5)", nullptr, nullptr, 60, 555, 345, 225, Look::Plain, nullptr,
        QT_TRANSLATE_NOOP("frmOptions", "Цвет фона при температуре ≥ 0")},
    {"lbl(13)", Kind::Label, "fram(5)", QT_TRANSLATE_NOOP("frmOptions", "Фон"),
        QT_TRANSLATE_NOOP("frmOptions", "Цвет фона иконки в трее при темп-ре большей или равной нулю"), 450, 555, 480, 225,
        Look::OnDarkBlue},
    {"fram(8)", Kind::Frame, "fram(7)", "(-)", QT_TRANSLATE_NOOP("frmOptions", "При отрицательной темп-ре"), 1110, 255, 1080, 915,
        Look::SignFrame},
    {"picTIconColor(2)", Kind::Swatch, "fram(8)", nullptr, nullptr, 75, 330, 345, 225, Look::Plain, nullptr,
        QT_TRANSLATE_NOOP("frmOptions", "Цвет цифр при температуре < 0")},
    {"lbl(1)", Kind::Label, "fram(8)", QT_TRANSLATE_NOOP("frmOptions", "Цифры"), nullptr, 450, 330, 600, 225, Look::OnDarkBlue},
    {"picTIconColor(3)", Kind::Swatch, "fram(8)", nullptr, nullptr, 75, 555, 345, 225, Look::Plain, nullptr,
        QT_TRANSLATE_NOOP("frmOptions", "Цвет фона при температуре < 0")},
    {"lbl(0)", Kind::Label, "fram(8)", QT_TRANSLATE_NOOP("frmOptions", "Фон"), nullptr, 450, 555, 420, 225, Look::OnDarkBlue},
    {"chkOkCancel(1)", Kind::Button, nullptr, QT_TRANSLATE_NOOP("frmOptions", "Ввод"), nullptr, 900, 2790, 1005, 345,
        Look::Enter},
    {"chkOkCancel(0)", Kind::Button, nullptr, QT_TRANSLATE_NOOP("frmOptions", "Отмена"), nullptr, 3285, 2790, 1005, 345,
        Look::Cancel},
};

const QColor kValueBack(0xFF, 0xC0, 0x80);
const QColor kDarkBlue(0x00, 0x00, 0xC0);
const QColor kSwitchText(0x80, 0xFF, 0xFF);
const QColor kButtonFace(0x00, 0x00, 0xFF);
const QColor kEnterText(0x00, 0xFF, 0x00);
const QColor kCancelText(0xFF, 0xC0, 0xC0);

// The faces the layout was drawn for, as this build has them: "MS Sans Serif" and "Arial" are
// Liberation Sans at the same size (Arial's widths), "Times New Roman" is Liberation Serif.
QFont serifFont(qreal points)
{
    QFont font(QStringLiteral("Liberation Serif"));
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

QFont fontOf(Look look)
{
    switch (look) {
    case Look::OuterFrame:
    case Look::List:
    case Look::Enter:
    case Look::Cancel:
        return dialogFont(8.25, true);
    case Look::SignFrame:
        return dialogFont(12, true);
    case Look::Correction:
        return dialogFont(9.75, true);
    case Look::Degree:
        return serifFont(12);
    default:
        return dialogFont();
    }
}

// Every control sets its own colours: a frame's would otherwise pass to what lies in it.
void colour(QWidget* w, Look look)
{
    QPalette pal = w->palette();
    auto text = [&pal](const QColor& c) {
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            pal.setColor(role, c);
    };
    auto fill = [&pal, w](const QColor& c) {
        for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
            pal.setColor(role, c);
        w->setBackgroundRole(QPalette::Window);
        w->setAutoFillBackground(true);
    };
    switch (look) {
    case Look::OuterFrame:
        text(Qt::white);
        break;
    case Look::InnerFrame:
    case Look::SignFrame:
        text(Qt::yellow);
        break;
    case Look::List:
    case Look::Correction:
        text(Qt::black);
        fill(kValueBack);
        break;
    case Look::Degree:
        text(Qt::yellow);
        fill(kDarkBlue);
        break;
    case Look::OnDarkBlue:
        text(Qt::white);
        fill(kDarkBlue);
        break;
    case Look::Switch:
        text(kSwitchText);
        break;
    case Look::Plain:
        text(Qt::black);
        break;
    case Look::Enter:
    case Look::Cancel:
        // The face goes through the palette, so the style shades it as it shades any button.
        text(look == Look::Enter ? kEnterText : kCancelText);
        pal.setColor(QPalette::Button, kButtonFace);
        break;
    }
    w->setPalette(pal);
}

QWidget* make(const Row& row, QWidget* parent)
{
    // The table holds the Russian texts; the dialog shows them in the interface language.
    const QString caption = row.caption ? QCoreApplication::translate("frmOptions", row.caption) : QString();
    QWidget* w = nullptr;
    switch (row.kind) {
    case Kind::Frame:
        w = new QGroupBox(caption, parent);
        break;
    case Kind::List: {
        auto* list = new QComboBox(parent);
        list->setEditable(false);
        w = list;
        break;
    }
    case Kind::Label: {
        auto* label = new QLabel(caption, parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(row.look == Look::Correction ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        w = label;
        break;
    }
    case Kind::VBar: {
        auto* bar = new QScrollBar(Qt::Vertical, parent);
        bar->setRange(-201, -1);
        bar->setSingleStep(1);
        bar->setPageStep(5);
        bar->setValue(-101);
        bar->setFocusPolicy(Qt::StrongFocus); // the arrow and page keys work on it
        w = bar;
        break;
    }
    case Kind::Check:
        w = new QCheckBox(caption, parent);
        break;
    case Kind::Option:
        w = new QRadioButton(caption, parent);
        break;
    case Kind::Swatch: {
        auto* swatch = new QLabel(parent);
        swatch->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        swatch->setAutoFillBackground(true);
        w = swatch;
        break;
    }
    case Kind::Button: {
        // A check box drawn as a push button: a click ticks it, its handler unticks it.
        auto* button = new QPushButton(caption, parent);
        button->setCheckable(true);
        button->setAutoDefault(false);
        w = button;
        break;
    }
    }
    w->setObjectName(QString::fromLatin1(row.name));
    if (row.tip)
        w->setToolTip(QCoreApplication::translate("frmOptions", row.tip));
    // Without a name of its own a control is named after the frame around it: Qt's accessible
    // interface for a group box, a colour swatch or a caption-less frame falls back to the
    // title of the enclosing group box, so a screen reader would read "(+)" for a swatch.
    if (row.accessibleName)
        w->setAccessibleName(QCoreApplication::translate("frmOptions", row.accessibleName));
    else if (row.kind == Kind::Frame)
        w->setAccessibleName(caption);
    w->setFont(fontOf(row.look));
    colour(w, row.look);
    if (row.kind != Kind::Frame)
        w->setAttribute(Qt::WA_NoMousePropagation);
    return w;
}

// A caption is never cut: a control too narrow or too low for its text with the fonts of this
// machine grows to the right and downwards from where it was placed. Buttons keep the margins
// their style puts around the text; labels need the text and their frame.
void growToFit(QWidget* w, const QString& text)
{
    const QSize need = w->fontMetrics().boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::TextShowMnemonic, text).size();
    QSize room = w->size();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(button);
        opt.text = button->text();
        const QStyle::SubElement contents = qobject_cast<QCheckBox*>(w) ? QStyle::SE_CheckBoxContents
            : qobject_cast<QRadioButton*>(w)                            ? QStyle::SE_RadioButtonContents
                                                                        : QStyle::SE_PushButtonContents;
        room = w->style()->subElementRect(contents, &opt, w).size();
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        room = label->contentsRect().size();
    }
    w->resize(w->width() + qMax(0, need.width() - room.width()), w->height() + qMax(0, need.height() - room.height()));
}

} // namespace

OptionsControls buildOptionsControls(QWidget* dialog)
{
    QPalette back = dialog->palette();
    back.setColor(QPalette::Window, kOptionsBackground);
    dialog->setPalette(back);
    dialog->setAutoFillBackground(true);
    dialog->setFont(dialogFont());
    dialog->setFixedSize(px(5160, dialog), px(3180, dialog));

    QHash<QString, QWidget*> byName;
    OptionsControls c;
    for (const Row& row : kRows) {
        QWidget* parent = row.parent ? byName.value(QLatin1String(row.parent)) : dialog;
        QWidget* w = make(row, parent);
        byName.insert(w->objectName(), w);
        const QPoint origin = row.origin ? byName.value(QLatin1String(row.origin))->pos() : QPoint();
        w->setGeometry(
            origin.x() + px(row.left, dialog), origin.y() + px(row.top, dialog), px(row.width, dialog), px(row.height, dialog));
        const QString name = w->objectName();
        const int index = name.contains(QLatin1Char('(')) ? name.section(QLatin1Char('('), 1).chopped(1).toInt() : -1;
        if (auto* frame = qobject_cast<QGroupBox*>(w))
            c.fram[std::size_t(index)] = frame;
        else if (auto* button = qobject_cast<QPushButton*>(w))
            c.chkOkCancel[std::size_t(index)] = button;
        else if (auto* option = qobject_cast<QRadioButton*>(w))
            c.optIconTray[std::size_t(index)] = option;
        else if (row.kind == Kind::Swatch)
            c.picTIconColor[std::size_t(index)] = static_cast<QLabel*>(w);
        else if (name.startsWith(QLatin1String("lbl(")))
            c.lbl[std::size_t(index)] = static_cast<QLabel*>(w);
    }
    c.cmbProv = static_cast<QComboBox*>(byName.value(QStringLiteral("cmbProv")));
    c.lblTCor = static_cast<QLabel*>(byName.value(QStringLiteral("lblTCor")));
    c.scrlT = static_cast<QScrollBar*>(byName.value(QStringLiteral("scrlT")));
    c.chkAutoRun = static_cast<QCheckBox*>(byName.value(QStringLiteral("chkAutoRun")));
    c.chkVer = static_cast<QCheckBox*>(byName.value(QStringLiteral("chkVer")));
    c.chkTransparent = static_cast<QCheckBox*>(byName.value(QStringLiteral("chkTransparent")));
    c.chkFontBold = static_cast<QCheckBox*>(byName.value(QStringLiteral("chkFontBold")));

    for (QWidget* w : {static_cast<QWidget*>(c.chkAutoRun), static_cast<QWidget*>(c.chkVer),
             static_cast<QWidget*>(c.chkTransparent), static_cast<QWidget*>(c.chkFontBold),
             static_cast<QWidget*>(c.optIconTray[0]), static_cast<QWidget*>(c.optIconTray[1]),
             static_cast<QWidget*>(c.chkOkCancel[0]), static_cast<QWidget*>(c.chkOkCancel[1])})
        growToFit(w, static_cast<QAbstractButton*>(w)->text());
    for (const std::size_t i : {0, 1, 2, 12, 13})
        growToFit(c.lbl[i], c.lbl[i]->text());
    growToFit(c.lblTCor, QStringLiteral("-10.0")); // its widest value
    return c;
}

} // namespace tb
