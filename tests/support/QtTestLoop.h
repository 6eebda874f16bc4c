#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace tb::test {

// Runs the event loop for about `ms` milliseconds.
inline void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until `done()` holds or `ms` milliseconds pass; returns `done()`.
template <typename Predicate>
bool waitUntil(Predicate done, int ms = 5000)
{
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        runFor(5);
    return done();
}

// The application object for the whole test run (QCoreApplication or QApplication). Each test
// file of an executable may ask for one; the first made serves them all (a second application
// object would be destroyed twice over at the end of the run).
template <typename App>
class AppEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!QCoreApplication::instance())
            app_ = std::make_unique<App>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "thermobadge";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<App> app_;
};

} // namespace tb::test
