#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>

namespace tools_test {

// The process's Qt application object, for tests that need an event loop (sources, processes).
// Deliberately never destroyed: tests in one executable share it.
inline QCoreApplication& qtApp()
{
    static int argc = 1;
    static char name[] = "tools_tests";
    static char* argv[] = {name, nullptr};
    static auto* app = new QCoreApplication(argc, argv);
    return *app;
}

// Runs the event loop until `done` holds or `ms` have passed; whether it held.
inline bool waitUntil(const std::function<bool()>& done, int ms)
{
    qtApp();
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

} // namespace tools_test
