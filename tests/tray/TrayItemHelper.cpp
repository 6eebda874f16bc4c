// A tray icon for the tray tests: shows the digits of the temperature given as the first
// argument with the tip given as the second, prints each mouse message the icon gets and each
// change of the tray's presence, and answers "geometry" on its input with where the icon is.
#include "window/QtTrayIcon.h"

#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QSocketNotifier>
#include <QSystemTrayIcon>

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TEMPERATURE TIP\n", argv[0]);
        return 2;
    }
    QMenu menu;
    menu.addAction(QStringLiteral("Показать"));
    QPixmap program(32, 32);
    program.fill(Qt::green);

    tb::QtTrayIcon tray(QIcon(program), &menu);
    tray.onEvent = [](int message, QPoint) {
        std::printf("event %d\n", message);
        std::fflush(stdout);
    };
    tray.onAvailableChanged = [](bool available) {
        std::printf("available %d\n", available ? 1 : 0);
        std::fflush(stdout);
    };
    tray.TrayIconShow(true);
    tray.UpdateTrayIcon(QString::fromLocal8Bit(argv[1]).toDouble(), tb::TrayLook {});
    tray.TrayIconTip(QString::fromLocal8Bit(argv[2]));
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char chunk[64];
        const ssize_t n = ::read(0, chunk, sizeof chunk);
        if (n <= 0) {
            input.setEnabled(false);
            return;
        }
        const QRect where = tray.systemTrayIcon().geometry();
        for (ssize_t i = 0; i < n; ++i)
            if (chunk[i] == '\n')
                std::printf("geometry %dx%d\n", where.width(), where.height());
        std::fflush(stdout);
    });
    std::printf("ready %d\n", tray.available() ? 1 : 0);
    std::fflush(stdout);
    return app.exec();
}
