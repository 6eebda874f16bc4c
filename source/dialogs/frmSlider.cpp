#include "frmSlider.h"

#include "Twips.h"
#include "WindowFront.h"

#include <QCheckBox>
#include <QCoreApplication>
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

const QColor kPanelBack(0x68, 0xA5, 0xE8);
const QColor kValueBack(0xFF, 0xC0, 0x80);
const QColor kAxisText(0x00, 0xFF, 0xFF);
const QColor kSwitchText(0xFF, 0xFF, 0x00);

// Translated where they are used: the translation is installed after these are made.
const char* const kTransCaption = QT_TRANSLATE_NOOP("frmSlider", "Прозрачность %  (0-");
const char* const kDefaultTip = QT_TRANSLATE_NOOP("frmSlider", "Клик мыши устанавливает значение по умолчанию");

// A caption is never cut: a control too narrow (or too low) for its text with the fonts of
// this machine grows to the right (or downwards) from where it was placed.
void growToFit(QWidget* w, const QString& text)
{
    const QFontMetrics fm(w->font());
    int needW = w->sizeHint().width();
    if (qobject_cast<QLabel*>(w))
        needW = qMax(needW, fm.horizontalAdvance(text));
    w->resize(qMax(w->width(), needW), qMax(w->height(), fm.height()));
}

void colour(QWidget* w, const QColor& text, const QColor& back = {})
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, text);
    if (back.isValid()) {
        pal.setColor(QPalette::Window, back);
        w->setBackgroundRole(QPalette::Window); // buttons fill with the Button role otherwise
        w->setAutoFillBackground(true);
    }
    w->setPalette(pal);
}

// Nearest whole number, halves to the even one (100.5 gives 100, 101.5 gives 102).
int roundHalfEven(float value)
{
    const double v = value;
    return static_cast<int>(v - std::remainder(v, 1.0));
}

QScrollBar* makeBar(QWidget* parent, int minimum, int maximum, int value)
{
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setRange(minimum, maximum);
    bar->setSingleStep(1);
    bar->setPageStep(10);
    bar->setValue(value);
    bar->setFocusPolicy(Qt::StrongFocus); // the arrow and page keys work on the focused bar
    return bar;
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
    setFont(dialogFont(8));
    buildControls();
    layoutControls();
}

void frmSlider::buildControls()
{
    colour(this, Qt::black, kPanelBack);

    framTrans_ = new QGroupBox(QCoreApplication::translate("frmSlider", kTransCaption), this);
    colour(framTrans_, Qt::white);
    scrlTrans_ = makeBar(framTrans_, 0, kTransMax, 0);
    chkTrans_ = new QCheckBox(QCoreApplication::translate("frmSlider", "Вкл."), framTrans_);
    chkTrans_->setToolTip(QCoreApplication::translate("frmSlider", "Задействовать прозрачность"));
    lblTrans_ = new QLabel(framTrans_);
    lblTrans_->setToolTip(QCoreApplication::translate("frmSlider", kDefaultTip));

    framScale_ = new QGroupBox(QCoreApplication::translate("frmSlider", "Масштаб % (25-300)"), this);
    colour(framScale_, Qt::white);
    lbl_[1] = new QLabel(QCoreApplication::translate("frmSlider", "Ширина (X)"), framScale_);
    lbl_[2] = new QLabel(QCoreApplication::translate("frmSlider", "Высота (Y)"), framScale_);
    for (int i = 0; i < 2; ++i) {
        scrlScale_[i] = makeBar(framScale_, kScaleMin, kScaleMax, 100);
        lblScale_[i] = new QLabel(framScale_);
        colour(lblScale_[i], Qt::black, kValueBack);
        colour(lbl_[i + 1], kAxisText);
        lblScale_[i]->installEventFilter(this);
    }
    chkScale_ = new QCheckBox(QCoreApplication::translate("frmSlider", "Вкл."), framScale_);
    chkScale_->setToolTip(QCoreApplication::translate("frmSlider", "Задействовать масштабирование"));
    chkScaleSinc_ = new QCheckBox(QCoreApplication::translate("frmSlider", "Ш+В"), framScale_);
    chkScaleSinc_->setToolTip(QCoreApplication::translate("frmSlider", "Масштабировать синхронно Ширину и Высоту"));
    chkScaleAutoOff_ = new QCheckBox(QCoreApplication::translate("frmSlider", "Отключать масштаб при смене шаблона"), framScale_);
    chkScaleAutoOff_->setToolTip(
        QCoreApplication::translate("frmSlider", "Автоматически отключает масштабирование при смене шаблона"));

    colour(lblTrans_, Qt::black, kValueBack);
    lblTrans_->installEventFilter(this);
    // The "Вкл." boxes and "Ш+В" sit on their frame's top line and hide it behind them.
    colour(chkTrans_, Qt::white, kPanelBack);
    colour(chkScale_, Qt::white, kPanelBack);
    colour(chkScaleSinc_, kSwitchText, kPanelBack);
    colour(chkScaleAutoOff_, kSwitchText);

    // Key preview: Esc is seen by the panel whichever control holds the focus.
    installEventFilter(this);
    QWidget* order[] = {scrlTrans_, scrlScale_[0], scrlScale_[1], chkTrans_, chkScale_, chkScaleSinc_, chkScaleAutoOff_};
    for (QWidget* w : order)
        w->installEventFilter(this);
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    resetControls();

    // Qt reports dragging (with tracking) and every completed change through valueChanged, so
    // one connection serves both the Scroll and the Change events of each bar.
    connect(scrlTrans_, &QScrollBar::valueChanged, this, [this] { scrlTrans_Change(); });
    for (int i = 0; i < 2; ++i)
        connect(scrlScale_[i], &QScrollBar::valueChanged, this, [this, i] { scrlScale_Change(i); });
    // A box set by code runs its handler as a click does.
    connect(chkScale_, &QCheckBox::toggled, this, [this] { chkScale_Click(); });
    connect(chkTrans_, &QCheckBox::toggled, this, [this] { chkTrans_Click(); });
    connect(chkScaleSinc_, &QCheckBox::toggled, this, [this] { chkScaleSinc_Click(); });
    connect(chkScaleAutoOff_, &QCheckBox::toggled, this, [this] { chkScaleAutoOff_Click(); });
}

