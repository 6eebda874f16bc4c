#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

namespace tb {

// What a short-lived command gave.
struct CommandResult {
    bool started = false;  // false: the program could not be run at all
    bool timedOut = false; // it ran past its time and was killed
    int exitCode = -1;     // its exit code when it ended by itself
    QByteArray out;        // what it printed, at most kCommandOutputLimit bytes of each stream
    QByteArray err;
    bool succeeded() const { return started && !timedOut && exitCode == 0; }
};
inline constexpr qsizetype kCommandOutputLimit = 64 * 1024;

// Runs short commands (the server's town search and set-up, systemctl) without blocking the
// interface and never through a shell.
class CommandRunner {
public:
    using Done = std::function<void(const CommandResult&)>;
    virtual ~CommandRunner() = default;
    // Starts the program; `done` runs once from the event loop when it has ended, could not
    // start, or was killed after `timeout`. Never calls `done` from inside run().
    virtual void run(const QString& program, const QStringList& arguments, std::chrono::milliseconds timeout, Done done) = 0;
};

// A program that runs beside this one for as long as it runs (the local temperature server).
class CompanionProcess {
public:
    virtual ~CompanionProcess() = default;
    // Starts it; false when it could not be started or one runs already.
    virtual bool start(const QString& program, const QStringList& arguments) = 0;
    virtual bool running() const = 0;
    // Asks it to end; `done` runs once it has (at once when none runs).
    virtual void stop(std::function<void()> done) = 0;
    // It ended by itself, with its exit code.
    std::function<void(int exitCode)> onEnded;
};

} // namespace tb
