#include "window/RestingMemory.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QTest>

using namespace tb;
using namespace std::chrono_literals;

// Once after start-up, once after the last dialog or menu closes, never while one is open; the
// indicator, the tray's borderless icon and the indicator's own hiding do not count.
TEST(RestingMemory, TrimsOnceEachTimeTheLastDialogOrMenuHasClosed)
{
    QWidget indicator(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    QWidget trayIcon(nullptr, Qt::Window | Qt::FramelessWindowHint);
    indicator.show();
    trayIcon.show();
    int trims = 0;
    const RestingMemory rest(&indicator, [&] { ++trims; }, 60ms);
    // Time enough for the wait to end, and for a trim that should not come to have come.
    const auto settle = [] { QTest::qWait(300); };
    const auto trimmed = [&](int count) { return QTest::qWaitFor([&] { return trims == count; }, 5000); };

    EXPECT_TRUE(trimmed(1)) << "at rest after start-up";
    settle();
    EXPECT_EQ(trims, 1) << "not again while nothing happens";

    QDialog options;
    options.show();
    QMenu menu;
    menu.addAction(QStringLiteral("Настройки"));
    menu.popup(QPoint(10, 10));
    QTest::qWait(20);
    menu.hide();
    settle();
    EXPECT_EQ(trims, 1) << "the options dialog is still open";
    options.hide();
    EXPECT_TRUE(trimmed(2)) << "the last window closed";

    indicator.hide();
    indicator.show();
    settle();
    EXPECT_EQ(trims, 2) << "hiding the indicator itself is no rest of a dialog";
}