void frmSlider::layoutControls()
{
    setFixedSize(px(4380, this), px(1665, this));
    placeTwips(framTrans_, 15, 0, 4335, 600);
    placeTwips(scrlTrans_, 1005, 285, 2685, 195);
    placeTwips(chkTrans_, 2775, 15, 645, 225);
    placeTwips(lblTrans_, 3735, 270, 495, 225);
    placeTwips(framScale_, 15, 630, 4335, 1020);
    placeTwips(lbl_[1], 75, 255, 870, 225);
    placeTwips(scrlScale_[0], 1005, 240, 2685, 195);
    placeTwips(lblScale_[0], 3735, 240, 495, 225);
    placeTwips(lbl_[2], 90, 465, 855, 225);
    placeTwips(scrlScale_[1], 1005, 480, 2685, 195);
    placeTwips(lblScale_[1], 3735, 465, 495, 225);
    placeTwips(chkScale_, 2775, 0, 645, 225);
    placeTwips(chkScaleSinc_, 1740, 0, 675, 225);
    placeTwips(chkScaleAutoOff_, 465, 750, 3465, 225);
    for (QCheckBox* box : {chkTrans_, chkScale_, chkScaleSinc_, chkScaleAutoOff_})
        growToFit(box, box->text());
    for (QLabel* label : {lbl_[1], lbl_[2]})
        growToFit(label, label->text());
    // The value labels are sized for their widest values.
    for (QLabel* label : {lblTrans_, lblScale_[0], lblScale_[1]})
        growToFit(label, QStringLiteral("300"));
}

