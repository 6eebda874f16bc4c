#include "app/frmMain.h"

#include "app/TemperatureText.h"
#include "temperature/ComponentError.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>

namespace tb {

Q_LOGGING_CATEGORY(lcMain, "thermobadge.window", QtInfoMsg)
Q_LOGGING_CATEGORY(lcReading, "thermobadge.reading", QtWarningMsg)

frmMain::frmMain(MainWindowEnv env) : env_(std::move(env)), options_(env_.settings, env_.regional)
{
    paths_ = InitPaths(env_.programDir);
    interpreter_ = std::make_unique<CommandInterpreter>(
        CommandTarget{style_, adjust_, sPicName_, sPicFile_, iOptWnd_, paths_.PicDir, [this] { ChangeZapros(); },
                      [this](bool fChangePic) { DrawTemper(fChangePic); },
                      [this](const QString& name) { return pictureFile(paths_, name); }},
        env_.regional);
    txtMsg_ = std::make_unique<CommandBox>([this](CommandBox& box) { txtMsg_Change(box, *interpreter_); });
    tmr0_ = env_.timers.createSecondClock([this] { tmr_Timer(); });
    env_.temper.TemperReceive = [this](double t, DateTime when) { ctlTemper_TemperReceive(t, when); };
    env_.menu.onAboutToShow = [this] { refreshMenu(); };
    env_.menu.onCommand = [this](MenuItem item, int index) { menuCommand(item, index); };
    env_.tray.onEvent = [this](int message, QPoint at) { TrayIconEvent(message, at); };
    env_.tray.onAvailableChanged = [this](bool available) { trayAvailableChanged(available); };
}

frmMain::~frmMain()
{
    env_.temper.TemperReceive = nullptr;
    env_.menu.onAboutToShow = nullptr;
    env_.menu.onCommand = nullptr;
    env_.tray.onEvent = nullptr;
    env_.tray.onAvailableChanged = nullptr;
}

bool frmMain::Form_Load()
{
    // The steps below run in this order, and the order is binding: the saved look draws itself
    // the moment it is read, so what a drawing uses is read before it; a first run opens the
    // options dialog, which shows what was read before it; the window is placed before it is
    // shown; the stored reading is on screen before polling starts; and the temperature component
    // takes its settings when it starts.

    // The default text colour and the skin list first: the look and the request word are looked
    // up in that list.
    style_.nTextColor = 65535;
    picList_ = readPicList(IniReader_, paths_.IniFile);

    // Scale and transparency, before the look: its first drawing uses them.
    style_.nScaleX = options_.single(OptionKey::scX);
    style_.nScaleY = options_.single(OptionKey::scY);
    style_.fScaleOn = options_.boolean(OptionKey::ScaleOn);
    trans_ = static_cast<quint8>(options_.whole(OptionKey::Trans));
    transOn_ = options_.boolean(OptionKey::TransOn);

    // The stale-reading marker, before the look for the same reason.
    mnuInd_ = options_.boolean(OptionKey::IndShow);
    tmr0_->setEnabled(mnuInd_);
    qint64 pos = options_.whole(OptionKey::IndPos);
    if (pos < 0 || pos > 5) {
        qCWarning(lcMain) << "stored marker position" << pos << "is not 0 to 5 - 0 used";
        pos = 0;
    }
    staleMark_.nPos = static_cast<qint16>(pos);
    qint64 size = options_.whole(OptionKey::IndSize);
    if (size < 0 || size > 5) {
        qCWarning(lcMain) << "stored marker size" << size << "is not 0 to 5 - 0 used";
        size = 0;
    }
    indSizeTag_ = static_cast<qint16>(size);
    staleMark_.nSize = kStaleMarkSizes[static_cast<std::size_t>(size)];

    // The saved look: set into the command box, it is drawn at once.
    FileFromIni();

    // Options, tray look and format, before the provider: a first run opens the options dialog,
    // which shows them and redraws in that format while the correction changes.
    aRun_ = options_.boolean(OptionKey::ARun);
    verChk_ = options_.boolean(OptionKey::VerChk);
    trayLook_.TrTrans = options_.boolean(OptionKey::TrTrans);
    trayLook_.TrCif = options_.boolean(OptionKey::TrCif);
    trayLook_.TrBold = options_.boolean(OptionKey::TrBold);
    static_assert(kTrColKeys.size() == std::tuple_size_v<decltype(TrayLook::TrCol)>, "one key per tray colour");
    for (std::size_t i = 0; i < kTrColKeys.size(); ++i)
        trayLook_.TrCol[i] = static_cast<qint32>(options_.whole(kTrColKeys[i]));
    nTmprFrmt_ = static_cast<qint16>(options_.whole(OptionKey::TmprFrmt));

    // The provider group. None stored means a first run: the options dialog opens so that the
    // user picks one (a stored group that does not exist is removed, which makes this a first run
    // again), and the town chooser beside it.
    prov_ = static_cast<qint32>(options_.whole(OptionKey::Prov, env_.temper.Prov()));
    if (prov_ >= env_.temper.ProvCount() || prov_ < 0) {
        qCWarning(lcMain) << "stored provider" << prov_ << "does not exist - provider 0 used";
        options_.remove(OptionKey::Prov);
        prov_ = 0;
    }
    fProvUnset_ = options_.text(OptionKey::Prov, QStringLiteral("Prov")) == QStringLiteral("Prov");
    if (fProvUnset_) {
        env_.companions.mnuOptions_Click();
        // Beside it, the way to a real temperature: the town whose weather the local server gives.
        if (!env_.companions.townChosen())
            env_.companions.showTownChooser();
    }

    // Placement, visibility, staying on top and the tray icon: the window is placed before it is
    // shown, so it never appears at another place first.
    env_.view.moveTo(QPoint(0, 0));
    env_.view.moveTo(env_.placement.LoadPos(OptionKey::PosMain, QPoint(0, 0)));
    env_.view.setSticky(options_.boolean(OptionKey::Sticky));
    bool shown = options_.boolean(OptionKey::Show);
    if (!shown && !env_.tray.available()) {
        // Nothing else could bring a hidden window back.
        qCWarning(lcMain) << "no tray on this desktop: the window is shown although it was hidden when the program last ran";
        shown = true;
    }
    env_.view.setShown(shown);
    SetMnuCaption();
    mnuTop_ = options_.boolean(OptionKey::WinTop);
    env_.view.setOnTop(mnuTop_);
    env_.tray.TrayIconShow(true);

    // The stored reading, in the window and the tray icon shown just above, before polling
    // starts: the last known temperature is on screen until the first reply.
    ctlTemper_TemperReceive(env_.temper.valTemper(), env_.temper.valTime());

    // The temperature component last: BeginStart sends the first request at once, so the
    // provider, request word, poll period and version check are set before it.
    env_.temper.setProv(prov_);
    sZaprosPrefix_ = zaprosPrefix(env_.temper.IsMsWs(), env_.programMajor, env_.programMinor);
    ChangeZapros();
    env_.temper.setOprosTime(20);
    env_.temper.setCheckVer(verChk_);
    env_.temper.setProgId(QString(QChar(3)));
    env_.temper.setDifTimeEvent(false);
    bool started = true;
    try {
        if (env_.startPolling)
            env_.temper.BeginStart();
    } catch (const ComponentError& e) {
        qCCritical(lcMain) << "the temperature source could not start:" << e.number() << e.description();
        started = false;
    }

    // Read only now: loading the saved look above is not the user changing the look, and must
    // not switch scaling off.
    scaleAutoOff_ = options_.boolean(OptionKey::ScaleAutoOff);
    return started;
}

void frmMain::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    env_.placement.SavePos(OptionKey::PosMain, env_.view.position());
    options_.setSingle(OptionKey::scX, style_.nScaleX);
    options_.setSingle(OptionKey::scY, style_.nScaleY);
    options_.setWhole(OptionKey::Trans, trans_);
    options_.setBoolean(OptionKey::ScaleOn, style_.fScaleOn);
    options_.setBoolean(OptionKey::IndShow, mnuInd_);
    options_.setWhole(OptionKey::IndPos, staleMark_.nPos);
    options_.setWhole(OptionKey::IndSize, indSizeTag_);
    env_.tray.TrayIconShow(false);
    if (iOptWnd_ >= 1)
        env_.companions.SendText(QStringLiteral("W=0"));
    tmr0_->setEnabled(false);
    env_.temper.BeginStop();
}

