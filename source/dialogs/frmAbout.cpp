#include "dialogs/frmAbout.h"

#include "dialogs/ControlTable.h"

#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace tb {

namespace {

using C = AboutControls;
using K = ControlKind;

constexpr ControlLook kVersion {12, true, false, kWhite};
constexpr ControlLook kAddress {0, false, false, kDarkBlue, kFieldFace}; // also the bands behind them
constexpr ControlLook kAuthor {8.25, true, false, kWhite};
// The face colour goes through the palette, so the desktop's style shades it as it shades
// every button (Fusion softens it a little) instead of a flat patch.
constexpr ControlLook kOk {8.25, true, false, 0, 0, kFieldFace};

// The box's controls in the order they are made. The bands come before the labels and fields
// that lie on them; the author line belongs to the box and lies over the frames.
constexpr ControlRow<AboutControls> kRows[] = {
    {held<&C::fram0>, K::Box, nullptr, "fram0", nullptr, nullptr, 30, -60, 3975, 2625, {}},
    {held<&C::txtVer>, K::Field, held<&C::fram0>, "txtVer", nullptr, nullptr, 75, 120, 3870, 375, kVersion},
    {held<&C::fram1>, K::Box, held<&C::fram0>, "fram1", nullptr, nullptr, 60, 420, 3870, 2145, {}},
    {held<&C::shp, 0>, K::Band, held<&C::fram1>, "shp", nullptr, nullptr, 600, 285, 3150, 525, kAddress},
    {held<&C::shp, 1>, K::Band, held<&C::fram1>, "shp", nullptr, nullptr, 600, 1005, 3150, 840, kAddress},
    {held<&C::lbl0>, K::Label, held<&C::fram1>, "lbl0", "Mail", nullptr, 90, 435, 375, 225, {}},
    {held<&C::lbl1>, K::Label, held<&C::fram1>, "lbl1", "www", nullptr, 75, 1290, 420, 225, {}},
    {held<&C::txt0>, K::Field, held<&C::fram1>, "txt0", "thermo@example.net", nullptr, 1110, 435, 1995, 255, kAddress},
    {held<&C::txt1>, K::Field, held<&C::fram1>, "txt1", "thermobadge.example.net", nullptr, 900, 1200, 2580, 195, kAddress},
    {held<&C::txt3>, K::Field, held<&C::fram1>, "txt3", "thermobadge.example.net/skins", nullptr, 855, 1455, 2535, 195, kAddress},
    {held<&C::txt2>, K::Field, nullptr, "txt2", "ThermoBadge project, 2026", nullptr, 180, 2250, 3690, 225, kAuthor},
    {held<&C::cmdOk>, K::Button, nullptr, "cmdOk", QT_TRANSLATE_NOOP("frmAbout", "Ok!"), nullptr, 30, 2610, 3975, 315, kOk},
};

} // namespace

QString frmAbout::versionText(int major, int minor)
{
    return QCoreApplication::translate("frmAbout", "ThermoBadge (version %1.%2)").arg(major).arg(minor, 2, 10, QLatin1Char('0'));
}

frmAbout::frmAbout(int major, int minor)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // A title and a close button, nothing to minimise or maximise: window managers that follow
    // the Motif hints offer neither.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QCoreApplication::translate("frmAbout", "О программе..."));
    setDialogFace(this, dialogFont());
    setFixedSize(px(4050, this), px(2970, this));
    buildControls(this, kRows, c_, "frmAbout");
    c_.txtVer->setText(versionText(major, minor));
    // Written from the top, as in a text box: centred, the descenders would run under fram1.
    c_.txtVer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Outside a dialog a button takes Enter only when it is told to.
    c_.cmdOk->setAutoDefault(true);
    connect(c_.cmdOk, &QPushButton::clicked, this, &QWidget::close);
    c_.cmdOk->setFocus();

    // The box sees every key before the control that has the focus.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tb
