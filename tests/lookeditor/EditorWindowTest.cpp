#include "CaptionFit.h"
#include "Draft.h"
#include "EditorWindow.h"
#include "FakeIndicator.h"
#include "LookPreview.h"
#include "QtTestLoop.h"
#include "platform/Codepage.h"
#include "skinfiles/INI_Class.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tb;
using namespace tb::test;

namespace {

// Offscreen unless the caller chose a platform (ctest runs without the test script's variables).
[[maybe_unused]] const bool offscreen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}();
const auto* const appEnvironment = ::testing::AddGlobalTestEnvironment(new AppEnvironment<QApplication>);

const QByteArray kSkinList
    = toAnsi(u"; Скины\r\n[General]\r\n"
             u"Selected=Winter\\a.png|DejaVu Sans|1|40|16777215|0|0|0|2|-2|128|0|2|1|0|1|0|0|100|100|0|0\r\n"
             u"[Dir0]\r\nPath=Winter\r\nPic1=a.png|Иней\r\nPic2=b.png|Лёд\r\n[Dir1]\r\nPath=Summer\r\nPic1=c.png\r\n");

// A program folder with the skin list and three small pictures.
struct ProgramFolder {
    ProgramFolder()
    {
        QFile f(dir.filePath(QStringLiteral("ThermoBadge.ini")));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kSkinList);
        f.close();
        for (const char* pic : {"Winter/a.png", "Winter/b.png", "Summer/c.png"}) {
            const QString file = dir.filePath(QStringLiteral("FotoMark/") + QLatin1String(pic));
            QDir().mkpath(QFileInfo(file).path());
            QImage image(60, 30, QImage::Format_ARGB32);
            image.fill(QColor(40, 90, 200));
            EXPECT_TRUE(image.save(file));
        }
    }
    QString ini() const { return dir.filePath(QStringLiteral("ThermoBadge.ini")); }
    QString selected() const { return INI_Class().ReadINIKey(QStringLiteral("General"), QStringLiteral("Selected"), ini(), {}); }
    QByteArray bytes() const
    {
        QFile f(ini());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
};

template <typename T> T* child(QWidget& w, const char* name)
{
    T* found = w.findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

} // namespace

