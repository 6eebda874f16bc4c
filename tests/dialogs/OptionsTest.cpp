#include "LogCapture.h"
#include "QtPrinters.h"
#include "app/AbsentParts.h"
#include "app/frmMain.h"
#include "dialogs/SettingsPlacement.h"
#include "dialogs/Twips.h"
#include "dialogs/frmOptions.h"
#include "platform/MemoryRegistryStore.h"
#include "platform/MemorySettingsStore.h"
#include "platform/fakes/FakeClock.h"
#include "platform/fakes/FakeUdpPort.h"
#include "platform/fakes/RecordingMessageBoxes.h"
#include "platform/fakes/RecordingProcessLauncher.h"
#include "temperature/ctlTemper.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace tb;
using tb::test::LogCapture;

namespace {

// Settings in memory that remember the order in which keys were written.
struct RecordingSettings final : SettingsStore {
    std::optional<QString> value(const QString& key) const override { return inner.value(key); }
    void setValue(const QString& key, const QString& text) override
    {
        written << key;
        inner.setValue(key, text);
    }
    void remove(const QString& key) override { inner.remove(key); }
    QString operator[](const char* key) const { return inner.value(QLatin1String(key)).value_or(QStringLiteral("<absent>")); }
    MemorySettingsStore inner;
    QStringList written;
};

const QString kRegistryKey = QStringLiteral("Software\\CtlTemper");

// The main window's share of the dialog on local variables, a temperature component on fakes
// and an autostart folder of its own.
struct Rig {
    FakeClock clock {DateTime::of(2024, 3, 7, 14, 5, 0)};
    FakeUdpPort udp {&clock};
    MemoryRegistryStore registry;
    RecordingMessageBoxes boxes;
    RecordingProcessLauncher processes;
    std::unique_ptr<ctlTemper> temper;
    RecordingSettings settings;
    Options options {settings, Regional::russian()};
    qint32 prov = 0;
    bool provUnset = false, aRun = false, verChk = true;
    TrayLook tray;
    std::vector<double> received; // temperatures the indicator and tray were redrawn with
    int trayUpdates = 0;
    qint32 colourAnswer = -1; // what the colour chooser returns; -1: cancelled
    std::vector<qint32> colourAsked;
    QTemporaryDir home;
    RunCommand command {QStringLiteral("/opt/Мои программы/ThermoBadge"), {}};
    QPointer<frmOptions> dialog;

    explicit Rig(const char* storedCorrection = nullptr)
    {
        if (storedCorrection)
            registry.setValue(RegRoot::CurrentUser, kRegistryKey, QStringLiteral("TCorrect"),
                RegValue::string(QString::fromUtf8(storedCorrection)));
        temper = std::make_unique<ctlTemper>(TemperEnvironment {
            clock, clock, udp, registry, boxes, processes, Regional::russian(), QStringLiteral("/opt/tb"), 1, 4});
        temper->InitProperties();
        temper->setValTemper(5.0);
    }
    ~Rig() { delete dialog.data(); }
    QString entry() const { return home.filePath(QStringLiteral("autostart/ThermoBadge.desktop")); }
    QString correction() const
    {
        return registry.value(RegRoot::CurrentUser, kRegistryKey, QStringLiteral("TCorrect")).value_or(RegValue {}).text;
    }
    frmOptions& open()
    {
        if (!dialog) {
            dialog = new frmOptions(OptionsTarget {*temper, prov, provUnset, aRun, verChk, tray,
                                        [this](double t, DateTime) { received.push_back(t); }, [this] { ++trayUpdates; }},
                options, Autorun(entry()), command);
            dialog->chooseColour = [this](qint32 initial, QWidget*) {
                colourAsked.push_back(initial);
                return colourAnswer < 0 ? initial : colourAnswer;
            };
        }
        dialog->Show();
        return *dialog;
    }
    const OptionsControls& c() const { return dialog->controls(); }
    // Lets a closed dialog go away; true when it has.
    bool gone()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return dialog.isNull();
    }
};

QColor fill(const QWidget* w)
{
    return w->palette().color(QPalette::Window);
}

void click(QAbstractButton* b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

} // namespace

