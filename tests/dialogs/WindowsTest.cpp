#include "QtPrinters.h"
#include "QtTestLoop.h"
#include "dialogs/SettingsPlacement.h"
#include "dialogs/Twips.h"
#include "dialogs/frmErr.h"
#include "platform/MemorySettingsStore.h"
#include "platform/fakes/FakeClock.h"
#include "render/GdipLog.h"
#include "window/IndicatorWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace tb;
using namespace tb::test;

namespace {
const auto* const appEnvironment = ::testing::AddGlobalTestEnvironment(new AppEnvironment<QApplication>);
}

TEST(ErrorList, ComesUpOnEveryFailureAndLogsOnlyWhenTicked)
{
    FakeClock clock(DateTime::of(2026, 12, 7, 9, 5, 3));
    ErrorListWindow list;
    GdipLog log(clock, &list);
    log.setGdipStage(14);
    log.GdipCheck(14);
    ASSERT_NE(list.window(), nullptr);
    EXPECT_TRUE(list.window()->isVisible());
    EXPECT_EQ(list.window()->windowTitle(), QStringLiteral("Error GDI+"));
    EXPECT_EQ(list.window()->txtErr()->toPlainText(), QStringLiteral("7.12.2026 9:05:03 ==> Error=00-014 (ErrReturn=14)"));
    log.setGdipStage(3);
    log.GdipLogError(0);
    EXPECT_EQ(list.window()->txtErr()->toPlainText().split(QLatin1Char('\n')).size(), 2) << "lines in the order they came";

    list.window()->hide();
    list.window()->chkAddErr()->setChecked(false);
    log.GdipLogError(7);
    EXPECT_TRUE(list.window()->isVisible()) << "shown again even when not logging";
    EXPECT_EQ(list.window()->txtErr()->toPlainText().split(QLatin1Char('\n')).size(), 2);

    QTest::mouseDClick(list.window()->txtErr()->viewport(), Qt::LeftButton);
    EXPECT_TRUE(list.window()->txtErr()->toPlainText().isEmpty()) << "a double-click clears the list";

    list.window()->cmdClose()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(list.window(), nullptr) << "closing destroys the window";
    log.GdipLogError(14);
    ASSERT_NE(list.window(), nullptr);
    EXPECT_TRUE(list.window()->chkAddErr()->isChecked());
    EXPECT_EQ(list.window()->txtErr()->toPlainText().count(QLatin1Char('\n')), 0) << "a new window holds a single line";
}

TEST(ErrorList, LayoutInTwips)
{
    frmErr w;
    EXPECT_EQ(w.width(), px(5820, &w));
    EXPECT_EQ(w.cmdClose()->text(), QStringLiteral("Close (Error List)"));
    EXPECT_EQ(w.chkAddErr()->text(), QStringLiteral("Логировать ошибки"));
    EXPECT_EQ(w.txtErr()->toolTip(), QStringLiteral("DublClick-ClearList"));
    EXPECT_EQ(w.cmdClose()->x(), px(1920, &w));
}

// Twips to pixels for the widget's screen, to the nearest pixel: 15 twips a pixel at 96 dpi.
// The layout tests measure in `px`; this holds `px` itself.
TEST(Twips, FifteenAPixelAt96Dpi)
{
    QWidget w;
    if (w.screen()->logicalDotsPerInch() != 96)
        GTEST_SKIP() << "the screen has " << w.screen()->logicalDotsPerInch() << " dpi";
    const std::pair<int, int> cases[] = {{0, 0}, {7, 0}, {8, 1}, {15, 1}, {1440, 96}, {5160, 344}, {-60, -4}, {-8, -1}};
    for (const auto& [twips, pixels] : cases)
        EXPECT_EQ(px(twips, &w), pixels) << twips;
    EXPECT_EQ(px(1440, nullptr), 96) << "without a widget: the primary screen";
}

TEST(Placement, LeftBarTopInPixels)
{
    MemorySettingsStore store;
    SettingsPlacement placement(store, Regional::russian());
    EXPECT_EQ(placement.LoadPos(OptionKey::PosMain, QPoint(5, 6)), QPoint(5, 6)) << "no key: where it is";
    placement.SavePos(OptionKey::PosMain, QPoint(412, 300));
    EXPECT_EQ(store.value(QStringLiteral("PosMain")), QStringLiteral("412|300"));
    EXPECT_EQ(placement.LoadPos(OptionKey::PosMain, {}), QPoint(412, 300));
    store.setValue(QStringLiteral("PosOpt"), QStringLiteral("-1200|300|7|x"));
    EXPECT_EQ(placement.LoadPos(OptionKey::PosOpt, {}), QPoint(-1200, 300)) << "not pulled back on screen; extra fields ignored";
    for (const char* bad : {"", "412", "a|b", "1e300|5"}) {
        store.setValue(QStringLiteral("PosOpt"), QString::fromLatin1(bad));
        EXPECT_EQ(placement.LoadPos(OptionKey::PosOpt, QPoint(9, 9)), QPoint(9, 9)) << bad;
    }
}

namespace {
QImage canvasWithHole()
{
    QImage img(60, 30, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.fillRect(QRect(0, 0, 30, 30), QColor(200, 30, 30));
    return img;
}
} // namespace

TEST(IndicatorWindowTest, ShowsTheCanvasAtItsSizeAndCutsHolesWithoutACompositor)
{
    IndicatorWindow w;
    w.showCanvas(canvasWithHole(), 128);
    w.show();
    EXPECT_EQ(w.size(), QSize(60, 30));
    EXPECT_NEAR(w.windowOpacity(), 128 / 255.0, 0.01);
    EXPECT_FALSE(w.usesShapeMask());
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::Tool)) << "out of the task bar";

    w.setCompositorRunning(false);
    EXPECT_TRUE(w.usesShapeMask());
    EXPECT_TRUE(w.shape().contains(QPoint(10, 10)));
    EXPECT_FALSE(w.shape().contains(QPoint(45, 10))) << "transparent parts are holes";
    EXPECT_TRUE(w.mask().isEmpty()) << "the shape is the native window's, paints are not clipped to it";
    w.setCompositorRunning(true);
    EXPECT_FALSE(w.usesShapeMask());
    EXPECT_TRUE(w.shape().isEmpty());

    w.move(40, 50);
    w.setOnTop(false);
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(w.pos(), QPoint(40, 50)) << "not moved";
    EXPECT_TRUE(w.isVisible());

    const QImage grabbed = w.grab().toImage();
    EXPECT_EQ(QColor(grabbed.pixel(10, 10)).red(), 200);
}

TEST(IndicatorWindowTest, EscapeAndTheRightButton)
{
    IndicatorWindow w;
    int escapes = 0;
    QPoint menuAt;
    w.onEscape = [&] { ++escapes; };
    w.onMenu = [&](QPoint p) { menuAt = p; };
    w.showCanvas(canvasWithHole(), 255);
    w.show();
    QTest::keyClick(&w, Qt::Key_Escape);
    QTest::keyClick(&w, Qt::Key_A);
    EXPECT_EQ(escapes, 1);
    QTest::mouseRelease(&w, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(menuAt, w.mapToGlobal(QPoint(5, 5)));
}
