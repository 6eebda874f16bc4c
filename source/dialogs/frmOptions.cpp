#include "dialogs/frmOptions.h"

#include "dialogs/SettingsPlacement.h"
#include "dialogs/mColorSelect.h"
#include "platform/desktop/WindowBorder.h"
#include "temperature/ComponentError.h"
#include "temperature/ctlTemper.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace tb {

Q_LOGGING_CATEGORY(lcOptionsDialog, "thermobadge.options", QtInfoMsg)

namespace {


QColor fromColorRef(qint32 ref)
{
    const auto v = static_cast<quint32>(ref);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

} // namespace

frmOptions::frmOptions(OptionsTarget target, Options& options, Autorun autorun, RunCommand command)
    : target_(std::move(target))
    , options_(options)
    , autorun_(std::move(autorun))
    , command_(std::move(command))
{
    chooseColour = SelectColor;
    setAttribute(Qt::WA_DeleteOnClose);
    // A fixed dialog border without a title bar: the dialog is moved by its background.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QString());
    c_ = buildOptionsControls(this);

    connect(c_.scrlT, &QScrollBar::valueChanged, this, [this] { scrlT_Change(); });
    for (QRadioButton* option : c_.optIconTray)
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                optIconTray_Click();
        });
    connect(c_.chkFontBold, &QCheckBox::toggled, this, [this] { chkFontBold_Click(); });
    connect(c_.chkTransparent, &QCheckBox::toggled, this, [this] { chkTransparent_Click(); });
    for (int i = 0; i < 2; ++i)
        connect(c_.chkOkCancel[std::size_t(i)], &QPushButton::toggled, this, [this, i](bool ticked) {
            if (!ticked)
                return;
            const QSignalBlocker quiet(c_.chkOkCancel[std::size_t(i)]);
            c_.chkOkCancel[std::size_t(i)]->setChecked(false);
            chkOkCancel_Click(i);
        });

    // Key preview: the dialog sees every key before the control that has the focus. The frames
    // and the swatches also report their mouse presses here.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void frmOptions::Show()
{
    if (!loaded_) {
        Form_Load();
        show();
        // A fixed border without a caption, once Qt has set its own frame hints.
        QTimer::singleShot(0, this, [this] { setBorderOnly(this); });
    }
    raise();
    activateWindow();
}

void frmOptions::selectProvider(int index)
{
    if (loaded_ && index >= 0 && index < c_.cmbProv->count())
        c_.cmbProv->setCurrentIndex(index);
}

void frmOptions::Form_Load()
{
    loadProviders();
    loadCorrection();
    c_.chkAutoRun->setChecked(target_.ARun);
    c_.chkVer->setChecked(target_.VerChk);
    {
        const QSignalBlocker quiet0(c_.optIconTray[0]), quiet1(c_.optIconTray[1]);
        c_.optIconTray[target_.tray.TrCif ? 1 : 0]->setChecked(true);
    }
    optIconTray_Click();
    {
        const QSignalBlocker quietBold(c_.chkFontBold), quietTrans(c_.chkTransparent);
        c_.chkFontBold->setChecked(target_.tray.TrBold);
        c_.chkTransparent->setChecked(target_.tray.TrTrans);
    }
    for (int i = 0; i < 4; ++i) {
        const qint32 stored = target_.tray.TrCol[std::size_t(i)];
        swatch_[std::size_t(i)] = stored & 0xFFFFFF;
        if (stored != swatch_[std::size_t(i)])
            qCWarning(lcOptionsDialog).nospace()
                << "tray colour TrCol" << i << " = " << stored << " is not a 0x00BBGGRR colour - shown as its low three bytes, 0x"
                << Qt::hex << swatch_[std::size_t(i)] << ", and kept until a colour is chosen";
        paintSwatch(i);
    }
    move(SettingsPlacement(options_.store(), options_.regional()).LoadPos(OptionKey::PosOpt, defaultPosition()));
    trayAtOpen_ = target_.tray;
    loaded_ = true;
}