// Opening runs the eight loading steps on the stored state and changes nothing: the provider
// list and the component's provider, the bar at -116 for 1.5, the boxes, the look with its two
// boxes disabled, the swatches (out-of-range colours shown as the tray draws them), "PosOpt"
// off every screen kept as it is.
TEST(OptionsTest, OpeningShowsTheStoredStateAndChangesNothing)
{
    LogCapture log(nullptr, QtInfoMsg);
    Rig rig("1,5");
    rig.temper->setProv(1);
    rig.aRun = true;
    rig.verChk = false;
    rig.tray.TrCif = false;
    rig.tray.TrTrans = false;
    rig.tray.TrBold = true;
    rig.tray.TrCol = {0x123456, -1, 0x1000080, 0};
    const TrayLook before = rig.tray;
    rig.settings.inner.setValue(QStringLiteral("PosOpt"), QStringLiteral("-1200|300"));
    const int registryWrites = rig.registry.writeCount();

    frmOptions& d = rig.open();
    const OptionsControls& c = rig.c();
    QStringList names;
    for (int i = 0; i < c.cmbProv->count(); ++i)
        names << c.cmbProv->itemText(i);
    EXPECT_EQ(names, (QStringList {QStringLiteral("Интернет"), QStringLiteral("Локальный")}));
    EXPECT_EQ(c.cmbProv->currentIndex(), 1);
    EXPECT_EQ(rig.temper->Prov(), 1);
    EXPECT_EQ(c.scrlT->value(), -116);
    EXPECT_EQ(c.lblTCor->text(), QStringLiteral("1.5"));
    EXPECT_EQ(d.dCorAtOpen(), 1.5);
    EXPECT_TRUE(c.chkAutoRun->isChecked());
    EXPECT_FALSE(c.chkVer->isChecked());
    EXPECT_TRUE(c.optIconTray[0]->isChecked());
    EXPECT_FALSE(c.optIconTray[1]->isChecked());
    EXPECT_FALSE(c.chkTransparent->isEnabled());
    EXPECT_FALSE(c.chkFontBold->isEnabled());
    EXPECT_TRUE(c.chkFontBold->isChecked());
    EXPECT_FALSE(c.chkTransparent->isChecked());
    EXPECT_EQ(rig.trayUpdates, 1) << "the look handling runs once";
    EXPECT_EQ(fill(c.picTIconColor[0]), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(fill(c.picTIconColor[1]), QColor(Qt::white));
    EXPECT_EQ(fill(c.picTIconColor[2]), QColor(0x80, 0, 0));
    EXPECT_EQ(fill(c.picTIconColor[3]), QColor(Qt::black));
    EXPECT_EQ(log.lines().filter(QStringLiteral("thermobadge.options: tray colour TrCol")).size(), 2)
        << log.lines().join('\n').toStdString();
    EXPECT_EQ(d.pos(), QPoint(-1200, 300));
    EXPECT_EQ(d.TrayAtOpen().TrCol, before.TrCol);
    EXPECT_EQ(rig.tray.TrCol, before.TrCol);
    EXPECT_TRUE(rig.received.empty()) << "loading the bar applied a correction";
    EXPECT_EQ(rig.temper->TemperCor(), 1.5);
    EXPECT_EQ(rig.registry.writeCount(), registryWrites);
    EXPECT_TRUE(rig.settings.written.isEmpty()) << rig.settings.written.join(' ').toStdString();
}

// The window: no owner, modeless, no caption text, fixed 5160 x 3180 twips on 68A5E8; the
// controls sit where the twips table puts them, in their frames, grown only for their captions.
TEST(OptionsTest, AFixedWindowWithItsControlsAtTheirTwips)
{
    Rig rig;
    frmOptions& d = rig.open();
    EXPECT_EQ(d.parentWidget(), nullptr);
    EXPECT_EQ(d.windowModality(), Qt::NonModal);
    EXPECT_TRUE(d.windowTitle().isEmpty());
    EXPECT_EQ(d.size(), QSize(px(5160, &d), px(3180, &d)));
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
    EXPECT_EQ(d.grab().toImage().pixelColor(px(2500, &d), px(1050, &d)), QColor(0x68, 0xA5, 0xE8));

    struct Place {
        const char* name;
        const char* parent;
        int left, top, width, height;
        bool grows; // may be wider or taller than the table for its caption
    } places[] = {
        {"fram(2)", "", 0, 0, 5130, 1005, false},
        {"fram(7)", "fram(4)", 1695, 240, 2280, 1275, false},
        {"fram(8)", "fram(7)", 1110, 255, 1080, 915, false},
        {"cmbProv", "fram(0)", 90, 270, 1845, 315, false},
        {"scrlT", "fram(3)", 855, 255, 165, 330, false},
        {"lblTCor", "fram(3)", 300, 270, 585, 300, true},
        {"lbl(0)", "fram(8)", 450, 555, 420, 225, true},
        {"chkVer", "fram(1)", 150, 405, 975, 255, true},
        {"chkFontBold", "fram(4)", 90 + 270, 240 + 975, 1095, 225, true}, // measured from fram(6)
        {"optIconTray(1)", "fram(6)", 30, 465, 1185, 255, true},
        {"picTIconColor(2)", "fram(8)", 75, 330, 345, 225, false},
        {"chkOkCancel(0)", "", 3285, 2790, 1005, 345, true},
    };
    for (const Place& p : places) {
        const auto* w = d.findChild<QWidget*>(QLatin1String(p.name));
        ASSERT_NE(w, nullptr) << p.name;
        EXPECT_EQ(w->parentWidget() == &d ? QString() : w->parentWidget()->objectName(), QLatin1String(p.parent)) << p.name;
        EXPECT_EQ(w->pos(), QPoint(px(p.left, &d), px(p.top, &d))) << p.name;
        const QSize table(px(p.width, &d), px(p.height, &d));
        if (p.grows)
            EXPECT_TRUE(w->width() >= table.width() && w->height() >= table.height() && w->width() < 2 * table.width()) << p.name;
        else
            EXPECT_EQ(w->size(), table) << p.name;
    }
}

// Each control has its own font, colours and tooltip, so nothing passes from a frame to what
// lies in it; "Ввод" and "Отмена" are check boxes drawn as buttons on a blue face.
TEST(OptionsTest, ControlsCarryTheirOwnFontsColoursAndTips)
{
    Rig rig;
    frmOptions& d = rig.open();
    const OptionsControls& c = rig.c();
    struct Look {
        const char* name;
        const char* family;
        qreal points;
        bool bold;
        QPalette::ColorRole role;
        QColor colour;
        const char* tip;
    } looks[] = {
        {"fram(2)", "Liberation Sans", 8.25, true, QPalette::WindowText, Qt::white, ""},
        {"fram(0)", "Liberation Sans", 8.25, false, QPalette::WindowText, Qt::yellow,
            "Выбор провайдера сети получения температуры"},
        {"cmbProv", "Liberation Sans", 8.25, true, QPalette::Button, QColor(0xFF, 0xC0, 0x80),
            "Выбор провайдера сети получения температуры"},
        {"lblTCor", "Liberation Sans", 9.75, true, QPalette::Window, QColor(0xFF, 0xC0, 0x80),
            "Коррекция температуры от -10 до +10 °C"},
        {"lbl(2)", "Liberation Serif", 12, true, QPalette::WindowText, Qt::yellow, "Это температура"},
        {"fram(5)", "Liberation Sans", 12, true, QPalette::WindowText, Qt::yellow, "При положительной темп-ре"},
        {"lbl(13)", "Liberation Sans", 8.25, false, QPalette::Window, QColor(0, 0, 0xC0),
            "Цвет фона иконки в трее при темп-ре большей или равной нулю"},
        {"optIconTray(1)", "Liberation Sans", 8.25, false, QPalette::WindowText, QColor(0x80, 0xFF, 0xFF),
            "Отображает темпер-ру в трее (десятые градуса будут округляться)"},
        {"chkAutoRun", "Liberation Sans", 8.25, false, QPalette::WindowText, QColor(0x80, 0xFF, 0xFF),
            "Вкл/Выкл запуска программы при загрузке Windows"},
        {"chkOkCancel(1)", "Liberation Sans", 8.25, true, QPalette::ButtonText, QColor(0, 0xFF, 0), ""},
        {"chkOkCancel(0)", "Liberation Sans", 8.25, true, QPalette::ButtonText, QColor(0xFF, 0xC0, 0xC0), ""},
    };
    for (const Look& l : looks) {
        const auto* w = d.findChild<QWidget*>(QLatin1String(l.name));
        ASSERT_NE(w, nullptr) << l.name;
        EXPECT_EQ(QFontInfo(w->font()).family(), QLatin1String(l.family)) << l.name;
        EXPECT_EQ(w->font().pointSizeF(), l.points) << l.name;
        EXPECT_EQ(w->font().bold(), l.bold) << l.name;
        EXPECT_EQ(w->palette().color(l.role), l.colour) << l.name;
        EXPECT_EQ(w->toolTip(), QString::fromUtf8(l.tip)) << l.name;
    }
    EXPECT_TRUE(c.chkOkCancel[1]->isCheckable());
    EXPECT_EQ(c.chkOkCancel[1]->palette().color(QPalette::Button), QColor(0, 0, 0xFF));
}

// The bar and the tray switches act at once; the same colour picked again, or a cancelled
// chooser, changes nothing; Esc (whatever holds the focus) puts the correction and the tray
// look back, redraws, and stores nothing but the dialog's position.
TEST(OptionsTest, CorrectionAndTrayLookAreLiveAndEscPutsThemBack)
{
    Rig rig;
    frmOptions& d = rig.open();
    const OptionsControls& c = rig.c();
    rig.trayUpdates = 0;

    QTest::keyClick(c.scrlT, Qt::Key_Up);
    EXPECT_EQ(c.lblTCor->text(), QStringLiteral("0.1"));
    EXPECT_EQ(rig.temper->TemperCor(), 0.1);
    ASSERT_EQ(rig.received.size(), 1u);
    EXPECT_DOUBLE_EQ(rig.received.back(), 5.1);
    EXPECT_EQ(rig.correction(), QStringLiteral("0,1"));
    QTest::keyClick(c.scrlT, Qt::Key_PageUp);
    EXPECT_EQ(c.lblTCor->text(), QStringLiteral("0.6"));
    const std::pair<int, const char*> ends[] = {{-201, "10.0"}, {-1, "-10.0"}, {-100, "-0.1"}, {-111, "1.0"}};
    for (const auto& [value, text] : ends) {
        c.scrlT->setValue(value);
        EXPECT_EQ(c.lblTCor->text(), QLatin1String(text));
        EXPECT_EQ(rig.temper->TemperCor(), QString::fromLatin1(text).toDouble());
    }
    EXPECT_DOUBLE_EQ(rig.received.back(), 6.0);

    click(c.optIconTray[0]);
    EXPECT_FALSE(rig.tray.TrCif);
    EXPECT_FALSE(c.chkTransparent->isEnabled());
    EXPECT_FALSE(c.chkFontBold->isEnabled());
    EXPECT_EQ(rig.trayUpdates, 1);
    click(c.optIconTray[1]);
    EXPECT_TRUE(rig.tray.TrCif);
    EXPECT_TRUE(c.chkTransparent->isEnabled() && c.chkFontBold->isEnabled());
    click(c.chkFontBold);
    click(c.chkTransparent);
    EXPECT_TRUE(rig.tray.TrBold);
    EXPECT_FALSE(rig.tray.TrTrans);
    EXPECT_EQ(rig.trayUpdates, 4);

    for (const qint32 answer : {-1, 0xFF, 0x00FF00}) {
        rig.colourAnswer = answer;
        QTest::mouseClick(c.picTIconColor[0], Qt::LeftButton);
    }
    EXPECT_EQ(rig.colourAsked, (std::vector<qint32> {0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(rig.trayUpdates, 5) << "only the new colour refreshes the tray";
    EXPECT_EQ(rig.tray.TrCol[0], 0x00FF00);
    EXPECT_EQ(fill(c.picTIconColor[0]), QColor(0, 0xFF, 0));

    rig.settings.written.clear();
    const QPoint at = d.pos();
    QTest::keyClick(c.cmbProv, Qt::Key_Escape);
    EXPECT_TRUE(rig.gone());
    EXPECT_EQ(rig.tray.TrCol, TrayLook().TrCol);
    EXPECT_TRUE(rig.tray.TrCif && rig.tray.TrTrans && !rig.tray.TrBold);
    EXPECT_EQ(rig.temper->TemperCor(), 0.0);
    EXPECT_EQ(rig.correction(), QStringLiteral("0"));
    EXPECT_DOUBLE_EQ(rig.received.back(), 5.0);
    EXPECT_EQ(rig.settings.written, QStringList {QStringLiteral("PosOpt")});
    EXPECT_EQ(rig.settings["PosOpt"], SettingsPlacement::PosToStr(at, Regional::russian()));
}

// "Ввод" stores the keys in their order; autorun is installed once, kept without a write,
// removed; an entry of the program from another folder reads as off and stays; a write that
// fails leaves autorun off. "ARun" always records what is read back.
TEST(OptionsTest, EnterStoresInOrderAndAutorunRecordsWhatIsReadBack)
{
    Rig rig;
    frmOptions* d = &rig.open();
    rig.c().cmbProv->setCurrentIndex(1);
    rig.c().chkAutoRun->setChecked(true);
    rig.c().chkVer->setChecked(false);
    rig.colourAnswer = 0x123456;
    QTest::mouseClick(rig.c().picTIconColor[3], Qt::LeftButton);
    rig.settings.written.clear();
    rig.received.clear();
    QTest::keyClick(rig.c().scrlT, Qt::Key_Return);
    QTest::keyClick(d, Qt::Key_Return); // a repeated key acts once
    EXPECT_TRUE(rig.gone());
    EXPECT_EQ(rig.settings.written.join(' '),
        QStringLiteral("ARun VerChk Prov TrCif TrBold TrTrans TrCol0 TrCol1 TrCol2 TrCol3 PosOpt"));
    const std::pair<const char*, const char*> stored[]
        = {{"ARun", "1"}, {"VerChk", "0"}, {"Prov", "1"}, {"TrCif", "1"}, {"TrBold", "0"}, {"TrTrans", "1"}, {"TrCol0", "255"},
            {"TrCol1", "16776960"}, {"TrCol2", "16711680"}, {"TrCol3", "1193046"}};
    for (const auto& [key, text] : stored)
        EXPECT_EQ(rig.settings[key], QLatin1String(text)) << key;
    EXPECT_EQ(rig.prov, 1);
    EXPECT_EQ(rig.temper->Prov(), 1);
    EXPECT_TRUE(rig.aRun);
    EXPECT_FALSE(rig.verChk);
    EXPECT_EQ(rig.received.size(), 1u);
    EXPECT_TRUE(Autorun(rig.entry()).IsAutoRun(rig.command));

    // Confirmed again with the box ticked: the entry is not written again.
    {
        QFile f(rig.entry());
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("# mark\n");
    }
    d = &rig.open();
    EXPECT_TRUE(rig.c().chkAutoRun->isChecked());
    QTest::keyClick(rig.c().chkAutoRun, Qt::Key_Enter);
    EXPECT_TRUE(rig.gone());
    QFile marked(rig.entry());
    ASSERT_TRUE(marked.open(QIODevice::ReadOnly));
    EXPECT_TRUE(marked.readAll().endsWith("# mark\n"));

    // Unticked: removed.
    rig.open();
    rig.c().chkAutoRun->setChecked(false);
    click(rig.c().chkOkCancel[1]);
    EXPECT_TRUE(rig.gone());
    EXPECT_FALSE(QFile::exists(rig.entry()));
    EXPECT_FALSE(rig.aRun);
    EXPECT_EQ(rig.settings["ARun"], QStringLiteral("0"));

    // The program was moved: the entry of the old folder reads as off and is left alone.
    const RunCommand old {QStringLiteral("/home/user/old place/ThermoBadge"), {}};
    ASSERT_TRUE(Autorun(rig.entry()).SetAutoRun(true, old));
    rig.aRun = true;
    rig.open();
    EXPECT_TRUE(rig.c().chkAutoRun->isChecked());
    rig.c().chkAutoRun->setChecked(false);
    click(rig.c().chkOkCancel[1]);
    EXPECT_TRUE(rig.gone());
    EXPECT_FALSE(rig.aRun);
    EXPECT_TRUE(Autorun(rig.entry()).IsAutoRun(old));
    rig.open();
    rig.c().chkAutoRun->setChecked(true);
    click(rig.c().chkOkCancel[1]);
    EXPECT_TRUE(rig.gone());
    EXPECT_TRUE(rig.aRun);
    EXPECT_TRUE(Autorun(rig.entry()).IsAutoRun(rig.command));
    EXPECT_FALSE(Autorun(rig.entry()).IsAutoRun(old));

    // The autostart folder is a file: the write fails, autorun stays off, logged.
    QDir(rig.home.filePath(QStringLiteral("autostart"))).removeRecursively();
    {
        QFile blocker(rig.home.filePath(QStringLiteral("autostart")));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    LogCapture log(nullptr, QtInfoMsg);
    rig.open();
    EXPECT_TRUE(rig.c().chkAutoRun->isChecked());
    click(rig.c().chkOkCancel[1]);
    EXPECT_TRUE(rig.gone());
    EXPECT_FALSE(rig.aRun);
    EXPECT_EQ(rig.settings["ARun"], QStringLiteral("0"));
    EXPECT_FALSE(log.lines().filter(QStringLiteral("thermobadge.autorun")).isEmpty());
}

// On a first run either button stores the provider chosen in the list and the other keys,
// with the tray look as it is shown (the cancel does not put it back).
TEST(OptionsTest, OnAFirstRunBothButtonsStore)
{
    for (const int button : {0, 1}) {
        SCOPED_TRACE(button);
        Rig rig;
        rig.provUnset = true;
        rig.open();
        rig.c().cmbProv->setCurrentIndex(1);
        click(rig.c().optIconTray[0]);
        rig.c().chkVer->setChecked(false);
        click(rig.c().chkOkCancel[std::size_t(button)]);
        EXPECT_TRUE(rig.gone());
        EXPECT_FALSE(rig.provUnset);
        EXPECT_EQ(rig.prov, 1);
        EXPECT_EQ(rig.temper->Prov(), 1);
        EXPECT_FALSE(rig.tray.TrCif);
        EXPECT_EQ(rig.settings.written.join(' '),
            QStringLiteral("ARun VerChk Prov TrCif TrBold TrTrans TrCol0 TrCol1 TrCol2 TrCol3 PosOpt"));
        EXPECT_EQ(rig.settings["Prov"], QStringLiteral("1"));
        EXPECT_EQ(rig.settings["TrCif"], QStringLiteral("0"));
        EXPECT_EQ(rig.settings["VerChk"], QStringLiteral("0"));
    }
}

// Enter and Esc act from whatever control holds the focus; a second opening while open only
// brings the same dialog forward; presses on the background and frames start a move, presses
// on the other controls do not.
TEST(OptionsTest, KeysActFromEveryControlAndOpeningAgainRaisesTheSameDialog)
{
    Rig rig;
    frmOptions* first = &rig.open();
    EXPECT_EQ(&rig.open(), first);
    EXPECT_EQ(rig.c().cmbProv->count(), 2) << "loaded twice";

    {
        LogCapture log("thermobadge.options");
        auto moves = [&] { return log.texts().filter(QStringLiteral("cannot move the dialog")).size(); };
        auto press = [&](QWidget* w) {
            const QPoint at(2, 2);
            QTest::mousePress(w, Qt::LeftButton, {}, at);
            QTest::mouseMove(w, at + QPoint(QApplication::startDragDistance() + 2, 0));
            QTest::mouseRelease(w, Qt::LeftButton, {}, at + QPoint(QApplication::startDragDistance() + 2, 0));
        };
        press(first);
        press(rig.c().fram[7]);
        EXPECT_EQ(moves(), 2) << "offscreen there is no window manager; the attempt is logged";
        press(rig.c().chkVer);
        press(rig.c().lbl[12]);
        press(rig.c().lblTCor);
        EXPECT_EQ(moves(), 2) << "a press on a control moved the dialog";
    }

    for (const bool enter : {false, true}) {
        for (const char* focus :
            {"cmbProv", "scrlT", "chkAutoRun", "optIconTray(1)", "chkFontBold", "chkOkCancel(0)", "chkOkCancel(1)"}) {
            SCOPED_TRACE(focus);
            rig.settings.written.clear();
            auto* w = rig.open().findChild<QWidget*>(QLatin1String(focus));
            ASSERT_NE(w, nullptr);
            w->setFocus();
            QTest::keyClick(w, enter ? Qt::Key_Return : Qt::Key_Escape);
            EXPECT_TRUE(rig.gone());
            EXPECT_EQ(rig.settings.written.contains(QStringLiteral("Prov")), enter);
        }
    }
}

// Stored values the dialog cannot show are shown at the nearest they can be and logged, and
// stay stored as they are until the user changes them: a correction beyond the bar or not a
// number, colours beyond 0x00BBGGRR, positions that are not two numbers.
TEST(OptionsTest, StoredValuesItCannotShowStayAsTheyAre)
{
    struct Correction {
        const char* stored;
        int bar;
        const char* label;
        double kept;
    } corrections[]
        = {{"99", -201, "10.0", 99}, {"-99", -1, "-10.0", -99}, {"abc", -101, "0.0", 0}, {"-0,05", -100, "-0.1", -0.05}};
    for (const Correction& k : corrections) {
        for (const int button : {0, 1}) {
            SCOPED_TRACE(std::string(k.stored) + (button ? " Ввод" : " Отмена"));
            LogCapture log(nullptr, QtInfoMsg);
            Rig rig(k.stored);
            rig.open();
            EXPECT_EQ(rig.c().scrlT->value(), k.bar);
            EXPECT_EQ(rig.c().lblTCor->text(), QLatin1String(k.label));
            const int writes = rig.registry.writeCount();
            click(rig.c().chkOkCancel[std::size_t(button)]);
            EXPECT_TRUE(rig.gone());
            EXPECT_EQ(rig.temper->TemperCor(), k.kept);
            EXPECT_EQ(rig.registry.writeCount(), writes) << "the stored correction was rewritten";
            EXPECT_EQ(rig.correction(), QString::fromUtf8(k.stored));
            EXPECT_EQ(log.lines().filter(QStringLiteral("outside -10 to +10")).size(), std::abs(k.kept) > 10 ? 1 : 0);
        }
    }

    Rig rig;
    rig.tray.TrCol = {-1, 0x1000000, 0x7FFFFFFF, -0x7FFFFFFF - 1};
    rig.open();
    EXPECT_EQ(fill(rig.c().picTIconColor[0]), QColor(Qt::white));
    EXPECT_EQ(fill(rig.c().picTIconColor[1]), QColor(Qt::black));
    EXPECT_EQ(fill(rig.c().picTIconColor[2]), QColor(Qt::white));
    EXPECT_EQ(fill(rig.c().picTIconColor[3]), QColor(Qt::black));
    click(rig.c().chkOkCancel[1]);
    EXPECT_TRUE(rig.gone());
    EXPECT_EQ(rig.settings["TrCol0"], QStringLiteral("-1"));
    EXPECT_EQ(rig.settings["TrCol1"], QStringLiteral("16777216"));
    EXPECT_EQ(rig.settings["TrCol3"], QStringLiteral("-2147483648"));

    // Placements that are not two numbers open the dialog where it would open anyway.
    rig.open();
    const QPoint usual = rig.dialog->pos();
    click(rig.c().chkOkCancel[0]);
    rig.gone();
    const std::pair<const char*, QPoint> places[]
        = {{"", usual}, {"12", usual}, {"a|b", usual}, {"1|2|3", QPoint(1, 2)}, {"-1200|300", QPoint(-1200, 300)}};
    for (const auto& [text, at] : places) {
        SCOPED_TRACE(text);
        LogCapture log(nullptr, QtInfoMsg);
        rig.settings.inner.setValue(QStringLiteral("PosOpt"), QString::fromUtf8(text));
        EXPECT_EQ(rig.open().pos(), at);
        EXPECT_EQ(log.lines().filter(QStringLiteral("thermobadge.placement")).size(), at == usual ? 1 : 0);
        click(rig.c().chkOkCancel[0]);
        EXPECT_TRUE(rig.gone());
    }
}

namespace {

// Draws nothing: the options dialog's redraws are counted, not looked at.
struct CountingDrawing final : OverlayDrawing {
    DrawOutcome draw(const QString&, OverlayStyle&, const PicAdjust&, const StaleMark&, qreal) override { return {}; }
};

// The main window's dialogs as the program opens the options dialog: one at a time, on the
// main window's state.
struct OptionsCompanions final : MainWindowCompanions {
    void mnuOptions_Click() override
    {
        if (!dialog) {
            frmMain& m = *main;
            dialog = new frmOptions(
                OptionsTarget {m.temper(), m.Prov(), m.fProvUnset(), m.ARun(), m.VerChk(), m.trayLook(),
                    [&m](double t, DateTime when) { m.ctlTemper_TemperReceive(t, when); }, [&m] { m.UpdateTrayIcon(); }},
                m.options(), Autorun(entry), RunCommand::ofThisProgram());
        }
        dialog->Show();
    }
    void showTownChooser() override { }
    bool townChosen() const override { return true; }
    void SendText(const QString&) override { }
    void showSlider() override { }
    void focusSlider() override { }
    void showAbout() override { }
    void mnuSelectSkin_Click() override { }
    qint32 CheckOptDll(qint32) override { return 0; }
    void quit() override { }
    frmMain* main = nullptr;
    QString entry;
    QPointer<frmOptions> dialog;
};

} // namespace

// With the real main window: no stored provider (or one outside the table) opens the dialog at
// start-up; Enter stores the provider and the other keys; the next start does not open it.
TEST(OptionsTest, AFirstStartOpensTheDialogAndEnterStoresForTheNext)
{
    for (const char* storedProv : {static_cast<const char*>(nullptr), "7"}) {
        SCOPED_TRACE(storedProv ? storedProv : "none");
        Rig rig;
        if (storedProv)
            rig.settings.inner.setValue(QStringLiteral("Prov"), QLatin1String(storedProv));
        SnapshotView view;
        CountingDrawing drawing;
        NoTrayIcon trayIcon;
        SettingsPlacement placement(rig.settings, Regional::russian());
        NoPopupMenu menu;
        for (const bool firstStart : {true, false}) {
            OptionsCompanions companions;
            companions.entry = rig.entry();
            frmMain main(MainWindowEnv {*rig.temper, rig.settings, Regional::russian(), rig.clock, rig.clock, rig.boxes, view,
                drawing, trayIcon, placement, companions, menu, rig.home.path(), 1, 4, false});
            companions.main = &main;
            main.Form_Load();
            ASSERT_EQ(!companions.dialog.isNull(), firstStart);
            if (!firstStart)
                break;
            EXPECT_TRUE(companions.dialog->isVisible());
            QTest::keyClick(companions.dialog, Qt::Key_Return);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(companions.dialog.isNull());
            EXPECT_FALSE(main.fProvUnset());
            for (const char* key :
                {"Prov", "VerChk", "ARun", "TrCif", "TrBold", "TrTrans", "TrCol0", "TrCol1", "TrCol2", "TrCol3", "PosOpt"})
                EXPECT_NE(rig.settings[key], QStringLiteral("<absent>")) << key;
            EXPECT_EQ(rig.settings["Prov"], QStringLiteral("0"));
            main.Form_Unload();
        }
    }
}

// A screen reader names every frame by its own caption and every colour swatch by what it
// sets, never by the frame around it.
TEST(OptionsTest, FramesAndSwatchesCarryTheirOwnAccessibleNames)
{
    Rig rig;
    rig.open();
    const auto name = [](QWidget* w) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        return a ? a->text(QAccessible::Name) : QStringLiteral("<no interface>");
    };
    for (QGroupBox* frame : rig.c().fram) {
        if (!frame)
            continue;
        SCOPED_TRACE(frame->objectName().toStdString());
        if (frame->title().isEmpty())
            EXPECT_EQ(name(frame), QStringLiteral("Автозапуск и проверка версии"));
        else
            EXPECT_EQ(name(frame), frame->title());
    }
    const QString swatches[] = {QStringLiteral("Цвет цифр при температуре ≥ 0"), QStringLiteral("Цвет фона при температуре ≥ 0"),
        QStringLiteral("Цвет цифр при температуре < 0"), QStringLiteral("Цвет фона при температуре < 0")};
    for (std::size_t i = 0; i < std::size(swatches); ++i)
        EXPECT_EQ(name(rig.c().picTIconColor[i]), swatches[i]) << i;
    EXPECT_EQ(name(rig.c().chkAutoRun), QStringLiteral("Автозапуск")); // a captioned control keeps its caption
}
