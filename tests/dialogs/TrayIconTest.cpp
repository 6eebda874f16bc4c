// The tray icon on Qt's system tray, offscreen: there is no tray there, so these check what the
// icon hands to Qt; the tray tests run it against real trays.
#include "QtPrinters.h"
#include "window/QtTrayIcon.h"

#include <QCursor>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace tb;

namespace {

QIcon programIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::green);
    return QIcon(pixmap);
}

QImage pictureOf(const QIcon& icon, int size)
{
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST(TrayIcon, ShowsTheProgramIconUntilDigitsComeAndCutsTheTip)
{
    QMenu menu;
    const QIcon program = programIcon();
    QtTrayIcon tray(program, &menu);
    QSystemTrayIcon& qt = tray.systemTrayIcon();
    EXPECT_FALSE(tray.available()) << "offscreen has no tray";
    EXPECT_EQ(qt.contextMenu(), &menu);

    tray.TrayIconShow(true);
    EXPECT_TRUE(qt.isVisible()) << "shown even without a tray, so it appears when one does";
    EXPECT_EQ(pictureOf(qt.icon(), 32), pictureOf(program, 32));

    TrayLook look;
    tray.UpdateTrayIcon(-12.5, look);
    for (int size : kTrayIconSizes)
        EXPECT_EQ(pictureOf(qt.icon(), size), pictureOf(trayDigitsIcon(-12.5, look), size)) << size;
    look.TrCif = false;
    tray.UpdateTrayIcon(-12.5, look);
    EXPECT_EQ(pictureOf(qt.icon(), 32), pictureOf(program, 32)) << "classic mode";

    const QString sixtyFour = QStringLiteral("-12,5 °C\n07.12.2026 09:05:03 ") + QString(64, QLatin1Char('x'));
    const QString astral = QString(63, QLatin1Char('a')) + QString::fromUtf8("\xF0\x9F\x8C\xA1") + QStringLiteral("b");
    const std::vector<std::pair<QString, QString>> tips = {
        {QStringLiteral("-12,5 °C\n07.12.2026 09:05"), QStringLiteral("-12,5 °C\n07.12.2026 09:05")},
        {QString(63, QLatin1Char('y')), QString(63, QLatin1Char('y'))},
        {QString(64, QLatin1Char('y')), QString(64, QLatin1Char('y'))},
        {sixtyFour, sixtyFour.left(64)},
        {astral, astral.left(65)}, // the 64th character is one outside the basic plane, kept whole
        {QString(), QString()},
    };
    for (const auto& [tip, kept] : tips) {
        tray.TrayIconTip(tip);
        EXPECT_EQ(qt.toolTip(), kept);
    }

    tray.TrayIconTip(QStringLiteral("-12,5 °C"));
    look.TrCif = true;
    tray.UpdateTrayIcon(3, look);
    tray.TrayIconShow(false);
    EXPECT_FALSE(qt.isVisible());
    tray.TrayIconShow(true);
    EXPECT_TRUE(qt.isVisible());
    EXPECT_EQ(qt.toolTip(), QString()) << "added again with an empty tip";
    EXPECT_EQ(pictureOf(qt.icon(), 32), pictureOf(program, 32)) << "and the program icon";
}

TEST(TrayIcon, ClicksBecomeMouseMessagesAtThePointer)
{
    QtTrayIcon tray(programIcon(), nullptr);
    tray.TrayIconShow(true);
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::Trigger); // nobody listens yet

    std::vector<std::pair<int, QPoint>> events;
    tray.onEvent = [&](int message, QPoint at) { events.emplace_back(message, at); };
    QCursor::setPos(40, 30);
    const QPoint pointer = QCursor::pos();
    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::Context, QSystemTrayIcon::DoubleClick,
             QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown})
        emit tray.systemTrayIcon().activated(reason);
    ASSERT_EQ(events.size(), 2u) << "left press and right release only";
    EXPECT_EQ(events[0], std::make_pair(kTrayLeftButtonDown, pointer));
    EXPECT_EQ(events[1], std::make_pair(kTrayRightButtonUp, pointer));
}