void frmMain::FileFromIni()
{
    const QString selected = IniReader_.ReadINIKey(QStringLiteral("General"), QStringLiteral("Selected"), paths_.IniFile, QString());
    txtMsg_->setText(QStringLiteral("A=") + selected);
    if (selected.isEmpty()) {
        // No skin: the temperature alone, white with a dark outline and a soft shadow, so a
        // start without skins still shows something.
        qCInfo(lcMain) << "no look selected in" << paths_.IniFile << "- the text is drawn alone";
        txtMsg_->setText(QString::fromLatin1(kTextOnlyLook));
    }
}

void frmMain::ChangeZapros()
{
    try {
        env_.temper.setStrZapros(sZaprosPrefix_ + pictureCode(picList_, sPicName_));
    } catch (const ComponentError& e) {
        qCWarning(lcMain) << "request word not changed:" << e.description();
    }
}

void frmMain::ctlTemper_TemperReceive(double temperature, DateTime time)
{
    dTemper_ = temperature;
    qCInfo(lcReading).noquote() << "reading" << GetTemperFormat(temperature, 4) << "taken"
                                << time.toQDateTime().toString(QStringLiteral("d.MM.yyyy HH:mm"));
    DrawTemper(false);
    UpdateTrayIcon();
    tooltip_ = temperatureTooltip(temperature, time, env_.regional);
    env_.tray.TrayIconTip(tooltip_);
}

