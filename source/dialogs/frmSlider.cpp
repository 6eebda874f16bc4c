#include "dialogs/frmSlider.h"

#include "dialogs/ControlTable.h"
#include "platform/desktop/WindowFront.h"

#include <QCoreApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace tb {

Q_LOGGING_CATEGORY(lcSlider, "thermobadge.slider", QtWarningMsg)

namespace {

constexpr char kTransCaption[] = QT_TRANSLATE_NOOP("frmSlider", "Прозрачность %  (0-");
const char* const kDefaultTip = QT_TRANSLATE_NOOP("frmSlider", "Клик мыши устанавливает значение по умолчанию");

using C = SliderControls;
using K = ControlKind;

constexpr ControlLook kFrame {0, false, false, kWhite};
constexpr ControlLook kValue {0, false, false, kBlack, kValueBackground};
constexpr ControlLook kAxis {0, false, false, kCyan};
// The "Вкл." boxes and "Ш+В" sit on their frame's top line and hide it behind them.
constexpr ControlLook kOnFrameLine {0, false, false, kWhite, kDialogBackground};
constexpr ControlLook kSwitchOnFrameLine {0, false, false, kYellow, kDialogBackground};
constexpr ControlLook kSwitch {0, false, false, kYellow};

// The panel's controls in the order they are made.
constexpr ControlRow<SliderControls> kRows[] = {
    {held<&C::framTrans>, K::Frame, nullptr, "framTrans", kTransCaption, nullptr, 15, 0, 4335, 600, kFrame},
    {held<&C::scrlTrans>, K::HBar, held<&C::framTrans>, "scrlTrans", nullptr, nullptr, 1005, 285, 2685, 195, {}},
    {held<&C::chkTrans>, K::Check, held<&C::framTrans>, "chkTrans", QT_TRANSLATE_NOOP("frmSlider", "Вкл."), QT_TRANSLATE_NOOP("frmSlider", "Задействовать прозрачность"), 2775, 15, 645, 225,
        kOnFrameLine},
    {held<&C::lblTrans>, K::Label, held<&C::framTrans>, "lblTrans", nullptr, kDefaultTip, 3735, 270, 495, 225, kValue},
    {held<&C::framScale>, K::Frame, nullptr, "framScale", QT_TRANSLATE_NOOP("frmSlider", "Масштаб % (25-300)"), nullptr, 15, 630, 4335, 1020, kFrame},
    {held<&C::lbl, 1>, K::Label, held<&C::framScale>, "lbl(1)", QT_TRANSLATE_NOOP("frmSlider", "Ширина (X)"), nullptr, 75, 255, 870, 225, kAxis},
    {held<&C::lbl, 2>, K::Label, held<&C::framScale>, "lbl(2)", QT_TRANSLATE_NOOP("frmSlider", "Высота (Y)"), nullptr, 90, 465, 855, 225, kAxis},
    {held<&C::scrlScale, 0>, K::HBar, held<&C::framScale>, "scrlScale(0)", nullptr, nullptr, 1005, 240, 2685, 195, {}},
    {held<&C::lblScale, 0>, K::Label, held<&C::framScale>, "lblScale(0)", nullptr, nullptr, 3735, 240, 495, 225, kValue},
    {held<&C::scrlScale, 1>, K::HBar, held<&C::framScale>, "scrlScale(1)", nullptr, nullptr, 1005, 480, 2685, 195, {}},
    {held<&C::lblScale, 1>, K::Label, held<&C::framScale>, "lblScale(1)", nullptr, nullptr, 3735, 465, 495, 225, kValue},
    {held<&C::chkScale>, K::Check, held<&C::framScale>, "chkScale", QT_TRANSLATE_NOOP("frmSlider", "Вкл."), QT_TRANSLATE_NOOP("frmSlider", "Задействовать масштабирование"), 2775, 0, 645, 225,
        kOnFrameLine},
    {held<&C::chkScaleSinc>, K::Check, held<&C::framScale>, "chkScaleSinc", QT_TRANSLATE_NOOP("frmSlider", "Ш+В"), QT_TRANSLATE_NOOP("frmSlider", "Масштабировать синхронно Ширину и Высоту"),
        1740, 0, 675, 225, kSwitchOnFrameLine},
    {held<&C::chkScaleAutoOff>, K::Check, held<&C::framScale>, "chkScaleAutoOff", QT_TRANSLATE_NOOP("frmSlider", "Отключать масштаб при смене шаблона"),
        QT_TRANSLATE_NOOP("frmSlider", "Автоматически отключает масштабирование при смене шаблона"), 465, 750, 3465, 225, kSwitch},
};

// Nearest whole number, halves to the even one (100.5 gives 100, 101.5 gives 102).
int roundHalfEven(float value)
{
    const double v = value;
    return static_cast<int>(v - std::remainder(v, 1.0));
}

} // namespace