// A whole session with the indicator's real command box on the fake channel: pick a picture,
// change text, outline and picture colours, save, fail to save into a read-only list, revert,
// be closed by the indicator with unsaved changes, get them back as a draft at the next start,
// come to the front, show the font notice, and close discarding.
TEST(EditorWindow, EditsSavesRevertsAndKeepsADraft)
{
    ProgramFolder folder;
    const QString draftFile = folder.dir.filePath(QStringLiteral("config/editor-draft.ini"));
    const Regional regional = Regional::english();
    FakeCommandChannel channel;
    FakeIndicator indicator(channel, 596, regional);
    int asked = 0;
    QStringList errors;
    const auto make = [&] {
        auto w = std::make_unique<EditorWindow>(
            EditorWindow::Setup {channel, 596, QStringLiteral("+7°"), InitPaths(folder.dir.path()), draftFile, regional});
        w->askRestoreDraft = [&] { return ++asked > 0; };
        w->askUnsaved = [] { return int(QMessageBox::Discard); };
        w->showError = [&](const QString& m) { errors << m; };
        w->show();
        w->start();
        return w;
    };

    auto w = make();
    EXPECT_EQ(indicator.iOptWnd, w->link().handle());
    EXPECT_TRUE(indicator.probe());
    EXPECT_EQ(asked, 0); // no draft yet
    const Look start = w->session().look();
    EXPECT_EQ(start.fontName, QStringLiteral("DejaVu Sans"));

    child<QListWidget>(*w, "pictures")->setCurrentRow(1);
    EXPECT_EQ(indicator.sPicName, QStringLiteral("Winter\\b.png"));
    child<QCheckBox>(*w, "bold")->click();
    EXPECT_FALSE(indicator.style.fBold);
    child<QSpinBox>(*w, "outlineWidth")->setValue(5);
    EXPECT_FLOAT_EQ(indicator.style.nOutlineWidth, 5);
    child<QWidget>(*w, "hue")->findChild<QSpinBox*>()->setValue(90);
    EXPECT_FLOAT_EQ(indicator.adjust.nHue, 90.0f / 180.0f * 3.1415927f);
    // (LookPreview has no meta-object of its own, so it is found by name.)
    const auto* preview = static_cast<const LookPreview*>(child<QWidget>(*w, "preview"));
    EXPECT_FALSE(preview->canvas().isNull()) << preview->problem().toStdString();
    EXPECT_TRUE(w->isWindowModified());

    child<QPushButton>(*w, "save")->click();
    EXPECT_EQ(folder.selected(), w->session().commands().argument(w->session().look()));
    EXPECT_TRUE(folder.bytes().startsWith(toAnsi(u"; Скины\r\n[General]\r\n")));
    EXPECT_TRUE(folder.bytes().endsWith(toAnsi(u"Pic2=b.png|Лёд\r\n[Dir1]\r\nPath=Summer\r\nPic1=c.png\r\n")));
    EXPECT_FALSE(w->isWindowModified());

    child<QCheckBox>(*w, "fill")->click();
    const QByteArray savedBytes = folder.bytes();
    QFile::setPermissions(folder.ini(), QFileDevice::ReadOwner);
    child<QPushButton>(*w, "save")->click();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("только для чтения"))) << errors[0].toStdString();
    EXPECT_EQ(folder.bytes(), savedBytes);
    EXPECT_TRUE(w->session().dirty());
    QFile::setPermissions(folder.ini(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    child<QPushButton>(*w, "revert")->click();
    EXPECT_EQ(w->session().look(), start);
    EXPECT_EQ(indicator.sPicName, QStringLiteral("Winter\\a.png"));
    EXPECT_TRUE(indicator.style.fBold);

    // The indicator closes the editor while the look differs from the saved one.
    const auto sentBefore = channel.sentTo(596).size();
    channel.setText(w->link().handle(), QStringLiteral("W=0"));
    ASSERT_TRUE(waitUntil([&] { return !w->isVisible(); }));
    EXPECT_EQ(channel.sentTo(596).size(), sentBefore);
    const std::optional<Draft> draft = loadDraft(draftFile);
    ASSERT_TRUE(draft.has_value());
    EXPECT_EQ(draft->look, w->session().commands().argument(start));
    w.reset();

    auto again = make();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(again->session().look(), start);
    EXPECT_TRUE(again->session().dirty());
    EXPECT_EQ(indicator.sPicName, QStringLiteral("Winter\\a.png"));

    again->hide();
    channel.setText(again->link().handle(), QStringLiteral("W=1"));
    EXPECT_TRUE(again->isVisible());
    channel.setText(again->link().handle(), QStringLiteral("F=Arial"));
    EXPECT_TRUE(child<QLabel>(*again, "notice")->isVisibleTo(again.get()));
    EXPECT_TRUE(child<QLabel>(*again, "notice")->text().contains(QStringLiteral("DejaVu Sans")));

    // The user closes and discards: the indicator goes back to the saved look and is told.
    again->close();
    EXPECT_EQ(channel.sentTo(596).back(), QStringLiteral("W=0"));
    EXPECT_EQ(indicator.sPicName, QStringLiteral("Winter\\b.png"));
    EXPECT_FALSE(indicator.style.fBold);
    EXPECT_FALSE(QFileInfo::exists(draftFile));
}

// Whatever the indicator drew before the editor started (a script's commands, a draft the user
// then gives up), it draws the look the editor shows once the editor starts.
TEST(EditorWindow, TheIndicatorDrawsWhatTheEditorShowsFromTheStart)
{
    const QString kOther = QStringLiteral("Summer\\c.png|Liberation Sans|2|12|255|0|0|0|2|-2|128|0|2|1|0|1|0|0|100|100|0|0");
    for (const bool draftGivenUp : {false, true}) {
        SCOPED_TRACE(draftGivenUp ? "a draft given up" : "a script's commands");
        ProgramFolder folder;
        const QString draftFile = folder.dir.filePath(QStringLiteral("draft.ini"));
        const Regional regional = Regional::english();
        FakeCommandChannel channel;
        FakeIndicator indicator(channel, 596, regional);
        if (draftGivenUp) {
            // The indicator closed the editor with this look unsaved: it still draws it.
            saveDraft(draftFile, {InitPaths(folder.dir.path()).IniFile, kOther});
            channel.setText(596, QStringLiteral("A=") + kOther);
        } else {
            channel.setText(596, QStringLiteral("P=Summer\\c.png|0|100|100|0|0"));
            channel.setText(596, QStringLiteral("S=12"));
            channel.setText(596, QStringLiteral("f=2"));
        }
        ASSERT_EQ(indicator.sPicName, QStringLiteral("Summer\\c.png"));
        int asked = 0;
        EditorWindow w({channel, 596, QStringLiteral("+7°"), InitPaths(folder.dir.path()), draftFile, regional});
        w.askRestoreDraft = [&] {
            ++asked;
            return false;
        };
        w.show();
        w.start();
        EXPECT_EQ(asked, draftGivenUp ? 1 : 0);
        EXPECT_EQ(w.session().look(), w.session().savedLook());
        // The saved look: Winter\a.png, DejaVu Sans bold 40, white.
        EXPECT_EQ(indicator.sPicName, QStringLiteral("Winter\\a.png"));
        EXPECT_EQ(indicator.style.sFontName, QStringLiteral("DejaVu Sans"));
        EXPECT_FLOAT_EQ(indicator.style.nFontSize, 40);
        EXPECT_TRUE(indicator.style.fBold);
        EXPECT_FALSE(indicator.style.fItalic);
        EXPECT_EQ(indicator.style.nTextColor, 16777215);
        EXPECT_FALSE(QFileInfo::exists(draftFile));
        // A change from here on is a change of that look.
        child<QSpinBox>(w, "outlineWidth")->setValue(4);
        EXPECT_FLOAT_EQ(indicator.style.nOutlineWidth, 4);
        EXPECT_EQ(indicator.sPicName, QStringLiteral("Winter\\a.png"));
    }
}

// Every caption of the window and its tabs on the screen this process has; the test below runs
// it in child processes at 96 and 144 dpi.
TEST(EditorWindow, CaptionsFitOnThisScreen)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    std::printf("screen: logical dpi %g, pixel ratio %g\n", screen->logicalDotsPerInch(), screen->devicePixelRatio());
    ProgramFolder folder;
    FakeCommandChannel channel;
    EditorWindow w({channel, 596, QStringLiteral("+7°"), InitPaths(folder.dir.path()), folder.dir.filePath("draft.ini"),
        Regional::russian()});
    w.show();
    QTabWidget* tabs = w.findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        const QStringList misfits = captionMisfits(w);
        EXPECT_TRUE(misfits.isEmpty()) << tabs->tabText(i).toStdString() << ":\n  "
                                       << misfits.join(QStringLiteral("\n  ")).toStdString();
    }
    std::printf("tabs checked: %d\n", int(tabs->count()));
}

TEST(EditorWindow, CaptionsFitAt96And144Dpi)
{
    const std::pair<const char*, QStringList> screens[] = {
        {"96 dpi", {QStringLiteral("QT_FONT_DPI=96")}},
        {"144 dpi, scaled by Qt", {QStringLiteral("QT_FONT_DPI=144")}},
        {"144 dpi, unscaled", {QStringLiteral("QT_FONT_DPI=144"), QStringLiteral("QT_ENABLE_HIGHDPI_SCALING=0")}},
    };
    for (const auto& [name, settings] : screens) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* inherited :
            {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING", "QT_USE_PHYSICAL_DPI"})
            env.remove(QString::fromLatin1(inherited));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (const QString& s : settings)
            env.insert(s.section(u'=', 0, 0), s.section(u'=', 1));
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(
            QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=EditorWindow.CaptionsFitOnThisScreen")});
        ASSERT_TRUE(child.waitForFinished(60000)) << name;
        const QString output = QString::fromLocal8Bit(child.readAll());
        EXPECT_EQ(child.exitCode(), 0) << name << "\n" << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("tabs checked: 3"))) << name << "\n" << output.toStdString();
    }
}
