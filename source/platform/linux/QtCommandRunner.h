#pragma once

#include "platform/CommandRunner.h"

#include <QObject>

namespace tb {

// CommandRunner on QProcess. Commands still running when it is destroyed are killed, and their
// `done` is not called any more.
class QtCommandRunner final : public QObject, public CommandRunner {
public:
    ~QtCommandRunner() override;
    void run(const QString& program, const QStringList& arguments, std::chrono::milliseconds timeout, Done done) override;
};

// CompanionProcess on QProcess: the child is told by the system to end when this process ends
// (also when it is killed), and its error output goes to this process's log.
class QtCompanionProcess final : public CompanionProcess {
public:
    QtCompanionProcess();
    ~QtCompanionProcess() override;
    bool start(const QString& program, const QStringList& arguments) override;
    bool running() const override;
    void stop(std::function<void()> done) override;

private:
    struct Child;
    std::unique_ptr<Child> child_;
};

// True when a UDP port on 127.0.0.1 is taken by some program (a temperature server listens there).
bool loopbackUdpPortTaken(quint16 port);

} // namespace tb