frmSlider::frmSlider(SliderTarget target, Options& options, QWidget* owner)
    : QDialog(owner)
    , target_(std::move(target))
    , options_(options)
    , owner_(owner)
{
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowModality(Qt::WindowModal);
    setWindowTitle(QCoreApplication::translate("frmSlider", "Регулирование: клавиши стрелок, PgUp, PgDn"));
    setDialogFace(this, dialogFont(8));
    buildControls();
    layoutControls();
}

void frmSlider::buildControls()
{
    tb::buildControls(this, kRows, c_, "frmSlider");
    c_.scrlTrans->setRange(0, kTransMax);
    for (QScrollBar* bar : c_.scrlScale)
        bar->setRange(kScaleMin, kScaleMax);
    for (QScrollBar* bar : {c_.scrlTrans, c_.scrlScale[0], c_.scrlScale[1]}) {
        bar->setSingleStep(1);
        bar->setPageStep(10);
    }
    // A click on a value sets its default.
    for (QLabel* label : {c_.lblTrans, c_.lblScale[0], c_.lblScale[1]})
        label->installEventFilter(this);

    // Key preview: Esc is seen by the panel whichever control holds the focus.
    installEventFilter(this);
    QWidget* order[]
        = {c_.scrlTrans, c_.scrlScale[0], c_.scrlScale[1], c_.chkTrans, c_.chkScale, c_.chkScaleSinc, c_.chkScaleAutoOff};
    for (QWidget* w : order)
        w->installEventFilter(this);
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    resetControls();

    // Qt reports dragging (with tracking) and every completed change through valueChanged, so
    // one connection serves both the Scroll and the Change events of each bar.
    connect(c_.scrlTrans, &QScrollBar::valueChanged, this, [this] { scrlTrans_Change(); });
    for (int i = 0; i < 2; ++i)
        connect(c_.scrlScale[i], &QScrollBar::valueChanged, this, [this, i] { scrlScale_Change(i); });
    // A box set by code runs its handler as a click does.
    connect(c_.chkScale, &QCheckBox::toggled, this, [this] { chkScale_Click(); });
    connect(c_.chkTrans, &QCheckBox::toggled, this, [this] { chkTrans_Click(); });
    connect(c_.chkScaleSinc, &QCheckBox::toggled, this, [this] { chkScaleSinc_Click(); });
    connect(c_.chkScaleAutoOff, &QCheckBox::toggled, this, [this] { chkScaleAutoOff_Click(); });
}

void frmSlider::layoutControls()
{
    setFixedSize(px(4380, this), px(1665, this));
    placeControls(this, kRows, c_);
    for (QCheckBox* box : {c_.chkTrans, c_.chkScale, c_.chkScaleSinc, c_.chkScaleAutoOff})
        growToFit(box, box->text());
    for (QLabel* label : {c_.lbl[1], c_.lbl[2]})
        growToFit(label, label->text());
    // The value labels are sized for their widest values.
    for (QLabel* label : {c_.lblTrans, c_.lblScale[0], c_.lblScale[1]})
        growToFit(label, QStringLiteral("300"));
}