// The provider names in index order, the component's provider selected; the component
// addresses the same provider afterwards as before.
void frmOptions::loadProviders()
{
    ctlTemper& temper = target_.temper;
    const int remembered = temper.Prov();
    try {
        for (int i = 0; i < temper.ProvCount(); ++i) {
            temper.setProv(i);
            // The built-in group names in the interface language; names from a providers file as they are.
            c_.cmbProv->addItem(QCoreApplication::translate("ProviderTable", temper.ProvName().toUtf8().constData()));
        }
    } catch (const ComponentError& e) {
        qCWarning(lcOptionsDialog) << "provider list cut at" << c_.cmbProv->count() << "entries:" << e.description();
    }
    try {
        temper.setProv(remembered);
    } catch (const ComponentError& e) {
        qCWarning(lcOptionsDialog) << "provider" << remembered << "could not be selected again:" << e.description();
    }
    c_.cmbProv->setCurrentIndex(remembered < c_.cmbProv->count() ? remembered : -1);
}

// The bar covers -10.0 to +10.0. A correction outside that (or not a number) is shown at the
// nearest end (0.0 for no number) and stays as it is until the user moves the bar.
void frmOptions::loadCorrection()
{
    dCorAtOpen_ = target_.temper.TemperCor();
    double position = std::nearbyint(dCorAtOpen_ * -10 - 101); // halves to even
    if (!std::isfinite(position) || position < c_.scrlT->minimum() || position > c_.scrlT->maximum()) {
        const double shown
            = std::isfinite(position) ? std::clamp(position, double(c_.scrlT->minimum()), double(c_.scrlT->maximum())) : -101.0;
        qCWarning(lcOptionsDialog) << "correction" << dCorAtOpen_ << "lies outside -10 to +10 - the bar shows"
                                   << (-shown - 101) / 10 << "and the correction stays until the bar is moved";
        position = shown;
    }
    fLoading_ = true;
    c_.scrlT->setValue(int(position));
    fLoading_ = false;
}

QPoint frmOptions::defaultPosition() const
{
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect area = s ? s->availableGeometry() : QRect(0, 0, 800, 600);
    return area.center() - QPoint(width() / 2, height() / 2);
}

void frmOptions::scrlT_Change()
{
    const int tenths = -c_.scrlT->value() - 101;
    const QString text = QString::number(tenths / 10.0, 'f', 1); // always with "."
    c_.lblTCor->setText(text);
    if (fLoading_)
        return;
    target_.temper.setTemperCor(text.toDouble());
    if (target_.TemperReceive)
        target_.TemperReceive(target_.temper.valTemper(), target_.temper.valTime());
}

void frmOptions::optIconTray_Click()
{
    const bool digital = c_.optIconTray[1]->isChecked();
    c_.chkTransparent->setEnabled(digital);
    c_.chkFontBold->setEnabled(digital);
    target_.tray.TrCif = digital;
    if (target_.UpdateTrayIcon)
        target_.UpdateTrayIcon();
}

void frmOptions::chkFontBold_Click()
{
    target_.tray.TrBold = c_.chkFontBold->isChecked();
    if (target_.UpdateTrayIcon)
        target_.UpdateTrayIcon();
}

void frmOptions::chkTransparent_Click()
{
    target_.tray.TrTrans = c_.chkTransparent->isChecked();
    if (target_.UpdateTrayIcon)
        target_.UpdateTrayIcon();
}

void frmOptions::paintSwatch(int index)
{
    QLabel* swatch = c_.picTIconColor[std::size_t(index)];
    QPalette pal = swatch->palette();
    pal.setColor(QPalette::Window, fromColorRef(swatch_[std::size_t(index)]));
    swatch->setPalette(pal);
}

void frmOptions::picTIconColor_Click(int index)
{
    if (index < 0 || index > 3 || !chooseColour)
        return;
    const qint32 chosen = chooseColour(swatch_[std::size_t(index)], this);
    if (chosen == swatch_[std::size_t(index)])
        return;
    swatch_[std::size_t(index)] = chosen;
    paintSwatch(index);
    target_.tray.TrCol[std::size_t(index)] = chosen;
    if (target_.UpdateTrayIcon)
        target_.UpdateTrayIcon();
}

bool frmOptions::IsAutoRun() const
{
    return autorun_.IsAutoRun(command_);
}