void frmMain::DrawTemper(bool fChangePic)
{
    // A look without a picture has no file to check and no picture change to react to.
    if (sPicName_.isEmpty())
        fChangePic = false;
    QString path = sPicFile_;
    if (fChangePic) {
        if (!QFileInfo::exists(localPath(path))) {
            env_.messages.show(MessageBoxes::Icon::Critical, QCoreApplication::translate("frmMain", "Ошибка..."),
                QCoreApplication::translate("frmMain", "Файл: ") + path
                    + QCoreApplication::translate("frmMain", "\r\nНет доступа!"));
            return;
        }
        if (scaleAutoOff_)
            style_.fScaleOn = false;
    } else {
        path.clear();
    }
    DrawStrOnFilePic(path, GetTemperFormat(dTemper_, nTmprFrmt_));
}

void frmMain::DrawStrOnFilePic(const QString& file, const QString& text)
{
    style_.sText = text;
    style_.nTrans = transOn_ ? trans_ : 0;
    const DrawOutcome out = env_.drawing.draw(localPath(file), style_, adjust_, staleMark_, env_.view.devicePixelRatio());
    ++drawCount_;
    if (out.drawn)
        env_.view.showCanvas(out.canvas, 255 - style_.nTrans);
    if (out.fontReplaced && iOptWnd_ >= 1)
        env_.companions.SendText(QStringLiteral("F=") + style_.sFontName);
}

void frmMain::mnuFormat_Click(int index)
{
    nTmprFrmt_ = static_cast<qint16>(index);
    ctlTemper_TemperReceive(env_.temper.valTemper(), env_.temper.valTime());
    options_.setWhole(OptionKey::TmprFrmt, index);
}

void frmMain::tmr_Timer()
{
    const bool stale = secondBoundaries(env_.temper.valTime(), env_.clock.now()) > kStaleAfterSeconds;
    if (stale != staleMark_.fShow) {
        staleMark_.fShow = stale;
        DrawTemper(false);
    }
}

} // namespace tb