// The controls as the panel is designed; a fresh load starts from them, so what the panel
// shows depends on the shared values and the stored keys only.
void frmSlider::resetControls()
{
    const QSignalBlocker blocks[] = {QSignalBlocker(c_.scrlTrans), QSignalBlocker(c_.scrlScale[0]),
        QSignalBlocker(c_.scrlScale[1]), QSignalBlocker(c_.chkTrans), QSignalBlocker(c_.chkScale),
        QSignalBlocker(c_.chkScaleSinc), QSignalBlocker(c_.chkScaleAutoOff)};
    c_.scrlTrans->setValue(0);
    c_.scrlScale[0]->setValue(100);
    c_.scrlScale[1]->setValue(100);
    for (QCheckBox* box : {c_.chkTrans, c_.chkScale, c_.chkScaleSinc, c_.chkScaleAutoOff})
        box->setChecked(true);
    c_.lblTrans->setText(QStringLiteral("0"));
    c_.lblScale[0]->setText(QStringLiteral("100"));
    c_.lblScale[1]->setText(QStringLiteral("100"));
    c_.framTrans->setTitle(QCoreApplication::translate("frmSlider", kTransCaption));
}

void frmSlider::open()
{
    if (open_) {
        // Minimised (and the main window with it, which the window manager minimises along with
        // its modal panel), it comes back with its owner.
        unminimise(owner_);
        bringToFront(this);
        return;
    }
    Form_Load();
    QDialog::open();
    // The panel's window frame is known only once it is shown (before, its caption's height is
    // estimated); a panel placed at the main window is placed again with its real size.
    if (placedByDefault_ && frameGeometry().size() != size())
        move(defaultPosition(frameGeometry().size()));
}

void frmSlider::Form_Load()
{
    fLoaded_ = false;
    resetControls();
    layoutControls(); // the screen may have another resolution than at the last opening
    c_.chkScaleSinc->setChecked(options_.boolean(OptionKey::ScaleSinc));
    const auto drawn = std::make_tuple(target_.style.nScaleX, target_.style.nScaleY, target_.Trans);
    clampSharedValues();
    c_.scrlScale[0]->setValue(roundHalfEven(target_.style.nScaleX));
    c_.scrlScale[1]->setValue(roundHalfEven(target_.style.nScaleY));
    c_.chkScale->setChecked(target_.style.fScaleOn);
    c_.chkScaleAutoOff->setChecked(target_.ScaleAutoOff);
    c_.chkTrans->setChecked(target_.TransOn);
    c_.scrlTrans->setValue(target_.Trans);
    fLoaded_ = true;
    // Loading draws nothing, yet it may have changed what is drawn: a value brought into the
    // bars' range, or the scales made equal by "Ш+В". The window then shows at once what the
    // bars show, with one drawing.
    if (drawn != std::make_tuple(target_.style.nScaleX, target_.style.nScaleY, target_.Trans) && target_.redraw)
        target_.redraw();

    c_.lblScale[0]->setToolTip(c_.lblTrans->toolTip());
    c_.lblScale[1]->setToolTip(c_.lblTrans->toolTip());
    c_.framTrans->setTitle(
        QCoreApplication::translate("frmSlider", kTransCaption) + QString::number(c_.scrlTrans->maximum() * 100 / 255) + QLatin1Char(')'));

    const QSize outer = outerSize();
    const QPoint computed = defaultPosition(outer);
    const std::optional<QPoint> stored = storedPosition(computed, outer);
    placedByDefault_ = !stored;
    move(stored.value_or(computed));
    target_.fSliderOpen = true;
    open_ = true;
}