// The controls as the panel is designed; a fresh load starts from them, so what the panel
// shows depends on the shared values and the stored keys only.
void frmSlider::resetControls()
{
    const QSignalBlocker blocks[] = {QSignalBlocker(scrlTrans_), QSignalBlocker(scrlScale_[0]), QSignalBlocker(scrlScale_[1]),
        QSignalBlocker(chkTrans_), QSignalBlocker(chkScale_), QSignalBlocker(chkScaleSinc_), QSignalBlocker(chkScaleAutoOff_)};
    scrlTrans_->setValue(0);
    scrlScale_[0]->setValue(100);
    scrlScale_[1]->setValue(100);
    for (QCheckBox* box : {chkTrans_, chkScale_, chkScaleSinc_, chkScaleAutoOff_})
        box->setChecked(true);
    lblTrans_->setText(QStringLiteral("0"));
    lblScale_[0]->setText(QStringLiteral("100"));
    lblScale_[1]->setText(QStringLiteral("100"));
    framTrans_->setTitle(QCoreApplication::translate("frmSlider", kTransCaption));
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
    chkScaleSinc_->setChecked(options_.boolean(OptionKey::ScaleSinc));
    const auto drawn = std::make_tuple(target_.style.nScaleX, target_.style.nScaleY, target_.Trans);
    clampSharedValues();
    scrlScale_[0]->setValue(roundHalfEven(target_.style.nScaleX));
    scrlScale_[1]->setValue(roundHalfEven(target_.style.nScaleY));
    chkScale_->setChecked(target_.style.fScaleOn);
    chkScaleAutoOff_->setChecked(target_.ScaleAutoOff);
    chkTrans_->setChecked(target_.TransOn);
    scrlTrans_->setValue(target_.Trans);
    fLoaded_ = true;
    // Loading draws nothing, yet it may have changed what is drawn: a value brought into the
    // bars' range, or the scales made equal by "Ш+В". The window then shows at once what the
    // bars show, with one drawing.
    if (drawn != std::make_tuple(target_.style.nScaleX, target_.style.nScaleY, target_.Trans) && target_.redraw)
        target_.redraw();

    lblScale_[0]->setToolTip(lblTrans_->toolTip());
    lblScale_[1]->setToolTip(lblTrans_->toolTip());
    framTrans_->setTitle(QCoreApplication::translate("frmSlider", kTransCaption)
        + QString::number(scrlTrans_->maximum() * 100 / 255) + QLatin1Char(')'));

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
        scrlTrans_->setFocus(Qt::ActiveWindowFocusReason);
    else if (target_.nSliderFocus == 1)
        scrlScale_[0]->setFocus(Qt::ActiveWindowFocusReason);
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
            if (label == lblTrans_)
                lblTrans_Click();
            else
                lblScale_Click(label == lblScale_[0] ? 0 : 1);
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
    options_.setBoolean(OptionKey::ScaleSinc, chkScaleSinc_->isChecked());
    options_.setBoolean(OptionKey::ScaleAutoOff, chkScaleAutoOff_->isChecked());
    options_.setBoolean(OptionKey::TransOn, chkTrans_->isChecked());
    fActivated_ = false;
    target_.fSliderOpen = false;
    open_ = false;
}

void frmSlider::scrlScale_Scroll(int index)
{
    const int other = 1 - index;
    float& mine = index == 0 ? target_.style.nScaleX : target_.style.nScaleY;
    lblScale_[index]->setText(QString::number(scrlScale_[index]->value()));
    mine = static_cast<float>(scrlScale_[index]->value());
    if (chkScaleSinc_->isChecked()) {
        // Runs this handler for the other bar only when its value differs, so the nesting
        // stops after one level. The nested run leaves the redraw to this one, which follows
        // at once with the same values: one picture a step instead of two identical ones.
        ++nestedScale_;
        scrlScale_[other]->setValue(roundHalfEven(mine));
        --nestedScale_;
        lblScale_[other]->setText(QString::number(double(mine)));
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
    const int value = scrlTrans_->value();
    lblTrans_->setText(QString::number(value * 100 / 255));
    target_.Trans = static_cast<quint8>(value);
    if (fLoaded_ && target_.redraw)
        target_.redraw();
}

void frmSlider::chkScale_Click()
{
    target_.style.fScaleOn = chkScale_->isChecked();
    if (fLoaded_ && target_.redraw)
        target_.redraw();
}

void frmSlider::chkTrans_Click()
{
    target_.TransOn = chkTrans_->isChecked();
    if (fLoaded_ && target_.redraw)
        target_.redraw();
}

void frmSlider::chkScaleSinc_Click()
{
    if (chkScaleSinc_->isChecked())
        scrlScale_Scroll(nLastScaleIdx_);
}

void frmSlider::chkScaleAutoOff_Click()
{
    target_.ScaleAutoOff = chkScaleAutoOff_->isChecked();
}

void frmSlider::lblScale_Click(int index)
{
    scrlScale_[index]->setValue(100);
}

void frmSlider::lblTrans_Click()
{
    scrlTrans_->setValue(0);
}

} // namespace tb