void frmOptions::SetAutoRun(bool wanted)
{
    target_.ARun = autorun_.SetAutoRun(wanted, command_);
    options_.setBoolean(OptionKey::ARun, target_.ARun);
}

void frmOptions::Form_KeyDown(int keyCode)
{
    if (keyCode == 13 || keyCode == 27)
        c_.chkOkCancel[keyCode == 13 ? 1 : 0]->setChecked(true);
}

void frmOptions::chkOkCancel_Click(int index)
{
    if (!loaded_ || finished_)
        return;
    finish(index);
    close();
}

// Everything a button does but closing.
void frmOptions::finish(int index)
{
    finished_ = true;
    sRunCmd_ = command_.text();
    ctlTemper& temper = target_.temper;
    if (index == 1 || target_.fProvUnset) {
        if (c_.cmbProv->currentIndex() >= 0)
            target_.Prov = c_.cmbProv->currentIndex();
        target_.fProvUnset = false;
        try {
            temper.setProv(target_.Prov);
        } catch (const ComponentError& e) {
            qCWarning(lcOptionsDialog) << "provider" << target_.Prov << "could not be selected:" << e.description();
        }
        SetAutoRun(c_.chkAutoRun->isChecked());
        target_.VerChk = c_.chkVer->isChecked();
        options_.setBoolean(OptionKey::VerChk, target_.VerChk);
        options_.setWhole(OptionKey::Prov, target_.Prov);
        options_.setBoolean(OptionKey::TrCif, target_.tray.TrCif);
        options_.setBoolean(OptionKey::TrBold, target_.tray.TrBold);
        options_.setBoolean(OptionKey::TrTrans, target_.tray.TrTrans);
        for (std::size_t i = 0; i < kTrColKeys.size(); ++i)
            options_.setWhole(kTrColKeys[i], target_.tray.TrCol[i]);
    } else {
        target_.tray = trayAtOpen_;
        // The component stores a correction it is given; one that never moved is left as
        // stored, even when that text was not a number.
        if (temper.TemperCor() != dCorAtOpen_)
            temper.setTemperCor(dCorAtOpen_);
    }
    if (target_.TemperReceive)
        target_.TemperReceive(temper.valTemper(), temper.valTime());
    SettingsPlacement(options_.store(), options_.regional()).SavePos(OptionKey::PosOpt, pos());
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            Form_KeyDown(key == Qt::Key_Escape ? 27 : 13);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        if (qobject_cast<QGroupBox*>(watched))
            return drag(event); // fram_MouseDown
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            for (int i = 0; i < 4; ++i) {
                QLabel* swatch = c_.picTIconColor[std::size_t(i)];
                if (watched == swatch && mouse->button() == Qt::LeftButton
                    && swatch->rect().contains(mouse->position().toPoint())) {
                    picTIconColor_Click(i);
                    return true;
                }
            }
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// A press of any button on the background or a frame moves the dialog once the pointer has
// gone past the drag distance; the window manager moves it from there on.
bool frmOptions::drag(QEvent* event)
{
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->globalPosition().toPoint();
    if (event->type() == QEvent::MouseButtonPress) {
        pressed_ = true;
        pressAt_ = at;
    } else if (event->type() == QEvent::MouseMove) {
        if (pressed_ && mouse->buttons() != Qt::NoButton
            && (at - pressAt_).manhattanLength() >= QApplication::startDragDistance()) {
            pressed_ = false;
            if (!windowHandle() || !windowHandle()->startSystemMove())
                qCInfo(lcOptionsDialog) << "the platform cannot move the dialog for us";
        }
    } else {
        pressed_ = false;
    }
    event->accept();
    return true;
}

void frmOptions::mousePressEvent(QMouseEvent* event)
{
    drag(event);
}
void frmOptions::mouseMoveEvent(QMouseEvent* event)
{
    drag(event);
}
void frmOptions::mouseReleaseEvent(QMouseEvent* event)
{
    drag(event);
}

void frmOptions::closeEvent(QCloseEvent* event)
{
    // Closed from outside while open: as "Отмена", so nothing shown live stays unconfirmed.
    if (loaded_ && !finished_)
        finish(0);
    loaded_ = false;
    event->accept();
}

} // namespace tb