// The bars cannot show a scale outside 25..300 or a transparency above 210; such a value is
// brought to the nearest end of its bar, and the shared value with it, so that what is drawn
// is what the bars show.
void frmSlider::clampSharedValues()
{
    for (float* scale : {&target_.style.nScaleX, &target_.style.nScaleY}) {
        const float before = *scale;
        if (std::isnan(before))
            *scale = 100;
        else if (before < kScaleMin || before > kScaleMax)
            *scale = std::clamp(before, float(kScaleMin), float(kScaleMax));
        if (!(*scale == before))
            qCWarning(lcSlider) << "scale" << before << "% cannot be shown - set to" << *scale << "%";
    }
    if (target_.Trans > kTransMax) {
        qCWarning(lcSlider) << "transparency" << target_.Trans << "is above" << kTransMax << "- set to" << kTransMax;
        target_.Trans = kTransMax;
    }
}

qreal frmSlider::twipsPerPixel() const
{
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return 1440.0 / (s ? s->logicalDotsPerInch() : 96.0);
}

// The panel's size with its window frame. The frame is known once the window manager has
// framed the panel; before the first showing only the caption's height can be estimated.
QSize frmSlider::outerSize() const
{
    QSize outer = frameGeometry().size();
    if (outer == size())
        outer.rheight() += style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    return outer;
}

// Centred below the main window, or above it when the panel would reach past the bottom of
// the screen.
QPoint frmSlider::defaultPosition(QSize outer) const
{
    const QScreen* s = owner_ && owner_->screen() ? owner_->screen() : QGuiApplication::primaryScreen();
    const QRect screenRect = s ? s->geometry() : QRect(0, 0, 800, 600);
    const QRect main = owner_ ? owner_->frameGeometry() : QRect(screenRect.center(), QSize(0, 0));
    const int left = main.left() + (main.width() - outer.width()) / 2;
    int top = main.top() + main.height();
    if (top + outer.height() > screenRect.top() + screenRect.height())
        top = main.top() - outer.height();
    return {left, top};
}

// The position stored in twips, each coordinate defaulting to the computed one; nothing when
// none is stored. A stored text that is not a number, or a place where no part of the panel is
// on any screen, would leave the panel unreachable: nothing is returned then either.
std::optional<QPoint> frmSlider::storedPosition(QPoint fallback, QSize outer) const
{
    const qreal tpp = twipsPerPixel();
    QPoint p = fallback;
    bool any = false;
    for (const bool isLeft : {true, false}) {
        const QString key = optionName(isLeft ? OptionKey::FrmSliderL : OptionKey::FrmSliderT);
        const std::optional<QString> text = options_.store().value(key);
        if (!text)
            continue;
        any = true;
        const std::optional<double> twips = options_.regional().parseNumber(*text);
        if (!twips || std::fabs(*twips) > 1e9) {
            qCWarning(lcSlider) << "stored panel position" << key << "=" << *text
                                << "is not a number - panel placed at the main window";
            return std::nullopt;
        }
        (isLeft ? p.rx() : p.ry()) = qRound(*twips / tpp);
    }
    if (!any)
        return std::nullopt;
    const QRect rect(p, outer);
    for (const QScreen* s : QGuiApplication::screens())
        if (s->geometry().intersects(rect))
            return p;
    qCWarning(lcSlider) << "stored panel position" << p << "lies off every screen - panel placed at the main window";
    return std::nullopt;
}

void frmSlider::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
    QDialog::changeEvent(event);
}

void frmSlider::Form_Activate()
{
    if (fActivated_)
        return;
    fActivated_ = true;
    if (target_.nSliderFocus == 0)
        c_.scrlTrans->setFocus(Qt::ActiveWindowFocusReason);
    else if (target_.nSliderFocus == 1)
        c_.scrlScale[0]->setFocus(Qt::ActiveWindowFocusReason);
}

