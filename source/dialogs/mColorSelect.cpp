#include "dialogs/mColorSelect.h"

#include <QColorDialog>
#include <QLoggingCategory>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <array>

namespace tb {

Q_LOGGING_CATEGORY(lcColorSelect, "thermobadge.colour", QtInfoMsg)

namespace {

// The chooser's sixteen custom colours (0x00BBGGRR), kept for the run and never stored.
std::array<qint32, 16> CustColors {};
bool fCustInit = false;

QColor fromColorRef(qint32 ref)
{
    const auto v = static_cast<quint32>(ref);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

qint32 toColorRef(const QColor& c)
{
    return static_cast<qint32>(quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16);
}

// Qt's colour dialog keeps its custom colours in one table for the process. It reads that table
// from the per-user "QtProject" settings file when it is first used, and writes it back there
// whenever a dialog is destroyed after a slot changed (qplatformdialoghelper.cpp, Qt 6.4). Our
// slots live for the run only, so while this guard lives the per-user settings folder is a
// private temporary one: the read finds nothing and the write goes nowhere that stays.
// Only QSettings made from an organisation name look there; the program's own stores name
// their files.
class QtSettingsDetour {
public:
    QtSettingsDetour()
    {
        if (dir_.isValid())
            QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
        else
            qCWarning(lcColorSelect) << "no temporary folder; Qt may keep the custom colours in its own settings file";
    }
    ~QtSettingsDetour()
    {
        if (dir_.isValid())
            QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    QtSettingsDetour(const QtSettingsDetour&) = delete;
    QtSettingsDetour& operator=(const QtSettingsDetour&) = delete;

private:
    QTemporaryDir dir_;
};

} // namespace

qint32 SelectColor(qint32 initial, QWidget* owner)
{
    if (!fCustInit) {
        CustColors.fill(0);
        fCustInit = true;
    }
    if (static_cast<quint32>(initial) > 0xFFFFFFu)
        qCWarning(lcColorSelect).nospace() << "starting colour 0x" << Qt::hex << static_cast<quint32>(initial)
                                           << " is not a plain RGB value; the dialog starts on its low three bytes";

    QPointer<QColorDialog> dialog;
    {
        const QtSettingsDetour detour;
        for (int i = 0; i < int(CustColors.size()); ++i)
            QColorDialog::setCustomColor(i, fromColorRef(CustColors[i]));
        dialog = new QColorDialog(owner);
    }
    dialog->setOptions(QColorDialog::DontUseNativeDialog);
    dialog->setCurrentColor(fromColorRef(initial));
    dialog->setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    const bool chosen = dialog->exec() == QDialog::Accepted;
    if (!dialog) {
        qCWarning(lcColorSelect) << "the colour dialog went away with its owner; the colour stays as it was";
        return initial;
    }

    // Slots the user filled count even when the dialog is cancelled.
    for (int i = 0; i < int(CustColors.size()); ++i)
        CustColors[i] = toColorRef(QColorDialog::customColor(i));
    const qint32 result = chosen ? toColorRef(dialog->selectedColor()) : initial;
    {
        const QtSettingsDetour detour;
        delete dialog.data();
    }
    qCDebug(lcColorSelect).nospace() << "colour 0x" << Qt::hex << static_cast<quint32>(result) << (chosen ? " chosen" : " kept");
    return result;
}

} // namespace tb