bool frmSlider::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            Form_KeyDown(27);
            return true;
        }
        // Qt's scroll bars invert their arrow keys, so that Right would move a horizontal
        // bar to the left; here Right increases and Left decreases, as the bars read.
        auto* bar = qobject_cast<QScrollBar*>(watched);
        if (bar && (key == Qt::Key_Left || key == Qt::Key_Right)) {
            bar->triggerAction(
                key == Qt::Key_Right ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub);
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* label = qobject_cast<QLabel*>(watched);
        if (label && mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
            if (label == c_.lblTrans)
                lblTrans_Click();
            else
                lblScale_Click(label == c_.lblScale[0] ? 0 : 1);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmSlider::Form_KeyDown(int keyCode)
{
    if (keyCode == 27)
        close();
}

// Esc and the close box both end here (close() goes through reject()).
void frmSlider::done(int result)
{
    if (open_)
        Form_Unload();
    QDialog::done(result);
}

void frmSlider::Form_Unload()
{
    const qreal tpp = twipsPerPixel();
    options_.setWhole(OptionKey::FrmSliderL, qRound(pos().x() * tpp));
    options_.setWhole(OptionKey::FrmSliderT, qRound(pos().y() * tpp));
    options_.setBoolean(OptionKey::ScaleSinc, c_.chkScaleSinc->isChecked());
    options_.setBoolean(OptionKey::ScaleAutoOff, c_.chkScaleAutoOff->isChecked());
    options_.setBoolean(OptionKey::TransOn, c_.chkTrans->isChecked());
    fActivated_ = false;
    target_.fSliderOpen = false;
    open_ = false;
}

void frmSlider::scrlScale_Scroll(int index)
{
    const int other = 1 - index;
    float& mine = index == 0 ? target_.style.nScaleX : target_.style.nScaleY;
    c_.lblScale[index]->setText(QString::number(c_.scrlScale[index]->value()));
    mine = static_cast<float>(c_.scrlScale[index]->value());
    if (c_.chkScaleSinc->isChecked()) {
        // Runs this handler for the other bar only when its value differs, so the nesting
        // stops after one level. The nested run leaves the redraw to this one, which follows
        // at once with the same values: one picture a step instead of two identical ones.
        ++nestedScale_;
        c_.scrlScale[other]->setValue(roundHalfEven(mine));
        --nestedScale_;
        c_.lblScale[other]->setText(QString::number(double(mine)));
    }
    // No nested event loop here: the handler runs inside the bar's own event (a drag or a key),
    // and processing further input from inside it could start the same handler again before
    // this one has finished. The labels repaint as soon as the handler returns, and the
    // redraw below is far quicker than a frame.
    nLastScaleIdx_ = static_cast<qint16>(index);
    if (fLoaded_ && nestedScale_ == 0 && target_.redraw)
        target_.redraw();
}

void frmSlider::scrlTrans_Scroll()
{
    const int value = c_.scrlTrans->value();
    c_.lblTrans->setText(QString::number(value * 100 / 255));
    target_.Trans = static_cast<quint8>(value);
    if (fLoaded_ && target_.redraw)
        target_.redraw();
}

void frmSlider::chkScale_Click()
{
    target_.style.fScaleOn = c_.chkScale->isChecked();
    if (fLoaded_ && target_.redraw)
        target_.redraw();
}

void frmSlider::chkTrans_Click()
{
    target_.TransOn = c_.chkTrans->isChecked();
    if (fLoaded_ && target_.redraw)
        target_.redraw();
}

void frmSlider::chkScaleSinc_Click()
{
    if (c_.chkScaleSinc->isChecked())
        scrlScale_Scroll(nLastScaleIdx_);
}

void frmSlider::chkScaleAutoOff_Click()
{
    target_.ScaleAutoOff = c_.chkScaleAutoOff->isChecked();
}

void frmSlider::lblScale_Click(int index)
{
    c_.scrlScale[index]->setValue(100);
}

void frmSlider::lblTrans_Click()
{
    c_.scrlTrans->setValue(0);
}

} // namespace tb
